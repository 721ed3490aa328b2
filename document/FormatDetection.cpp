#include "document/FormatDetection.h"

#include "platform/platform.h"
#include "util/files.h"

ImageFormat classifyContent(const std::uint8_t b[8]) {
    if (b[0] == 0x42 && b[1] == 0x4D) return ImageFormat::Bmp;  // "BM"
    if (b[0] == 0x89 && b[1] == 0x50)
        return b[2] == 0x4E && b[3] == 0x47 && b[4] == 0x0D && b[5] == 0x0A && b[6] == 0x1A && b[7] == 0x0A
                   ? ImageFormat::Png
                   : ImageFormat::NotRecognised;
    if (b[0] == 0xFF && b[1] == 0xD8) return ImageFormat::Jpeg;
    if (b[0] == 0x49 && b[1] == 0x49) return b[2] == 0x2A ? ImageFormat::Tiff : ImageFormat::NotRecognised;
    // Big-endian TIFF: byte 2 is not looked at.
    if (b[0] == 0x4D && b[1] == 0x4D) return b[3] == 0x2A ? ImageFormat::Tiff : ImageFormat::NotRecognised;
    if (b[0] == 0x47 && b[1] == 0x49) return b[2] == 0x46 ? ImageFormat::Gif : ImageFormat::NotRecognised;
    return ImageFormat::NotRecognised;
}

ImageFormat DetectFormatByContent(const WideString& path) {
    const platform::FileHandle file = platform::openForReading(path.c_str());
    if (!platform::isValid(file)) return ImageFormat::Unreadable;
    std::uint8_t first[8];
    const bool read = readExact(file, first, sizeof first);
    platform::closeFile(file);
    return read ? classifyContent(first) : ImageFormat::Unreadable;
}

namespace {

bool isSeparator(char16_t c) { return c == platform::kPathSeparator || c == u'/'; }

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

ImageFormat DetectFormatByExtension(const WideString& path) {
    const std::u16string_view text = path.view();
    std::size_t dot = std::u16string_view::npos;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (isSeparator(text[i])) break;
        if (text[i] == u'.') {
            dot = i;
            break;
        }
    }
    if (dot == std::u16string_view::npos) return ImageFormat::NotRecognised;
    char16_t ext[6];
    const std::size_t n = text.size() - dot;
    if (n > 5) return ImageFormat::NotRecognised;
    for (std::size_t i = 0; i < n; ++i) ext[i] = lowerAscii(text[dot + i]);
    const std::u16string_view e(ext, n);
    static constexpr struct {
        const char16_t* extension;
        ImageFormat format;
    } kTable[] = {{u".jpg", ImageFormat::Jpeg}, {u".jpe", ImageFormat::Jpeg}, {u".jpeg", ImageFormat::Jpeg},
                  {u".png", ImageFormat::Png},  {u".gif", ImageFormat::Gif},  {u".bmp", ImageFormat::Bmp},
                  {u".tif", ImageFormat::Tiff}, {u".tiff", ImageFormat::Tiff}};
    for (const auto& entry : kTable)
        if (e == entry.extension) return entry.format;
    return ImageFormat::NotRecognised;
}
