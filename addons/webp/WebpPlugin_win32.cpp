// vantle-webp.sph: the five exports of an image input plug-in over the libwebp decoding function.
#include <windows.h>

#include <type_traits>

#include "addons/common/PictureCalls_win32.h"
#include "addons/common/PluginText.h"
#include "addons/webp/WebpDecoder.h"
#include "addons/webp/WebpVersion.h"
#include "plugins/PluginAbi.h"

namespace {

constexpr char kAbout[] = WEBP_PLUGIN_NAME " " WEBP_PLUGIN_VERSION ": WebP images through libwebp";
const char* const kInfo[] = {"00IN", kAbout, "*.webp", "WebP image"};

int pluginCode(webp::WebpStatus status) {
    switch (status) {
    case webp::WebpStatus::ok: return plugin_abi::kAllRight;
    case webp::WebpStatus::notWebp:
    case webp::WebpStatus::unsupported: return plugin_abi::kNotSupported;
    case webp::WebpStatus::brokenData: return plugin_abi::kBrokenData;
    // Too large to hold is refused as out of memory, before anything was allocated.
    case webp::WebpStatus::tooLarge:
    case webp::WebpStatus::noMemory: return plugin_abi::kNoMemory;
    case webp::WebpStatus::bufferTooSmall: break;
    }
    return plugin_abi::kOtherError;
}

struct WebpCalls {
    using Header = webp::WebpHeader;
    static int header(const std::uint8_t* data, std::size_t size, Header& header) {
        return pluginCode(webp::readWebpHeader(data, size, header));
    }
    static int decode(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                      std::uint8_t* bits, std::size_t bitsBytes) {
        return pluginCode(webp::decodeWebp(data, size, info, infoBytes, bits, bitsBytes));
    }
    // Eight bits for each of the three colours, with alpha or without (alpha is not counted).
    static std::int16_t colourDepth(const Header&) { return 24; }
};

}  // namespace

extern "C" {

__declspec(dllexport) int __stdcall GetPluginInfo(int infoNumber, char* buffer, int bufferSize) {
    return plugin_text::copyInfoText(kInfo, static_cast<int>(sizeof kInfo / sizeof kInfo[0]), infoNumber, buffer,
                                     bufferSize);
}

// Claimed only when the RIFF/WEBP signature and libwebp's own reading of the header agree.
__declspec(dllexport) int __stdcall IsSupported(const char* path, void* firstBytes) {
    std::uint8_t buffer[plugin_abi::kHeadBytes];
    std::size_t size = 0;
    const std::uint8_t* head = supportedHead(firstBytes, buffer, sizeof buffer, size);
    return head && webp::hasWebpSignature(head, size) ? 1 : 0;
}

__declspec(dllexport) int __stdcall GetPictureInfo(const char* path, std::intptr_t offset, unsigned flag,
                                                   plugin_abi::PictureInfo* info) {
    return pictureInfoCall<WebpCalls>(path, offset, flag, info);
}

__declspec(dllexport) int __stdcall GetPicture(const char* path, std::intptr_t offset, unsigned flag,
                                               void** bitmapInfo, void** bits, plugin_abi::ProgressCallback progress,
                                               std::intptr_t user) {
    return pictureCall<WebpCalls>(path, offset, flag, bitmapInfo, bits, progress, user);
}

// Function 1 (settings) shows the plug-in's name and version: it has nothing to set.
__declspec(dllexport) int __stdcall ConfigurationDlg(void* parentWindow, int function) {
    if (function != 1) return plugin_abi::kNoFunction;
    static const char kText[] = WEBP_PLUGIN_NAME " " WEBP_PLUGIN_VERSION
        "\n\nReads WebP images (lossy, lossless, with alpha, the first frame of an animation) through libwebp.\n"
        "There is nothing to set.";
    MessageBoxA(static_cast<HWND>(parentWindow), kText, WEBP_PLUGIN_NAME, MB_OK | MB_ICONINFORMATION);
    return plugin_abi::kAllRight;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&GetPluginInfo), plugin_abi::GetPluginInfoFn> &&
                  std::is_same_v<decltype(&IsSupported), plugin_abi::IsSupportedFn> &&
                  std::is_same_v<decltype(&GetPictureInfo), plugin_abi::GetPictureInfoFn> &&
                  std::is_same_v<decltype(&GetPicture), plugin_abi::GetPictureFn> &&
                  std::is_same_v<decltype(&ConfigurationDlg), plugin_abi::ConfigurationDlgFn>,
              "the exports have the calling convention's types");
