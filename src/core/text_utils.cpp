// Small text routines shared by readers and writers.
#include <cctype>
#include <cstring>

#include "core/byte_scan.h"
#include "core/handle.h"

EDLBRIDGE_API int64_t edlStripTrailing(char* text, int64_t limit) {
    const int64_t before = static_cast<int64_t>(std::strlen(text));
    int64_t n = before < limit ? before : limit;
    if (n < 0) n = 0;
    // Spaces and every byte whose signed value is below 30 go: controls up to 29 and all of
    // 128-255; 30 and 31 stay.
    while (n > 0) {
        const signed char c = static_cast<signed char>(text[n - 1]);
        if (c != ' ' && c >= 30) break;
        --n;
    }
    text[n] = '\0';
    return before;
}

extern "C" EDLBRIDGE_API void edlFixString(char* destination, const char* source,
                                           uint32_t size) {
    if (destination == nullptr || size == 0) return;
    // A line end keeps the destination byte that is already there.
    const auto put = [destination](uint32_t at, unsigned char c) {
        if (c == '\r' || c == '\n') return;
        destination[at] = (c < 32 || c == 255) ? '!' : static_cast<char>(c);
    };
    uint32_t i = 0;
    if (source != nullptr && destination > source && destination < source + size) {
        // A destination inside the text after its start: each byte is read once the bytes
        // before it are written, as the copy has always gone.
        for (; i + 1 < size && source[i] != '\0'; ++i) put(i, static_cast<unsigned char>(source[i]));
    } else if (source != nullptr) {
        const uint32_t length = static_cast<uint32_t>(strnlen(source, size - 1));
        // Texts without control bytes, as nearly all are, are copied a block at a time.
        i = static_cast<uint32_t>(edlb::copyPlainBlocks(destination, source, length));
        for (; i < length; ++i) put(i, static_cast<unsigned char>(source[i]));
    }
    destination[i] = '\0';
}

EDLBRIDGE_API void make_upper_case(char* text) {
    for (; *text != '\0'; ++text) {
        *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
    }
}

EDLBRIDGE_API void make_lower_case(char* text) {
    for (; *text != '\0'; ++text) {
        *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
    }
}

EDLBRIDGE_API int edlProccessToken(char*, unsigned int*) { return 0; }
