// List type detection: reads the head of a list opened for reading until a line settles its
// dialect or the first event line is met, harvesting title, timecode mode, column layout and
// the source table on the way.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

#include "core/handle.h"
#include "core/portable.h"
#include "core/tc_modes.h"
#include "core/text.h"
#include "parse/classify.h"

namespace {

bool begins(const char* text, const char* keyword, size_t n) {
    return edlb::beginsNoCase(text, keyword, n);
}

bool contains(const char* text, const char* word) { return std::strstr(text, word) != nullptr; }

// The title rule of detection: at most 4121 characters, control bytes and 0xFF become '!'.
void copyTitle(EdlList* list, const char* text) {
    uint32_t i = 0;
    for (; i < edlb::kTitleMax && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        list->szTitle[i] = (c < 32 || c == 255) ? '!' : static_cast<char>(c);
    }
    list->szTitle[i] = '\0';
}

// Copies at most length characters of text, cut to a field of size bytes.
void copyCut(char* field, size_t size, const char* text, size_t length) {
    if (length > size - 1) length = size - 1;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

void rewindList(tagKvEdlHandle* handle) {
    edlb::seekTo(handle, 0);
    handle->lLineStart = 0;
    handle->dwLineEnd = 0;
}

// The column map of a CMX-style event line, in column order.
void writeDefaultColumnMap(EdlList* list) {
    static const uint32_t kMap[10] = {EDL_COL_EDIT_NUMBER, EDL_P_REEL,   EDL_P_TRACKS,
                                      EDL_P_EFFECT,        EDL_P_SRC_IN, EDL_P_SRC_OUT,
                                      EDL_P_REC_IN,        EDL_P_REC_OUT, EDL_P_LINE_COMMENT,
                                      0};
    list->dwHasColumnMap = 1;
    std::memcpy(list->adwColumns, kMap, sizeof(kMap));
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


// A "*DS" list: the whole file is read for its source table and header attributes, then
// rewound for the event reader. 256 when a source entry cannot be allocated.
int scanDs(tagKvEdlHandle* handle) {
    char* line = handle->pszLineBuf;
    rewindList(handle);
    while (getLine(handle, line, edlb::kLineLimit)) {
        if (!begins(line, "*DS type=", 9)) continue;
        const char* rest = line + 9;
        if (begins(rest, "source ", 7)) {
            const char* name = rest + 7;
            const char* equals = std::strchr(name, '=');
            if (equals == nullptr) continue;
            EdlSourceEntry* entry =
                edlb::g_failPrivateAllocations
                    ? nullptr
                    : edlb::newSourceEntry(name, static_cast<size_t>(equals - name), equals + 1,
                                           std::strlen(equals + 1));
            if (entry == nullptr) {
                rewindList(handle);
                return EDL_DETECT_FAILED;
            }
            kv_ListAddTail(&handle->sources, entry);
        } else if (begins(rest, "header ", 7)) {
            readDsHeader(handle, rest + 7);
        }
    }
    rewindList(handle);
    return EDLTYPE_DS;
}

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

// A tab-delimited log-exchange list: its "Heading" block up to "Data". The file is left
// after the line that ended the block, so the first event read is the line after "Data".
int scanColumnHeader(tagKvEdlHandle* handle) {
    EdlList& list = handle->list;
    char* line = handle->pszLineBuf;
    const LogRate* fpsRate = nullptr;
    list.dwFlags = (list.dwFlags | EDL_LF_TAB_DELIMITED) & ~EDL_LF_COLUMN_LIST;
    list.dwTcMode = EDL_TC_NDF;
    list.dwFrameRate = 2997;
    list.dwAudioKHz = 44;

    while (!edlb::atEnd(handle)) {
        if (begins(line, "Data", 4)) break;
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
                fpsRate = rate;
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
                read = getLine(handle, line, edlb::kLineLimit) != 0;
                if (!read || line[0] != '\0') break;
            }
            if (!read) break;
            list.dwFlags |= EDL_LF_COLUMN_LIST;
            copyCut(list.szColumnLine, sizeof(list.szColumnLine), line, std::strlen(line));
        }
        if (!getLine(handle, line, edlb::kLineLimit)) break;
    }
    // The rate decides how the rows' timecodes count, wherever the "FPS" line stood; a
    // drop-frame "VIDEO_FORMAT" keeps drop frame at 29.97 and 23.976.
    if (fpsRate != nullptr) {
        const bool dropChosen = edlb::tcMode(list.dwTcMode).dropFrame;
        list.dwTcMode = dropChosen && fpsRate->dropMode != 0 ? fpsRate->dropMode : fpsRate->mode;
        list.dwFrameRate = fpsRate->frameRate;
    }
    return EDLTYPE_LOG_EXCHANGE;
}

int scanMain(tagKvEdlHandle* handle) {
    EdlList& list = handle->list;
    char* line = handle->pszLineBuf;
    int decided = EDL_DETECT_FAILED;
    bool frameCode = false;
    bool columnDefaultsWanted = true;

    while (getLine(handle, line, edlb::kLineLimit)) {
        if (edlLineIsXJTClipType(handle, line)) {
            decided = EDLTYPE_XJT_CLIP;
            columnDefaultsWanted = false;
        }
        if (edlLineIsXJTListType(handle, line)) {
            decided = EDLTYPE_XJT_LIST;
            columnDefaultsWanted = false;
        }
        if (begins(line, "*ds type=", 9)) return scanDs(handle);
        if (edlLineIsTitle(handle, line)) {
            if (decided == EDL_DETECT_FAILED) decided = EDLTYPE_GENERIC;
            continue;
        }
        if (edlLineIsFcm(handle, line, list.dwTcMode, &list.dwTcMode)) {
            list.dwCurTcMode = list.dwTcMode;
            if (decided == EDL_DETECT_FAILED) decided = EDLTYPE_GENERIC;
            continue;
        }
        if (contains(line, "SMPTE FRAME CODE")) {
            frameCode = true;
            columnDefaultsWanted = true;
            continue;
        }
        // Premiere batch lists are not read.
        if (line[0] == '[' && contains(line, "Adobe") && contains(line, "Premiere")) {
            return EDL_DETECT_FAILED;
        }
        if (begins(line, "Heading", 7)) return scanColumnHeader(handle);
        if (contains(line, "\"OLEDB")) return EDL_DETECT_FAILED;

        bool finish = false;
        if (contains(line, "Media") && contains(line, "100")) {
            if (const char* file = std::strstr(line, "file")) {
                // The title starts five characters on ("file: name"); a "file" that ends
                // the line leaves nothing to take.
                copyTitle(&list, std::strlen(file) >= 5 ? file + 5 : "");
            }
            decided = EDLTYPE_MEDIA_LOG;
            finish = true;
        } else {
            // An event or clip line is the first event: it is read again by the reader.
            const bool event = edlLineIsEdit(handle, line) != 0;
            if (event) ungetline(handle);
            if (edlLineIsClip(handle, line)) {
                ungetline(handle);
                finish = true;
            } else {
                finish = event;
            }
        }
        if (!finish) continue;

        if (columnDefaultsWanted && list.dwHasColumnMap == 0) writeDefaultColumnMap(&list);
        if (decided != EDL_DETECT_FAILED) return decided;
        return frameCode ? EDLTYPE_SMPTE_4CH : EDLTYPE_XJT_LIST;
    }
    return decided;
}

bool namesProduct(const char* line, const char* a, const char* b, const char* c) {
    return begins(line, "type:", 5) && (contains(line, a) || contains(line, b) || contains(line, c));
}

}  // namespace

EDLBRIDGE_API int edlLineIsXJTClipType(tagKvEdlHandle*, char* line) {
    return line != nullptr &&
           namesProduct(line, "BrimvelXJTClip", "brimvelxjtclip", "BRIMVELXJTCLIP");
}

EDLBRIDGE_API int edlLineIsXJTListType(tagKvEdlHandle*, char* line) {
    return line != nullptr &&
           namesProduct(line, "BrimvelXJTList", "brimvelxjtlist", "BRIMVELXJTLIST");
}

EDLBRIDGE_API int edlAutoSense(tagKvEdlHandle* handle) {
    if (handle == nullptr || handle->pszLineBuf == nullptr || handle->pFile == nullptr ||
        handle->dwReading != 1) {
        return EDL_DETECT_FAILED;
    }
    // Black events count as events while the list type is decided; the caller's choice is
    // back in force on every way out.
    const uint32_t blackBit = handle->list.dwFlags & EDL_LF_BLACK_NOT_EVENT;
    handle->list.dwFlags &= ~EDL_LF_BLACK_NOT_EVENT;
    const int type = scanMain(handle);
    handle->list.dwFlags = (handle->list.dwFlags & ~EDL_LF_BLACK_NOT_EVENT) | blackBit;
    return type;
}
