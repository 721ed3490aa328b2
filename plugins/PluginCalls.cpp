#include "plugins/PluginCalls.h"

#include "platform/platform.h"

const PluginCalls& SystemPluginCalls() {
    static constexpr PluginCalls calls{platform::loadLibrary, platform::librarySymbol,  platform::freeLibrary,
                                       platform::localSize,   platform::localLock,      platform::localUnlock,
                                       platform::localFree,   platform::globalFree};
    return calls;
}
