#include "util/files.h"

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

bool makeUniquePath(WideString& path, const char16_t* extension) {
    if (!platform::pathExists(path.c_str())) return true;
    WideString base;
    base.assign(path);
    base.cut(5);
    base.append(u"+");
    for (std::int32_t n = 1; n > 0; ++n) {
        WideString candidate;
        candidate.assign(base);
        candidate.appendInt(n);
        candidate.append(extension);
        if (candidate.length() > 259) return false;
        if (!platform::pathExists(candidate.c_str())) {
            path = std::move(candidate);
            return true;
        }
    }
    return false;
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
