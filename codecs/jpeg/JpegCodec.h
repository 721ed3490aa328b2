// JPEG reading and writing through libjpeg-turbo, and the carrying-over of a source file's EXIF
// block into a written JPEG. One `JpegCodec` lives on the caller's stack for one load or one save.
// The load is JpegDecoder.cpp, the save JpegEncoder.cpp, EXIF JpegExif.cpp and
// JpegExifThumbnail.cpp.
//
// The library's error jump never leaves JpegLibrary.cpp: decodeJpegPixels and encodeJpeg are the
// only functions that call into the library, and each returns a status instead of jumping.
#pragma once

#include <cstdint>

#include "codecs/IccProfile.h"
#include "codecs/ImageSink.h"
#include "codecs/ImageSource.h"
#include "util/WideString.h"

struct JpegCodec;

// Marker-scan hooks: called with the codec's `tiff` reader at IFD0 of an EXIF segment.
using ExifHook = std::uint32_t (*)(JpegCodec& codec, void* argument);
using ExifStopRule = bool (*)();
// The imaging layer's resampler with the filter thumbnails are made with: a 24-bit bottom-up buffer
// from allocPixels, or null.
using ResampleFn = std::uint8_t* (*)(const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                                     std::int32_t targetWidth, std::int32_t targetHeight,
                                     const BITMAPINFOHEADER* header);
// Told the quality of every encode that encodeToMemory makes (tests follow the quality search).
using QualityObserver = void (*)(void* context, std::int32_t quality);

struct JpegCodec : ImageSource {
    std::int32_t bigEndian = 0;  // byte order of the EXIF data being read: 0 "II", 1 "MM"
    bool progressive = false;
    // Decoding: the file holds an EXIF APP1 segment. Saving: a block was copied and will be written.
    bool hasExif = false;
    std::int32_t exifSegmentLength = 0;  // the APP1 length field: counts itself and the payload
    // The EXIF segment the marker scan found, inside `input`: its payload from "Exif" on, and the TIFF
    // data behind the six "Exif" bytes, whose offsets count from its byte-order mark. Both are read
    // in `bigEndian` order and end with the segment.
    ByteReader exifPayload;
    ByteReader tiff;
    WideString libraryMessage;  // the library's text of its last error
    ExifHook onExif = nullptr;
    ExifStopRule stopAfterExif = nullptr;
    std::int32_t width = 0;  // encoder geometry, never negative
    std::int32_t height = 0;
    std::uint32_t stride = 0;  // width x 3 padded to 4; 0 when it does not fit in 32 bits
    std::int32_t quality = 75;
    std::int32_t lumaH = 2;
    std::int32_t lumaV = 2;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint8_t* exifBlock = nullptr;  // APP1 payload from "Exif", exifSegmentLength - 2 bytes, app heap
    const IccProfile* iccProfile = nullptr;  // encoder: written as APP2 segments behind the EXIF; not owned

    // Where the encoder writes: a file, or a buffer of fixed size (quality search, thumbnail); and
    // whether the last encode stopped because that buffer was full.
    ImageSink output;
    bool memoryOverflow = false;
    QualityObserver qualityObserver = nullptr;
    void* observerContext = nullptr;

    JpegCodec() = default;
    ~JpegCodec();
};

// ---- decoding ----

// The decode step over the mapped source.input; `source` must be a JpegCodec. Grey files give
// 8-bit images with a grey palette, colour and CMYK files 24-bit blue-green-red. A file whose EXIF
// Orientation is 2 to 8 gives its picture upright (codecs/Orientation.h); any other value, or none,
// gives the pixels as stored.
bool decodeJpeg(ImageSource& source);
// The load frame with decodeJpeg. Afterwards `hasExif` tells whether the file carries EXIF, and a
// failed load leaves the library's text in `libraryMessage` (not shown to the user).
ImageData* loadJpeg(JpegCodec& codec, const WideString& path);
// The library part of decodeJpeg: header, geometry, pixel buffer, rows, resolution (JpegLibrary.cpp).
bool decodeJpegPixels(JpegCodec& codec);

// The colour profile of the JPEG in `in` (APP2 "ICC_PROFILE" segments before the first scan,
// reassembled in sequence order) into `profile`; no profile when there is none or it is malformed
// (JpegIcc.cpp).
void readJpegIccProfile(ByteReader in, IccProfile& profile);

// ---- encoding (input: 24-bit bottom-up rows of `stride` bytes, blue-green-red) ----

// Fills the encoder fields; quality above 100 (as unsigned) becomes 75; subsampling 1 is 2 x 1,
// 2 is 1 x 1, anything else 2 x 2. Clears the EXIF state and the library message.
void setEncoderParameters(JpegCodec& codec, std::int32_t width, std::int32_t height, std::int32_t xPelsPerMeter,
                          std::int32_t yPelsPerMeter, std::int32_t quality, std::int32_t subsampling, bool progressive);
// The encoder core (JpegLibrary.cpp): writes through `output`, opened by the caller, in blocks of
// 1 MiB. A buffer output that fills up ends the encode with `memoryOverflow` set; any other failed
// write gives the output's status (CannotCreate) and the library's message.
bool encodeJpeg(JpegCodec& codec, const std::uint8_t* pixels);
// Creates `path` and encodes into it; CannotCreate when it cannot be created, written or closed.
// Frees the EXIF block.
bool encodeToFile(JpegCodec& codec, const WideString& path, const std::uint8_t* pixels);
// Encodes into `buffer` (capacity in `size`); on success `size` is the byte count. A result above
// `limit` starts the quality search; a result that does not fit the buffer counts as above the
// limit, and fails when it is the last one. Frees the EXIF block.
bool encodeToMemory(JpegCodec& codec, std::uint8_t* buffer, std::uint32_t& size, std::uint64_t limit,
                    const std::uint8_t* pixels);
// The highest quality whose file stays within limitKB x 1024 bytes (quality 1 when none does),
// written to `path`; a failed or short write is CannotCreate.
bool saveJpegWithLimit(JpegCodec& codec, const WideString& path, std::int32_t limitKB, const std::uint8_t* pixels);

// What one save needs besides the path: the current image, the encoder settings and, for EXIF, the
// source file and the resampler for the thumbnail.
struct JpegSaveJob {
    const BITMAPINFOHEADER* header = nullptr;  // 24-bit, bottom-up
    const std::uint8_t* pixels = nullptr;
    std::int32_t quality = 75;      // jpegQuality
    std::int32_t subsampling = 0;   // jpegSubsampling
    bool progressive = false;       // jpegProgressive
    bool keepExif = false;          // keepExif
    bool limitSize = false;         // limitJpegSize
    std::int32_t sizeLimitKiB = 100;  // jpegSizeLimitKiB
    bool sourceHadExif = false;     // jpegHadExif of the document
    const WideString* sourcePath = nullptr;  // the document's path
    ResampleFn resample = nullptr;  // without it only images of at most 160 x 160 get a new thumbnail
    const IccProfile* iccProfile = nullptr;  // the document's colour profile, written whatever keepExif says
};
// Writes the image as JPEG, copying and refreshing EXIF when asked. On failure the codec keeps
// `status` and `libraryMessage` for jpegSaveFailure; the codec is discarded before returning.
bool saveJpeg(JpegCodec& codec, const WideString& path, const JpegSaveJob& job);

// How a failed save is shown: the message of `status` through the error box, or the library's own
// text under the caption kJpegLibraryErrorCaption, or nothing.
enum class JpegFailureDisplay { Nothing, StatusMessage, LibraryMessage };
JpegFailureDisplay jpegSaveFailure(const JpegCodec& codec);
inline constexpr char16_t kJpegLibraryErrorCaption[] = u"JPEG Library Error";

// ---- EXIF preservation ----

// Walks the markers of `input` from its cursor up to SOS or EOI, calling onExif at each EXIF APP1
// segment. Returns the last value onExif returned (0 when never called). A segment running past the
// end stops the scan with status BadFile.
std::uint32_t scanJpegMarkers(JpegCodec& codec, void* hookArgument);
// Hook: sets Orientation in IFD0 to 1 (in the codec's writable copy-on-write view).
std::uint32_t resetOrientation(JpegCodec& codec, void* argument);
// Hook: the thumbnail offset from IFD1 (0 when absent); the argument, a ThumbnailLengthField,
// receives where the thumbnail length is stored.
struct ThumbnailLengthField {
    bool found = false;
    std::uint32_t valueOffset = 0;  // in the TIFF data
    std::uint32_t length = 0;
};
std::uint32_t findThumbnail(JpegCodec& codec, void* argument);
// Hook: the Orientation tag of IFD0 into the argument, an ExifOrientation, at the first EXIF segment
// only. A value counts only as one SHORT in TIFF data with a proper header; any other form of the
// tag reads as absent (0), and so does a tag outside the segment.
struct ExifOrientation {
    bool seen = false;        // an EXIF segment was read
    std::uint32_t value = 0;  // the stored value, 0 when absent or malformed
};
std::uint32_t readOrientation(JpegCodec& codec, void* argument);

// Copies the EXIF APP1 payload of the JPEG at `sourcePath` into `exifBlock` with Orientation 1;
// silent when the file cannot be mapped or carries no EXIF.
void copyExifFromSource(JpegCodec& codec, const WideString& sourcePath);
// The same over bytes in memory that the copy may alter (fuzzing, tests).
void copyExifFromMemory(JpegCodec& codec, std::uint8_t* data, std::size_t size);
// Sets PixelXDimension and PixelYDimension of the Exif IFD to LONG values; `tiff` is the block
// behind its six "Exif" bytes, `tiffLength` its length.
void patchExifDimensions(std::uint8_t* tiff, std::uint32_t tiffLength, std::uint32_t width, std::uint32_t height);

// The place of the thumbnail in a copy of a written file's EXIF payload.
struct ExifThumbnailSlot {
    std::uint32_t thumbnailOffset = 0;    // from the block start ("Exif")
    std::uint32_t lengthValueOffset = 0;  // from the block start
    std::uint32_t room = 0;               // most thumbnail bytes the segment can take
};
// Over the codec's mapped output: copies the EXIF payload into `blockCopy` (65,533 bytes) and finds
// the thumbnail slot. False when there is no EXIF thumbnail to refresh.
bool locateExifThumbnail(JpegCodec& codec, std::uint8_t* blockCopy, ExifThumbnailSlot& slot);
// Replaces the EXIF thumbnail of the written output by one of the image (at most 160 x 160).
// Silent: on any failure the output stays as the encoder wrote it.
void refreshExifThumbnail(JpegCodec& codec, const WideString& outputPath, const BITMAPINFOHEADER& image,
                          const std::uint8_t* pixels, ResampleFn resample);
// The same refresh on the copied block before it is written (the size-limited save): the block's
// thumbnail is replaced by one of the image, so the file written is the file measured. Silent: on
// any failure the block stays as copied.
void refreshExifBlockThumbnail(JpegCodec& codec, const BITMAPINFOHEADER& image, const std::uint8_t* pixels,
                               ResampleFn resample);
// Finds the first APP1 segment of a JPEG in [data, data + size) if it is EXIF: its start (the
// length field) and its length field value.
bool findExifSegment(const std::uint8_t* data, std::size_t size, std::size_t& start, std::uint32_t& length);
// Writes the output again with its EXIF segment replaced by `block` up to the end of the new
// thumbnail, the new length stored at `lengthValuePosition`. The new file is written beside the
// output and swapped in; on any failure the output is left as it was.
bool rewriteExifSegment(const WideString& outputPath, std::uint8_t* block, const std::uint8_t* thumbnailPosition,
                        std::uint32_t newThumbnailLength, std::uint8_t* lengthValuePosition, std::int32_t bigEndian);
