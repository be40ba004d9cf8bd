// Event lines that systems wrap onto two lines, and the line numbers of lines a reading
// reports.
#include <cstdio>
#include <cstring>

#include "core/byte_scan.h"
#include "core/handle.h"
#include "core/portable.h"
#include "core/tc_modes.h"
#include "core/text.h"
#include "parse/classify.h"
#include "parse/reader.h"
#include "services/timecode.h"

namespace edlb {
namespace {

bool isBlankChar(char c) { return isBlankOrLineEnd(c); }

const char* skipSpace(const char* p) {
    while (isBlankChar(*p)) ++p;
    return p;
}

// True when the line holds at least two tokens and every one is a timecode.
bool timecodesOnly(tagKvEdlHandle* handle, const char* line) {
    char token[64];
    int count = 0;
    for (const char* p = skipSpace(line); *p != '\0'; p = skipSpace(p)) {
        size_t length = 0;
        while (p[length] != '\0' && !isBlankChar(p[length])) ++length;
        if (length >= sizeof token) return false;
        std::memcpy(token, p, length);
        token[length] = '\0';
        unsigned int mode = handle->dwTcFlags;
        if (timecodeShape(handle, token, &mode) != 1) return false;
        ++count;
        p += length;
    }
    return count >= 2;
}

// Every separator isFullTimecode takes is one timecodeShape takes too, so a full timecode
// is always a timecode token.
constexpr bool fullTimecodesAreTimecodes() {
    const char separators[] = "+,-.;=_";
    for (const char* c = separators; *c != '\0'; ++c) {
        if (modeOfSeparator(*c) == 0) return false;
    }
    return true;
}
constexpr bool kFullTimecodesAreTimecodes = fullTimecodesAreTimecodes();

uint32_t listFlagsOf(const tagKvEdlHandle* handle) {
    return handle != nullptr ? handle->list.dwFlags : 0;
}

// 'HH:MM:SS:FF': four groups of digits (one to three for the hours, two for the others)
// with a separator between each two.
bool isFullTimecode(const char* p, size_t length) {
    // As event lines write their times, known without the loop.
    const auto two = [p](int at) {
        return p[at] >= '0' && p[at] <= '9' && p[at + 1] >= '0' && p[at + 1] <= '9';
    };
    if (length == 11) {
        return two(0) && isTimecodeSeparator(p[2]) && two(3) && isTimecodeSeparator(p[5]) &&
               two(6) && isTimecodeSeparator(p[8]) && two(9);
    }
    int group = 0;
    size_t digits = 0;
    for (size_t i = 0; i < length; ++i) {
        if (p[i] >= '0' && p[i] <= '9') {
            ++digits;
            continue;
        }
        if (!isTimecodeSeparator(p[i])) return false;
        if (digits == 0 || digits > (group == 0 ? 3u : 2u) || (group > 0 && digits != 2)) return false;
        ++group;
        digits = 0;
    }
    return group == 3 && digits == 2;
}

bool decideEventLine(tagKvEdlHandle* handle, char* line, size_t length) {
    // What was found already makes edlLineIsEdit accept the line (the number first, two
    // timecodes, no comment mark at its start), unless a black source may refuse it, or the
    // line is too long for its private copy, which may fail.
    const bool decided = kFullTimecodesAreTimecodes &&
                         (listFlagsOf(handle) & EDL_LF_BLACK_NOT_EVENT) == 0 &&
                         length < kLineBufferSize;
    return decided || edlLineIsEdit(handle, line) != 0;
}

// The edit number comes first, followed by a blank; then two of the tokens after it must be
// timecodes.
bool timesFoundOneByOne(tagKvEdlHandle* handle, char* line, size_t length) {
    bool numbered = false;
    bool first = true;
    int timecodes = 0;
    forEachToken(line, length, [&](size_t start, size_t end) {
        const char* p = line + start;
        if (first) {
            first = false;
            size_t digits = 0;
            while (digits < end - start && p[digits] >= '0' && p[digits] <= '9') ++digits;
            numbered = digits == end - start && end < length;
            return numbered;
        }
        if (isFullTimecode(p, end - start)) ++timecodes;
        return timecodes < 2;
    });
    if (!numbered || timecodes < 2) return false;
    return decideEventLine(handle, line, length);
}

}  // namespace

bool isInterchangeEventLine(tagKvEdlHandle* handle, char* line) {
    const char* lead = skipSpace(line);
    if (*lead < '0' || *lead > '9') return false;
    const size_t length = std::strlen(line);
    // As event lines are written: the edit number, a blank, and two 'HH:MM:SS:FF' times
    // among the first 64 bytes, found for all bytes at once.
    size_t digits = static_cast<size_t>(lead - line);
    while (line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (!isBlankChar(line[digits])) return false;
    const uint64_t times = fullTimecodeStarts(classifyBytes64(line, length));
    if ((times & (times - 1)) == 0) return timesFoundOneByOne(handle, line, length);
    return decideEventLine(handle, line, length);
}

bool holdsEventLine(tagKvEdlHandle* handle) {
    const int64_t start = handle->lLineStart;
    const int64_t end = handle->dwLineEnd;
    const int64_t position = readPosition(handle);
    char line[kLineBufferSize];
    char joined[kLineBufferSize];
    bool found = false;
    while (!found && getLine(handle, line, kLineLimit) != 0) {
        found = isInterchangeEventLine(handle, line) || edlLineIsClip(handle, line) != 0 ||
                (looksLikeEventLine(line) && joinWrappedLine(handle, line, joined));
    }
    seekTo(handle, position);
    handle->lLineStart = start;
    handle->dwLineEnd = end;
    return found;
}

bool looksLikeEventLine(const char* line) {
    const char* p = skipSpace(line);
    size_t digits = 0;
    while (p[digits] >= '0' && p[digits] <= '9') ++digits;
    if (digits < 3 || digits > 6 || !isBlankChar(p[digits])) return false;
    return *skipSpace(p + digits) != '\0';
}

bool joinWrappedLine(tagKvEdlHandle* handle, const char* line, char* joined) {
    const int64_t first = handle->lLineStart;
    const int64_t firstEnd = handle->dwLineEnd;
    char next[kLineBufferSize];
    if (getLine(handle, next, kLineLimit) != 0 && timecodesOnly(handle, next)) {
        // Cut to the longest line the reader takes.
        const size_t firstLength = strnlen(line, kLineLimit - 2);
        std::memcpy(joined, line, firstLength);
        joined[firstLength] = ' ';
        const size_t room = kLineLimit - 2 - firstLength;
        const size_t nextLength = strnlen(next, room);
        std::memcpy(joined + firstLength + 1, next, nextLength);
        joined[firstLength + 1 + nextLength] = '\0';
        if (edlLineIsEdit(handle, joined) != 0) {
            handle->lLineStart = first;
            return true;
        }
    }
    seekTo(handle, firstEnd);
    handle->lLineStart = first;
    handle->dwLineEnd = firstEnd;
    return false;
}

namespace {

// Counts the line ends among n bytes that follow those counted so far: a CR ends a line, and
// so does an LF that no CR comes just before.
void countLineEnds(tagKvEdlHandle* handle, const char* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\r' || (c == '\n' && !handle->bCountedCr)) ++handle->dwLinesCounted;
        handle->bCountedCr = c == '\r';
    }
    handle->lCountedTo += static_cast<int64_t>(n);
}

}  // namespace

uint32_t lineNumberAt(tagKvEdlHandle* handle, int64_t offset) {
    if (offset < handle->lCountedTo) {
        handle->lCountedTo = 0;
        handle->dwLinesCounted = 0;
        handle->bCountedCr = false;
    }
    // Lines reported one after another lie in the read-ahead: counted there, without
    // opening the file again.
    if (handle->pReadBuf != nullptr && handle->lCountedTo >= handle->lReadBase &&
        offset <= handle->lReadBase + handle->dwReadLen) {
        countLineEnds(handle, handle->pReadBuf + (handle->lCountedTo - handle->lReadBase),
                      static_cast<size_t>(offset - handle->lCountedTo));
        return handle->dwLinesCounted + 1;
    }
    FILE* file = std::fopen(handle->szFileName, "rb");
    if (file == nullptr) return 0;
    if (!seekFile(file, handle->lCountedTo)) {
        std::fclose(file);
        return 0;
    }
    char block[4096];
    while (handle->lCountedTo < offset) {
        const int64_t left = offset - handle->lCountedTo;
        const size_t want = left < int64_t(sizeof block) ? static_cast<size_t>(left) : sizeof block;
        const size_t got = std::fread(block, 1, want, file);
        if (got == 0) break;
        countLineEnds(handle, block, got);
    }
    std::fclose(file);
    return handle->dwLinesCounted + 1;
}

}  // namespace edlb
