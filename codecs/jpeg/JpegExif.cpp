// EXIF carried from the source JPEG into the written one: the marker scan over mapped data, the TIFF
// structure in either byte order, the copy with Orientation reset, and the pixel dimensions. The
// thumbnail refresh of the written file is JpegExifThumbnail.cpp.
//
// Everything is read through bounds-checked readers whose failures are sticky; while a hook reads
// an EXIF segment its reader ends with the segment, so no IFD, value or thumbnail outside the
// segment is ever taken.
#include <cstring>

#include "codecs/jpeg/ExifBytes.h"
#include "codecs/jpeg/JpegCodec.h"

using namespace exif;

namespace {

// Takes the APP1 segment `segment` (length field first) as the EXIF one: its payload, the TIFF data
// and their byte order, with the TIFF reader at IFD0. An IFD0 offset outside the segment leaves the
// reader failed, so the hooks find nothing.
void enterExif(JpegCodec& codec, ByteReader segment, std::uint32_t length) {
    codec.exifSegmentLength = static_cast<std::int32_t>(length);
    codec.hasExif = true;
    segment.skip(2);
    codec.exifPayload = segment.slice(length - 2);
    ByteReader tiff = codec.exifPayload;
    tiff.skip(sizeof kHeader);
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
            const std::uint8_t* header = segment.at(2, sizeof kHeader);
            if (length >= 8 && std::memcmp(header, kHeader, sizeof kHeader) == 0) {
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
            // The whole entry becomes one SHORT 1, whatever form it had: the written pixels are
            // upright (or as stored, for a tag the decoder did not take), and a reader that honours
            // another form must not turn them again. The input is a private copy (copy-on-write
            // mapping or the caller's buffer), never the file.
            auto* entry = const_cast<std::uint8_t*>(ifd.cursor);
            store16(entry, 3, big);
            store32(entry + 2, 1, big);
            store16(entry + 6, 1, big);
            store16(entry + 8, 0, big);
            return 0;
        }
        ifd.skip(10);
    }
    return 0;
}

std::uint32_t readOrientation(JpegCodec& codec, void* argument) {
    auto& orientation = *static_cast<ExifOrientation*>(argument);
    if (orientation.seen) return 0;  // the first EXIF segment decides
    orientation.seen = true;
    ByteReader header = codec.tiff.sliceAt(0, 4);
    const std::uint8_t* mark = header.take(2);
    if (!mark || mark[0] != mark[1] || (mark[0] != 'I' && mark[0] != 'M')) return 0;
    const bool big = mark[0] == 'M';
    if (header.u16(big) != 42) return 0;
    ByteReader& ifd = codec.tiff;
    if (!ifd.has(2)) return 0;
    const std::uint32_t count = ifd.u16(big);
    for (std::uint32_t i = 0; i < count && ifd.has(12); ++i) {
        if (ifd.u16(big) != 0x0112) {
            ifd.skip(10);
            continue;
        }
        const std::uint32_t type = ifd.u16(big);
        const std::uint32_t values = ifd.u32(big);
        if (type == 3 && values == 1) orientation.value = ifd.u16(big);
        return 0;
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
