// Document loading as a whole: the bytes become a file, which is sniffed, decoded by whichever
// built-in decoder claims it and installed. An installed image must be 24-bit with readable buffers.
#include <cstdlib>

#include "document/Document.h"
#include "fuzz/FuzzHarness.h"
#include "platform/platform.h"
#include "util/files.h"

namespace {
// One temporary file for the whole run, removed at exit.
struct InputFile {
    WideString path;
    InputFile() {
        if (!makeTempFile(path)) std::abort();
    }
    ~InputFile() { platform::deleteFile(path.c_str()); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile input;
    const WideString& path = input.path;
    const platform::FileHandle file = platform::openForReadWrite(path.c_str(), platform::Create::newAlways);
    if (!platform::isValid(file)) std::abort();
    const bool written = size == 0 || platform::writeFile(file, data, size);
    platform::closeFile(file);
    if (!written) std::abort();

    Document document;
    DocumentHost host;
    CodecStatus why = CodecStatus::Ok;
    const bool loaded = LoadDocument(document, &path, host, &why);
    if (loaded != !document.loadFailed) std::abort();
    // A refusal names its cause; an image is taken with Ok, or kept without memory to install it.
    if (!loaded ? why == CodecStatus::Ok : why != CodecStatus::Ok && why != CodecStatus::NoMemory) std::abort();
    if (document.shadedPixels) {
        const BITMAPINFOHEADER& h = document.header;
        if (h.biBitCount != 24 || h.biWidth <= 0 || h.biHeight <= 0) std::abort();
        const std::uint32_t bytes = imageBytes(h.biWidth, h.biHeight, 24);
        if (bytes == 0 || document.displayPixels != document.shadedPixels) std::abort();
        volatile std::uint8_t touch = document.sourcePixels[bytes - 1];
        touch = document.shadedPixels[bytes - 1];
        (void)touch;
    }
    return 0;
}
