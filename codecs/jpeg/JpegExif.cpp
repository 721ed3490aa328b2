// EXIF carried from the source JPEG into the written one: the marker scan over mapped data, the TIFF
// structure in either byte order, Orientation reset, pixel dimensions, and the thumbnail refresh
// with its rewrite of the written file.
//
// Everything is read through bounds-checked readers whose failures are sticky; while a hook reads
// an EXIF segment its reader ends with the segment, so no IFD, value or thumbnail outside the
// segment is ever taken.
#include <cstring>

#include "codecs/jpeg/JpegCodec.h"
#include "util/files.h"

namespace {

constexpr std::uint32_t kHalf = 65533;  // the largest APP1 payload
constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

void store16(std::uint8_t* p, std::uint32_t v, bool bigEndian) {
    if (bigEndian) {
        p[0] = static_cast<std::uint8_t>(v >> 8);
        p[1] = static_cast<std::uint8_t>(v);
    } else {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
}
void store32(std::uint8_t* p, std::uint32_t v, bool bigEndian) {
    if (bigEndian) {
        store16(p, v >> 16, true);
        store16(p + 2, v, true);
    } else {
        store16(p, v, false);
        store16(p + 2, v >> 16, false);
    }
}

bool stopNow() { return true; }

// Skips to the next marker byte: past anything up to 0xFF, then past the 0xFF fill. False at the end.
bool nextMarker(ByteReader& in) {
    while (in.peek() >= 0 && in.peek() != 0xFF) in.skip(1);
    while (in.peek() == 0xFF) in.skip(1);
    return in.peek() >= 0;
}

// Takes the APP1 segment `segment` (length field first) as the EXIF one: its payload, the TIFF data
// and their byte order, with the TIFF reader at IFD0. An IFD0 offset outside the segment leaves the
// reader failed, so the hooks find nothing.
void enterExif(JpegCodec& codec, ByteReader segment, std::uint32_t length) {
    codec.exifSegmentLength = static_cast<std::int32_t>(length);
    codec.hasExif = true;
    segment.skip(2);
    codec.exifPayload = segment.slice(length - 2);
    ByteReader tiff = codec.exifPayload;
    tiff.skip(sizeof kExifHeader);
    codec.tiff = tiff.slice(length - 8);
    const std::uint8_t* mark = codec.tiff.at(0, 2);
    codec.bigEndian = mark && mark[0] == 'I' && mark[1] == 'I' ? 0 : 1;  // any other mark reads as "MM"
    codec.tiff.seek(4);
    codec.tiff.seek(codec.tiff.u32(codec.bigEndian != 0));
}

// The copy over the codec's writable input.
void copyExifFromView(JpegCodec& codec) {
    platform::heapFree(codec.exifBlock);
    codec.exifBlock = nullptr;
    codec.hasExif = false;
    codec.exifSegmentLength = 0;
    const CodecStatus keep = codec.status;
    codec.input.seek(0);
    codec.onExif = resetOrientation;
    codec.stopAfterExif = stopNow;
    scanJpegMarkers(codec, nullptr);
    codec.status = keep;
    if (!codec.hasExif) return;
    const std::size_t payload = codec.exifPayload.size();
    codec.exifBlock = static_cast<std::uint8_t*>(platform::heapAlloc(payload));
    if (!codec.exifBlock) {
        codec.hasExif = false;  // nothing to write without the block
        return;
    }
    std::memcpy(codec.exifBlock, codec.exifPayload.begin, payload);
}

}  // namespace

std::uint32_t scanJpegMarkers(JpegCodec& codec, void* hookArgument) {
    std::uint32_t value = 0;
    ByteReader& in = codec.input;
    while (nextMarker(in)) {
        const std::uint8_t marker = in.u8();
        if (marker == 0xD8) continue;
        if (marker == 0xD9 || marker == 0xDA) break;
        if (!in.has(2)) {
            if (marker != 0xE1) codec.status = CodecStatus::BadFile;
            break;
        }
        ByteReader lengthField = in;
        const std::uint32_t length = lengthField.u16be();  // counts itself
        if (marker == 0xE1) {
            // An APP1 segment that does not fit ends the scan quietly; any other APP1 is stepped over.
            if (length > in.remaining()) break;
            const ByteReader segment = in.slice(length);
            const std::uint8_t* header = segment.at(2, sizeof kExifHeader);
            if (length >= 8 && std::memcmp(header, kExifHeader, sizeof kExifHeader) == 0) {
                enterExif(codec, segment, length);
                if (codec.onExif) value = codec.onExif(codec, hookArgument);
                if (codec.stopAfterExif && codec.stopAfterExif()) break;
            }
            continue;
        }
        if (length < 2 || length > in.remaining()) {
            codec.status = CodecStatus::BadFile;
            break;
        }
        in.skip(length);
    }
    return value;
}

std::uint32_t resetOrientation(JpegCodec& codec, void*) {
    ByteReader& ifd = codec.tiff;
    const bool big = codec.bigEndian != 0;
    if (!ifd.has(2)) return 0;
    const std::uint32_t count = ifd.u16(big);
    for (std::uint32_t i = 0; i < count && ifd.has(12); ++i) {
        if (ifd.u16(big) == 0x0112) {
            ifd.skip(6);
            // The input is a private copy (copy-on-write mapping or the caller's buffer), never the file.
            store16(const_cast<std::uint8_t*>(ifd.cursor), 1, big);
            return 0;
        }
        ifd.skip(10);
    }
    return 0;
}

std::uint32_t findThumbnail(JpegCodec& codec, void* argument) {
    auto& field = *static_cast<ThumbnailLengthField*>(argument);
    field = ThumbnailLengthField{};
    ByteReader& tiff = codec.tiff;
    const bool big = codec.bigEndian != 0;
    if (!tiff.has(2)) return 0;
    const std::uint32_t entries = tiff.u16(big);
    if (!tiff.has(std::size_t{entries} * 12 + 4)) return 0;
    tiff.skip(std::size_t{entries} * 12);
    const std::uint32_t next = tiff.u32(big);
    if (next == 0) return 0;
    tiff.seek(next);
    if (!tiff.has(2)) return 0;
    const std::uint32_t count = tiff.u16(big);
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < count && tiff.has(12); ++i) {
        const std::uint32_t tag = tiff.u16(big);
        if (tag == 0x0201) {
            tiff.skip(6);
            offset = tiff.u32(big);
        } else if (tag == 0x0202) {
            tiff.skip(6);
            field.found = true;
            field.valueOffset = static_cast<std::uint32_t>(tiff.offset());
            field.length = tiff.u32(big);
        } else {
            tiff.skip(10);
        }
    }
    return offset;
}

void copyExifFromSource(JpegCodec& codec, const WideString& sourcePath) {
    const CodecStatus keep = codec.status;
    if (openMappedCopy(codec, sourcePath) == 0) {
        codec.status = keep;
        return;
    }
    copyExifFromView(codec);
    closeMapped(codec);
    codec.exifPayload = codec.tiff = ByteReader();
}

void copyExifFromMemory(JpegCodec& codec, std::uint8_t* data, std::size_t size) {
    codec.view = data;
    codec.input = ByteReader(data, data + size);
    copyExifFromView(codec);
    codec.view = nullptr;
    codec.input = ByteReader();
    codec.exifPayload = codec.tiff = ByteReader();
}

void patchExifDimensions(std::uint8_t* block, std::uint32_t tiffLength, std::uint32_t width, std::uint32_t height) {
    ByteReader tiff(block, block + tiffLength);
    const std::uint8_t* mark = tiff.take(2);
    if (!mark || !tiff.has(6) || mark[0] != mark[1] || (mark[0] != 'I' && mark[0] != 'M')) return;
    const bool big = mark[0] == 'M';
    // The 16-bit value 42, and an IFD0 offset that fits in 16 bits.
    if (tiff.u16(big) != 42) return;
    const std::uint32_t ifd0 = tiff.u32(big);
    if (ifd0 >> 16) return;
    if (!tiff.seek(ifd0) || !tiff.has(2)) return;
    const std::uint32_t count = tiff.u16(big);
    for (std::uint32_t i = 0; i < count && tiff.has(12); ++i) {
        if (tiff.u16(big) != 0x8769) {
            tiff.skip(10);
            continue;
        }
        // The first ExifIFDPointer decides, patched or not.
        tiff.skip(6);
        const std::uint32_t pointer = tiff.u32(big);
        if (pointer >> 16 || !tiff.seek(pointer) || !tiff.has(2)) return;
        const std::uint32_t exifCount = tiff.u16(big);
        if (exifCount < 2) return;
        for (std::uint32_t j = 0; j < exifCount && tiff.has(12); ++j) {
            std::uint8_t* field = block + tiff.offset();
            const std::uint32_t tag = tiff.u16(big);
            tiff.skip(10);
            if (tag != 0xA002 && tag != 0xA003) continue;
            store16(field + 2, 4, big);  // LONG
            store32(field + 4, 1, big);
            store32(field + 8, tag == 0xA002 ? width : height, big);
        }
        return;
    }
}

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
    if (!codec.hasExif || offset == 0 || !field.found || length > kHalf || length < 8) return false;
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
    auto* buffer = static_cast<std::uint8_t*>(platform::heapAlloc(2 * std::size_t{kHalf}));
    if (!buffer) return;
    std::uint8_t* const thumbnail = buffer;
    std::uint8_t* const block = buffer + kHalf;
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
    std::int32_t tw = w;
    std::int32_t th = h;
    if (w > 160 || h > 160) {
        if (w < h) {
            tw = static_cast<std::int32_t>(static_cast<double>(w) * 160 / h + 0.5);
            th = 160;
        } else {
            tw = 160;
            th = static_cast<std::int32_t>(static_cast<double>(h) * 160 / w + 0.5);
        }
    }
    if (found && tw > 0 && th > 0 && imageBytes(tw, th, 24) != 0 && pixels) {
        std::uint8_t* scaled = nullptr;
        const std::uint8_t* source = pixels;
        if (tw != w || th != h) {
            scaled = resample ? resample(pixels, w, h, tw, th, 0, &image) : nullptr;
            source = scaled;
        }
        if (source) {
            // The thumbnail carries a JFIF header and no EXIF of its own.
            setEncoderParameters(codec, tw, th, image.biXPelsPerMeter, image.biYPelsPerMeter, 80, 0, false);
            std::uint32_t size = kHalf;
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
            const std::uint8_t* header = in.at(in.offset() + 2, sizeof kExifHeader);
            if (!header || std::memcmp(header, kExifHeader, sizeof kExifHeader) != 0 || l < 8 || l > in.remaining())
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
