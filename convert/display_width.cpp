#include "display_width.h"

#include <cstdint>

namespace edlbtool {
namespace {

struct Range {
    uint32_t first, last;
};

// Combining marks and other characters that take no column of their own.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
    {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth characters, and the emoji terminals draw two columns wide.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <size_t N>
bool inRanges(const Range (&ranges)[N], uint32_t code) {
    for (const Range& range : ranges) {
        if (code >= range.first && code <= range.last) return true;
    }
    return false;
}

// The code point of the UTF-8 character at text[i] and its length in bytes; length 0 when
// the bytes there are no valid UTF-8 (overlong forms and surrogates included).
uint32_t decode(std::string_view text, size_t i, size_t& length) {
    const auto byte = [&text](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    length = 0;
    size_t size = 0;
    uint32_t code = 0, least = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) size = 2, code = lead & 0x1Fu, least = 0x80;
    else if ((lead & 0xF0) == 0xE0) size = 3, code = lead & 0x0Fu, least = 0x800;
    else if ((lead & 0xF8) == 0xF0) size = 4, code = lead & 0x07u, least = 0x10000;
    else return 0;
    if (i + size > text.size()) return 0;
    for (size_t k = 1; k < size; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    length = size;
    return code;
}

}  // namespace

size_t displayWidth(std::string_view text) {
    size_t width = 0;
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        const uint32_t code = decode(text, i, length);
        if (length == 0) {
            ++width;
            ++i;
            continue;
        }
        i += length;
        if (inRanges(kZeroWidth, code)) continue;
        width += inRanges(kWide, code) ? 2 : 1;
    }
    return width;
}

}  // namespace edlbtool
