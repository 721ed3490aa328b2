// The PNG decoder: signature and chunk CRCs checked, the chunks it knows read, the image data
// inflated by zlib one row at a time (also across the seven Adam7 passes), each row reconstructed
// and converted by the routine for its format and filter type, and transparency composited onto a
// background. The result is 8-bit (grey ramp or PLTE palette) or 24-bit, never with alpha.
#pragma once

#include <cstdint>

#include "codecs/ImageSource.h"

struct PngDecoder;

// Reconstructs decoder.currentRow in place and writes its pixels from `output` on.
using PngRowRoutine = void (*)(PngDecoder& decoder, std::uint8_t* output);
// Where one row's pixels and alpha values go.
struct PngRowOutput {
    std::uint8_t* output;
    std::uint8_t* alpha;
};
// Two consecutive Paeth rows (`rows`: both, filter bytes included, back to back) with the row
// above the first, in one pass: the same result as the row routine run twice, faster.
using PngRowPairRoutine = void (*)(PngDecoder& decoder, std::uint8_t* rows, const std::uint8_t* above,
                                   const PngRowOutput& first, const PngRowOutput& second);
// Writes the pixels packed in one byte at `output`, advancing it by pixelStep per pixel.
using PngUnpack = void (*)(PngDecoder& decoder, std::uint8_t*& output, std::uint8_t byte);

// The format state of one PNG load, kept beside the ImageSource it reads.
struct PngDecoder {
    explicit PngDecoder(ImageSource& s) : source(s) {}

    ImageSource& source;
    std::int32_t bitDepth = 0;
    std::int32_t colourType = 0;
    std::uint8_t isGrey = 0;
    std::uint8_t interlaced = 0;
    std::uint32_t paletteCount = 0;
    std::int32_t filterUnit = 1;  // bytes per complete pixel, the distance of the left byte
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    bool seenPLTE = false;
    bool seenIDAT = false;
    bool seenIEND = false;
    bool seenBKGD = false;
    bool seenTRNS = false;
    std::uint32_t idatSize = 0;
    std::uint8_t background[3] = {};   // red, green, blue
    std::uint8_t transparent[3] = {};  // red, green, blue; a grey level sits in the green byte
    std::uint8_t* paletteAlpha = nullptr;
    std::uint32_t xPelsPerMeter = 0;
    std::uint32_t yPelsPerMeter = 0;
    std::uint32_t outputStride = 0;
    std::int32_t bytesPerSample = 0;  // 0 for depths below 8
    const std::uint8_t* idatData = nullptr;
    std::uint8_t* alphaCursor = nullptr;
    const std::uint8_t* previousRow = nullptr;  // the reconstructed row above, without filter byte
    std::uint8_t* currentRow = nullptr;         // filter byte, then rowBytes - 1 data bytes
    std::int32_t pixelStep = 1;
    std::int32_t outputStep = 3;
    std::int32_t rowBytes = 0;
    std::int32_t lastBytePixels = 0;
    std::int32_t outputBits = 8;
    bool hasAlpha = false;
    bool compositeAlpha = true;
    std::uint8_t defaultBackground[3] = {255, 255, 255};
    PngRowRoutine rowRoutine[5] = {};
    PngUnpack unpackByte = nullptr;
    PngUnpack unpackLastByte = nullptr;
    PngRowPairRoutine paethPair = nullptr;  // for the formats that have one

    // Working memory of one decode, released before it returns.
    std::uint8_t* alphaPlane = nullptr;  // width x height alpha bytes, bottom-up, for types 4 and 6
    std::uint8_t* rowBlock = nullptr;      // the saved row above, then the inflate block
    std::uint8_t* savedRow = nullptr;      // the last row of the previous block, without filter byte
    std::uint8_t* inflateBlock = nullptr;  // whole rows inflated by one call
    std::size_t blockBytes = 0;            // at least one full-width row
    std::uint8_t* gathered = nullptr;    // the data of several IDAT chunks back to back
};

// The decode step: fills source.result from source.input, or returns false with source.status set.
bool decodePng(ImageSource& source);
// The load frame of every file decoder around decodePng.
ImageData* loadPng(ImageSource& source, const WideString& path);

// Picks the five row routines and the bit unpackers for the decoder's bit depth and colour type and
// sets filterUnit, bytesPerSample and outputBits. False (PngColourType or PngBitDepth) for a combination
// that is not allowed.
bool selectRowRoutines(PngDecoder& decoder);
