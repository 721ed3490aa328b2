// What vantle-probe.dll hands back to vantle-msg through a named file mapping.
#pragma once

#include <windows.h>

#include <cwchar>

struct ProbeResult {
    LONG valid;
    SCROLLINFO bars[2];  // SB_HORZ, SB_VERT
};

inline void probeMappingName(DWORD processId, wchar_t (&name)[64]) {
    std::swprintf(name, 64, L"vantle-msg-probe-%lu", static_cast<unsigned long>(processId));
}
