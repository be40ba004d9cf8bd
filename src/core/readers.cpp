// Detection at open, the choice of reader, and edlReadLine, which hands every read to it.
#include "core/readers.h"

#include <cstring>

#include "core/portable.h"

namespace edlb {
namespace {

bool endsWithCsv(const char* name) {
    const size_t length = std::strlen(name);
    return length >= 5 && strcasecmp(name + length - 4, ".csv") == 0;
}

}  // namespace

bool detectList(tagKvEdlHandle* handle) {
    EdlList& list = handle->list;
    if (endsWithCsv(handle->szFileName)) {
        if (csvReadColumnLine(handle, nullptr) != 0) return false;
        list.dwFlags2 |= EDL_LF2_CSV;
        list.dwListType = EDLTYPE_CSV;
        list.dwFlags &= kFlagsKeptByDetection;
        return true;
    }
    const int type = edlAutoSense(handle);
    if (type == EDL_DETECT_FAILED) return false;
    list.dwListType = static_cast<uint32_t>(type);
    // Only the library's own formats keep the caller's list flags.
    if (type != EDLTYPE_XJT_LIST && type != EDLTYPE_XJT_CLIP) list.dwFlags &= kFlagsKeptByDetection;
    return true;
}

Reader readerOf(const EdlList& list) {
    // A CSV list also has the column-list bit: the CSV mark decides first.
    if ((list.dwFlags2 & EDL_LF2_CSV) != 0 || list.dwListType == EDLTYPE_CSV) {
        return Reader::CsvRows;
    }
    if ((list.dwFlags & EDL_LF_COLUMN_LIST) != 0) return Reader::ColumnRows;
    return Reader::EventLines;
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
        case edlb::Reader::CsvRows:
            return static_cast<uint32_t>(csvReadLine(handle, event));
        case edlb::Reader::ColumnRows:
            return static_cast<uint32_t>(edlReadColumnLine(handle, event));
        case edlb::Reader::EventLines:
            break;
    }
    return edlb::readEventLines(handle, event);
}
