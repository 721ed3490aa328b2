#include "codecs/TiffDirectory.h"

namespace tiff {

namespace {

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// One 12-byte entry: tag, type, count and the 4-byte value field, which holds the value itself
// (a SHORT in its first two bytes) or the offset of the values.
struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    ByteReader field;
};

std::uint32_t shortValue(const Directory& d, const Entry& e) {
    ByteReader v = e.field;
    return v.u16(d.bigEndian);
}
std::uint32_t longValue(const Directory& d, const Entry& e) {
    ByteReader v = e.field;
    return v.u32(d.bigEndian);
}
// A SHORT value sits in the first two bytes of the value field, a LONG fills it.
std::uint32_t entryValue(const Directory& d, const Entry& e) {
    return e.type == kLong ? longValue(d, e) : shortValue(d, e);
}

bool readStripArray(ImageSource& source, const Directory& d, const Entry& e, StripArray& a) {
    if (a.present) return fail(source, CodecStatus::Damaged);
    if ((e.type != kShort && e.type != kLong) || e.count == 0) return fail(source, CodecStatus::Damaged);
    if (e.count > (1u << 30) - 1) return fail(source, CodecStatus::BadHeader);
    const std::uint64_t bytes = std::uint64_t{e.count} * (e.type == kShort ? 2 : 4);
    a.values = bytes <= 4 ? e.field.sliceAt(0, bytes) : source.input.sliceAt(longValue(d, e), bytes);
    if (a.values.failed) return fail(source, CodecStatus::Damaged);
    a.present = true;
    a.count = e.count;
    a.type = e.type;
    return true;
}

// ImageWidth and ImageLength: SHORT or LONG, not 0, positive as a signed 32-bit number.
bool readSize(ImageSource& source, const Directory& d, const Entry& e, std::uint32_t& size) {
    if (e.type != kShort && e.type != kLong) return fail(source, CodecStatus::Damaged);
    const std::uint32_t v = e.type == kShort ? shortValue(d, e) : longValue(d, e);
    if (v == 0) return fail(source, CodecStatus::Damaged);
    if (v > 0x7FFFFFFF) return fail(source, CodecStatus::BadHeader);
    size = v;
    return true;
}

// BitsPerSample: one value in the entry, or three equal ones (8 or 16) at an offset. Other counts
// keep the default.
bool readBitsPerSample(ImageSource& source, Directory& d, const Entry& e) {
    d.bitsPerSampleCount = e.count;
    if (e.count == 1) {
        d.bitsPerSample = entryValue(d, e);
    } else if (e.count == 3) {
        ByteReader values = source.input.sliceAt(longValue(d, e), 6);
        if (values.failed) return fail(source, CodecStatus::Damaged);
        const std::uint32_t b = values.u16(d.bigEndian);
        if (values.u16(d.bigEndian) != b || values.u16(d.bigEndian) != b || (b != 8 && b != 16))
            return fail(source, CodecStatus::BadHeader);
        d.bitsPerSample = b;
    }
    return true;
}

bool readEntry(ImageSource& source, Directory& d, const Entry& e) {
    switch (e.tag) {
    case 256: return readSize(source, d, e, d.width);   // ImageWidth
    case 257: return readSize(source, d, e, d.height);  // ImageLength
    case 258: return readBitsPerSample(source, d, e);
    case 259:  // Compression
        if (entryValue(d, e) != 1) return fail(source, CodecStatus::BadHeader);
        return true;
    case 262: d.photometric = entryValue(d, e); return true;  // PhotometricInterpretation
    case 273: return readStripArray(source, d, e, d.offsets);     // StripOffsets
    case 279: return readStripArray(source, d, e, d.byteCounts);  // StripByteCounts
    case 282: d.xResolutionOffset = longValue(d, e); return true;  // XResolution
    case 283: d.yResolutionOffset = longValue(d, e); return true;  // YResolution
    case 284: d.planar = entryValue(d, e); return true;            // PlanarConfiguration
    case 296: d.resolutionUnit = entryValue(d, e); return true;    // ResolutionUnit
    case 320: d.colorMapOffset = longValue(d, e); return true;     // ColorMap
    case 34675:  // InterColorProfile: UNDEFINED (or BYTE) bytes at an offset; a bad one is ignored
        if ((e.type == 7 || e.type == 1) && e.count > 4) d.iccProfile = source.input.sliceAt(longValue(d, e), e.count);
        return true;
    default: return true;  // ImageDescription, SamplesPerPixel, RowsPerStrip, Orientation, ...
    }
}

}  // namespace

std::uint32_t stripValue(const Directory& d, const StripArray& a, std::uint32_t i) {
    const std::uint64_t width = a.type == kShort ? 2 : 4;
    ByteReader v = a.values.sliceAt(width * i, width);
    return a.type == kShort ? v.u16(d.bigEndian) : v.u32(d.bigEndian);
}

bool readDirectory(ImageSource& source, Directory& d) {
    ByteReader& r = source.input;
    if (r.size() < 8) return fail(source, CodecStatus::Damaged);
    const std::uint16_t order = r.u16le();
    if (order == 0x4D4D) d.bigEndian = true;
    else if (order != 0x4949) return fail(source, CodecStatus::Damaged);
    if (r.u16(d.bigEndian) != 42) return fail(source, CodecStatus::Damaged);
    const std::uint32_t first = r.u32(d.bigEndian);
    if (!r.seek(first) || !r.has(2)) return fail(source, CodecStatus::Damaged);
    const std::uint16_t entryCount = r.u16(d.bigEndian);
    ByteReader entries = r.slice(std::size_t{entryCount} * 12);
    if (entries.failed) return fail(source, CodecStatus::Damaged);

    for (std::uint32_t i = 0; i < entryCount; ++i) {
        ByteReader raw = entries.slice(12);
        Entry e;
        e.tag = raw.u16(d.bigEndian);
        e.type = raw.u16(d.bigEndian);
        e.count = raw.u32(d.bigEndian);
        e.field = raw.slice(4);
        if (!readEntry(source, d, e)) return false;
    }
    if (d.width < 1 || d.height < 1) return fail(source, CodecStatus::BadHeader);
    if (!d.offsets.present || !d.byteCounts.present || d.offsets.count != d.byteCounts.count)
        return fail(source, CodecStatus::Damaged);
    return true;
}

}  // namespace tiff
