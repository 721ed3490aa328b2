// The output job: turns the document and the settled trim rectangle into the output image
// (perspective, crop, resize, sharpen, automatic levels), and delivers a document to a file: encoded
// into a temporary file first, then copied to its place. Failures come back as message identifiers;
// the caller shows them (the program's error box, vantle-cli's English message).
#pragma once

#include <cstdint>

#include "codecs/ImageData.h"
#include "document/Document.h"
#include "document/OutputOptions.h"
#include "trim/TrimEditor.h"
#include "util/WideString.h"

// Application messages of the job.
constexpr std::uint32_t kMessageOutOfMemory = 30001;
constexpr std::uint32_t kMessageTempFile = 30003;
constexpr std::uint32_t kMessagePlaceOutput = 30004;
constexpr std::uint32_t kMessageCreateFolder = 30005;

// Why a step failed. messageId 0 means there is nothing to show (for BuildOutputImage: nothing to
// do). A JPEG failure that left only the library's own text carries it in libraryMessage, shown
// under the caption kJpegLibraryErrorCaption.
struct OutputFailure {
    std::uint32_t messageId = 0;
    WideString libraryMessage;
};

// Execute (command kTrimExecute, Enter) while adjusting: plans the steps, builds the output image
// and ends trim mode (also when nothing is built). Null, with nothing changed, when the trim is not
// settled; null after ending trim mode when no step applies (failure.messageId 0; automatic levels
// alone do not start the job) or on lack of memory (30001). `steps`, when given, receives the plan.
ImageData* BuildOutputImage(TrimEditor& editor, const Document& document, const OutputOptions& options,
                            OutputFailure& failure, OutputSteps* steps = nullptr);
// The pipeline alone over the document's source, for a plan already made. The perspective step
// renders only the pixels the crop keeps into the selection's rectified copy and reads them from
// there; a crop that is resized is read where it lies rather than copied; every other step
// allocates its result and frees its input at once, so at most two intermediate buffers exist, and
// neither the document's buffers nor the rectified copy are freed.
ImageData* RunOutputSteps(const TrimSelection& selection, const Document& document, const OutputOptions& options,
                          const OutputSteps& steps, OutputFailure& failure);

// The folder the output goes to. forJob: after Execute, the subfolder joined and, with
// createOutputFolder, created when missing (false with 30005 when that fails). Otherwise (Save As of
// the current image): the folder the dialog starts in.
bool ResolveOutputFolder(const Document& document, const OutputOptions& options, bool forJob, WideString& folder,
                         OutputFailure& failure);
// The folder ResolveOutputFolder resolves after Execute, without creating anything (for a preview
// of the names a job would write).
WideString PlannedOutputFolder(const Document& document, const OutputOptions& options);
// folder + separator + [prefix] + base name ("clip" without a path) + [suffix] + [WxH] + extension.
WideString BuildAutomaticName(const Document& document, const OutputOptions& options, const WideString& folder);
// The extension of the automatic name, with its dot ("" for the clipboard).
const char16_t* outputExtension(OutputFormat outputFormat);

// Encodes the document with the writer of options.outputFormat into a temporary file, then places
// it (PlaceOutput). True only when the file is in place; `placedPath` (optional) receives where. The
// temporary file is deleted in every case, and nothing is placed when the writer failed.
bool SaveImage(const Document& document, const OutputOptions& options, const WideString& path, bool uniqueName,
               OutputFailure& failure, WideString* placedPath = nullptr);
// Encodes the document into the file `path` with the writer of options.outputFormat; false with
// the writer's message (or 50005 for the clipboard, which no writer handles).
bool WriteOutputFile(const Document& document, const OutputOptions& options, const WideString& path,
                     OutputFailure& failure);
// Copies `temporary` to `destination` (overwriting), or with uniqueName to the first free
// "name+N.ext" beside it; `destination` then names the file written. 30004 on failure. A new file
// is announced to the shell. The unique name is claimed (claimUniquePath) before the copy, so jobs
// running at once, in threads or processes, never share one; the copy goes to a file beside the
// destination that then replaces it in one step, so the destination never holds a part of the
// file, and an old file there stays whole when the copy fails. A failure leaves neither the claim
// nor the copy behind.
bool PlaceOutput(WideString& destination, const WideString& temporary, bool uniqueName, OutputFailure& failure);
