// Column list reader: one tab-separated row of a log-exchange list per event, each cell
// matched by position to the names of the list's column line.
#include <cstring>

#include "columns/columns.h"
#include "core/portable.h"

namespace {

using edlb::kCellMax;

enum class Column {
    None,
    Name,
    Start,
    End,
    MarkIn,
    MarkOut,
    AudioOffset,
    AuxTc,
    Descript,
    Tracks,
    ReelName,
    Comments,
    SoundFile,
};

struct ColumnName {
    const char* name;
    size_t prefix;  // 0: the whole name must match
    Column column;
};

constexpr ColumnName kColumnNames[] = {
    {"Name", 0, Column::Name},
    {"Start", 0, Column::Start},
    {"End", 0, Column::End},
    {"Mark In", 0, Column::MarkIn},
    {"Mark Out", 0, Column::MarkOut},
    {"Audio Offset", 0, Column::AudioOffset},
    {"TAPE", 0, Column::None},
    {"Log#", 0, Column::None},
    {"Auxiliary TC1", 0, Column::AuxTc},
    {"TC1", 0, Column::AuxTc},
    {"Descript", 8, Column::Descript},
    {"Tracks", 0, Column::Tracks},
    {"ReelName", 0, Column::ReelName},
    {"Comments", 0, Column::Comments},
    {"Commentaires", 0, Column::Comments},
    {"comment", 7, Column::Comments},
    {"Note", 0, Column::Comments},
    {"SoundFile", 0, Column::SoundFile},
};

Column columnOf(const char* name) {
    for (const ColumnName& row : kColumnNames) {
        const bool match = row.prefix == 0 ? strcasecmp(name, row.name) == 0
                                           : strncasecmp(name, row.name, row.prefix) == 0;
        if (match) return row.column;
    }
    return Column::None;
}

struct TrackCell {
    const char* text;
    uint32_t video;
    uint32_t audio;
};

constexpr TrackCell kTrackCells[] = {
    {"VA1A2", 1, 3}, {"VA2", 1, 2}, {"VA1", 1, 1}, {"A1A2", 0, 3},
    {"V", 1, 0},     {"A1", 0, 1},  {"A2", 0, 2},
};

// Cuts the next tab-separated field off *cursor into field (at most kCellMax characters).
// A missing field (past the end of the text) comes back empty.
void nextTabField(const char** cursor, char* field) {
    const char* p = *cursor;
    size_t length = 0;
    if (p != nullptr) {
        while (*p != '\0' && *p != '\t') {
            if (length < kCellMax) field[length++] = *p;
            ++p;
        }
        *cursor = (*p == '\t') ? p + 1 : nullptr;
    }
    field[length] = '\0';
}

bool hasColumnName(const char* columnLine) {
    for (const char* p = columnLine; *p != '\0'; ++p) {
        if (*p != '\t') return true;
    }
    return false;
}

// Converts a timecode cell; true when the timecode test accepts it.
bool timecode(tagKvEdlHandle* handle, char* cell, uint32_t* frames) {
    unsigned int word = handle->dwTcFlags;
    unsigned int value = *frames;
    const int accepted = edlTokIsTimecode(handle, cell, &value, &word);
    *frames = value;
    return accepted != 0;
}

void applyColumn(tagKvEdlHandle* handle, EdlLine* event, Column column, char* cell) {
    switch (column) {
    case Column::Name:
        edlb::copyCut(event->szClipName, cell, edlb::kClipNameMax);
        event->dwPresent |= EDL_P_CLIP_EVENT | EDL_P_EDIT_NUMBER | EDL_P_CLIP_NAME |
                            EDL_P_FILE_NAME;
        break;
    case Column::Start:
        if (timecode(handle, cell, &event->dwSrcIn)) event->dwPresent |= EDL_P_SRC_IN;
        break;
    case Column::End:
        if (timecode(handle, cell, &event->dwSrcOut)) event->dwPresent |= EDL_P_SRC_OUT;
        break;
    case Column::MarkIn:
        timecode(handle, cell, &event->dwMarkIn);
        break;
    case Column::MarkOut:
        timecode(handle, cell, &event->dwMarkOut);
        break;
    case Column::AudioOffset: {
        // An earlier audio offset (or auxiliary timecode) of the row wins.
        if ((event->dwPresent & EDL_P_AUDIO_OFFSET) != 0) break;
        uint32_t value = static_cast<uint32_t>(event->lAudioOffset);
        const bool accepted = timecode(handle, cell, &value);
        if (cell[0] == '-') value = 0u - value;
        event->lAudioOffset = static_cast<int32_t>(value);
        if (accepted) event->dwPresent |= EDL_P_AUDIO_OFFSET;
        break;
    }
    case Column::AuxTc: {
        uint32_t value = static_cast<uint32_t>(event->lAudioOffset);
        const bool accepted = timecode(handle, cell, &value);
        event->lAudioOffset = static_cast<int32_t>(value);
        if (accepted) event->dwPresent |= EDL_P_AUDIO_OFFSET;
        break;
    }
    case Column::Descript:
        if ((event->dwPresent & EDL_P_LINE_COMMENT) == 0) {
            edlb::copyCut(event->szComment, cell, edlb::kCommentMax);
        }
        break;
    case Column::Tracks:
        event->dwVideoTracks = 0;
        event->dwAudioTracks = 0;
        for (const TrackCell& row : kTrackCells) {
            if (strcasecmp(cell, row.text) == 0) {
                event->dwVideoTracks = row.video;
                event->dwAudioTracks = row.audio;
                break;
            }
        }
        event->dwPresent |= EDL_P_TRACKS;
        break;
    case Column::ReelName:
        edlb::copyCut(event->szReel, cell, edlb::kReelMax);
        event->dwPresent |= EDL_P_REEL;
        break;
    case Column::Comments:
        edlb::copyCut(event->szComment, cell, edlb::kCommentMax);
        event->dwPresent |= EDL_P_LINE_COMMENT;
        break;
    case Column::SoundFile:
        edlb::copyCut(event->szName, cell, edlb::kNameMax);
        event->dwPresent |= EDL_P_FILE_NAME;
        break;
    case Column::None:
        break;
    }
}

// Makes the row in the line buffer a plain text. Leading NUL bytes become spaces, but only
// among the bytes this read placed in the buffer: bytes of an earlier, longer line that
// still sit behind them must never come back as cells.
void cleanRow(tagKvEdlHandle* handle, char* line) {
    int64_t consumed = handle->dwLineEnd - handle->lLineStart;
    if (consumed < 0) consumed = 0;
    const size_t placed =
        consumed > static_cast<int64_t>(edlb::kLineLimit - 1) ? edlb::kLineLimit - 1
                                                             : static_cast<size_t>(consumed);
    if (line[0] != '\0' || placed < 2) return;
    // getLine turns the line's end into a NUL only when no NUL byte comes before it; here
    // one does, so the line end (CR or LF) is still in the buffer or was never read.
    size_t end = 0;
    while (end < placed && line[end] != '\r' && line[end] != '\n') ++end;
    for (size_t i = 0; i < end && line[i] == '\0'; ++i) line[i] = ' ';
    line[end] = '\0';
}

}  // namespace

EDLBRIDGE_API int edlReadColumnLine(tagKvEdlHandle* handle, EdlLine* event) {
    if (handle == nullptr || handle->pszLineBuf == nullptr) return EDL_NO_LINE_BUFFER;
    if (handle->dwReading == 0) return EDL_WRONG_DIRECTION;
    if (event == nullptr) return static_cast<int>(EDL_BAD_ARGUMENT);
    if (edlb::atEnd(handle)) return EDL_END_OF_LIST;
    edlb::resetColumnEvent(handle, event);

    char* line = handle->pszLineBuf;
    if (getLine(handle, line, edlb::kLineLimit) == 0) return EDL_NO_LINE;
    cleanRow(handle, line);
    edlb::copyCut(event->szLine, line, edlb::kLineMax);

    const char* columnLine = handle->list.szColumnLine;
    if (!hasColumnName(columnLine)) return 0;

    char* name = static_cast<char*>(KvAlloc(2 * (kCellMax + 1)));
    if (name == nullptr) return EDL_NO_LINE;
    char* cell = name + kCellMax + 1;
    const char* nameCursor = columnLine;
    const char* cellCursor = line;
    nextTabField(&cellCursor, cell);
    // A row that repeats the "Data" keyword is no event.
    if (strcasecmp(cell, "Data") != 0) {
        // Names and cells line up by position; an empty name is a column that sets nothing.
        bool first = true;
        while (nameCursor != nullptr) {
            nextTabField(&nameCursor, name);
            if (!first) nextTabField(&cellCursor, cell);
            first = false;
            if (cell[0] != '\0') applyColumn(handle, event, columnOf(name), cell);
        }
        if (event->szName[0] != '\0') {
            const size_t length = std::strlen(event->szComment);
            if (length < edlb::kCommentMax) {
                char* tail = event->szComment + length;
                const size_t room = edlb::kCommentMax - length;
                const size_t sepLength = room < 3 ? room : 3;
                std::memcpy(tail, " ; ", sepLength);
                edlb::copyCut(tail + sepLength, event->szName, room - sepLength);
            }
        }
    }
    KvFree(name);
    return 0;
}
