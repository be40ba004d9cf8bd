// Timecode text <-> frame count conversion.
#ifndef EDLBRIDGE_SERVICES_TIMECODE_H
#define EDLBRIDGE_SERVICES_TIMECODE_H

// The flags word: low byte the timecode mode, bit 13 the drop-frame marker ';', bit 16
// the separated form 'HH:MM:SS:FF' (clear: 'HHMMSSFF'), bit 17 wrap hours at 24.

// Converts a timecode text into a frame count. Returns 0 on success; an invalid text
// stores 0 and returns nonzero.
int tc2Frame(const char* text, unsigned flags, unsigned* frames);

// Writes the text of a frame count (at most 15 characters and a NUL) into out.
void tc2String(unsigned frames, unsigned flags, char* out);

#endif
