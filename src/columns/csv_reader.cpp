// CSV event reader: one data row per event, cells placed by the header's column map,
// media files resolved to an existing movie beside the named file or beside the list.
#include <cstdio>
#include <cstring>

#include "columns/columns.h"
#include "core/portable.h"
#include "parse/reader.h"
#include "services/timecode.h"

namespace {

using edlb::kCellMax;

constexpr uint32_t kMediaAsWritten = EDL_P_FILE_NAME;
constexpr uint32_t kMediaFromMetadata = EDL_P_MEDIA_MISSING;
const char* const kMovieExtensions[] = {"mov", "mxf", "avi"};

bool endsWithNoCase(const char* text, size_t length, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return length >= n && strcasecmp(text + length - n, suffix) == 0;
}

bool endsWith(const char* text, size_t length, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return length >= n && std::strcmp(text + length - n, suffix) == 0;
}

// Scratch paths of one lookup, allocated together so a failed allocation is one check.
struct LookupBuffers {
    char candidate[kKvPathMax];
    char fullList[kKvPathMax];
    char listDrive[kKvPathMax];
    char listDir[kKvPathMax];
    char mediaDir[kKvPathMax];
    char mediaName[kKvPathMax];
    char probe[kKvPathMax];
};

// Looks beside the list file for name.mov / .mxf / .avi, first inside a folder named like
// the media's own last folder when the list's folder has one.
bool lookBesideList(tagKvEdlHandle* handle, LookupBuffers& b, char* result) {
    kvOSFullPath(b.fullList, handle->szFileName, kKvPathMax);
    kvOSSplitPath(b.fullList, b.listDrive, b.listDir, nullptr, nullptr);
    kvOSSplitPath(b.candidate, nullptr, b.mediaDir, b.mediaName, nullptr);

    const size_t dirLength = std::strlen(b.mediaDir);
    if (dirLength > 0) {
        // The last folder of the media's directory: the text after the last '/' that
        // lies before the directory's final separator (the whole text when none does).
        size_t start = 0;
        for (size_t i = 0; i + 1 < dirLength; ++i) {
            if (b.mediaDir[i] == '/') start = i + 1;
        }
        const char* component = b.mediaDir + start;
        const size_t listLength = std::strlen(b.listDir);
        const size_t componentLength = dirLength - start;
        // A joined folder that would not fit is not tried: a cut path names another folder.
        if (componentLength > 0 && listLength + componentLength < kKvPathMax) {
            std::memcpy(b.probe, b.listDir, listLength);
            std::memcpy(b.probe + listLength, component, componentLength);
            b.probe[listLength + componentLength] = '\0';
            kvOSMakePath(b.fullList, b.listDrive, b.probe, nullptr, nullptr);
            if (kvOSFileIsDir(b.fullList)) {
                std::memcpy(b.listDir, b.probe, listLength + componentLength + 1);
            }
        }
    }

    const size_t fixedLength =
        std::strlen(b.listDrive) + std::strlen(b.listDir) + std::strlen(b.mediaName) + 1;
    for (const char* extension : kMovieExtensions) {
        if (fixedLength + 4 + 1 >= kKvPathMax) break;
        char dotted[5] = {'.', extension[0], extension[1], extension[2], '\0'};
        kvOSMakePath(b.probe, b.listDrive, b.listDir, b.mediaName, dotted);
        if (kvOSFileExists(b.probe)) {
            edlb::copyCut(result, b.probe, kKvPathMax - 1);
            return true;
        }
    }
    return false;
}

// Resolves a media cell to an existing movie file. result receives the path found.
bool findMedia(tagKvEdlHandle* handle, const char* cell, uint32_t column, char* result) {
    LookupBuffers* b = static_cast<LookupBuffers*>(KvAlloc(sizeof(LookupBuffers)));
    if (b == nullptr) return false;
    bool found = false;
    edlb::copyCut(b->candidate, cell, kCellMax);
    if (column == kMediaAsWritten && kvOSFileExists(b->candidate)) {
        edlb::copyCut(result, b->candidate, kKvPathMax - 1);
        found = true;
    }
    if (!found) {
        kvOSFixSeparators(b->candidate);
        const size_t length = std::strlen(b->candidate);
        // The extension replaced: the whole ".evs.xml" of EVS metadata, ".rtin", or the last
        // three characters. A name shorter than that is tried as written.
        size_t at = length;
        if (endsWithNoCase(b->candidate, length, ".evs.xml")) {
            at = length - 7;
        } else if (endsWith(b->candidate, length, ".rtin")) {
            at = length - 4;
        } else if (length >= 3) {
            at = length - 3;
        }
        if (at == length) {
            found = kvOSFileExists(b->candidate) != 0;
            if (found) edlb::copyCut(result, b->candidate, kKvPathMax - 1);
        } else {
            for (const char* extension : kMovieExtensions) {
                std::memcpy(b->candidate + at, extension, 4);
                if (kvOSFileExists(b->candidate)) {
                    edlb::copyCut(result, b->candidate, kKvPathMax - 1);
                    found = true;
                    break;
                }
            }
        }
    }
    if (!found) found = lookBesideList(handle, *b, result);
    KvFree(b);
    return found;
}

// What one row read for interchange gathers besides the event record.
struct InterchangeRow {
    bool active = false;
    char* clipName = nullptr;          // the "Clip Name" cell, else the "Clip ID" cell
    bool fromName = false;             // clipName came from a "Clip Name" column
    uint32_t commentLength = 0;
};

void applyMedia(tagKvEdlHandle* handle, EdlLine* event, const char* cell, uint32_t column,
                bool interchange) {
    if (event->szName == nullptr) return;
    edlb::copyCut(event->szName, cell, edlb::kNameMax);
    char* result = static_cast<char*>(KvAlloc(kKvPathMax));
    const bool found = result != nullptr && findMedia(handle, cell, column, result);
    if (found) {
        edlb::copyCut(event->szName, result, edlb::kNameMax);
        event->dwPresent |= kMediaAsWritten;
    } else if (interchange) {
        // The file the log names stays the event's file, found or not.
        event->dwPresent |= kMediaAsWritten | column;
    } else {
        event->szName[0] = '\0';
        event->dwPresent |= column;
    }
    KvFree(result);
}

void applyCell(tagKvEdlHandle* handle, EdlLine* event, const char* cell, uint32_t column,
               InterchangeRow& row) {
    if (row.active) {
        switch (column) {
        case EDL_P_LINE_COMMENT:
            edlb::appendTextLine(event, cell, std::strlen(cell), row.commentLength);
            return;
        case EDL_P_EDIT_NUMBER:  // "Clip ID": the clip's name unless a "Clip Name" gives one
            if (!row.fromName) edlb::copyCut(row.clipName, cell, kCellMax);
            return;
        case EDL_P_CLIP_NAME:
            edlb::copyCut(row.clipName, cell, kCellMax);
            row.fromName = true;
            return;
        case EDL_P_TRACKS:
            edlb::readTracks(cell, event);
            return;
        default:
            break;
        }
    }
    switch (column) {
    case EDL_P_SRC_IN:
        tc2Frame(cell, handle->dwTcFlags, &event->dwSrcIn);
        event->dwPresent |= EDL_P_SRC_IN;
        break;
    case EDL_P_SRC_OUT:
        tc2Frame(cell, handle->dwTcFlags, &event->dwSrcOut);
        event->dwPresent |= EDL_P_SRC_OUT;
        break;
    case EDL_P_DURATION: {
        // A length counts from the source in known so far.
        unsigned length = 0;
        tc2Frame(cell, handle->dwTcFlags, &length);
        event->dwSrcOut = length + event->dwSrcIn;
        event->dwPresent |= EDL_P_DURATION;
        break;
    }
    case EDL_P_REEL:
        edlb::copyCut(event->szReel, cell, edlb::kReelMax);
        event->dwPresent |= EDL_P_REEL;
        break;
    case EDL_P_EDIT_NUMBER:  // "Clip ID": the clip name unless one is there already
        if (event->szClipName != nullptr && event->szClipName[0] == '\0') {
            edlb::copyCut(event->szClipName, cell, 8);
            event->dwPresent |= EDL_P_EDIT_NUMBER;
        }
        break;
    case EDL_P_CLIP_NAME:  // "Clip Name": replaces the clip ID when there is one
        if (event->szClipName != nullptr && event->szClipName[0] != '\0') {
            edlb::copyCut(event->szClipName, cell, 8);
            event->dwPresent |= EDL_P_CLIP_NAME;
        }
        break;
    case kMediaAsWritten:
    case kMediaFromMetadata:
        applyMedia(handle, event, cell, column, row.active);
        break;
    default:
        break;
    }
}

// A cell of a row read for interchange under an ASC_SOP or ASC_SAT column, which the column
// map has no entry for: kept as the note "ASC_SOP: value", as the column reader keeps the
// columns it does not interpret, so that the grade goes on with its event. name is scratch
// room for one cell.
void keepGradeCell(const tagKvEdlHandle* handle, EdlLine* event, size_t index, const char* cell,
                   char* name, InterchangeRow& row) {
    const char* cursor = handle->list.szColumnLine;
    for (size_t k = 0; k <= index; ++k) {
        if (!edlb::nextCsvCell(&cursor, name)) return;
    }
    if (strcasecmp(name, "ASC_SOP") != 0 && strcasecmp(name, "ASC_SAT") != 0) return;
    char note[kCellMax + 16];
    const int length = std::snprintf(note, sizeof note, "%s: %s", name, cell);
    if (length > 0) edlb::appendTextLine(event, note, std::strlen(note), row.commentLength);
}

}  // namespace

namespace {

// A row without an out point (or with one before its in point) has no length: it must not
// throw the record position of every later row billions of frames ahead.
uint32_t eventLength(const EdlLine& event) {
    return event.dwSrcOut >= event.dwSrcIn ? event.dwSrcOut - event.dwSrcIn : 0;
}

}  // namespace

extern "C" EDLBRIDGE_API int csvReadLine(tagKvEdlHandle* handle, EdlLine* event) {
    if (handle == nullptr || event == nullptr) return -1;
    if ((handle->list.dwFlags & EDL_LF_COLUMN_LIST) == 0) return -1;
    if (handle->pszLineBuf == nullptr) return static_cast<int>(EDL_NO_LINE_BUFFER);
    if (handle->dwReading == 0) return static_cast<int>(EDL_WRONG_DIRECTION);
    event->dwPresent = 0;
    char* line = handle->pszLineBuf;
    if (getLine(handle, line, edlb::kLineLimit) == 0) return static_cast<int>(EDL_NO_LINE);

    InterchangeRow row;
    row.active = (handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0;
    char* cell = static_cast<char*>(KvAlloc((row.active ? 3 : 1) * (kCellMax + 1)));
    if (cell == nullptr) return static_cast<int>(EDL_NO_LINE);
    char* name = nullptr;
    if (row.active) {
        row.clipName = cell + kCellMax + 1;
        row.clipName[0] = '\0';
        name = row.clipName + kCellMax + 1;
    }
    const char* cursor = line;
    for (size_t k = 0; k < edlb::kMapColumns && edlb::nextCsvCell(&cursor, cell); ++k) {
        if (cell[0] == '\0') continue;
        const uint32_t column = handle->list.adwColumns[k];
        if (row.active && column == 0) {
            keepGradeCell(handle, event, k, cell, name, row);
        } else {
            applyCell(handle, event, cell, column, row);
        }
    }
    if (row.active && event->szClipName != nullptr && event->szName != nullptr) {
        // The clip's whole name where no media file is named, ten characters of it as its
        // clip name.
        edlb::copyCut(event->szClipName, row.clipName, edlb::kClipNameMax);
        if (row.clipName[0] != '\0') event->dwPresent |= EDL_P_CLIP_NAME;
        if ((event->dwPresent & kMediaAsWritten) == 0) {
            edlb::copyCut(event->szName, row.clipName, edlb::kNameMax);
        } else if (event->szComment != nullptr) {
            edlb::keepWholeClipName(event, row.clipName, row.commentLength);
        }
    }
    KvFree(cell);

    if ((event->dwPresent & EDL_P_TRACKS) == 0) {
        event->dwVideoTracks = 1;
        event->dwAudioTracks = 0xFFFF;
    }
    const uint32_t length = eventLength(*event);
    // XFile3 exports are placed by the caller through csvDoXFileRec, for the events it keeps.
    if (handle->bXFile3 == 0) {
        event->dwRecIn = handle->dwRecorderIn;
        event->dwRecOut = handle->dwRecorderIn + length;
        handle->dwRecorderIn += length;
    }
    event->dwMarkIn = 0;
    event->dwMarkOut = length;
    ++handle->dwEventCount;
    event->bXFile3 = handle->bXFile3;
    return 0;
}

extern "C" EDLBRIDGE_API int csvDoXFileRec(tagKvEdlHandle* handle, EdlLine* event) {
    if (handle == nullptr || event == nullptr) return -1;
    const uint32_t length = eventLength(*event);
    event->dwRecIn = handle->dwRecorderIn;
    event->dwRecOut = handle->dwRecorderIn + length;
    handle->dwRecorderIn += length;
    return 0;
}
