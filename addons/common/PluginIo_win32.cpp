#include "addons/common/PluginIo_win32.h"

#include "plugins/PluginAbi.h"

PluginInput::~PluginInput() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

int PluginInput::open(const char* source, std::intptr_t offset, unsigned flag) {
    if (!source) return plugin_abi::kReadError;
    switch (flag & 7) {
    case plugin_abi::kInputFile: break;
    case 1:
        if (offset < 0) return plugin_abi::kReadError;
        data_ = reinterpret_cast<const std::uint8_t*>(source);
        size_ = static_cast<std::size_t>(offset);
        return plugin_abi::kAllRight;
    default: return plugin_abi::kNotSupported;
    }

    file_ = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return plugin_abi::kReadError;
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file_, &fileSize) || offset < 0 || offset > fileSize.QuadPart) return plugin_abi::kReadError;
    const std::uint64_t total = static_cast<std::uint64_t>(fileSize.QuadPart);
    if (total > SIZE_MAX) return plugin_abi::kReadError;
    size_ = static_cast<std::size_t>(total - static_cast<std::uint64_t>(offset));
    if (size_ == 0) {  // an empty file (or nothing behind the head) cannot be mapped; it is no picture
        static const std::uint8_t kNothing = 0;
        data_ = &kNothing;
        return plugin_abi::kAllRight;
    }
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) return plugin_abi::kReadError;
    view_ = static_cast<const std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    if (!view_) return plugin_abi::kReadError;
    data_ = view_ + offset;
    return plugin_abi::kAllRight;
}

const std::uint8_t* supportedHead(void* pointerOrHandle, std::uint8_t* buffer, std::size_t bufferSize,
                                  std::size_t& size) {
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(pointerOrHandle);
    size = 0;
    if (value == 0) return nullptr;
    if (value > 0xFFFF) {
        size = static_cast<std::size_t>(plugin_abi::kHeadBytes);
        return static_cast<const std::uint8_t*>(pointerOrHandle);
    }
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(value), buffer, static_cast<DWORD>(bufferSize), &read, nullptr))
        return nullptr;
    size = read;
    return buffer;
}

LocalBlock::~LocalBlock() {
    if (!handle_) return;
    if (bytes_) LocalUnlock(handle_);
    LocalFree(handle_);
}

bool LocalBlock::allocate(std::size_t bytes) {
    handle_ = LocalAlloc(LMEM_MOVEABLE, bytes);
    if (!handle_) return false;
    bytes_ = static_cast<std::uint8_t*>(LocalLock(handle_));
    return bytes_ != nullptr;
}

HLOCAL LocalBlock::release() {
    if (bytes_) LocalUnlock(handle_);
    bytes_ = nullptr;
    HLOCAL handle = handle_;
    handle_ = nullptr;
    return handle;
}
