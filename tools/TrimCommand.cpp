// trim [options] IN...: each input is loaded as the program opens a document, the trim rectangle is
// laid over it (the largest centred one by default), and the program's own output job builds and
// delivers the result: under its automatic name into the output folder, or exactly to -o PATH.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/OutputJob.h"
#include "platform/platform.h"
#include "shell/JobOptions.h"
#include "shell/Settings.h"
#include "tools/Cli.h"
#include "trim/TrimEditor.h"
#include "trim/ViewGeometry.h"

namespace cli {
namespace {

// The trim model's window without a window: boxes feed back at once, the rectified copy is a
// plain buffer, made only when the job has a perspective (without one the copy would be an
// image-sized buffer nothing reads), everything else is a no-op.
class HeadlessTrimView : public TrimView {
public:
    TrimEditor* editor = nullptr;
    std::uint32_t sourceBytes = 0;
    bool perspective = false;
    std::uint8_t* rectified = nullptr;

    ~HeadlessTrimView() override { releaseRectifiedCopy(); }
    void writeBox(std::int32_t id, std::int32_t value) override { BoxChanged(*editor, id, kEditUpdate, value); }
    void setSpinRange(std::int32_t, std::int32_t, std::int32_t) override {}
    void setSpinPos(std::int32_t id, std::int32_t pos) override { writeBox(id - (kSpinLeft - kBoxLeft), pos); }
    void enableGroup(ControlGroup, bool) override {}
    void xorOutline(const TrimRect&) override {}
    void repaint(bool) override {}
    void setCursor(std::int32_t) override {}
    void refreshTitle() override {}
    void closeInputMethod() override {}
    void showDisplay(DisplaySource) override {}
    void trimModeStarted() override {}
    void trimModeEnded() override {}
    void postPreview(bool) override {}
    void setPreviewPriority(bool) override {}
    void waitForPreview() override {}
    // Nothing shows the copy here, and the output job reads only the pixels its final warp has
    // written: the buffer need not start as a copy of the source.
    std::uint8_t* makeRectifiedCopy() override {
        releaseRectifiedCopy();
        if (!perspective) return nullptr;
        rectified = allocPixels(sourceBytes);
        return rectified;
    }
    void releaseRectifiedCopy() override {
        freePixels(rectified);
        rectified = nullptr;
    }
};

struct TrimJob {
    Settings settings;
    bool haveRect = false;
    TrimRect rect;
    bool haveQuad = false;
    TrimPoint quad[4];
    WideString outPath;  // -o
    std::vector<WideString> inputs;
};

bool parseInts(const std::string& text, char separator, std::int32_t* out, int count) {
    const char* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p || v < -1000000000L || v > 1000000000L) return false;
        out[i] = static_cast<std::int32_t>(v);
        if (i + 1 < count) {
            if (*end != separator) return false;
            p = end + 1;
        } else if (*end) {
            return false;
        }
    }
    return true;
}

bool parseRanged(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
    std::int32_t v = 0;
    if (!parseInts(text, ',', &v, 1) || v < low || v > high) return false;
    out = v;
    return true;
}

// Windows accepts "/" in paths, but the output job finds folders by the system's own separator.
WideString nativePath(const WideString& path) {
    WideString out(path);
    if (platform::kPathSeparator != u'/')
        for (std::uint32_t i = 0; i < out.length(); ++i)
            if (out.data()[i] == u'/') out.data()[i] = platform::kPathSeparator;
    return out;
}

std::int32_t clampSize(std::int32_t v) { return v <= 0 ? 1 : v > 9999 ? 9999 : v; }

// Parses the options into `job`; returns kOk or the usage error's status.
int parseOptions(const Command& self, const Arguments& arguments, TrimJob& job) {
    Settings& s = job.settings;
    // The settings file first, so that every flag overrides it wherever it stands.
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i].toUtf8() == "--settings") {
            KeySlotTable slots;
            AcceleratorList accelerators;
            if (!loadSettingsFile(arguments[i + 1].c_str(), s, slots, accelerators))
                return usageError(self, "the settings file cannot be read");
        }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string a = arguments[i].toUtf8();
        if (a.size() < 2 || a[0] != '-') {
            job.inputs.push_back(nativePath(arguments[i]));
            continue;
        }
        // Switches without a value.
        if (a == "--sharpen") { s.sharpen = 1; continue; }
        if (a == "--levels") { s.autoLevelsFilter = 1; continue; }
        if (a == "--progressive") { s.jpegProgressive = 1; continue; }
        if (a == "--keep-exif") { s.keepExif = 1; continue; }
        if (a == "--interlaced") { s.interlaced = 1; continue; }
        if (a == "--append-size") { s.appendSize = 1; continue; }
        if (i + 1 >= arguments.size()) return usageError(self, ("missing value after " + a).c_str());
        const WideString& wide = arguments[++i];
        const std::string v = wide.toUtf8();
        std::int32_t n[8];
        if (a == "--settings") {
            continue;
        } else if (a == "-o") {
            job.outPath = nativePath(wide);
        } else if (a == "--size") {
            if (!parseInts(v, 'x', n, 2)) return usageError(self, "--size expects WxH");
            s.trimWidth = clampSize(n[0]);
            s.trimHeight = clampSize(n[1]);
        } else if (a == "--preset") {
            if (!parseRanged(v, 1, 8, n[0])) return usageError(self, "--preset expects 1 to 8");
            if (s.presetWidth[n[0] - 1] <= 0 || s.presetHeight[n[0] - 1] <= 0)
                return usageError(self, "that preset is empty");
            s.trimWidth = s.presetWidth[n[0] - 1];
            s.trimHeight = s.presetHeight[n[0] - 1];
        } else if (a == "--filter") {
            if (!parseRanged(v, 0, 3, s.resizeMethod)) return usageError(self, "--filter expects 0 to 3");
        } else if (a == "--format") {
            static const char* const names[] = {"bmp", "png", "jpeg", "tiff", "gif"};
            s.outputFormat = -1;
            for (int f = 0; f < 5; ++f)
                if (v == names[f]) s.outputFormat = f;
            if (v == "jpg") s.outputFormat = output::kJpeg;
            if (v == "tif") s.outputFormat = output::kTiff;
            if (s.outputFormat < 0) return usageError(self, "--format expects bmp, png, jpeg, tiff or gif");
        } else if (a == "--quality") {
            if (!parseRanged(v, 1, 100, s.jpegQuality)) return usageError(self, "--quality expects 1 to 100");
        } else if (a == "--subsampling") {
            if (!parseRanged(v, 0, 2, s.jpegSubsampling)) return usageError(self, "--subsampling expects 0 to 2");
        } else if (a == "--limit-kib") {
            if (!parseRanged(v, 1, 1000000, s.jpegSizeLimitKiB)) return usageError(self, "--limit-kib expects a size");
            s.limitJpegSize = 1;
        } else if (a == "--out-folder") {
            s.outputFolder = nativePath(wide);
        } else if (a == "--subfolder") {
            s.outputSubfolder = wide;
        } else if (a == "--prefix") {
            s.usePrefix = 1;
            s.namePrefix = wide;
        } else if (a == "--suffix") {
            s.useSuffix = 1;
            s.nameSuffix = wide;
        } else if (a == "--rect") {
            if (!parseInts(v, ',', n, 4)) return usageError(self, "--rect expects L,T,R,B");
            job.rect = {n[0], n[1], n[2], n[3]};
            job.haveRect = true;
        } else if (a == "--quad") {
            if (!parseInts(v, ',', n, 8)) return usageError(self, "--quad expects eight numbers x,y,...");
            for (int k = 0; k < 4; ++k) job.quad[k] = {n[2 * k], n[2 * k + 1]};
            job.haveQuad = true;
        } else {
            return usageError(self, ("unknown option " + a).c_str());
        }
    }
    if (job.inputs.empty()) return usageError(self, "expects at least one input file");
    if (!job.outPath.empty() && job.inputs.size() != 1) return usageError(self, "-o takes exactly one input");
    if (s.outputFormat == output::kClipboard) return usageError(self, "the clipboard is not an output here");
    return kOk;
}

// Types a value into a number box as the user would: focus, then the change notification.
void typeBox(TrimEditor& editor, std::int32_t id, std::int32_t value) {
    EditChanged(editor, id, kEditSetFocus, value);
    EditChanged(editor, id, kEditUpdate, value);
}

// The width comes from left and right through the boxes (which keep the ratio and clamp); the
// rectangle then moves, as a move drag would, so that its top is `top` inside the image.
void applyRect(TrimEditor& editor, const TrimRect& wanted) {
    const std::int32_t maxX = editor.sourceWidth - 1;
    const std::int32_t left = wanted.left < 0 ? 0 : wanted.left > maxX ? maxX : wanted.left;
    TrimRect& r = editor.trimRect;
    // Shrink first, so the other edge never asks for more height than the image has.
    if (left >= r.left) {
        typeBox(editor, kBoxLeft, left);
        typeBox(editor, kBoxRight, wanted.right);
    } else {
        typeBox(editor, kBoxRight, wanted.right);
        typeBox(editor, kBoxLeft, left);
    }
    const std::int32_t extent = r.bottom - r.top;
    std::int32_t top = wanted.top < 0 ? 0 : wanted.top;
    if (top > editor.sourceHeight - extent - 1) top = editor.sourceHeight - extent - 1;
    r.top = top;
    r.bottom = top + extent;
    editor.cornerPoint = {(r.left + r.right) >> 1, (r.top + r.bottom) >> 1};
}

// One input; false after reporting its failure.
bool trimOne(const TrimJob& job, const WideString& in, const TrimOptions& trimOptions,
             const OutputOptions& outputOptions) {
    Document document;
    DocumentHost host;
    host.showsImage = false;
    CodecStatus why = CodecStatus::Failure;
    if (!LoadDocument(document, &in, host, &why) || why != CodecStatus::Ok) {
        reportError(in, why != CodecStatus::Ok ? why : CodecStatus::Failure);
        return false;
    }
    const std::int32_t width = document.header.biWidth, height = document.header.biHeight;

    ViewGeometry geometry;
    geometry.viewW = geometry.srcW = geometry.scaledW = geometry.clientW = geometry.viewportW = width;
    geometry.viewH = geometry.srcH = geometry.scaledH = geometry.clientH = geometry.viewportH = height;
    geometry.imageWidth = width;
    geometry.imageHeight = height;
    TrimOptions options = trimOptions;
    HeadlessTrimView view;
    TrimEditor editor;
    view.editor = &editor;
    view.sourceBytes = imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
    view.perspective = job.haveQuad;
    editor.view = &view;
    editor.geometry = &geometry;
    editor.options = &options;

    const TrimImage image{width, height, document.sourcePixels};
    if (!FitLargest(editor, image)) {
        reportError(in, CodecStatus::BadHeader);
        return false;
    }
    if (job.haveRect) applyRect(editor, job.rect);
    if (job.haveQuad && editor.rectifiedPixels)
        for (int k = 0; k < 4; ++k) editor.quad[k] = job.quad[k];

    OutputFailure failure;
    OutputSteps steps;
    ImageData* result = BuildOutputImage(editor, document, outputOptions, failure, &steps);
    if (!result) {
        if (failure.messageId) {
            reportError(in, failure.messageId);
            return false;
        }
        std::printf("%s: nothing to change (the trim is the whole image at the output size)\n", in.toUtf8().c_str());
        return true;
    }
    // The trimmed image becomes the document (its path stays the source's), then it is delivered.
    const bool installed = InstallImage(document, *result, host);
    freeImageData(result);
    if (!installed) {
        reportError(in, kMessageOutOfMemory);
        return false;
    }
    WideString placed;
    bool saved;
    if (!job.outPath.empty()) {
        saved = SaveImage(document, outputOptions, job.outPath, false, failure, &placed);
    } else {
        WideString folder;
        saved = ResolveOutputFolder(document, outputOptions, true, folder, failure) &&
                SaveImage(document, outputOptions, BuildAutomaticName(document, outputOptions, folder), true,
                          failure, &placed);
    }
    if (!saved) {
        if (failure.messageId)
            reportError(in, failure.messageId);
        else
            std::fprintf(stderr, "%s: JPEG library error: %s\n", in.toUtf8().c_str(),
                         failure.libraryMessage.toUtf8().c_str());
        return false;
    }
    std::printf("%s -> %s (%d x %d)\n", in.toUtf8().c_str(), placed.toUtf8().c_str(),
                static_cast<int>(document.header.biWidth), static_cast<int>(document.header.biHeight));
    return true;
}

}  // namespace

int runTrim(const Command& self, const Arguments& arguments) {
    TrimJob job;
    if (const int usage = parseOptions(self, arguments, job)) return usage;
    TrimOptions trimOptions;
    OutputOptions outputOptions;
    trimOptionsFromSettings(job.settings, trimOptions);
    outputOptionsFromSettings(job.settings, outputOptions);
    std::size_t good = 0;
    for (const WideString& in : job.inputs)
        if (trimOne(job, in, trimOptions, outputOptions)) ++good;
    std::printf("%zu of %zu file(s) done\n", good, job.inputs.size());
    return good == job.inputs.size() ? kOk : kFailed;
}

}  // namespace cli
