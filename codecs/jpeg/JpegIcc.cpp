// The colour profile of a JPEG: APP2 segments "ICC_PROFILE\0", each with its sequence number and
// the number of segments, their data reassembled in order. A profile whose segments disagree on the
// count, repeat or miss a number, or do not all lie before the first scan is dropped.
#include <cstring>

#include "codecs/jpeg/ExifBytes.h"
#include "codecs/jpeg/JpegCodec.h"

namespace {

constexpr std::uint8_t kIccHeader[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

struct Chunks {
    ByteReader part[256];  // by sequence number, 1..count
    std::uint32_t count = 0;
    bool bad = false;
};

void takeSegment(Chunks& chunks, ByteReader payload) {
    const std::uint8_t* header = payload.take(sizeof kIccHeader);
    if (!header || std::memcmp(header, kIccHeader, sizeof kIccHeader) != 0) return;  // another APP2
    if (!payload.has(2)) {
        chunks.bad = true;
        return;
    }
    const std::uint32_t sequence = payload.u8();
    const std::uint32_t count = payload.u8();
    if (count == 0 || sequence == 0 || sequence > count || (chunks.count != 0 && chunks.count != count) ||
        chunks.part[sequence].begin) {
        chunks.bad = true;
        return;
    }
    chunks.count = count;
    chunks.part[sequence] = payload.slice(payload.remaining());
}

}  // namespace

void readJpegIccProfile(ByteReader in, IccProfile& profile) {
    freeIccProfile(profile);
    in.seek(0);
    Chunks chunks;
    while (!chunks.bad && exif::nextMarker(in)) {
        const std::uint8_t marker = in.u8();
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (marker == 0xD9 || marker == 0xDA) break;
        if (!in.has(2)) break;
        ByteReader lengthField = in;
        const std::uint32_t length = lengthField.u16be();
        if (length < 2 || length > in.remaining()) break;  // the structure ends here; so does the search
        ByteReader segment = in.slice(length);
        segment.skip(2);
        if (marker == 0xE2) takeSegment(chunks, segment);
    }
    if (chunks.bad || chunks.count == 0) return;
    std::uint64_t total = 0;
    for (std::uint32_t i = 1; i <= chunks.count; ++i) {
        if (!chunks.part[i].begin) return;  // a gap
        total += chunks.part[i].size();
    }
    if (total < 132 || total > kIccProfileLimit) return;
    if (chunks.count == 1) {
        setIccProfile(profile, chunks.part[1].begin, chunks.part[1].size());
        return;
    }
    auto* joined = static_cast<std::uint8_t*>(platform::heapAlloc(static_cast<std::size_t>(total)));
    if (!joined) return;
    std::size_t at = 0;
    for (std::uint32_t i = 1; i <= chunks.count; ++i) {
        std::memcpy(joined + at, chunks.part[i].begin, chunks.part[i].size());
        at += chunks.part[i].size();
    }
    setIccProfile(profile, joined, at);
    platform::heapFree(joined);
}
