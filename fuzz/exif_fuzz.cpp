// The EXIF paths over arbitrary bytes: the copy from a source file, the dimension patch of a block,
// and the thumbnail and segment search in a written file. Every result must stay inside its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "codecs/jpeg/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Exact-size copies, so any access past the end shows under ASan.
    auto source = std::make_unique<std::uint8_t[]>(size);
    std::memcpy(source.get(), data, size);
    JpegCodec codec;
    copyExifFromMemory(codec, source.get(), size);
    if (codec.exifBlock) {
        if (codec.exifSegmentLength < 8 || static_cast<std::size_t>(codec.exifSegmentLength) > size) std::abort();
        patchExifDimensions(codec.exifBlock + 6, static_cast<std::uint32_t>(codec.exifSegmentLength - 8), 640, 480);
    }

    auto block = std::make_unique<std::uint8_t[]>(size);
    std::memcpy(block.get(), data, size);
    patchExifDimensions(block.get(), static_cast<std::uint32_t>(size), 0xFFFF, 1);

    auto copy = std::make_unique<std::uint8_t[]>(65533);
    JpegCodec written;
    written.input = ByteReader(data, data + size);
    ExifThumbnailSlot slot;
    if (locateExifThumbnail(written, copy.get(), slot)) {
        if (slot.thumbnailOffset + slot.room > 65533 || slot.lengthValueOffset + 4 > slot.thumbnailOffset) std::abort();
    }
    written.input = ByteReader();

    std::size_t start = 0;
    std::uint32_t length = 0;
    if (findExifSegment(data, size, start, length) && start + length > size) std::abort();
    return 0;
}
