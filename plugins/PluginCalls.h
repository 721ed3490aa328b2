// What the plug-in host asks of the system: loading a library by its full path, its exports, and the
// memory handles a plug-in hands back. The host reaches them only through this table, so tests can
// stand in plug-ins of their own; the system's table is the platform layer's calls.
#pragma once

#include <cstddef>

struct PluginCalls {
    void* (*load)(const char16_t* path);
    void* (*symbol)(void* library, const char* name);
    void (*release)(void* library);
    std::size_t (*localSize)(void* handle);
    void* (*localLock)(void* handle);
    void (*localUnlock)(void* handle);
    void (*localFree)(void* handle);
    void (*globalFree)(void* handle);
};

const PluginCalls& SystemPluginCalls();
