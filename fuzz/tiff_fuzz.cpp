// The TIFF decoder on arbitrary bytes.
#include "codecs/Tiff.h"
#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ImageSource source;
    ImageData* image = loadFramedMemory(source, data, size, decodeTiff);
    checkDecode(source, image);
    return 0;
}
