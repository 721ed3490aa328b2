// GetPictureInfo and GetPicture over any of our readers, which differ only in their header and
// decode calls. A Reader provides:
//   using Header;                 with width, height, infoBytes and bitsBytes
//   static int header(const std::uint8_t* data, std::size_t size, Header& header);
//   static int decode(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
//                     std::uint8_t* bits, std::size_t bitsBytes);
//   static std::int16_t colourDepth(const Header& header);   // the source's bits per pixel
// with the calling convention's result codes.
#pragma once

#include <cstring>

#include "addons/common/PluginIo_win32.h"
#include "plugins/PluginAbi.h"

template <class Reader>
int pictureInfoCall(const char* source, std::intptr_t offset, unsigned flag, plugin_abi::PictureInfo* info) {
    if (!info) return plugin_abi::kOtherError;
    std::memset(info, 0, sizeof *info);
    PluginInput input;
    const int opened = input.open(source, offset, flag);
    if (opened != plugin_abi::kAllRight) return opened;
    typename Reader::Header header;
    const int result = Reader::header(input.data(), input.size(), header);
    if (result != plugin_abi::kAllRight) return result;
    info->width = static_cast<std::int32_t>(header.width);
    info->height = static_cast<std::int32_t>(header.height);
    info->colorDepth = Reader::colourDepth(header);
    return plugin_abi::kAllRight;
}

// The picture in two movable local-memory blocks of exactly the header's sizes; on any failure both
// handles stay null. The progress callback hears of the start and the end; non-zero from it aborts.
template <class Reader>
int pictureCall(const char* source, std::intptr_t offset, unsigned flag, void** bitmapInfo, void** bits,
                plugin_abi::ProgressCallback progress, std::intptr_t user) {
    if (!bitmapInfo || !bits) return plugin_abi::kOtherError;
    *bitmapInfo = nullptr;
    *bits = nullptr;
    PluginInput input;
    const int opened = input.open(source, offset, flag);
    if (opened != plugin_abi::kAllRight) return opened;
    typename Reader::Header header;
    int result = Reader::header(input.data(), input.size(), header);
    if (result != plugin_abi::kAllRight) return result;
    if (progress && progress(0, 1, user)) return plugin_abi::kAborted;

    LocalBlock info, pixels;
    if (!info.allocate(header.infoBytes) || !pixels.allocate(header.bitsBytes)) return plugin_abi::kNoMemory;
    result = Reader::decode(input.data(), input.size(), info.bytes(), header.infoBytes, pixels.bytes(), header.bitsBytes);
    if (result != plugin_abi::kAllRight) return result;
    if (progress && progress(1, 1, user)) return plugin_abi::kAborted;
    *bitmapInfo = info.release();
    *bits = pixels.release();
    return plugin_abi::kAllRight;
}
