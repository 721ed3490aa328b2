#include "util/NaturalOrder.h"

#include <array>
#include <cstdint>

namespace {

// ASCII punctuation in the order the shell's collation gives it (digits and letters aside).
constexpr char16_t kSymbolOrder[] = u"'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

constexpr std::array<std::uint16_t, 128> buildAsciiWeights() {
    std::array<std::uint16_t, 128> w{};
    for (int c = 0; c < 32; ++c) w[c] = static_cast<std::uint16_t>(1 + c);
    w[127] = 33;
    for (int i = 0; kSymbolOrder[i]; ++i) w[kSymbolOrder[i]] = static_cast<std::uint16_t>(64 + i);
    for (int c = 'a'; c <= 'z'; ++c) {
        w[c] = static_cast<std::uint16_t>(128 + (c - 'a'));
        w[c - 32] = w[c];
    }
    return w;
}
constexpr std::array<std::uint16_t, 128> kAsciiWeights = buildAsciiWeights();

// Lower case for the common alphabets beyond ASCII (Latin-1, Latin Extended-A, Greek, Cyrillic).
char32_t foldCase(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs: even upper, odd lower, except the runs 0x139-0x148 and 0x179-0x17E, which pair odd upper
        // with even lower; 0x130, 0x131, 0x138, 0x149 and 0x17F stand alone.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c & 1) ? c : c + 1;
    }
    return c;
}

std::uint32_t weight(char16_t c) {
    if (c < 128) return kAsciiWeights[c];
    return 0x100 + static_cast<std::uint32_t>(foldCase(c));
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Item classes in sort order.
int classOf(char16_t c) {
    if (c == u'.') return 0;
    return isDigit(c) ? 1 : 2;
}

}  // namespace

int compareNatural(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0, j = 0;
    int zerosTie = 0;  // decides only when everything else is equal
    while (i < a.size()) {
        if (j >= b.size()) return 1;
        const char16_t ca = a[i], cb = b[j];
        const int classA = classOf(ca), classB = classOf(cb);
        if (classA != classB) return classA < classB ? -1 : 1;
        if (classA == 1) {
            std::size_t zerosA = 0, zerosB = 0;
            while (i < a.size() && a[i] == u'0') ++i, ++zerosA;
            while (j < b.size() && b[j] == u'0') ++j, ++zerosB;
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA])) ++endA;
            while (endB < b.size() && isDigit(b[endB])) ++endB;
            // Without leading zeros the longer run is the larger number; equal lengths compare digit
            // by digit.
            if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j)
                if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            if (zerosTie == 0 && zerosA != zerosB) zerosTie = zerosA > zerosB ? -1 : 1;
            continue;
        }
        if (classA == 2) {
            const std::uint32_t wa = weight(ca), wb = weight(cb);
            if (wa != wb) return wa < wb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (j < b.size()) return -1;
    return zerosTie;
}
