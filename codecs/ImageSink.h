// The encoder base: the output, the status, the colour reducer with the image geometry and the
// resolution. Every encoder writes through one buffered writer, to a file, to growing memory or into
// a caller's buffer of fixed size; a failed or short write makes the status CannotCreate and stays
// failed, so no encoder can report a broken file as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/CodecStatus.h"
#include "codecs/ColorReducer.h"
#include "platform/platform.h"
#include "util/WideString.h"

enum class SinkTarget : std::uint8_t { File, Memory, Buffer };

struct ImageSink {
    platform::FileHandle file = platform::invalidFile();
    WideString tempPath;
    CodecStatus status = CodecStatus::Failure;
    ColorReducer reducer;
    std::int32_t xResolution = 0;  // pixels per metre
    std::int32_t yResolution = 0;

    // Output state: bytes waiting for the file, the whole output when writing to memory, or the
    // caller's buffer of fixed size, never written past.
    SinkTarget target = SinkTarget::File;
    std::vector<std::uint8_t> buffer;
    std::vector<std::uint8_t>* memory = nullptr;
    std::uint8_t* fixed = nullptr;
    std::size_t fixedCapacity = 0;
    bool full = false;  // a write did not fit the fixed buffer
    bool writeFailed = false;
    std::uint64_t written = 0;

    ImageSink() = default;
    ImageSink(const ImageSink&) = delete;
    ImageSink& operator=(const ImageSink&) = delete;
    ~ImageSink();
};

// Creates (or truncates) the output file. False with status CannotCreate when it cannot be created.
bool createOutput(ImageSink& sink, const WideString& path);
// Sends the output to `out` instead of a file (it is cleared first).
void writeToMemory(ImageSink& sink, std::vector<std::uint8_t>& out);
// Sends the output into `buffer`, which takes `capacity` bytes: a write that does not fit fails
// whole and sets `full`. `written` then tells how much the output holds.
void writeToBuffer(ImageSink& sink, std::uint8_t* buffer, std::size_t capacity);
// Buffered write; false (status CannotCreate, sticky) once any write has failed.
bool writeBytes(ImageSink& sink, const void* data, std::size_t n);
bool writeU8(ImageSink& sink, std::uint8_t v);
bool writeU16le(ImageSink& sink, std::uint16_t v);
bool writeU32le(ImageSink& sink, std::uint32_t v);
bool writeU16be(ImageSink& sink, std::uint16_t v);
bool writeU32be(ImageSink& sink, std::uint32_t v);
// Passes the buffered bytes on to the file now; false (sticky) when any write has failed.
bool flushOutput(ImageSink& sink);
// Flushes and closes the output. True only when every byte reached it; then status is Ok.
bool finishOutput(ImageSink& sink);
// Closes the file if still open (an unfinished output is incomplete), lets go of any memory output
// and deletes the temporary file the sink owns. The status stays.
void discard(ImageSink& sink);
