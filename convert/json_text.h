// The inside of a JSON string, for both JSON writers: runs of plain characters go as they
// are, UTF-8 sequences as they are, the quote, the backslash and the control characters
// escaped, and bytes that are no UTF-8 (lists are not always UTF-8) as U+FFFD.
#ifndef EDLBRIDGE_CONVERT_JSON_TEXT_H
#define EDLBRIDGE_CONVERT_JSON_TEXT_H

#include <cstddef>

namespace edlbtool {

// How many U+FFFD stand for a broken sequence: one for the bytes up to the one that broke
// it (a stray byte alone), or one for each of its bytes.
enum class BrokenUtf8 { OnePerSequence, OnePerByte };

// The length of the UTF-8 sequence at text[i] (text holds length bytes), 0 when it is none.
// A sequence cut short gives the negative of the bytes before the one that broke it (at
// least 1).
inline long utf8SequenceLength(const unsigned char* text, size_t i, size_t length) {
    const unsigned char c = text[i];
    size_t need;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
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

// Hands the escaped text, quotes not included, to put(const char*, size_t) in pieces.
template <typename Put>
void putJsonText(const char* text, size_t length, BrokenUtf8 broken, Put&& put) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        size_t run = i;
        while (run < length && bytes[run] >= 0x20 && bytes[run] < 0x80 && bytes[run] != '"' &&
               bytes[run] != '\\') {
            ++run;
        }
        if (run > i) put(text + i, run - i);
        i = run;
        if (i == length) break;
        const unsigned char c = bytes[i];
        if (c >= 0x80) {
            const long sequence = utf8SequenceLength(bytes, i, length);
            if (sequence > 0) {
                put(text + i, static_cast<size_t>(sequence));
                i += static_cast<size_t>(sequence);
            } else {
                put("\xEF\xBF\xBD", 3);
                const bool wholeSequence = broken == BrokenUtf8::OnePerSequence && sequence < 0;
                i += wholeSequence ? static_cast<size_t>(-sequence) : 1;
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
                static const char kHex[] = "0123456789abcdef";
                const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
                put(escape, sizeof escape);
            }
        }
        ++i;
    }
}

}  // namespace edlbtool

#endif
