#include "codecs/png/PngIcc.h"

#include <zlib.h>

#include <cstring>

#include "codecs/png/PngZlib.h"

namespace png {

void readIccChunk(const std::uint8_t* data, std::uint32_t length, IccProfile& profile) {
    freeIccProfile(profile);
    std::uint32_t nameLength = 0;
    while (nameLength < length && nameLength < 80 && data[nameLength] != 0) ++nameLength;
    // A keyword of 1 to 79 bytes, its terminator and the method byte must fit.
    if (nameLength == 0 || nameLength >= 80 || std::uint64_t{nameLength} + 2 > length || data[nameLength] != 0 ||
        data[nameLength + 1] != 0)
        return;
    const std::uint8_t* stream = data + nameLength + 2;
    const std::uint32_t streamLength = length - nameLength - 2;

    z_stream z{};
    useHeapHooks(z);
    if (inflateInit(&z) != Z_OK) return;
    // One byte beyond the limit tells a profile that is too large from one that fits exactly.
    const std::size_t capacity = std::size_t{kIccProfileLimit} + 1;
    std::size_t size = 4096;
    auto* out = static_cast<std::uint8_t*>(platform::heapAlloc(size));
    z.next_in = const_cast<Bytef*>(stream);
    z.avail_in = streamLength;
    int rc = Z_OK;
    while (out) {
        z.next_out = out + z.total_out;
        z.avail_out = static_cast<uInt>(size - z.total_out);
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK || z.avail_out != 0 || size == capacity) break;
        // The output is full and the stream goes on: grow it, up to the cap.
        const std::size_t grown = size * 4 < capacity ? size * 4 : capacity;
        auto* bigger = static_cast<std::uint8_t*>(platform::heapAlloc(grown));
        if (bigger) std::memcpy(bigger, out, z.total_out);
        platform::heapFree(out);
        out = bigger;
        size = grown;
    }
    const std::size_t produced = z.total_out;
    inflateEnd(&z);
    if (out && rc == Z_STREAM_END && produced <= kIccProfileLimit)
        setIccProfile(profile, out, produced, reinterpret_cast<const char*>(data), nameLength);
    platform::heapFree(out);
}

bool makeIccChunk(const IccProfile& profile, std::vector<std::uint8_t>& chunk) {
    if (!hasIccProfile(profile)) return false;
    const char* name = iccProfileName(profile);
    const std::size_t nameLength = std::strlen(name);
    const uLong bound = compressBound(profile.size);
    chunk.assign(nameLength + 2 + bound, 0);
    std::memcpy(chunk.data(), name, nameLength);
    z_stream z{};
    useHeapHooks(z);
    if (deflateInit(&z, 9) != Z_OK) return false;
    z.next_in = profile.bytes;
    z.avail_in = profile.size;
    z.next_out = chunk.data() + nameLength + 2;
    z.avail_out = static_cast<uInt>(bound);
    const int rc = deflate(&z, Z_FINISH);
    const std::size_t produced = z.total_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) return false;
    chunk.resize(nameLength + 2 + produced);
    return true;
}

}  // namespace png
