// Uncompressed TIFF: the decoder reads the first image in either byte order (bilevel, 4- and 8-bit
// grey or palette, RGB with 8 or 16 bits per sample, in strips); the encoder writes a 24-bit image
// as little-endian RGB in one strip.
#pragma once

#include <cstdint>

#include "codecs/IccProfile.h"
#include "codecs/ImageSink.h"
#include "codecs/ImageSource.h"

// The decode step over source.input.
bool decodeTiff(ImageSource& source);
// The load frame around decodeTiff.
ImageData* loadTiff(ImageSource& source, const WideString& path);

// Writes the whole file to the sink's already open output. The reducer holds width, height and the
// depths (24 and 24), the sink the resolution; pixels are the bottom-up 24-bit buffer. A colour
// profile, when given, goes into tag 34675 behind the pixels.
bool writeTiff(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels,
               const IccProfile* profile = nullptr);
// Creates the file at `path` and writes it; true only when every byte reached it.
bool saveTiff(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels,
              const IccProfile* profile = nullptr);
