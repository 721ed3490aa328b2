#include "codecs/ImageSink.h"

#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;

bool fail(ImageSink& sink) {
    sink.writeFailed = true;
    sink.status = CodecStatus::CannotCreate;
    return false;
}

void resetOutput(ImageSink& sink, SinkTarget target) {
    sink.target = target;
    sink.memory = nullptr;
    sink.fixed = nullptr;
    sink.fixedCapacity = 0;
    sink.full = false;
    sink.buffer.clear();
    sink.writeFailed = false;
    sink.written = 0;
}

bool intoFixed(ImageSink& sink, const std::uint8_t* bytes, std::size_t n) {
    if (n > sink.fixedCapacity - sink.written) {
        sink.full = true;
        return fail(sink);
    }
    std::memcpy(sink.fixed + sink.written, bytes, n);
    return true;
}
}  // namespace

ImageSink::~ImageSink() { discard(*this); }

bool createOutput(ImageSink& sink, const WideString& path) {
    if (platform::isValid(sink.file)) platform::closeFile(sink.file);
    resetOutput(sink, SinkTarget::File);
    sink.file = platform::openForReadWrite(path.c_str(), platform::Create::newAlways);
    if (!platform::isValid(sink.file)) return fail(sink);
    sink.buffer.reserve(kBufferSize);
    return true;
}

void writeToMemory(ImageSink& sink, std::vector<std::uint8_t>& out) {
    resetOutput(sink, SinkTarget::Memory);
    out.clear();
    sink.memory = &out;
}

void writeToBuffer(ImageSink& sink, std::uint8_t* buffer, std::size_t capacity) {
    resetOutput(sink, SinkTarget::Buffer);
    sink.fixed = buffer;
    sink.fixedCapacity = buffer ? capacity : 0;
}

bool flushOutput(ImageSink& sink) {
    if (sink.writeFailed) return false;
    // Memory targets hold what they were given; only a file has bytes waiting.
    if (sink.target != SinkTarget::File || sink.buffer.empty()) return true;
    if (!platform::writeFile(sink.file, sink.buffer.data(), sink.buffer.size())) return fail(sink);
    sink.buffer.clear();
    return true;
}

bool writeBytes(ImageSink& sink, const void* data, std::size_t n) {
    if (sink.writeFailed) return false;
    if (n == 0) return true;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    try {
        if (sink.target == SinkTarget::Memory) {
            if (!sink.memory) return fail(sink);
            sink.memory->insert(sink.memory->end(), bytes, bytes + n);
        } else if (sink.target == SinkTarget::Buffer) {
            if (!intoFixed(sink, bytes, n)) return false;
        } else {
            if (!platform::isValid(sink.file)) return fail(sink);
            if (sink.buffer.size() + n > kBufferSize && !flushOutput(sink)) return false;
            if (n >= kBufferSize) {
                if (!platform::writeFile(sink.file, bytes, n)) return fail(sink);
            } else {
                sink.buffer.insert(sink.buffer.end(), bytes, bytes + n);
            }
        }
    } catch (...) {
        sink.writeFailed = true;
        sink.status = CodecStatus::NoMemory;
        return false;
    }
    sink.written += n;
    return true;
}

bool writeU8(ImageSink& sink, std::uint8_t v) { return writeBytes(sink, &v, 1); }
bool writeU16le(ImageSink& sink, std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    return writeBytes(sink, b, 2);
}
bool writeU32le(ImageSink& sink, std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    return writeBytes(sink, b, 4);
}
bool writeU16be(ImageSink& sink, std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    return writeBytes(sink, b, 2);
}
bool writeU32be(ImageSink& sink, std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    return writeBytes(sink, b, 4);
}

bool finishOutput(ImageSink& sink) {
    bool ok = flushOutput(sink);
    if (sink.target == SinkTarget::File) {
        if (!platform::isValid(sink.file)) ok = false;
        else if (!platform::closeFile(sink.file)) ok = false;
        sink.file = platform::invalidFile();
    }
    if (!ok) {
        if (!sink.writeFailed) fail(sink);
        return false;
    }
    sink.status = CodecStatus::Ok;
    return true;
}

void discard(ImageSink& sink) {
    if (platform::isValid(sink.file)) platform::closeFile(sink.file);
    sink.file = platform::invalidFile();
    // Detached from any memory the caller owns; later writes fail.
    sink.target = SinkTarget::File;
    sink.memory = nullptr;
    sink.fixed = nullptr;
    sink.fixedCapacity = 0;
    sink.buffer.clear();
    if (!sink.tempPath.empty() && platform::pathExists(sink.tempPath.c_str()))
        platform::deleteFile(sink.tempPath.c_str());
    sink.tempPath.clear();
}
