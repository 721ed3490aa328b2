// Arbitrary bytes as the clipboard's CF_DIB block: a paste must never crash or read outside the
// block, and a pasted image copied back and pasted again gives the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzHarness.h"
#include "codecs/Clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy of exactly `size` bytes, so that any read past the block shows.
    std::vector<std::uint8_t> block(data, data + size);
    ImageSource source;
    ImageData* image = pasteFromClipboard(source, block.data(), block.size());
    if (image) {
        const BITMAPINFOHEADER& h = image->header;
        if (h.biBitCount != 8 && h.biBitCount != 24) std::abort();
        if (h.biXPelsPerMeter != 0 || h.biYPelsPerMeter != 0 || image->sourceFormat != ImageFormat::Bmp) std::abort();
        const std::uint32_t bytes = imageBytes(h.biWidth, h.biHeight, h.biBitCount);
        ImageSink sink;
        setGeometry(sink.reducer, h.biWidth, h.biHeight, h.biBitCount, h.biBitCount);
        std::vector<std::uint8_t> copy;
        if (!copyToClipboard(sink, image->palette, image->pixels, copy)) std::abort();
        ImageSource again;
        ImageData* back = pasteFromClipboard(again, copy.data(), copy.size());
        if (!back || std::memcmp(back->pixels, image->pixels, bytes) != 0) std::abort();
        if (h.biBitCount == 8 && std::memcmp(back->palette, image->palette, sizeof image->palette) != 0) std::abort();
        checkDecode(again, back);
    }
    checkDecode(source, image);
    return 0;
}
