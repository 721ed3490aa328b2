// The JPEG load around the decoder run of JpegLibrary.cpp: the EXIF presence check a later save
// relies on, and the EXIF orientation, applied to the decoded pixels.
#include "codecs/Orientation.h"
#include "codecs/jpeg/JpegCodec.h"

namespace {

bool scanOn() { return false; }

}  // namespace

bool decodeJpeg(ImageSource& source) {
    auto& codec = static_cast<JpegCodec&>(source);
    codec.hasExif = false;
    if (!decodeJpegPixels(codec)) return false;
    ImageData* image = codec.result;
    image->sourceBitDepth = image->header.biBitCount;
    image->sourceFormat = ImageFormat::Jpeg;

    // EXIF presence before the first SOS, and the orientation of the first EXIF segment; the scan's
    // outcome never fails the decode.
    const CodecStatus keep = codec.status;
    codec.input.seek(0);
    codec.onExif = readOrientation;
    codec.stopAfterExif = scanOn;
    ExifOrientation orientation;
    scanJpegMarkers(codec, &orientation);
    codec.status = keep;
    readJpegIccProfile(codec.input, image->iccProfile);
    codec.exifPayload = codec.tiff = ByteReader();  // they read the mapping

    // Upright before anyone sees the picture; a turn that cannot get its buffer fails the load
    // rather than handing out the picture on its side.
    const CodecStatus turned = orientImage(*image, orientationFromValue(orientation.value));
    if (turned != CodecStatus::Ok) {
        codec.status = turned;
        return false;
    }
    return true;
}

ImageData* loadJpeg(JpegCodec& codec, const WideString& path) {
    codec.hasExif = false;
    codec.exifSegmentLength = 0;
    codec.exifPayload = codec.tiff = ByteReader();
    codec.libraryMessage.clear();
    return loadFramed(codec, path, decodeJpeg);
}
