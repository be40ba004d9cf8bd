// The event reader of CMX-like lists: one event line (or clip line) per call, with the
// comment and note lines that follow it.
#include <cstring>
#include <utility>

#include "core/byte_scan.h"
#include "core/handle.h"
#include "core/portable.h"
#include "core/readers.h"
#include "core/tc_modes.h"
#include "core/text.h"
#include "parse/classify.h"
#include "parse/reader.h"
#include "services/clip.h"
#include "services/timecode.h"

namespace {

using namespace edlb;

// A line of at most kLineLimit - 1 characters holds at most this many tokens.
constexpr int kMaxTokens = static_cast<int>(kLineBufferSize / 2) + 1;

// The tokens of one line. Each token is terminated inside a private copy; the original
// line stays whole, so the text after a token is always this line's own text.
struct Tokens {
    const char* line = nullptr;
    char work[kLineBufferSize];
    int start[kMaxTokens];
    int count = 0;

    char* token(int i) { return work + start[i]; }
    const char* source(int i) const { return line + start[i]; }
    // The text after the separator that ended token i; null when the token ends the line.
    const char* rest(int i) const {
        const int end = start[i] + static_cast<int>(std::strlen(work + start[i]));
        return line[end] == '\0' ? nullptr : line + end + 1;
    }
};

bool isSeparator(char c) { return isBlankOrLineEnd(c); }

void tokenize(const char* line, Tokens* tokens) {
    const size_t length = strnlen(line, kLineBufferSize - 1);
    std::memcpy(tokens->work, line, length);
    tokens->work[length] = '\0';
    tokens->line = line;
    tokens->count = 0;
    // The line itself is scanned, not the copy just written: bytes read back from a copy
    // still being stored wait for it.
    forEachToken(line, length, [tokens, length](size_t start, size_t end) {
        tokens->start[tokens->count++] = static_cast<int>(start);
        if (end < length) tokens->work[end] = '\0';
        return tokens->count < kMaxTokens;
    });
}

bool allDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return false;
    }
    return true;
}

uint32_t digitsValue(const char* text) {
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + uint32_t(*text - '0');
    return value;
}

// "W001": a wipe letter written together with its number, which is then no longer
// followed by one.
bool isJoinedWipe(const char* token) {
    return (token[0] == 'W' || token[0] == 'w') && token[1] >= '0' && token[1] <= '9';
}

// Raw copy of a line into an event's line text.
void copyRaw(char* destination, const char* source, size_t maxChars) {
    const size_t length = strnlen(source, maxChars);
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

bool pushBack(tagKvEdlHandle* handle) {
    return ungetline(handle) != 0;
}

// The line pushed back at the end of the last event, when the line buffer still holds it and
// the file stands at its start: the reading moves on past it as getLine would have.
bool takeHeldLine(tagKvEdlHandle* handle) {
    const int64_t end = handle->lHeldLineEnd;
    handle->lHeldLineEnd = 0;
    if (end == 0 || readPosition(handle) != handle->lLineStart || !seekTo(handle, end)) {
        return false;
    }
    handle->dwLineEnd = end;
    return true;
}

// The mode of an FCM line comes into force: the timecode flags word is rebuilt for it, as
// edlOpen builds it for reading.
void applyTimecodeMode(tagKvEdlHandle* handle, unsigned int mode) {
    EdlList& list = handle->list;
    list.dwCurTcMode = (mode & EDL_TCF_MODE_MASK) == 0 ? list.dwTcMode : mode;
    handle->dwTcFlags = timecodeFlagsWord(list.dwCurTcMode, list.dwFlags, false);
}

// Without a place for the frames only the answer is wanted, and nothing is converted.
bool isTimecodeToken(tagKvEdlHandle* handle, char* token, uint32_t* frames) {
    unsigned int mode = handle->dwTcFlags;
    if (frames == nullptr) return timecodeShape(handle, token, &mode) == 1;
    return edlTokIsTimecode(handle, token, frames, &mode) != 0;
}

// The frame count of a timecode token, as tc2Frame gives it; 'HH:MM:SS:FF', as event lines
// write their times, is read here at once.
uint32_t framesOf(const char* token, unsigned int flags) {
    uint32_t fields[4];
    if (fullTimecodeFields(token, fields)) {
        return tcFramesOf({fields[0], fields[1], fields[2], fields[3]}, flags);
    }
    unsigned int frames = 0;
    tc2Frame(token, flags, &frames);
    return frames;
}

void storeTimecode(tagKvEdlHandle* handle, EdlLine* event, uint32_t index, uint32_t frames) {
    const uint32_t flags = handle->list.dwFlags;
    switch (index) {
        case 0:
            if ((flags & EDL_LF_NO_SOURCE_TC) != 0) break;
            event->dwSrcIn = event->dwMarkIn = frames;
            event->dwPresent |= EDL_P_SRC_IN;
            break;
        case 1:
            if ((flags & EDL_LF_NO_SOURCE_TC) != 0) break;
            event->dwSrcOut = event->dwMarkOut = frames;
            event->dwPresent |= EDL_P_SRC_OUT;
            break;
        case 2:
            if ((flags & EDL_LF_NO_RECORD_TC) != 0) break;
            event->dwRecIn = frames;
            event->dwPresent |= EDL_P_REC_IN;
            break;
        case 3:
            if ((flags & EDL_LF_NO_RECORD_TC) != 0) break;
            event->dwRecOut = frames;
            event->dwPresent |= EDL_P_REC_OUT;
            break;
        case 4:
            event->lAudioOffset = static_cast<int32_t>(frames);
            event->dwPresent |= EDL_P_AUDIO_OFFSET;
            break;
        default:
            break;
    }
}

// Reads the effect length that may follow the number of a dissolve or wipe at token k.
// Returns the index of the last token consumed. The event's own times are never taken:
// a timecode counts as a length only when the four times of the event still follow it.
int readEffectLength(tagKvEdlHandle* handle, EdlLine* event, Tokens& tokens, int k, int fieldEnd,
                     const int* timecodesAfter, int consumed) {
    if (k >= fieldEnd) {
        event->dwPresent |= EDL_P_EFFECT_FIELDS;
        return consumed;
    }
    unsigned int value = 0;
    if (allDigits(tokens.token(k)) && edlTokIsNumeric(handle, tokens.token(k), &value) != 0) {
        event->dwEffectLen = value;
        event->dwPresent |= EDL_P_EFFECT_FIELDS;
        return k;
    }
    uint32_t frames = 0;
    if (timecodesAfter[k] >= 4 && isTimecodeToken(handle, tokens.token(k), &frames)) {
        event->dwEffectLen = frames;
        event->dwPresent |= EDL_P_EFFECT_FIELDS;
        return k;
    }
    return consumed;
}

// What is known of a line's tokens before its fields are read: where the comment that ends
// the fields begins, which tokens are timecodes with the mode each converts with, and how
// many timecodes follow each token.
struct LineShape {
    int fieldEnd = 0;
    bool timecode[kMaxTokens];
    unsigned int modes[kMaxTokens];
    int timecodesAfter[kMaxTokens];
};

void shapeTokens(tagKvEdlHandle* handle, Tokens& tokens, LineShape* shape) {
    const bool givenRate =
        (handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0 && handle->list.dwReserved != 0;
    shape->fieldEnd = tokens.count;
    for (int i = 0; i < tokens.count; ++i) {
        // Only a token that begins with a comment mark can be one: the text after it is
        // looked for only then.
        const char first = tokens.token(i)[0];
        const bool marked = first == '\'' || first == '*' || first == ';';
        if (marked && tokIsComment(tokens.token(i), tokens.rest(i)) != 0) {
            shape->fieldEnd = i;
            break;
        }
    }
    int after = 0;
    for (int i = tokens.count - 1; i >= 0; --i) {
        shape->timecodesAfter[i] = after;
        shape->modes[i] = handle->dwTcFlags;
        // A timecode begins with a digit: other tokens need not be measured.
        const char* token = tokens.token(i);
        shape->timecode[i] = i < shape->fieldEnd && token[0] >= '0' && token[0] <= '9' &&
                             timecodeShape(handle, token, &shape->modes[i]) == 1;
        // A rate the host gave counts every timecode, whatever its separators.
        if (givenRate) shape->modes[i] = handle->dwTcFlags;
        if (shape->timecode[i]) ++after;
    }
}

// A key in the form lists written for interchange carry: 'K', 'KB' or 'KO' (or 'K B'), then
// its length. Returns the index of the last token consumed.
int readKeyFields(tagKvEdlHandle* handle, EdlLine* event, Tokens& tokens, int i, int fieldEnd) {
    event->szEffectText[0] = '\0';
    const char* token = tokens.token(i);
    char kind = token[1] != '\0' ? static_cast<char>(token[1] & ~0x20) : '\0';
    if (kind == '\0' && i + 1 < fieldEnd) {
        const char* next = tokens.token(i + 1);
        const char letter = static_cast<char>(next[0] & ~0x20);
        if (next[1] == '\0' && (letter == 'B' || letter == 'O')) {
            kind = letter;
            ++i;
        }
    }
    if (kind != '\0') {
        event->szEffectText[0] = kind;
        event->szEffectText[1] = '\0';
    }
    unsigned int length = 0;
    if (i + 1 < fieldEnd && allDigits(tokens.token(i + 1)) &&
        edlTokIsNumeric(handle, tokens.token(i + 1), &length) != 0) {
        event->dwEffectLen = length;
        event->dwPresent |= EDL_P_EFFECT_FIELDS;
        ++i;
    }
    return i;
}

bool isJoinedKey(const char* token) {
    const char kind = static_cast<char>(token[1] & ~0x20);
    return (token[0] == 'K' || token[0] == 'k') && (kind == 'B' || kind == 'O') && token[2] == '\0';
}

// The transition field at token i, once the track field has been read: C, D or W with their
// numbers, or K with its text. Returns the index of the last token it consumed, or -1 when
// the token is no effect token (it is then read as any other field).
int readTransition(tagKvEdlHandle* handle, EdlLine* event, Tokens& tokens, int i,
                   const LineShape& shape, bool interchange) {
    char* token = tokens.token(i);
    char editType = 'C';
    unsigned int number = 0;
    int dissolveOrWipe = 0;
    int key = 0;
    if (interchange && isJoinedKey(token)) {
        event->chEditType = 'K';
        event->dwWipeCode = 0;
        event->dwPresent |= EDL_P_EFFECT | EDL_P_KEY;
        return readKeyFields(handle, event, tokens, i, shape.fieldEnd);
    }
    if (tokEffectType(token, tokens.rest(i), &editType, &number, &dissolveOrWipe, &key) == 0) {
        return -1;
    }
    const int fieldEnd = shape.fieldEnd;
    const bool joined = isJoinedWipe(token);
    event->chEditType = editType;
    event->dwWipeCode = number;
    event->dwPresent |= EDL_P_EFFECT;
    if (dissolveOrWipe != 0) {
        int next = i + 1;
        unsigned int value = 0;
        if (!joined && next < fieldEnd && allDigits(tokens.token(next)) &&
            edlTokIsNumeric(handle, tokens.token(next), &value) != 0) {
            event->dwWipeCode = value;
            i = next++;
            i = readEffectLength(handle, event, tokens, next, fieldEnd, shape.timecodesAfter, i);
        } else if (joined) {
            i = readEffectLength(handle, event, tokens, next, fieldEnd, shape.timecodesAfter, i);
        } else if (next >= fieldEnd) {
            event->dwPresent |= EDL_P_EFFECT_FIELDS;
        }
        // Any other token after the letter is a field of the event.
    } else if (key != 0 && interchange) {
        event->dwPresent |= EDL_P_KEY;
        i = readKeyFields(handle, event, tokens, i, fieldEnd);
    } else if (key != 0) {
        event->dwPresent |= EDL_P_KEY;
        // The key's text is the next field, unless that is already one of the event's times.
        if (i + 1 < fieldEnd && !isTimecodeToken(handle, tokens.token(i + 1), nullptr)) {
            copyFixed(event->szEffectText, tokens.token(++i), kEffectTextMax);
        } else {
            event->szEffectText[0] = '\0';
        }
    }
    // For interchange a dissolve's number is its length, where a wipe's and a key's go.
    if (interchange && editType == 'D' && event->dwEffectLen == 0) {
        event->dwEffectLen = event->dwWipeCode;
        event->dwWipeCode = 0;
    }
    if (event->dwWipeCode != 0) event->dwPresent |= EDL_P_EFFECT_NUMBER;
    return i;
}

// An effect token where the track field should be: the event line has no track field.
bool isTransitionToken(const char* token) {
    const char letter = static_cast<char>(token[0] & ~0x20);
    const bool single = token[1] == '\0' &&
                        (letter == 'C' || letter == 'D' || letter == 'W' || letter == 'K');
    return single || isJoinedWipe(token) || isJoinedKey(token);
}

bool isTrackCode(char* token) {
    unsigned int video = 0;
    unsigned int audio = 0;
    return equalsNoCase(token, "NONE") || cmxTrackCode(token, &video, &audio);
}

// Interchange: the track field after the reel, by its CMX 3600 code; a code no list defines
// gives the event no tracks and says so.
void readTrackCode(EdlLine* event, char* token, ReadState& state) {
    if (equalsNoCase(token, "NONE")) {
        // "NONE": the event's tracks are all on its "AUD" lines.
        state.tracksOnAudioLine = true;
    } else if (!cmxTrackCode(token, &event->dwVideoTracks, &event->dwAudioTracks)) {
        event->dwPresent |= EDL_P_UNKNOWN_TRACKS;
        state.tracksOnAudioLine = true;
    }
}

// The rest of the line from token i on is comment; a lone marker is followed by its text.
// For interchange it is the first note of the event, without its marker.
void readLineComment(EdlLine* event, Tokens& tokens, int i, ReadState& state) {
    if (state.interchange) {
        appendNoteLine(event, tokens.source(i), state);
        return;
    }
    const char* token = tokens.token(i);
    const char* text = token[1] == '\0' ? (i + 1 < tokens.count ? tokens.source(i + 1) : nullptr)
                                        : tokens.source(i);
    if (text != nullptr) appendCommentText(event, text, state);
}

// The fields of an event line, token by token: edit number, reel, tracks, transition, the
// times, and the comment that ends the line.
void readFields(tagKvEdlHandle* handle, EdlLine* event, Tokens& tokens, const LineShape& shape,
                ReadState& state) {
    uint32_t timecodeIndex = 0;
    bool trackSeen = false;
    for (int i = 0; i < tokens.count; ++i) {
        char* token = tokens.token(i);
        if (i == shape.fieldEnd) {
            readLineComment(event, tokens, i, state);
            break;
        }
        // A timecode has a separator, so no token is both a timecode and all digits.
        if (shape.timecode[i]) {
            storeTimecode(handle, event, timecodeIndex++, framesOf(token, shape.modes[i]));
            continue;
        }
        if (allDigits(token)) {
            if ((event->dwPresent & EDL_P_EDIT_NUMBER) == 0) {
                event->dwEditNum = digitsValue(token);
                event->dwPresent |= EDL_P_EDIT_NUMBER;
            } else {
                copyFixed(event->szReel, token, kReelMax - 1);
                event->dwPresent |= EDL_P_REEL;
            }
            continue;
        }
        // After the reel comes the track field, read by its CMX 3600 code; a code no list
        // defines gives the event no tracks, and says so.
        // A list written without a reel has the track code first: a code the transition
        // follows is the track field.
        const bool noReel = (event->dwPresent & EDL_P_REEL) == 0 && i + 1 < shape.fieldEnd &&
                            isTransitionToken(tokens.token(i + 1)) && isTrackCode(token);
        if (state.interchange && ((event->dwPresent & EDL_P_REEL) != 0 || noReel) && !trackSeen) {
            trackSeen = true;
            if (isTransitionToken(token)) {
                // No track field at all: no tracks either.
                event->dwPresent |= EDL_P_UNKNOWN_TRACKS;
                state.tracksOnAudioLine = true;
            } else {
                event->dwPresent |= EDL_P_TRACKS;
                readTrackCode(event, token, state);
                continue;
            }
        }
        if (trackSeen) {
            const int last = readTransition(handle, event, tokens, i, shape, state.interchange);
            if (last >= 0) {
                i = last;
                continue;
            }
        }
        unsigned int video = 0;
        unsigned int audio = 0;
        if (edlTokEditType(handle, token, &video, &audio) != 0) {
            event->dwVideoTracks |= video;
            event->dwAudioTracks |= audio;
            event->dwPresent |= EDL_P_TRACKS;
            trackSeen = true;
            continue;
        }
        if ((event->dwPresent & EDL_P_REEL) == 0) {
            copyFixed(event->szReel, token, kReelMax - 1);
            event->dwPresent |= EDL_P_REEL;
        }
    }
}

// Record defaults: a missing record in follows the previous event on the record side, and a
// missing record out lies one source length after the record in.
void applyRecordDefaults(tagKvEdlHandle* handle, EdlLine* event) {
    if ((handle->list.dwFlags & EDL_LF_SWAP_SRC_REC) != 0) {
        std::swap(event->dwSrcIn, event->dwRecIn);
        std::swap(event->dwSrcOut, event->dwRecOut);
    }
    if (event->dwRecIn == 0) event->dwRecIn = handle->dwRecorderIn;
    if (event->dwRecOut == 0 || event->dwRecOut <= event->dwRecIn) {
        const uint32_t length = event->dwSrcIn > event->dwSrcOut ? event->dwSrcIn - event->dwSrcOut
                                                                 : event->dwSrcOut - event->dwSrcIn;
        event->dwRecOut = event->dwRecIn + length;
        handle->dwRecorderIn = event->dwRecOut;
    }
}

void readEventLine(tagKvEdlHandle* handle, EdlLine* event, const char* line, ReadState& state) {
    copyRaw(event->szLine, line, kLineMax);
    Tokens tokens;
    tokenize(line, &tokens);
    LineShape shape;
    shapeTokens(handle, tokens, &shape);
    readFields(handle, event, tokens, shape, state);
    lookupSource(handle, event, state);
    applyRecordDefaults(handle, event);
}

// The whole name a clip line gives: the quoted text from the token on (up to its closing
// quote), or the token itself.
void wholeClipName(const char* line, const char* token, ReadState& state) {
    const char* found = std::strstr(line, token);
    const char* text = found != nullptr ? found : token;
    const char quote = (*text == '\'' || *text == '"') ? *text : '\0';
    if (quote != '\0') ++text;
    size_t length = 0;
    if (quote != '\0') {
        const char* close = std::strchr(text, quote);
        length = close != nullptr ? static_cast<size_t>(close - text) : std::strlen(text);
    } else {
        while (text[length] != '\0' && !isSeparator(text[length])) ++length;
    }
    if (length > kNameMax) length = kNameMax;
    copyFixed(state.clipName, text, static_cast<uint32_t>(length));
}

void setClipName(EdlLine* event, const char* line, const char* token) {
    const char* found = std::strstr(line, token);
    char name[kClipNameMax + 6] = {};
    if (found != nullptr) {
        const bool quoted = *found == '\'' || *found == '"';
        strcpyClip(name, quoted ? found + 1 : found);
    } else {
        const char* text = (*token == '\'' || *token == '"') ? token + 1 : token;
        strcpyClip(name, text);
    }
    name[kClipNameMax] = '\0';
    size_t length = std::strlen(name);
    if (length > 0 && (name[length - 1] == '\'' || name[length - 1] == '"')) {
        name[length - 1] = ' ';
    }
    for (size_t i = 0; i < 8 && i < length; ++i) {
        if (name[i] == '\'') {
            name[i] = '\0';
            break;
        }
    }
    copyFixed(event->szClipName, name, kClipNameMax);
    event->dwPresent |= EDL_P_CLIP_NAME;
}

void readClipLine(tagKvEdlHandle* handle, EdlLine* event, const char* line, ReadState& state) {
    event->dwPresent |= EDL_P_CLIP_EVENT;
    copyRaw(event->szLine, line, kLineMax);
    Tokens tokens;
    tokenize(line, &tokens);
    int timecodes = 0;
    bool named = false;
    for (int i = 0; i < tokens.count; ++i) {
        char* token = tokens.token(i);
        if (i == 0 && tokens.start[0] == 0 && (*token == ';' || *token == '*')) continue;
        if (beginsNoCase(token, "clip:", 5)) continue;
        uint32_t frames = 0;
        if (isTimecodeToken(handle, token, &frames)) {
            if (timecodes == 0) {
                event->dwSrcIn = frames;
                event->dwPresent |= EDL_P_SRC_IN;
            } else if (timecodes == 1) {
                event->dwSrcOut = frames;
                event->dwPresent |= EDL_P_SRC_OUT;
            }
            ++timecodes;
            continue;
        }
        if (!named) {
            setClipName(event, line, token);
            if (state.interchange) wholeClipName(line, token, state);
            named = true;
            continue;
        }
        if ((*token == '*' || *token == ';') && tokIsComment(token, tokens.rest(i)) != 0) {
            if (state.interchange) {
                appendNoteLine(event, tokens.source(i), state);
                event->dwPresent |= EDL_P_LINE_COMMENT;
                break;
            }
            copyFixed(event->szComment, tokens.source(i), kCommentMax);
            edlStripTrailing(event->szComment, kCommentMax);
            event->dwPresent |= EDL_P_LINE_COMMENT;
            break;
        }
    }
}

uint32_t finishEvent(tagKvEdlHandle* handle, EdlLine* event, const ReadState& state) {
    if ((handle->list.dwFlags & EDL_LF_NO_COMMENTS) == 0) {
        if (state.interchange) {
            analyseNotes(event, state);
        } else {
            analyseComment(handle, event);
        }
    }
    // Modes are values, not bit sets: hundredths (0x44) share a bit with drop frame but
    // count no drop frame.
    if (tcMode(handle->list.dwCurTcMode).dropFrame) {
        event->dwLineFlags |= EDL_LINE_DROP_FRAME;
    } else {
        event->dwLineFlags &= ~EDL_LINE_DROP_FRAME;
    }
    if (state.tracksOnAudioLine) {
        // Interchange: "NONE" or an unknown code; the "AUD" lines give what there is.
        event->dwAudioTracks = state.audioTracks;
    } else if (event->dwVideoTracks == 0 && event->dwAudioTracks == 0) {
        event->dwVideoTracks = 1;
        event->dwAudioTracks = 0xFFFFFFFFu;
    } else {
        // An "AUD 3 4" line adds the tracks its event line has no room for.
        event->dwAudioTracks |= state.audioTracks;
    }
    return EDL_OK;
}

bool beginsWith(const char* line, const char* keyword) {
    return edlb::beginsNoCase(line, keyword, std::strlen(keyword));
}

// What a line is to the event being read.
enum class LineKind {
    Clip,     // a clip line: a whole event
    Audio,    // an "AUD" line: the audio channels of the event before it
    Mode,     // an "FCM:" line: the timecode mode from here on
    Motion,   // interchange: an "M2" line, a note of the event before it
    Control,  // GPI, M2, MS, switcher and title lines: part of no event
    Event,    // an event line
    Note,     // anything else: a comment or note of the event, or nothing
};

// An event line found before is known by where it was found: the line that was pushed back
// comes again on the next call, and the classifier need not test it twice.
bool isKnownEventLine(const tagKvEdlHandle* handle) {
    return handle->lEventLineAt == handle->lLineStart + 1 &&
           handle->dwEventLineFlags == handle->list.dwFlags;
}

bool isEventLine(tagKvEdlHandle* handle, char* line) {
    if (isKnownEventLine(handle)) return true;
    // Read for interchange, an event line is one as lists write them.
    if ((handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0) return isInterchangeEventLine(handle, line);
    return edlLineIsEdit(handle, line) != 0;
}

// The first test that accepts the line decides: classifiers overlap (for interchange an "M2"
// line is a note before it can count as a control line), so the order is the precedence.
// An "FCM:" line leaves its mode in *mode.
LineKind classifyLine(tagKvEdlHandle* handle, char* line, bool interchange, unsigned int* mode) {
    // The event line pushed back at the end of the last event: the tests before the event
    // line test rejected it then and would again.
    if (isKnownEventLine(handle)) return LineKind::Event;
    // Every keyword below begins with a letter, '*' or ';', and a clip line of a log begins
    // with a blank or a letter: a line that begins with a digit can only be an event line.
    if (line[0] >= '0' && line[0] <= '9') {
        return isEventLine(handle, line) ? LineKind::Event : LineKind::Note;
    }
    // Read for interchange, a note line ('*' first) can only be a clip line ("* clip:") or
    // an FCM line ("*fcm"): no other keyword begins with '*', and no event line does.
    if (interchange && line[0] == '*') {
        if (edlLineIsClip(handle, line) != 0) return LineKind::Clip;
        if (edlLineIsFcm(handle, line, handle->list.dwTcMode, mode) != 0) return LineKind::Mode;
        return LineKind::Note;
    }
    if (edlLineIsClip(handle, line) != 0) return LineKind::Clip;
    if (beginsWith(line, "aud")) return LineKind::Audio;
    if (edlLineIsFcm(handle, line, handle->list.dwTcMode, mode) != 0) return LineKind::Mode;
    if (interchange && edlLineIsM2(handle, line) != 0) return LineKind::Motion;
    if (edlLineIsGpi(handle, line) != 0 || edlLineIsM2(handle, line) != 0 ||
        edlLineIsMS(handle, line) != 0 || edlLineIsSwitcher(handle, line) != 0 ||
        edlLineIsTitle(handle, line) != 0) {
        return LineKind::Control;
    }
    if (isEventLine(handle, line)) return LineKind::Event;
    return LineKind::Note;
}

// What the reader does once a line is taken: read on, return the event, or return it and
// leave the line (the start of the next event) to be read again.
enum class Step { ReadOn, Finish, FinishBefore };

// A line that belongs to no event line: a comment or note of the event being read.
void takeNote(tagKvEdlHandle* handle, EdlLine* event, char* line, ReadState& state) {
    if (state.interchange) {
        // Every note is kept, but the source definitions of a "*DS" list, which belong
        // to the whole list.
        if (!beginsWith(line, "*DS ")) appendNoteLine(event, line, state);
    } else if (edlLineIsComment(handle, line) != 0) {
        appendCommentLine(event, line, state);
    } else {
        applyNoteRule(event);
    }
}

// Takes one classified line into the event. pending: an event line has been read and its
// event goes on until a line that ends it.
Step takeLine(tagKvEdlHandle* handle, EdlLine* event, char* line, LineKind kind, unsigned int mode,
              ReadState& state, bool& pending) {
    switch (kind) {
        case LineKind::Clip:
            if (pending) return Step::FinishBefore;
            readClipLine(handle, event, line, state);
            return Step::Finish;
        case LineKind::Audio:
            if (!state.interchange) return pending ? Step::FinishBefore : Step::ReadOn;
            // The audio channels of the event: a note of it, and tracks it adds.
            appendNoteLine(event, line, state);
            if (pending) state.audioTracks |= audioLineTracks(line);
            return Step::ReadOn;
        case LineKind::Mode:
            // The mode takes effect when the line is consumed, so the event before it keeps
            // its own drop-frame flag.
            if (pending) return Step::FinishBefore;
            if (state.interchange) mode = interchangeFcmMode(handle->list, line, mode);
            applyTimecodeMode(handle, mode);
            return Step::ReadOn;
        case LineKind::Motion:
            // A motion effect belongs to the event it follows.
            appendNoteLine(event, line, state);
            return Step::ReadOn;
        case LineKind::Control:
            return pending ? Step::FinishBefore : Step::ReadOn;
        case LineKind::Event:
            handle->lEventLineAt = handle->lLineStart + 1;
            handle->dwEventLineFlags = handle->list.dwFlags;
            if (pending) return Step::FinishBefore;
            readEventLine(handle, event, line, state);
            pending = true;
            return Step::ReadOn;
        case LineKind::Note:
            if (state.interchange && looksLikeEventLine(line)) {
                char joined[kLineBufferSize];
                if (joinWrappedLine(handle, line, joined)) {
                    if (pending) return Step::FinishBefore;
                    readEventLine(handle, event, joined, state);
                    pending = true;
                    return Step::ReadOn;
                }
                // Kept as a note, but never silently: the event says where the line is.
                if ((event->dwPresent & EDL_P_UNREAD_LINE) == 0) {
                    event->dwPresent |= EDL_P_UNREAD_LINE;
                    event->dwEffect = lineNumberAt(handle, handle->lLineStart);
                }
            }
            takeNote(handle, event, line, state);
            return Step::ReadOn;
    }
    return Step::ReadOn;
}

}  // namespace

uint32_t edlb::readEventLines(tagKvEdlHandle* handle, EdlLine* event) {
    EdlList& list = handle->list;
    if (handle->pszLineBuf == nullptr) return EDL_NO_LINE_BUFFER;
    if (handle->dwReading == 0) return EDL_WRONG_DIRECTION;
    if (edlb::atEnd(handle)) return EDL_END_OF_LIST;
    if ((list.dwFlags2 & EDL_LF2_DEFAULT_REEL) != 0) {
        copyRaw(event->szReel, list.szDefReel, strnlen(list.szDefReel, kReelMax));
    }

    char* line = handle->pszLineBuf;
    bool pending = false;
    // Large (a whole clip name): one per handle would do, but a call keeps its own so that
    // nothing of an earlier read can leak into this one.
    ReadState state;
    state.interchange = (list.dwFlags & EDL_LF_INTERCHANGE) != 0;
    for (;;) {
        // The end of the list, or a line that cannot be read, ends an event under way;
        // without one the two ends give different results.
        if (edlb::atEnd(handle)) {
            return pending ? finishEvent(handle, event, state) : EDL_END_OF_LIST;
        }
        if (!takeHeldLine(handle) && getLine(handle, line, kLineLimit) == 0) {
            return pending ? finishEvent(handle, event, state) : EDL_NO_LINE;
        }
        unsigned int mode = 0;
        const LineKind kind = classifyLine(handle, line, state.interchange, &mode);
        switch (takeLine(handle, event, line, kind, mode, state, pending)) {
            case Step::ReadOn:
                break;
            case Step::Finish:
                return finishEvent(handle, event, state);
            case Step::FinishBefore: {
                const int64_t end = handle->dwLineEnd;
                pushBack(handle);
                // An event line is read as it is (a wrapped one is read with the line after
                // it): the buffer keeps what reading it again would give.
                if (kind == LineKind::Event) handle->lHeldLineEnd = end;
                return finishEvent(handle, event, state);
            }
        }
    }
}
