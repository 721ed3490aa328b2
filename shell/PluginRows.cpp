#include "shell/PluginRows.h"

#include <algorithm>

#include "util/NaturalOrder.h"

namespace {

constexpr std::uint32_t kNameLimit = 260;

}  // namespace

std::vector<PluginRow> PluginRows(PluginHost& host, const PluginNameList* switchedOff) {
    std::vector<PluginRow> rows;
    for (WideString& name : listPlugins(host)) {
        PluginRow& row = rows.emplace_back();
        row.checked = !IsListed(switchedOff, name.view());
        describePlugin(host, name, row.patterns, row.formats);
        row.name = std::move(name);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const PluginRow& a, const PluginRow& b) {
        return compareNatural(a.name.view(), b.name.view()) < 0;
    });
    return rows;
}

bool OtherPluginFolder(const WideString& copy, const WideString& typed) {
    return !SamePluginName(copy.view(), typed.view());
}

void StoreSwitchedOff(const std::vector<PluginRow>& rows, PluginNameList& switchedOff) {
    switchedOff.clear();
    for (const PluginRow& row : rows)
        if (!row.checked && !row.name.empty())
            switchedOff.append(row.name.c_str(), std::min(row.name.length(), kNameLimit));
}
