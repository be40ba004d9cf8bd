// List type detection for the open step: which row of the list-type table a file is read
// as. edlAutoSense is the exported face of senseHead.
#ifndef EDLBRIDGE_DETECT_DETECT_H
#define EDLBRIDGE_DETECT_DETECT_H

#include "core/handle.h"
#include "core/list_types.h"

namespace edlb {

// The row a file name alone decides (a name ending in ".csv"), or null when the contents
// must decide.
const ListTypeInfo* senseName(const char* fileName);

// Reads the head of a list open for reading until a line settles its type or the first
// event line is met, harvesting title, timecode mode, column layout and source table on
// the way. Returns the row matched, always a detectable one, or null when no type fits or
// the list is one the library refuses to read. The handle's black-event flag is the
// caller's again on return.
const ListTypeInfo* senseHead(tagKvEdlHandle* handle);

}  // namespace edlb

#endif
