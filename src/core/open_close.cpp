// Opening and closing a list: the life cycle of a handle.
#include <cerrno>
#include <cstring>
#include <new>

#include "core/handle.h"
#include "core/list_types.h"
#include "core/portable.h"
#include "write/write.h"

namespace {

// The timecode flags word of a list record; a mode whose low byte is 0 becomes drop frame
// in the record itself.
uint32_t tcFlagsOf(EdlList* list, bool withDropMark) {
    uint32_t word;
    if ((list->dwTcMode & 0xFF) == 0) {
        list->dwTcMode = EDL_TC_DF;
        word = EDL_TC_DF | EDL_TCF_BASE;
    } else {
        word = (list->dwTcMode & 0xFF) | EDL_TCF_BASE;
    }
    const uint32_t flags = list->dwFlags;
    if ((flags & 0x2) == 0) word |= 0x10000;
    if ((flags & 0x4) == 0) word |= 0x20000;
    if ((flags & 0x8) != 0) word |= 0x40000;
    if (withDropMark && (flags & EDL_LF_NO_DROP_MARK) == 0) word |= EDL_TCF_DROP_MARK;
    list->dwCurTcMode = list->dwTcMode;
    return word;
}

bool endsWithCsv(const char* name) {
    const size_t length = std::strlen(name);
    return length >= 5 && strcasecmp(name + length - 4, ".csv") == 0;
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
        if (endsWithCsv(fileName)) {
            if (csvReadColumnLine(handle, nullptr) != 0) {
                destroy(handle);
                return nullptr;
            }
            handle->list.dwFlags2 |= EDL_LF2_CSV;
            handle->list.dwListType = EDLTYPE_CSV;
            handle->list.dwFlags &= 0x40000001u;
        } else {
            const int type = edlAutoSense(handle);
            if (type == EDL_DETECT_FAILED) {
                destroy(handle);
                return nullptr;
            }
            handle->list.dwListType = static_cast<uint32_t>(type);
            // Only the library's own formats keep the caller's list flags.
            if (type != EDLTYPE_XJT_LIST && type != EDLTYPE_XJT_CLIP) {
                handle->list.dwFlags &= 0x40000001u;
            }
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
