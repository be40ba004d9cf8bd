// Small text helpers shared by the readers.
#ifndef EDLBRIDGE_CORE_TEXT_H
#define EDLBRIDGE_CORE_TEXT_H

#include <cstddef>

#include "core/portable.h"

namespace edlb {

// Blanks and line ends (' ', '\t', '\r', '\n') by a table: every character of every event
// line is tested, and a table costs one load where comparisons cost a branch each.
struct BlankTable {
    bool is[256];
    constexpr BlankTable() : is() {
        is[static_cast<unsigned char>(' ')] = is[static_cast<unsigned char>('\t')] = true;
        is[static_cast<unsigned char>('\r')] = is[static_cast<unsigned char>('\n')] = true;
    }
};
inline constexpr BlankTable kBlankTable{};

inline bool isBlankOrLineEnd(char c) { return kBlankTable.is[static_cast<unsigned char>(c)]; }

// Letters compared without regard to case are the ASCII letters only, whatever the locale a
// host has set: every keyword a list holds is ASCII, and a byte from 128 up is never one of
// its letters.
struct AsciiLowerTable {
    unsigned char of[256];
    constexpr AsciiLowerTable() : of() {
        for (unsigned c = 0; c < 256; ++c) of[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
    }
};
inline constexpr AsciiLowerTable kAsciiLower{};

inline unsigned char asciiLower(unsigned char c) { return kAsciiLower.of[c]; }

// The first n characters of text equal keyword's without regard to case; the comparison
// stops at a terminator both share. Every line is tried against many keywords, so this is
// done here rather than by a library call.
inline bool beginsNoCase(const char* text, const char* keyword, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const unsigned char t = static_cast<unsigned char>(text[i]);
        const unsigned char k = static_cast<unsigned char>(keyword[i]);
        if (asciiLower(t) != asciiLower(k)) return false;
        if (t == '\0') return true;
    }
    return true;
}

// The two texts are equal without regard to case.
inline bool equalsNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(*a);
        if (asciiLower(x) != asciiLower(static_cast<unsigned char>(*b))) return false;
        if (x == '\0') return true;
    }
}

}  // namespace edlb

#endif
