// Headers of the column lists: fixed column names, chosen by the column mask.
#include "core/handle.h"
#include "write/writers.h"

namespace {

using edlb::kCrlf;
using edlb::putText;

constexpr uint32_t kStart = 1u << 0;
constexpr uint32_t kEnd = 1u << 1;
constexpr uint32_t kRecordIn = 1u << 2;
constexpr uint32_t kRecordOut = 1u << 3;
constexpr uint32_t kAuxiliary = 1u << 4;
constexpr uint32_t kEditKind = 1u << 12;
constexpr uint32_t kTracks = 1u << 17;
constexpr uint32_t kReelColumn = 1u << 18;
constexpr uint32_t kTape = 1u << 19;
constexpr uint32_t kClip = 1u << 20;
constexpr uint32_t kName = 1u << 21;
constexpr uint32_t kFrameGrabBit = 1u << 24;
constexpr uint32_t kComments = 1u << 28;
constexpr uint32_t kEditNumber = 1u << 29;

// One column: its name and the mask bits any of which selects it.
struct Column {
    const char* name;
    uint32_t bits;
};

const Column kLogExchange[] = {
    {"NAME", kName},      {"Tracks", kTracks}, {"Start", kStart},       {"End", kEnd},
    {"Mark IN", kStart},  {"Mark OUT", kEnd},  {"Tape", kTape},         {"Comments", kComments},
    {"Log#", kName},      {"Auxiliary TC1", kAuxiliary},
};

const Column kFrameGrab[] = {
    {"FrameGrab", kFrameGrabBit}, {"TimecodeIN", kStart}, {"TimecodeOUT", kEnd},
    {"Duration", kStart | kEnd}, {"Transcription", kComments},
};

const Column kEditColumns[] = {
    {"EDT", kEditNumber},     {"REL", kReelColumn},      {"MODE", kTracks},
    {"TYP", kEditKind},       {"P-VTR IN", kStart},      {"P-VTR OUT", kEnd},
    {"R-VTR IN", kRecordIn},  {"R-VTR OUT", kRecordOut},
};

const Column kFieldNames[] = {
    {"Tape", kTape}, {"Name", kName}, {"Start", kStart},
    {"End", kEnd},   {"Tracks", kTracks}, {"Comment", kComments},
};

const Column kReelClip[] = {
    {"Reel", kReelColumn}, {"Clip", kClip}, {"Track", kTracks},
    {"Start", kStart},     {"End", kEnd},   {"Comments", kComments},
};

// The batch list describes each column three times: width, type and name.
struct BatchColumn {
    uint32_t bits;
    const char* item[3];
};

const BatchColumn kBatch[] = {
    {kName, {"14", "TEXT", "Name"}},
    {kTape, {"14", "TEXT", "Reel"}},
    {kTracks, {"8", "TEXT", "Chans"}},
    {kStart, {"12", "TIMECODE", "Start time"}},
    {kEnd, {"12", "TIMECODE", "End time"}},
    {kTape, {"14", "TEXT", "Tape"}},
    {kComments, {"40", "TEXT", "Description"}},
};

// Writes the selected names joined by the separator; nothing before the first name or
// after the last.
template <size_t N>
void putColumns(FILE* file, const Column (&columns)[N], uint32_t mask, const char* separator) {
    bool first = true;
    for (const Column& column : columns) {
        if ((column.bits & mask) == 0) continue;
        if (!first) putText(file, separator);
        putText(file, column.name);
        first = false;
    }
}

void writeBatchLines(FILE* file, uint32_t mask) {
    for (int item = 0; item < 3; ++item) {
        bool first = true;
        for (const BatchColumn& column : kBatch) {
            if ((column.bits & mask) == 0) continue;
            if (!first) putText(file, ",");
            std::fprintf(file, "\"%s\"", column.item[item]);
            first = false;
        }
        putText(file, kCrlf);
    }
}

void writeLogExchange(FILE* file, const EdlList& list, uint32_t tcFlags, uint32_t mask,
                      bool columns) {
    putText(file, "Heading\r\nFIELD_DELIM TABS\r\n");
    const bool pal = (tcFlags & 0x8) != 0;
    const bool film = (tcFlags & 0x1) != 0;
    putText(file, "VIDEO_FORMAT ");
    putText(file, pal ? "PAL\r\n" : (film ? "FILM\r\n" : "NTSC\r\n"));
    putText(file, "AUDIO_FORMAT ");
    if (list.dwAudioKHz != 0) {
        std::fprintf(file, "%2dkHz\r\n", static_cast<int>(list.dwAudioKHz));
    } else {
        putText(file, "44kHz\r\n");
    }
    putText(file, "TAPE ");
    if (list.szTape[0] != '\0') {
        edlb::putBytes(file, list.szTape, edlb::boundedLength(list.szTape, sizeof list.szTape));
        putText(file, kCrlf);
    } else {
        putText(file, "noname\r\n");
    }
    // A nominal rate up to 30 (29.97 included) follows the timecode mode instead.
    putText(file, "FPS ");
    if (list.dwFrameRate >= 3001) {
        std::fprintf(file, "%2d\r\n", static_cast<int>(list.dwFrameRate / 100));
    } else {
        putText(file, pal ? "25\r\n" : (film ? "24\r\n" : "30\r\n"));
    }
    if (columns) {
        putText(file, "\r\nColumn\r\n");
        putColumns(file, kLogExchange, mask, "    ");
        putText(file, kCrlf);
    }
    putText(file, "\r\nData\r\n");
}

void writeMediaLog(FILE* file, const EdlList& list) {
    const struct {
        const char* prefix;
        const char* text;
        size_t size;
        const char* suffix;
    } parts[] = {
        {"Title: ", list.szTitle, sizeof list.szTitle, " "},
        {"TapeName: ", list.szTape, sizeof list.szTape, ""},
        {"DefaultReelName: ", list.szDefReel, sizeof list.szDefReel, ""},
        {"DefaultLogName ", list.szListName, sizeof list.szListName, ""},
    };
    for (const auto& part : parts) {
        if (part.text[0] == '\0') continue;
        putText(file, part.prefix);
        edlb::putBytes(file, part.text, edlb::boundedLength(part.text, part.size));
        putText(file, part.suffix);
    }
    putText(file, "\r\nCreated by XJT Cutvane\r\n\r\n");
    putText(file, "Reel    Clip    Track    Start    End    Comments\r\n\r\n");
}

}  // namespace

namespace edlb {

void writeColumnHeader(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    const EdlList& list = handle->list;
    const uint32_t mask = list.dwFlags2 != 0 ? list.dwFlags2 : 0xFFFFFFFFu;
    const bool columns = (list.dwFlags & EDL_LF_NO_COLUMNS) == 0;
    switch (list.dwListType) {
        case EDLTYPE_LOG_EXCHANGE:
            writeLogExchange(file, list, handle->dwTcFlags, mask, columns);
            break;
        case EDLTYPE_FRAMEGRAB_LOG:
            if (!columns) break;
            putColumns(file, kFrameGrab, mask, "    ");
            putText(file, kCrlf);
            break;
        case EDLTYPE_PREMIERE_BATCH:
            putText(file, "\"OLEDB:Rev1\"\r\n\"OLEDB\"\r\n");
            if (columns) writeBatchLines(file, mask);
            break;
        case EDLTYPE_MEDIA_LOG:
            writeMediaLog(file, list);
            break;
        case EDLTYPE_FIELD_NAMES:
            if (columns) {
                putText(file, "Field Names\r\n");
                putColumns(file, kFieldNames, mask, kCrlf);
                putText(file, kCrlf);
                putColumns(file, kFieldNames, mask, "    ");
                putText(file, kCrlf);
            }
            putText(file, "Data\r\n");
            break;
        case EDLTYPE_REEL_CLIP_LOG:
            if (!columns) break;
            putText(file, kCrlf);
            putColumns(file, kReelClip, mask, "    ");
            putText(file, "\r\n\r\n");
            break;
        default:  // list types 27 to 33
            if (!columns) break;
            putColumns(file, kEditColumns, mask, "    ");
            putText(file, kCrlf);
            break;
    }
}

}  // namespace edlb
