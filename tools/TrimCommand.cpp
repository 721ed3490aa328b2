// trim [options] IN...: each input is loaded as the program opens a document, the trim rectangle is
// laid over it (the largest centred one by default), and the program's own output job builds and
// delivers the result: under its automatic name into the output folder, or exactly to -o PATH.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/OutputJob.h"
#include "platform/platform.h"
#include "shell/PluginSettings.h"
#include "shell/Settings.h"
#include "tools/Cli.h"
#include "trim/RectifiedCopy.h"
#include "trim/TrimEditor.h"
#include "trim/TrimRules.h"

namespace cli {
namespace {

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
    if (job.inputs.empty()) return usageError(self, "expects at least one input file");
    if (!job.outPath.empty() && job.inputs.size() != 1) return usageError(self, "-o takes exactly one input");
    if (!writesFile(s.outputFormat)) return usageError(self, "the clipboard is not an output here");
    return kOk;
}

// One input; false after reporting its failure.
bool trimOne(const TrimJob& job, const WideString& in) {
    const Settings& settings = job.settings;
    Document document;
    DocumentHost host;
    host.showsImage = false;
    UsePlugins(host, settings);
    CodecStatus why = CodecStatus::Failure;
    if (!LoadDocument(document, &in, host, &why) || why != CodecStatus::Ok) {
        reportError(in, why != CodecStatus::Ok ? why : CodecStatus::Failure);
        return false;
    }
    const std::int32_t width = document.header.biWidth, height = document.header.biHeight;
    if (width <= 0 || height <= 0) {
        reportError(in, CodecStatus::BadHeader);
        return false;
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
                reportError(in, kMessageOutOfMemory);
                return false;
            }
            selection.quad = job.quad;
            selection.rectified = rectified.data();
        }
        const OutputSteps steps = PlanOutput(selection.rect, selection.quad, width, height, settings);
        if (steps.any()) result = RunOutputSteps(selection, document, settings, steps, failure);
    }
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
        saved = SaveImage(document, settings, job.outPath, false, failure, &placed);
    } else {
        WideString folder;
        saved = ResolveOutputFolder(document, settings, true, folder, failure) &&
                SaveImage(document, settings, BuildAutomaticName(document, settings, folder), true, failure, &placed);
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
    std::size_t good = 0;
    for (const WideString& in : job.inputs)
        if (trimOne(job, in)) ++good;
    std::printf("%zu of %zu file(s) done\n", good, job.inputs.size());
    return good == job.inputs.size() ? kOk : kFailed;
}

}  // namespace cli
