// Helpers shared by the header, event and closing-line writers.
#ifndef EDLBRIDGE_WRITE_WRITERS_H
#define EDLBRIDGE_WRITE_WRITERS_H

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/handle.h"
#include "core/list_types.h"

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

// The form a list is written in: its type's interchange form when the list flag
// EDL_LF_INTERCHANGE is set, else None.
InterchangeForm interchangeForm(const EdlList& list);

// The columns of a log-exchange list written for interchange.
constexpr const char kLogColumns[] =
    "Name\tTracks\tStart\tEnd\tTape\tSource File\tComments\tMark IN\tMark OUT\t"
    "Record Start\tRecord End\tEvent\tTransition";

// The header of a list written for interchange: title and frame code mode, or the log's
// heading, columns and "Data".
void writeInterchangeHeader(tagKvEdlHandle* handle);

// One event written for interchange. tc holds the texts of source in and out, record in and
// out (or the record pair first when the list swaps them), mark in and out; track is the
// dialect's track field.
void writeCmxEvent(tagKvEdlHandle* handle, const EdlLine& event, const char* const tc[6],
                   const char* track);
void writeLogRow(tagKvEdlHandle* handle, const EdlLine& event, const char* const tc[6]);

}  // namespace edlb

#endif
