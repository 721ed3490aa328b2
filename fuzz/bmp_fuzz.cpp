// The BMP decoder on arbitrary bytes; a small 24-bit result must also survive a write and a re-read.
#include <cstring>
#include <vector>

#include "codecs/Bmp.h"
#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ImageSource source;
    ImageData* image = loadFramedMemory(source, data, size, decodeBmp);
    if (image && image->header.biBitCount == 24 &&
        imageBytes(image->header.biWidth, image->header.biHeight, 24) <= (1u << 20)) {
        const BITMAPINFOHEADER& h = image->header;
        std::vector<std::uint8_t> file;
        ImageSink sink;
        writeToMemory(sink, file);
        setGeometry(sink.reducer, h.biWidth, h.biHeight, 24, 24);
        if (!writeBmp(sink, image->palette, image->pixels) || !finishOutput(sink)) std::abort();
        ImageSource again;
        ImageData* copy = loadFramedMemory(again, file.data(), file.size(), decodeBmp);
        if (!copy || std::memcmp(copy->pixels, image->pixels, imageBytes(h.biWidth, h.biHeight, 24)) != 0) std::abort();
        checkDecode(again, copy);
    }
    checkDecode(source, image);
    return 0;
}
