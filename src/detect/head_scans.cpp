// The blocks of a list's head that detection reads as a whole: a "*DS" list's header and
// source lines, and a log-exchange list's "Heading" block. The timecode modes they name are
// read from the mode table.
#include "detect/head_scans.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "core/tc_modes.h"
#include "core/text.h"
#include "parse/classify.h"

namespace edlb {
namespace {

bool begins(const char* text, const char* keyword, size_t n) {
    return beginsNoCase(text, keyword, n);
}

bool contains(const char* text, const char* word) { return std::strstr(text, word) != nullptr; }

// Copies at most length characters of text, cut to a field of size bytes.
void copyCut(char* field, size_t size, const char* text, size_t length) {
    if (length > size - 1) length = size - 1;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

void rewindList(tagKvEdlHandle* handle) {
    seekTo(handle, 0);
    handle->lLineStart = 0;
    handle->dwLineEnd = 0;
}

// Decimal number as atoi reads it (leading blanks, a sign), without its overflow hazard.
long readNumber(const char* text) {
    errno = 0;
    const long value = std::strtol(text, nullptr, 10);
    return (errno == ERANGE || value > INT_MAX || value < INT_MIN) ? 0 : value;
}

// The mode the number after "frame-rate=" gives before "fcm=" is looked at. A rate no
// mode is read at counts as drop frame 29.97, the mode a new list record has.
uint32_t modeOfDsRate(long rate) {
    for (const TcMode& mode : kTcModes) {
        for (const uint32_t named : mode.dsReadRates) {
            if (named != 0 && static_cast<long>(named) == rate) return mode.value;
        }
    }
    return EDL_TC_DF;
}

// The word after "fcm=": a mode of the other kind of frame counting turns into its twin
// (non-drop 30 and drop frame, film and 23.98); any other word, and a word that is no
// bare mode value, stays.
uint32_t withDsFcm(uint32_t word, bool nonDrop) {
    const TcMode& mode = tcMode(word);
    if (mode.value != word || mode.dsOtherFcm == 0) return word;
    const bool otherIsNonDrop = contains(tcMode(mode.dsOtherFcm).dsRate, "non-drop-frame");
    return otherIsNonDrop == nonDrop ? mode.dsOtherFcm : word;
}

// "*DS type=header ..." attributes: the frame rate and the drop-frame choice.
void readDsHeader(tagKvEdlHandle* handle, const char* attributes) {
    const char* rate = std::strstr(attributes, "frame-rate=");
    const char* fcm = std::strstr(attributes, "fcm=");
    uint32_t& word = handle->dwTcFlags;
    if (rate != nullptr) {
        word = modeOfDsRate(readNumber(rate + 11));
    } else if (fcm != nullptr && word == 0) {
        word = EDL_TC_DF;
    }
    if (fcm != nullptr) word = withDsFcm(word, contains(fcm, "non-drop-frame"));
}

}  // namespace

bool scanDsList(tagKvEdlHandle* handle) {
    char* line = handle->pszLineBuf;
    rewindList(handle);
    while (getLine(handle, line, kLineLimit)) {
        if (!begins(line, "*DS type=", 9)) continue;
        const char* rest = line + 9;
        if (begins(rest, "source ", 7)) {
            const char* name = rest + 7;
            const char* equals = std::strchr(name, '=');
            if (equals == nullptr) continue;
            EdlSourceEntry* entry =
                g_failPrivateAllocations
                    ? nullptr
                    : newSourceEntry(name, static_cast<size_t>(equals - name), equals + 1,
                                     std::strlen(equals + 1));
            if (entry == nullptr) {
                rewindList(handle);
                return false;
            }
            kv_ListAddTail(&handle->sources, entry);
        } else if (begins(rest, "header ", 7)) {
            readDsHeader(handle, rest + 7);
        }
    }
    rewindList(handle);
    return true;
}

namespace {

// An "FPS" value ('29.97', '25', '23.976', '60.00') in thousandths of a frame a second; 0
// when the text is no number.
uint32_t fpsValueOf(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == ':' || *text == '=') ++text;
    uint64_t whole = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9' && digits < 6; ++text, ++digits) {
        whole = whole * 10 + static_cast<uint64_t>(*text - '0');
    }
    if (digits == 0) return 0;
    // Six digits at most: the value stays far below 2^32 thousandths.
    uint64_t thousandths = whole * 1000;
    if (*text == '.') {
        ++text;
        uint64_t scale = 100;
        for (; *text >= '0' && *text <= '9'; ++text) {
            thousandths += static_cast<uint64_t>(*text - '0') * scale;
            scale /= 10;
        }
    }
    while (*text == ' ' || *text == '\t') ++text;
    return *text == '\0' ? static_cast<uint32_t>(thousandths) : 0;
}

// The mode a log's rows count in at an "FPS" value: of the modes read at that value, the
// one whose drop frame matches what "VIDEO_FORMAT" chose, else the first; null when no
// mode is read at it.
const TcMode* modeOfLogFps(uint32_t thousandths, bool dropChosen) {
    const TcMode* found = nullptr;
    if (thousandths == 0) return found;
    for (const TcMode& mode : kTcModes) {
        if (mode.logReadFps[0] != thousandths && mode.logReadFps[1] != thousandths) continue;
        if (mode.dropFrame == dropChosen) return &mode;
        if (found == nullptr) found = &mode;
    }
    return found;
}

// Hundredths of a frame a second, as dwFrameRate holds them.
uint32_t hundredthsOf(uint32_t thousandths) { return (thousandths + 5) / 10; }

// The frame rate an "FPS" line names when its value is no rate a mode is read at ("30
// NDF", "24.5"): the slowest rate of a video standard whose digits, without the decimal
// point, the line holds ("24", "25", "2997", "30"); 0 when it holds none.
uint32_t frameRateNamedIn(const char* line) {
    uint32_t slowest = 0;
    for (const TcMode& mode : kTcModes) {
        if (mode.logVideoRank == 0) continue;
        for (const uint32_t fps : mode.logReadFps) {
            const uint32_t rate = hundredthsOf(fps);
            if (rate == 0 || (slowest != 0 && rate >= slowest)) continue;
            char digits[16];
            std::snprintf(digits, sizeof digits, "%u", rate % 100 == 0 ? rate / 100 : rate);
            if (contains(line, digits)) slowest = rate;
        }
    }
    return slowest;
}

// Whether the line holds every blank-separated word of the text.
bool holdsEveryWord(const char* line, const char* words) {
    const std::string_view text(line);
    std::string_view rest(words);
    while (!rest.empty()) {
        const size_t blank = rest.find(' ');
        if (text.find(rest.substr(0, blank)) == std::string_view::npos) return false;
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return true;
}

// The mode a "VIDEO_FORMAT" line names: of the standards whose words it holds, the one of
// lowest rank (NTSC DROP before NTSC, FILM, PAL); 0 when it names none.
uint32_t modeOfVideoFormat(const char* line) {
    const TcMode* named = nullptr;
    for (const TcMode& mode : kTcModes) {
        if (mode.logVideoRank == 0 || !holdsEveryWord(line, mode.logVideo)) continue;
        if (named == nullptr || mode.logVideoRank < named->logVideoRank) named = &mode;
    }
    return named != nullptr ? named->value : 0;
}

// What a log's heading block has said so far beyond the list record.
struct LogHeading {
    uint32_t fps = 0;  // the last "FPS" value a mode is read at, in thousandths
};

// One line of a log's heading block. False when the block ends: a "Data" line, or no line
// after "Column".
bool readHeadingLine(tagKvEdlHandle* handle, char* line, LogHeading& heading) {
    EdlList& list = handle->list;
    if (begins(line, "Data", 4)) return false;
    if (begins(line, "FIELD_DELIM", 11)) {
        if (contains(line, "TABS")) {
            list.dwFlags |= EDL_LF_TAB_DELIMITED;
        } else {
            list.dwFlags &= ~EDL_LF_TAB_DELIMITED;
        }
    } else if (begins(line, "VIDEO_FORMAT", 12)) {
        if (const uint32_t mode = modeOfVideoFormat(line)) list.dwTcMode = mode;
    } else if (begins(line, "AUDIO_FORMAT", 12)) {
        if (contains(line, "khz") || contains(line, "kHz")) {
            for (const char* rate : {"48", "44", "32", "22", "11"}) {
                if (contains(line, rate)) {
                    list.dwAudioKHz = static_cast<uint32_t>(std::atoi(rate));
                    break;
                }
            }
        }
    } else if (begins(line, "FPS", 3)) {
        const uint32_t fps = fpsValueOf(line + 3);
        if (modeOfLogFps(fps, false) != nullptr) {
            heading.fps = fps;
        } else if (const uint32_t rate = frameRateNamedIn(line)) {
            // A rate no mode is read at keeps the frame rate the line names.
            list.dwFrameRate = rate;
        }
    } else if ((list.dwFlags & EDL_LF_INTERCHANGE) != 0 && begins(line, "TAPE", 4) &&
               (line[4] == '\t' || line[4] == ' ')) {
        // Read for interchange: the tape of every row that names none.
        const char* value = line + 5;
        while (*value == '\t' || *value == ' ') ++value;
        size_t length = std::strlen(value);
        while (length > 0 && (value[length - 1] == ' ' || value[length - 1] == '\t')) --length;
        copyCut(list.szTape, sizeof(list.szTape), value, length);
    } else if (begins(line, "Column", 6)) {
        // The field names follow, possibly after a few empty lines.
        bool read = false;
        for (int reads = 0; reads < 6; ++reads) {
            read = getLine(handle, line, kLineLimit) != 0;
            if (!read || line[0] != '\0') break;
        }
        if (!read) return false;
        list.dwFlags |= EDL_LF_COLUMN_LIST;
        copyCut(list.szColumnLine, sizeof(list.szColumnLine), line, std::strlen(line));
    }
    return true;
}

}  // namespace

void scanLogHeading(tagKvEdlHandle* handle) {
    EdlList& list = handle->list;
    char* line = handle->pszLineBuf;
    LogHeading heading;
    list.dwFlags = (list.dwFlags | EDL_LF_TAB_DELIMITED) & ~EDL_LF_COLUMN_LIST;
    list.dwTcMode = EDL_TC_NDF;
    list.dwFrameRate = tcMode(EDL_TC_NDF).frameRate;
    list.dwAudioKHz = 44;

    while (!atEnd(handle)) {
        if (!readHeadingLine(handle, line, heading)) break;
        if (!getLine(handle, line, kLineLimit)) break;
    }
    // The rate decides how the rows' timecodes count, wherever the "FPS" line stood; a
    // drop-frame "VIDEO_FORMAT" keeps drop frame at 29.97 and 23.976.
    if (heading.fps != 0) {
        const bool dropChosen = tcMode(list.dwTcMode).dropFrame;
        list.dwTcMode = modeOfLogFps(heading.fps, dropChosen)->value;
        list.dwFrameRate = hundredthsOf(heading.fps);
    }
}

}  // namespace edlb
