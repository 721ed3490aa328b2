// Clipboard exchange in the CF_DIB format: a packed device-independent bitmap (BITMAPINFOHEADER,
// masks or colour table, pixel rows) in one memory block. These functions work on the block's bytes;
// opening the clipboard and locking its memory is the window's part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/ImageSink.h"
#include "codecs/ImageSource.h"

// Paste. The decode step over source.input, the whole block: bottom-up bitmaps of 1, 4, 8 and 24
// bits (BI_RGB) and 16 and 32 bits (BI_RGB or BI_BITFIELDS) become an 8-bit or 24-bit record with
// sourceFormat Bmp, no resolution and sourceFileSize 54 + colour table bytes + pixel bytes.
// The parts are where GDI finds them in a packed bitmap: the masks behind a 40-byte header (inside
// a larger one), then biClrUsed colour entries (2^depth for 1, 4 and 8 bits when it is 0), then the
// rows. Everything is read within the block: a block too short for its table or rows is refused
// (BadFile), as are top-down or empty bitmaps, headers shorter than 40 bytes and other depths or
// compressions (BadHeader).
bool decodeClipboardDib(ImageSource& source);
// The paste frame: status Failure, the record (NoMemory when it cannot be allocated), the decode step.
// The record, or null with the status set.
ImageData* pasteFromClipboard(ImageSource& source, const std::uint8_t* block, std::size_t blockSize);

// Copy. Writes the CF_DIB block of the image the sink's reducer describes (width, height and source
// depth 24, or 8 with its 1024-byte palette) with the sink's resolution: a 40-byte header (BI_RGB,
// biSizeImage 0, biClrUsed 0), the palette, and the rows as they stand. False (CannotConvert for
// another depth, NoMemory for a size beyond 32 bits, CannotCreate for a failed write) when it
// could not be written.
bool writeClipboardDib(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels);
// The same into `block`, which the window copies into the clipboard's memory.
bool copyToClipboard(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels,
                     std::vector<std::uint8_t>& block);
