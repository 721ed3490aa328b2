// Lists of plug-in file names (the plug-ins the user switched off, as the settings keep them) and
// the one way plug-in names are compared: ASCII letters without case, every other unit exactly.
#pragma once

#include <cstdint>
#include <string_view>

#include "util/WideString.h"

struct PluginName {
    WideString name;
    PluginName* next;
};

// A singly linked list in stored order, its nodes on the application heap.
struct PluginNameList {
    PluginName* first = nullptr;
    PluginName* last = nullptr;

    PluginNameList() = default;
    PluginNameList(const PluginNameList&) = delete;
    PluginNameList& operator=(const PluginNameList&) = delete;
    ~PluginNameList() { clear(); }

    bool append(const char16_t* name, std::uint32_t length);
    std::uint32_t count() const;
    void clear();
};

// A-Z equal to a-z; everything else, accented letters included, compared unit by unit.
bool SamePluginName(std::u16string_view a, std::u16string_view b);
// True when `name` is on the list (null: an empty list).
bool IsListed(const PluginNameList* list, std::u16string_view name);
