// Helpers shared by the header, event and closing-line writers.
#ifndef EDLBRIDGE_WRITE_WRITERS_H
#define EDLBRIDGE_WRITE_WRITERS_H

#include <cstddef>
#include <cstdio>
#include <cstring>

struct tagKvEdlHandle;

namespace edlb {

constexpr const char kCrlf[] = "\r\n";

// Length of a text held in a buffer of `size` bytes: a missing terminator never lets a
// read run past the buffer.
inline size_t boundedLength(const char* text, size_t size) {
    return text == nullptr || size == 0 ? 0 : strnlen(text, size - 1);
}

// Writes len bytes to the stream; a failed write leaves the stream's error state set,
// which edlClose reports.
inline void putBytes(FILE* file, const char* text, size_t len) {
    if (len != 0) std::fwrite(text, 1, len, file);
}

inline void putText(FILE* file, const char* text) { putBytes(file, text, std::strlen(text)); }

// Column-list headers (list types 5, 6, 22, 23, 27 to 33, 40, 41).
void writeColumnHeader(tagKvEdlHandle* handle);

}  // namespace edlb

#endif
