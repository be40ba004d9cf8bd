// Cell splitting and the event reset shared by the column and CSV readers.
#include <cstring>

#include "columns/columns.h"
#include "core/readers.h"

namespace edlb {

void copyCut(char* destination, const char* source, size_t max) {
    if (destination == nullptr) return;
    size_t length = 0;
    while (length < max && source[length] != '\0') ++length;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

void resetColumnEvent(tagKvEdlHandle* handle, EdlLine* event) {
    resetEvent(handle, event);
    if ((handle->list.dwFlags2 & EDL_LF2_DEFAULT_REEL) != 0) {
        copyCut(event->szReel, handle->list.szDefReel, kReelMax);
    }
}

bool nextCsvCell(const char** cursor, char* cell) {
    const char* p = *cursor;
    if (p == nullptr) return false;
    size_t length = 0;
    // Text past the capacity is still consumed, so the next cell starts in the right place.
    auto put = [&](char c) {
        if (length < kCellMax) cell[length++] = c;
    };
    if (*p == '"') {
        ++p;
        while (*p != '\0') {
            if (*p == '"') {
                if (p[1] == '"') {
                    put('"');
                    p += 2;
                    continue;
                }
                ++p;
                break;
            }
            put(*p++);
        }
        // Anything between the closing quote and the comma is kept as written.
        while (*p != '\0' && *p != ',') put(*p++);
    } else {
        while (*p != '\0' && *p != ',') put(*p++);
    }
    cell[length] = '\0';
    // The cursor becomes null after the last cell, so a trailing comma still yields an
    // empty last cell but the end of the line yields no further cell.
    *cursor = (*p == ',') ? p + 1 : nullptr;
    return true;
}

}  // namespace edlb
