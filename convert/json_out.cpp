#include "json_out.h"
#include "json_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace edlbtool {

JsonOut::JsonOut(WriteBytes sink, unsigned depth, bool inList)
    : sink_(std::move(sink)), buffer_(new char[kBufferSize]), base_(depth), inList_(inList) {}

void JsonOut::newline(size_t depth) {
    static const char kSpaces[] = "                                                                ";
    size_t spaces = depth * 4;
    // Most lines fit in what is left of the buffer: written in one piece.
    if (used_ + 1 + spaces <= kBufferSize) {
        char* at = buffer_.get() + used_;
        *at = '\n';
        std::memset(at + 1, ' ', spaces);
        used_ += 1 + spaces;
        return;
    }
    put('\n');
    while (spaces > 0) {
        const size_t n = spaces < sizeof kSpaces - 1 ? spaces : sizeof kSpaces - 1;
        put(kSpaces, n);
        spaces -= n;
    }
}

void JsonOut::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        if (inList_) newline(base_);
        return;
    }
    Level& level = levels_.back();
    if (!level.empty) put(',');
    level.empty = false;
    newline(base_ + levels_.size());
}

JsonOut& JsonOut::key(const char* name) {
    Level& level = levels_.back();
    if (!level.empty) put(',');
    level.empty = false;
    newline(base_ + levels_.size());
    const size_t length = std::strlen(name);
    if (used_ + length + 4 <= kBufferSize) {
        char* at = buffer_.get() + used_;
        *at = '"';
        std::memcpy(at + 1, name, length);
        std::memcpy(at + 1 + length, "\": ", 3);
        used_ += length + 4;
    } else {
        put('"');
        put(name, length);
        put("\": ", 3);
    }
    afterKey_ = true;
    return *this;
}

JsonOut& JsonOut::beginObject() {
    beforeValue();
    put('{');
    levels_.push_back({false, true});
    return *this;
}

JsonOut& JsonOut::beginArray() {
    beforeValue();
    put('[');
    levels_.push_back({true, true});
    return *this;
}

JsonOut& JsonOut::end() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty) newline(base_ + levels_.size());
    put(level.list ? ']' : '}');
    return *this;
}

JsonOut& JsonOut::raw(const char* text, size_t size) {
    put(text, size);
    return *this;
}

JsonOut& JsonOut::filled() {
    levels_.back().empty = false;
    return *this;
}

JsonOut& JsonOut::string(const char* text) {
    return string(text, std::strlen(text));
}

JsonOut& JsonOut::string(const char* text, size_t size) {
    beforeValue();
    put('"');
    putJsonText(text, size, BrokenUtf8::OnePerByte,
                [this](const char* piece, size_t length) { put(piece, length); });
    put('"');
    return *this;
}

JsonOut& JsonOut::integer(int64_t value) {
    beforeValue();
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    put(text, static_cast<size_t>(result.ptr - text));
    return *this;
}

JsonOut& JsonOut::real(double value) {
    beforeValue();
    char text[40];
    if (!std::isfinite(value)) {
        put("null", 4);  // JSON has no text for these
        return *this;
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        const auto result =
            std::to_chars(text, text + sizeof text, static_cast<int64_t>(value));
        put(text, static_cast<size_t>(result.ptr - text));
        put(".0", 2);
        return *this;
    }
    // The shortest text that reads back as the same number.
    const auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    put(text, static_cast<size_t>(result.ptr - text));
    if (std::strpbrk(text, ".eE") == nullptr) put(".0", 2);
    return *this;
}

JsonOut& JsonOut::boolean(bool value) {
    beforeValue();
    if (value) {
        put("true", 4);
    } else {
        put("false", 5);
    }
    return *this;
}

JsonOut& JsonOut::null() {
    beforeValue();
    put("null", 4);
    return *this;
}

bool JsonOut::flush() {
    if (used_ > 0) {
        if (ok_ && !sink_(buffer_.get(), used_)) ok_ = false;
        written_ += used_;
        used_ = 0;
    }
    return ok_;
}

}  // namespace edlbtool
