// The PNM plug-in's Netpbm reader on arbitrary bytes, through the two calls the plug-in makes: the
// header, then the decode into buffers of exactly the sizes the header asks for (so a write past them
// shows under ASan). A decoded bitmap must have the shape its header promised, padding zeroed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "addons/pnm/PnmReader.h"

namespace {

std::uint32_t get32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pnm::PnmHeader h;
    if (pnm::readPnmHeader(data, size, h) != pnm::PnmStatus::ok) return 0;
    check(h.width > 0 && h.height > 0 && std::uint64_t{h.width} * h.height <= pnm::kMaxPixels);
    check(h.bitCount == 1 || h.bitCount == 8 || h.bitCount == 24);
    check(h.stride % 4 == 0 && std::uint64_t{h.stride} * 8 >= std::uint64_t{h.width} * h.bitCount);
    check(h.bitsBytes == std::uint64_t{h.stride} * h.height && h.infoBytes == 40 + 4 * h.colours);

    std::vector<std::uint8_t> info(h.infoBytes), bits(h.bitsBytes);
    const pnm::PnmStatus status = pnm::decodePnm(data, size, info.data(), info.size(), bits.data(), bits.size());
    check(status == pnm::PnmStatus::ok || status == pnm::PnmStatus::brokenData);
    if (status != pnm::PnmStatus::ok) return 0;

    check(get32(&info[0]) == 40 && get32(&info[4]) == h.width && get32(&info[8]) == h.height);
    check(get32(&info[12]) == (1u | std::uint32_t{h.bitCount} << 16) && get32(&info[16]) == 0);
    const std::size_t used = (std::size_t{h.width} * h.bitCount + 7) / 8;
    const unsigned spareBits = static_cast<unsigned>(used * 8 - std::size_t{h.width} * h.bitCount);
    for (std::uint32_t y = 0; y < h.height; ++y) {
        const std::uint8_t* row = &bits[std::size_t{y} * h.stride];
        check((row[used - 1] & ((1u << spareBits) - 1)) == 0);
        for (std::size_t i = used; i < h.stride; ++i) check(row[i] == 0);
    }
    return 0;
}
