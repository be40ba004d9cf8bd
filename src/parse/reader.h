// Private interface between the event line reader and its comment rules.
#ifndef EDLBRIDGE_PARSE_READER_H
#define EDLBRIDGE_PARSE_READER_H

#include <cstdint>

#include "core/handle.h"

namespace edlb {

// Copies at most maxChars characters of source into destination by the edlFixString rule
// (control bytes and 255 become '!') and terminates it. destination holds maxChars + 1.
void copyFixed(char* destination, const char* source, uint32_t maxChars);

// Comment gathering. commentLength counts the characters appended during the current read
// (also those a full comment could not take), so nothing is appended once it reaches the
// comment capacity.
void appendCommentLine(EdlLine* event, const char* line, uint32_t* commentLength);
void appendCommentText(EdlLine* event, const char* text, uint32_t* commentLength);

// A note line: a "FINAL CUT PRO REEL:" keyword in the comment names the media and the reel.
void applyNoteRule(EdlLine* event);

// "*DS" lists: the event's reel (or clip name) names an entry of the source table.
void lookupSource(tagKvEdlHandle* handle, EdlLine* event, uint32_t* commentLength);

// Derives the clip name and file name of a finished event from its comment.
void analyseComment(tagKvEdlHandle* handle, EdlLine* event);

}  // namespace edlb

#endif
