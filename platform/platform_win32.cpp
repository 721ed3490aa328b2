// Win32 side of the platform layer: the calls the design names, nothing more.
#include <algorithm>
#include <cstring>
#include <string>

#include <shlobj.h>

#include "platform/platform.h"

namespace platform {
namespace {

const wchar_t* w(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s ? s : u""); }

HANDLE privateHeap() {
    static HANDLE heap = HeapCreate(0, 16 * 1024, 0);
    return heap ? heap : GetProcessHeap();
}

}  // namespace

FileHandle invalidFile() { return INVALID_HANDLE_VALUE; }

void* heapAlloc(std::size_t bytes) { return HeapAlloc(privateHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1); }
void heapFree(void* block) {
    if (block) HeapFree(privateHeap(), 0, block);
}
void* processAlloc(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1); }
void* processReAlloc(void* block, std::size_t, std::size_t newBytes) {
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, newBytes ? newBytes : 1);
}
void processFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

void* pageAlloc(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}
void pageFree(void* block) {
    if (!block) return;
    VirtualFree(block, 0, MEM_DECOMMIT);
    VirtualFree(block, 0, MEM_RELEASE);
}

FileHandle openForReading(const char16_t* path) {
    return CreateFileW(w(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHandle openForReadWrite(const char16_t* path, Create how) {
    DWORD disposition = CREATE_ALWAYS;
    switch (how) {
    case Create::newAlways: disposition = CREATE_ALWAYS; break;
    case Create::newOnly: disposition = CREATE_NEW; break;
    case Create::existingOnly: disposition = OPEN_EXISTING; break;
    case Create::openAlways: disposition = OPEN_ALWAYS; break;
    }
    return CreateFileW(w(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool closeFile(FileHandle file) { return isValid(file) && CloseHandle(file) != 0; }

bool fileSize(FileHandle file, std::uint64_t* size) {
    LARGE_INTEGER li;
    if (!isValid(file) || !GetFileSizeEx(file, &li)) return false;
    *size = static_cast<std::uint64_t>(li.QuadPart);
    return true;
}

bool fileLastWriteTime(FileHandle file, FILETIME* time) {
    return isValid(file) && GetFileTime(file, nullptr, nullptr, time) != 0;
}

std::int64_t readFile(FileHandle file, void* data, std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes) {
        const DWORD chunk = static_cast<DWORD>(bytes - done > 0x40000000 ? 0x40000000 : bytes - done);
        DWORD got = 0;
        if (!ReadFile(file, static_cast<char*>(data) + done, chunk, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

bool writeFile(FileHandle file, const void* data, std::size_t bytes) {
    if (!isValid(file)) return false;
    std::size_t done = 0;
    while (done < bytes) {
        const DWORD chunk = static_cast<DWORD>(bytes - done > 0x40000000 ? 0x40000000 : bytes - done);
        DWORD put = 0;
        if (!WriteFile(file, static_cast<const char*>(data) + done, chunk, &put, nullptr) || put != chunk) return false;
        done += put;
    }
    return true;
}

bool seekFile(FileHandle file, std::int64_t offset) {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return isValid(file) && SetFilePointerEx(file, li, nullptr, FILE_BEGIN) != 0;
}

bool pathExists(const char16_t* path) { return GetFileAttributesW(w(path)) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const char16_t* path) {
    const DWORD a = GetFileAttributesW(w(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool createDirectory(const char16_t* path) { return CreateDirectoryW(w(path), nullptr) != 0; }

bool deleteFile(const char16_t* path) { return DeleteFileW(w(path)) != 0; }

bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists) {
    return CopyFileW(w(from), w(to), failIfExists) != 0;
}

bool replaceFile(const char16_t* from, const char16_t* to) {
    return MoveFileExW(w(from), w(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

ClaimResult claimFile(const char16_t* path) {
    HANDLE file = CreateFileW(w(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return ClaimResult::Claimed;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return ClaimResult::Taken;
    // A folder of that name refuses with access denied rather than "exists".
    return GetFileAttributesW(w(path)) != INVALID_FILE_ATTRIBUTES ? ClaimResult::Taken : ClaimResult::Failed;
}

bool mapFile(FileHandle file, std::size_t size, bool copyOnWrite, Mapping* out) {
    if (!isValid(file) || size == 0) return false;
    HANDLE mapping = CreateFileMappingW(file, nullptr, copyOnWrite ? PAGE_WRITECOPY : PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, copyOnWrite ? FILE_MAP_COPY : FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    out->handle = mapping;
    out->view = view;
    out->size = size;
    return true;
}

void unmapFile(Mapping* mapping) {
    if (mapping->view) UnmapViewOfFile(mapping->view);
    if (mapping->handle) CloseHandle(static_cast<HANDLE>(mapping->handle));
    *mapping = Mapping{};
}

bool tempFolder(char16_t* out, std::size_t capacity) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > 260 || n + 1 > capacity) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, buffer, (n + 1) * sizeof(wchar_t));
    return true;
}

bool createTempFileIn(const char16_t* folder, char16_t* out, std::size_t capacity) {
    wchar_t buffer[MAX_PATH];
    if (capacity < MAX_PATH || !GetTempFileNameW(w(folder), L"tmp", 0, buffer)) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, buffer, (wcslen(buffer) + 1) * sizeof(wchar_t));
    return true;
}

bool executablePath(char16_t* out, std::size_t capacity) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || n + 1 > capacity) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, buffer, (n + 1) * sizeof(wchar_t));
    return true;
}

bool specialFolder(SpecialFolder which, char16_t* out, std::size_t capacity) {
    wchar_t buffer[MAX_PATH];
    const int csidl = which == SpecialFolder::appData ? CSIDL_APPDATA : CSIDL_PERSONAL;
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer)) || wcslen(buffer) + 1 > capacity) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, buffer, (wcslen(buffer) + 1) * sizeof(wchar_t));
    return true;
}

bool menuFontFace(char16_t* out, std::size_t capacity) {
    // cbSize 500: the structure without iPaddedBorderWidth, which every Windows version accepts.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = 500;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0) ||
        wcslen(metrics.lfMenuFont.lfFaceName) + 1 > capacity) {
        if (capacity) out[0] = 0;
        return false;
    }
    std::memcpy(out, metrics.lfMenuFont.lfFaceName, (wcslen(metrics.lfMenuFont.lfFaceName) + 1) * sizeof(wchar_t));
    return true;
}

bool listDirectory(const char16_t* folder, const std::function<void(const DirectoryEntry&)>& visit) {
    std::wstring pattern(w(folder));
    if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
    pattern += L"*";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
        const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        // dwReserved0 holds the reparse tag; cloud placeholders are reparse points too, but no links.
        const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                            (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        visit(DirectoryEntry{reinterpret_cast<const char16_t*>(data.cFileName),
                             (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, size, data.ftLastWriteTime, isLink});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

void announceNewFile(const char16_t* path) {
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, path, nullptr);
}

void announceNewFolder(const char16_t* path) {
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW | SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, path, nullptr);
}

void* loadLibrary(const char16_t* path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(w(path), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    // Dependencies from the library's own folder, the program's and the system's; the current
    // folder is never searched. Systems without these flags refuse them, and then the library's
    // folder still comes first.
    HMODULE module = LoadLibraryExW(full, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

void* librarySymbol(void* library, const char* name) {
    return library ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void freeLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

std::size_t localSize(void* handle) { return handle ? LocalSize(static_cast<HLOCAL>(handle)) : 0; }
void* localLock(void* handle) { return handle ? LocalLock(static_cast<HLOCAL>(handle)) : nullptr; }
void localUnlock(void* handle) {
    if (handle) LocalUnlock(static_cast<HLOCAL>(handle));
}
void localFree(void* handle) {
    if (handle) LocalFree(static_cast<HLOCAL>(handle));
}
void globalFree(void* handle) {
    if (handle) GlobalFree(static_cast<HGLOBAL>(handle));
}

bool toAnsi(const char16_t* text, char* out, std::size_t capacity) {
    if (!capacity) return false;
    out[0] = 0;
    BOOL lossy = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w(text), -1, out,
                                            static_cast<int>(capacity), nullptr, &lossy);
    if (written == 0 || lossy) {
        out[0] = 0;
        return false;
    }
    return true;
}

std::size_t fromAnsi(const char* text, std::size_t length, char16_t* out, std::size_t capacity) {
    if (!capacity) return 0;
    int written = 0;
    if (length) {
        written = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), reinterpret_cast<wchar_t*>(out),
                                      static_cast<int>(capacity - 1));
        if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            // Too long: keep what fits, as the units of the whole text would.
            std::wstring all(static_cast<std::size_t>(
                                 MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0)),
                             L'\0');
            MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), all.data(), static_cast<int>(all.size()));
            written = static_cast<int>(std::min(all.size(), capacity - 1));
            std::memcpy(out, all.data(), static_cast<std::size_t>(written) * sizeof(char16_t));
        }
    }
    out[written] = 0;
    return static_cast<std::size_t>(written);
}

std::uint32_t processorCount() {
    DWORD_PTR process = 0, system = 0;
    std::uint32_t count = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        for (; process; process &= process - 1) ++count;
    if (count == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        count = info.dwNumberOfProcessors;
    }
    return count ? count : 1;
}

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace platform
