#include "plugins/PluginHost.h"

#include <cstring>
#include <string>

#include "document/FormatDetection.h"
#include "platform/platform.h"
#include "plugins/PluginAbi.h"
#include "plugins/PluginBitmap.h"

namespace {

namespace abi = plugin_abi;

// The bytes read from the file: what IsSupported sees at offset 0, and again 128 bytes further on.
constexpr std::uint32_t kHeadBufferBytes = abi::kHeadBytes + abi::kSkippedHead;  // 2176
// Paths and info texts cross in buffers of 260 bytes, the last one always kept for the terminator.
constexpr int kTextBuffer = 260;
constexpr int kTextLimit = kTextBuffer - 1;
// A plug-in that answers every info number would otherwise be asked forever.
constexpr int kLastInfoNumber = 1023;

enum class PluginKind { None, Image, Archive };

// One plug-in library, loaded for one use.
class Library {
public:
    Library(const PluginCalls& calls, const WideString& folder, std::u16string_view fileName) : calls_(calls) {
        WideString path;
        path.assign(folder);
        if (path.empty() || path.view().back() != platform::kPathSeparator) path.append(&platform::kPathSeparator, 1);
        path.append(fileName.data(), static_cast<std::uint32_t>(fileName.size()));
        handle_ = calls_.load(path.c_str());
    }
    ~Library() {
        if (handle_) calls_.release(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }

    template <typename Fn>
    Fn get(const char* name) const {
        return handle_ ? reinterpret_cast<Fn>(calls_.symbol(handle_, name)) : nullptr;
    }

    PluginKind kind() const {
        const auto info = get<abi::GetPluginInfoFn>("GetPluginInfo");
        if (!info) return PluginKind::None;
        char version[abi::kVersionBufferSize] = {};
        info(0, version, sizeof version);
        if (std::memcmp(version, abi::kImageVersion, 4) == 0) return PluginKind::Image;
        if (std::memcmp(version, abi::kArchiveVersion, 4) == 0) return PluginKind::Archive;
        return PluginKind::None;
    }

    // GetPluginInfo's entry `number` as a terminated text of at most 259 bytes; 0 when it has none.
    int info(int number, char (&text)[kTextBuffer]) const {
        const auto call = get<abi::GetPluginInfoFn>("GetPluginInfo");
        std::memset(text, 0, sizeof text);
        if (!call || call(number, text, kTextLimit) == 0) return 0;
        text[kTextLimit] = 0;
        return static_cast<int>(std::strlen(text));
    }

private:
    const PluginCalls& calls_;
    void* handle_ = nullptr;
};

class HostLock {
public:
    explicit HostLock(std::mutex* lock) : lock_(lock) {
        if (lock_) lock_->lock();
    }
    ~HostLock() {
        if (lock_) lock_->unlock();
    }
    HostLock(const HostLock&) = delete;
    HostLock& operator=(const HostLock&) = delete;

private:
    std::mutex* lock_;
};

bool endsWithAscii(std::u16string_view name, std::u16string_view suffix) {
    return name.size() >= suffix.size() && SamePluginName(name.substr(name.size() - suffix.size()), suffix);
}

// Every file of the folder named "*.spi", then every "*.sph", in the order the folder lists them.
template <typename Visit>
void forEachPluginFile(const WideString& folder, Visit visit) {
    for (const std::u16string_view extension : {std::u16string_view(u".spi"), std::u16string_view(u".sph")}) {
        std::vector<WideString> names;
        platform::listDirectory(folder.c_str(), [&](const platform::DirectoryEntry& entry) {
            if (!entry.isDirectory && endsWithAscii(entry.name, extension)) names.emplace_back(entry.name);
        });
        for (const WideString& name : names) visit(name.view());
    }
}

int VANTLE_PLUGIN_CALL keepGoing(int, int, std::intptr_t) { return 0; }

// Steps 5 of the load: the chosen plug-in's picture into the record.
bool takePicture(const PluginHost& host, const Library& plugin, const char* ansiPath, ImageData& image) {
    const PluginCalls& calls = *host.calls;
    std::int32_t depth = 0;
    if (const auto getInfo = plugin.get<abi::GetPictureInfoFn>("GetPictureInfo")) {
        abi::PictureInfo info{};
        if (getInfo(ansiPath, host.headOffset, abi::kInputFile, &info) == abi::kAllRight) {
            if (info.textInfo) calls.globalFree(info.textInfo);
            depth = info.colorDepth;
        }
    }
    const auto getPicture = plugin.get<abi::GetPictureFn>("GetPicture");
    if (!getPicture) return false;
    void* infoHandle = nullptr;
    void* bitsHandle = nullptr;
    if (getPicture(ansiPath, host.headOffset, abi::kInputFile, &infoHandle, &bitsHandle, keepGoing, 0) !=
        abi::kAllRight)
        return false;

    PluginPicture picture;
    picture.declaredDepth = depth;
    picture.infoSize = calls.localSize(infoHandle);
    picture.bitsSize = calls.localSize(bitsHandle);
    const void* info = picture.infoSize ? calls.localLock(infoHandle) : nullptr;
    const void* bits = picture.bitsSize ? calls.localLock(bitsHandle) : nullptr;
    picture.info = static_cast<const std::uint8_t*>(info);
    picture.bits = static_cast<const std::uint8_t*>(bits);
    const bool converted = info && bits && ConvertPluginPicture(picture, image);
    if (info) calls.localUnlock(infoHandle);
    if (bits) calls.localUnlock(bitsHandle);
    calls.localFree(infoHandle);
    calls.localFree(bitsHandle);
    return converted;
}

bool readHead(const WideString& path, ImageData& image, std::uint8_t* head) {
    const platform::FileHandle file = platform::openForReading(path.c_str());
    if (!platform::isValid(file)) return false;
    std::uint64_t size = 0;
    platform::fileSize(file, &size);
    image.sourceFileSize = size >= (std::uint64_t{1} << 32) ? 0 : static_cast<std::uint32_t>(size);
    platform::fileLastWriteTime(file, &image.lastWriteTime);
    // A file shorter than the head is offered all the same, the rest of the head left zero: many a
    // small Netpbm or WebP picture is below 2176 bytes, and a plug-in reads its file itself.
    std::uint32_t got = 0;
    while (got < kHeadBufferBytes) {
        const std::int64_t n = platform::readFile(file, head + got, kHeadBufferBytes - got);
        if (n <= 0) break;
        got += static_cast<std::uint32_t>(n);
    }
    platform::closeFile(file);
    return got > 0;
}

// The text behind the last "." of a pattern (a "\" ends the search), or the whole pattern.
std::u16string_view extensionOf(std::u16string_view token) {
    for (std::size_t i = token.size(); i-- > 0;) {
        if (token[i] == u'\\') break;
        if (token[i] == u'.') return token.substr(i);
    }
    return token;
}

void addPatterns(const char* text, bool wholePatterns, std::vector<WideString>& list) {
    const char* p = text;
    while (true) {
        const char* end = std::strchr(p, ';');
        const std::size_t length = end ? static_cast<std::size_t>(end - p) : std::strlen(p);
        char16_t wide[kTextBuffer + 1];
        const std::size_t units = platform::fromAnsi(p, length, wide, sizeof wide / sizeof wide[0]);
        WideString token;
        token.assign(wide, static_cast<std::uint32_t>(units));
        if (units && DetectFormatByExtension(token) == ImageFormat::NotRecognised) {
            const std::u16string_view entry = wholePatterns ? token.view() : extensionOf(token.view());
            bool listed = false;
            for (const WideString& have : list) listed = listed || SamePluginName(have.view(), entry);
            if (!listed) list.emplace_back().assign(entry.data(), static_cast<std::uint32_t>(entry.size()));
        }
        if (!end) break;
        p = end + 1;
    }
}

}  // namespace

ImageData* loadWithPlugin(PluginHost& host, const WideString& path) {
    if (!platform::isDirectory(host.folder.c_str())) return nullptr;
    ImageData* image = allocImageData();
    if (!image) return nullptr;
    host.result = image;
    HostLock guard(host.lock);
    static_assert(kHeadBufferBytes == 2176);
    std::uint8_t head[kHeadBufferBytes] = {};
    char ansiPath[kTextBuffer];
    bool loaded = false;
    // A path the code page cannot spell would reach the plug-in as another file's name.
    if (readHead(path, *image, head) && platform::toAnsi(path.c_str(), ansiPath, sizeof ansiPath)) {
        bool chosen = false;
        forEachPluginFile(host.folder, [&](std::u16string_view name) {
            if (chosen || IsListed(host.disabled, name)) return;
            Library plugin(*host.calls, host.folder, name);
            const auto isSupported = plugin.get<abi::IsSupportedFn>("IsSupported");
            if (!isSupported) return;
            int offset = 0;
            if (!isSupported(ansiPath, head)) {
                if (!isSupported(ansiPath, head + abi::kSkippedHead)) return;
                offset = abi::kSkippedHead;
            }
            if (plugin.kind() != PluginKind::Image) return;
            chosen = true;
            host.headOffset = offset;
            loaded = takePicture(host, plugin, ansiPath, *image);
        });
    }
    host.result = nullptr;
    if (!loaded) {
        freeImageData(image);
        return nullptr;
    }
    return image;
}

std::vector<WideString> collectPatterns(PluginHost& host, bool wholePatterns) {
    std::vector<WideString> list;
    if (!platform::isDirectory(host.folder.c_str())) return list;
    HostLock guard(host.lock);
    forEachPluginFile(host.folder, [&](std::u16string_view name) {
        if (IsListed(host.disabled, name)) return;
        Library plugin(*host.calls, host.folder, name);
        if (!plugin || plugin.kind() != PluginKind::Image) return;
        char text[kTextBuffer];
        for (int number = 2; number <= kLastInfoNumber && plugin.info(number, text); number += 2)
            addPatterns(text, wholePatterns, list);
    });
    return list;
}

std::vector<WideString> listPlugins(PluginHost& host) {
    std::vector<WideString> names;
    HostLock guard(host.lock);
    forEachPluginFile(host.folder, [&](std::u16string_view name) {
        Library plugin(*host.calls, host.folder, name);
        if (plugin && plugin.kind() == PluginKind::Image)
            names.emplace_back().assign(name.data(), static_cast<std::uint32_t>(name.size()));
    });
    return names;
}

bool describePlugin(PluginHost& host, const WideString& fileName, WideString& patterns, WideString& names) {
    patterns.clear();
    names.clear();
    Library plugin(*host.calls, host.folder, fileName.view());
    if (!plugin) return false;
    HostLock guard(host.lock);
    char pattern[kTextBuffer];
    char name[kTextBuffer];
    int patternLength = plugin.info(2, pattern);
    int nameLength = plugin.info(3, name);
    if (!patternLength || !nameLength) return false;
    std::string joinedPatterns(pattern, static_cast<std::size_t>(patternLength));
    std::string joinedNames(name, static_cast<std::size_t>(nameLength));
    for (int number = 4; number + 1 <= kLastInfoNumber; number += 2) {
        patternLength = plugin.info(number, pattern);
        nameLength = plugin.info(number + 1, name);
        if (!patternLength || !nameLength) break;
        if (joinedPatterns.size() + 1 + static_cast<std::size_t>(patternLength) > kTextLimit ||
            joinedNames.size() + 1 + static_cast<std::size_t>(nameLength) > kTextLimit)
            break;
        joinedPatterns.append(";").append(pattern);
        joinedNames.append("/").append(name);
    }
    char16_t wide[kTextBuffer];
    patterns.assign(wide, static_cast<std::uint32_t>(
                              platform::fromAnsi(joinedPatterns.data(), joinedPatterns.size(), wide, kTextBuffer)));
    names.assign(wide, static_cast<std::uint32_t>(
                           platform::fromAnsi(joinedNames.data(), joinedNames.size(), wide, kTextBuffer)));
    return true;
}

void configurePlugin(PluginHost& host, void* parentWindow, const WideString& fileName) {
    if (!platform::isDirectory(host.folder.c_str())) return;
    Library plugin(*host.calls, host.folder, fileName.view());
    HostLock guard(host.lock);
    if (const auto configure = plugin.get<abi::ConfigurationDlgFn>("ConfigurationDlg")) configure(parentWindow, 1);
}
