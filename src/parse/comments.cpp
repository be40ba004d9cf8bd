// Comments, clip names and file names of events read from CMX-like lists.
#include <cstdio>
#include <cstring>

#include "core/byte_scan.h"
#include "core/portable.h"
#include "core/text.h"
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

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char* skipBlanks(const char* text) {
    while (isBlank(*text)) ++text;
    return text;
}

bool isDigitChar(char c) { return c >= '0' && c <= '9'; }

// The text of a note line after its keyword, blanks trimmed; null when it is empty. The
// result points into a scratch copy of size bytes.
const char* textAfterKeyword(const char* line, size_t length, size_t keyLength, char* scratch,
                             size_t size) {
    const char* text = skipBlanks(line + keyLength);
    size_t take = length - static_cast<size_t>(text - line);
    while (take > 0 && isBlank(text[take - 1])) --take;
    if (take == 0) return nullptr;
    if (take > size - 1) take = size - 1;
    std::memcpy(scratch, text, take);
    scratch[take] = '\0';
    return scratch;
}

// The first line of a comment that begins with each of a few keywords (any case).
template <size_t N>
struct NoteLines {
    const char* const (&keywords)[N];
    const char* line[N] = {};
    size_t length[N] = {};

    NoteLines(const char* comment, const char* const (&words)[N]) : keywords(words) {
        size_t keyLength[N];
        for (size_t k = 0; k < N; ++k) keyLength[k] = std::strlen(keywords[k]);
        for (const char* start = comment; *start != '\0';) {
            const char* end = std::strchr(start, '\n');
            const size_t size = end != nullptr ? static_cast<size_t>(end - start) : std::strlen(start);
            for (size_t k = 0; k < N; ++k) {
                if (line[k] == nullptr && size >= keyLength[k] &&
                    beginsNoCase(start, keywords[k], keyLength[k])) {
                    line[k] = start;
                    length[k] = size;
                }
            }
            if (end == nullptr) break;
            start = end + 1;
        }
    }

    // The text after keyword k on its first line (see textAfterKeyword).
    const char* text(size_t k, char* scratch, size_t size) const {
        if (line[k] == nullptr) return nullptr;
        return textAfterKeyword(line[k], length[k], std::strlen(keywords[k]), scratch, size);
    }
};

// The text after keyword on the first line of the comment that begins with it (any case),
// blanks trimmed; null when no line does or the text is empty. The result points into a
// scratch copy of size bytes.
const char* noteText(const char* comment, const char* keyword, char* scratch, size_t size) {
    const char* const words[] = {keyword};
    return NoteLines<1>(comment, words).text(0, scratch, size);
}

// A "; path" ending names a file when it looks like one: a folder in it, or an extension.
bool looksLikeFileName(const char* text) {
    if (std::strchr(text, '/') != nullptr || std::strchr(text, '\\') != nullptr) return true;
    const char* dot = std::strrchr(text, '.');
    if (dot == nullptr || dot == text) return false;
    size_t extension = 0;
    for (const char* p = dot + 1; *p != '\0'; ++p, ++extension) {
        const bool alnum = isDigitChar(*p) || (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z');
        if (!alnum) return false;
    }
    return extension >= 2 && extension <= 5;
}

}  // namespace

void copyFixed(char* destination, const char* source, uint32_t maxChars) {
    edlFixString(destination, source, maxChars + 1);
}

void appendCommentText(EdlLine* event, const char* text, ReadState& state) {
    if (state.commentLength >= kCommentMax) return;
    // Room for kCommentMax - length bytes, terminator included.
    edlFixString(event->szComment + state.commentLength, text, kCommentMax - state.commentLength);
    // The full length counts, so a comment that was cut takes nothing more.
    state.commentLength += static_cast<uint32_t>(std::strlen(text));
}

void appendCommentLine(EdlLine* event, const char* line, ReadState& state) {
    if (state.commentLength >= kCommentMax) return;
    const char* text = line;
    if (*text == ';' || *text == '*') ++text;
    appendCommentText(event, skipSpaces(text), state);
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

void lookupSource(tagKvEdlHandle* handle, EdlLine* event, ReadState& state) {
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
        // For interchange the file name is the event's name, not a note the list never had.
        if (state.interchange) return;
        std::strcpy(event->szComment, "FileName: ");
        appendBounded(event->szComment, value, kCommentMax);
        state.commentLength = static_cast<uint32_t>(std::strlen(event->szComment));
        return;
    }
}

namespace {

// Cuts control bytes off the end of the comment, but never its first character. Returns the
// length left; 0 for an empty comment.
size_t trimComment(char* comment) {
    size_t length = strnlen(comment, kCommentMax);
    comment[length] = '\0';
    if (length == 0) return 0;
    while (length > 1 && isCommentControl(static_cast<unsigned char>(comment[length - 1]))) {
        --length;
    }
    comment[length] = '\0';
    return length;
}

// Where the comment's last ';' is (length when it has none), and whether a '/' or ':' comes
// after it: the text after the last ';' is a trailing clip name or file name.
struct CommentEnding {
    size_t semicolon;
    bool slashOrColon;
};

CommentEnding findEnding(const char* comment, size_t length) {
    CommentEnding ending{length, false};
    for (size_t i = length; i > 0; --i) {
        const char c = comment[i - 1];
        if (c == ';') {
            ending.semicolon = i - 1;
            break;
        }
        if (c == '/' || c == ':') ending.slashOrColon = true;
    }
    return ending;
}

// A short word without a path or an extension is a clip name; anything else names the file.
void nameFromEnding(EdlLine* event, const char* candidate, bool slashOrColon) {
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
}

// Takes the "; name" ending off the comment into the clip name or file name. Returns the
// comment's length afterwards.
size_t takeEnding(EdlLine* event, size_t length) {
    char* comment = event->szComment;
    const CommentEnding ending = findEnding(comment, length);
    // A clip line's comment keeps its leading ';' marker: that one separates nothing.
    const bool clipMarker = ending.semicolon == 0 && (event->dwPresent & EDL_P_LINE_COMMENT) != 0 &&
                            *skipSpaces(comment + 1) != '\0';
    if (ending.semicolon >= length || clipMarker) return length;
    const char* candidate = skipSpaces(comment + ending.semicolon + 1);
    nameFromEnding(event, candidate, ending.slashOrColon);
    // The blanks and separators before the name go with it.
    size_t end = static_cast<size_t>(candidate - comment);
    while (end > 0 &&
           (comment[end - 1] == ' ' || comment[end - 1] == '\t' || comment[end - 1] == ';')) {
        --end;
    }
    comment[end] = '\0';
    return end;
}

// A "shot" word or a "FROM CLIP NAME:" note names the clip, whose first character becomes
// the letter of the event's tracks. Returns false when the comment has neither.
bool clipFromKeywords(EdlLine* event, size_t length) {
    const char* comment = event->szComment;
    size_t keyLength = 0;
    if (const char* shot = findSpelling(comment, kShot, &keyLength)) {
        copyFixed(event->szClipName, shot + keyLength, kClipNameMax);
    } else if (const char* note = findSpelling(comment, kClipNote, &keyLength)) {
        copyFixed(event->szName, skipSpaces(note + keyLength), 4095);
        // The clip name is the comment's last characters, not the note's text.
        const size_t take = length < 9 ? length : 9;
        copyFixed(event->szClipName, comment + length - take, kClipNameMax);
    } else {
        return false;
    }
    if (event->szClipName[0] != '\0') event->szClipName[0] = trackLetter(event);
    event->dwPresent |= EDL_P_CLIP_NAME;
    return true;
}

// A clip named by the comment but no file: the file name is "title\clip", or the clip
// alone in a list without a title.
void fileFromTitle(tagKvEdlHandle* handle, EdlLine* event) {
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

}  // namespace

void analyseComment(tagKvEdlHandle* handle, EdlLine* event) {
    size_t length = trimComment(event->szComment);
    if (length == 0) return;
    // The ending is taken first: the keywords are looked for in what remains of the comment.
    length = takeEnding(event, length);
    if ((event->dwPresent & EDL_P_CLIP_NAME) == 0 && clipFromKeywords(event, length)) {
        if ((event->dwPresent & EDL_P_FILE_NAME) == 0) fileFromTitle(handle, event);
    }
    if ((event->dwPresent & EDL_P_CLIP_NAME) == 0) {
        // Nothing in the comment names the clip: its source in stands for it.
        char text[32] = {};
        tc2String(event->dwSrcIn, (handle->dwTcFlags & ~EDL_TCF_SEPARATORS) | EDL_TCF_WRAP24, text);
        text[sizeof text - 1] = '\0';
        copyFixed(event->szClipName, text, kClipNameMax);
    }
}

namespace {

// The "; name" ending of one line (up to its end or a line feed); false when it names nothing.
bool lineEndingNames(const char* line, char* clip, char* file) {
    // A ';' between digits is a drop-frame timecode, not the ending.
    const char* semicolon = nullptr;
    for (const char* p = line; *p != '\0' && *p != '\n'; ++p) {
        if (*p == ';' && !(p > line && isDigitChar(p[-1]) && isDigitChar(p[1]))) semicolon = p;
    }
    if (semicolon == nullptr) return false;
    const char* candidate = skipBlanks(semicolon + 1);
    size_t length = 0;
    while (candidate[length] != '\0' && candidate[length] != '\n') ++length;
    while (length > 0 && isBlank(candidate[length - 1])) --length;
    if (length == 0 || length > kNameMax) return false;
    char text[kNameMax + 1];
    std::memcpy(text, candidate, length);
    text[length] = '\0';
    if (length < 9 && std::strpbrk(text, "./:\\") == nullptr) {
        copyFixed(clip, text, kClipNameMax);
        return true;
    }
    if (looksLikeFileName(text)) {
        copyFixed(file, text, kNameMax);
        return true;
    }
    return false;
}

}  // namespace

void semicolonNames(const char* comment, char* clip, char* file) {
    clip[0] = file[0] = '\0';
    if (std::strchr(comment, ';') == nullptr) return;
    // The last line that ends so: the own lists' note line, whatever notes follow it.
    const char* end = comment + std::strlen(comment);
    while (end > comment) {
        const char* start = end;
        while (start > comment && start[-1] != '\n') --start;
        if (lineEndingNames(start, clip, file)) return;
        end = start > comment ? start - 1 : comment;
    }
}

void appendTextLine(EdlLine* event, const char* text, size_t length, uint32_t& commentLength) {
    while (length > 0 && isBlank(*text)) ++text, --length;
    while (length > 0 && isBlank(text[length - 1])) --length;
    if (length == 0 || commentLength >= kCommentMax) return;
    char* out = event->szComment + commentLength;
    size_t room = kCommentMax - commentLength;
    if (commentLength > 0) {
        *out++ = '\n';
        --room;
        ++commentLength;
    }
    // Text follows the edlFixString rule, except that a tab between words stays a blank.
    size_t i = copyPlainBlocks(out, text, length < room ? length : room);
    for (; i < length && i < room; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out[i] = c == '\t' ? ' ' : isCommentControl(c) ? '!' : static_cast<char>(c);
    }
    out[i] = '\0';
    // The full length counts, so a comment that was cut takes nothing more.
    commentLength += static_cast<uint32_t>(length);
}

void keepWholeClipName(EdlLine* event, const char* name, uint32_t& commentLength) {
    const size_t nameLength = std::strlen(name);
    if (nameLength <= kClipNameMax || (event->dwPresent & EDL_P_FILE_NAME) == 0) return;
    char scratch[kNameMax + 1];
    const char* noted = noteText(event->szComment, "FROM CLIP NAME:", scratch, sizeof scratch);
    if (noted != nullptr && std::strcmp(noted, name) == 0) return;
    // The note goes first, where editing systems write it; what was there follows.
    char* comment = event->szComment;
    const size_t oldLength = strnlen(comment, kCommentMax);
    char moved[kCommentMax + 1];
    std::memcpy(moved, comment, oldLength);
    moved[oldLength] = '\0';
    comment[0] = '\0';
    uint32_t length = 0;
    char note[kNameMax + 17];
    std::snprintf(note, sizeof note, "FROM CLIP NAME: %s", name);
    appendTextLine(event, note, std::strlen(note), length);
    // The lines already read are the comment's own text: they follow as they are.
    if (oldLength > 0 && length < kCommentMax) {
        comment[length++] = '\n';
        const size_t take = oldLength < kCommentMax - length ? oldLength : kCommentMax - length;
        std::memcpy(comment + length, moved, take);
        comment[length + take] = '\0';
    }
    commentLength = static_cast<uint32_t>(strnlen(comment, kCommentMax));
}

void appendNoteLine(EdlLine* event, const char* text, ReadState& state) {
    const char* p = skipBlanks(text);
    if (*p == '*' || *p == ';') ++p;
    appendTextLine(event, p, std::strlen(p), state.commentLength);
}

uint32_t audioLineTracks(const char* line) {
    uint32_t tracks = 0;
    const char* p = line + 3;  // past "AUD"
    while (*p != '\0') {
        p = skipBlanks(p);
        if (*p == 'A' || *p == 'a') ++p;  // 'A3' as well as '3'
        uint32_t number = 0;
        int digits = 0;
        for (; isDigitChar(*p) && digits < 3; ++p, ++digits) number = number * 10 + uint32_t(*p - '0');
        if (digits > 0 && number >= 1 && number <= 16) tracks |= 1u << (number - 1);
        while (*p != '\0' && !isBlank(*p)) ++p;
    }
    return tracks;
}

void analyseNotes(EdlLine* event, const ReadState& state) {
    char* comment = event->szComment;
    comment[kCommentMax] = '\0';

    // The library's own "; name" ending of a note.
    // Only the texts count: semicolonNames sets both, and a zero fill of the file name's
    // whole buffer would cost every event four kilobytes of stores.
    char ruleClip[kClipNameMax + 1];
    char ruleFile[kNameMax + 1];
    semicolonNames(comment, ruleClip, ruleFile);

    char noteBuffer[kNameMax + 1];
    char fileBuffer[kNameMax + 1];
    // The comment's lines are looked through once for the four keywords.
    static const char* const kKeywords[] = {"TO CLIP NAME:", "FROM CLIP NAME:", "SOURCE FILE:",
                                            "FROM FILE:"};
    const NoteLines<4> notes(comment, kKeywords);
    const bool transition =
        event->chEditType == 'D' || event->chEditType == 'W' || event->chEditType == 'K';
    const char* name = nullptr;
    if (transition) name = notes.text(0, noteBuffer, sizeof noteBuffer);
    if (name == nullptr) name = notes.text(1, noteBuffer, sizeof noteBuffer);
    if (name == nullptr && ruleClip[0] != '\0') name = ruleClip;
    if (name == nullptr && state.clipName[0] != '\0') name = state.clipName;
    if (name == nullptr && (event->dwPresent & EDL_P_CLIP_NAME) != 0) {
        // A "*DS" source key.
        copyFixed(noteBuffer, event->szClipName, kClipNameMax);
        name = noteBuffer;
    }

    const char* file = notes.text(2, fileBuffer, sizeof fileBuffer);
    if (file == nullptr) file = notes.text(3, fileBuffer, sizeof fileBuffer);
    if (file == nullptr && ruleFile[0] != '\0') file = ruleFile;
    if (file == nullptr && (event->dwPresent & EDL_P_FILE_NAME) != 0 && event->szName[0] != '\0') {
        // A "*DS" source file.
        copyFixed(fileBuffer, event->szName, kNameMax);
        file = fileBuffer;
    }

    if (name != nullptr && name[0] != '\0') {
        copyFixed(event->szClipName, name, kClipNameMax);
        event->dwPresent |= EDL_P_CLIP_NAME;
    } else {
        event->szClipName[0] = '\0';
        event->dwPresent &= ~EDL_P_CLIP_NAME;
    }
    if (file != nullptr) {
        copyFixed(event->szName, file, kNameMax);
        event->dwPresent |= EDL_P_FILE_NAME;
        // A clip line's long name would otherwise be lost behind the file name.
        if (name == state.clipName) {
            uint32_t length = static_cast<uint32_t>(strnlen(comment, kCommentMax));
            keepWholeClipName(event, name, length);
        }
    } else {
        copyFixed(event->szName, name != nullptr ? name : "", kNameMax);
        event->dwPresent &= ~EDL_P_FILE_NAME;
    }
}

}  // namespace edlb
