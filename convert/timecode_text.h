// Timecode texts for the command line: the library carries frame counts, and a host shows
// them as 'HH:MM:SS:FF' in the list's timecode mode. The counting itself is the records
// library's timecode service (services/timecode.h); this is its text for people.
#ifndef EDLBRIDGE_TOOLS_TIMECODE_TEXT_H
#define EDLBRIDGE_TOOLS_TIMECODE_TEXT_H

#include <cstdint>
#include <string>

#include "core/tc_modes.h"
#include "services/timecode.h"

namespace edlbtool {

// A timecode mode as the library's table describes it: value, name, description, frames
// counted per second (fps), frame numbers skipped per minute (dropped), and whether its text
// has ';' before the frames (dropFrame).
using ModeInfo = edlb::TcMode;

// The mode of the low byte of a dwTcMode value; values the library does not know count
// like non-drop 30, as the library's timecode service counts them.
const ModeInfo& modeInfo(unsigned mode);

// By value (decimal or 0x hex), name or one of the mode's spellings (rates such as "23.976"
// or "29.97ndf"), any case, blanks, '-' and '_' passed over; null when none.
const ModeInfo* findMode(const std::string& text);

// Every mode, in value order.
const ModeInfo* modes(size_t* count);

// The mode the events of a list count in: the low byte of its dwTcMode, drop frame when that
// is 0, as the library opens such a list.
unsigned listMode(uint32_t tcMode);

// 'HH:MM:SS:FF', with ';' before the frames in drop-frame modes; hours grow past 99.
std::string timecodeText(uint32_t frames, unsigned mode);
// The same text into a buffer, without allocating; its length.
size_t timecodeChars(uint32_t frames, unsigned mode, char (&text)[16]);

// Reads 'HH:MM:SS:FF' as frames in mode: one to five digits of hours, one or two of each
// other field, ':' ';' '.' or ',' between them. False for any other text, and for minutes or
// seconds above 59 or a frame number of the mode's frames per second or more. Counts wrap
// in 32 bits.
bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames);
// The same text as its fields, before they are counted.
bool parseLabel(const std::string& text, unsigned mode, TcLabel& label);

// A position in another mode: the same hours, minutes and seconds, the frame number scaled
// to the new rate, and a label a drop-frame count skips moved to the next one that exists.
uint32_t relabel(uint32_t frames, unsigned from, unsigned to);

// A length in frames at another rate, rounded to the nearest frame.
int64_t rescale(int64_t frames, unsigned from, unsigned to);

}  // namespace edlbtool

#endif
