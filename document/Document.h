// The one current image: its header and palette (together a BITMAPINFO), the decoded pixels and the
// copies the view and the trim work on, its path and flags. Every way of opening an image ends in
// LoadDocument or InstallImage, which leave the image normalised to 24-bit blue-green-red.
#pragma once

#include <cstdint>
#include <functional>

#include "codecs/CodecStatus.h"
#include "codecs/ImageData.h"
#include "util/WideString.h"

struct Document {
    BITMAPINFOHEADER header{};
    RGBQUAD palette[256]{};               // directly behind the header
    std::uint8_t* sourcePixels = nullptr;   // owned; 24-bit after a successful installation
    std::uint8_t* shadedPixels = nullptr;   // owned; null when no image is usable (or no view shows it)
    std::uint8_t* displayPixels = nullptr;  // not owned: the buffer the view paints (the shaded copy,
                                            // or the trim's rectified copy while a corner is dragged)
    WideString path;                          // empty after a paste
    bool loadFailed = false;
    bool jpegHadExif = false;
    // The colour profile of the source pixels: taken from the decoder's record by LoadDocument, kept
    // through the trim (InstallImage leaves it), and dropped wherever the pixels stop being the
    // source's (a paste, a plug-in image without one, a failed load).
    IccProfile iccProfile{};

    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};
static_assert(offsetof(Document, palette) == sizeof(BITMAPINFOHEADER), "header and palette form a BITMAPINFO");

// What loading needs from the layers above it. Every member may be left empty.
struct DocumentHost {
    // The pluginFolder setting; plug-ins are asked only when it names an existing folder.
    const WideString* pluginFolder = nullptr;
    // The plug-in host's load of a file no built-in decoder read; empty finds no plug-in.
    std::function<ImageData*(const WideString& path)> loadWithPlugin;
    // The error box, by message identifier (30001 when memory runs out while normalising).
    void (*showError)(std::uint32_t messageId) = nullptr;
    // The wait cursor around a load.
    void (*setBusy)(bool busy) = nullptr;
    // Forgets the crosshair position after a new image arrives.
    void (*forgetCrosshair)() = nullptr;
    // False where no view paints the document (vantle-cli): the shaded copy, a second image-sized
    // buffer only the view reads, is not made, and the document is usable once it is 24-bit.
    bool showsImage = true;
};

// Loads `path` (or reloads document.path when null) and installs it. True when an image was decoded
// and installed (`why` 0 when it is usable; shadedPixels stays null if memory ran out while
// normalising it, or when the host shows no image); else the document
// is emptied and marked loadFailed. The path is taken over either way. `why` receives 0 for a usable
// image, 50001 for one that could not be normalised, else the decoder's status (50004 for a file
// that cannot be opened, 50002 for one no decoder recognises).
bool LoadDocument(Document& document, const WideString* path, const DocumentHost& host, CodecStatus* why = nullptr);

// Makes a decoded image the document: takes its pixel buffer (the record keeps no pixels), expands
// 8-bit images through their palette and makes the shaded copy (unless host.showsImage is false).
// True when the document is usable (24-bit, with its shaded copy where one is made); on lack of
// memory message 30001 is shown and false returned.
bool InstallImage(Document& document, ImageData& image, const DocumentHost& host);

// The document's pixels no longer come from its file (a paste): the path is emptied, and the EXIF
// flag and the colour profile, which belonged to the file's pixels, are dropped.
void ForgetSource(Document& document);

// Frees every pixel buffer of the document (at exit, or before a failed load's empty state).
void releasePixels(Document& document);
