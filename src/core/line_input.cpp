// Line input with one line of push-back. CR, LF and CR LF end lines alike.
#include <cstdio>
#include <cstring>

#include "core/byte_scan.h"
#include "core/handle.h"
#include "core/portable.h"

namespace edlb {

int readByte(tagKvEdlHandle* handle) {
    if (handle->pReadBuf == nullptr) return readByteUnlocked(handle->pFile);
    if (handle->dwReadPos < handle->dwReadLen) {
        return static_cast<unsigned char>(handle->pReadBuf[handle->dwReadPos++]);
    }
    if (handle->bAtEnd) return EOF;
    handle->lReadBase += handle->dwReadLen;
    handle->dwReadPos = 0;
    handle->dwReadLen = static_cast<uint32_t>(
        std::fread(handle->pReadBuf, 1, kReadBufferSize, handle->pFile));
    if (handle->dwReadLen == 0) {
        handle->bAtEnd = true;
        return EOF;
    }
    return static_cast<unsigned char>(handle->pReadBuf[handle->dwReadPos++]);
}

int64_t readPosition(tagKvEdlHandle* handle) {
    if (handle->pReadBuf == nullptr) return tellFile(handle->pFile);
    return handle->lReadBase + handle->dwReadPos;
}

bool seekTo(tagKvEdlHandle* handle, int64_t offset) {
    if (handle->pFile == nullptr || offset < 0) return false;
    if (handle->pReadBuf == nullptr) return seekFile(handle->pFile, offset);
    // Within what is already read: no system call.
    if (offset >= handle->lReadBase && offset <= handle->lReadBase + handle->dwReadLen) {
        handle->dwReadPos = static_cast<uint32_t>(offset - handle->lReadBase);
        handle->bAtEnd = false;
        return true;
    }
    if (!seekFile(handle->pFile, offset)) return false;
    handle->lReadBase = offset;
    handle->dwReadPos = handle->dwReadLen = 0;
    handle->bAtEnd = false;
    return true;
}

bool atEnd(tagKvEdlHandle* handle) {
    if (handle->pFile == nullptr) return true;
    return handle->pReadBuf == nullptr ? std::feof(handle->pFile) != 0 : handle->bAtEnd;
}

}  // namespace edlb

namespace {

// Reads one raw line into buffer (at most limit - 1 characters) and gives its length. A CR
// is stored as LF and ends the line at once; an LF is stored and ends it, so a line end can
// only be the last character. Returns false when the stream was already at its end.
bool readRawLine(tagKvEdlHandle* handle, char* buffer, unsigned int limit, unsigned int* length) {
    unsigned int i = 0;
    while (i + 1 < limit) {
        // Whole runs of the read-ahead are copied at once up to the line end.
        if (handle->pReadBuf != nullptr && handle->dwReadPos < handle->dwReadLen) {
            const char* run = handle->pReadBuf + handle->dwReadPos;
            uint32_t available = handle->dwReadLen - handle->dwReadPos;
            if (available > limit - 1 - i) available = limit - 1 - i;
            const uint32_t k = static_cast<uint32_t>(edlb::findLineEnd(run, available));
            std::memcpy(buffer + i, run, k);
            i += k;
            handle->dwReadPos += k;
            if (k == available) continue;
            // A CR is stored as LF, like the LF itself, and either ends the line.
            ++handle->dwReadPos;
            buffer[i++] = '\n';
            break;
        }
        const int c = edlb::readByte(handle);
        if (c == EOF) {
            if (i == 0) {
                buffer[0] = '\0';
                return false;
            }
            break;
        }
        if (c == '\r') {
            buffer[i++] = '\n';
            break;
        }
        buffer[i++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[i] = '\0';
    *length = i;
    return true;
}

}  // namespace

EDLBRIDGE_API unsigned int getLine(tagKvEdlHandle* handle, char* buffer, unsigned int limit) {
    handle->lHeldLineEnd = 0;
    if (handle->pFile == nullptr || edlb::atEnd(handle)) return 0;
    int64_t position = edlb::readPosition(handle);
    if (position < 0 || limit < 1) return 0;
    handle->lLineStart = position;
    unsigned int length = 0;
    // One empty line (or the LF left behind by a CR LF pair) is passed over per call; one
    // that waits in the read-ahead is passed over without being copied.
    const bool emptyAhead = limit > 1 && handle->pReadBuf != nullptr &&
                            handle->dwReadPos < handle->dwReadLen &&
                            (handle->pReadBuf[handle->dwReadPos] == '\n' ||
                             handle->pReadBuf[handle->dwReadPos] == '\r');
    if (emptyAhead) {
        ++handle->dwReadPos;
    } else if (!readRawLine(handle, buffer, limit, &length)) {
        return 0;
    }
    if (emptyAhead || (buffer[0] == '\n' && buffer[1] == '\0')) {
        position = edlb::readPosition(handle);
        if (position < 0) return 0;
        handle->lLineStart = position;
        if (!readRawLine(handle, buffer, limit, &length)) return 0;
    }
    position = edlb::readPosition(handle);
    if (position < 0) return 0;
    handle->dwLineEnd = position;
    if (position == handle->lLineStart) return 0;
    if (length > 0 && buffer[length - 1] == '\n') buffer[length - 1] = '\0';
    return 1;
}

EDLBRIDGE_API int ungetline(tagKvEdlHandle* handle) {
    if (!edlb::seekTo(handle, handle->lLineStart)) return 0;
    handle->dwLineEnd = handle->lLineStart;
    return 1;
}

EDLBRIDGE_API char* fedlgets(char* buffer, int limit, FILE* stream) {
    if (limit < 1 || buffer == nullptr || stream == nullptr) return nullptr;
    int i = 0;
    while (i + 1 < limit) {
        const int c = getc(stream);
        if (c == EOF) {
            if (i == 0) return nullptr;
            break;
        }
        if (c == '\r') {
            buffer[i++] = '\n';
            buffer[i] = '\0';
            return buffer;
        }
        buffer[i++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[i] = '\0';
    return buffer;
}
