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

#include "core/handle.h"
#include "core/tc_modes.h"

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

// The mode each timecode separator implies (':' none), tabled once from the mode table:
// every character of every timecode token is looked up here.
struct SeparatorModes {
    uint32_t mode[256];
    constexpr SeparatorModes() : mode() {
        for (unsigned c = 0; c < 256; ++c) mode[c] = modeOfSeparator(static_cast<char>(c));
    }
};
inline constexpr SeparatorModes kSeparatorModes{};

inline uint32_t separatorMode(char c) { return kSeparatorModes.mode[static_cast<unsigned char>(c)]; }

// Whether the separators of a timecode may imply its mode: the list may tell us to ignore
// them (bit 0), and a film or PAL list keeps its own mode whatever they say.
inline bool separatorsMayImply(uint32_t listFlags, unsigned int mode) {
    return (listFlags & EDL_LF_TC_SEP0) == 0 && mode != EDL_TC_FILM && mode != EDL_TC_PAL;
}

// The mode a timecode converts with, given mode before and what its separators implied.
inline unsigned int settledTimecodeMode(uint32_t listFlags, unsigned int mode, uint32_t implied) {
    // ';' marks drop frame, which at 59.94 and 23.98 is that rate's own drop frame, not 29.97.
    if (implied == EDL_TC_DF && tcMode(mode).dropFrame) implied = mode & EDL_TCF_MODE_MASK;
    if ((listFlags & (EDL_LF_TC_SEP0 | EDL_LF_TC_SEP1)) == 0 && implied != 0) return implied;
    return mode == 0 ? EDL_TC_NDF : mode;
}

// The mode an 'HH:MM:SS:FF' token (two digits a field, three separators) converts with: the
// last separator that implies a mode decides.
inline unsigned int fullTimecodeMode(uint32_t listFlags, unsigned int mode, const char* token) {
    uint32_t implied = 0;
    if (separatorsMayImply(listFlags, mode)) {
        for (int at = 8; at >= 2 && implied == 0; at -= 3) implied = separatorMode(token[at]);
    }
    return settledTimecodeMode(listFlags, mode, implied);
}

// What edlTokIsTimecode answers for token, and the mode it would convert with (written to
// *mode), without converting: for callers that only need the answer. -1 for a token that
// begins with a separator (edlTokIsTimecode then does nothing at all). Every token of every
// event line is tried, so it is inline.
inline int timecodeShape(tagKvEdlHandle* handle, const char* token, unsigned int* mode) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char first = token[0];
    if (first == ':' || separatorMode(first) != 0) return -1;

    const uint32_t flags = handle != nullptr ? handle->list.dwFlags : 0;
    if (!isDigit(first) || token[1] == '\0') {
        *mode = settledTimecodeMode(flags, *mode, 0);
        return 0;
    }
    // 'HH:MM:SS:FF', as nearly every time is written, without the loop: the same answer.
    const auto separator = [](char c) { return c == ':' || separatorMode(c) != 0; };
    if (isDigit(token[1]) && separator(token[2]) && isDigit(token[3]) && isDigit(token[4]) &&
        separator(token[5]) && isDigit(token[6]) && isDigit(token[7]) && separator(token[8]) &&
        isDigit(token[9]) && isDigit(token[10]) && token[11] == '\0') {
        *mode = fullTimecodeMode(flags, *mode, token);
        return 1;
    }
    const bool mayImply = separatorsMayImply(flags, *mode);
    uint32_t implied = 0;
    bool hasSeparator = false;
    bool wellFormed = true;
    for (const char* p = token + 1; *p != '\0'; ++p) {
        if (isDigit(*p)) continue;
        const uint32_t separatorImplies = separatorMode(*p);
        if (separatorImplies == 0 && *p != ':') {
            wellFormed = false;
            break;
        }
        hasSeparator = true;
        if (mayImply && separatorImplies != 0) implied = separatorImplies;
    }
    *mode = settledTimecodeMode(flags, *mode, implied);
    return wellFormed && hasSeparator ? 1 : 0;
}

// While true, the private allocations of the classifiers and of detection (line copies of
// over-long host texts, source table entries) report failure. Lets the tests prove that a
// failed allocation ends the call with "no" / 256 instead of a crash.
extern bool g_failPrivateAllocations;
}  // namespace edlb

#endif
