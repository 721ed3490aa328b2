// vantle-pnm.sph: the five exports of an image input plug-in over the Netpbm reader.
#include <windows.h>

#include <type_traits>

#include "addons/common/PictureCalls_win32.h"
#include "addons/common/PluginText.h"
#include "addons/pnm/PnmReader.h"
#include "addons/pnm/PnmVersion.h"
#include "plugins/PluginAbi.h"

namespace {

constexpr char kAbout[] = PNM_PLUGIN_NAME " " PNM_PLUGIN_VERSION ": Netpbm PBM, PGM, PPM and PAM images";
const char* const kInfo[] = {"00IN", kAbout, "*.pnm;*.pbm;*.pgm;*.ppm", "Netpbm image", "*.pam", "Netpbm PAM image"};

int pluginCode(pnm::PnmStatus status) {
    switch (status) {
    case pnm::PnmStatus::ok: return plugin_abi::kAllRight;
    case pnm::PnmStatus::notPnm:
    case pnm::PnmStatus::unsupported: return plugin_abi::kNotSupported;
    case pnm::PnmStatus::brokenData: return plugin_abi::kBrokenData;
    // The picture cannot be held: refused as out of memory, before anything was allocated.
    case pnm::PnmStatus::tooLarge: return plugin_abi::kNoMemory;
    case pnm::PnmStatus::bufferTooSmall: break;
    }
    return plugin_abi::kOtherError;
}

struct PnmCalls {
    using Header = pnm::PnmHeader;
    static int header(const std::uint8_t* data, std::size_t size, Header& header) {
        return pluginCode(pnm::readPnmHeader(data, size, header));
    }
    static int decode(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                      std::uint8_t* bits, std::size_t bitsBytes) {
        return pluginCode(pnm::decodePnm(data, size, info, infoBytes, bits, bitsBytes));
    }
    static std::int16_t colourDepth(const Header& header) { return static_cast<std::int16_t>(header.sourceBitDepth); }
};

}  // namespace

extern "C" {

__declspec(dllexport) int __stdcall GetPluginInfo(int infoNumber, char* buffer, int bufferSize) {
    return plugin_text::copyInfoText(kInfo, static_cast<int>(sizeof kInfo / sizeof kInfo[0]), infoNumber, buffer,
                                     bufferSize);
}

__declspec(dllexport) int __stdcall IsSupported(const char* path, void* firstBytes) {
    std::uint8_t buffer[plugin_abi::kHeadBytes];
    std::size_t size = 0;
    const std::uint8_t* head = supportedHead(firstBytes, buffer, sizeof buffer, size);
    return head && pnm::hasPnmSignature(head, size) ? 1 : 0;
}

__declspec(dllexport) int __stdcall GetPictureInfo(const char* path, std::intptr_t offset, unsigned flag,
                                                   plugin_abi::PictureInfo* info) {
    return pictureInfoCall<PnmCalls>(path, offset, flag, info);
}

__declspec(dllexport) int __stdcall GetPicture(const char* path, std::intptr_t offset, unsigned flag,
                                               void** bitmapInfo, void** bits, plugin_abi::ProgressCallback progress,
                                               std::intptr_t user) {
    return pictureCall<PnmCalls>(path, offset, flag, bitmapInfo, bits, progress, user);
}

// Function 1 (settings) shows the plug-in's name and version: it has nothing to set.
__declspec(dllexport) int __stdcall ConfigurationDlg(void* parentWindow, int function) {
    if (function != 1) return plugin_abi::kNoFunction;
    static const char kText[] = PNM_PLUGIN_NAME " " PNM_PLUGIN_VERSION
        "\n\nReads Netpbm images: PBM, PGM and PPM (plain and raw) and PAM.\nThere is nothing to set.";
    MessageBoxA(static_cast<HWND>(parentWindow), kText, PNM_PLUGIN_NAME, MB_OK | MB_ICONINFORMATION);
    return plugin_abi::kAllRight;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&GetPluginInfo), plugin_abi::GetPluginInfoFn> &&
                  std::is_same_v<decltype(&IsSupported), plugin_abi::IsSupportedFn> &&
                  std::is_same_v<decltype(&GetPictureInfo), plugin_abi::GetPictureInfoFn> &&
                  std::is_same_v<decltype(&GetPicture), plugin_abi::GetPictureFn> &&
                  std::is_same_v<decltype(&ConfigurationDlg), plugin_abi::ConfigurationDlgFn>,
              "the exports have the calling convention's types");
