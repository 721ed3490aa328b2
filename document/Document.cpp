#include "document/Document.h"

#include <cstring>

#include "document/BuiltInDecoders.h"
#include "document/FormatDetection.h"
#include "imaging/Resample.h"
#include "platform/platform.h"

namespace {

constexpr std::uint32_t kMessageNoMemory = 30001;

void showError(const DocumentHost& host, std::uint32_t id) {
    if (host.showError) host.showError(id);
}

void setBusy(const DocumentHost& host, bool busy) {
    if (host.setBusy) host.setBusy(busy);
}

}  // namespace

Document::~Document() {
    releasePixels(*this);
    freeIccProfile(iccProfile);
}

void releasePixels(Document& document) {
    freePixels(document.sourcePixels);
    freePixels(document.shadedPixels);
    document.sourcePixels = document.shadedPixels = nullptr;
    document.displayPixels = nullptr;
}

void ForgetSource(Document& document) {
    document.path.clear();
    document.loadFailed = false;
    document.jpegHadExif = false;
    freeIccProfile(document.iccProfile);
}

bool InstallImage(Document& document, ImageData& image, const DocumentHost& host) {
    freePixels(document.sourcePixels);
    document.sourcePixels = image.pixels;
    image.pixels = nullptr;
    document.displayPixels = document.sourcePixels;
    std::memcpy(&document.header, &image.header, sizeof document.header);
    std::memcpy(document.palette, image.palette, sizeof document.palette);

    const auto width = static_cast<std::uint32_t>(document.header.biWidth);
    const auto height = static_cast<std::uint32_t>(document.header.biHeight);
    bool normalised = document.header.biBitCount == 24;
    if (!normalised && document.header.biBitCount == 8) {
        std::uint8_t* expanded = ExpandIndexed(document.palette, document.sourcePixels, document.header.biWidth,
                                               document.header.biHeight);
        if (expanded) {
            freePixels(document.sourcePixels);
            document.sourcePixels = document.displayPixels = expanded;
            initHeader(document.header, document.header.biWidth, document.header.biHeight, 24, 0, 0);
            normalised = true;
        }
    }

    freePixels(document.shadedPixels);
    document.shadedPixels = nullptr;
    if (normalised && host.showsImage) {
        const std::uint32_t bytes = imageBytes(width, height, 24);
        document.shadedPixels = allocPixels(bytes);
        if (document.shadedPixels) {
            std::memcpy(document.shadedPixels, document.sourcePixels, bytes);
            document.displayPixels = document.shadedPixels;
        }
    }
    // Without memory the image stays shown (through its palette when 8-bit), but nothing can be
    // trimmed or saved.
    const bool usable = normalised && (document.shadedPixels || !host.showsImage);
    if (!usable) showError(host, kMessageNoMemory);
    if (host.forgetCrosshair) host.forgetCrosshair();
    return usable;
}

bool LoadDocument(Document& document, const WideString* path, const DocumentHost& host, CodecStatus* why) {
    setBusy(host, true);
    // A reload reads the current path; a new path is copied first, since it becomes the document's
    // path even when the load fails.
    if (path && path != &document.path) document.path.assign(*path);
    const WideString& target = document.path;

    const ImageFormat format = DetectFormatByContent(target);
    DecodeOutcome outcome;
    outcome.status = format == ImageFormat::Unreadable ? CodecStatus::BadFile : CodecStatus::BadHeader;
    ImageData* image = nullptr;
    if (const BuiltInDecoder decode = builtInDecoder(format)) image = decode(target, outcome);
    // Unrecognised, unreadable or refused by its decoder: the plug-ins may know better.
    if (!image && host.loadWithPlugin && host.pluginFolder && !host.pluginFolder->empty() &&
        platform::isDirectory(host.pluginFolder->c_str())) {
        image = host.loadWithPlugin(target);
        outcome.hasExif = false;
    }

    bool installed = false;
    if (image) {
        installed = InstallImage(document, *image, host);
        document.jpegHadExif = image->sourceFormat == ImageFormat::Jpeg && outcome.hasExif;
        // A plug-in's picture has a zeroed profile, so an earlier document's never stays behind.
        moveIccProfile(document.iccProfile, image->iccProfile);
        freeImageData(image);
        document.loadFailed = false;
        if (why) *why = installed ? CodecStatus::Ok : CodecStatus::NoMemory;
    } else {
        freePixels(document.sourcePixels);
        freePixels(document.shadedPixels);
        document.sourcePixels = document.shadedPixels = document.displayPixels = nullptr;
        document.jpegHadExif = false;
        freeIccProfile(document.iccProfile);
        document.loadFailed = true;
        if (why) *why = outcome.status;
    }
    setBusy(host, false);
    return image != nullptr;
}
