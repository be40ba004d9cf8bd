// Comments, clip names and file names of events read from CMX-like lists.
#include <cstring>

#include "parse/reader.h"
#include "services/timecode.h"

namespace edlb {

namespace {

const char* const kReelNote[] = {
    "FINAL CUT PRO REEL:", "Final Cut Pro Reel:", "final cut pro reel:"};
const char* const kClipNote[] = {"FROM CLIP NAME:", "From Clip Name:", "from clip name:"};
const char* const kShot[] = {"shot", "Shot", "SHOT"};

// The first of three spellings that occurs in text; keyLength receives its length.
const char* findSpelling(const char* text, const char* const (&spellings)[3], size_t* keyLength) {
    for (const char* key : spellings) {
        const char* hit = std::strstr(text, key);
        if (hit != nullptr) {
            *keyLength = std::strlen(key);
            return hit;
        }
    }
    return nullptr;
}

const char* skipSpaces(const char* text) {
    while (*text == ' ') ++text;
    return text;
}

// Appends source to destination without letting destination exceed maxChars.
void appendBounded(char* destination, const char* source, size_t maxChars) {
    size_t length = std::strlen(destination);
    while (length < maxChars && *source != '\0') destination[length++] = *source++;
    destination[length] = '\0';
}

// 'v' video only, 'a' audio only, 's' both or neither: the tracks as the line gave them.
char trackLetter(const EdlLine* event) {
    const bool video = event->dwVideoTracks != 0;
    const bool audio = event->dwAudioTracks != 0;
    if (video && !audio) return 'v';
    if (audio && !video) return 'a';
    return 's';
}

bool isCommentControl(unsigned char c) {
    return c < 32 || c == 255;
}

}  // namespace

void copyFixed(char* destination, const char* source, uint32_t maxChars) {
    edlFixString(destination, source, maxChars + 1);
}

void appendCommentText(EdlLine* event, const char* text, uint32_t* commentLength) {
    if (*commentLength >= kCommentMax) return;
    // Room for kCommentMax - length bytes, terminator included.
    edlFixString(event->szComment + *commentLength, text, kCommentMax - *commentLength);
    // The full length counts, so a comment that was cut takes nothing more.
    *commentLength += static_cast<uint32_t>(std::strlen(text));
}

void appendCommentLine(EdlLine* event, const char* line, uint32_t* commentLength) {
    if (*commentLength >= kCommentMax) return;
    const char* text = line;
    if (*text == ';' || *text == '*') ++text;
    appendCommentText(event, skipSpaces(text), commentLength);
}

void applyNoteRule(EdlLine* event) {
    size_t keyLength = 0;
    const char* hit = findSpelling(event->szComment, kReelNote, &keyLength);
    if (hit == nullptr) return;
    const char* text = skipSpaces(hit + keyLength);
    // The reel is the first word of the note; the name keeps the whole text.
    size_t word = 0;
    while (text[word] != '\0' && text[word] != ' ' && text[word] != '\t') ++word;
    if (word > 0) {
        char reel[kReelMax + 1];
        const size_t take = word < kReelMax ? word : kReelMax;
        std::memcpy(reel, text, take);
        reel[take] = '\0';
        copyFixed(event->szReel, reel, kReelMax);
        event->dwPresent |= EDL_P_REEL;
    }
    copyFixed(event->szName, text, 4095);
    appendBounded(event->szName, event->szClipName, kNameMax);
    event->dwPresent |= EDL_P_FILE_NAME;
}

void lookupSource(tagKvEdlHandle* handle, EdlLine* event, uint32_t* commentLength) {
    if (kv_ListCount(&handle->sources) == 0) return;
    if (event->szClipName[0] == '\0') {
        if (event->szReel[0] == '\0') return;
        // The short reel key of a "*DS" event line is the clip; the reel itself is generic.
        copyFixed(event->szClipName, event->szReel, kClipNameMax);
        event->dwPresent |= EDL_P_CLIP_NAME;
        std::strcpy(event->szReel, "001");
    }
    for (void* item = kv_ListHead(&handle->sources); item != nullptr; item = kv_ListNext(item)) {
        const EdlSourceEntry* entry = static_cast<const EdlSourceEntry*>(item);
        if (strncmp(entry->szSourceName, event->szClipName, kSourceFieldSize) != 0) continue;
        char value[kSourceFieldSize];
        const size_t length = strnlen(entry->szSourceValue, kSourceFieldSize - 1);
        std::memcpy(value, entry->szSourceValue, length);
        value[length] = '\0';
        copyFixed(event->szName, value, kNameMax);
        event->dwPresent |= EDL_P_FILE_NAME;
        std::strcpy(event->szComment, "FileName: ");
        appendBounded(event->szComment, value, kCommentMax);
        *commentLength = static_cast<uint32_t>(std::strlen(event->szComment));
        return;
    }
}

void analyseComment(tagKvEdlHandle* handle, EdlLine* event) {
    char* comment = event->szComment;
    size_t length = strnlen(comment, kCommentMax);
    comment[length] = '\0';
    if (length == 0) return;
    while (length > 1 && isCommentControl(static_cast<unsigned char>(comment[length - 1]))) {
        --length;
    }
    comment[length] = '\0';

    // The last ';' separates a trailing clip name or file name from the comment.
    size_t semicolon = length;
    bool slashOrColon = false;
    for (size_t i = length; i > 0; --i) {
        const char c = comment[i - 1];
        if (c == ';') {
            semicolon = i - 1;
            break;
        }
        if (c == '/' || c == ':') slashOrColon = true;
    }
    // A clip line's comment keeps its leading ';' marker: that one separates nothing.
    const bool clipMarker = semicolon == 0 && (event->dwPresent & EDL_P_LINE_COMMENT) != 0 &&
                            *skipSpaces(comment + 1) != '\0';
    if (semicolon < length && !clipMarker) {
        char* candidate = const_cast<char*>(skipSpaces(comment + semicolon + 1));
        const size_t candidateLength = std::strlen(candidate);
        if (candidateLength == 0) {
            // "; " with nothing after it names nothing; the clip name stays.
        } else if (!slashOrColon && std::strchr(candidate, '.') == nullptr && candidateLength < 9) {
            copyFixed(event->szClipName, candidate, kClipNameMax);
            event->dwPresent |= EDL_P_CLIP_NAME;
        } else {
            copyFixed(event->szName, candidate, kNameMax);
            event->dwPresent |= EDL_P_FILE_NAME;
        }
        size_t end = static_cast<size_t>(candidate - comment);
        while (end > 0 &&
               (comment[end - 1] == ' ' || comment[end - 1] == '\t' || comment[end - 1] == ';')) {
            --end;
        }
        comment[end] = '\0';
        length = end;
    }

    if ((event->dwPresent & EDL_P_CLIP_NAME) == 0) {
        size_t keyLength = 0;
        bool named = false;
        if (const char* shot = findSpelling(comment, kShot, &keyLength)) {
            copyFixed(event->szClipName, shot + keyLength, kClipNameMax);
            if (event->szClipName[0] != '\0') event->szClipName[0] = trackLetter(event);
            named = true;
        } else if (const char* note = findSpelling(comment, kClipNote, &keyLength)) {
            copyFixed(event->szName, skipSpaces(note + keyLength), 4095);
            const size_t take = length < 9 ? length : 9;
            copyFixed(event->szClipName, comment + length - take, kClipNameMax);
            if (event->szClipName[0] != '\0') event->szClipName[0] = trackLetter(event);
            named = true;
        }
        if (named) {
            event->dwPresent |= EDL_P_CLIP_NAME;
            if ((event->dwPresent & EDL_P_FILE_NAME) == 0) {
                event->szName[0] = '\0';
                const char* title = handle->list.szTitle;
                if (strnlen(title, kTitleMax + 1) > 0) {
                    char titleCopy[kTitleMax + 1];
                    const size_t titleLength = strnlen(title, kTitleMax);
                    std::memcpy(titleCopy, title, titleLength);
                    titleCopy[titleLength] = '\0';
                    appendBounded(event->szName, titleCopy, kNameMax);
                    appendBounded(event->szName, "\\", kNameMax);
                }
                appendBounded(event->szName, event->szClipName, kNameMax);
                event->dwPresent |= EDL_P_FILE_NAME;
            }
        }
    }

    if ((event->dwPresent & EDL_P_CLIP_NAME) == 0) {
        // Nothing in the comment names the clip: its source in stands for it.
        char text[32] = {};
        tc2String(event->dwSrcIn, (handle->dwTcFlags & ~0x10000u) | 0x20000u, text);
        text[sizeof text - 1] = '\0';
        copyFixed(event->szClipName, text, kClipNameMax);
    }
}

}  // namespace edlb
