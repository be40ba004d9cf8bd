// Detection at open, the choice of reader, and edlReadLine, which hands every read to it.
#include "core/readers.h"

#include "detect/detect.h"
#include "core/tc_modes.h"
#include "parse/reader.h"
#include "services/timecode.h"

namespace edlb {

bool detectList(tagKvEdlHandle* handle) {
    EdlList& list = handle->list;
    const ListTypeInfo* row = senseName(handle->szFileName);
    if (row != nullptr) {
        // Only CSV lists are known by their name; their head is the CSV header.
        if (csvReadColumnLine(handle, nullptr) != 0) return false;
        list.dwFlags2 |= EDL_LF2_CSV;
    } else {
        row = senseHead(handle);
        if (row == nullptr) return false;
    }
    list.dwListType = row->value;
    if ((list.dwFlags & EDL_LF_INTERCHANGE) != 0) {
        // Read for interchange, a text in which no line is an event of the dialect it
        // matched is no list.
        const ReaderKind reader = readerOf(list);
        if (reader == ReaderKind::EventLines && !holdsEventLine(handle)) return false;
        settleCountingRate(list);
        // Logs without record times lay their events end to end from one hour, as editing
        // systems start a sequence; edlSetRecorderIn moves the start.
        if (reader != ReaderKind::EventLines || list.dwListType == EDLTYPE_XJT_CLIP) {
            tc2Frame("01:00:00:00", timecodeFlagsWord(list.dwTcMode, list.dwFlags, false),
                     &handle->dwRecorderIn);
        }
    }
    // Only the library's own formats keep the caller's list flags.
    if (row->value != EDLTYPE_XJT_LIST && row->value != EDLTYPE_XJT_CLIP) {
        list.dwFlags &= kFlagsKeptByDetection;
    }
    return true;
}

ReaderKind readerOf(const EdlList& list) {
    // A CSV list also has the column-list bit: the CSV mark decides first.
    if ((list.dwFlags2 & EDL_LF2_CSV) != 0) return ReaderKind::CsvRows;
    const ReaderKind reader = listTypeInfo(list.dwListType).reader;
    if (reader == ReaderKind::CsvRows) return reader;
    // Rows are read by their columns only under the column line the head gave (a
    // log-exchange list without one has its rows read as clip lines), and under it
    // whatever the type: the caller's column-list bit survives detection.
    if ((list.dwFlags & EDL_LF_COLUMN_LIST) != 0) return ReaderKind::ColumnRows;
    return ReaderKind::EventLines;
}

void resetEvent(const tagKvEdlHandle* handle, EdlLine* event) {
    if (event->szClipName == nullptr || event->szName == nullptr || event->szComment == nullptr ||
        event->szReel == nullptr || event->szLine == nullptr) {
        edlInitEdlLineStruct(event);
    }
    event->dwPresent = 0;
    event->dwSrcIn = event->dwSrcOut = event->dwMarkIn = event->dwMarkOut = 0;
    event->dwRecIn = event->dwRecOut = 0;
    event->lAudioOffset = 0;
    event->dwEditNum = 0;
    event->dwVideoTracks = event->dwAudioTracks = 0;
    event->dwEffect = 0;
    event->dwWipeCode = event->dwEffectLen = 0;
    event->chEditType = 'C';
    event->dwTrackMask = 0xFFF0;
    event->dwListTag = handle->list.dwUserTag;
    event->szClipName[0] = event->szName[0] = event->szComment[0] = '\0';
    event->szReel[0] = event->szLine[0] = '\0';
    // The documented reset leaves a key's text to the next event; a list read for
    // interchange gives every event only what it says itself.
    if ((handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0) event->szEffectText[0] = '\0';
}

}  // namespace edlb

extern "C" EDLBRIDGE_API uint32_t edlReadLine(tagKvEdlHandle* handle, EdlLine* event) {
    if (handle == nullptr || event == nullptr) return EDL_BAD_ARGUMENT;
    edlb::resetEvent(handle, event);
    switch (edlb::readerOf(handle->list)) {
        case edlb::ReaderKind::CsvRows:
            return static_cast<uint32_t>(csvReadLine(handle, event));
        case edlb::ReaderKind::ColumnRows:
            return static_cast<uint32_t>(edlReadColumnLine(handle, event));
        case edlb::ReaderKind::EventLines:
        case edlb::ReaderKind::Refused:
            break;
    }
    return edlb::readEventLines(handle, event);
}
