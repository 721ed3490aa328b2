// PNG decoder over arbitrary bytes: any input must end in a valid image or a status, never a crash,
// a hang or an access outside a buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <zlib.h>

#include "codecs/png/PngDecoder.h"
#include "codecs/png/PngIcc.h"
#include "fuzz/FuzzHarness.h"

namespace {

// Rewrites every chunk's CRC so that mutations get past the CRC checks to the chunk rules, the
// rows and inflate.
void fixCrcs(std::vector<std::uint8_t>& file) {
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = load32be(&file[at]);
        if (length > file.size() - at - 12) break;
        const auto crc = static_cast<std::uint32_t>(crc32(0L, &file[at + 4], 4 + length));
        std::uint8_t* p = &file[at + 8 + length];
        p[0] = static_cast<std::uint8_t>(crc >> 24);
        p[1] = static_cast<std::uint8_t>(crc >> 16);
        p[2] = static_cast<std::uint8_t>(crc >> 8);
        p[3] = static_cast<std::uint8_t>(crc);
        at += 12 + std::size_t{length};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Images the decoder would allocate for but that are too large for a quick run are left out;
    // sizes beyond 32 bits stay in, since the decoder refuses them before allocating.
    if (size >= 24) {
        const std::uint64_t pixels = std::uint64_t{load32be(data + 16)} * load32be(data + 20);
        if (pixels > (1u << 22) && pixels < (1ull << 32)) return 0;
    }
    // Inputs that are no PNG at all go to the iCCP reader as a chunk's data: its keyword, method
    // and zlib stream.
    if (size >= 8 && data[0] != 0x89) {
        std::vector<std::uint8_t> chunk(data, data + size);
        IccProfile profile{};
        png::readIccChunk(chunk.data(), static_cast<std::uint32_t>(chunk.size()), profile);
        if (profile.bytes && !iccProfileLooksValid(profile.bytes, profile.size)) std::abort();
        freeIccProfile(profile);
        return 0;
    }
    // An exact-size copy, so any read past the end shows; for inputs whose last byte is odd, with
    // the CRCs made right.
    std::vector<std::uint8_t> file(data, data + size);
    if (size > 8 && (data[size - 1] & 1)) fixCrcs(file);
    ImageSource source;
    ImageData* image = loadFramedMemory(source, file.data(), file.size(), decodePng);
    checkDecode(source, image);
    return 0;
}
