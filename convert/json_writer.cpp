#include "json_writer.h"

#include <charconv>
#include <cstring>

namespace edlbtool {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The length of the UTF-8 sequence at text[i], 0 when it is none. A sequence cut short
// gives the negative of the bytes before the one that broke it (at least 1), so that byte
// is read again on its own.
long utf8Length(const unsigned char* text, size_t i, size_t length) {
    const unsigned char c = text[i];
    size_t need;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (size_t k = 1; k < need; ++k) {
        if (i + k >= length) return -static_cast<long>(k);
        const unsigned char next = text[i + k];
        const bool fits = k == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!fits) return -static_cast<long>(k);
    }
    return static_cast<long>(need);
}

bool plain(unsigned char c) { return c >= 0x20 && c < 0x80 && c != '"' && c != '\\'; }

}  // namespace

void JsonWriter::putString(const char* text, size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    put('"');
    size_t i = 0;
    while (i < length) {
        size_t run = i;
        while (run < length && plain(bytes[run])) ++run;
        put(text + i, run - i);
        i = run;
        if (i == length) break;
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            switch (c) {
                case '"': put("\\\"", 2); break;
                case '\\': put("\\\\", 2); break;
                case '\b': put("\\b", 2); break;
                case '\t': put("\\t", 2); break;
                case '\n': put("\\n", 2); break;
                case '\f': put("\\f", 2); break;
                case '\r': put("\\r", 2); break;
                default: {
                    static const char kHex[] = "0123456789abcdef";
                    const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
                    put(escape, sizeof escape);
                }
            }
            ++i;
            continue;
        }
        const long sequence = utf8Length(bytes, i, length);
        if (sequence > 0) {
            put(text + i, static_cast<size_t>(sequence));
            i += static_cast<size_t>(sequence);
        } else {
            // One replacement for the bytes of a broken sequence, or for one stray byte.
            put(kReplacement, 3);
            i += sequence == 0 ? 1 : static_cast<size_t>(-sequence);
        }
    }
    put('"');
}

void JsonWriter::element() {
    if (keyed_) {
        keyed_ = false;
        return;
    }
    if (depth_ == 0 || !array_[depth_ - 1]) return;
    if (any_[depth_ - 1]) put(',');
    any_[depth_ - 1] = true;
    newline(depth_);
}

void JsonWriter::key(const char* name, size_t length) {
    if (any_[depth_ - 1]) put(',');
    any_[depth_ - 1] = true;
    newline(depth_);
    // Member names are the program's own words: nothing in them needs escaping.
    put('"');
    put(name, length);
    put("\": ", 3);
    keyed_ = true;
}

void JsonWriter::open(char bracket) {
    element();
    put(bracket);
    any_[depth_] = false;
    array_[depth_] = bracket == '[';
    ++depth_;
}

void JsonWriter::close(char bracket) {
    --depth_;
    if (any_[depth_]) newline(depth_);
    put(bracket);
}

void JsonWriter::value(const char* text, size_t length) {
    element();
    putString(text, length);
}

void JsonWriter::value(uint64_t number) {
    element();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    put(text, static_cast<size_t>(end - text));
}

void JsonWriter::value(int64_t number) {
    element();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    put(text, static_cast<size_t>(end - text));
}

void JsonWriter::value(bool flag) {
    element();
    if (flag) {
        put("true", 4);
    } else {
        put("false", 5);
    }
}

void JsonWriter::null() {
    element();
    put("null", 4);
}

}  // namespace edlbtool
