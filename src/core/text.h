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

// The first n characters of text equal keyword's without regard to case (strncasecmp).
// Every line is tried against many keywords it does not begin with, so the first
// character is compared before the library call.
inline bool beginsNoCase(const char* text, const char* keyword, size_t n) {
    if (n == 0) return true;
    // Two ASCII characters whose ASCII lower cases differ never compare equal, whatever the
    // locale; anything else is left to the library.
    const unsigned char t = static_cast<unsigned char>(text[0]);
    const unsigned char k = static_cast<unsigned char>(keyword[0]);
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; };
    if (t < 128 && k < 128 && lower(t) != lower(k)) return false;
    return strncasecmp(text, keyword, n) == 0;
}

}  // namespace edlb

#endif
