// The blocks of a list's head that detection reads as a whole: a "*DS" list's header and
// source lines, and a log-exchange list's "Heading" block.
#include "detect/head_scans.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

// "*DS type=header ..." attributes: the frame rate and the drop-frame choice.
void readDsHeader(tagKvEdlHandle* handle, const char* attributes) {
    const char* rate = std::strstr(attributes, "frame-rate=");
    const char* fcm = std::strstr(attributes, "fcm=");
    uint32_t& word = handle->dwTcFlags;
    if (rate != nullptr) {
        switch (readNumber(rate + 11)) {
            case 23: word = EDL_TC_2398; break;
            case 24: word = EDL_TC_FILM; break;
            case 25: case 50: word = EDL_TC_PAL; break;
            case 30: case 60: word = EDL_TC_NDF; break;
            default: word = EDL_TC_DF; break;
        }
    } else if (fcm != nullptr && word == 0) {
        word = EDL_TC_DF;
    }
    if (fcm == nullptr) return;
    if (contains(fcm, "non-drop-frame")) {
        if (word == EDL_TC_DF) word = EDL_TC_NDF;
        else if (word == EDL_TC_2398) word = EDL_TC_FILM;
    } else {
        if (word == EDL_TC_NDF) word = EDL_TC_DF;
        else if (word == EDL_TC_FILM) word = EDL_TC_2398;
    }
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

// The frame rates a log's "FPS" line names: the mode its rows' timecodes count in, the mode
// when "VIDEO_FORMAT" chose drop frame (0: the same), and the frame rate in hundredths.
struct LogRate {
    uint32_t thousandths;
    uint32_t mode;
    uint32_t dropMode;
    uint32_t frameRate;
};

const LogRate kLogRates[] = {
    {23976, EDL_TC_2398, EDL_TC_2398DF, 2398}, {23980, EDL_TC_2398, EDL_TC_2398DF, 2398},
    {24000, EDL_TC_FILM, 0, 2400},             {25000, EDL_TC_PAL, 0, 2500},
    {29970, EDL_TC_NDF, EDL_TC_DF, 2997},      {30000, EDL_TC_NDF, 0, 3000},
    {50000, EDL_TC_PAL50, 0, 5000},            {59940, EDL_TC_NTSC5994, 0, 5994},
    {60000, EDL_TC_NTSC60, 0, 6000},
};

// The rate of an "FPS" value ('29.97', '25', '23.976', '60.00'), or null when the text is no
// number or names none of the rates above.
const LogRate* logRateOf(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == ':' || *text == '=') ++text;
    uint64_t whole = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9' && digits < 6; ++text, ++digits) {
        whole = whole * 10 + static_cast<uint64_t>(*text - '0');
    }
    if (digits == 0) return nullptr;
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
    if (*text != '\0') return nullptr;
    for (const LogRate& rate : kLogRates) {
        if (rate.thousandths == thousandths) return &rate;
    }
    return nullptr;
}

// What a log's heading block has said so far beyond the list record.
struct LogHeading {
    const LogRate* fpsRate = nullptr;  // the last "FPS" value a mode is read at
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
        if (contains(line, "NTSC")) {
            list.dwTcMode = contains(line, "DROP") ? EDL_TC_DF : EDL_TC_NDF;
        } else if (contains(line, "FILM")) {
            list.dwTcMode = EDL_TC_FILM;
        } else if (contains(line, "PAL")) {
            list.dwTcMode = EDL_TC_PAL;
        }
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
        if (const LogRate* rate = logRateOf(line + 3)) {
            heading.fpsRate = rate;
        } else {
            // A rate the log names no mode for keeps the frame rate the line contains.
            static const struct {
                const char* text;
                uint32_t rate;
            } kRates[] = {{"24", 2400}, {"25", 2500}, {"2997", 2997}, {"30", 3000}};
            for (const auto& r : kRates) {
                if (contains(line, r.text)) {
                    list.dwFrameRate = r.rate;
                    break;
                }
            }
        }
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
    list.dwFrameRate = 2997;
    list.dwAudioKHz = 44;

    while (!atEnd(handle)) {
        if (!readHeadingLine(handle, line, heading)) break;
        if (!getLine(handle, line, kLineLimit)) break;
    }
    // The rate decides how the rows' timecodes count, wherever the "FPS" line stood; a
    // drop-frame "VIDEO_FORMAT" keeps drop frame at 29.97 and 23.976.
    if (const LogRate* rate = heading.fpsRate) {
        const bool dropChosen = tcMode(list.dwTcMode).dropFrame;
        list.dwTcMode = dropChosen && rate->dropMode != 0 ? rate->dropMode : rate->mode;
        list.dwFrameRate = rate->frameRate;
    }
}

}  // namespace edlb
