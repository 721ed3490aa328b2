#include "util/WideString.h"

#include <cstring>

#include "platform/platform.h"

namespace {
constexpr char16_t kSep = platform::kPathSeparator;

std::int64_t lastIndexOf(const char16_t* s, std::uint32_t n, char16_t c) {
    for (std::int64_t i = static_cast<std::int64_t>(n) - 1; i >= 0; --i)
        if (s[i] == c) return i;
    return -1;
}
}  // namespace

std::size_t stringLength(const char16_t* text) {
    std::size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n;
}

WideString::WideString(WideString&& other) noexcept
    : data_(other.data_), capacity_(other.capacity_), length_(other.length_) {
    other.data_ = nullptr;
    other.capacity_ = other.length_ = 0;
}

WideString& WideString::operator=(const WideString& other) {
    if (this != &other) assign(other);
    return *this;
}

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        clear();
        data_ = other.data_;
        capacity_ = other.capacity_;
        length_ = other.length_;
        other.data_ = nullptr;
        other.capacity_ = other.length_ = 0;
    }
    return *this;
}

WideString::~WideString() { clear(); }

void WideString::clear() {
    if (data_) platform::processFree(data_);
    data_ = nullptr;
    capacity_ = length_ = 0;
}

char16_t* WideString::reserve(std::uint32_t n) {
    const std::uint64_t needed = 2ull * n + 2;
    if (data_ && capacity_ >= needed) return data_;
    const std::uint64_t size = (2ull * n + 128) & ~std::uint64_t{127};
    if (size > 0xFFFFFFFFull) {
        clear();
        return nullptr;
    }
    void* block = data_ ? platform::processReAlloc(data_, capacity_, size) : platform::processAlloc(size);
    if (!block) {
        clear();
        return nullptr;
    }
    data_ = static_cast<char16_t*>(block);
    capacity_ = static_cast<std::uint32_t>(size);
    return data_;
}

void WideString::assign(const char16_t* text) {
    if (!text) {
        clear();
        return;
    }
    assign(text, static_cast<std::uint32_t>(stringLength(text)));
}

void WideString::assign(const char16_t* text, std::uint32_t n) {
    if (!text) {
        clear();
        return;
    }
    // The text may live inside this string's own buffer.
    if (data_ && text >= data_ && text < data_ + capacity_ / 2) {
        std::memmove(data_, text, n * sizeof(char16_t));
        data_[n] = 0;
        length_ = n;
        return;
    }
    if (!reserve(n)) return;
    std::memcpy(data_, text, n * sizeof(char16_t));
    data_[n] = 0;
    length_ = n;
}

void WideString::assign(const WideString& other) {
    if (this == &other) return;
    if (other.length_ == 0) {
        if (data_) data_[0] = 0;
        length_ = 0;
        return;
    }
    assign(other.data_, other.length_);
}

void WideString::append(const char16_t* text, std::uint32_t n) {
    if (!text || n == 0) return;
    const std::uint64_t total = std::uint64_t{length_} + n;
    if (total > 0x7FFFFFFEull) return;
    // Keep the source valid when it lies inside our buffer and the buffer moves.
    if (data_ && text >= data_ && text < data_ + capacity_ / 2) {
        WideString copy;
        copy.assign(text, n);
        append(copy.c_str(), copy.length());
        return;
    }
    if (!reserve(static_cast<std::uint32_t>(total))) return;
    std::memcpy(data_ + length_, text, n * sizeof(char16_t));
    length_ = static_cast<std::uint32_t>(total);
    data_[length_] = 0;
}

void WideString::append(const char16_t* text) { append(text, static_cast<std::uint32_t>(stringLength(text))); }

void WideString::append(const WideString& other) {
    if (other.length_ == 0) return;
    append(other.data_, other.length_);
}

void WideString::appendInt(std::int32_t value) {
    char16_t digits[12];
    int pos = 12;
    std::int64_t v = value;
    const bool negative = v < 0;
    if (negative) v = -v;
    do {
        digits[--pos] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) digits[--pos] = u'-';
    append(digits + pos, static_cast<std::uint32_t>(12 - pos));
}

void WideString::appendPath(const char16_t* text, std::uint32_t n) {
    if (n == 0) return;
    if (length_ > 0 && data_[length_ - 1] != kSep) append(&kSep, 1);
    append(text, n);
}

void WideString::appendPath(const char16_t* text) { appendPath(text, static_cast<std::uint32_t>(stringLength(text))); }

void WideString::setPath(const WideString& folder, const char16_t* name) {
    WideString result;
    result.assign(folder);
    if (result.length_ == 0 || result.data_[result.length_ - 1] != kSep) result.append(&kSep, 1);
    result.append(name);
    *this = std::move(result);
}

void WideString::setFolder(const WideString& folder) {
    if (folder.length_ == 0) return;
    assign(folder);
    if (length_ > 0 && data_[length_ - 1] != kSep) append(&kSep, 1);
}

void WideString::appendListItem(const char16_t* text, std::uint32_t n, std::uint32_t skip) {
    // The list's items are 0-separated and the list ends in two 0s; `length` stands at the end of
    // the last item, on its terminator.
    const std::uint64_t end = std::uint64_t{length_} + skip;
    const std::uint64_t total = end + n;
    if (total + 1 > 0x7FFFFFFEull) return;
    if (!reserve(static_cast<std::uint32_t>(total + 1))) return;
    std::memcpy(data_ + end, text, n * sizeof(char16_t));
    data_[total] = 0;
    data_[total + 1] = 0;
    length_ = static_cast<std::uint32_t>(total);
}

void WideString::cut(int mode) {
    if (!data_ || length_ == 0) return;
    switch (mode) {
    case 1: {
        std::int64_t first = -1;
        for (std::uint32_t i = 0; i < length_; ++i)
            if (data_[i] == kSep) {
                first = i;
                break;
            }
        if (first < 0) return;
        const std::uint32_t rest = length_ - static_cast<std::uint32_t>(first) - 1;
        std::memmove(data_, data_ + first + 1, rest * sizeof(char16_t));
        length_ = rest;
        break;
    }
    case 2: {
        const std::int64_t last = lastIndexOf(data_, length_, kSep);
        if (last < 0) return;
        const std::uint32_t rest = length_ - static_cast<std::uint32_t>(last) - 1;
        std::memmove(data_, data_ + last + 1, rest * sizeof(char16_t));
        length_ = rest;
        break;
    }
    case 3: {
        const std::int64_t last = lastIndexOf(data_, length_, kSep);
        if (last < 0) return;
        length_ = static_cast<std::uint32_t>(last);
        break;
    }
    case 5: {
        const std::int64_t last = lastIndexOf(data_, length_, kSep);
        const std::int64_t dot = lastIndexOf(data_, length_, u'.');
        if (dot < 0 || dot < last) return;
        length_ = static_cast<std::uint32_t>(dot);
        break;
    }
    case 7: {
        const std::int64_t last = lastIndexOf(data_, length_, kSep);
        if (last < 0) return;
        const std::int64_t before = lastIndexOf(data_, static_cast<std::uint32_t>(last), kSep);
        if (before < 0) return;
        length_ = static_cast<std::uint32_t>(before);
        break;
    }
    default:
        return;
    }
    data_[length_] = 0;
}

void WideString::replaceExtension(const char16_t* text) {
    cut(5);
    append(text);
}

void WideString::replaceFileNameWithPattern() {
    const std::int64_t last = data_ ? lastIndexOf(data_, length_, kSep) : -1;
    length_ = static_cast<std::uint32_t>(last + 1);
    if (data_) data_[length_] = 0;
    append(u"*.dll");
}

void WideString::recount() { length_ = data_ ? static_cast<std::uint32_t>(stringLength(data_)) : 0; }

bool WideString::equalsIgnoringAsciiCase(const WideString& a, const WideString& b) {
    if (a.length_ != b.length_) return false;
    const char16_t* x = a.c_str();
    const char16_t* y = b.c_str();
    for (std::uint32_t i = 0; i < a.length_; ++i) {
        char16_t p = x[i], q = y[i];
        if (p >= u'A' && p <= u'Z') p = static_cast<char16_t>(p + 32);
        if (q >= u'A' && q <= u'Z') q = static_cast<char16_t>(q + 32);
        if (p != q) return false;
    }
    return true;
}

WideString WideString::fromUtf8(std::string_view text) {
    const std::u16string wide = utf8ToUtf16(text);
    WideString s;
    s.assign(wide.c_str(), static_cast<std::uint32_t>(wide.size()));
    return s;
}

std::string WideString::toUtf8() const { return utf16ToUtf8(view()); }
