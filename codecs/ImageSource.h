// The decoder base: the input file mapped whole and read-only, the one bounds-checked reader over it,
// the record being filled and the status. A source lives on the caller's stack for one load and is
// discarded after it, whether the load succeeded or not.
#pragma once

#include <cstdint>

#include "codecs/ByteReader.h"
#include "codecs/CodecStatus.h"
#include "codecs/ImageData.h"
#include "platform/platform.h"
#include "util/WideString.h"

struct ImageSource {
    platform::FileHandle file = platform::invalidFile();
    WideString tempPath;
    platform::Mapping mapping;
    const std::uint8_t* view = nullptr;
    ByteReader input;  // over the whole view; decoders read through it and leave its cursor where they stop
    ImageData* result = nullptr;
    CodecStatus status = CodecStatus::Failure;

    ImageSource() = default;
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;
    ~ImageSource();
};

// Maps the whole file read-only. Returns its size, or 0 (status BadFile) when it cannot be opened,
// is empty, is 4 GiB or larger, or cannot be mapped; nothing stays open after a failure.
std::uint32_t openMapped(ImageSource& source, const WideString& path);
// The same with a private copy-on-write view that the caller may alter without the file changing.
std::uint32_t openMappedCopy(ImageSource& source, const WideString& path);
// Unmaps the view and closes the mapping and the file.
void closeMapped(ImageSource& source);

// One format's decode step: fills source.result from source.input (its cursor at the first byte) and
// returns true, or returns false with status set. It never frees the record.
using DecodeStep = bool (*)(ImageSource& source);

// The load frame shared by every file decoder: status Failure, a zeroed record, the mapping, the
// file's last-write time, the decode step, unmapping; the record and status Ok on success, else null
// with the decoder's status.
ImageData* loadFramed(ImageSource& source, const WideString& path, DecodeStep decode);
// The same frame over bytes already in memory (no file; used by paste, tests and fuzzing).
ImageData* loadFramedMemory(ImageSource& source, const std::uint8_t* data, std::size_t size, DecodeStep decode);

// Closes the file if open and deletes the temporary file the source owns.
void discard(ImageSource& source);
