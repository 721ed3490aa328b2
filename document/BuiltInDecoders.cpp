#include "document/BuiltInDecoders.h"

#include "codecs/Bmp.h"
#include "codecs/Gif.h"
#include "codecs/Tiff.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/png/PngDecoder.h"

namespace {

using FramedLoad = ImageData* (*)(ImageSource& source, const WideString& path);

ImageData* run(FramedLoad load, const WideString& path, DecodeOutcome& outcome) {
    ImageSource source;
    ImageData* image = load(source, path);
    outcome.status = image ? CodecStatus::Ok : source.status;
    outcome.hasExif = false;
    discard(source);
    return image;
}

ImageData* bmp(const WideString& path, DecodeOutcome& outcome) { return run(loadBmp, path, outcome); }
ImageData* tiff(const WideString& path, DecodeOutcome& outcome) { return run(loadTiff, path, outcome); }
ImageData* gif(const WideString& path, DecodeOutcome& outcome) { return run(loadGif, path, outcome); }
ImageData* png(const WideString& path, DecodeOutcome& outcome) { return run(loadPng, path, outcome); }

// The JPEG reader also tells whether the file carried EXIF, which a JPEG save carries over.
ImageData* jpeg(const WideString& path, DecodeOutcome& outcome) {
    JpegCodec codec;
    ImageData* image = loadJpeg(codec, path);
    outcome.status = image ? CodecStatus::Ok : codec.status;
    outcome.hasExif = image && codec.hasExif;
    discard(codec);
    return image;
}

// Indexed by ImageFormat. A format without an entry goes to the plug-ins like an unrecognised file.
constexpr BuiltInDecoder kDecoders[] = {
    nullptr,  // 0 not recognised
    bmp,      // 1 BMP
    png,      // 2 PNG
    jpeg,     // 3 JPEG
    tiff,     // 4 TIFF
    gif,      // 5 GIF
};

}  // namespace

BuiltInDecoder builtInDecoder(ImageFormat format) {
    const auto index = static_cast<std::size_t>(format);
    if (format < ImageFormat::NotRecognised || index >= sizeof kDecoders / sizeof kDecoders[0]) return nullptr;
    return kDecoders[index];
}
