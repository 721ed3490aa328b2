// Loading a document into the window and the end of a trim: the output job and its delivery, or a
// cancel. Every path ends with the view re-fitted and the title, toolbar and file list current.
#include "codecs/jpeg/JpegCodec.h"
#include "document/OutputJob.h"
#include "shell/Language_win32.h"
#include "shell/PluginSettings.h"
#include "ui/app/App.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/menus/Menus.h"
#include "ui/view/View.h"
#include "ui/window/MainWindow.h"

namespace {

void setBusyCursor(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

DocumentHost windowHost() {
    DocumentHost host;
    UsePlugins(host, app.settings);
    host.showError = [](std::uint32_t id) { showErrorMessage(id); };
    host.setBusy = setBusyCursor;
    host.forgetCrosshair = forgetCrosshair;
    return host;
}

// The folder part of the document's path, or nothing for a pasted image.
void rememberDocumentFolder() {
    const WideString& path = app.document.path;
    if (path.empty()) return;
    const std::u16string_view view = path.view();
    const std::size_t cut = view.find_last_of(u'\\');
    if (cut == std::u16string_view::npos) return;
    app.settings.currentFolder.assign(path.c_str(), static_cast<std::uint32_t>(cut));
}

// The end of every trim, executed or cancelled.
void afterTrim(bool refit) {
    setBusyCursor(false);
    if (refit) fitView();
    writeZoomBox();
    if (!app.document.path.empty()) {
        rememberDocumentFolder();
        refreshFileList();
    }
    refreshTitle();
    refreshToolbarStates();
    reopenListWindow();
    repaintView();
}

}  // namespace

bool openDocument(const WideString* path, bool refreshList) {
    CodecStatus why = CodecStatus::Ok;
    WideString target;
    if (path) target.assign(*path);  // the path may live in a list that the refresh replaces
    const bool loaded = LoadDocument(app.document, path ? &target : nullptr, windowHost(), &why);
    invalidateShading();
    // A file that cannot be read shows no box: the view says so. Running out of memory is told.
    if (!loaded && why == CodecStatus::NoMemory) showErrorMessage(kMessageOutOfMemory);
    fitView();
    writeZoomBox();
    rememberDocumentFolder();
    if (refreshList) refreshFileList();
    refreshTitle();
    refreshToolbarStates();
    return app.document.displayPixels != nullptr;
}

void documentChanged() {
    invalidateShading();
    fitView();
    writeZoomBox();
    refreshTitle();
    refreshToolbarStates();
}

void showOutputFailure(std::uint32_t messageId, const WideString& libraryMessage) {
    if (messageId) {
        showErrorMessage(messageId);
    } else if (!libraryMessage.empty()) {
        MessageBoxW(app.mainWindow, reinterpret_cast<const wchar_t*>(libraryMessage.c_str()),
                    reinterpret_cast<const wchar_t*>(kJpegLibraryErrorCaption), MB_SETFOREGROUND | MB_ICONERROR);
    }
}

void finishTrim() {
    if (app.editor.trimMode != TrimMode::Adjusting) return;
    setBusyCursor(true);
    removeTrimKeyHook();
    const OutputOptions& options = app.settings;
    OutputFailure failure;
    ImageData* result = BuildOutputImage(app.editor, app.document, options, failure);
    bool installed = false;
    if (result) {
        installed = InstallImage(app.document, *result, windowHost());
        freeImageData(result);
        invalidateShading();
        fitView();
    } else if (failure.messageId) {
        showOutputFailure(failure.messageId, failure.libraryMessage);
    }
    if (installed) {
        if (options.outputFormat == OutputFormat::Clipboard) {
            copyImageToClipboard();
        } else {
            WideString folder;
            if (!ResolveOutputFolder(app.document, options, true, folder, failure)) {
                showOutputFailure(failure.messageId, failure.libraryMessage);
            } else if (options.createOutputFolder) {
                WideString placed;
                if (!SaveImage(app.document, options, BuildAutomaticName(app.document, options, folder), true, failure,
                               &placed))
                    showOutputFailure(failure.messageId, failure.libraryMessage);
            } else {
                saveAsDialog(folder);
            }
        }
    }
    afterTrim(!result);
}

void cancelTrim() {
    if (!Cancel(app.editor)) return;
    removeTrimKeyHook();
    afterTrim(true);
}
