// Token classifiers for callers that tokenize a line themselves (the event reader).
//
// A one-letter effect token ("D") and a one-character comment start ("*") look past their
// own terminator at the text that follows them on the line ("D 030", "* clip:"). The
// exported edlTokEffectType / edlTokIsComment cannot know whether their token came from a
// tokenized line, so they never read beyond its terminator. A reader that splits the line
// itself calls the variants below and hands over `rest` explicitly:
//
//     char* save = nullptr;
//     for (char* tok = strtok_r(line, " \t\r\n", &save); tok != nullptr; ...) {
//         const size_t length = std::strlen(tok);
//         // The separator that ended the token was overwritten with a NUL and `save` points
//         // just after it; when the token ended the line, `save` points at its own NUL.
//         const char* rest = (save != tok + length) ? save : nullptr;
//         edlb::tokEffectType(tok, rest, ...);
//     }
//
// `rest` must point into the same NUL-terminated line (or be nullptr); it is read up to its
// terminator only.
#ifndef EDLBRIDGE_PARSE_CLASSIFY_H
#define EDLBRIDGE_PARSE_CLASSIFY_H

#include <cstdint>

struct tagKvEdlHandle;

namespace edlb {
// Effect token of a tokenized line: rest is the text after the separator that ended the
// token (nullptr when the token ends the line). The exported edlTokEffectType(token) is
// this with rest = the text after token[1] when token[1] is a space, nullptr otherwise.
int tokEffectType(char* token, const char* rest, char* editType, unsigned int* number,
                  int* dissolveOrWipe, int* key);
// Comment-start token of a tokenized line; rest as above.
int tokIsComment(char* token, const char* rest);

// A track field as CMX 3600 spells it: 'V', 'A' (audio 1), 'A2', 'AA', 'B' (video and audio
// 1), 'A2/V', 'AA/V', 'A1' and 'A1/V', single channels 'A3' to 'A16', and the multi-track
// fields edlTokEditType reads ('V1A1A2', 'V2'). Adds the tracks to *video and *audio and
// returns true; false (nothing added) for any other text.
bool cmxTrackCode(char* token, unsigned int* video, unsigned int* audio);

// The track field of a CMX 3600 event for the tracks given: the code that names them, 'NONE'
// for audio above A2 alone (or no track at all), or a single channel 'A3' when singleChannel
// allows it. Returns a static text.
const char* cmx3600TrackCode(uint32_t video, uint32_t audio, bool singleChannel);

// What edlTokIsTimecode answers for token, and the mode it would convert with (written to
// *mode), without converting: for callers that only need the answer. -1 for a token that
// begins with a separator (edlTokIsTimecode then does nothing at all).
int timecodeShape(tagKvEdlHandle* handle, const char* token, unsigned int* mode);

// While true, the private allocations of the classifiers and of detection (line copies of
// over-long host texts, source table entries) report failure. Lets the tests prove that a
// failed allocation ends the call with "no" / 256 instead of a crash.
extern bool g_failPrivateAllocations;
}  // namespace edlb

#endif
