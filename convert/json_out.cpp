#include "json_out.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace edlbtool {
namespace {

// The length of the UTF-8 sequence at text (at most size bytes); 0 when it is none.
size_t utf8Length(const unsigned char* text, size_t size) {
    const unsigned char c = text[0];
    size_t length;
    uint32_t low = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
    } else {
        return 0;
    }
    if (length > size) return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = text[i];
        uint32_t min = 0x80, max = 0xBF;
        if (i == 1) {
            if (low != 0) min = low;
            if (c == 0xED) max = 0x9F;  // no surrogates
            if (c == 0xF4) max = 0x8F;  // nothing past U+10FFFF
        }
        if (next < min || next > max) return 0;
    }
    return length;
}

}  // namespace

JsonOut::JsonOut(WriteBytes sink, unsigned depth, bool inList)
    : sink_(std::move(sink)), buffer_(new char[kBufferSize]), base_(depth), inList_(inList) {}

void JsonOut::newline(size_t depth) {
    static const char kSpaces[] = "                                                                ";
    put('\n');
    size_t spaces = depth * 4;
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
    put('"');
    put(name, std::strlen(name));
    put("\": ", 3);
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
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < size) {
        // Runs of plain characters go at once; bytes that are no UTF-8 (lists are not always
        // UTF-8) become U+FFFD.
        size_t run = i;
        while (run < size && bytes[run] >= 0x20 && bytes[run] < 0x80 && bytes[run] != '"' &&
               bytes[run] != '\\') {
            ++run;
        }
        if (run > i) put(text + i, run - i);
        i = run;
        if (i >= size) break;
        const unsigned char c = bytes[i];
        if (c >= 0x80) {
            const size_t length = utf8Length(bytes + i, size - i);
            if (length == 0) {
                put("\xEF\xBF\xBD", 3);
                ++i;
            } else {
                put(text + i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
            case '"': put("\\\"", 2); break;
            case '\\': put("\\\\", 2); break;
            case '\b': put("\\b", 2); break;
            case '\f': put("\\f", 2); break;
            case '\n': put("\\n", 2); break;
            case '\r': put("\\r", 2); break;
            case '\t': put("\\t", 2); break;
            default: {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                put(escaped, 6);
            }
        }
        ++i;
    }
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
