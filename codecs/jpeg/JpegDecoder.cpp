// The JPEG load around the decoder run of JpegLibrary.cpp, and the EXIF presence check a later
// save relies on.
#include "codecs/jpeg/JpegCodec.h"

namespace {

std::uint32_t noExifAction(JpegCodec&, void*) { return 0; }
bool scanOn() { return false; }

}  // namespace

bool decodeJpeg(ImageSource& source) {
    auto& codec = static_cast<JpegCodec&>(source);
    codec.hasExif = false;
    if (!decodeJpegPixels(codec)) return false;
    ImageData* image = codec.result;
    image->sourceBitDepth = image->header.biBitCount;
    image->sourceFormat = ImageFormat::Jpeg;

    // EXIF presence before the first SOS; its outcome never fails the decode.
    const CodecStatus keep = codec.status;
    codec.input.seek(0);
    codec.onExif = noExifAction;
    codec.stopAfterExif = scanOn;
    scanJpegMarkers(codec, nullptr);
    codec.status = keep;
    readJpegIccProfile(codec.input, image->iccProfile);
    codec.exifPayload = codec.tiff = ByteReader();  // they read the mapping
    return true;
}

ImageData* loadJpeg(JpegCodec& codec, const WideString& path) {
    codec.hasExif = false;
    codec.exifSegmentLength = 0;
    codec.exifPayload = codec.tiff = ByteReader();
    codec.libraryMessage.clear();
    return loadFramed(codec, path, decodeJpeg);
}
