#include "support/TempDir.h"

#include <atomic>
#include <chrono>

#include "platform/platform.h"

namespace {
void removeTree(const WideString& folder) {
    std::vector<std::pair<WideString, bool>> entries;
    platform::listDirectory(folder.c_str(), [&](const platform::DirectoryEntry& e) {
        WideString p;
        p.setPath(folder, e.name);
        entries.emplace_back(std::move(p), e.isDirectory);
    });
    for (auto& [p, isDir] : entries) {
        if (isDir) removeTree(p);
        else platform::deleteFile(p.c_str());
    }
#ifdef _WIN32
    RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));
#else
    std::remove(folder.toUtf8().c_str());
#endif
}
}  // namespace

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    char16_t base[300];
    platform::tempFolder(base, 300);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_.assign(base);
        path_.append(u"vantle-test-");
        path_.appendInt(static_cast<std::int32_t>(stamp & 0x7FFFFFFF));
        path_.append(u"-");
        path_.appendInt(counter++);
        if (platform::createDirectory(path_.c_str())) return;
    }
}

TempDir::~TempDir() { removeTree(path_); }

WideString TempDir::file(const char16_t* name) const {
    WideString p;
    p.setPath(path_, name);
    return p;
}

WideString TempDir::write(const char16_t* name, const std::vector<std::uint8_t>& bytes) const {
    WideString p = file(name);
    const platform::FileHandle f = platform::openForReadWrite(p.c_str(), platform::Create::newAlways);
    if (platform::isValid(f)) {
        if (!bytes.empty()) platform::writeFile(f, bytes.data(), bytes.size());
        platform::closeFile(f);
    }
    return p;
}

std::vector<std::uint8_t> readWholeFile(const WideString& path) {
    std::vector<std::uint8_t> out;
    const platform::FileHandle f = platform::openForReading(path.c_str());
    if (!platform::isValid(f)) return out;
    std::uint64_t size = 0;
    if (platform::fileSize(f, &size)) {
        out.resize(static_cast<std::size_t>(size));
        if (platform::readFile(f, out.data(), out.size()) != static_cast<std::int64_t>(size)) out.clear();
    }
    platform::closeFile(f);
    return out;
}
