// The decoders the program carries itself, by format code. Each call runs on a private source that
// it creates and discards, so no file stays open or temporary file left behind.
#pragma once

#include "codecs/CodecStatus.h"
#include "codecs/ImageData.h"
#include "codecs/ImageFormat.h"
#include "util/WideString.h"

// What a decode reports beside its image.
struct DecodeOutcome {
    CodecStatus status = CodecStatus::Failure;
    bool hasExif = false;  // a JPEG that carried an EXIF block
};

using BuiltInDecoder = ImageData* (*)(const WideString& path, DecodeOutcome& outcome);

// The decoder for `format`, or null when the format has no built-in decoder.
BuiltInDecoder builtInDecoder(ImageFormat format);
