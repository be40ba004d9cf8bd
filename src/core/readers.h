// Which reader takes the events of a list open for reading, decided in one place for
// edlOpen, edlReadLine and edlReadLineVB.
#ifndef EDLBRIDGE_CORE_READERS_H
#define EDLBRIDGE_CORE_READERS_H

#include <cstdint>

#include "core/handle.h"
#include "core/list_types.h"

namespace edlb {

// The list flags a detected list keeps from the caller: the separator handling of bit 0, the
// column-list bit and the interchange flag. The library's own formats keep them all.
constexpr uint32_t kFlagsKeptByDetection =
    EDL_LF_COLUMN_LIST | EDL_LF_TC_SEP0 | EDL_LF_INTERCHANGE;

// Detects the list type of a handle just opened for reading: a name that decides the type
// (".csv") has the head read by the CSV header reader, every other file is auto-sensed.
// Fills the handle's list record (type, flags cut to what detection keeps); false when no
// list type fits.
bool detectList(tagKvEdlHandle* handle);

// The reader of the handle's list, from its list record as detection left it: the reader
// of its type, unless a list flag routes the read (the CSV mark, the column-list bit).
// Never Refused: a refused list is never open for reading.
ReaderKind readerOf(const EdlList& list);

// Clears an event the way every read starts: numbers 0, edit type 'C', the preset track
// mask and list tag, the five texts empty. Missing text pointers get the shared buffers.
void resetEvent(const tagKvEdlHandle* handle, EdlLine* event);

// The event-line reader (every list that is no column or CSV list), after the reset.
uint32_t readEventLines(tagKvEdlHandle* handle, EdlLine* event);

}  // namespace edlb

#endif
