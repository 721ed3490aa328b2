#include "codecs/IccProfile.h"

#include <cstring>

#include "platform/platform.h"

namespace {

std::uint32_t load32be(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

bool iccProfileLooksValid(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 132 || size > kIccProfileLimit) return false;
    if (load32be(data) != size || std::memcmp(data + 36, "acsp", 4) != 0) return false;
    const std::uint64_t tags = load32be(data + 128);
    if (132 + tags * 12 > size) return false;
    // Every tag's data must lie inside the profile.
    for (std::uint64_t i = 0; i < tags; ++i) {
        const std::uint8_t* entry = data + 132 + i * 12;
        const std::uint64_t offset = load32be(entry + 4);
        const std::uint64_t length = load32be(entry + 8);
        if (offset + length > size) return false;
    }
    return true;
}

bool setIccProfile(IccProfile& profile, const std::uint8_t* data, std::size_t size, const char* name,
                   std::size_t nameLength) {
    freeIccProfile(profile);
    if (!iccProfileLooksValid(data, size)) return false;
    auto* copy = static_cast<std::uint8_t*>(platform::heapAlloc(size));
    if (!copy) return false;
    std::memcpy(copy, data, size);
    profile.bytes = copy;
    profile.size = static_cast<std::uint32_t>(size);
    if (name) {
        const std::size_t n = nameLength < sizeof profile.name - 1 ? nameLength : sizeof profile.name - 1;
        std::memcpy(profile.name, name, n);
        profile.name[n] = 0;
    }
    return true;
}

void moveIccProfile(IccProfile& to, IccProfile& from) {
    if (&to == &from) return;
    freeIccProfile(to);
    to = from;
    from = IccProfile{};
}

void freeIccProfile(IccProfile& profile) {
    platform::heapFree(profile.bytes);
    profile = IccProfile{};
}

const char* iccProfileName(const IccProfile& profile) { return profile.name[0] ? profile.name : kIccNeutralName; }
