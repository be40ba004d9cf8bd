// Timecode text <-> frame count conversion, and the labels of frame counts.
#ifndef EDLBRIDGE_SERVICES_TIMECODE_H
#define EDLBRIDGE_SERVICES_TIMECODE_H

#include <cstdint>

#include "core/tc_modes.h"

// The flags word: low byte the timecode mode, bit 13 the drop-frame marker ';', bit 16
// the separated form 'HH:MM:SS:FF' (clear: 'HHMMSSFF'), bit 17 wrap hours at 24.

// The separators a timecode text may have between its fields. Called for every character
// of every timecode token read, so no library search here.
inline bool isTimecodeSeparator(char c) {
    switch (c) {
        case '+': case ',': case '-': case '.': case ':': case ';': case '=': case '_':
            return true;
        default:
            return false;
    }
}

// 'HH:MM:SS:FF' with two digits a field and any separators, as nearly every list writes its
// times: its fields in order hours, minutes, seconds, frames, and true; false for any other
// text. The tests stop at the first that fails, so nothing after a terminator is read.
inline bool fullTimecodeFields(const char* text, uint32_t fields[4]) {
    const auto two = [text](int at) {
        return text[at] >= '0' && text[at] <= '9' && text[at + 1] >= '0' && text[at + 1] <= '9';
    };
    if (!(two(0) && isTimecodeSeparator(text[2]) && two(3) && isTimecodeSeparator(text[5]) &&
          two(6) && isTimecodeSeparator(text[8]) && two(9) && text[11] == '\0')) {
        return false;
    }
    const auto value = [text](int at) {
        return uint32_t(text[at] - '0') * 10u + uint32_t(text[at + 1] - '0');
    };
    fields[0] = value(0);
    fields[1] = value(3);
    fields[2] = value(6);
    fields[3] = value(9);
    return true;
}

// Converts a timecode text into a frame count. Returns 0 on success; an invalid text
// stores 0 and returns nonzero.
int tc2Frame(const char* text, unsigned flags, unsigned* frames);

// Writes the text of a frame count (at most 15 characters and a NUL) into out.
void tc2String(unsigned frames, unsigned flags, char* out);

// The fields of a timecode. Hours are not wrapped: a label may pass 23 and 99 hours.
struct TcLabel {
    uint32_t hours, minutes, seconds, frames;
};

// The label of a frame count in the mode of the low byte of modeOrFlags.
TcLabel tcLabelOf(uint32_t frames, unsigned modeOrFlags);

// The frame count of a label in the mode of the low byte of modeOrFlags; counts wrap in 32
// bits. A label drop-frame counting skips counts as though the frame numbers skipped before
// it were there: '00:01:00;00' gives the count of '00:00:59;28'. Every time read passes
// through here, so it is inline.
inline uint32_t tcFramesOf(const TcLabel& label, unsigned modeOrFlags) {
    const edlb::TcMode& mode = edlb::tcMode(modeOrFlags);
    const uint32_t totalMinutes = label.hours * 60u + label.minutes;
    uint32_t total = (totalMinutes * 60u + label.seconds) * mode.fps + label.frames;
    // Frame numbers skipped in every minute so far, except each tenth minute.
    // (A tenth by multiplying: exact for every 32-bit count, and no division on this path.)
    const uint32_t tens = static_cast<uint32_t>((uint64_t{totalMinutes} * 0xCCCCCCCDu) >> 35);
    if (mode.dropped != 0) total -= mode.dropped * (totalMinutes - tens);
    return total;
}

// The label itself when the mode counts it, else the first label after it that the mode
// counts: drop-frame counting has no labels for the first frame numbers of each minute not
// divisible by ten ('00:01:00;00' becomes '00:01:00;02').
TcLabel tcCountedLabel(TcLabel label, unsigned modeOrFlags);

#endif
