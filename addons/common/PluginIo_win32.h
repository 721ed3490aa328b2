// What every plug-in of ours does around its reader: the input bytes of a call (a file from the head
// offset on, or the caller's memory), the first bytes behind an old-style file handle, and the two
// local-memory blocks a picture is handed back in.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The bytes GetPictureInfo and GetPicture read. With (flag & 7) == 0, `source` is an ANSI path and
// `offset` where the image starts in that file; the file is mapped read-only (others may read it
// meanwhile, none write). With (flag & 7) == 1, `source` points at the image in memory and `offset`
// is its size in bytes.
class PluginInput {
public:
    PluginInput() = default;
    PluginInput(const PluginInput&) = delete;
    PluginInput& operator=(const PluginInput&) = delete;
    ~PluginInput();

    // kAllRight, or kReadError (no file, no mapping, an offset outside it) or kNotSupported (another
    // input kind).
    int open(const char* source, std::intptr_t offset, unsigned flag);
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const std::uint8_t* view_ = nullptr;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// IsSupported's second argument: a pointer to the file's first bytes, or (an old use of the calling
// convention) a file handle, which is never above 0xFFFF while no pointer is that low. For a handle
// the bytes are read into `buffer`; returns the bytes to look at and their count, or null.
const std::uint8_t* supportedHead(void* pointerOrHandle, std::uint8_t* buffer, std::size_t bufferSize,
                                  std::size_t& size);

// A movable local-memory block, locked while it is filled. release() hands it over unlocked;
// otherwise it is freed.
class LocalBlock {
public:
    LocalBlock() = default;
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    ~LocalBlock();

    bool allocate(std::size_t bytes);
    std::uint8_t* bytes() const { return bytes_; }
    HLOCAL release();

private:
    HLOCAL handle_ = nullptr;
    std::uint8_t* bytes_ = nullptr;
};
