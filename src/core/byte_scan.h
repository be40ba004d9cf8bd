// Scans of the bytes of a line, sixteen at a time where the processor has SSE2: every line
// of a list passes through them, and a byte at a time they cost a branch a byte.
#ifndef EDLBRIDGE_CORE_BYTE_SCAN_H
#define EDLBRIDGE_CORE_BYTE_SCAN_H

#include <cstddef>
#include <cstdint>
#include <cstring>

// EDLBRIDGE_BYTE_SCAN_SCALAR chooses the byte-at-a-time forms, which other processors use,
// so that the tests can check both.
#if defined(__SSE2__) && !defined(EDLBRIDGE_BYTE_SCAN_SCALAR)
#include <emmintrin.h>
#define EDLBRIDGE_BYTE_SCAN_SSE2 1
#endif

namespace edlb {

#ifdef EDLBRIDGE_BYTE_SCAN_SSE2
inline unsigned bitsOf(__m128i matches) {
    return static_cast<unsigned>(_mm_movemask_epi8(matches)) & 0xFFFFu;
}

// Bit i is set when byte i of the sixteen at text is a CR or an LF.
inline unsigned lineEndBits16(const char* text) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    return bitsOf(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                               _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
}

// Bit i is set when byte i of the sixteen at text is a blank or a line end (' ', '\t', CR, LF).
inline unsigned blankBits16(const char* text) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i spaceOrTab = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                            _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
    const __m128i lineEnd = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    return bitsOf(_mm_or_si128(spaceOrTab, lineEnd));
}

// True when one of the sixteen bytes at text is a control byte (below 32) or 255: the bytes
// texts copied into records have replaced.
inline bool hasControlBytes16(const char* text) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(31)), bytes);
    return bitsOf(_mm_or_si128(control, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(-1)))) != 0;
}

// Copies the longest run of whole sixteen-byte blocks at the start of the n bytes at source
// that hold no control byte and no 255, and gives its length. Nothing past n is read. Each
// block is read before it is written, so a destination before the source may overlap it.
inline size_t copyPlainBlocks(char* destination, const char* source, size_t n) {
    if (destination > source && destination < source + n) return 0;
    size_t i = 0;
    for (; i + 16 <= n && !hasControlBytes16(source + i); i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)));
    }
    return i;
}

#endif

// The place of the lowest bit set (bits is not 0).
inline unsigned lowestBit(unsigned bits) { return static_cast<unsigned>(__builtin_ctz(bits)); }

// What each of the first 64 bytes of a text is, a bit a byte: digits, timecode separators
// ('+', ',', '-', '.', ':', ';', '=', '_'), and blanks or line ends. Bytes past the text's n
// bytes count as blanks, and are never read.
struct ByteClasses {
    uint64_t digits = 0;
    uint64_t separators = 0;
    uint64_t blanks = 0;
};

inline ByteClasses classifyBytes64(const char* text, size_t n) {
    ByteClasses classes;
    const size_t count = n < 64 ? n : 64;
#ifdef EDLBRIDGE_BYTE_SCAN_SSE2
    for (size_t base = 0; base < count; base += 16) {
        char tail[16] = {};
        const char* block = text + base;
        if (base + 16 > count) {
            std::memcpy(tail, block, count - base);
            block = tail;
        }
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const auto is = [bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
        // Signed comparisons: bytes from 128 up are below every ASCII character.
        const auto within = [bytes](char low, char high) {
            return _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(static_cast<char>(low - 1))),
                                 _mm_cmplt_epi8(bytes, _mm_set1_epi8(static_cast<char>(high + 1))));
        };
        const __m128i separators = _mm_or_si128(_mm_or_si128(within('+', '.'), is('_')),
                                                _mm_or_si128(within(':', ';'), is('=')));
        const __m128i blanks = _mm_or_si128(_mm_or_si128(is(' '), is('\t')),
                                            _mm_or_si128(is('\n'), is('\r')));
        classes.digits |= uint64_t(bitsOf(within('0', '9'))) << base;
        classes.separators |= uint64_t(bitsOf(separators)) << base;
        classes.blanks |= uint64_t(bitsOf(blanks)) << base;
    }
#else
    for (size_t i = 0; i < count; ++i) {
        const char c = text[i];
        const uint64_t bit = uint64_t(1) << i;
        if (c >= '0' && c <= '9') classes.digits |= bit;
        if ((c >= '+' && c <= '.') || c == ':' || c == ';' || c == '=' || c == '_') {
            classes.separators |= bit;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') classes.blanks |= bit;
    }
#endif
    if (count < 64) classes.blanks |= ~uint64_t(0) << count;
    return classes;
}

// Bit s is set when an 'HH:MM:SS:FF' token (two digits a field, any timecode separators)
// begins at byte s of the first 64, with a blank or the start of the text before it and a
// blank or the end of the text after it, all within the 64 bytes.
inline uint64_t fullTimecodeStarts(const ByteClasses& c) {
    const uint64_t d = c.digits;
    const uint64_t s = c.separators;
    return d & (d >> 1) & (s >> 2) & (d >> 3) & (d >> 4) & (s >> 5) & (d >> 6) & (d >> 7) &
           (s >> 8) & (d >> 9) & (d >> 10) & (c.blanks >> 11) & ((c.blanks << 1) | 1u);
}

#ifndef EDLBRIDGE_BYTE_SCAN_SSE2
inline size_t copyPlainBlocks(char*, const char*, size_t) { return 0; }
#endif

// The offset of the first CR or LF among the n bytes at text, or n when there is none.
inline size_t findLineEnd(const char* text, size_t n) {
    size_t i = 0;
#ifdef EDLBRIDGE_BYTE_SCAN_SSE2
    for (; i + 16 <= n; i += 16) {
        const unsigned bits = lineEndBits16(text + i);
        if (bits != 0) return i + lowestBit(bits);
    }
#endif
    for (; i < n; ++i) {
        if (text[i] == '\n' || text[i] == '\r') return i;
    }
    return n;
}

// Bit i is set when byte i of the sixteen at text is a blank or a line end; bytes from n on
// count as blanks, and are never read.
inline unsigned blankBitsOf(const char* text, size_t n) {
#ifdef EDLBRIDGE_BYTE_SCAN_SSE2
    if (n >= 16) return blankBits16(text);
    char tail[16] = {};
    std::memcpy(tail, text, n);
    return (blankBits16(tail) | (0xFFFFu << n)) & 0xFFFFu;
#else
    unsigned bits = 0;
    for (size_t i = 0; i < 16; ++i) {
        const bool blank = i >= n || text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                           text[i] == '\r';
        if (blank) bits |= 1u << i;
    }
    return bits;
#endif
}

// Calls visit(start, end) for each token among the n bytes at text (a run of bytes that are
// no blanks or line ends), in order, until visit returns false. Nothing past the n bytes
// is read.
template <class Visit>
void forEachToken(const char* text, size_t n, Visit&& visit) {
    bool inToken = false;
    size_t start = 0;
    for (size_t base = 0; base < n; base += 16) {
        const unsigned inside = ~blankBitsOf(text + base, n - base) & 0xFFFFu;
        // A bit where a byte is inside a token and the byte before it is not, or the reverse.
        unsigned changes = (inside ^ ((inside << 1) | (inToken ? 1u : 0u))) & 0xFFFFu;
        for (; changes != 0; changes &= changes - 1) {
            const size_t at = base + lowestBit(changes);
            if (!inToken) {
                start = at;
            } else if (!visit(start, at)) {
                return;
            }
            inToken = !inToken;
        }
    }
    if (inToken) visit(start, n);
}

}  // namespace edlb

#endif  // EDLBRIDGE_CORE_BYTE_SCAN_H
