// A plug-in's picture, as the host converts it: the input's first two bytes say how much of the rest
// is the bitmap-info block, the third is the picture info's colour depth, the remainder the bits.
// Each block lies in a buffer of exactly its size, so any read beyond one shows under ASan.
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "plugins/PluginBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    std::size_t infoSize = data[0] | (data[1] << 8);
    const auto depth = static_cast<std::int8_t>(data[2]);
    data += 3;
    size -= 3;
    if (infoSize > size) infoSize = size;
    const std::vector<std::uint8_t> info(data, data + infoSize);
    const std::vector<std::uint8_t> bits(data + infoSize, data + size);
    PluginPicture picture;
    picture.info = info.data();
    picture.infoSize = info.size();
    picture.bits = bits.data();
    picture.bitsSize = bits.size();
    picture.declaredDepth = depth;
    ImageData* image = allocImageData();
    if (!image) return 0;
    if (ConvertPluginPicture(picture, *image)) {
        if (image->header.biBitCount != 8 && image->header.biBitCount != 24) std::abort();
        checkDecodedImage(image);
    } else {
        if (image->pixels) std::abort();
        freeImageData(image);
    }
    return 0;
}
