// The thumbnail refresh of a written JPEG that carries the source's EXIF block: the slot of the old
// thumbnail found, a new one encoded from the image, and the file rewritten beside itself with the
// segment ending behind the new thumbnail.
#include <cstring>

#include "codecs/jpeg/ExifBytes.h"
#include "codecs/jpeg/JpegCodec.h"
#include "util/files.h"

using namespace exif;

namespace {

// At most 160 x 160, the image's proportions kept; an image within that is used unscaled.
void thumbnailSize(std::int32_t w, std::int32_t h, std::int32_t& tw, std::int32_t& th) {
    tw = w;
    th = h;
    if (w <= 160 && h <= 160) return;
    if (w < h) {
        tw = static_cast<std::int32_t>(static_cast<double>(w) * 160 / h + 0.5);
        th = 160;
    } else {
        tw = 160;
        th = static_cast<std::int32_t>(static_cast<double>(h) * 160 / w + 0.5);
    }
}

}  // namespace

bool locateExifThumbnail(JpegCodec& codec, std::uint8_t* blockCopy, ExifThumbnailSlot& slot) {
    const CodecStatus keep = codec.status;
    codec.hasExif = false;
    codec.input.seek(0);
    codec.onExif = findThumbnail;
    codec.stopAfterExif = stopNow;
    ThumbnailLengthField field;
    const std::uint32_t offset = scanJpegMarkers(codec, &field);
    codec.status = keep;
    const auto length = static_cast<std::uint32_t>(codec.exifSegmentLength);
    if (!codec.hasExif || offset == 0 || !field.found || length > kLargestPayload || length < 8) return false;
    // The thumbnail must start inside the block, and its length value must lie before it: the new
    // thumbnail overwrites everything from its offset on.
    if (offset >= length - 8 || std::uint64_t{field.valueOffset} + 4 > offset) return false;
    std::memcpy(blockCopy, codec.exifPayload.begin, codec.exifPayload.size());
    slot.thumbnailOffset = 6 + offset;
    slot.lengthValueOffset = 6 + field.valueOffset;
    slot.room = 65527 - offset;
    return true;
}

void refreshExifThumbnail(JpegCodec& codec, const WideString& outputPath, const BITMAPINFOHEADER& image,
                          const std::uint8_t* pixels, ResampleFn resample) {
    auto* buffer = static_cast<std::uint8_t*>(platform::heapAlloc(2 * std::size_t{kLargestPayload}));
    if (!buffer) return;
    std::uint8_t* const thumbnail = buffer;
    std::uint8_t* const block = buffer + kLargestPayload;
    ExifThumbnailSlot slot;
    bool found = false;
    if (openMapped(codec, outputPath) != 0) {
        found = locateExifThumbnail(codec, block, slot);
        closeMapped(codec);
        codec.exifPayload = codec.tiff = ByteReader();
    }
    const std::int32_t bigEndian = codec.bigEndian;

    const std::int32_t w = image.biWidth;
    const std::int32_t h = image.biHeight;
    std::int32_t tw = 0;
    std::int32_t th = 0;
    thumbnailSize(w, h, tw, th);
    if (found && tw > 0 && th > 0 && imageBytes(tw, th, 24) != 0 && pixels) {
        std::uint8_t* scaled = nullptr;
        const std::uint8_t* source = pixels;
        if (tw != w || th != h) {
            scaled = resample ? resample(pixels, w, h, tw, th, &image) : nullptr;
            source = scaled;
        }
        if (source) {
            // The thumbnail carries a JFIF header and no EXIF of its own.
            setEncoderParameters(codec, tw, th, image.biXPelsPerMeter, image.biYPelsPerMeter, 80, 0, false);
            std::uint32_t size = kLargestPayload;
            // Even quality 1 may not fit the room; such a thumbnail is not written.
            if (encodeToMemory(codec, thumbnail, size, slot.room, source) && size <= slot.room) {
                std::memcpy(block + slot.thumbnailOffset, thumbnail, size);
                rewriteExifSegment(outputPath, block, block + slot.thumbnailOffset, size, block + slot.lengthValueOffset,
                                   bigEndian);
            }
        }
        freePixels(scaled);
    }
    platform::heapFree(buffer);
}

bool findExifSegment(const std::uint8_t* data, std::size_t size, std::size_t& start, std::uint32_t& length) {
    ByteReader in(data, data + size);
    while (nextMarker(in)) {
        const std::uint8_t marker = in.u8();
        if (marker == 0xD8) continue;
        if (marker == 0xD9 || marker == 0xDA) return false;
        if (!in.has(2)) return false;
        ByteReader lengthField = in;
        const std::uint32_t l = lengthField.u16be();
        if (marker == 0xE1) {
            // The first APP1 decides; it must be EXIF and lie wholly inside the file.
            const std::uint8_t* header = in.at(in.offset() + 2, sizeof kHeader);
            if (!header || std::memcmp(header, kHeader, sizeof kHeader) != 0 || l < 8 || l > in.remaining())
                return false;
            start = in.offset();
            length = l;
            return true;
        }
        if (l < 2 || !in.skip(l)) return false;
    }
    return false;
}

bool rewriteExifSegment(const WideString& outputPath, std::uint8_t* block, const std::uint8_t* thumbnailPosition,
                        std::uint32_t newThumbnailLength, std::uint8_t* lengthValuePosition, std::int32_t bigEndian) {
    const std::uint64_t newLength = std::uint64_t(thumbnailPosition - block) + newThumbnailLength + 2;
    if (newLength > 65535) return false;
    ImageSource output;
    const std::uint32_t size = openMapped(output, outputPath);
    if (size == 0) return false;
    std::size_t start = 0;
    std::uint32_t length = 0;
    if (!findExifSegment(output.input.begin, output.input.size(), start, length)) {
        closeMapped(output);
        return false;
    }
    store32(lengthValuePosition, newThumbnailLength, bigEndian != 0);

    // The new file goes beside the output and replaces it only when written whole.
    WideString temporary;
    temporary.assign(outputPath);
    temporary.append(u".tmp");
    bool ok = makeUniquePath(temporary, u".tmp");
    platform::FileHandle file = ok ? platform::openForReadWrite(temporary.c_str(), platform::Create::newOnly)
                                   : platform::invalidFile();
    if (!platform::isValid(file)) {
        closeMapped(output);
        return false;
    }
    const std::uint8_t lengthField[2] = {static_cast<std::uint8_t>(newLength >> 8), static_cast<std::uint8_t>(newLength)};
    // The segment was found inside the output, so both of its sides are too.
    const std::size_t tail = start + length;
    ok = platform::writeFile(file, output.input.at(0, start), start) && platform::writeFile(file, lengthField, 2) &&
         platform::writeFile(file, block, static_cast<std::size_t>(newLength - 2)) &&
         platform::writeFile(file, output.input.at(tail, size - tail), size - tail);
    if (!platform::closeFile(file)) ok = false;
    closeMapped(output);
    if (ok) ok = platform::replaceFile(temporary.c_str(), outputPath.c_str());
    if (!ok) platform::deleteFile(temporary.c_str());
    return ok;
}
