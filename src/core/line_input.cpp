// Line input with one line of push-back. CR, LF and CR LF end lines alike.
#include <cstdio>

#include "core/handle.h"

namespace {

// Reads one raw line into buffer (at most limit - 1 characters). A CR is stored as LF and
// ends the line at once; an LF is stored and ends it. Returns false when the stream was
// already at its end.
bool readRawLine(FILE* file, char* buffer, unsigned int limit) {
    unsigned int i = 0;
    while (i + 1 < limit) {
        const int c = getc_unlocked(file);
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
    return true;
}

}  // namespace

EDLBRIDGE_API unsigned int getLine(tagKvEdlHandle* handle, char* buffer, unsigned int limit) {
    FILE* file = handle->pFile;
    if (file == nullptr || feof(file)) return 0;
    int64_t position = ftello(file);
    if (position < 0 || limit < 1) return 0;
    handle->lLineStart = position;
    if (!readRawLine(file, buffer, limit)) return 0;
    // One empty line (or the LF left behind by a CR LF pair) is passed over per call.
    if (buffer[0] == '\n' && buffer[1] == '\0') {
        position = ftello(file);
        if (position < 0) return 0;
        handle->lLineStart = position;
        if (!readRawLine(file, buffer, limit)) return 0;
    }
    position = ftello(file);
    if (position < 0) return 0;
    handle->dwLineEnd = position;
    if (position == handle->lLineStart) return 0;
    for (char* p = buffer; *p != '\0'; ++p) {
        if (*p == '\r' || *p == '\n') {
            *p = '\0';
            break;
        }
    }
    return 1;
}

EDLBRIDGE_API int ungetline(tagKvEdlHandle* handle) {
    if (handle->pFile == nullptr || fseeko(handle->pFile, handle->lLineStart, SEEK_SET) != 0) {
        return 0;
    }
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
