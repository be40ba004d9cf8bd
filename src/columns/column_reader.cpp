// Column list reader: one tab-separated row of a log-exchange list per event, each cell
// matched by position to the names of the list's column line.
#include <cstdio>
#include <cstring>

#include "columns/column_names.h"
#include "columns/columns.h"
#include "core/portable.h"
#include "parse/reader.h"

namespace {

using edlb::Column;
using edlb::columnOf;
using edlb::kCellMax;

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

// The audio offset is signed: a leading '-' turns the timecode into a negative offset. An
// earlier audio offset (or auxiliary timecode) of the row wins.
void readAudioOffset(tagKvEdlHandle* handle, EdlLine* event, char* cell) {
    if ((event->dwPresent & EDL_P_AUDIO_OFFSET) != 0) return;
    uint32_t value = static_cast<uint32_t>(event->lAudioOffset);
    const bool accepted = timecode(handle, cell, &value);
    if (cell[0] == '-') value = 0u - value;
    event->lAudioOffset = static_cast<int32_t>(value);
    if (accepted) event->dwPresent |= EDL_P_AUDIO_OFFSET;
}

// An auxiliary timecode has no sign and takes the audio offset's place whatever came before.
void readAuxTimecode(tagKvEdlHandle* handle, EdlLine* event, char* cell) {
    uint32_t value = static_cast<uint32_t>(event->lAudioOffset);
    const bool accepted = timecode(handle, cell, &value);
    event->lAudioOffset = static_cast<int32_t>(value);
    if (accepted) event->dwPresent |= EDL_P_AUDIO_OFFSET;
}

// A tracks cell the table does not know still counts as given: it sets no track.
void lookupTracks(const char* cell, EdlLine* event) {
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
}

// One cell of a row into the event; the cell's column decides which field it fills.
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
    case Column::AudioOffset:
        readAudioOffset(handle, event, cell);
        break;
    case Column::AuxTc:
        readAuxTimecode(handle, event, cell);
        break;
    case Column::Descript:
        // A comments cell wins over a description wherever it stands in the row.
        if ((event->dwPresent & EDL_P_LINE_COMMENT) == 0) {
            edlb::copyCut(event->szComment, cell, edlb::kCommentMax);
        }
        break;
    case Column::Tracks:
        lookupTracks(cell, event);
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
    case Column::Tape:
    case Column::SourceFile:
    case Column::RecordIn:
    case Column::RecordOut:
    case Column::EditNumber:
    case Column::Transition:
        break;
    }
}

// What one row read for interchange gathers besides the event record.
struct InterchangeRow {
    char* clipName = nullptr;  // the whole name of the "Name" cell
    char* file = nullptr;      // the media file of a "Source File" or "SoundFile" cell
    char* tape = nullptr;      // the "Tape" cell: the reel unless a "ReelName" cell names one
    uint32_t commentLength = 0;
    bool numbered = false;     // an "Event" cell gave the event's number
};

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

uint32_t readNumber(const char** text, int* digits) {
    uint32_t value = 0;
    *digits = 0;
    while (**text >= '0' && **text <= '9') {
        value = value * 10u + static_cast<uint32_t>(*(*text)++ - '0');
        ++*digits;
    }
    return value;
}

}  // namespace

namespace edlb {

void readTracks(const char* cell, EdlLine* event) {
    uint32_t video = 0, audio = 0;
    for (const char* p = cell; *p != '\0';) {
        if (isBlankChar(*p) || *p == ',') {
            ++p;
            continue;
        }
        const char kind = static_cast<char>(*p | 0x20);
        if (kind != 'v' && kind != 'a') {
            video = audio = 0;
            break;
        }
        ++p;
        int digits = 0;
        const uint32_t first = readNumber(&p, &digits);
        uint32_t last = first;
        // A range as editing systems' bins write it: 'A1-4', 'A1-A4'.
        if (digits > 0 && *p == '-') {
            ++p;
            if ((*p | 0x20) == kind) ++p;
            int lastDigits = 0;
            last = readNumber(&p, &lastDigits);
            if (lastDigits == 0 || last < first) {
                video = audio = 0;
                break;
            }
        }
        uint32_t& tracks = kind == 'v' ? video : audio;
        const uint32_t limit = kind == 'v' ? 8u : 16u;
        if (kind == 'v' && digits == 0) tracks |= 1u;
        for (uint32_t n = first; digits > 0 && n >= 1 && n <= last && n <= limit; ++n) {
            tracks |= 1u << (n - 1);
        }
    }
    event->dwVideoTracks = video;
    event->dwAudioTracks = audio;
    event->dwPresent |= EDL_P_TRACKS;
}

}  // namespace edlb

namespace {

// A transition cell as the CMX transition field writes it: 'C', 'D    030', 'W001 030',
// 'K    030', 'KB   030'. The fields come out as the event reader gives them for the same
// text on an event line.
void readTransitionCell(const char* cell, EdlLine* event) {
    const char* p = cell;
    while (isBlankChar(*p)) ++p;
    const char letter = static_cast<char>(*p & ~0x20);
    int digits = 0;
    switch (letter) {
    case 'C':
        event->chEditType = 'C';
        event->dwWipeCode = 0xFFFFFFFFu;
        event->dwPresent |= EDL_P_EFFECT | EDL_P_EFFECT_NUMBER;
        return;
    case 'D':
    case 'W': {
        ++p;
        // A dissolve's number is its length; a wipe's first number is its code.
        uint32_t first = readNumber(&p, &digits);
        if (digits == 0) {
            while (isBlankChar(*p)) ++p;
            first = readNumber(&p, &digits);
        } else {
            while (isBlankChar(*p)) ++p;
            event->dwEffectLen = readNumber(&p, &digits);
        }
        event->chEditType = letter;
        event->dwWipeCode = first;
        event->dwPresent |= EDL_P_EFFECT | EDL_P_EFFECT_FIELDS;
        if (first != 0) event->dwPresent |= EDL_P_EFFECT_NUMBER;
        return;
    }
    case 'K': {
        ++p;
        const char kind = static_cast<char>(*p & ~0x20);
        event->szEffectText[0] = '\0';
        if (kind == 'B' || kind == 'O') {
            event->szEffectText[0] = kind;
            event->szEffectText[1] = '\0';
            ++p;
        }
        while (isBlankChar(*p)) ++p;
        event->dwEffectLen = readNumber(&p, &digits);
        event->chEditType = 'K';
        event->dwWipeCode = 0;
        event->dwPresent |= EDL_P_EFFECT | EDL_P_KEY;
        if (digits > 0) event->dwPresent |= EDL_P_EFFECT_FIELDS;
        return;
    }
    default:
        return;
    }
}

// A comment cell: each part between " | " is a line of its own (the log writer joins the
// lines of a note that way, since a cell cannot hold a line break).
void appendCommentCell(EdlLine* event, const char* cell, InterchangeRow& row) {
    for (const char* part = cell;;) {
        const char* bar = std::strstr(part, " | ");
        const size_t length = bar != nullptr ? static_cast<size_t>(bar - part) : std::strlen(part);
        edlb::appendTextLine(event, part, length, row.commentLength);
        if (bar == nullptr) break;
        part = bar + 3;
    }
}

void applyInterchangeColumn(tagKvEdlHandle* handle, EdlLine* event, Column column, char* cell,
                            InterchangeRow& row) {
    switch (column) {
    case Column::Name:
        edlb::copyCut(row.clipName, cell, kCellMax);
        edlb::copyCut(event->szClipName, cell, edlb::kClipNameMax);
        event->dwPresent |= EDL_P_CLIP_EVENT | EDL_P_EDIT_NUMBER | EDL_P_CLIP_NAME;
        break;
    case Column::Tracks:
        edlb::readTracks(cell, event);
        break;
    case Column::Descript:
        appendCommentCell(event, cell, row);
        break;
    case Column::Comments:
        appendCommentCell(event, cell, row);
        event->dwPresent |= EDL_P_LINE_COMMENT;
        break;
    case Column::SoundFile:
    case Column::SourceFile:
        edlb::copyCut(row.file, cell, kCellMax);
        break;
    case Column::Tape:
        edlb::copyCut(row.tape, cell, kCellMax);
        break;
    case Column::RecordIn:
        if (timecode(handle, cell, &event->dwRecIn)) event->dwPresent |= EDL_P_REC_IN;
        break;
    case Column::RecordOut:
        if (timecode(handle, cell, &event->dwRecOut)) event->dwPresent |= EDL_P_REC_OUT;
        break;
    case Column::EditNumber: {
        const char* p = cell;
        int digits = 0;
        const uint32_t number = readNumber(&p, &digits);
        if (digits > 0 && *p == '\0') {
            event->dwEditNum = number;
            event->dwPresent |= EDL_P_EDIT_NUMBER;
            row.numbered = true;
        }
        break;
    }
    case Column::Transition:
        readTransitionCell(cell, event);
        break;
    default:
        applyColumn(handle, event, column, cell);
        break;
    }
}

// A cell no reader interprets: a note "NAME: value" of the event.
void keepColumn(EdlLine* event, const char* name, const char* cell, InterchangeRow& row) {
    char note[2 * kCellMax + 3];
    const int length = std::snprintf(note, sizeof note, "%s: %s", name, cell);
    if (length > 0) {
        edlb::appendTextLine(event, note, std::strlen(note), row.commentLength);
    }
}

// The names of a row read for interchange: the whole clip name or the media file in szName,
// the tape as the reel.
void finishInterchangeRow(tagKvEdlHandle* handle, EdlLine* event, InterchangeRow& row) {
    // Rows are events numbered in order where the log gives no event numbers.
    ++handle->dwEventCount;
    if (!row.numbered) {
        event->dwEditNum = handle->dwEventCount;
        event->dwPresent |= EDL_P_EDIT_NUMBER;
    }
    // The heading's tape is the reel of rows without a tape of their own.
    const char* tape = row.tape[0] != '\0' ? row.tape : handle->list.szTape;
    if ((event->dwPresent & EDL_P_REEL) == 0 && tape[0] != '\0') {
        edlb::copyCut(event->szReel, tape, edlb::kReelMax);
        event->dwPresent |= EDL_P_REEL;
    }
    // Rows without record times are laid end to end from the running record position.
    const uint32_t length =
        event->dwSrcOut > event->dwSrcIn ? event->dwSrcOut - event->dwSrcIn : 0;
    if ((event->dwPresent & EDL_P_REC_IN) == 0) event->dwRecIn = handle->dwRecorderIn;
    if ((event->dwPresent & EDL_P_REC_OUT) == 0) event->dwRecOut = event->dwRecIn + length;
    handle->dwRecorderIn = event->dwRecOut;
    if (row.file[0] != '\0') {
        edlb::copyCut(event->szName, row.file, edlb::kNameMax);
        event->dwPresent |= EDL_P_FILE_NAME;
        edlb::keepWholeClipName(event, row.clipName, row.commentLength);
    } else {
        edlb::copyCut(event->szName, row.clipName, edlb::kNameMax);
        event->dwPresent &= ~EDL_P_FILE_NAME;
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

    const bool interchange = (handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0;
    char* name = static_cast<char*>(KvAlloc((interchange ? 5 : 2) * (kCellMax + 1)));
    if (name == nullptr) return EDL_NO_LINE;
    char* cell = name + kCellMax + 1;
    InterchangeRow row{};
    if (interchange) {
        row.clipName = cell + kCellMax + 1;
        row.file = row.clipName + kCellMax + 1;
        row.tape = row.file + kCellMax + 1;
        row.clipName[0] = row.file[0] = row.tape[0] = '\0';
    }
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
            if (cell[0] == '\0') continue;
            if (interchange && edlb::isKeptColumn(name)) {
                keepColumn(event, name, cell, row);
            } else if (interchange) {
                applyInterchangeColumn(handle, event, columnOf(name, true), cell, row);
            } else {
                applyColumn(handle, event, columnOf(name, false), cell);
            }
        }
        if (interchange) {
            finishInterchangeRow(handle, event, row);
        } else if (event->szName[0] != '\0') {
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
