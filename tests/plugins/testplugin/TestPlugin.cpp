// vantle-test.sph: a plug-in for the tests only. It reads "test pictures": a 128-byte head of any
// bytes, then "VANTLE-TEST-PLUGIN", a newline and a mode word that says what to answer: a good 4- or
// 1-bit picture, or one of the bad answers a careless plug-in might give. It accepts a file only
// behind the 128-byte head, so the host's second try is what finds it.
#include <windows.h>

#include <cstring>
#include <string>

#include "plugins/PluginAbi.h"

namespace {

namespace abi = plugin_abi;

constexpr char kMagic[] = "VANTLE-TEST-PLUGIN\n";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;

// The mode word of the file at `offset`; empty when the file is not a test picture there.
std::string modeOf(const char* path, std::intptr_t offset) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char bytes[64] = {};
    DWORD got = 0;
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    const bool read = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(file);
    if (!read || got < kMagicLength || std::memcmp(bytes, kMagic, kMagicLength) != 0) return {};
    std::string mode(bytes + kMagicLength);
    return mode.substr(0, mode.find_first_of("\r\n "));
}

HLOCAL block(const void* data, std::size_t size) {
    HLOCAL handle = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
    if (handle && size) {
        void* p = LocalLock(handle);
        std::memcpy(p, data, size);
        LocalUnlock(handle);
    }
    return handle;
}

// The good 4-bit picture: 5 x 3, pixel (x, y) from the top is index (x + 3 y) mod 16, and entry i
// of the colour table is (red 16 i, green 255 - 16 i, blue 8 i).
struct Picture {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[16]{};
    unsigned char bits[64]{};
    std::size_t bitsSize = 0;
};

Picture fourBits() {
    Picture p;
    p.header.biSize = sizeof(BITMAPINFOHEADER);
    p.header.biWidth = 5;
    p.header.biHeight = 3;
    p.header.biPlanes = 1;
    p.header.biBitCount = 4;
    p.header.biClrUsed = 16;
    for (int i = 0; i < 16; ++i)
        p.colours[i] = RGBQUAD{static_cast<BYTE>(8 * i), static_cast<BYTE>(255 - 16 * i), static_cast<BYTE>(16 * i), 0};
    const int stride = 4;
    for (int y = 0; y < 3; ++y) {
        unsigned char* row = p.bits + (2 - y) * stride;  // bottom-up
        for (int x = 0; x < 5; ++x) {
            const unsigned index = static_cast<unsigned>((x + 3 * y) % 16);
            row[x / 2] |= static_cast<unsigned char>(x % 2 ? index : index << 4);
        }
    }
    p.bitsSize = 3 * stride;
    return p;
}

// The good 1-bit picture: 9 x 2, black and white in a checkerboard, colours red and blue.
Picture oneBit() {
    Picture p;
    p.header.biSize = sizeof(BITMAPINFOHEADER);
    p.header.biWidth = 9;
    p.header.biHeight = 2;
    p.header.biPlanes = 1;
    p.header.biBitCount = 1;
    p.colours[0] = RGBQUAD{0, 0, 255, 0};
    p.colours[1] = RGBQUAD{255, 0, 0, 0};
    // Rows of 9 bits padded to 4 bytes: 10101010 1 and 01010101 0.
    p.bits[0] = 0xAA;
    p.bits[1] = 0x80;
    p.bits[4] = 0x55;
    p.bits[5] = 0x00;
    p.bitsSize = 8;
    return p;
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int number, char* buffer, int size) {
    static const char* const kInfo[] = {"00IN", "Vantle test plug-in", "*.vtp", "Vantle test picture",
                                        "*.vtq;*.BMP", "Second test picture"};
    if (number < 0 || number >= static_cast<int>(sizeof kInfo / sizeof kInfo[0]) || size <= 0) return 0;
    const int length = static_cast<int>(std::strlen(kInfo[number]));
    const int n = length < size ? length : size - 1;
    std::memcpy(buffer, kInfo[number], static_cast<std::size_t>(n));
    buffer[n] = 0;
    return n;
}

__declspec(dllexport) int WINAPI IsSupported(const char*, void* head) {
    return head && std::memcmp(head, kMagic, kMagicLength) == 0;
}

__declspec(dllexport) int WINAPI GetPictureInfo(const char* path, std::intptr_t offset, unsigned, abi::PictureInfo* info) {
    if (modeOf(path, offset).empty()) return abi::kNotSupported;
    std::memset(info, 0, sizeof *info);
    info->width = 5;
    info->height = 3;
    info->colorDepth = 2;  // not the bitmap's 4 bits: the host believes this one
    info->textInfo = block("a text about the picture", 25);
    return abi::kAllRight;
}

__declspec(dllexport) int WINAPI GetPicture(const char* path, std::intptr_t offset, unsigned, void** info, void** bits,
                                            abi::ProgressCallback progress, std::intptr_t user) {
    const std::string mode = modeOf(path, offset);
    if (mode.empty()) return abi::kNotSupported;
    if (progress && progress(0, 1, user)) return abi::kAborted;
    if (mode == "fail") return abi::kBrokenData;
    Picture p = mode == "good1" ? oneBit() : fourBits();
    std::size_t infoSize = sizeof p.header + sizeof p.colours;
    std::size_t bitsSize = p.bitsSize;
    if (mode == "topdown") p.header.biHeight = -p.header.biHeight;
    if (mode == "rle") p.header.biCompression = BI_RLE4;
    if (mode == "bits16") p.header.biBitCount = 16;
    if (mode == "bits32") p.header.biBitCount = 32;
    if (mode == "zerowidth") p.header.biWidth = 0;
    if (mode == "shortinfo") infoSize = 20;
    if (mode == "shortbits") bitsSize = 8;
    if (mode == "zerobits") bitsSize = 0;
    *info = block(&p, infoSize);
    *bits = block(p.bits, bitsSize);
    return abi::kAllRight;
}

__declspec(dllexport) int WINAPI ConfigurationDlg(HWND parent, int function) {
    if (function != 1) return abi::kNoFunction;
    MessageBoxW(parent, L"Vantle test plug-in 1.0", L"Test plug-in", MB_OK);
    return abi::kAllRight;
}

}  // extern "C"
