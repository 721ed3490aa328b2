// A plug-in of ours loaded as the host loads it: LoadLibraryW by full path, the five exports by
// name. Also what its tests need around the calls: files with an ANSI path, the picture's two
// local-memory blocks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/PluginAbi.h"

namespace plugintest {

using Bytes = std::vector<std::uint8_t>;

// The built plug-in `fileName`: the plug-in folder lies at VANTLE_PLUGIN_FOLDER, relative to this
// executable's folder.
inline std::wstring pluginPath(const wchar_t* fileName) {
    wchar_t exe[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    path += VANTLE_PLUGIN_FOLDER;
    path += L"/";
    path += fileName;
    wchar_t full[MAX_PATH];
    const DWORD fullLength = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return std::wstring(full, fullLength);
}

struct PluginLibrary {
    HMODULE module = nullptr;
    plugin_abi::GetPluginInfoFn getPluginInfo = nullptr;
    plugin_abi::IsSupportedFn isSupported = nullptr;
    plugin_abi::GetPictureInfoFn getPictureInfo = nullptr;
    plugin_abi::GetPictureFn getPicture = nullptr;
    plugin_abi::ConfigurationDlgFn configurationDlg = nullptr;

    explicit PluginLibrary(const std::wstring& path) : module(LoadLibraryW(path.c_str())) {
        if (!module) return;
        getPluginInfo = entry<plugin_abi::GetPluginInfoFn>("GetPluginInfo");
        isSupported = entry<plugin_abi::IsSupportedFn>("IsSupported");
        getPictureInfo = entry<plugin_abi::GetPictureInfoFn>("GetPictureInfo");
        getPicture = entry<plugin_abi::GetPictureFn>("GetPicture");
        configurationDlg = entry<plugin_abi::ConfigurationDlgFn>("ConfigurationDlg");
    }
    ~PluginLibrary() {
        if (module) FreeLibrary(module);
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Through void*: a FARPROC converts to no other function type directly.
    template <class Fn>
    Fn entry(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    bool complete() const { return getPluginInfo && isSupported && getPictureInfo && getPicture && configurationDlg; }

    std::string info(int number, int bufferSize = 260) const {
        std::string buffer(static_cast<std::size_t>(bufferSize) + 8, '\x7F');
        const int written = getPluginInfo(number, buffer.data(), bufferSize);
        if (written == 0) return "";
        if (written < 0 || written >= bufferSize || buffer[static_cast<std::size_t>(written)] != '\0') return "<bad>";
        return buffer.substr(0, static_cast<std::size_t>(written));
    }
    // IsSupported on the file's head as the host reads it: its first bytes zero-filled to 2176, the
    // pointer at `at` (0, or 128 for the second chance).
    int supports(const std::string& path, const Bytes& file, std::size_t at) const {
        Bytes head(plugin_abi::kHeadBytes + plugin_abi::kSkippedHead, 0);
        for (std::size_t i = 0; i < file.size() && i < head.size(); ++i) head[i] = file[i];
        return isSupported(path.c_str(), head.data() + at);
    }
};

// A string of the library's version resource (language 0409, Unicode), or "" without one.
inline std::wstring versionString(const std::wstring& path, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"";
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return L"";
    return std::wstring(static_cast<const wchar_t*>(value));
}

// The file version of the fixed part of the version resource, as "a.b.c.d".
inline std::string fileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return "";
    std::vector<std::uint8_t> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return "";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// A file in the temporary folder, deleted with the object; its path in the ANSI code page.
struct TempFile {
    std::string path;
    explicit TempFile(const Bytes& bytes, const char* name) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + "vantle-plugin-test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
        if (written != bytes.size()) path.clear();
    }
    ~TempFile() {
        if (!path.empty()) DeleteFileA(path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
};

// The two blocks of one GetPicture, copied out and freed as the host frees them.
struct Picture {
    int result = -100;
    bool handlesNull = false;  // both handles were left null
    SIZE_T infoSize = 0, bitsSize = 0;
    Bytes info, bits;
};

inline Bytes copyBlock(HLOCAL handle, SIZE_T& size) {
    size = LocalSize(handle);
    const auto* p = static_cast<const std::uint8_t*>(LocalLock(handle));
    Bytes copy = p ? Bytes(p, p + size) : Bytes();
    LocalUnlock(handle);
    LocalFree(handle);
    return copy;
}

inline Picture getPicture(const PluginLibrary& plugin, const char* source, std::intptr_t offset, unsigned flag,
                          plugin_abi::ProgressCallback progress = nullptr, std::intptr_t user = 0) {
    Picture picture;
    void* info = reinterpret_cast<void*>(1);
    void* bits = reinterpret_cast<void*>(1);
    picture.result = plugin.getPicture(source, offset, flag, &info, &bits, progress, user);
    picture.handlesNull = !info && !bits;
    if (picture.result == plugin_abi::kAllRight) {
        picture.info = copyBlock(info, picture.infoSize);
        picture.bits = copyBlock(bits, picture.bitsSize);
    }
    return picture;
}

inline std::uint32_t get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

}  // namespace plugintest
