// CSV header reader: finds the line of column names (after the preamble of an EVS XFile3
// export) and builds the column map the CSV event reader follows.
#include <cstring>

#include "columns/columns.h"
#include "core/portable.h"
#include "core/text.h"
#include "parse/reader.h"

namespace {

// "Auxiliary TC1" fills no field; it marks the event given to the header reader.
constexpr uint32_t kAuxTimecode = 0xFFFFFFFFu;
constexpr uint32_t kCommentColumn = EDL_P_LINE_COMMENT;
// "TAPE" and "Tracks" fill no field of the documented reading. Read for interchange, the
// tape is the reel of a log without a Reel column, and the tracks are the event's tracks.
constexpr uint32_t kTapeColumn = 0xFFFFFFFEu;
constexpr uint32_t kTracksColumn = 0xFFFFFFFDu;

struct HeaderName {
    const char* name;
    size_t prefix;  // 0: the whole name must match
    uint32_t value;
};

// The first row that matches decides.
constexpr HeaderName kHeaderNames[] = {
    {"Clip ID", 0, EDL_P_EDIT_NUMBER},
    {"ClipID", 0, EDL_P_EDIT_NUMBER},
    {"Clip Name", 0, EDL_P_CLIP_NAME},
    {"Name", 0, EDL_P_CLIP_NAME},
    {"TC In", 0, EDL_P_SRC_IN},
    {"In", 0, EDL_P_SRC_IN},
    {"Start", 0, EDL_P_SRC_IN},
    {"Mark In", 0, EDL_P_SRC_IN},
    {"TC Out", 0, EDL_P_SRC_OUT},
    {"Out", 0, EDL_P_SRC_OUT},
    {"End", 0, EDL_P_SRC_OUT},
    {"Mark Out", 0, EDL_P_SRC_OUT},
    {"Dur", 3, EDL_P_DURATION},
    {"TAPE", 0, kTapeColumn},
    {"Tracks", 0, kTracksColumn},
    {"Log#", 0, 0},
    {"Auxiliary TC1", 0, kAuxTimecode},
    {"Descript", 8, kCommentColumn},
    {"Commment", 8, kCommentColumn},
    // Most exports spell it with two m's; both mean the comment column.
    {"Comment", 7, kCommentColumn},
    {"Note", 4, kCommentColumn},
    {"Keyword", 7, kCommentColumn},
    {"ReelName", 0, EDL_P_REEL},
    {"Reel Name", 0, EDL_P_REEL},
    {"Reel", 0, EDL_P_REEL},
    {"Creation Date Time", 0, 0},
    {"Backup Date Time", 0, 0},
    {"Metadata Filename", 0, EDL_P_MEDIA_MISSING},
    {"File Size", 0, 0},
    {"filename", 0, EDL_P_FILE_NAME},
    {"file", 0, EDL_P_FILE_NAME},
};

const HeaderName* findHeaderName(const char* field) {
    for (const HeaderName& row : kHeaderNames) {
        const bool match = row.prefix == 0 ? strcasecmp(field, row.name) == 0
                                           : strncasecmp(field, row.name, row.prefix) == 0;
        if (match) return &row;
    }
    return nullptr;
}

// Read for interchange, a log counts as the timecodes of its first row are written: ';'
// before the frames is drop frame, ':' non-drop (unless the host chose a mode other than
// the default). The row is read ahead and given back.
void settleSeparators(tagKvEdlHandle* handle, char* field) {
    EdlList& list = handle->list;
    if (list.dwTcMode != EDL_TC_DF) return;
    list.dwTcMode = list.dwCurTcMode = EDL_TC_NDF;
    char* line = handle->pszLineBuf;
    if (getLine(handle, line, edlb::kLineLimit) == 0) return;
    const char* cursor = line;
    for (size_t k = 0; k < edlb::kMapColumns && edlb::nextCsvCell(&cursor, field); ++k) {
        const uint32_t column = list.adwColumns[k];
        if ((column == EDL_P_SRC_IN || column == EDL_P_SRC_OUT || column == EDL_P_DURATION) &&
            edlb::modeOfSeparators(field) == EDL_TC_DF) {
            list.dwTcMode = list.dwCurTcMode = EDL_TC_DF;
        }
    }
    ungetline(handle);
}

bool beginsWith(const char* line, const char* keyword) {
    return edlb::beginsNoCase(line, keyword, std::strlen(keyword));
}

}  // namespace

extern "C" EDLBRIDGE_API int csvReadColumnLine(tagKvEdlHandle* handle, EdlLine* event) {
    if (handle == nullptr || handle->pszLineBuf == nullptr) return EDL_NO_LINE_BUFFER;
    if (handle->dwReading == 0) return EDL_WRONG_DIRECTION;
    if (edlb::atEnd(handle)) return EDL_END_OF_LIST;
    if (event != nullptr) edlb::resetColumnEvent(handle, event);

    char* line = handle->pszLineBuf;
    edlb::seekTo(handle, 0);
    handle->lLineStart = handle->dwLineEnd = 0;
    if (getLine(handle, line, edlb::kLineLimit) == 0) return EDL_NO_LINE;
    if (event != nullptr) edlb::copyCut(event->szLine, line, edlb::kLineMax);

    // The XFile3 preamble: its two marker lines may stand anywhere in the first five lines.
    bool storyboard = false;
    bool version = false;
    bool readAll = true;
    for (int number = 1; number <= 5; ++number) {
        if (number > 1 && getLine(handle, line, edlb::kLineLimit) == 0) {
            readAll = false;
            break;
        }
        if (beginsWith(line, "Storyboard EVS XFile3")) storyboard = true;
        if (beginsWith(line, "XFile3 version")) version = true;
    }
    if (readAll) getLine(handle, line, edlb::kLineLimit);
    handle->bXFile3 = (storyboard || version) ? 1 : 0;

    if (!(storyboard && version)) {
        edlb::seekTo(handle, 0);
        handle->lLineStart = handle->dwLineEnd = 0;
        if (storyboard && getLine(handle, line, edlb::kLineLimit) == 0) return EDL_NO_LINE;
    }
    if (getLine(handle, line, edlb::kLineLimit) == 0) return EDL_NO_LINE;

    EdlList& list = handle->list;
    edlb::copyCut(list.szColumnLine, line, edlb::kColumnLineMax);
    list.dwHasColumnMap = 1;
    list.dwFlags |= EDL_LF_CSV | EDL_LF_COLUMN_LIST;

    // Every field, empty ones included, is a column, so map entries keep the positions of
    // their cells in the rows. The map starts empty: a map left by an earlier header or by
    // detection must not leak into this one.
    char* field = static_cast<char*>(KvAlloc(edlb::kCellMax + 1));
    if (field == nullptr) return EDL_NO_LINE;
    std::memset(list.adwColumns, 0, sizeof list.adwColumns);
    const bool interchange = (list.dwFlags & EDL_LF_INTERCHANGE) != 0;
    const char* cursor = line;
    int recognised = 0;
    size_t tape = edlb::kMapColumns;
    bool reel = false;
    for (size_t k = 0; k < edlb::kMapColumns && edlb::nextCsvCell(&cursor, field); ++k) {
        const HeaderName* row = findHeaderName(field);
        // The documented reading knows no tracks column.
        if (row == nullptr || (row->value == kTracksColumn && !interchange)) continue;
        ++recognised;
        if (row->value == kAuxTimecode) {
            if (event != nullptr) event->dwPresent |= EDL_P_AUDIO_OFFSET;
        } else if (row->value == kTapeColumn) {
            if (tape == edlb::kMapColumns) tape = k;
        } else if (row->value == kTracksColumn) {
            list.adwColumns[k] = EDL_P_TRACKS;
        } else {
            list.adwColumns[k] = row->value;
            reel = reel || row->value == EDL_P_REEL;
        }
    }
    if (interchange && recognised > 0) {
        // A Reel column wins over the tape.
        if (!reel && tape < edlb::kMapColumns) list.adwColumns[tape] = EDL_P_REEL;
        settleSeparators(handle, field);
    }
    KvFree(field);
    return recognised > 0 ? 0 : static_cast<int>(EDL_NO_LINE);
}
