// Opening and closing a list: the life cycle of a handle.
#include <cerrno>
#include <cstring>
#include <new>

#include "core/handle.h"
#include "core/list_types.h"
#include "core/readers.h"
#include "core/tc_modes.h"
#include "write/write.h"

namespace {

// The timecode flags word of a list record; a mode whose low byte is 0 becomes drop frame
// in the record itself, and the record's mode in force becomes its mode.
uint32_t tcFlagsOf(EdlList* list, bool writing) {
    if ((list->dwTcMode & EDL_TCF_MODE_MASK) == 0) list->dwTcMode = EDL_TC_DF;
    list->dwCurTcMode = list->dwTcMode;
    return edlb::timecodeFlagsWord(list->dwTcMode, list->dwFlags, writing);
}

void releaseSources(KvList* sources) {
    while (kv_ListCount(sources) != 0) {
        edlb::deleteSourceEntry(static_cast<EdlSourceEntry*>(kv_ListRemoveTail(sources)));
    }
    kv_ListClose(sources);
}

void destroy(tagKvEdlHandle* handle) {
    if (handle->pFile != nullptr) std::fclose(handle->pFile);
    KvFree(handle->pszLineBuf);
    KvFree(handle->pReadBuf);
    releaseSources(&handle->sources);
    delete handle;
}

}  // namespace

extern "C" EDLBRIDGE_API tagKvEdlHandle* edlOpen(const char* fileName, void*, uint32_t mode,
                                                 EdlList* list) {
    if (fileName == nullptr || list == nullptr) return nullptr;
    if (std::strlen(fileName) >= edlb::kFileNameSize) return nullptr;

    tagKvEdlHandle* handle = new (std::nothrow) tagKvEdlHandle();
    if (handle == nullptr) return nullptr;
    kv_ListInit(&handle->sources);
    handle->dwReading = 1;
    std::strcpy(handle->szFileName, fileName);

    handle->pszLineBuf = static_cast<char*>(KvAlloc(edlb::kLineBufferSize));
    if (handle->pszLineBuf == nullptr) {
        destroy(handle);
        return nullptr;
    }
    handle->list = *list;

    const bool reading = (mode & 7) == 0;
    if (reading) {
        handle->list.dwHasColumnMap = 0;
        std::memset(handle->list.adwColumns, 0, 65);
        handle->pReadBuf = static_cast<char*>(KvAlloc(edlb::kReadBufferSize));
        if (handle->pReadBuf == nullptr) {
            destroy(handle);
            return nullptr;
        }
        handle->pFile = std::fopen(fileName, "rb");
    } else {
        handle->dwReading = 0;
        handle->pFile = std::fopen(fileName, "wb+");
        if (handle->pFile == nullptr && errno == ENOENT) handle->pFile = std::fopen(fileName, "wb");
    }
    if (handle->pFile == nullptr) {
        destroy(handle);
        return nullptr;
    }
    std::fseek(handle->pFile, 0, SEEK_SET);

    handle->dwTcFlags = tcFlagsOf(list, true);
    handle->dwEventCount = 0;
    handle->dwRecorderIn = 0;
    handle->lLineStart = 0;
    handle->dwLineEnd = 0;

    if (reading) {
        if (!edlb::detectList(handle)) {
            destroy(handle);
            return nullptr;
        }
        *list = handle->list;
        // Read-mode words carry no drop marker: it only matters for writing.
        handle->dwTcFlags = tcFlagsOf(list, false);
    } else if ((handle->list.dwFlags & EDL_LF_NO_HEADER) == 0) {
        edlWriteHeader(handle);
    }

    // The handle ends with exactly the caller's record, whatever the header step changed.
    handle->list = *list;
    return handle;
}

extern "C" EDLBRIDGE_API uint32_t edlClose(tagKvEdlHandle* handle) {
    if (handle == nullptr) return EDL_NO_HANDLE_CLOSE;
    if (handle->pszLineBuf != nullptr) {
        if (handle->dwReading == 0 && handle->pFile != nullptr) edlWriteTrailer(handle);
        KvFree(handle->pszLineBuf);
        handle->pszLineBuf = nullptr;
    }
    int result = 0;
    if (handle->pFile != nullptr) {
        // A write that failed on the way (a full disk) is reported here, not lost.
        const bool failed = handle->dwReading == 0 && std::ferror(handle->pFile) != 0;
        result = std::fclose(handle->pFile);
        handle->pFile = nullptr;
        if (failed && result == 0) result = EOF;
    }
    KvFree(handle->pReadBuf);
    releaseSources(&handle->sources);
    delete handle;
    return static_cast<uint32_t>(result);
}

extern "C" EDLBRIDGE_API uint32_t edlSetRecorderIn(tagKvEdlHandle* handle, uint32_t frames) {
    if (handle == nullptr) return EDL_BAD_ARGUMENT;
    handle->dwRecorderIn = frames;
    return 0;
}

extern "C" EDLBRIDGE_API int edlDefExtension(int listType, char* extension, char* alternative) {
    // Negative values wrap to large ones, which have no dialect and get the fallback row.
    const edlb::ListTypeInfo& row = edlb::listTypeInfo(static_cast<uint32_t>(listType));
    std::snprintf(extension, 4, "%s", row.extension);
    std::snprintf(alternative, 5, "%s", row.altExtension);
    return 0;
}
