// The growable UTF-16 string used for every text and path. A string without a buffer reads as
// empty. Buffers come zero-filled from the process heap and grow to (2n + 128) bytes rounded down
// to a multiple of 128, so repeated appends reallocate rarely.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

class WideString {
public:
    WideString() = default;
    explicit WideString(const char16_t* text) { assign(text); }
    WideString(const WideString& other) { assign(other); }
    WideString(WideString&& other) noexcept;
    WideString& operator=(const WideString& other);
    WideString& operator=(WideString&& other) noexcept;
    ~WideString();

    // Room for n characters plus terminator; null after an allocation failure (the string is then
    // emptied and its buffer released).
    char16_t* reserve(std::uint32_t n);

    void assign(const char16_t* text);
    void assign(const char16_t* text, std::uint32_t n);
    void assign(const WideString& other);
    void append(const char16_t* text, std::uint32_t n);
    void append(const char16_t* text);
    void append(const WideString& other);
    void appendInt(std::int32_t value);
    void appendPath(const char16_t* text, std::uint32_t n);
    void appendPath(const char16_t* text);
    void setPath(const WideString& folder, const char16_t* name);
    void setFolder(const WideString& folder);
    void appendListItem(const char16_t* text, std::uint32_t n, std::uint32_t skip);
    void cut(int mode);
    void replaceExtension(const char16_t* text);
    void replaceFileNameWithPattern();
    void recount();
    void clear();  // empties the string and releases its buffer

    static bool equalsIgnoringAsciiCase(const WideString& a, const WideString& b);

    // Reads: never null; an empty string without buffer gives "".
    const char16_t* c_str() const { return data_ ? data_ : u""; }
    char16_t* data() { return data_; }
    std::uint32_t length() const { return length_; }
    std::uint32_t capacity() const { return capacity_; }
    bool empty() const { return length_ == 0; }
    std::u16string_view view() const { return {c_str(), length_}; }

    // Conversions at the edges (command line, POSIX system calls, messages).
    static WideString fromUtf8(std::string_view text);
    std::string toUtf8() const;

private:
    char16_t* data_ = nullptr;
    std::uint32_t capacity_ = 0;  // bytes
    std::uint32_t length_ = 0;    // code units before the terminating 0
};

std::size_t stringLength(const char16_t* text);
