// The JPEG decoder over arbitrary bytes, as the document loader would call it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzHarness.h"
#include "codecs/jpeg/JpegCodec.h"

namespace {
// Frames claiming more than 4 Mpixels only cost the fuzzer memory and time; the size checks they
// would reach are the same as for smaller ones.
bool claimsHugeFrame(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i + 8 < size; ++i) {
        if (data[i] != 0xFF) continue;
        const std::uint8_t m = data[i + 1];
        if (m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC) continue;
        const std::uint64_t height = data[i + 5] << 8 | data[i + 6];
        const std::uint64_t width = data[i + 7] << 8 | data[i + 8];
        if (width * height > (1u << 22)) return true;
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The profile reader over the whole input, also where the library refuses the frame.
    IccProfile profile{};
    readJpegIccProfile(ByteReader(data, data + size), profile);
    if (profile.bytes && !iccProfileLooksValid(profile.bytes, profile.size)) std::abort();
    freeIccProfile(profile);
    if (claimsHugeFrame(data, size)) return 0;
    JpegCodec codec;
    ImageData* image = loadFramedMemory(codec, data, size, decodeJpeg);
    checkDecode(codec, image);
    return 0;
}
