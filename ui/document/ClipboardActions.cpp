// Paste (command kPaste) and copy of the current image through the clipboard, in the CF_DIB format.
#include <windows.h>

#include <cstring>
#include <vector>

#include "codecs/Clipboard.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/view/View.h"

namespace {

void showError(std::uint32_t id) { showErrorMessage(id); }
void forgetCrosshairPosition() { forgetCrosshair(); }

// Decodes the clipboard's bitmap, reading no further than its memory block reaches. Null when the
// clipboard holds none that can be taken.
ImageData* readClipboardImage() {
    if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(app.mainWindow)) return nullptr;
    ImageData* image = nullptr;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        const SIZE_T size = GlobalSize(data);
        if (const void* block = GlobalLock(data)) {
            ImageSource source;
            image = pasteFromClipboard(source, static_cast<const std::uint8_t*>(block), size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return image;
}

}  // namespace

void pasteImage() {
    if (active(app.editor.trimMode)) return;
    ImageData* image = readClipboardImage();
    if (!image) return;  // the current image stays

    DocumentHost host;
    host.showError = showError;
    host.forgetCrosshair = forgetCrosshairPosition;
    InstallImage(app.document, *image, host);
    freeImageData(image);
    ForgetSource(app.document);

    ClearListSelection(app.fileList);
    clearListBoxSelection();
    documentChanged();
}

void copyImageToClipboard() {
    const Document& document = app.document;
    if (!document.sourcePixels || document.header.biBitCount != 24 || document.header.biWidth <= 0 ||
        document.header.biHeight <= 0)
        return;

    ImageSink sink;
    setGeometry(sink.reducer, static_cast<std::uint32_t>(document.header.biWidth),
                static_cast<std::uint32_t>(document.header.biHeight), 24, 24);
    sink.xResolution = document.header.biXPelsPerMeter;
    sink.yResolution = document.header.biYPelsPerMeter;
    std::vector<std::uint8_t> block;
    if (!copyToClipboard(sink, nullptr, document.sourcePixels, block)) return;

    if (!OpenClipboard(app.mainWindow)) return;
    if (EmptyClipboard()) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
        void* target = memory ? GlobalLock(memory) : nullptr;
        if (target) {
            std::memcpy(target, block.data(), block.size());
            GlobalUnlock(memory);
            // The clipboard owns the block once it took it.
            if (!SetClipboardData(CF_DIB, memory)) GlobalFree(memory);
        } else if (memory) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}
