// EXIF carried from the source JPEG into the written one: the marker scan over mapped data, the TIFF
// readers in either byte order, Orientation reset, pixel dimensions, and the thumbnail refresh with
// its rewrite of the written file.
//
// Every read checks the cursor against `end`; while a hook reads an EXIF segment, `end` is the
// segment's end, so no IFD, value or thumbnail outside the segment is ever taken.
#include <cstring>

#include "codecs/jpeg/JpegCodec.h"
#include "util/files.h"

namespace {

constexpr std::uint32_t kHalf = 65533;  // the largest APP1 payload
constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

std::size_t remaining(const JpegCodec& codec) { return static_cast<std::size_t>(codec.input.end - codec.input.cursor); }

void skip(JpegCodec& codec, std::size_t n) { codec.input.cursor = n > remaining(codec) ? codec.input.end : codec.input.cursor + n; }

// cursor = tiffBase + offset, or `end` when that lies beyond it.
void seekTiff(JpegCodec& codec, std::uint32_t offset) {
    const auto available = static_cast<std::size_t>(codec.input.end - codec.tiffBase);
    codec.input.cursor = offset > available ? codec.input.end : codec.tiffBase + offset;
}

std::uint32_t readLittle16(JpegCodec& codec) {
    if (remaining(codec) < 2) {
        codec.input.cursor = codec.input.end;
        return 0;
    }
    const std::uint32_t v = load16le(codec.input.cursor);
    codec.input.cursor += 2;
    return v;
}
std::uint32_t readLittle32(JpegCodec& codec) {
    if (remaining(codec) < 4) {
        codec.input.cursor = codec.input.end;
        return 0;
    }
    const std::uint32_t v = load32le(codec.input.cursor);
    codec.input.cursor += 4;
    return v;
}
std::uint32_t readBig16(JpegCodec& codec) {
    if (remaining(codec) < 2) {
        codec.input.cursor = codec.input.end;
        return 0;
    }
    const std::uint32_t v = load16be(codec.input.cursor);
    codec.input.cursor += 2;
    return v;
}
std::uint32_t readBig32(JpegCodec& codec) {
    if (remaining(codec) < 4) {
        codec.input.cursor = codec.input.end;
        return 0;
    }
    const std::uint32_t v = load32be(codec.input.cursor);
    codec.input.cursor += 4;
    return v;
}

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

// The copy over the codec's writable view [begin, end).
void copyExifFromView(JpegCodec& codec) {
    platform::heapFree(codec.exifBlock);
    codec.exifBlock = nullptr;
    codec.hasExif = false;
    codec.exifSegmentLength = 0;
    const CodecStatus keep = codec.status;
    codec.input.cursor = codec.input.begin;
    codec.onExif = resetOrientation;
    codec.stopAfterExif = stopNow;
    scanJpegMarkers(codec, nullptr);
    codec.status = keep;
    if (!codec.hasExif) return;
    const auto payload = static_cast<std::size_t>(codec.exifSegmentLength - 2);
    codec.exifBlock = static_cast<std::uint8_t*>(platform::heapAlloc(payload));
    if (!codec.exifBlock) {
        codec.hasExif = false;  // nothing to write without the block
        return;
    }
    std::memcpy(codec.exifBlock, codec.tiffBase - 6, payload);
}

}  // namespace

std::uint32_t scanJpegMarkers(JpegCodec& codec, void* hookArgument) {
    std::uint32_t value = 0;
    const std::uint8_t* p = codec.input.cursor;
    const std::uint8_t* const end = codec.input.end;
    for (;;) {
        while (p < end && *p != 0xFF) ++p;
        while (p < end && *p == 0xFF) ++p;
        if (p >= end) break;
        const std::uint8_t marker = *p++;
        if (marker == 0xD8) continue;
        if (marker == 0xD9 || marker == 0xDA) break;
        if (end - p < 2) {
            if (marker != 0xE1) codec.status = CodecStatus::BadFile;
            break;
        }
        const std::uint32_t length = load16be(p);
        if (marker == 0xE1) {
            if (length > static_cast<std::size_t>(end - p)) break;
            if (length >= 8 && std::memcmp(p + 2, kExifHeader, 6) == 0) {
                const std::uint8_t* const segmentEnd = p + length;
                codec.exifSegmentLength = static_cast<std::int32_t>(length);
                codec.tiffBase = codec.input.cursor = p + 8;
                codec.hasExif = true;
                codec.input.end = segmentEnd;
                const bool little = remaining(codec) >= 2 && codec.tiffBase[0] == 'I' && codec.tiffBase[1] == 'I';
                codec.bigEndian = little ? 0 : 1;
                codec.read16 = little ? readLittle16 : readBig16;
                codec.read32 = little ? readLittle32 : readBig32;
                seekTiff(codec, 4);
                seekTiff(codec, codec.read32(codec));
                if (codec.onExif) value = codec.onExif(codec, hookArgument);
                codec.input.end = end;
                if (codec.stopAfterExif && codec.stopAfterExif()) {
                    codec.input.cursor = segmentEnd;
                    return value;
                }
            }
            p += length;
            continue;
        }
        if (length < 2 || length > static_cast<std::size_t>(end - p)) {
            codec.status = CodecStatus::BadFile;
            break;
        }
        p += length;
    }
    codec.input.cursor = p;
    return value;
}

std::uint32_t resetOrientation(JpegCodec& codec, void*) {
    if (remaining(codec) < 2) return 0;
    const std::uint32_t count = codec.read16(codec);
    for (std::uint32_t i = 0; i < count && remaining(codec) >= 12; ++i) {
        if (codec.read16(codec) == 0x0112) {
            skip(codec, 6);
            // The view is a private copy (copy-on-write mapping or the caller's buffer), never the file.
            store16(const_cast<std::uint8_t*>(codec.input.cursor), 1, codec.bigEndian != 0);
            return 0;
        }
        skip(codec, 10);
    }
    return 0;
}

std::uint32_t findThumbnail(JpegCodec& codec, void* argument) {
    auto& field = *static_cast<ThumbnailLengthField*>(argument);
    field = ThumbnailLengthField{};
    if (remaining(codec) < 2) return 0;
    const std::uint32_t entries = codec.read16(codec);
    if (std::size_t{entries} * 12 + 4 > remaining(codec)) return 0;
    skip(codec, std::size_t{entries} * 12);
    const std::uint32_t next = codec.read32(codec);
    if (next == 0) return 0;
    seekTiff(codec, next);
    if (remaining(codec) < 2) return 0;
    const std::uint32_t count = codec.read16(codec);
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < count && remaining(codec) >= 12; ++i) {
        const std::uint32_t tag = codec.read16(codec);
        if (tag == 0x0201) {
            skip(codec, 6);
            offset = codec.read32(codec);
        } else if (tag == 0x0202) {
            skip(codec, 6);
            field.found = true;
            field.valueOffset = static_cast<std::uint32_t>(codec.input.cursor - codec.tiffBase);
            field.length = codec.read32(codec);
        } else {
            skip(codec, 10);
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
    codec.tiffBase = nullptr;
}

void copyExifFromMemory(JpegCodec& codec, std::uint8_t* data, std::size_t size) {
    codec.view = data;
    codec.input = ByteReader(data, data + size);
    copyExifFromView(codec);
    codec.view = nullptr;
    codec.input = ByteReader();
    codec.tiffBase = nullptr;
}

void patchExifDimensions(std::uint8_t* tiff, std::uint32_t tiffLength, std::uint32_t width, std::uint32_t height) {
    const std::int64_t n = tiffLength;
    if (n < 8) return;
    bool bigEndian;
    std::uint32_t ifd0;
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        if (load16le(tiff + 2) != 42 || load16le(tiff + 6) != 0) return;
        bigEndian = false;
        ifd0 = load16le(tiff + 4);
    } else if (tiff[0] == 'M' && tiff[1] == 'M') {
        if (tiff[2] != 0 || tiff[3] != 0x2A || tiff[4] != 0 || tiff[5] != 0) return;
        bigEndian = true;
        ifd0 = load16be(tiff + 6);
    } else {
        return;
    }
    auto read16 = [&](std::int64_t at) -> std::uint32_t {
        return bigEndian ? load16be(tiff + at) : load16le(tiff + at);
    };
    auto read32 = [&](std::int64_t at) -> std::uint32_t {
        return bigEndian ? load32be(tiff + at) : load32le(tiff + at);
    };
    if (ifd0 > n - 2) return;
    const std::uint32_t count = read16(ifd0);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t entry = std::int64_t{ifd0} + 2 + 12 * std::int64_t{i};
        if (entry > n - 12) return;
        if (read16(entry) != 0x8769) continue;
        const std::uint32_t pointer = read32(entry + 8);
        if (pointer >> 16) return;
        const std::int64_t exifIfd = pointer;
        if (exifIfd > n - 2) return;
        const std::uint32_t exifCount = read16(exifIfd);
        if (exifCount < 2) return;
        for (std::uint32_t j = 0; j < exifCount; ++j) {
            const std::int64_t field = exifIfd + 2 + 12 * std::int64_t{j};
            if (field > n - 12) break;
            const std::uint32_t tag = read16(field);
            if (tag != 0xA002 && tag != 0xA003) continue;
            store16(tiff + field + 2, 4, bigEndian);  // LONG
            store32(tiff + field + 4, 1, bigEndian);
            store32(tiff + field + 8, tag == 0xA002 ? width : height, bigEndian);
        }
        return;
    }
}

bool locateExifThumbnail(JpegCodec& codec, std::uint8_t* blockCopy, ExifThumbnailSlot& slot) {
    const CodecStatus keep = codec.status;
    codec.hasExif = false;
    codec.input.cursor = codec.input.begin;
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
    std::memcpy(blockCopy, codec.tiffBase - 6, length - 2);
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
        codec.tiffBase = nullptr;
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
    std::size_t p = 0;
    for (;;) {
        while (p < size && data[p] != 0xFF) ++p;
        while (p < size && data[p] == 0xFF) ++p;
        if (p >= size) return false;
        const std::uint8_t marker = data[p++];
        if (marker == 0xD8) continue;
        if (marker == 0xD9 || marker == 0xDA) return false;
        if (size - p < 2) return false;
        const std::uint32_t l = load16be(data + p);
        if (marker == 0xE1) {
            // The first APP1 decides; it must be EXIF and lie wholly inside the file.
            if (size - p < 8 || std::memcmp(data + p + 2, kExifHeader, 6) != 0 || l < 8 || l > size - p) return false;
            start = p;
            length = l;
            return true;
        }
        if (l < 2) return false;
        p += l;
    }
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
    if (!findExifSegment(output.input.begin, size, start, length)) {
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
    const std::size_t tail = start + length;
    ok = platform::writeFile(file, output.input.begin, start) && platform::writeFile(file, lengthField, 2) &&
         platform::writeFile(file, block, static_cast<std::size_t>(newLength - 2)) &&
         platform::writeFile(file, output.input.begin + tail, size - tail);
    if (!platform::closeFile(file)) ok = false;
    closeMapped(output);
    if (ok) ok = platform::replaceFile(temporary.c_str(), outputPath.c_str());
    if (!ok) platform::deleteFile(temporary.c_str());
    return ok;
}
