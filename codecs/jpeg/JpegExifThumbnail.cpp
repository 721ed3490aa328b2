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

namespace {

// The thumbnail of the image, at most 160 x 160, encoded into `out` (kLargestPayload bytes) at
// quality 80, lowered while it is larger than `room`. The codec's encoder fields are replaced.
bool encodeThumbnail(JpegCodec& codec, const BITMAPINFOHEADER& image, const std::uint8_t* pixels,
                     ResampleFn resample, std::uint32_t room, std::uint8_t* out, std::uint32_t& size) {
    const std::int32_t w = image.biWidth;
    const std::int32_t h = image.biHeight;
    std::int32_t tw = 0;
    std::int32_t th = 0;
    thumbnailSize(w, h, tw, th);
    if (tw <= 0 || th <= 0 || imageBytes(tw, th, 24) == 0 || !pixels) return false;
    std::uint8_t* scaled = nullptr;
    const std::uint8_t* source = pixels;
    if (tw != w || th != h) {
        scaled = resample ? resample(pixels, w, h, tw, th, &image) : nullptr;
        source = scaled;
    }
    bool ok = false;
    if (source) {
        // The thumbnail carries a JFIF header and no EXIF or profile of its own.
        setEncoderParameters(codec, tw, th, image.biXPelsPerMeter, image.biYPelsPerMeter, 80, 0, false);
        size = kLargestPayload;
        // Even quality 1 may not fit the room; such a thumbnail is not written.
        ok = encodeToMemory(codec, out, size, room, source) && size <= room;
    }
    freePixels(scaled);
    return ok;
}

}  // namespace

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
    std::uint32_t size = 0;
    if (found && encodeThumbnail(codec, image, pixels, resample, slot.room, thumbnail, size)) {
        std::memcpy(block + slot.thumbnailOffset, thumbnail, size);
        rewriteExifSegment(outputPath, block, block + slot.thumbnailOffset, size, block + slot.lengthValueOffset,
                           bigEndian);
    }
    platform::heapFree(buffer);
}

void refreshExifBlockThumbnail(JpegCodec& codec, const BITMAPINFOHEADER& image, const std::uint8_t* pixels,
                               ResampleFn resample) {
    if (!codec.hasExif || !codec.exifBlock || codec.exifSegmentLength < 8) return;
    const auto length = static_cast<std::uint32_t>(codec.exifSegmentLength);
    // The slot, found the way the refresh of a written file finds it: over the block as a segment.
    JpegCodec probe;
    probe.tiff = ByteReader(codec.exifBlock + sizeof kHeader, codec.exifBlock + length - 2);
    const std::uint8_t* mark = probe.tiff.at(0, 2);
    probe.bigEndian = mark && mark[0] == 'I' && mark[1] == 'I' ? 0 : 1;
    probe.tiff.seek(4);
    probe.tiff.seek(probe.tiff.u32(probe.bigEndian != 0));
    ThumbnailLengthField field;
    const std::uint32_t offset = findThumbnail(probe, &field);
    if (offset == 0 || !field.found || offset >= length - 8 || std::uint64_t{field.valueOffset} + 4 > offset) return;
    const std::uint32_t thumbnailOffset = 6 + offset;
    const std::uint32_t room = 65527 - offset;

    JpegCodec encoder;
    auto* block = static_cast<std::uint8_t*>(platform::heapAlloc(std::size_t{thumbnailOffset} + kLargestPayload));
    std::uint32_t size = 0;
    if (!block || !encodeThumbnail(encoder, image, pixels, resample, room, block + thumbnailOffset, size)) {
        platform::heapFree(block);
        return;
    }
    std::memcpy(block, codec.exifBlock, thumbnailOffset);
    store32(block + 6 + field.valueOffset, size, probe.bigEndian != 0);
    platform::heapFree(codec.exifBlock);
    codec.exifBlock = block;
    codec.exifSegmentLength = static_cast<std::int32_t>(thumbnailOffset + size + 2);
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
