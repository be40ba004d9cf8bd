// Helpers shared by the header, event and closing-line writers.
#ifndef EDLBRIDGE_WRITE_WRITERS_H
#define EDLBRIDGE_WRITE_WRITERS_H

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/handle.h"

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

// Writes what snprintf put into the line buffer; len is what snprintf returned, which may
// exceed what the buffer holds.
inline void writeLineBuffer(tagKvEdlHandle* handle, int len) {
    if (len <= 0) return;
    const size_t wanted = static_cast<size_t>(len);
    putBytes(handle->pFile, handle->pszLineBuf, wanted < kLineBufferSize ? wanted : kLineBufferSize - 1);
}

// Shortens two texts that share `room` characters of a line: the first gives way first,
// the second only when it alone is longer than the room.
inline void fitTwo(size_t room, size_t& first, size_t& second) {
    if (first + second <= room) return;
    first = second < room ? room - second : 0;
    if (second > room) second = room;
}

// Column-list headers (list types 5, 6, 22, 23, 27 to 33, 40, 41).
void writeColumnHeader(tagKvEdlHandle* handle);

}  // namespace edlb

#endif
