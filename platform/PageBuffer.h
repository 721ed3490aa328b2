// A page-memory block freed on every path out of the function that owns it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

struct PageBuffer {
    std::uint8_t* data = nullptr;
    PageBuffer() = default;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    ~PageBuffer() { platform::pageFree(data); }
    bool alloc(std::size_t bytes) {
        data = static_cast<std::uint8_t*>(platform::pageAlloc(bytes));
        return data != nullptr;
    }
};
