// Copy: the image as a CF_DIB block, through the sink's memory output.
#include "codecs/Clipboard.h"

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;

bool fail(ImageSink& sink, CodecStatus code) {
    sink.status = code;
    return false;
}

}  // namespace

bool writeClipboardDib(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels) {
    sink.status = CodecStatus::Failure;
    const ColorReducer& r = sink.reducer;
    const std::uint32_t depth = r.sourceDepth;
    if ((depth != 24 && depth != 8) || !pixels || (depth == 8 && !palette)) return fail(sink, CodecStatus::CannotConvert);
    if (r.width == 0 || r.height == 0 || r.width > 0x7FFFFFFF || r.height > 0x7FFFFFFF)
        return fail(sink, CodecStatus::NoMemory);
    const std::uint32_t pixelBytes = imageBytes(r.width, r.height, depth);
    const std::uint32_t paletteBytes = depth == 8 ? 1024 : 0;
    if (pixelBytes == 0 || std::uint64_t{pixelBytes} + kInfoHeaderBytes + paletteBytes > 0xFFFFFFFFull)
        return fail(sink, CodecStatus::NoMemory);

    writeU32le(sink, kInfoHeaderBytes);
    writeU32le(sink, r.width);
    writeU32le(sink, r.height);  // positive: rows bottom-up
    writeU16le(sink, 1);
    writeU16le(sink, static_cast<std::uint16_t>(depth));
    writeU32le(sink, BI_RGB);
    writeU32le(sink, 0);
    writeU32le(sink, static_cast<std::uint32_t>(sink.xResolution));
    writeU32le(sink, static_cast<std::uint32_t>(sink.yResolution));
    writeU32le(sink, 0);
    writeU32le(sink, 0);
    if (paletteBytes) writeBytes(sink, palette, paletteBytes);
    return writeBytes(sink, pixels, pixelBytes);
}

bool copyToClipboard(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels,
                     std::vector<std::uint8_t>& block) {
    writeToMemory(sink, block);
    const bool ok = writeClipboardDib(sink, palette, pixels) && finishOutput(sink);
    sink.memory = nullptr;  // the block belongs to the caller from here on
    if (!ok) block.clear();
    return ok;
}
