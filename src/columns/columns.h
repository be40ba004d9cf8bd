// Helpers shared by the column reader and the CSV readers.
#ifndef EDLBRIDGE_COLUMNS_COLUMNS_H
#define EDLBRIDGE_COLUMNS_COLUMNS_H

#include <cstddef>

#include "columns/column_names.h"
#include "core/handle.h"

namespace edlb {

// Longest cell kept, in characters; longer cell text is cut.
constexpr size_t kCellMax = 4095;
// Only the first cells of a CSV row have column map entries.
constexpr size_t kMapColumns = 16;

// Copies at most max characters of source into destination and terminates it.
// A null destination is left alone.
void copyCut(char* destination, const char* source, size_t max);

// Gives missing text pointers the shared buffers, then clears the event the way every
// column and CSV read starts: numbers 0, edit type 'C', texts empty, and the list's
// default reel when the list asks for it.
void resetColumnEvent(tagKvEdlHandle* handle, EdlLine* event);

// Reads the next comma-separated cell starting at *cursor into cell (at most kCellMax
// characters, always terminated) and moves *cursor past its comma. A cell that begins
// with a double quote may hold commas; its quotes are dropped and "" stands for one quote.
// Returns false when *cursor was already at the end of the line (no cell left).
bool nextCsvCell(const char** cursor, char* cell);

// Reads a tracks cell as logs write it: 'V', 'V2', 'A1'..'A16' and ranges ('A1-4', 'A1-A4')
// in any order and case ('VA1A2', 'V A3 A4', 'V1 A1-2'). A cell with anything else sets no
// track. Either way the event's tracks count as given.
void readTracks(const char* cell, EdlLine* event);

}  // namespace edlb

#endif
