// Closing lines: what only edlClose can write, because it follows the last event.
#include "core/handle.h"
#include "core/list_types.h"
#include "write/write.h"
#include "write/writers.h"

namespace {

void writeFillerBlock(tagKvEdlHandle* handle) {
    char* buf = handle->pszLineBuf;
    // An end-of-file filler of 81 SUB characters, as older tools expect.
    std::memset(buf, 0x1A, 81);
    std::memcpy(buf + 81, "\r\n\r\n\r\n", 6);
    edlb::putBytes(handle->pFile, buf, 87);
    edlb::writeLineBuffer(handle, std::snprintf(buf, edlb::kLineBufferSize, "; comments by Brimvel:%s",
                                      edlb::kCrlf));
    // The last line has no terminator: the file ends with it.
    edlb::writeLineBuffer(handle, std::snprintf(buf, edlb::kLineBufferSize, "%s",
                                      ";Event Tapename Track Cuttype Timecodes..."));
}

// One definition per event written, the most recent first; every entry is released.
void writeSources(tagKvEdlHandle* handle) {
    while (kv_ListCount(&handle->sources) != 0) {
        EdlSourceEntry* entry = static_cast<EdlSourceEntry*>(kv_ListRemoveTail(&handle->sources));
        if (entry == nullptr) break;
        const int nameLen = static_cast<int>(
            edlb::boundedLength(entry->szSourceName, edlb::kSourceFieldSize));
        const int valueLen = static_cast<int>(
            edlb::boundedLength(entry->szSourceValue, edlb::kSourceFieldSize));
        edlb::writeLineBuffer(handle, std::snprintf(handle->pszLineBuf, edlb::kLineBufferSize,
                                          "*DS type=source %.*s=%.*s%s", nameLen,
                                          entry->szSourceName, valueLen, entry->szSourceValue,
                                          edlb::kCrlf));
        edlb::deleteSourceEntry(entry);
    }
    edlb::putText(handle->pFile, edlb::kCrlf);
}

}  // namespace

void edlWriteTrailer(tagKvEdlHandle* handle) {
    if (handle == nullptr || handle->dwReading != 0 || handle->pFile == nullptr ||
        handle->pszLineBuf == nullptr) {
        return;
    }
    switch (edlb::listTypeInfo(handle->list.dwListType).closing) {
        case edlb::Closing::None: break;
        case edlb::Closing::FillerBlock: writeFillerBlock(handle); break;
        case edlb::Closing::DsSources: writeSources(handle); break;
    }
}
