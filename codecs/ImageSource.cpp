#include "codecs/ImageSource.h"

namespace {

std::uint32_t openMappedWith(ImageSource& source, const WideString& path, bool copyOnWrite) {
    if (platform::isValid(source.file)) {
        platform::closeFile(source.file);
        source.file = platform::invalidFile();
    }
    source.file = copyOnWrite ? platform::openForReadWrite(path.c_str(), platform::Create::existingOnly)
                              : platform::openForReading(path.c_str());
    std::uint64_t size = 0;
    if (platform::isValid(source.file) && platform::fileSize(source.file, &size) && size != 0 && size < (1ull << 32) &&
        platform::mapFile(source.file, static_cast<std::size_t>(size), copyOnWrite, &source.mapping)) {
        source.view = static_cast<const std::uint8_t*>(source.mapping.view);
        source.input = ByteReader(source.view, source.view + size);
        return static_cast<std::uint32_t>(size);
    }
    if (platform::isValid(source.file)) platform::closeFile(source.file);
    source.file = platform::invalidFile();
    source.view = nullptr;
    source.input = ByteReader();
    source.status = CodecStatus::BadFile;
    return 0;
}

// The record to the caller on success, with status Ok; else freed, with the decoder's status kept
// (Failure when the step gave no cause of its own).
ImageData* finishLoad(ImageSource& source, bool ok) {
    ImageData* image = source.result;
    source.result = nullptr;
    if (ok) {
        source.status = CodecStatus::Ok;
        return image;
    }
    if (source.status == CodecStatus::Ok) source.status = CodecStatus::Failure;
    freeImageData(image);
    return nullptr;
}

}  // namespace

ImageSource::~ImageSource() {
    if (mapping.view) closeMapped(*this);
    discard(*this);
    freeImageData(result);
}

std::uint32_t openMapped(ImageSource& source, const WideString& path) { return openMappedWith(source, path, false); }

std::uint32_t openMappedCopy(ImageSource& source, const WideString& path) { return openMappedWith(source, path, true); }

void closeMapped(ImageSource& source) {
    platform::unmapFile(&source.mapping);
    if (platform::isValid(source.file)) platform::closeFile(source.file);
    source.file = platform::invalidFile();
    source.view = nullptr;
    source.input = ByteReader();
}

ImageData* loadFramed(ImageSource& source, const WideString& path, DecodeStep decode) {
    source.status = CodecStatus::Failure;
    source.result = allocImageData();
    if (!source.result) {
        source.status = CodecStatus::NoMemory;
        return nullptr;
    }
    source.result->sourceFileSize = openMapped(source, path);
    if (source.result->sourceFileSize == 0) {
        freeImageData(source.result);
        source.result = nullptr;
        return nullptr;
    }
    platform::fileLastWriteTime(source.file, &source.result->lastWriteTime);
    const bool ok = decode(source);
    closeMapped(source);
    return finishLoad(source, ok);
}

ImageData* loadFramedMemory(ImageSource& source, const std::uint8_t* data, std::size_t size, DecodeStep decode) {
    source.status = CodecStatus::Failure;
    if (!data || size == 0 || size >= (1ull << 32)) {
        source.status = CodecStatus::BadFile;
        return nullptr;
    }
    source.result = allocImageData();
    if (!source.result) {
        source.status = CodecStatus::NoMemory;
        return nullptr;
    }
    source.result->sourceFileSize = static_cast<std::uint32_t>(size);
    source.view = data;
    source.input = ByteReader(data, data + size);
    const bool ok = decode(source);
    source.view = nullptr;
    source.input = ByteReader();
    return finishLoad(source, ok);
}

void discard(ImageSource& source) {
    if (platform::isValid(source.file)) platform::closeFile(source.file);
    source.file = platform::invalidFile();
    if (!source.tempPath.empty() && platform::pathExists(source.tempPath.c_str()))
        platform::deleteFile(source.tempPath.c_str());
    source.tempPath.clear();
}
