// The JPEG save around the encoder run of JpegLibrary.cpp: the encoder settings, file and memory
// output, the quality search for a size limit, and the save itself with its EXIF.
#include "codecs/jpeg/JpegCodec.h"

#include <algorithm>

namespace {

void freeExifBlock(JpegCodec& codec) {
    platform::heapFree(codec.exifBlock);
    codec.exifBlock = nullptr;
}

// Room beyond the raw image and the EXIF block for the limit-mode buffer: JPEG headers and tables,
// so that small images, whose JPEG is larger than their raw pixels, still fit.
constexpr std::uint64_t kJpegOverhead = 65536;

// The APP2 segments the colour profile takes: 65,519 profile bytes each, behind a marker, a
// length, "ICC_PROFILE\0" and the two sequence bytes.
std::uint64_t iccSegmentBytes(const JpegCodec& codec) {
    if (!codec.iccProfile || !hasIccProfile(*codec.iccProfile)) return 0;
    const std::uint64_t size = codec.iccProfile->size;
    return size + (size + 65518) / 65519 * 18;
}

enum class Attempt { Failed, Fits, TooLarge, Overflowed };

// One encode into the caller's buffer, judged against the limit.
Attempt encodeAttempt(JpegCodec& codec, std::uint8_t* buffer, std::uint32_t capacity, std::uint64_t limit,
                      const std::uint8_t* pixels) {
    writeToBuffer(codec.output, buffer, capacity);
    codec.status = CodecStatus::Failure;
    if (codec.qualityObserver) codec.qualityObserver(codec.observerContext, codec.quality);
    if (!encodeJpeg(codec, pixels)) return codec.memoryOverflow ? Attempt::Overflowed : Attempt::Failed;
    return codec.output.written > limit ? Attempt::TooLarge : Attempt::Fits;
}

bool writeWholeFile(JpegCodec& codec, const WideString& path, const std::uint8_t* data, std::uint32_t size) {
    const bool ok =
        createOutput(codec.output, path) && writeBytes(codec.output, data, size) && finishOutput(codec.output);
    discard(codec.output);
    if (!ok) codec.status = CodecStatus::CannotCreate;
    return ok;
}

}  // namespace

JpegCodec::~JpegCodec() { freeExifBlock(*this); }

void setEncoderParameters(JpegCodec& codec, std::int32_t width, std::int32_t height, std::int32_t xPelsPerMeter,
                          std::int32_t yPelsPerMeter, std::int32_t quality, std::int32_t subsampling, bool progressive) {
    codec.width = std::max(width, 0);
    codec.height = std::max(height, 0);
    const std::uint64_t stride = (std::uint64_t(codec.width) * 3 + 3) & ~std::uint64_t{3};
    codec.stride = std::uint64_t(codec.width) * 3 > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(stride);
    codec.xPelsPerMeter = xPelsPerMeter;
    codec.yPelsPerMeter = yPelsPerMeter;
    codec.quality = static_cast<std::uint32_t>(quality) <= 100 ? quality : 75;
    codec.lumaH = subsampling == 2 ? 1 : 2;
    codec.lumaV = subsampling == 1 || subsampling == 2 ? 1 : 2;
    codec.progressive = progressive;
    freeExifBlock(codec);
    codec.hasExif = false;
    codec.exifSegmentLength = 0;
    codec.iccProfile = nullptr;
    codec.libraryMessage.clear();
}

bool encodeToFile(JpegCodec& codec, const WideString& path, const std::uint8_t* pixels) {
    codec.status = CodecStatus::Failure;
    bool ok = false;
    if (!createOutput(codec.output, path)) {
        codec.status = CodecStatus::CannotCreate;
    } else {
        ok = encodeJpeg(codec, pixels);
        // A file the system could not finish writing is not a written file.
        if (ok && !finishOutput(codec.output)) {
            ok = false;
            codec.status = CodecStatus::CannotCreate;
        }
    }
    discard(codec.output);  // closes the file a failed encode leaves open
    freeExifBlock(codec);
    return ok;
}

bool encodeToMemory(JpegCodec& codec, std::uint8_t* buffer, std::uint32_t& size, std::uint64_t limit,
                    const std::uint8_t* pixels) {
    codec.status = CodecStatus::Failure;
    const std::uint32_t capacity = size;
    Attempt attempt = encodeAttempt(codec, buffer, capacity, limit, pixels);

    // Halve the step each round: down while too large, up while fitting, until a fitting quality
    // comes round a second time or quality 1 has been tried.
    if ((attempt == Attempt::TooLarge || attempt == Attempt::Overflowed) && codec.quality > 1) {
        std::int32_t step = codec.quality / 2;
        codec.quality -= step;
        std::int32_t lastFit = 1;
        do {
            attempt = encodeAttempt(codec, buffer, capacity, limit, pixels);
            if (attempt == Attempt::Failed || codec.quality == 1) break;
            if (step > 1) step /= 2;
            if (attempt != Attempt::Fits) {
                codec.quality -= step;
            } else {
                if (lastFit == codec.quality) break;
                lastFit = codec.quality;
                codec.quality += step;
            }
        } while (codec.quality >= 1);
    }
    const auto produced = static_cast<std::uint32_t>(codec.output.written);
    discard(codec.output);
    freeExifBlock(codec);
    if (attempt == Attempt::Failed || attempt == Attempt::Overflowed) return false;
    size = produced;
    return true;
}

bool saveJpegWithLimit(JpegCodec& codec, const WideString& path, std::int32_t limitKB, const std::uint8_t* pixels) {
    const std::uint64_t capacity = std::uint64_t{codec.stride} * std::uint64_t(std::max(codec.height, 0)) +
                                   std::uint64_t(std::max(codec.exifSegmentLength, 0)) + iccSegmentBytes(codec) +
                                   kJpegOverhead;
    if (capacity > 0xFFFFFFFBull) {
        codec.status = CodecStatus::CannotCreate;
        return false;
    }
    std::uint32_t size = static_cast<std::uint32_t>(capacity);
    std::uint8_t* buffer = allocPixels(size);
    if (!buffer) {
        codec.status = CodecStatus::NoMemory;
        return false;
    }
    const std::uint64_t limit = std::uint64_t(std::max(limitKB, 0)) * 1024;
    bool ok = encodeToMemory(codec, buffer, size, limit, pixels);
    if (ok) ok = writeWholeFile(codec, path, buffer, size);
    freePixels(buffer);
    return ok;
}

bool saveJpeg(JpegCodec& codec, const WideString& path, const JpegSaveJob& job) {
    const BITMAPINFOHEADER* header = job.header;
    setEncoderParameters(codec, header ? header->biWidth : 0, header ? header->biHeight : 0,
                         header ? header->biXPelsPerMeter : 0, header ? header->biYPelsPerMeter : 0, job.quality,
                         job.subsampling, job.progressive);
    codec.status = CodecStatus::Failure;
    bool ok = false;
    if (!header || header->biBitCount != 24 || !job.pixels) {
        // The encoder takes 24-bit images only.
        codec.status = CodecStatus::CannotConvert;
    } else {
        const bool refresh = job.sourceHadExif && job.keepExif && job.sourcePath && !job.sourcePath->empty();
        if (refresh) copyExifFromSource(codec, *job.sourcePath);
        codec.iccProfile = job.iccProfile;
        // Under a size limit the new thumbnail goes into the block before the quality search, so
        // the search measures the whole file as it is written; the file is not rewritten after.
        if (refresh && job.limitSize) {
            const CodecStatus keep = codec.status;
            refreshExifBlockThumbnail(codec, *header, job.pixels, job.resample);
            codec.status = keep;
        }
        ok = job.limitSize ? saveJpegWithLimit(codec, path, job.sizeLimitKiB, job.pixels)
                           : encodeToFile(codec, path, job.pixels);
        if (ok && refresh && !job.limitSize) {
            const CodecStatus keep = codec.status;
            refreshExifThumbnail(codec, path, *header, job.pixels, job.resample);
            codec.status = keep;
        }
    }
    freeExifBlock(codec);
    discard(codec);
    return ok;
}

JpegFailureDisplay jpegSaveFailure(const JpegCodec& codec) {
    switch (codec.status) {
    case CodecStatus::NoMemory:
    case CodecStatus::CannotRead:
    case CodecStatus::BadFile:
    case CodecStatus::CannotCreate:
    case CodecStatus::CannotConvert:
        return JpegFailureDisplay::StatusMessage;
    default:
        return codec.libraryMessage.empty() ? JpegFailureDisplay::Nothing : JpegFailureDisplay::LibraryMessage;
    }
}
