// The colour profile (ICC) a source image carries. The pixels are never converted, so they stay in
// the source's colour space: the profile travels with them from the decoder's record to the document
// and into every written format that can hold one. A record of zeros is "no profile".
#pragma once

#include <cstddef>
#include <cstdint>

struct IccProfile {
    std::uint8_t* bytes;  // application heap, owned; null when there is no profile
    std::uint32_t size;
    char name[80];        // PNG iCCP keyword of the source, zero-terminated; empty when unknown
};

// Larger profiles are dropped: no real profile comes near it, and a file must not make us hold more.
inline constexpr std::uint32_t kIccProfileLimit = 16u * 1024 * 1024;
// The name written where a format asks for one and the source gave none.
inline constexpr char kIccNeutralName[] = "ICC profile";

// A profile worth carrying: at least the 128-byte header and the tag count, at most the limit, the
// header's declared size equal to the byte count, the "acsp" signature, and a tag table that fits.
bool iccProfileLooksValid(const std::uint8_t* data, std::size_t size);
// Copies a profile that looks valid into `profile` (freeing what it held) with its name (Latin-1,
// up to 79 bytes; longer names are cut, null keeps none). False, leaving no profile, when the bytes do
// not look valid or memory runs out: a bad profile is dropped, never a reason to refuse the image.
bool setIccProfile(IccProfile& profile, const std::uint8_t* data, std::size_t size, const char* name = nullptr,
                   std::size_t nameLength = 0);
// Takes over the profile of `from` (which is left empty); what `to` held is freed.
void moveIccProfile(IccProfile& to, IccProfile& from);
// Frees the bytes and leaves an empty record.
void freeIccProfile(IccProfile& profile);
inline bool hasIccProfile(const IccProfile& profile) { return profile.bytes && profile.size; }
// The name to write: the source's, else kIccNeutralName.
const char* iccProfileName(const IccProfile& profile);
