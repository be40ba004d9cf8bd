// Private interface between the event line reader and its comment rules.
#ifndef EDLBRIDGE_PARSE_READER_H
#define EDLBRIDGE_PARSE_READER_H

#include <cstddef>
#include <cstdint>

#include "core/handle.h"

namespace edlb {

// What one call of the event reader gathers besides the event record.
struct ReadState {
    // Characters appended to the comment during this call (also those a full comment could
    // not take), so nothing is appended once it reaches the comment capacity.
    uint32_t commentLength = 0;
    // The list reads for interchange: notes are kept as lines, names as the list gives them.
    bool interchange = false;
    // Interchange: audio tracks the event's "AUD" lines add, and whether its track field was
    // "NONE" (all its tracks are on those lines).
    uint32_t audioTracks = 0;
    bool tracksOnAudioLine = false;
    // Interchange: the whole name a clip line gives its clip (szClipName holds ten
    // characters of it). Only its first byte is cleared: a read does not pay for the rest.
    char clipName[kNameMax + 1];

    ReadState() { clipName[0] = '\0'; }
};

// Copies at most maxChars characters of source into destination by the edlFixString rule
// (control bytes and 255 become '!') and terminates it. destination holds maxChars + 1.
void copyFixed(char* destination, const char* source, uint32_t maxChars);

// Comment gathering as the documented rules have it: every piece appended directly after the
// one before.
void appendCommentLine(EdlLine* event, const char* line, ReadState& state);
void appendCommentText(EdlLine* event, const char* text, ReadState& state);

// The library's own "; name" ending of a note: on the last line of the comment that has one
// (lines end at a line feed), after its last ';' that is not between two digits (a drop-frame
// timecode), a word of fewer than nine characters without '.', '/', '\\' or ':' names the
// clip (into clip, kClipNameMax + 1 bytes), a path or a file name with an extension names the
// media (into file, kNameMax + 1 bytes). Both come back empty when no line names either.
void semicolonNames(const char* comment, char* clip, char* file);

// Interchange: appends length characters of text (blanks around it trimmed) as a line of the
// comment: a line feed first when the comment already holds text, control bytes as '!' and
// tabs as blanks. Nothing for an empty text, or once commentLength reaches the capacity.
void appendTextLine(EdlLine* event, const char* text, size_t length, uint32_t& commentLength);

// Interchange: where szName holds a media file and a clip's whole name (from a clip line, a
// log's "Name" column, a CSV "Clip Name") is longer than szClipName holds, the name becomes a
// "FROM CLIP NAME:" note, the first line of the comment, unless a note already gives it.
// commentLength follows the comment.
void keepWholeClipName(EdlLine* event, const char* name, uint32_t& commentLength);

// Interchange: one note of the event (a comment line, a note line, the comment at the end of
// an event line, an "M2" or "AUD" line) becomes a line of its own in the comment: a leading
// '*' or ';' and the blanks around it are removed, and lines are separated by a line feed.
void appendNoteLine(EdlLine* event, const char* text, ReadState& state);

// A note line: a "FINAL CUT PRO REEL:" keyword in the comment names the media and the reel.
void applyNoteRule(EdlLine* event);

// "*DS" lists: the event's reel (or clip name) names an entry of the source table.
void lookupSource(tagKvEdlHandle* handle, EdlLine* event, ReadState& state);

// Derives the clip name and file name of a finished event from its comment.
void analyseComment(tagKvEdlHandle* handle, EdlLine* event);

// Interchange: the clip name and media file name the event's notes give.
void analyseNotes(EdlLine* event, const ReadState& state);

// The tracks of an "AUD" line ('AUD  3    4', 'AUD 3'): bit n-1 for each track number n.
uint32_t audioLineTracks(const char* line);

// Interchange: the mode of an "FCM:" line. A line naming a rate ("FCM: 25", "FCM: 24 FPS",
// "FCM: 23.976") counts at it; any other keeps documentedMode, what edlLineIsFcm made of
// it. A rate the host gave (the list record's dwReserved) counts whatever the line says;
// the line only chooses drop or non-drop frame where that rate has both.
uint32_t interchangeFcmMode(const EdlList& list, const char* line, uint32_t documentedMode);

// Interchange: the counting rate of a list once its head is read. A rate the host gave
// decides the mode (the drop frame of the mode read kept where the rate has both) and
// dwFrameRate; without one an event list's dwFrameRate is its mode's rate.
void settleCountingRate(EdlList& list);

// Interchange: the mode of a list without an "FCM:" line, from its first event line: drop
// frame when a timecode is written with ';', else non-drop.
uint32_t modeOfSeparators(const char* line);

// Interchange: an event line as lists write them, which the event line test accepts and
// which begins with its edit number and holds at least two timecodes written in full
// ('HH:MM:SS:FF'); prose with numbers in it ("1,000,000 events", "4608, 4098") is none.
bool isInterchangeEventLine(tagKvEdlHandle* handle, char* line);

// Interchange: whether a list from the current position on holds an event line or a clip
// line; the position is kept.
bool holdsEventLine(tagKvEdlHandle* handle);

// Interchange: a line that begins like an event line (an edit number of three to six digits
// and more fields) whether or not the event line test accepts it.
bool looksLikeEventLine(const char* line);

// Interchange: an event line wrapped onto two lines, as systems write one that would pass 80
// columns: line (just read) holds the fields without their times, the next line the times
// alone. When the two make one event line, joined holds it, the file is after the second line
// and a push-back goes back to the first; else the file is left after line, as it was.
bool joinWrappedLine(tagKvEdlHandle* handle, const char* line, char* joined);

// The number of the line (1 for the first) that begins at offset in the handle's file; 0 when
// the file cannot be read again. Counting goes on from the last call, so lines asked for in
// file order cost one pass over the file.
uint32_t lineNumberAt(tagKvEdlHandle* handle, int64_t offset);

}  // namespace edlb

#endif
