// Line and token classifiers of CMX-like event lists. They keep no state and never touch
// the file; edlLineIsTitle stores the title, edlTokIsTimecode converts its token and
// edlLineIsFcm always writes its mode.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "core/handle.h"
#include "core/portable.h"
#include "core/tc_modes.h"
#include "core/text.h"
#include "parse/classify.h"
#include "services/timecode.h"

namespace edlb {
bool g_failPrivateAllocations = false;
}  // namespace edlb

namespace {


bool begins(const char* text, const char* keyword, size_t n) {
    return edlb::beginsNoCase(text, keyword, n);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLineSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool containsAny(const char* line, std::initializer_list<const char*> words) {
    for (const char* word : words) {
        if (std::strstr(line, word) != nullptr) return true;
    }
    return false;
}

uint32_t listFlags(const tagKvEdlHandle* handle) {
    return handle != nullptr ? handle->list.dwFlags : 0;
}

// A writable copy of a line. Lines from getLine always fit the fixed buffer; only longer
// texts handed in by a host need the heap, and that allocation may fail (ok() is false).
class LineCopy {
public:
    explicit LineCopy(const char* line) {
        const size_t length = std::strlen(line);
        if (length < sizeof(fixed_)) {
            std::memcpy(fixed_, line, length + 1);
            text_ = fixed_;
        } else if (length < UINT32_MAX && !edlb::g_failPrivateAllocations) {
            text_ = static_cast<char*>(KvAlloc(static_cast<uint32_t>(length + 1)));
            if (text_ != nullptr) {
                std::memcpy(text_, line, length + 1);
                onHeap_ = true;
            }
        }
    }
    ~LineCopy() {
        if (onHeap_) KvFree(text_);
    }
    LineCopy(const LineCopy&) = delete;
    LineCopy& operator=(const LineCopy&) = delete;

    bool ok() const { return text_ != nullptr; }
    char* text() const { return text_; }

private:
    char fixed_[edlb::kLineBufferSize];
    char* text_ = nullptr;
    bool onHeap_ = false;
};

// Decimal value of the digits at text (unsigned 32-bit, wrapping); end receives the first
// character after them.
uint32_t readDigits(const char* text, const char** end) {
    uint32_t value = 0;
    while (isDigit(*text)) value = value * 10u + static_cast<uint32_t>(*text++ - '0');
    *end = text;
    return value;
}

// The number that follows a D or W: kept only when its digits end the text, or end at a
// space with a non-zero value.
uint32_t effectNumber(const char* text) {
    if (text == nullptr) return 0;
    const char* end = nullptr;
    const uint32_t value = readDigits(text, &end);
    if (*end == '\0' || (*end == ' ' && value != 0)) return value;
    return 0;
}

}  // namespace

// ---- Simple keyword tests ----

EDLBRIDGE_API int edlLineIsAud(tagKvEdlHandle*, char* line) {
    return line != nullptr && begins(line, "aud", 3);
}
EDLBRIDGE_API int edlLineIsGpi(tagKvEdlHandle*, char* line) {
    return line != nullptr && begins(line, "gpi", 3);
}
EDLBRIDGE_API int edlLineIsM2(tagKvEdlHandle*, char* line) {
    return line != nullptr && begins(line, "m2", 2);
}
// Motion-memory lines are written "M/S"; two characters are enough to tell them apart.
EDLBRIDGE_API int edlLineIsMS(tagKvEdlHandle*, char* line) {
    return line != nullptr && begins(line, "m/", 2);
}
EDLBRIDGE_API int edlLineIsSwitcher(tagKvEdlHandle*, char* line) {
    return line != nullptr && begins(line, "swm", 3);
}
EDLBRIDGE_API int edlTokIsSrc(tagKvEdlHandle*, char* token) {
    return token != nullptr && begins(token, "bl", 2);
}

EDLBRIDGE_API int edlLineIsClip(tagKvEdlHandle* handle, char* line) {
    if (line == nullptr) return 0;
    if (begins(line, "* clip:", 7) || begins(line, "clip:", 5) || begins(line, "; clip:", 7)) {
        return 1;
    }
    // Log lists (type 5) carry one clip per line without a marker.
    const unsigned char first = static_cast<unsigned char>(line[0]);
    const bool looksLikeClip = first == ' ' || (first >= 0x41 && first <= 0x79);
    return looksLikeClip && handle != nullptr && handle->list.dwListType == EDLTYPE_LOG_EXCHANGE;
}

// ---- FCM and title lines ----

EDLBRIDGE_API int edlLineIsFcm(tagKvEdlHandle*, char* line, unsigned int defaultMode,
                               unsigned int* mode) {
    if (mode != nullptr) *mode = defaultMode;
    if (line == nullptr || mode == nullptr) return 0;
    if (!begins(line, "fcm", 3) && !begins(line, "*fcm", 4)) return 0;

    // Rows are tried in order: "NON-DROP" must win over "DROP", "PAL 50" over "PAL".
    if (containsAny(line, {"NON", "non", "Non"})) {
        *mode = EDL_TC_NDF;
    } else if (containsAny(line, {"PAL 50", "50", "pal 50", "Pal 50"})) {
        *mode = EDL_TC_PAL50;
    } else if (containsAny(line, {"PAL", "pal", "Pal"})) {
        *mode = EDL_TC_PAL;
    } else if (containsAny(line, {"DROP", "drop", "Drop"})) {
        *mode = EDL_TC_DF;
    } else if (containsAny(line, {"NTSC FILM"}) && containsAny(line, {"23.98DF"})) {
        *mode = EDL_TC_2398DF;
    } else if (containsAny(line, {"NTSC FILM", "23.98", "ntsc film", "NTSC Film"})) {
        *mode = EDL_TC_2398;
    } else if (containsAny(line, {"FILM", "film", "Film"})) {
        *mode = EDL_TC_FILM;
    } else if (containsAny(line, {"100"})) {
        *mode = EDL_TC_HUNDREDTHS;
    } else if (containsAny(line, {"NTSC 5994", "59.94", "ntsc 5994", "Ntsc 5994", "NTSC 5997",
                                  "59.97", "ntsc 5997", "Ntsc 5997"})) {
        *mode = EDL_TC_NTSC5994;
    } else if (containsAny(line, {"NTSC 60", "60", "ntsc 60", "Ntsc 60"})) {
        *mode = EDL_TC_NTSC60;
    } else if (containsAny(line, {"DIGITAL TV 24P"})) {
        *mode = EDL_TC_FILM;
    }
    return 1;
}

EDLBRIDGE_API int edlLineIsTitle(tagKvEdlHandle* handle, char* line) {
    if (handle == nullptr || line == nullptr || !begins(line, "title", 5)) return 0;
    const char* text = line + 5;
    if (*text == ':') ++text;
    while (*text == ' ' || *text == '\t') ++text;
    // Every control character becomes '!' (a host text may still carry its line end, which
    // must not leave a stale byte of an earlier title behind).
    char* title = handle->list.szTitle;
    uint32_t i = 0;
    for (; i < edlb::kTitleMax && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        title[i] = (c < 32 || c == 255) ? '!' : static_cast<char>(c);
    }
    title[i] = '\0';
    return 1;
}

// ---- Token tests ----

namespace edlb {

}  // namespace edlb

EDLBRIDGE_API int edlTokIsTimecode(tagKvEdlHandle* handle, char* token, unsigned int* frames,
                                   unsigned int* mode) {
    if (token == nullptr || frames == nullptr || mode == nullptr) return 0;
    const int shape = edlb::timecodeShape(handle, token, mode);
    if (shape < 0) return 0;
    tc2Frame(token, *mode, frames);
    return shape;
}

EDLBRIDGE_API int edlTokIsNumeric(tagKvEdlHandle*, char* token, unsigned int* value) {
    if (token == nullptr || value == nullptr) return 0;
    const char* end = nullptr;
    const uint32_t number = readDigits(token, &end);
    if (*end == '\0' || (*end == ' ' && number != 0)) {
        *value = number;
        return 1;
    }
    return 0;
}

// One pass over the track field's forms, in the order they must be tried ('V', 'A', 'B',
// "A2/V", "AA/V", "NONE", "A3" ...): kept whole so that order reads top to bottom in one
// place; each form is a few lines.
EDLBRIDGE_API int edlTokEditType(tagKvEdlHandle*, char* token, unsigned int* video,
                                 unsigned int* audio) {
    if (token == nullptr || video == nullptr || audio == nullptr) return 0;
    const size_t length = std::strlen(token);
    uint32_t videoMask = 0;
    uint32_t audioMask = 0;
    size_t count = 0;

    // Video part: digits after the first capital V, up to the audio part.
    if (const char* v = std::strchr(token, 'V')) {
        count = 1;
        const char* p = v + 1;
        for (; *p != '\0' && *p != 'A' && *p != 'a'; ++p) {
            if (*p >= '1' && *p <= '8') {
                videoMask |= 1u << (*p - '1');
                ++count;
            } else if (*p == 'V' || *p == 'v') {
                ++count;  // "V1V2": every V of a multi-track field is part of it
            }
        }
        if (videoMask == 0) {
            // A bare V ("V", "AV", "A2V", "AA/V") is V1; a V followed by anything else
            // that is not a track ("VTR") is no track field.
            if (*p == '\0' && v[1] != '\0') return 0;
            videoMask = 1;
        }
    } else if (std::strchr(token, 'v') != nullptr) {
        videoMask = 1;
        count = 1;
    }

    // Audio part, from the first A (or a).
    const char* a = std::strchr(token, 'A');
    if (a == nullptr) a = std::strchr(token, 'a');
    if (a == nullptr) {
        if (videoMask == 0) return 0;
    } else if (a[1] == '\0') {
        audioMask = 0x3;  // a lone A is both channels
        ++count;
    } else {
        ++count;
        const char* p = a;
        while (*p != '\0') {
            const bool isA = *p == 'A' || *p == 'a';
            if (isA && p[1] == '1' && p[2] >= '0' && p[2] <= '6') {
                audioMask |= 1u << (9 + (p[2] - '0'));
                p += 3;
                count += 3;
            } else if (isA && p[1] == '1') {
                audioMask |= 0x1;
                p += 2;
                count += 2;
            } else if (isA && p[1] >= '2' && p[1] <= '9') {
                audioMask |= 1u << (p[1] - '1');
                p += 2;
                count += 2;
            } else if (p[0] == 'A' && p[1] == 'A') {
                audioMask |= 0x3;
                p += 2;
                count += 1;
            } else if (isA && (p[1] == '/' || p[1] == 'V' || p[1] == 'v')) {
                // "A/V", "AV": a bare A before the video part is both channels.
                audioMask |= 0x3;
                p += 1;
                count += 1;
            } else if (*p == 'V' || *p == 'v') {
                videoMask |= 1;
                p += 1;
                count += 1;
            } else if (*p == '/' && (p[1] == 'V' || p[1] == 'v')) {
                videoMask |= 1;
                p += 2;
                count += 2;
            } else {
                return 0;
            }
        }
    }

    // Characters the elements above did not account for make it no track field.
    if (length >= count + 2) return 0;
    *video = videoMask;
    *audio = audioMask;
    return 1;
}

int edlb::tokEffectType(char* token, const char* rest, char* editType, unsigned int* number,
                        int* dissolveOrWipe, int* key) {
    if (dissolveOrWipe != nullptr) *dissolveOrWipe = 0;
    if (key != nullptr) *key = 0;
    if (token == nullptr || editType == nullptr || number == nullptr || dissolveOrWipe == nullptr ||
        key == nullptr) {
        return 0;
    }
    const char first = token[0];
    if (first == '\0') return 0;

    // CMX wipe with its pattern number written on: "W001".
    if ((first == 'W' || first == 'w') && isDigit(token[1])) {
        const char* end = nullptr;
        const uint32_t code = readDigits(token + 1, &end);
        if (*end != '\0' && *end != ' ') return 0;
        *number = code;
        *editType = 'W';
        *dissolveOrWipe = 1;
        return 1;
    }
    if (token[1] != '\0' && token[1] != ' ') return 0;

    switch (first) {
        case 'D': case 'd': case 'W': case 'w': {
            // The number is the third character on: inside this text after "D ", or on the
            // line after the separator that ended a one-letter token.
            const char* third = token[1] == ' ' ? token + 2 : rest;
            *number = effectNumber(third);
            *editType = (first == 'D' || first == 'd') ? 'D' : 'W';
            *dissolveOrWipe = 1;
            return 1;
        }
        case 'C': case 'c':
            *editType = 'C';
            *number = 0xFFFFFFFFu;
            return 1;
        case 'K': case 'k':
            *editType = 'K';
            *number = 0;
            *key = 1;
            return 1;
        default:
            return 0;
    }
}

EDLBRIDGE_API int edlTokEffectType(tagKvEdlHandle*, char* token, char* editType,
                                   unsigned int* number, int* dissolveOrWipe, int* key) {
    // A host token is taken to end the line: nothing past its terminator is read.
    const char* rest = (token != nullptr && token[0] != '\0' && token[1] == ' ') ? token + 2
                                                                                 : nullptr;
    return edlb::tokEffectType(token, rest, editType, number, dissolveOrWipe, key);
}

int edlb::tokIsComment(char* token, const char* rest) {
    if (token == nullptr) return 0;
    const char first = token[0];
    if (first != '\'' && first != '*' && first != ';') return 0;
    // "* clip:" and "*clip:" begin clip lines, not comments.
    if (begins(token + 1, "clip:", 5)) return 0;
    const char* afterSecond = token[1] != '\0' ? token + 2 : rest;
    if (afterSecond != nullptr && begins(afterSecond, "clip:", 5)) return 0;
    return 1;
}

EDLBRIDGE_API int edlTokIsComment(tagKvEdlHandle*, char* token) {
    return edlb::tokIsComment(token, nullptr);
}

// ---- Event and comment lines ----

EDLBRIDGE_API int edlLineIsEdit(tagKvEdlHandle* handle, char* line) {
    if (line == nullptr || line[0] == '\0' || line[0] == ';' || line[1] == ';') return 0;
    // A note line such as '* LOC: 00:00:02:19 YELLOW 053_CSC_0750 997' has the shape of an
    // event line (two timecodes and a number) but is always a note of the event before it.
    const char* first = line;
    while (*first == ' ' || *first == '\t') ++first;
    if (*first == '*') return 0;
    LineCopy copy(line);
    if (!copy.ok()) return 0;

    const bool blackIsNoEvent = (listFlags(handle) & EDL_LF_BLACK_NOT_EVENT) != 0;
    int numbers = 0;
    int timecodes = 0;
    // Split in place: each token ends at the next separator, which becomes its terminator.
    char* cursor = copy.text();
    while (true) {
        while (isLineSeparator(*cursor)) ++cursor;
        if (*cursor == '\0') break;
        char* token = cursor;
        while (*cursor != '\0' && !isLineSeparator(*cursor)) ++cursor;
        if (*cursor != '\0') *cursor++ = '\0';
        unsigned int frames = 0;
        unsigned int mode = 0;
        unsigned int video = 0;
        unsigned int audio = 0;
        char editType = 0;
        int dissolve = 0;
        int key = 0;
        const char* end = nullptr;
        readDigits(token, &end);
        if (*end == '\0') {
            ++numbers;
            continue;
        }
        // Only the shape counts here: converting the token would be thrown away.
        if (edlb::timecodeShape(handle, token, &mode) == 1) {
            ++timecodes;
            continue;
        }
        // Track fields and transitions decide nothing, but neither are they a black source;
        // they are only told apart where a black source would matter.
        if (!blackIsNoEvent || !begins(token, "bl", 2)) continue;
        const bool trackOrEffect =
            edlTokEditType(handle, token, &video, &audio) ||
            (token[1] == '\0' &&
             edlb::tokEffectType(token, nullptr, &editType, &frames, &dissolve, &key));
        if (!trackOrEffect) return 0;
    }
    return timecodes >= 2 && numbers >= 1;
}

EDLBRIDGE_API int edlLineIsComment(tagKvEdlHandle* handle, char* line) {
    if (line == nullptr || line[0] == '\0') return 0;
    // Notes that the event reader handles apart from comments. "* FROM CLIP NAME:" is a
    // comment like "*FROM CLIP NAME:": it names the clip; only an empty "* TO CLIP NAME:"
    // says nothing.
    if (begins(line, "*DS ", 4) || begins(line, "FINAL CUT PRO REEL:", 19) ||
        begins(line, "* TO CLIP NAME:", 16)) {
        return 0;
    }
    if (line[0] == '*' || line[0] == ';') return 1;
    if (begins(line, "rem", 3) || begins(line, "note", 4)) return 1;
    if (begins(line, "aud", 3)) return 0;
    unsigned int mode = 0;
    if (edlLineIsFcm(handle, line, 0, &mode)) return 0;
    if (begins(line, "gpi", 3) || begins(line, "m2", 2) || begins(line, "m/", 2) ||
        begins(line, "swm", 3)) {
        return 0;
    }
    if (edlLineIsTitle(handle, line)) return 0;
    if ((listFlags(handle) & EDL_LF_BLACK_NOT_EVENT) != 0) return 0;
    return !edlLineIsEdit(handle, line);
}

namespace edlb {

namespace {

struct CmxCode {
    const char* text;
    uint32_t video, audio;
};

// The codes of CMX 3600 track fields, and the spellings of the same tracks other systems
// write. The first code of a set of tracks is the one written.
constexpr CmxCode kCmxCodes[] = {
    {"V", 1, 0},     {"A", 0, 1},       {"A2", 0, 2},   {"AA", 0, 3},     {"B", 1, 1},
    {"A2/V", 1, 2},  {"AA/V", 1, 3},    {"A1", 0, 1},   {"A1/V", 1, 1},   {"A/V", 1, 1},
};

}  // namespace

bool cmxTrackCode(char* token, unsigned int* video, unsigned int* audio) {
    for (const CmxCode& code : kCmxCodes) {
        if (edlb::equalsNoCase(token, code.text)) {
            *video |= code.video;
            *audio |= code.audio;
            return true;
        }
    }
    // A single channel: 'A3' to 'A16'.
    if ((token[0] == 'A' || token[0] == 'a') && token[1] >= '1' && token[1] <= '9') {
        const bool two = token[2] >= '0' && token[2] <= '9';
        if (token[two ? 3 : 2] == '\0') {
            const unsigned channel = two ? 10u * unsigned(token[1] - '0') + unsigned(token[2] - '0')
                                         : unsigned(token[1] - '0');
            if (channel < 3 || channel > 16) return false;
            *audio |= 1u << (channel - 1);
            return true;
        }
    }
    unsigned int v = 0;
    unsigned int a = 0;
    if (edlTokEditType(nullptr, token, &v, &a) == 0) return false;
    *video |= v;
    *audio |= a;
    return true;
}

const char* cmx3600TrackCode(uint32_t video, uint32_t audio, bool singleChannel) {
    const uint32_t v1 = video & 1u;
    const uint32_t low = audio & 3u;
    if (v1 == 0 && low == 0) {
        static thread_local char single[8];
        const uint32_t high = audio & 0xFFFCu;
        if (singleChannel && high != 0 && (high & (high - 1)) == 0) {
            unsigned channel = 1;
            while ((high >> (channel - 1)) != 1u) ++channel;
            std::snprintf(single, sizeof single, "A%u", channel);
            return single;
        }
        return "NONE";
    }
    for (const CmxCode& code : kCmxCodes) {
        if (code.video == v1 && code.audio == low) return code.text;
    }
    return "NONE";
}

}  // namespace edlb
