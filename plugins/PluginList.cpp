#include "plugins/PluginList.h"

#include <new>

#include "platform/platform.h"

bool PluginNameList::append(const char16_t* name, std::uint32_t length) {
    void* block = platform::heapAlloc(sizeof(PluginName));
    if (!block) return false;
    auto* node = new (block) PluginName{};
    node->name.assign(name, length);
    if (last) last->next = node;
    else first = node;
    last = node;
    return true;
}

std::uint32_t PluginNameList::count() const {
    std::uint32_t n = 0;
    for (const PluginName* p = first; p; p = p->next) ++n;
    return n;
}

void PluginNameList::clear() {
    for (PluginName* p = first; p;) {
        PluginName* next = p->next;
        p->~PluginName();
        platform::heapFree(p);
        p = next;
    }
    first = last = nullptr;
}

namespace {

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool SamePluginName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

bool IsListed(const PluginNameList* list, std::u16string_view name) {
    for (const PluginName* p = list ? list->first : nullptr; p; p = p->next)
        if (SamePluginName(p->name.view(), name)) return true;
    return false;
}
