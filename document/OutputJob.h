// The output job: turns the document and the settled trim rectangle into the output image
// (perspective, crop, resize, sharpen, automatic levels), and delivers a document to a file: encoded
// into a temporary file first, then copied to its place. Failures come back as message identifiers;
// the caller shows them (the program's error box, vantle-cli's English message).
#pragma once

#include <cstdint>

#include "codecs/ImageData.h"
#include "document/Document.h"
#include "trim/TrimEditor.h"
#include "util/WideString.h"

// Output formats, as the settings store them (they differ from ImageFormat).
namespace output {
constexpr std::int32_t kBmp = 0;
constexpr std::int32_t kPng = 1;
constexpr std::int32_t kJpeg = 2;
constexpr std::int32_t kTiff = 3;
constexpr std::int32_t kGif = 4;
constexpr std::int32_t kClipboard = 5;
}  // namespace output

// Application messages of the job.
constexpr std::uint32_t kMessageOutOfMemory = 30001;
constexpr std::uint32_t kMessageTempFile = 30003;
constexpr std::uint32_t kMessagePlaceOutput = 30004;
constexpr std::uint32_t kMessageCreateFolder = 30005;

// The settings the job reads, named as in the settings record.
struct OutputOptions {
    std::int32_t trimWidth = 400;
    std::int32_t trimHeight = 300;
    std::int32_t outputFormat = output::kJpeg;
    std::int32_t resizeMethod = 0;
    bool sharpen = false;
    bool autoLevelsFilter = false;
    bool createOutputFolder = true;
    WideString outputFolder;
    WideString outputSubfolder{u"Output"};
    bool usePrefix = false;
    WideString namePrefix;
    bool useSuffix = false;
    WideString nameSuffix;
    bool appendSize = false;
    bool interlaced = false;
    std::int32_t jpegQuality = 75;
    std::int32_t jpegSubsampling = 0;
    bool jpegProgressive = false;
    bool keepExif = false;
    bool limitJpegSize = false;
    std::int32_t jpegSizeLimitKiB = 100;
    WideString currentFolder;
};

// Why a step failed. messageId 0 means there is nothing to show (for BuildOutputImage: nothing to
// do). A JPEG failure that left only the library's own text carries it in libraryMessage, shown
// under the caption kJpegLibraryErrorCaption.
struct OutputFailure {
    std::uint32_t messageId = 0;
    WideString libraryMessage;
};

// Command 5700 / Enter in trim mode 3: plans the steps, builds the output image and ends trim mode
// (also when nothing is built). Null, with nothing changed, when the trim is not settled (not mode
// 3); null after ending trim mode when no step applies
// (failure.messageId 0; automatic levels alone do not start the job) or on lack of memory (30001).
// `steps`, when given, receives the plan.
ImageData* BuildOutputImage(TrimEditor& editor, const Document& document, const OutputOptions& options,
                            OutputFailure& failure, OutputSteps* steps = nullptr);
// The pipeline alone over the editor's source, for a plan already made. The perspective step
// renders only the pixels the crop keeps into the editor's rectified copy and reads them from
// there; a crop that is resized is read where it lies rather than copied; every other step
// allocates its result and frees its input at once, so at most two intermediate buffers exist, and
// the document's buffers are never freed.
ImageData* RunOutputSteps(TrimEditor& editor, const Document& document, const OutputOptions& options,
                          const OutputSteps& steps, OutputFailure& failure);

// The folder the output goes to. forJob: after Execute, the subfolder joined and, with
// createOutputFolder, created when missing (false with 30005 when that fails). Otherwise (Save As of
// the current image): the folder the dialog starts in.
bool ResolveOutputFolder(const Document& document, const OutputOptions& options, bool forJob, WideString& folder,
                         OutputFailure& failure);
// folder + separator + [prefix] + base name ("clip" without a path) + [suffix] + [WxH] + extension.
WideString BuildAutomaticName(const Document& document, const OutputOptions& options, const WideString& folder);
// The extension of the automatic name, with its dot ("" for the clipboard or an unknown code).
const char16_t* outputExtension(std::int32_t outputFormat);

// Encodes the document with the writer of options.outputFormat into a temporary file, then places
// it (PlaceOutput). True only when the file is in place; `placedPath` (optional) receives where. The
// temporary file is deleted in every case, and nothing is placed when the writer failed.
bool SaveImage(const Document& document, const OutputOptions& options, const WideString& path, bool uniqueName,
               OutputFailure& failure, WideString* placedPath = nullptr);
// Encodes the document into the file `path` with the writer of `outputFormat`; false with the
// writer's message (or 50005 for a format no writer handles).
bool WriteOutputFile(const Document& document, const OutputOptions& options, const WideString& path,
                     OutputFailure& failure);
// Copies `temporary` to `destination` (overwriting), or with uniqueName to the first free
// "name+N.ext" beside it; `destination` then names the file written. 30004 on failure. A new file
// is announced to the shell.
bool PlaceOutput(WideString& destination, const WideString& temporary, bool uniqueName, OutputFailure& failure);
