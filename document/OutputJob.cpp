#include "document/OutputJob.h"

#include <cstring>

#include "codecs/Bmp.h"
#include "codecs/Gif.h"
#include "codecs/PixelCeiling.h"
#include "codecs/Tiff.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/png/PngEncoder.h"
#include "imaging/OutputFilters.h"
#include "imaging/Resample.h"
#include "platform/platform.h"
#include "util/files.h"

namespace {

constexpr char16_t kSep = platform::kPathSeparator;

// The intermediate image of the pipeline: pixels either borrowed (the document's source or the
// rectified copy, or a window of either) or owned (freed as soon as the next step has its result).
struct Stage {
    const std::uint8_t* pixels = nullptr;
    std::uint8_t* owned = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t stride = 0;  // bytes from one stored row to the next

    void replace(std::uint8_t* next, std::int32_t w, std::int32_t h) {
        freePixels(owned);
        owned = next;
        pixels = next;
        width = w;
        height = h;
        stride = rowStride(static_cast<std::uint32_t>(w), 24);
    }
};

bool cropInside(const Stage& in, const TrimRect& r) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right < in.width &&
           r.bottom < in.height;
}

// The first byte of the crop inside a packed stage: bottom-up rows, so its first stored row is
// image row `bottom` counted from the top.
const std::uint8_t* cropOrigin(const Stage& in, const TrimRect& r) {
    return in.pixels + in.stride * static_cast<std::size_t>(in.height - r.bottom - 1) + std::size_t(r.left) * 3;
}

std::uint8_t* cropPixels(const Stage& in, const TrimRect& r) {
    if (!cropInside(in, r)) return nullptr;
    const std::int32_t w = r.right - r.left + 1, h = r.bottom - r.top + 1;
    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 24);
    std::uint8_t* out = bytes ? allocPixels(bytes) : nullptr;
    if (!out) return nullptr;
    const std::size_t outStride = rowStride(static_cast<std::uint32_t>(w), 24);
    const std::uint8_t* from = cropOrigin(in, r);
    for (std::int32_t y = 0; y < h; ++y)
        std::memcpy(out + outStride * static_cast<std::size_t>(y), from + in.stride * static_cast<std::size_t>(y),
                    std::size_t(w) * 3);
    return out;
}

// Text of `path` before its last separator; empty when it has none.
WideString folderOf(const WideString& path) {
    WideString folder;
    const std::u16string_view v = path.view();
    const std::size_t at = v.rfind(kSep);
    if (at != std::u16string_view::npos) folder.assign(v.data(), static_cast<std::uint32_t>(at));
    return folder;
}

WideString joinSubfolder(const WideString& base, const WideString& name) {
    WideString out(base);
    if (name.empty()) return out;
    if (!base.empty() && base.view().back() != kSep) out.append(&kSep, 1);
    out.append(name);
    return out;
}

void setFailure(OutputFailure& failure, std::uint32_t id) {
    failure.messageId = id;
    failure.libraryMessage.clear();
}

}  // namespace

const char16_t* outputExtension(OutputFormat outputFormat) {
    switch (outputFormat) {
    case OutputFormat::Bmp: return u".bmp";
    case OutputFormat::Png: return u".png";
    case OutputFormat::Jpeg: return u".jpg";
    case OutputFormat::Tiff: return u".tif";
    case OutputFormat::Gif: return u".gif";
    case OutputFormat::Clipboard: break;
    }
    return u"";
}

ImageData* RunOutputSteps(const TrimSelection& selection, const Document& document, const OutputOptions& options,
                          const OutputSteps& steps, OutputFailure& failure) {
    setFailure(failure, 0);
    Stage stage;
    stage.pixels = document.sourcePixels;
    stage.width = document.header.biWidth;
    stage.height = document.header.biHeight;
    if (!stage.pixels || stage.width <= 0 || stage.height <= 0) {
        setFailure(failure, kMessageOutOfMemory);
        return nullptr;
    }
    stage.stride = rowStride(static_cast<std::uint32_t>(stage.width), 24);
    // The output obeys the same ceiling as every picture taken in (the crop alone is within it).
    if (steps.resize && (options.trimWidth <= 0 || options.trimHeight <= 0 ||
                         !withinPixelCeiling(static_cast<std::uint32_t>(options.trimWidth),
                                             static_cast<std::uint32_t>(options.trimHeight)))) {
        setFailure(failure, messageId(CodecStatus::BadHeader));
        return nullptr;
    }
    bool ok = true;
    const TrimRect& rect = selection.rect;
    // The warp writes only what the crop keeps; the rectified copy stays its owner's to free.
    if (steps.perspective && selection.quad && selection.rectified) {
        RenderFinal(SolvePerspective(selection.quad, stage.width, stage.height), stage.pixels, selection.rectified,
                    stage.width, stage.height, steps.crop ? &rect : nullptr);
        stage.pixels = selection.rectified;
    }
    if (steps.crop && steps.resize) {
        // The resize reads the crop where it lies: the same pixels, without a copy of them.
        ok = cropInside(stage, rect);
        if (ok) {
            stage.pixels = cropOrigin(stage, rect);
            stage.width = rect.right - rect.left + 1;
            stage.height = rect.bottom - rect.top + 1;
        }
    } else if (steps.crop) {
        std::uint8_t* cropped = cropPixels(stage, rect);
        ok = cropped != nullptr;
        if (ok) stage.replace(cropped, rect.right - rect.left + 1, rect.bottom - rect.top + 1);
    }
    if (ok && steps.resize) {
        BITMAPINFOHEADER header{};
        initHeader(header, stage.width, stage.height, 24, document.header.biXPelsPerMeter,
                   document.header.biYPelsPerMeter);
        std::uint8_t* resized = ResampleRows(stage.pixels, stage.stride, stage.width, stage.height, options.trimWidth,
                                             options.trimHeight, options.resizeMethod, &header);
        ok = resized != nullptr;
        if (ok) stage.replace(resized, options.trimWidth, options.trimHeight);
    }
    if (ok && steps.sharpen) {
        std::uint8_t* sharp = sharpenImage(stage.pixels, stage.width, stage.height);
        ok = sharp != nullptr;
        if (ok) stage.replace(sharp, stage.width, stage.height);
    }
    if (ok && options.autoLevelsFilter) {
        std::uint8_t* levelled = autoLevels(stage.pixels, stage.width, stage.height);
        ok = levelled != nullptr;
        if (ok) stage.replace(levelled, stage.width, stage.height);
    }
    // A warp alone leaves its result in the rectified copy, which goes away with trim mode.
    if (ok && !stage.owned) {
        const std::uint32_t bytes =
            imageBytes(static_cast<std::uint32_t>(stage.width), static_cast<std::uint32_t>(stage.height), 24);
        std::uint8_t* copy = bytes ? allocPixels(bytes) : nullptr;
        ok = copy != nullptr;
        if (ok) {
            std::memcpy(copy, stage.pixels, bytes);
            stage.replace(copy, stage.width, stage.height);
        }
    }
    ImageData* image = ok ? allocImageData() : nullptr;
    if (!image) {
        freePixels(stage.owned);
        setFailure(failure, kMessageOutOfMemory);
        return nullptr;
    }
    initHeader(image->header, stage.width, stage.height, 24, 0, 0);
    image->header.biXPelsPerMeter = document.header.biXPelsPerMeter;
    image->header.biYPelsPerMeter = document.header.biYPelsPerMeter;
    image->pixels = stage.owned;
    return image;
}

ImageData* BuildOutputImage(TrimEditor& editor, const Document& document, const OutputOptions& options,
                            OutputFailure& failure, OutputSteps* planned) {
    setFailure(failure, 0);
    OutputSteps steps;
    if (!Execute(editor, steps)) return nullptr;
    if (planned) *planned = steps;
    ImageData* image = steps.any() ? RunOutputSteps(TakeSelection(editor), document, options, steps, failure) : nullptr;
    EndTrim(editor);
    return image;
}

namespace {

// The base of the output folder: outputFolder when it names an existing folder, else the folder of
// the document.
WideString outputBase(const Document& document, const OutputOptions& options) {
    if (!options.outputFolder.empty() && platform::isDirectory(options.outputFolder.c_str()))
        return options.outputFolder;
    return folderOf(document.path);
}

}  // namespace

bool ResolveOutputFolder(const Document& document, const OutputOptions& options, bool forJob, WideString& folder,
                         OutputFailure& failure) {
    setFailure(failure, 0);
    const WideString base = outputBase(document, options);
    if (!forJob && base.empty()) {
        folder = options.currentFolder;
        return true;
    }
    folder = joinSubfolder(base, options.outputSubfolder);
    if (forJob && options.createOutputFolder) {
        if (platform::isDirectory(folder.c_str())) return true;
        if (!platform::createDirectory(folder.c_str())) {
            // Another job may have made it a moment ago; then it is as good as ours.
            if (platform::isDirectory(folder.c_str())) return true;
            setFailure(failure, kMessageCreateFolder);
            return false;
        }
        platform::announceNewFolder(folder.c_str());
        return true;
    }
    if (!options.outputSubfolder.empty() && !base.empty() && !platform::isDirectory(folder.c_str())) folder = base;
    return true;
}

WideString PlannedOutputFolder(const Document& document, const OutputOptions& options) {
    const WideString base = outputBase(document, options);
    WideString folder = joinSubfolder(base, options.outputSubfolder);
    if (!options.createOutputFolder && !options.outputSubfolder.empty() && !base.empty() &&
        !platform::isDirectory(folder.c_str()))
        folder = base;
    return folder;
}

WideString BuildAutomaticName(const Document& document, const OutputOptions& options, const WideString& folder) {
    WideString name(folder);
    name.append(&kSep, 1);
    if (options.usePrefix) name.append(options.namePrefix);
    if (document.path.empty()) {
        name.append(u"clip");
    } else {
        std::u16string_view file = document.path.view();
        const std::size_t sep = file.rfind(kSep);
        if (sep != std::u16string_view::npos) file.remove_prefix(sep + 1);
        const std::size_t dot = file.rfind(u'.');
        if (dot != std::u16string_view::npos) file = file.substr(0, dot);
        name.append(file.data(), static_cast<std::uint32_t>(file.size()));
    }
    if (options.useSuffix) name.append(options.nameSuffix);
    if (options.appendSize) {
        name.appendInt(options.trimWidth);
        name.append(u"x");
        name.appendInt(options.trimHeight);
    }
    name.append(outputExtension(options.outputFormat));
    return name;
}

bool WriteOutputFile(const Document& document, const OutputOptions& options, const WideString& path,
                     OutputFailure& failure) {
    setFailure(failure, 0);
    const BITMAPINFOHEADER& h = document.header;
    const std::uint32_t width = h.biWidth > 0 ? static_cast<std::uint32_t>(h.biWidth) : 0;
    const std::uint32_t height = h.biHeight > 0 ? static_cast<std::uint32_t>(h.biHeight) : 0;
    const OutputFormat format = options.outputFormat;

    if (format == OutputFormat::Jpeg) {
        JpegCodec codec;
        JpegSaveJob job;
        job.header = &document.header;
        job.pixels = document.sourcePixels;
        job.quality = options.jpegQuality;
        job.subsampling = options.jpegSubsampling;
        job.progressive = options.jpegProgressive;
        job.keepExif = options.keepExif;
        job.limitSize = options.limitJpegSize;
        job.sizeLimitKiB = options.jpegSizeLimitKiB;
        job.sourceHadExif = document.jpegHadExif;
        job.iccProfile = &document.iccProfile;
        job.sourcePath = &document.path;
        job.resample = ResampleThumbnail;
        if (saveJpeg(codec, path, job)) return true;
        if (jpegSaveFailure(codec) == JpegFailureDisplay::LibraryMessage) {
            failure.messageId = 0;
            failure.libraryMessage = codec.libraryMessage;
        } else {
            // A failure the program would not show is still a failure: the file is not placed.
            failure.messageId =
                messageId(codec.status > CodecStatus::Failure ? codec.status : CodecStatus::CannotCreate);
        }
        return false;
    }

    if (format == OutputFormat::Png) {
        PngEncoder encoder;
        setupPngEncoder(encoder, h.biWidth, h.biHeight, h.biXPelsPerMeter, h.biYPelsPerMeter, options.interlaced);
        encoder.iccProfile = &document.iccProfile;
        const bool saved = savePng(encoder, path, document.sourcePixels);
        const CodecStatus why = encoder.status;
        discard(encoder);
        if (!saved) failure.messageId = messageId(why > CodecStatus::Failure ? why : CodecStatus::CannotCreate);
        return saved;
    }

    ImageSink sink;
    sink.xResolution = h.biXPelsPerMeter;
    sink.yResolution = h.biYPelsPerMeter;
    bool saved = false;
    switch (format) {
    case OutputFormat::Bmp:
        setGeometry(sink.reducer, width, height, 24, 24);
        saved = saveBmp(sink, path, document.palette, document.sourcePixels);
        break;
    case OutputFormat::Tiff:
        setGeometry(sink.reducer, width, height, 24, 24);
        saved = saveTiff(sink, path, document.palette, document.sourcePixels, &document.iccProfile);
        break;
    case OutputFormat::Gif:
        setGeometry(sink.reducer, width, height, 24, 8);
        saved = saveGif(sink, path, document.palette, document.sourcePixels, options.interlaced);
        break;
    case OutputFormat::Jpeg:
    case OutputFormat::Png:
    case OutputFormat::Clipboard:
        sink.status = CodecStatus::CannotCreate;
        break;
    }
    const CodecStatus why = sink.status;
    discard(sink);
    if (!saved) failure.messageId = messageId(why > CodecStatus::Failure ? why : CodecStatus::CannotCreate);
    return saved;
}

bool PlaceOutput(WideString& destination, const WideString& temporary, bool uniqueName, OutputFailure& failure) {
    setFailure(failure, 0);
    bool isNew = true;
    if (uniqueName) {
        // The extension: from the last "." after the last separator.
        std::u16string_view v = destination.view();
        const std::size_t sep = v.rfind(kSep);
        const std::size_t dot = v.rfind(u'.');
        WideString ext;
        if (dot != std::u16string_view::npos && (sep == std::u16string_view::npos || dot > sep))
            ext.assign(v.data() + dot, static_cast<std::uint32_t>(v.size() - dot));
        // The name is claimed before anything is written, so a job running beside this one (in
        // this process or another) never picks the same "+N".
        if (!claimUniquePath(destination, ext.c_str())) {
            setFailure(failure, kMessagePlaceOutput);
            return false;
        }
    } else {
        isNew = !platform::pathExists(destination.c_str());
    }
    // The finished file is copied beside its destination and swapped in whole: the destination
    // holds the empty claim or the old file until then, never a part of the new one.
    WideString staged(destination);
    if (staged.length() + 4 > 259) {
        // Where the name leaves no room for ".tmp", a short name in the same folder serves.
        const std::size_t sep = destination.view().rfind(kSep);
        staged.assign(destination.c_str(), sep == std::u16string_view::npos ? 0 : static_cast<std::uint32_t>(sep + 1));
        staged.append(u"~");
    }
    staged.append(u".tmp");
    bool placed = claimUniquePath(staged, u".tmp");
    if (placed) {
        placed = platform::copyFile(temporary.c_str(), staged.c_str(), false) &&
                 platform::replaceFile(staged.c_str(), destination.c_str());
        if (!placed) platform::deleteFile(staged.c_str());
    }
    if (!placed) {
        if (uniqueName) platform::deleteFile(destination.c_str());  // the claim goes back
        setFailure(failure, kMessagePlaceOutput);
        return false;
    }
    if (isNew) platform::announceNewFile(destination.c_str());
    return true;
}

bool SaveImage(const Document& document, const OutputOptions& options, const WideString& path, bool uniqueName,
               OutputFailure& failure, WideString* placedPath) {
    setFailure(failure, 0);
    WideString temporary;
    if (!makeTempFile(temporary)) {
        setFailure(failure, kMessageTempFile);
        return false;
    }
    bool placed = false;
    if (writesFile(options.outputFormat) && WriteOutputFile(document, options, temporary, failure)) {
        WideString destination(path);
        placed = PlaceOutput(destination, temporary, uniqueName, failure);
        if (placed && placedPath) *placedPath = std::move(destination);
    }
    platform::deleteFile(temporary.c_str());
    return placed;
}
