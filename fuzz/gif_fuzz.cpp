// GIF decoder on arbitrary bytes: any input either fails with a status or yields an image that
// keeps every invariant of the record.
#include <cstdlib>

#include "codecs/Gif.h"
#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Screens above 4 megapixels take the same paths, only slower and with more memory.
    if (size >= 10 && std::uint32_t{load16le(data + 6)} * load16le(data + 8) > (1u << 22)) return 0;
    ImageSource source;
    ImageData* image = loadFramedMemory(source, data, size, decodeGif);
    if (image && (image->header.biBitCount != 8 || image->sourceFormat != ImageFormat::Gif || image->sourceBitDepth > 8))
        std::abort();
    checkDecode(source, image);
    return 0;
}
