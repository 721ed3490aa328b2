#include "util/files.h"

#include <cstdint>

void modulePath(WideString& out) {
    char16_t buffer[262];
    if (!platform::executablePath(buffer, 261) || stringLength(buffer) > 260) {
        out.clear();
        return;
    }
    out.assign(buffer);
}

bool makeTempFile(WideString& out) {
    char16_t folder[262];
    char16_t path[520];
    if (!platform::tempFolder(folder, 262) || folder[0] == 0 || stringLength(folder) > 260) return false;
    if (!platform::createTempFileIn(folder, path, 520)) return false;
    out.assign(path);
    return true;
}

bool uniquePathCandidate(const WideString& path, const char16_t* extension, std::int32_t n, WideString& out) {
    out.assign(path);
    if (n == 0) return true;
    out.cut(5);
    out.append(u"+");
    out.appendInt(n);
    out.append(extension);
    return out.length() <= 259;
}

namespace {

// The first candidate `take` accepts becomes `path`; `take` says Claimed, Taken (try the next) or
// Failed (stop).
template <typename Take>
bool firstFreeCandidate(WideString& path, const char16_t* extension, Take take) {
    WideString candidate;
    for (std::int32_t n = 0; n < INT32_MAX && uniquePathCandidate(path, extension, n, candidate); ++n) {
        switch (take(candidate)) {
        case platform::ClaimResult::Claimed: path = std::move(candidate); return true;
        case platform::ClaimResult::Taken: break;
        case platform::ClaimResult::Failed: return false;
        }
    }
    return false;
}

}  // namespace

bool makeUniquePath(WideString& path, const char16_t* extension) {
    return firstFreeCandidate(path, extension, [](const WideString& candidate) {
        return platform::pathExists(candidate.c_str()) ? platform::ClaimResult::Taken : platform::ClaimResult::Claimed;
    });
}

bool claimUniquePath(WideString& path, const char16_t* extension) {
    return firstFreeCandidate(path, extension,
                              [](const WideString& candidate) { return platform::claimFile(candidate.c_str()); });
}

bool readExact(platform::FileHandle file, void* data, std::uint32_t n) {
    return platform::isValid(file) && platform::readFile(file, data, n) == static_cast<std::int64_t>(n);
}

std::uint32_t writeBigEndian32(platform::FileHandle file, std::uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    return platform::writeFile(file, bytes, 4) ? 4 : 0;
}

bool TempFileHolder::close(bool deleteFile) {
    bool ok = true;
    if (platform::isValid(file)) {
        ok = platform::closeFile(file);
        file = platform::invalidFile();
    }
    if (deleteFile && !path.empty()) {
        if (platform::pathExists(path.c_str())) platform::deleteFile(path.c_str());
        path.clear();
    }
    return ok;
}
