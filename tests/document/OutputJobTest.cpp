#include "document/OutputJob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "../trim/FakeTrimView.h"
#include "codecs/ImageData.h"
#include "codecs/PixelCeiling.h"
#include "imaging/OutputFilters.h"
#include "imaging/Resample.h"
#include "platform/platform.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"
#include "trim/Perspective.h"

namespace {

const std::u16string kSep(1, platform::kPathSeparator);

WideString join(const WideString& folder, const char16_t* name) {
    WideString out(folder);
    out.append(kSep.c_str());
    out.append(name);
    return out;
}

// Points the system's temporary folder somewhere else for one test.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const WideString& folder) { set(folder.toUtf8().c_str()); }
    ~TempFolderOverride() { set(saved_.empty() ? nullptr : saved_.c_str()); }

private:
#ifdef _WIN32
    static constexpr const char* kName = "TMP";
    void set(const char* value) {
        SetEnvironmentVariableA(kName, value);
        SetEnvironmentVariableA("TEMP", value);
    }
#else
    static constexpr const char* kName = "TMPDIR";
    void set(const char* value) {
        if (value)
            setenv(kName, value, 1);
        else
            unsetenv(kName);
    }
#endif
    std::string saved_ = std::getenv(kName) ? std::getenv(kName) : "";
};

std::vector<std::string> filesIn(const WideString& folder) {
    std::vector<std::string> names;
    platform::listDirectory(folder.c_str(), [&](const platform::DirectoryEntry& e) {
        names.push_back(WideString(e.name).toUtf8());
    });
    std::sort(names.begin(), names.end());
    return names;
}

// A document holding a noisy image, and a trim editor over it at zoom 1.
class OutputJobTest : public ::testing::Test {
protected:
    Document document;
    ViewGeometry geometry;
    OutputOptions options;  // the trim model's part included, as in the settings record
    FakeTrimView view;
    TrimEditor editor;
    TempDir dir;

    void open(std::int32_t width, std::int32_t height, const char16_t* name = u"photo.jpg") {
        releasePixels(document);
        const std::uint32_t bytes = imageBytes(width, height, 24);
        document.sourcePixels = allocPixels(bytes);
        std::uint32_t seed = 7;
        for (std::uint32_t i = 0; i < bytes; ++i)
            document.sourcePixels[i] = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
        initHeader(document.header, width, height, 24, 2835, 3780);
        document.path = join(dir.path(), name);
        geometry = ViewGeometry{};
        geometry.clientW = width + 40;
        geometry.clientH = height + 40;
        FitNew(geometry, width, height, ViewMetrics{});
        view.editor = &editor;
        editor.view = &view;
        editor.geometry = &geometry;
        editor.options = &options;
    }
    void outputSize(std::int32_t w, std::int32_t h) {
        options.trimWidth = w;
        options.trimHeight = h;
    }
    // Settles the largest centred rectangle, then sets trimRect directly.
    void settle(const TrimRect* rect = nullptr) {
        ASSERT_TRUE(FitLargest(editor, {document.header.biWidth, document.header.biHeight, document.sourcePixels}));
        if (rect) editor.trimRect = *rect;
    }
    // The crop of `pixels` (the document's size) to `r`, as bottom-up padded rows.
    std::vector<std::uint8_t> crop(const std::uint8_t* pixels, const TrimRect& r) const {
        const std::int32_t w = r.right - r.left + 1, h = r.bottom - r.top + 1;
        const std::uint32_t inStride = rowStride(document.header.biWidth, 24), outStride = rowStride(w, 24);
        std::vector<std::uint8_t> out(std::size_t(outStride) * h, 0);
        for (std::int32_t y = 0; y < h; ++y)  // picture row r.top + y
            std::memcpy(&out[std::size_t(outStride) * (h - 1 - y)],
                        pixels + std::size_t(inStride) * (document.header.biHeight - 1 - r.top - y) + r.left * 3,
                        std::size_t(w) * 3);
        return out;
    }
    static std::vector<std::uint8_t> bytesOf(const ImageData& image) {
        const std::uint32_t n = imageBytes(image.header.biWidth, image.header.biHeight, 24);
        return {image.pixels, image.pixels + n};
    }
    // Makes a built image the document, as the program does before saving.
    void install(ImageData* image) {
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(InstallImage(document, *image, DocumentHost{}));
        freeImageData(image);
    }
    void SetUp() override {
        open(64, 48);
        options.outputSubfolder.assign(u"Output");
    }
};

TEST_F(OutputJobTest, StepsFollowTheRectangleTheOutputSizeAndTheFilters) {
    struct Case {
        const char* what;
        std::int32_t outW, outH;
        TrimRect rect;  // left -1: the largest centred rectangle
        bool sharpen, levels, moveCorner;
        bool perspective, crop, resize, built;
        std::int32_t resultW, resultH;
    };
    const Case cases[] = {
        {"full image at output size: nothing", 64, 48, {-1}, false, false, false, false, false, false, false, 0, 0},
        {"levels alone start nothing", 64, 48, {-1}, false, true, false, false, false, false, false, 0, 0},
        {"sharpen alone", 64, 48, {-1}, true, false, false, false, false, false, true, 64, 48},
        {"sharpen ignored for a 4-pixel output", 4, 3, {0, 0, 3, 2}, true, false, false, false, true, false, true, 4, 3},
        {"trim at output size: crop only", 16, 12, {8, 4, 23, 15}, false, false, false, false, true, false, true, 16, 12},
        {"full image resized", 32, 24, {-1}, false, false, false, false, false, true, true, 32, 24},
        {"crop and resize", 20, 15, {0, 0, 39, 29}, false, true, false, false, true, true, true, 20, 15},
        {"moved corner, whole image", 64, 48, {-1}, false, false, true, true, false, false, true, 64, 48},
        {"moved corner with crop and resize", 8, 6, {10, 10, 41, 33}, false, false, true, true, true, true, true, 8, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        outputSize(c.outW, c.outH);
        options.sharpen = c.sharpen;
        options.autoLevelsFilter = c.levels;
        settle(c.rect.left >= 0 ? &c.rect : nullptr);
        if (c.moveCorner) editor.quad[kQuadTopLeft] = {5, 3};
        OutputFailure failure;
        OutputSteps steps;
        ImageData* image = BuildOutputImage(editor, document, options, failure, &steps);
        EXPECT_EQ(steps.perspective, c.perspective);
        EXPECT_EQ(steps.crop, c.crop);
        EXPECT_EQ(steps.resize, c.resize);
        EXPECT_EQ(failure.messageId, 0u);
        EXPECT_EQ(editor.trimMode, TrimMode::Idle);  // trim mode ends whether or not an image came
        EXPECT_FALSE(editor.rectified);
        ASSERT_EQ(image != nullptr, c.built);
        if (!image) continue;
        EXPECT_EQ(image->header.biWidth, c.resultW);
        EXPECT_EQ(image->header.biHeight, c.resultH);
        EXPECT_EQ(image->header.biBitCount, 24);
        EXPECT_EQ(image->header.biXPelsPerMeter, 2835);
        EXPECT_EQ(image->header.biYPelsPerMeter, 3780);
        freeImageData(image);
    }
}

TEST_F(OutputJobTest, AnOutputAboveThePixelCeilingIsRefusedLikeAPicture) {
    setPixelCeiling(32 * 24 - 1);
    outputSize(32, 24);
    settle();
    OutputFailure failure;
    ImageData* image = BuildOutputImage(editor, document, options, failure);
    setPixelCeiling(kDefaultPixelCeiling);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(failure.messageId, 50002u);
}

TEST_F(OutputJobTest, ACropAtTheOutputSizeKeepsThePixelsExactly) {
    outputSize(16, 12);
    const TrimRect r{8, 4, 23, 15};
    settle(&r);
    OutputFailure failure;
    ImageData* image = BuildOutputImage(editor, document, options, failure);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(bytesOf(*image), crop(document.sourcePixels, r));
    freeImageData(image);
}

TEST_F(OutputJobTest, ThePerspectiveStepRendersOnlyTheCropWithTheSameResult) {
    outputSize(16, 12);
    const TrimRect r{10, 10, 41, 33};
    settle(&r);
    editor.quad[kQuadTopLeft] = {6, 4};
    editor.quad[kQuadBottomRight] = {60, 45};
    std::vector<std::uint8_t> whole(imageBytes(64, 48, 24) + 4);
    RenderFinal(SolvePerspective(editor.quad, 64, 48), document.sourcePixels, whole.data(), 64, 48);
    std::vector<std::uint8_t> cropped = crop(whole.data(), r);
    std::uint8_t* expected = Resample(cropped.data(), 32, 24, 16, 12, ResizeFilter::AreaLinear, nullptr);
    ASSERT_NE(expected, nullptr);

    OutputFailure failure;
    ImageData* image = BuildOutputImage(editor, document, options, failure);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(bytesOf(*image), std::vector<std::uint8_t>(expected, expected + imageBytes(16, 12, 24)));
    freePixels(expected);
    freeImageData(image);
}

TEST_F(OutputJobTest, AutomaticNames) {
    struct Case {
        const char16_t* documentName;  // null: a pasted image without a path
        bool prefix, suffix, size;
        OutputFormat format;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"photo.jpg", false, false, true, OutputFormat::Jpeg, u"photo400x300.jpg"},
        {u"photo.jpg", true, true, false, OutputFormat::Bmp, u"pre_photo_suf.bmp"},
        {u"photo.jpg", false, false, false, OutputFormat::Tiff, u"photo.tif"},
        {u"my.holiday.png", false, true, true, OutputFormat::Gif, u"my.holiday_suf400x300.gif"},
        {u"noextension", false, false, false, OutputFormat::Png, u"noextension.png"},
        {nullptr, false, false, false, OutputFormat::Jpeg, u"clip.jpg"},
        {nullptr, true, false, true, OutputFormat::Bmp, u"pre_clip400x300.bmp"},
    };
    options.namePrefix.assign(u"pre_");
    options.nameSuffix.assign(u"_suf");
    const WideString folder = join(dir.path(), u"Output");
    for (const Case& c : cases) {
        if (c.documentName)
            document.path = join(dir.path(), c.documentName);
        else
            document.path.clear();
        options.usePrefix = c.prefix;
        options.useSuffix = c.suffix;
        options.appendSize = c.size;
        options.outputFormat = c.format;
        EXPECT_EQ(BuildAutomaticName(document, options, folder).toUtf8(), join(folder, c.expected).toUtf8());
    }
    // An empty prefix with usePrefix on adds nothing.
    options.namePrefix.clear();
    options.usePrefix = true;
    options.useSuffix = options.appendSize = false;
    options.outputFormat = OutputFormat::Jpeg;
    EXPECT_EQ(BuildAutomaticName(document, options, folder).toUtf8(), join(folder, u"clip.jpg").toUtf8());
}

TEST_F(OutputJobTest, TheOutputFolderIsCreatedBesideTheDocumentOrInTheChosenFolder) {
    OutputFailure failure;
    WideString folder;
    // A missing output folder falls back to the document's folder.
    options.outputFolder = join(dir.path(), u"missing");
    ASSERT_TRUE(ResolveOutputFolder(document, options, true, folder, failure));
    EXPECT_EQ(folder.toUtf8(), join(dir.path(), u"Output").toUtf8());
    EXPECT_TRUE(platform::isDirectory(folder.c_str()));
    EXPECT_FALSE(platform::pathExists(options.outputFolder.c_str()));

    // An existing one is used; an empty subfolder name adds nothing.
    options.outputFolder = join(dir.path(), u"Output");
    options.outputSubfolder.clear();
    ASSERT_TRUE(ResolveOutputFolder(document, options, true, folder, failure));
    EXPECT_EQ(folder.toUtf8(), options.outputFolder.toUtf8());

    // Save As of the current image: a missing subfolder is cut back to its parent; without any base
    // the current folder is used.
    options.outputFolder.clear();
    options.outputSubfolder.assign(u"Later");
    ASSERT_TRUE(ResolveOutputFolder(document, options, false, folder, failure));
    EXPECT_EQ(folder.toUtf8(), dir.path().toUtf8());
    EXPECT_FALSE(platform::pathExists(join(dir.path(), u"Later").c_str()));
    document.path.clear();
    options.currentFolder.assign(u"somewhere");
    ASSERT_TRUE(ResolveOutputFolder(document, options, false, folder, failure));
    EXPECT_EQ(folder.toUtf8(), "somewhere");
}

TEST_F(OutputJobTest, ThePlannedOutputFolderIsTheResolvedOneWithNothingCreated) {
    struct Case {
        const char* what;
        const char16_t* outputFolder;  // inside the test folder; null for none
        const char16_t* subfolder;
        bool create;
    };
    ASSERT_TRUE(platform::createDirectory(join(dir.path(), u"chosen").c_str()));
    const Case cases[] = {
        {"beside the document", nullptr, u"Output", true},
        {"in the chosen folder", u"chosen", u"Output", true},
        {"a missing chosen folder falls back", u"missing", u"Output", true},
        {"no subfolder", u"chosen", u"", true},
        {"not created: a missing subfolder is cut back", nullptr, u"Later", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        options.outputFolder.clear();
        if (c.outputFolder) options.outputFolder = join(dir.path(), c.outputFolder);
        options.outputSubfolder.assign(c.subfolder);
        options.createOutputFolder = c.create;
        const std::vector<std::string> before = filesIn(dir.path());
        const WideString planned = PlannedOutputFolder(document, options);
        EXPECT_EQ(filesIn(dir.path()), before);  // nothing made
        WideString resolved;
        OutputFailure failure;
        ASSERT_TRUE(ResolveOutputFolder(document, options, true, resolved, failure));
        EXPECT_EQ(planned.toUtf8(), resolved.toUtf8());
        if (filesIn(dir.path()) != before) std::filesystem::remove(std::filesystem::path(resolved.view()));
    }
}

TEST_F(OutputJobTest, AFolderThatCannotBeCreatedStopsTheJobWith30005) {
    // The subfolder name is taken by a file.
    dir.write(u"Output", {1, 2, 3});
    OutputFailure failure;
    WideString folder;
    EXPECT_FALSE(ResolveOutputFolder(document, options, true, folder, failure));
    EXPECT_EQ(failure.messageId, kMessageCreateFolder);
}

TEST_F(OutputJobTest, SavingTwiceGivesAPlusOneNameAndAnExactPathIsOverwritten) {
    options.outputFormat = OutputFormat::Bmp;
    options.trimWidth = 64;
    const WideString name = join(dir.path(), u"photo.bmp");
    OutputFailure failure;
    WideString placed;
    ASSERT_TRUE(SaveImage(document, options, name, true, failure, &placed));
    EXPECT_EQ(placed.toUtf8(), name.toUtf8());
    ASSERT_TRUE(SaveImage(document, options, name, true, failure, &placed));
    EXPECT_EQ(placed.toUtf8(), join(dir.path(), u"photo+1.bmp").toUtf8());

    dir.write(u"exact.bmp", {9});
    const WideString exact = join(dir.path(), u"exact.bmp");
    ASSERT_TRUE(SaveImage(document, options, exact, false, failure, &placed));
    EXPECT_EQ(placed.toUtf8(), exact.toUtf8());
    EXPECT_EQ(readWholeFile(exact), readWholeFile(name));
}

TEST_F(OutputJobTest, AFailedWriterPlacesNothingAndLeavesNoTemporaryFile) {
    TempDir temp;
    TempFolderOverride override(temp.path());
    // Wider than any JPEG can be: the library refuses.
    open(70000, 1);
    options.outputFormat = OutputFormat::Jpeg;
    const WideString name = join(dir.path(), u"wide.jpg");
    OutputFailure failure;
    EXPECT_FALSE(SaveImage(document, options, name, false, failure));
    EXPECT_TRUE(failure.messageId != 0 || !failure.libraryMessage.empty());
    EXPECT_FALSE(platform::pathExists(name.c_str()));
    EXPECT_TRUE(filesIn(temp.path()).empty());

    // A format no writer handles: nothing placed either.
    open(8, 8);
    options.outputFormat = OutputFormat::Clipboard;
    EXPECT_FALSE(SaveImage(document, options, name, false, failure));
    EXPECT_FALSE(platform::pathExists(name.c_str()));
    EXPECT_TRUE(filesIn(temp.path()).empty());

    // A successful save leaves no temporary file behind.
    options.outputFormat = OutputFormat::Bmp;
    EXPECT_TRUE(SaveImage(document, options, name, false, failure));
    EXPECT_TRUE(filesIn(temp.path()).empty());
}

TEST_F(OutputJobTest, TemporaryFileAndPlacementFailures) {
    options.outputFormat = OutputFormat::Bmp;
    OutputFailure failure;
    {
        TempFolderOverride override(join(dir.path(), u"no-such-folder"));
        EXPECT_FALSE(SaveImage(document, options, join(dir.path(), u"a.bmp"), false, failure));
        EXPECT_EQ(failure.messageId, kMessageTempFile);
    }
    // The destination folder does not exist: the copy fails.
    EXPECT_FALSE(SaveImage(document, options, join(join(dir.path(), u"gone"), u"a.bmp"), true, failure));
    EXPECT_EQ(failure.messageId, kMessagePlaceOutput);
    // No unique name within 259 characters.
    WideString longName = join(dir.path(), u"");
    while (longName.length() < 255) longName.append(u"n");
    longName.append(u".bmp");
    dir.write(WideString(longName.c_str() + dir.path().length() + 1).c_str(), {1});
    EXPECT_FALSE(SaveImage(document, options, longName, true, failure));
    EXPECT_EQ(failure.messageId, kMessagePlaceOutput);
}

TEST_F(OutputJobTest, AFailedPlacementLeavesNoClaimAndAnOldFileWhole) {
    OutputFailure failure;
    const WideString missing = join(dir.path(), u"no-such-temporary");
    WideString destination = join(dir.path(), u"new.bmp");
    EXPECT_FALSE(PlaceOutput(destination, missing, true, failure));
    EXPECT_EQ(failure.messageId, kMessagePlaceOutput);
    EXPECT_TRUE(filesIn(dir.path()).empty());  // neither the claimed name nor a copy beside it

    dir.write(u"old.bmp", {9, 9});
    destination = join(dir.path(), u"old.bmp");
    EXPECT_FALSE(PlaceOutput(destination, missing, false, failure));
    EXPECT_EQ(failure.messageId, kMessagePlaceOutput);
    EXPECT_EQ(readWholeFile(destination), (std::vector<std::uint8_t>{9, 9}));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"old.bmp"}));
}

TEST_F(OutputJobTest, ANameWithNoRoomForTheCopysSuffixIsPlacedToo) {
    const WideString temporary = dir.write(u"t", {1, 2, 3});
    // 259 characters: the copy cannot be the name plus ".tmp" where paths end at 259.
    std::u16string name(259 - dir.path().length() - 1 - 4, u'n');
    name += u".bmp";
    WideString destination = join(dir.path(), name.c_str());
    ASSERT_EQ(destination.length(), 259u);
    OutputFailure failure;
    ASSERT_TRUE(PlaceOutput(destination, temporary, true, failure));
    EXPECT_EQ(readWholeFile(destination), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(filesIn(dir.path()).size(), 2u);  // the temporary and the output, nothing else
}

// Jobs in several threads save documents of the same name at once, each into the same output
// folder that none of them has made yet: every output arrives under its own name, whole.
TEST_F(OutputJobTest, SavesRacingForOneNameEachGetTheirOwn) {
    TempDir temp;
    TempFolderOverride override(temp.path());
    constexpr int kThreads = 6, kEach = 4;
    options.outputFormat = OutputFormat::Bmp;
    std::vector<std::vector<std::uint8_t>> expected(kThreads * kEach);
    std::vector<WideString> placed(kThreads * kEach);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < kEach; ++k) {
                const int job = t * kEach + k;
                Document mine;
                mine.path = join(dir.path(), u"photo.jpg");
                const std::uint32_t bytes = imageBytes(16, 12, 24);
                mine.sourcePixels = allocPixels(bytes);
                for (std::uint32_t i = 0; i < bytes; ++i) mine.sourcePixels[i] = static_cast<std::uint8_t>(job * 7 + i);
                initHeader(mine.header, 16, 12, 24, 0, 0);
                OutputFailure failure;
                WideString folder;
                if (!ResolveOutputFolder(mine, options, true, folder, failure) ||
                    !SaveImage(mine, options, BuildAutomaticName(mine, options, folder), true, failure, &placed[job])) {
                    failures.fetch_add(1);
                    continue;
                }
                // What this document alone writes.
                const WideString own = join(temp.path(), (u"own" + std::u16string(1, static_cast<char16_t>(u'a' + job))).c_str());
                if (!WriteOutputFile(mine, options, own, failure)) failures.fetch_add(1);
                expected[job] = readWholeFile(own);
                platform::deleteFile(own.c_str());
            }
        });
    for (std::thread& t : threads) t.join();
    ASSERT_EQ(failures.load(), 0);
    std::map<std::string, int> byName;
    for (int job = 0; job < kThreads * kEach; ++job) {
        ++byName[placed[job].toUtf8()];
        EXPECT_EQ(readWholeFile(placed[job]), expected[job]) << placed[job].toUtf8();
    }
    const WideString output = join(dir.path(), u"Output");
    std::vector<std::string> names = filesIn(output);
    ASSERT_EQ(names.size(), std::size_t(kThreads * kEach));  // no claim or copy left over
    for (int n = 0; n < kThreads * kEach; ++n) {
        const std::string name = n == 0 ? "photo.bmp" : "photo+" + std::to_string(n) + ".bmp";
        EXPECT_EQ(byName[join(output, WideString::fromUtf8(name).c_str()).toUtf8()], 1) << name;
    }
    EXPECT_TRUE(filesIn(temp.path()).empty());
}

// The whole job (load, crop, resize with each filter, sharpen, levels, encode in each format) on
// several threads at once writes what it writes alone: no decoder, filter or encoder keeps state
// between calls. Under ThreadSanitizer this also shows any data race among them.
TEST_F(OutputJobTest, JobsOnSeveralThreadsWriteWhatOneWrites) {
    struct Combo {
        WideString source;
        ResizeFilter filter;
        OutputFormat format;
    };
    // Sources in the formats the job reads most, written from the fixture's noisy picture.
    std::vector<WideString> sources;
    for (OutputFormat format : {OutputFormat::Jpeg, OutputFormat::Png, OutputFormat::Bmp}) {
        options.outputFormat = format;
        const WideString path = join(dir.path(), (u"source" + std::u16string(outputExtension(format))).c_str());
        OutputFailure failure;
        if (!WriteOutputFile(document, options, path, failure)) {
            ASSERT_EQ(format, OutputFormat::Png);  // the PNG writer may not be in this build yet
            continue;
        }
        sources.push_back(path);
    }
    std::vector<Combo> combos;
    for (const WideString& source : sources)
        for (std::int32_t f = 0; f < kResizeFilterCount; ++f)
            for (OutputFormat format : {OutputFormat::Jpeg, OutputFormat::Png, OutputFormat::Gif, OutputFormat::Tiff})
                combos.push_back(Combo{source, static_cast<ResizeFilter>(f), format});

    const auto run = [&](const Combo& combo, const WideString& out) {
        OutputOptions mine = options;
        mine.resizeMethod = combo.filter;
        mine.outputFormat = combo.format;
        mine.trimWidth = 24;
        mine.trimHeight = 18;
        mine.sharpen = mine.autoLevelsFilter = true;
        Document loaded;
        DocumentHost host;
        host.showsImage = false;
        CodecStatus why = CodecStatus::Ok;
        if (!LoadDocument(loaded, &combo.source, host, &why) || why != CodecStatus::Ok) return std::vector<std::uint8_t>{};
        TrimSelection selection;
        selection.rect = TrimRect{3, 2, 58, 43};
        const OutputSteps steps = PlanOutput(selection.rect, nullptr, 64, 48, mine);
        OutputFailure failure;
        ImageData* result = RunOutputSteps(selection, loaded, mine, steps, failure);
        if (!result) return std::vector<std::uint8_t>{};
        const bool installed = InstallImage(loaded, *result, host);
        freeImageData(result);
        if (!installed || !WriteOutputFile(loaded, mine, out, failure)) return std::vector<std::uint8_t>{};
        std::vector<std::uint8_t> bytes = readWholeFile(out);
        platform::deleteFile(out.c_str());
        return bytes;
    };
    std::vector<std::vector<std::uint8_t>> alone(combos.size()), together(combos.size());
    for (std::size_t i = 0; i < combos.size(); ++i) {
        alone[i] = run(combos[i], join(dir.path(), u"alone"));
        if (combos[i].format != OutputFormat::Png) {
            ASSERT_FALSE(alone[i].empty()) << i;
        }
    }
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const WideString out = join(dir.path(), (u"together" + std::u16string(1, static_cast<char16_t>(u'0' + t))).c_str());
            for (std::size_t i; (i = next.fetch_add(1)) < combos.size();) together[i] = run(combos[i], out);
        });
    for (std::thread& t : threads) t.join();
    for (std::size_t i = 0; i < combos.size(); ++i) EXPECT_EQ(together[i], alone[i]) << i;
}

TEST_F(OutputJobTest, EveryFormatIsWrittenAndReadsBackAtItsSize) {
    outputSize(20, 15);
    settle();
    OutputFailure failure;
    install(BuildOutputImage(editor, document, options, failure));
    for (OutputFormat format :
         {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Jpeg, OutputFormat::Tiff, OutputFormat::Gif}) {
        SCOPED_TRACE(NumberOf(format));
        options.outputFormat = format;
        WideString folder;
        ASSERT_TRUE(ResolveOutputFolder(document, options, true, folder, failure));
        WideString placed;
        const bool saved = SaveImage(document, options, BuildAutomaticName(document, options, folder), true, failure,
                                     &placed);
        if (format == OutputFormat::Png && !saved) {
            EXPECT_EQ(failure.messageId, 50005u);  // the PNG writer is not in this build yet
            continue;
        }
        ASSERT_TRUE(saved) << failure.messageId;
        if (format == OutputFormat::Png) {  // the size from IHDR, whether or not loading knows PNG yet
            const std::vector<std::uint8_t> file = readWholeFile(placed);
            ASSERT_GE(file.size(), 24u);
            EXPECT_EQ(std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8), 0);
            EXPECT_EQ(file[16] << 24 | file[17] << 16 | file[18] << 8 | file[19], 20);
            EXPECT_EQ(file[20] << 24 | file[21] << 16 | file[22] << 8 | file[23], 15);
            continue;
        }
        Document back;
        CodecStatus why = CodecStatus::Ok;
        ASSERT_TRUE(LoadDocument(back, &placed, DocumentHost{}, &why)) << why;
        EXPECT_EQ(back.header.biWidth, 20);
        EXPECT_EQ(back.header.biHeight, 15);
        if (format == OutputFormat::Bmp || format == OutputFormat::Tiff) {
            EXPECT_EQ(std::memcmp(back.sourcePixels, document.sourcePixels, imageBytes(20, 15, 24)), 0);
        }
    }
}

}  // namespace
