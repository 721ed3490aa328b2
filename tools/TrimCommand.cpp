// trim [options] IN...: each input is loaded as the program opens a document, the trim rectangle is
// laid over it (the largest centred one by default), and the program's own output job builds and
// delivers the result: under its automatic name into the output folder, or exactly to -o PATH.
// Several inputs run at once; their outputs are placed, and their lines printed, in the inputs'
// order, so the names and the text are those of a run one file at a time.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

#include "document/FormatDetection.h"
#include "document/OutputJob.h"
#include "platform/platform.h"
#include "shell/PluginSettings.h"
#include "shell/Settings.h"
#include "tools/Cli.h"
#include "tools/Trim.h"
#include "trim/RectifiedCopy.h"
#include "trim/TrimEditor.h"
#include "trim/TrimRules.h"
#include "util/ParallelInOrder.h"
#include "util/files.h"

namespace cli {
namespace {

constexpr std::uint32_t kMostJobs = 256;

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
            job.arguments.push_back(nativePath(arguments[i]));
            continue;
        }
        // Switches without a value.
        if (a == "-r" || a == "--recursive") { job.recursive = true; continue; }
        if (a == "--dry-run") { job.dryRun = true; continue; }
        if (a == "-q" || a == "--quiet") { job.quiet = true; continue; }
        if (a.size() > 2 && a.compare(0, 2, "-j") == 0 && a[2] >= '0' && a[2] <= '9') {  // -j4
            std::int32_t n = 0;
            if (!parseRanged(a.substr(2), 1, kMostJobs, n)) return usageError(self, "-j expects 1 to 256");
            job.jobs = static_cast<std::uint32_t>(n);
            continue;
        }
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
        } else if (a == "-j" || a == "--jobs") {
            if (!parseRanged(v, 1, kMostJobs, n[0])) return usageError(self, "-j expects 1 to 256");
            job.jobs = static_cast<std::uint32_t>(n[0]);
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
            if (!parseRanged(v, 0, kResizeFilterCount - 1, n[0])) return usageError(self, "--filter expects 0 to 3");
            s.resizeMethod = static_cast<ResizeFilter>(n[0]);
        } else if (a == "--format") {
            static const struct {
                const char* name;
                OutputFormat format;
            } names[] = {{"bmp", OutputFormat::Bmp},   {"png", OutputFormat::Png}, {"jpeg", OutputFormat::Jpeg},
                         {"jpg", OutputFormat::Jpeg},  {"tiff", OutputFormat::Tiff}, {"tif", OutputFormat::Tiff},
                         {"gif", OutputFormat::Gif}};
            bool known = false;
            for (const auto& name : names)
                if (v == name.name) {
                    s.outputFormat = name.format;
                    known = true;
                }
            if (!known) return usageError(self, "--format expects bmp, png, jpeg, tiff or gif");
        } else if (a == "--quality") {
            if (!parseRanged(v, 1, 100, s.jpegQuality)) return usageError(self, "--quality expects 1 to 100");
        } else if (a == "--subsampling") {
            if (!parseRanged(v, 0, 2, s.jpegSubsampling)) return usageError(self, "--subsampling expects 0 to 2");
        } else if (a == "--limit-kib") {
            if (!parseRanged(v, 1, 1000000, s.jpegSizeLimitKiB)) return usageError(self, "--limit-kib expects a size");
            s.limitJpegSize = 1;
        } else if (a == "--max-pixels") {
            if (!setMaxPixels(v)) return usageError(self, "--max-pixels expects a number of pixels");
        } else if (a == "--plugins") {
            s.pluginFolder = nativePath(wide);
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
    if (job.arguments.empty()) return usageError(self, "expects at least one input file or folder");
    if (!job.outPath.empty() && (job.arguments.size() != 1 || platform::isDirectory(job.arguments[0].c_str())))
        return usageError(self, "-o takes exactly one input file");
    if (!writesFile(s.outputFormat)) return usageError(self, "the clipboard is not an output here");
    if (job.jobs == 0) job.jobs = platform::processorCount();
    return kOk;
}

// What one input came to: its text, and the encoded output waiting to be placed.
struct TrimOutcome {
    bool ok = false;
    std::string out;       // the line for standard output
    std::string err;       // the error line
    WideString temporary;  // the encoded file, empty when there is nothing to place
    std::int32_t width = 0, height = 0;
};

std::string failureText(const WideString& in, const OutputFailure& failure) {
    if (failure.messageId) return errorText(in, failure.messageId);
    return in.toUtf8() + ": JPEG library error: " + failure.libraryMessage.toUtf8() + "\n";
}

// Loads, trims and encodes one input into a temporary file: everything but the placing, so that
// inputs may run at once. The decoded image is gone when this returns.
void prepareOne(const TrimJob& job, const WideString& in, TrimOutcome& outcome) {
    const Settings& settings = job.settings;
    Document document;
    DocumentHost host;
    host.showsImage = false;
    UsePlugins(host, settings);
    CodecStatus why = CodecStatus::Failure;
    if (!LoadDocument(document, &in, host, &why) || why != CodecStatus::Ok) {
        outcome.err = errorText(in, messageId(why != CodecStatus::Ok ? why : CodecStatus::Failure));
        return;
    }
    const std::int32_t width = document.header.biWidth, height = document.header.biHeight;
    if (width <= 0 || height <= 0) {
        outcome.err = errorText(in, messageId(CodecStatus::BadHeader));
        return;
    }
    // The rectangle as the program's boxes would take it, at the output's ratio.
    const OutputRatio ratio = RatioOf(settings.trimWidth, settings.trimHeight);
    TrimSelection selection;
    selection.rect = job.haveRect ? RectForRequest(job.rect, width, height, ratio) : LargestCentred(width, height, ratio);

    OutputFailure failure;
    ImageData* result = nullptr;
    {
        // The output job reads only the pixels its final warp writes into the rectified copy, so
        // the copy need not start as one of the source.
        RectifiedCopy rectified;
        if (job.haveQuad && !IsIdentityQuad(job.quad, width, height)) {
            if (!rectified.allocate(imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24))) {
                outcome.err = errorText(in, kMessageOutOfMemory);
                return;
            }
            selection.quad = job.quad;
            selection.rectified = rectified.data();
        }
        const OutputSteps steps = PlanOutput(selection.rect, selection.quad, width, height, settings);
        if (steps.any()) result = RunOutputSteps(selection, document, settings, steps, failure);
    }
    if (!result) {
        if (failure.messageId) {
            outcome.err = errorText(in, failure.messageId);
            return;
        }
        outcome.out = in.toUtf8() + ": nothing to change (the trim is the whole image at the output size)\n";
        outcome.ok = true;
        return;
    }
    // The trimmed image becomes the document (its path stays the source's), then it is encoded.
    const bool installed = InstallImage(document, *result, host);
    freeImageData(result);
    if (!installed) {
        outcome.err = errorText(in, kMessageOutOfMemory);
        return;
    }
    WideString temporary;
    if (!makeTempFile(temporary)) {
        outcome.err = errorText(in, kMessageTempFile);
        return;
    }
    if (!WriteOutputFile(document, settings, temporary, failure)) {
        platform::deleteFile(temporary.c_str());
        outcome.err = failureText(in, failure);
        return;
    }
    outcome.temporary = std::move(temporary);
    outcome.width = document.header.biWidth;
    outcome.height = document.header.biHeight;
}

// Places a prepared output under its name; inputs come here one at a time, in their order.
void placeOne(const TrimJob& job, const WideString& in, TrimOutcome& outcome) {
    if (outcome.temporary.empty()) return;
    Document named;  // the automatic name and the output folder go by the input's path alone
    named.path = in;
    OutputFailure failure;
    WideString destination;
    bool placed;
    if (!job.outPath.empty()) {
        destination = job.outPath;
        placed = PlaceOutput(destination, outcome.temporary, false, failure);
    } else {
        WideString folder;
        placed = ResolveOutputFolder(named, job.settings, true, folder, failure);
        if (placed) {
            destination = BuildAutomaticName(named, job.settings, folder);
            placed = PlaceOutput(destination, outcome.temporary, true, failure);
        }
    }
    platform::deleteFile(outcome.temporary.c_str());
    outcome.temporary.clear();
    if (!placed) {
        outcome.err = failureText(in, failure);
        return;
    }
    outcome.ok = true;
    outcome.out = in.toUtf8() + " -> " + destination.toUtf8() + " (" + std::to_string(outcome.width) + " x " +
                  std::to_string(outcome.height) + ")\n";
}

// A name planned in the dry run, as the file system compares it (Windows: ASCII letters without case).
std::u16string plannedKey(const WideString& path) {
    std::u16string key(path.view());
    if (platform::kPathSeparator == u'\\')
        for (char16_t& c : key)
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return key;
}

// The name each input would get now, taking the names of the inputs before it as written. Reads
// no more of an input than its first bytes: an input whose content turns out damaged, or that
// needs no change, is listed as if it were written.
void previewOne(const TrimJob& job, const WideString& in, std::unordered_set<std::u16string>& planned,
                TrimOutcome& outcome) {
    const ImageFormat format = DetectFormatByContent(in);
    // A file no built-in decoder knows may still be a plug-in's: like a damaged image, it is listed
    // as the real run would try it.
    const bool plugins = !job.settings.pluginFolder.empty() && platform::isDirectory(job.settings.pluginFolder.c_str());
    if (format == ImageFormat::Unreadable || (format == ImageFormat::NotRecognised && !plugins)) {
        outcome.err = errorText(in, messageId(format == ImageFormat::Unreadable ? CodecStatus::BadFile
                                                                                : CodecStatus::BadHeader));
        return;
    }
    WideString destination = job.outPath;
    if (destination.empty()) {
        Document named;
        named.path = in;
        const WideString name = BuildAutomaticName(named, job.settings, PlannedOutputFolder(named, job.settings));
        const char16_t* extension = outputExtension(job.settings.outputFormat);
        bool found = false;
        for (std::int32_t n = 0; !found && n < INT32_MAX && uniquePathCandidate(name, extension, n, destination); ++n)
            found = !platform::pathExists(destination.c_str()) && !planned.count(plannedKey(destination));
        if (!found) {
            outcome.err = errorText(in, kMessagePlaceOutput);
            return;
        }
        planned.insert(plannedKey(destination));
    }
    outcome.ok = true;
    outcome.out = in.toUtf8() + " -> " + destination.toUtf8() + " (dry run)\n";
}

}  // namespace

int runTrim(const Command& self, const Arguments& arguments) {
    TrimJob job;
    if (const int usage = parseOptions(self, arguments, job)) return usage;
    const std::vector<TrimInput> inputs = expandInputs(job);
    std::vector<TrimOutcome> outcomes(inputs.size());
    std::size_t good = 0;
    {
        ProgressLine progress(inputs.size(), !job.quiet && !job.dryRun);
        const auto report = [&](std::size_t i) {
            TrimOutcome& outcome = outcomes[i];
            if (outcome.ok) ++good;
            progress.print(job.quiet ? std::string() : outcome.out, outcome.err);
            outcome = TrimOutcome{};  // its text is out; a long run keeps nothing per file
        };
        if (job.dryRun) {
            std::unordered_set<std::u16string> planned;
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                if (inputs[i].unreadableFolder)
                    outcomes[i].err = inputs[i].path.toUtf8() + ": the folder cannot be read\n";
                else
                    previewOne(job, inputs[i].path, planned, outcomes[i]);
                report(i);
            }
        } else {
            runParallelInOrder(
                inputs.size(), job.jobs,
                [&](std::size_t i) {
                    if (inputs[i].unreadableFolder)
                        outcomes[i].err = inputs[i].path.toUtf8() + ": the folder cannot be read\n";
                    else
                        prepareOne(job, inputs[i].path, outcomes[i]);
                },
                [&](std::size_t i) {
                    placeOne(job, inputs[i].path, outcomes[i]);
                    report(i);
                });
        }
    }
    if (!job.quiet)
        std::printf(job.dryRun ? "%zu of %zu file(s) would be written\n" : "%zu of %zu file(s) done\n", good,
                    inputs.size());
    return good == inputs.size() ? kOk : kFailed;
}

}  // namespace cli
