// The adapter to libjpeg-turbo: error, source and destination managers and the two library runs.
// The destination hands the library's output to the codec's ImageSink, so file and memory output
// share one writer and its failures.
// The library reports errors by calling error_exit, which must not return; ours long-jumps back
// into the run that set the jump buffer. Nothing with a destructor lives in a frame that jump can
// cross: the runs and callbacks below hold only plain data, and each run has one exit path that
// destroys the library object and returns a status.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

// jpeglib.h first: the message codes in jerror.h depend on the interface version it defines.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "codecs/PixelCeiling.h"
#include "codecs/jpeg/JpegCodec.h"

namespace {

// ---- error manager ----

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so the library's pointer is ours
    std::jmp_buf jump;
    WideString* message;
};

// Stores the library's text of the current error; returns before the jump so no frame with a live
// string is crossed.
void storeLibraryMessage(j_common_ptr cinfo, WideString* message) {
    char text[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, text);
    char16_t wide[JMSG_LENGTH_MAX];
    std::uint32_t n = 0;
    // The library's texts are ASCII.
    while (n < JMSG_LENGTH_MAX - 1 && text[n]) {
        wide[n] = static_cast<unsigned char>(text[n]);
        ++n;
    }
    message->clear();
    message->assign(wide, n);
}

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    storeLibraryMessage(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void setUpErrors(ErrorManager& err, j_common_ptr cinfo, JpegCodec& codec) {
    // Warnings keep the standard output_message (standard error), so they never reach the user.
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.message = &codec.libraryMessage;
}

// ---- source manager: the whole mapped file in one piece ----

struct SourceManager {
    jpeg_source_mgr pub;
    JOCTET endOfImage[2];
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// Reached only once the whole file is consumed: a truncated file ends with an inserted EOI, every
// time it is asked, so the library finishes as if the file were complete (and fills missing rows).
boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    src->endOfImage[0] = 0xFF;
    src->endOfImage[1] = JPEG_EOI;
    src->pub.next_input_byte = src->endOfImage;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

// Skips within the data; a skip past the end leaves the source empty, so the next read gets the EOI.
void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    const std::size_t n = static_cast<std::size_t>(count);
    if (n >= src->bytes_in_buffer) {
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
    } else {
        src->next_input_byte += n;
        src->bytes_in_buffer -= n;
    }
}

// ---- destination manager: a thin adapter over the codec's sink ----

constexpr std::size_t kBlock = 1048576;

struct Destination {
    jpeg_destination_mgr pub;
    ImageSink* sink;
    JOCTET* block;
};

// The library hands its output over in blocks; a sink that refuses one stops the encode with the
// library's message for it: too small for a full buffer, a write error for anything else.
void deliver(j_compress_ptr cinfo, std::size_t n) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (n == 0 || writeBytes(*dest->sink, dest->block, n)) return;
    ERREXIT(cinfo, dest->sink->full ? JERR_BUFFER_SIZE : JERR_FILE_WRITE);
}

// Before the first byte: a block from the library's image pool, offered whole.
void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->block = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBlock));
    dest->pub.next_output_byte = dest->block;
    dest->pub.free_in_buffer = kBlock;
}

// The block is full: all of it goes to the sink, and it is offered again.
boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    deliver(cinfo, kBlock);
    dest->pub.next_output_byte = dest->block;
    dest->pub.free_in_buffer = kBlock;
    return TRUE;
}

// After the last byte: what is pending goes to the sink, which passes it on to its file at once, so
// that a failed write still ends the encode inside the library run, with its message.
void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    deliver(cinfo, kBlock - dest->pub.free_in_buffer);
    if (!flushOutput(*dest->sink)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// ---- decoding ----

struct DecodeRun {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    SourceManager src;
};

// The output geometry, known from the header alone: an image too large for the buffer is refused
// before start_decompress allocates the library's own buffers for it (a progressive frame of
// 65,500 x 65,500 would ask for gigabytes of coefficients).
struct Geometry {
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    int components = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t stride = 0;
    std::uint32_t bytes = 0;
};

// Huffman coding spends at least one bit on every 8 x 8 block of every component: the code of its DC
// difference, in the first scan that holds the component (sequential scans add at least one more for
// the end of its AC run). So the entropy-coded data behind the first scan header, at most the bytes
// left in the input, hold at most 8 blocks a byte; a frame of more blocks is far more than the file
// holds. Arithmetic coding has no such floor and is not bounded here.
bool plausibleForItsData(j_decompress_ptr cinfo) {
    if (cinfo->arith_code) return true;
    std::uint64_t blocks = 0;
    for (int ci = 0; ci < cinfo->num_components; ++ci)
        blocks += std::uint64_t{cinfo->comp_info[ci].width_in_blocks} * cinfo->comp_info[ci].height_in_blocks;
    return blocks <= (std::uint64_t{cinfo->src->bytes_in_buffer} + 1) * 8;
}

bool readGeometry(j_decompress_ptr cinfo, JpegCodec& codec, Geometry& g) {
    jpeg_calc_output_dimensions(cinfo);
    g.width = cinfo->output_width;
    g.height = cinfo->output_height;
    g.components = cinfo->output_components;
    if (g.width == 0 || g.height == 0 || (g.components != 1 && g.components != 3 && g.components != 4)) {
        codec.status = CodecStatus::BadHeader;
        return false;
    }
    if (!withinPixelCeiling(g.width, g.height)) {
        codec.status = CodecStatus::BadHeader;
        return false;
    }
    if (!plausibleForItsData(cinfo)) {
        codec.status = CodecStatus::Damaged;
        return false;
    }
    g.bitCount = g.components == 1 ? 8 : 24;
    g.stride = rowStride(g.width, g.bitCount);
    g.bytes = imageBytes(g.width, g.height, g.bitCount);
    if (g.bytes == 0 || g.width > 0x7FFFFFFF || g.height > 0x7FFFFFFF) {
        codec.status = CodecStatus::BadHeader;
        return false;
    }
    return true;
}

// The header and the pixel buffer, owned by the record at once so that the load frame frees it
// whatever happens next; a grey image gets the 256 grey levels as its palette.
bool prepareImage(JpegCodec& codec, const Geometry& g) {
    ImageData* image = codec.result;
    initHeader(image->header, static_cast<std::int32_t>(g.width), static_cast<std::int32_t>(g.height), g.bitCount, 0,
               0);
    image->pixels = allocPixels(g.bytes);
    if (!image->pixels) {
        codec.status = CodecStatus::NoMemory;
        return false;
    }
    if (g.components == 1) {
        for (int i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            image->palette[i] = RGBQUAD{level, level, level, 0};
        }
    }
    return true;
}

// Grey and blue-green-red rows land in the pixel buffer directly; padding stays zero. Picture row
// k goes to buffer row height - 1 - k: the buffer is bottom-up.
void readRows(j_decompress_ptr cinfo, const Geometry& g, std::uint8_t* pixels) {
    std::uint8_t* const lastRow = pixels + std::size_t{g.stride} * (g.height - 1);
    while (cinfo->output_scanline < g.height) {
        JSAMPROW row = lastRow - std::size_t{g.stride} * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
}

// Adobe-style CMYK as stored (255 = no ink): blue = y*k/255, green = m*k/255, red = c*k/255,
// through a product table instead of a division per sample.
void readCmykRows(j_decompress_ptr cinfo, const Geometry& g, std::uint8_t* pixels) {
    auto* product = static_cast<std::uint8_t*>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, 256 * 256));
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned b = 0; b < 256; ++b) product[a << 8 | b] = static_cast<std::uint8_t>(a * b / 255);
    JSAMPARRAY sample =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, g.width * 4, 1);
    std::uint8_t* const lastRow = pixels + std::size_t{g.stride} * (g.height - 1);
    while (cinfo->output_scanline < g.height) {
        std::uint8_t* out = lastRow - std::size_t{g.stride} * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, sample, 1);
        const JSAMPLE* in = sample[0];
        for (JDIMENSION x = 0; x < g.width; ++x, in += 4, out += 3) {
            const std::uint8_t* k = product + (std::size_t{in[3]});
            out[0] = k[std::size_t{in[2]} << 8];
            out[1] = k[std::size_t{in[1]} << 8];
            out[2] = k[std::size_t{in[0]} << 8];
        }
    }
}

// The JFIF density: dots per inch or per centimetre; any other unit leaves no resolution.
void readDensity(j_decompress_ptr cinfo, BITMAPINFOHEADER& header) {
    if (cinfo->density_unit == 1) {
        header.biXPelsPerMeter = static_cast<LONG>(cinfo->X_density / 0.0254 + 0.5);
        header.biYPelsPerMeter = static_cast<LONG>(cinfo->Y_density / 0.0254 + 0.5);
    } else if (cinfo->density_unit == 2) {
        header.biXPelsPerMeter = static_cast<LONG>(cinfo->X_density) * 100;
        header.biYPelsPerMeter = static_cast<LONG>(cinfo->Y_density) * 100;
    }
}

// Everything between creating and destroying the decompressor; may be left by the error jump.
bool decodeSteps(j_decompress_ptr cinfo, JpegCodec& codec) {
    jpeg_read_header(cinfo, TRUE);
    // Colour rows in the buffer's blue-green-red order; grey and CMYK keep their defaults.
    if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
    Geometry g;
    if (!readGeometry(cinfo, codec, g)) return false;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != g.width || cinfo->output_height != g.height ||
        cinfo->output_components != g.components) {
        codec.status = CodecStatus::BadHeader;
        return false;
    }
    if (!prepareImage(codec, g)) return false;
    if (g.components == 4) readCmykRows(cinfo, g, codec.result->pixels);
    else readRows(cinfo, g, codec.result->pixels);
    jpeg_finish_decompress(cinfo);
    readDensity(cinfo, codec.result->header);
    return true;
}

// ---- encoding ----

// Dots per inch for the JFIF field, which holds 16 bits: a value beyond keeps its low 16 bits.
UINT16 densityOf(std::int32_t pelsPerMeter) {
    return static_cast<UINT16>(static_cast<std::int64_t>(pelsPerMeter * 0.0254 + 0.5) & 0xFFFF);
}

struct EncodeRun {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    Destination dest;
};

bool encodeSteps(EncodeRun& run, JpegCodec& codec, const std::uint8_t* pixels) {
    j_compress_ptr cinfo = &run.cinfo;
    run.dest.pub.init_destination = initDestination;
    run.dest.pub.empty_output_buffer = emptyOutputBuffer;
    run.dest.pub.term_destination = termDestination;
    run.dest.sink = &codec.output;
    cinfo->dest = &run.dest.pub;

    cinfo->image_width = static_cast<JDIMENSION>(codec.width);
    cinfo->image_height = static_cast<JDIMENSION>(codec.height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    cinfo->optimize_coding = TRUE;
    cinfo->comp_info[0].h_samp_factor = codec.lumaH;
    cinfo->comp_info[0].v_samp_factor = codec.lumaV;
    jpeg_set_quality(cinfo, codec.quality, TRUE);
    if (codec.progressive) jpeg_simple_progression(cinfo);
    if (codec.xPelsPerMeter != 0 && codec.yPelsPerMeter != 0) {
        cinfo->density_unit = 1;
        cinfo->X_density = densityOf(codec.xPelsPerMeter);
        cinfo->Y_density = densityOf(codec.yPelsPerMeter);
    }
    const bool writeExif = codec.hasExif && codec.exifBlock && codec.exifSegmentLength >= 8;
    // The EXIF APP1 segment must follow SOI directly.
    if (writeExif) cinfo->write_JFIF_header = FALSE;
    jpeg_start_compress(cinfo, TRUE);
    if (writeExif) {
#if JPEG_LIB_VERSION >= 70
        const JDIMENSION jpegWidth = cinfo->jpeg_width, jpegHeight = cinfo->jpeg_height;
#else
        const JDIMENSION jpegWidth = cinfo->image_width, jpegHeight = cinfo->image_height;
#endif
        const auto length = static_cast<std::uint32_t>(codec.exifSegmentLength);
        patchExifDimensions(codec.exifBlock + 6, length - 8, jpegWidth & 0xFFFF, jpegHeight & 0xFFFF);
        jpeg_write_marker(cinfo, JPEG_APP0 + 1, codec.exifBlock, length - 2);
    }
    // The colour profile behind the EXIF, in APP2 segments of at most 65,519 profile bytes.
    if (codec.iccProfile && hasIccProfile(*codec.iccProfile))
        jpeg_write_icc_profile(cinfo, codec.iccProfile->bytes, codec.iccProfile->size);
    // The buffer's last row is the picture's top row.
    const auto height = static_cast<JDIMENSION>(codec.height);
    while (cinfo->next_scanline < height) {
        auto row = const_cast<JSAMPROW>(pixels + std::size_t{codec.stride} * (height - 1 - cinfo->next_scanline));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

bool decodeJpegPixels(JpegCodec& codec) {
    DecodeRun run;
    // Zeroed first, so destroying is safe even when creating fails.
    std::memset(&run, 0, sizeof run);
    setUpErrors(run.err, reinterpret_cast<j_common_ptr>(&run.cinfo), codec);
    volatile bool ok = false;
    if (setjmp(run.err.jump) == 0) {
        jpeg_create_decompress(&run.cinfo);
        run.src.pub.init_source = initSource;
        run.src.pub.fill_input_buffer = fillInputBuffer;
        run.src.pub.skip_input_data = skipInputData;
        run.src.pub.resync_to_restart = jpeg_resync_to_restart;
        run.src.pub.term_source = termSource;
        run.src.pub.next_input_byte = codec.input.begin;
        run.src.pub.bytes_in_buffer = codec.input.size();
        run.cinfo.src = &run.src.pub;
        ok = decodeSteps(&run.cinfo, codec);
    }
    jpeg_destroy(reinterpret_cast<j_common_ptr>(&run.cinfo));
    return ok;
}

bool encodeJpeg(JpegCodec& codec, const std::uint8_t* pixels) {
    EncodeRun run;
    std::memset(&run, 0, sizeof run);
    setUpErrors(run.err, reinterpret_cast<j_common_ptr>(&run.cinfo), codec);
    codec.memoryOverflow = false;
    volatile bool ok = false;
    if (setjmp(run.err.jump) == 0) {
        jpeg_create_compress(&run.cinfo);
        ok = encodeSteps(run, codec, pixels);
    }
    jpeg_destroy(reinterpret_cast<j_common_ptr>(&run.cinfo));
    // A full buffer is the quality search's business; any other failed write is the output's.
    codec.memoryOverflow = codec.output.full;
    if (codec.output.writeFailed && !codec.output.full) codec.status = codec.output.status;
    return ok;
}
