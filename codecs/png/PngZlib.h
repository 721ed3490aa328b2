// zlib's allocation hooks for the PNG codec: zero-filled blocks from the application heap.
#pragma once

#include <zlib.h>

#include <cstdint>

#include "platform/platform.h"

namespace png {

inline voidpf zlibAlloc(voidpf, uInt items, uInt size) {
    const std::uint64_t bytes = std::uint64_t{items} * size;
    if (bytes > SIZE_MAX) return Z_NULL;
    return platform::heapAlloc(static_cast<std::size_t>(bytes));
}
inline void zlibFree(voidpf, voidpf block) { platform::heapFree(block); }

inline void useHeapHooks(z_stream& stream) {
    stream.zalloc = zlibAlloc;
    stream.zfree = zlibFree;
    stream.opaque = Z_NULL;
}

}  // namespace png
