// The image plug-in calling convention, as the host calls it and as our own plug-ins export it:
// five exports with the standard calling convention (the only one on 64-bit Windows), ANSI paths in
// the system code page, results as local-memory handles. Header-only and free of the rest of the
// tree, so a plug-in builds from it alone.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define VANTLE_PLUGIN_CALL __stdcall
#else
#define VANTLE_PLUGIN_CALL
#endif

namespace plugin_abi {

// GetPluginInfo: entry 0 is the interface version, written into a buffer of this size.
constexpr int kVersionBufferSize = 8;
// Image input plug-ins answer "00IN"; archive plug-ins "00AM" and are never called.
constexpr char kImageVersion[4] = {'0', '0', 'I', 'N'};
constexpr char kArchiveVersion[4] = {'0', '0', 'A', 'M'};
// The bytes of the file offered to IsSupported.
constexpr int kHeadBytes = 2048;
// The second chance: the data starts behind a 128-byte header.
constexpr int kSkippedHead = 128;

// Results of GetPictureInfo and GetPicture.
constexpr int kNoFunction = -1;
constexpr int kAllRight = 0;
constexpr int kAborted = 1;      // the progress callback returned non-zero
constexpr int kNotSupported = 2;
constexpr int kBrokenData = 3;
constexpr int kNoMemory = 4;
constexpr int kMemoryError = 5;
constexpr int kReadError = 6;
constexpr int kOtherError = 8;

// The flag argument: the input is a file named by the first argument (the only use the host makes).
constexpr unsigned kInputFile = 0;

// The picture-info record. On 64-bit the handle is aligned to 8 bytes: the six 32- and 16-bit fields
// take 22 bytes, two bytes of padding follow.
struct PictureInfo {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t xDensity;
    std::uint16_t yDensity;
    std::int16_t colorDepth;
    void* textInfo;  // HLOCAL of a text about the picture, freed by the caller; may be null
};
static_assert(sizeof(void*) != 8 || (offsetof(PictureInfo, textInfo) == 24 && sizeof(PictureInfo) == 32),
              "the 64-bit picture-info layout");

using ProgressCallback = int(VANTLE_PLUGIN_CALL*)(int number, int denominator, std::intptr_t user);

using GetPluginInfoFn = int(VANTLE_PLUGIN_CALL*)(int infoNumber, char* buffer, int bufferSize);
using IsSupportedFn = int(VANTLE_PLUGIN_CALL*)(const char* path, void* firstBytes);
using GetPictureInfoFn = int(VANTLE_PLUGIN_CALL*)(const char* path, std::intptr_t offset, unsigned flag,
                                                  PictureInfo* info);
using GetPictureFn = int(VANTLE_PLUGIN_CALL*)(const char* path, std::intptr_t offset, unsigned flag,
                                              void** bitmapInfo, void** bits, ProgressCallback progress,
                                              std::intptr_t user);
using ConfigurationDlgFn = int(VANTLE_PLUGIN_CALL*)(void* parentWindow, int function);

}  // namespace plugin_abi
