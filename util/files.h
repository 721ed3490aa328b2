// File-system helpers over the platform layer: the executable's path, temporary files, unique
// output names and small file-handle conveniences.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "util/WideString.h"

// Full path of the executable (at most 260 characters); empty on failure.
void modulePath(WideString& out);

// Creates a new empty temporary file "tmp…" in the system's temporary folder; `out` receives its
// path. False when the folder is unknown, longer than 260 characters, or the file cannot be made.
bool makeTempFile(WideString& out);

// Leaves `path` as it is when nothing exists there; otherwise turns "name.ext" into the first free
// "name+N" + extension (N = 1, 2, ...). False once a candidate grows past 259 characters.
bool makeUniquePath(WideString& path, const char16_t* extension);
// The names makeUniquePath tries, in its order: `path` itself for n 0, else "name+N" + extension.
// False for a candidate past 259 characters (never for n 0).
bool uniquePathCandidate(const WideString& path, const char16_t* extension, std::int32_t n, WideString& out);
// makeUniquePath for a file about to be written by one of several threads or processes: the first
// candidate that platform::claimFile creates becomes `path`, so no two callers ever end up with the
// same name. The empty claim is the caller's to replace or delete. False when no candidate within
// 259 characters can be claimed or a claim fails for another reason than the name being taken.
bool claimUniquePath(WideString& path, const char16_t* extension);

// Reads exactly n bytes; true only if all n arrive.
bool readExact(platform::FileHandle file, void* data, std::uint32_t n);
// Writes a 32-bit value most significant byte first; returns 4, or 0 on failure.
std::uint32_t writeBigEndian32(platform::FileHandle file, std::uint32_t value);

// A file handle with the path of a temporary file that belongs to it; close() closes the handle
// and, when asked, deletes the file.
struct TempFileHolder {
    platform::FileHandle file = platform::invalidFile();
    WideString path;

    bool close(bool deleteFile);
    ~TempFileHolder() { close(true); }
};
