// The EXIF orientation on loading: every orientation gives the upright picture, and a tag in any
// other form leaves the pixels as stored.
#include <gtest/gtest.h>

#include "JpegTestSupport.h"
#include "codecs/Orientation.h"
#include "codecs/jpeg/JpegCodec.h"

using namespace jpegtest;

namespace {

ImageData* decodeBytes(const std::vector<std::uint8_t>& bytes) {
    JpegCodec codec;
    return loadFramedMemory(codec, bytes.data(), bytes.size(), decodeJpeg);
}

// The picture's pixel (x, y), counted from its top left, of a bottom-up 24-bit image.
const std::uint8_t* pixelAt(const ImageData& image, std::int32_t x, std::int32_t y) {
    const std::uint32_t stride = rowStride(image.header.biWidth, 24);
    return image.pixels + std::size_t{stride} * (image.header.biHeight - 1 - y) + 3 * std::size_t(x);
}

// Where the upright pixel (x, y) lies in a stored picture of width w and height h.
void storedAt(std::uint32_t o, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t& sx,
              std::int32_t& sy) {
    switch (o) {
    case 2: sx = w - 1 - x, sy = y; break;
    case 3: sx = w - 1 - x, sy = h - 1 - y; break;
    case 4: sx = x, sy = h - 1 - y; break;
    case 5: sx = y, sy = x; break;
    case 6: sx = y, sy = h - 1 - x; break;
    case 7: sx = w - 1 - y, sy = h - 1 - x; break;
    case 8: sx = w - 1 - y, sy = x; break;
    default: sx = x, sy = y; break;
    }
}

std::vector<std::uint8_t> tagged(const std::vector<std::uint8_t>& jpeg, std::uint32_t orientation, bool big) {
    ExifFixture fixture;
    fixture.bigEndian = big;
    fixture.orientation = orientation;
    return withSegment(jpeg, 0xE1, exifPayload(makeTiff(fixture)));
}

}  // namespace

// Each orientation in both byte orders: the loaded picture is the stored one (decoded without the
// tag, so the encoder's rounding is the same) turned as the tag says, pixel for pixel.
TEST(JpegOrientation, EveryOrientationLoadsUpright) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(37, 21), 95);  // odd, unequal sides
    ImageData* stored = decodeBytes(plain);
    ASSERT_NE(stored, nullptr);
    const std::int32_t w = stored->header.biWidth, h = stored->header.biHeight;
    for (const bool big : {false, true}) {
        for (std::uint32_t o = 1; o <= 8; ++o) {
            ImageData* image = decodeBytes(tagged(plain, o, big));
            ASSERT_NE(image, nullptr) << o;
            const bool swapped = o >= 5;
            ASSERT_EQ(image->header.biWidth, swapped ? h : w) << o;
            ASSERT_EQ(image->header.biHeight, swapped ? w : h) << o;
            bool same = true;
            for (std::int32_t y = 0; y < image->header.biHeight && same; ++y)
                for (std::int32_t x = 0; x < image->header.biWidth && same; ++x) {
                    std::int32_t sx = 0, sy = 0;
                    storedAt(o, x, y, w, h, sx, sy);
                    same = std::memcmp(pixelAt(*image, x, y), pixelAt(*stored, sx, sy), 3) == 0;
                }
            EXPECT_TRUE(same) << "orientation " << o << (big ? " MM" : " II");
            freeImageData(image);
        }
    }
    freeImageData(stored);
}

// Values outside 1 to 8 leave the pixels as stored.
TEST(JpegOrientation, OutOfRangeValuesLeaveThePixelsAsStored) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(37, 21), 95);
    ImageData* stored = decodeBytes(plain);
    ASSERT_NE(stored, nullptr);
    const std::size_t bytes = imageBytes(37, 21, 24);
    for (const std::uint32_t value : {0u, 9u, 65535u}) {
        ImageData* image = decodeBytes(tagged(plain, value, false));
        ASSERT_NE(image, nullptr) << value;
        EXPECT_EQ(image->header.biWidth, 37) << value;
        EXPECT_EQ(std::memcmp(image->pixels, stored->pixels, bytes), 0) << value;
        freeImageData(image);
    }
    freeImageData(stored);
}

// An Orientation 6 of the wrong type or count, or behind a damaged TIFF header, reads as absent.
TEST(JpegOrientation, MalformedTagsLeaveThePixelsAsStored) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(37, 21), 95);
    struct Case {
        const char* name;
        std::size_t at;  // in the TIFF data (little-endian); IFD0's first entry is Orientation at 10
        std::uint8_t value;
    };
    const Case cases[] = {
        {"type LONG", 12, 4},
        {"count 2", 14, 2},
        {"not 42", 2, 43},
        {"byte-order mark", 0, 'X'},
        {"IFD0 outside the segment", 7, 0x70},
    };
    for (const Case& c : cases) {
        ExifFixture fixture;
        std::vector<std::uint8_t> tiff = makeTiff(fixture);
        tiff[c.at] = c.value;
        ImageData* image = decodeBytes(withSegment(plain, 0xE1, exifPayload(tiff)));
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->header.biWidth, 37) << c.name;
        freeImageData(image);
    }
}

// The copied block's Orientation entry becomes one SHORT 1 whatever form it had, so no reader turns
// the written (upright) pixels again.
TEST(JpegOrientation, CopiedBlockSaysOneShortOne) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(8, 8), 90);
    for (const bool big : {false, true}) {
        for (const std::uint32_t type : {3u, 4u}) {
            ExifFixture fixture;
            fixture.bigEndian = big;
            std::vector<std::uint8_t> tiff = makeTiff(fixture);
            tiff[big ? 13 : 12] = static_cast<std::uint8_t>(type);  // IFD0's Orientation entry: its type
            std::vector<std::uint8_t> source = withSegment(plain, 0xE1, exifPayload(tiff));
            JpegCodec codec;
            copyExifFromMemory(codec, source.data(), source.size());
            ASSERT_NE(codec.exifBlock, nullptr);
            const TiffReader reader{codec.exifBlock + 6, static_cast<std::size_t>(codec.exifSegmentLength - 8)};
            const std::size_t entry = reader.entry(reader.ifd0(), 0x0112);
            ASSERT_NE(entry, 0u);
            EXPECT_EQ(reader.u16(entry + 2), 3u) << big << type;
            EXPECT_EQ(reader.u32(entry + 4), 1u) << big << type;
            EXPECT_EQ(reader.u16(entry + 8), 1u) << big << type;
        }
    }
}
