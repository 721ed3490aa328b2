// POSIX side of the platform layer: the nearest equivalents of the Win32 calls, with paths converted
// from UTF-16 to UTF-8 at the system-call boundary.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/Utf8.h"

namespace platform {
namespace {

std::string narrow(const char16_t* path) { return utf16ToUtf8(path ? std::u16string_view(path) : std::u16string_view()); }

bool copyOut(const std::string& utf8, char16_t* out, std::size_t capacity) {
    const std::u16string wide = utf8ToUtf16(utf8);
    if (wide.size() + 1 > capacity) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return true;
}

// Seconds and nanoseconds since 1970 as 100-ns intervals since 1601, the FILETIME epoch.
FILETIME toFileTime(const struct timespec& ts) {
    const std::uint64_t t = (static_cast<std::uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull +
                            static_cast<std::uint64_t>(ts.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

}  // namespace

FileHandle invalidFile() { return -1; }

void* heapAlloc(std::size_t bytes) { return std::calloc(1, bytes ? bytes : 1); }
void heapFree(void* block) { std::free(block); }
void* processAlloc(std::size_t bytes) { return std::calloc(1, bytes ? bytes : 1); }
void* processReAlloc(void* block, std::size_t oldBytes, std::size_t newBytes) {
    void* grown = std::realloc(block, newBytes ? newBytes : 1);
    if (grown && newBytes > oldBytes) std::memset(static_cast<char*>(grown) + oldBytes, 0, newBytes - oldBytes);
    return grown;
}
void processFree(void* block) { std::free(block); }

void* pageAlloc(std::size_t bytes) {
    // calloc hands large blocks straight from the kernel, zero-filled, and takes them back whole.
    void* block = bytes == 0 ? nullptr : std::calloc(1, bytes);
#ifdef MADV_HUGEPAGE
    // A large buffer is filled page by page; huge pages spare most of those page faults, which
    // otherwise cost as much as decoding the image.
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    if (block && bytes >= 2 * kHuge) {
        const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kHuge - 1);
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    return block;
}
void pageFree(void* block) { std::free(block); }

FileHandle openForReading(const char16_t* path) {
    const int fd = ::open(narrow(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return invalidFile();
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return invalidFile();
    }
    return fd;
}

FileHandle openForReadWrite(const char16_t* path, Create how) {
    int flags = O_RDWR | O_CLOEXEC;
    switch (how) {
    case Create::newAlways: flags |= O_CREAT | O_TRUNC; break;
    case Create::newOnly: flags |= O_CREAT | O_EXCL; break;
    case Create::existingOnly: break;
    case Create::openAlways: flags |= O_CREAT; break;
    }
    const int fd = ::open(narrow(path).c_str(), flags, 0644);
    return fd < 0 ? invalidFile() : fd;
}

bool closeFile(FileHandle file) { return isValid(file) && ::close(static_cast<int>(file)) == 0; }

bool fileSize(FileHandle file, std::uint64_t* size) {
    struct stat st;
    if (!isValid(file) || fstat(static_cast<int>(file), &st) != 0) return false;
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool fileLastWriteTime(FileHandle file, FILETIME* time) {
    struct stat st;
    if (!isValid(file) || fstat(static_cast<int>(file), &st) != 0) return false;
    *time = toFileTime(st.st_mtim);
    return true;
}

std::int64_t readFile(FileHandle file, void* data, std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(static_cast<int>(file), static_cast<char*>(data) + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool writeFile(FileHandle file, const void* data, std::size_t bytes) {
    if (!isValid(file)) return false;
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(static_cast<int>(file), static_cast<const char*>(data) + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool seekFile(FileHandle file, std::int64_t offset) {
    return isValid(file) && ::lseek(static_cast<int>(file), offset, SEEK_SET) == offset;
}

bool pathExists(const char16_t* path) {
    struct stat st;
    return stat(narrow(path).c_str(), &st) == 0;
}

bool isDirectory(const char16_t* path) {
    struct stat st;
    return stat(narrow(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool createDirectory(const char16_t* path) { return ::mkdir(narrow(path).c_str(), 0755) == 0; }

bool deleteFile(const char16_t* path) { return ::unlink(narrow(path).c_str()) == 0; }

bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists) {
    const FileHandle in = openForReading(from);
    if (!isValid(in)) return false;
    const FileHandle out = openForReadWrite(to, failIfExists ? Create::newOnly : Create::newAlways);
    if (!isValid(out)) {
        closeFile(in);
        return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    for (;;) {
        const std::int64_t n = readFile(in, buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!writeFile(out, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    closeFile(in);
    if (!closeFile(out)) ok = false;
    if (!ok) deleteFile(to);
    return ok;
}

bool replaceFile(const char16_t* from, const char16_t* to) {
    return ::rename(narrow(from).c_str(), narrow(to).c_str()) == 0;
}

ClaimResult claimFile(const char16_t* path) {
    const std::string name = narrow(path);
    for (;;) {
        // O_EXCL does not follow a link of that name either: it counts as taken.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return ClaimResult::Claimed;
        }
        if (errno == EINTR) continue;
        if (errno == EEXIST) return ClaimResult::Taken;
        struct stat st;
        return lstat(name.c_str(), &st) == 0 ? ClaimResult::Taken : ClaimResult::Failed;
    }
}

bool mapFile(FileHandle file, std::size_t size, bool copyOnWrite, Mapping* out) {
    if (!isValid(file) || size == 0) return false;
    const int prot = copyOnWrite ? PROT_READ | PROT_WRITE : PROT_READ;
    void* view = mmap(nullptr, size, prot, MAP_PRIVATE, static_cast<int>(file), 0);
    if (view == MAP_FAILED) return false;
    out->handle = nullptr;
    out->view = view;
    out->size = size;
    return true;
}

void unmapFile(Mapping* mapping) {
    if (mapping->view) munmap(mapping->view, mapping->size);
    *mapping = Mapping{};
}

bool tempFolder(char16_t* out, std::size_t capacity) {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    if (folder.back() != '/') folder.push_back('/');
    if (folder.size() > 260) {
        if (capacity) out[0] = 0;
        return false;
    }
    return copyOut(folder, out, capacity);
}

bool createTempFileIn(const char16_t* folder, char16_t* out, std::size_t capacity) {
    std::string pattern = narrow(folder);
    if (!pattern.empty() && pattern.back() != '/') pattern.push_back('/');
    pattern += "tmpXXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    ::close(fd);
    if (!copyOut(pattern, out, capacity)) {
        ::unlink(pattern.c_str());
        return false;
    }
    return true;
}

bool executablePath(char16_t* out, std::size_t capacity) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        if (capacity) out[0] = 0;
        return false;
    }
    return copyOut(std::string(buffer, static_cast<std::size_t>(n)), out, capacity);
}

bool specialFolder(SpecialFolder which, char16_t* out, std::size_t capacity) {
    const char* home = std::getenv("HOME");
    std::string folder;
    if (which == SpecialFolder::appData) {
        // XDG: a relative $XDG_CONFIG_HOME is to be ignored.
        const char* config = std::getenv("XDG_CONFIG_HOME");
        if (config && config[0] == '/') folder = config;
        else if (home && *home) folder = std::string(home) + "/.config";
    } else if (home && *home) {
        folder = home;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) {
        if (capacity) out[0] = 0;
        return false;
    }
    return copyOut(folder, out, capacity);
}

bool menuFontFace(char16_t* out, std::size_t capacity) {
    if (capacity) out[0] = 0;
    return false;
}

bool listDirectory(const char16_t* folder, const std::function<void(const DirectoryEntry&)>& visit) {
    const std::string dirName = narrow(folder);
    DIR* dir = opendir(dirName.c_str());
    if (!dir) return false;
    while (const dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        std::string full = dirName;
        if (!full.empty() && full.back() != '/') full.push_back('/');
        full += e->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) != 0) continue;
        bool isLink = e->d_type == DT_LNK;
        if (e->d_type == DT_UNKNOWN) {
            struct stat own;
            isLink = lstat(full.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        }
        const std::u16string name = utf8ToUtf16(e->d_name);
        visit(DirectoryEntry{name.c_str(), S_ISDIR(st.st_mode), static_cast<std::uint64_t>(st.st_size),
                             toFileTime(st.st_mtim), isLink});
    }
    closedir(dir);
    return true;
}

// No shell to tell: file managers watch the folders themselves.
void announceNewFile(const char16_t*) {}
void announceNewFolder(const char16_t*) {}

// No image plug-ins here: nothing loads, so no handle ever comes back.
void* loadLibrary(const char16_t*) { return nullptr; }
void* librarySymbol(void*, const char*) { return nullptr; }
void freeLibrary(void*) {}
std::size_t localSize(void*) { return 0; }
void* localLock(void*) { return nullptr; }
void localUnlock(void*) {}
void localFree(void*) {}
void globalFree(void*) {}

bool toAnsi(const char16_t* text, char* out, std::size_t capacity) {
    if (!capacity) return false;
    const std::string utf8 = narrow(text);
    if (utf8.size() + 1 > capacity) {
        out[0] = 0;
        return false;
    }
    std::memcpy(out, utf8.c_str(), utf8.size() + 1);
    return true;
}

std::size_t fromAnsi(const char* text, std::size_t length, char16_t* out, std::size_t capacity) {
    if (!capacity) return 0;
    const std::u16string wide = utf8ToUtf16(std::string_view(text, length));
    const std::size_t n = wide.size() < capacity - 1 ? wide.size() : capacity - 1;
    std::memcpy(out, wide.data(), n * sizeof(char16_t));
    out[n] = 0;
    return n;
}

std::uint32_t processorCount() {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    if (online < 1) online = 1;
#ifdef CPU_COUNT
    // A container or taskset may allow fewer than are online.
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count >= 1 && count < online) online = count;
    }
#endif
    return static_cast<std::uint32_t>(online);
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace platform
