// The one place that differs per operating system. The core reaches files, mappings, memory and
// folders only through these calls: Win32 on Windows, the nearest POSIX equivalent elsewhere. Paths
// are UTF-16 everywhere; the POSIX side converts to UTF-8 at the system-call boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/win_types.h"

namespace platform {

#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
using FileHandle = void*;  // HANDLE
#else
constexpr char16_t kPathSeparator = u'/';
using FileHandle = std::intptr_t;  // file descriptor
#endif
FileHandle invalidFile();
inline bool isValid(FileHandle h) { return h != invalidFile(); }

// ---- memory ----
// Zero-filled blocks of the private application heap (records, tables, lists).
void* heapAlloc(std::size_t bytes);
void heapFree(void* block);
// Zero-filled blocks of the process heap (string buffers). heapReAllocProcess zero-fills growth.
void* processAlloc(std::size_t bytes);
void* processReAlloc(void* block, std::size_t oldBytes, std::size_t newBytes);
void processFree(void* block);
// Page-granular zero-filled buffers for pixels (VirtualAlloc / VirtualFree).
void* pageAlloc(std::size_t bytes);
void pageFree(void* block);

// ---- files ----
enum class Create { newAlways, newOnly, existingOnly, openAlways };
FileHandle openForReading(const char16_t* path);               // shared reading, existing file
FileHandle openForReadWrite(const char16_t* path, Create how);  // no sharing
bool closeFile(FileHandle file);
bool fileSize(FileHandle file, std::uint64_t* size);
bool fileLastWriteTime(FileHandle file, FILETIME* time);
// Reads up to `bytes`; returns the count read, or -1 on error.
std::int64_t readFile(FileHandle file, void* data, std::size_t bytes);
// Writes all bytes; false on any error or short write.
bool writeFile(FileHandle file, const void* data, std::size_t bytes);
bool seekFile(FileHandle file, std::int64_t offset);  // absolute position

bool pathExists(const char16_t* path);  // file or folder
bool isDirectory(const char16_t* path);
bool createDirectory(const char16_t* path);
bool deleteFile(const char16_t* path);
bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists);
// Replaces `to` by `from` in one step (MoveFileExW with MOVEFILE_REPLACE_EXISTING, rename): anyone
// opening `to` finds the old file or the whole new one, never a part. Both in the same folder.
bool replaceFile(const char16_t* from, const char16_t* to);

// Takes a name for a file still to be written: creates `path` as a new empty file only when nothing
// is there (CREATE_NEW, O_EXCL), so of two threads or processes asking for one name exactly one
// gets it. Taken: a file, folder or link of that name exists. The claim is then replaced by the
// finished file (replaceFile) or released by deleting it.
enum class ClaimResult { Claimed, Taken, Failed };
ClaimResult claimFile(const char16_t* path);

// ---- mappings ----
// A whole-file mapping of an open file. `copyOnWrite` gives a private writable view that never
// reaches the file.
struct Mapping {
    void* handle = nullptr;  // mapping object (Windows); unused elsewhere
    void* view = nullptr;
    std::size_t size = 0;
};
bool mapFile(FileHandle file, std::size_t size, bool copyOnWrite, Mapping* out);
void unmapFile(Mapping* mapping);

// ---- folders and names ----
// The system's temporary folder, ending in a separator; empty (false) on failure or when too long.
bool tempFolder(char16_t* out, std::size_t capacity);
// Creates a new empty file "tmp…" in `folder` and writes its full path to `out`.
bool createTempFileIn(const char16_t* folder, char16_t* out, std::size_t capacity);
// Full path of the running executable.
bool executablePath(char16_t* out, std::size_t capacity);

// Per-user folders (Windows: SHGetFolderPathW). appData: CSIDL_APPDATA, elsewhere $XDG_CONFIG_HOME or
// ~/.config; documents: CSIDL_PERSONAL, elsewhere the home folder. Without trailing separator.
enum class SpecialFolder { appData, documents };
bool specialFolder(SpecialFolder which, char16_t* out, std::size_t capacity);
// Face name of the system menu font; false (empty) where the system has none to offer.
bool menuFontFace(char16_t* out, std::size_t capacity);

struct DirectoryEntry {
    const char16_t* name;  // without folder
    bool isDirectory;
    std::uint64_t size;
    FILETIME lastWriteTime;
    bool isLink;  // a symbolic link or junction (the other fields describe its target)
};
// Calls `visit` for every entry of `folder` except "." and "..". False when the folder cannot be read.
bool listDirectory(const char16_t* folder, const std::function<void(const DirectoryEntry&)>& visit);

// Tells the shell that a file or folder appeared, so open folder windows show it at once
// (SHChangeNotify on Windows; nothing to do elsewhere).
void announceNewFile(const char16_t* path);
void announceNewFolder(const char16_t* path);

// ---- image plug-ins ----
// A library loaded by its full path (a relative path is made full against the current folder), its
// own dependencies searched in its folder and the system's, never in the current folder. Null where
// the system loads no such libraries (everywhere but Windows) or on failure.
void* loadLibrary(const char16_t* path);
void* librarySymbol(void* library, const char* name);
void freeLibrary(void* library);
// Local-memory handles a library hands over (LocalSize, LocalLock, LocalUnlock, LocalFree) and
// global ones (GlobalFree). The size of a handle that is not one is 0.
std::size_t localSize(void* handle);
void* localLock(void* handle);
void localUnlock(void* handle);
void localFree(void* handle);
void globalFree(void* handle);
// Text in the system's ANSI code page (CP_ACP; UTF-8 elsewhere). toAnsi fails when a character has
// no exact counterpart or the result, with its terminating 0, exceeds `capacity`; fromAnsi converts
// `length` bytes, stops at `capacity` - 1 units, and returns the units written (0-terminated).
bool toAnsi(const char16_t* text, char* out, std::size_t capacity);
std::size_t fromAnsi(const char* text, std::size_t length, char16_t* out, std::size_t capacity);

// ---- processes ----
// The processors this process may run on: online and within its affinity mask; at least 1.
std::uint32_t processorCount();
// Whether standard error is an interactive terminal (a console on Windows), not a file or pipe.
bool standardErrorIsTerminal();

}  // namespace platform
