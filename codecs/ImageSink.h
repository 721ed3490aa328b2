// The encoder base: the output, the status, the colour reducer with the image geometry and the
// resolution. Every encoder writes through one buffered writer, to a file or to memory; a failed or
// short write makes the status CannotCreate and stays failed, so no encoder can report a broken file
// as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/CodecStatus.h"
#include "codecs/ColorReducer.h"
#include "platform/platform.h"
#include "util/WideString.h"

struct ImageSink {
    platform::FileHandle file = platform::invalidFile();
    WideString tempPath;
    CodecStatus status = CodecStatus::Failure;
    ColorReducer reducer;
    std::int32_t xResolution = 0;  // pixels per metre
    std::int32_t yResolution = 0;

    // Output state: bytes waiting for the file, or the whole output when writing to memory.
    std::vector<std::uint8_t> buffer;
    std::vector<std::uint8_t>* memory = nullptr;
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
// Buffered write; false (status CannotCreate, sticky) once any write has failed.
bool writeBytes(ImageSink& sink, const void* data, std::size_t n);
bool writeU8(ImageSink& sink, std::uint8_t v);
bool writeU16le(ImageSink& sink, std::uint16_t v);
bool writeU32le(ImageSink& sink, std::uint32_t v);
bool writeU16be(ImageSink& sink, std::uint16_t v);
bool writeU32be(ImageSink& sink, std::uint32_t v);
// Flushes and closes the output. True only when every byte reached it; then status is Ok.
bool finishOutput(ImageSink& sink);
// Closes the file if still open (an unfinished output is incomplete) and deletes the temporary
// file the sink owns.
void discard(ImageSink& sink);
