// Entry points for event records that carry their own text buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/handle.h"

namespace {

// The fixed fields that EdlLine and EdlLineVB share, up to and including bXFile3.
constexpr size_t kSharedBytes = offsetof(EdlLine, bXFile3) + 1;
static_assert(offsetof(EdlLineVB, achClipName) == kSharedBytes, "inline buffers follow bXFile3");

// Works on an EdlLine view of the record whose texts are the record's own buffers; the
// fixed fields are copied in and back out, so no record is accessed through the other type.
struct View {
    EdlLine line;
    explicit View(EdlLineVB* record) {
        std::memcpy(&line, record, kSharedBytes);
        line.szClipName = record->achClipName;
        line.szName = record->achName;
        line.szComment = record->achComment;
        line.szReel = record->achReel;
        line.szLine = record->achLine;
    }
    void storeInto(EdlLineVB* record) const {
        std::memcpy(record, &line, kSharedBytes);
    }
};

void terminate(EdlLineVB* record) {
    record->achClipName[sizeof record->achClipName - 1] = '\0';
    record->achName[sizeof record->achName - 1] = '\0';
    record->achComment[sizeof record->achComment - 1] = '\0';
    record->achReel[sizeof record->achReel - 1] = '\0';
    record->achLine[sizeof record->achLine - 1] = '\0';
}

// Blanks and control bytes below 30 off the end of a text, as edlStripTrailing takes them,
// but bytes from 128 up stay: they end UTF-8 names ("東京タワー") that a list read or written
// for interchange must keep whole.
void stripKeepingUtf8(char* text, size_t limit) {
    size_t n = strnlen(text, limit);
    while (n > 0) {
        const unsigned char c = static_cast<unsigned char>(text[n - 1]);
        if (c != ' ' && c >= 30) break;
        --n;
    }
    // A text cut at its field's width may end inside a character: that part goes too.
    size_t lead = n;
    while (lead > 0 && n - lead < 3 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
    }
    if (lead > 0) {
        const unsigned char first = static_cast<unsigned char>(text[lead - 1]);
        const size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (first >= 0xC0 && n - (lead - 1) < need) n = lead - 1;
    }
    text[n] = '\0';
}

bool forInterchange(const tagKvEdlHandle* handle) {
    return handle != nullptr && (handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0;
}

void trim(EdlLineVB* record, bool interchange) {
    struct Field {
        char* text;
        size_t limit;
    };
    const Field fields[] = {{record->achClipName, edlb::kClipNameMax},
                            {record->achName, edlb::kNameMax},
                            {record->achComment, edlb::kCommentMax},
                            {record->achReel, edlb::kReelMax},
                            {record->achLine, edlb::kLineMax}};
    for (const Field& field : fields) {
        if (interchange) {
            stripKeepingUtf8(field.text, field.limit);
        } else {
            edlStripTrailing(field.text, static_cast<int64_t>(field.limit));
        }
    }
}

// The five text buffers of a record, in the order of the handle's extents.
struct Buffer {
    char* text;
    size_t size;
};

void buffersOf(EdlLineVB* record, Buffer (&buffers)[5]) {
    buffers[0] = {record->achClipName, sizeof record->achClipName};
    buffers[1] = {record->achName, sizeof record->achName};
    buffers[2] = {record->achComment, sizeof record->achComment};
    buffers[3] = {record->achReel, sizeof record->achReel};
    buffers[4] = {record->achLine, sizeof record->achLine};
}

// Bytes are looked at in windows of this many: a text and what a reader cut off it are
// never followed by a whole window of zeros before their end.
constexpr size_t kZeroWindow = 64;

bool allZero(const char* bytes, size_t count) {
    uint64_t any = 0;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        any |= word;
    }
    for (; i < count; ++i) any |= static_cast<unsigned char>(bytes[i]);
    return any == 0;
}

// How many leading bytes of a buffer may not be zero after a read: texts are written from
// the buffer's start on, so what a reader wrote and then cut off (a trimmed end, a name
// shortened in place) follows the text without a window of zeros in between.
uint32_t extentOf(const Buffer& buffer) {
    const size_t clearable = buffer.size - 1;
    size_t end = strnlen(buffer.text, clearable);
    while (end < clearable) {
        const size_t window = clearable - end < kZeroWindow ? clearable - end : kZeroWindow;
        if (allZero(buffer.text + end, window)) break;
        end += window;
    }
    return static_cast<uint32_t>(end);
}

// Every byte of a buffer but its last is cleared before a read. A record read into last time
// through this handle is zero past the extent found then, unless the host wrote past it
// since: hosts write texts from the start of a buffer, so the window after the extent shows
// it, and the whole buffer is cleared then, as it is for any other record.
void clearBuffers(const tagKvEdlHandle* handle, EdlLineVB* record) {
    Buffer buffers[5];
    buffersOf(record, buffers);
    const bool known = handle != nullptr && handle->pLastRecord == record;
    for (size_t i = 0; i < 5; ++i) {
        const size_t clearable = buffers[i].size - 1;
        size_t extent = known ? handle->adwRecordExtent[i] : clearable;
        if (extent < clearable) {
            const size_t window =
                clearable - extent < kZeroWindow ? clearable - extent : kZeroWindow;
            if (!allZero(buffers[i].text + extent, window)) extent = clearable;
        }
        std::memset(buffers[i].text, 0, extent);
    }
}

void noteExtents(tagKvEdlHandle* handle, EdlLineVB* record) {
    if (handle == nullptr) return;
    Buffer buffers[5];
    buffersOf(record, buffers);
    for (size_t i = 0; i < 5; ++i) handle->adwRecordExtent[i] = extentOf(buffers[i]);
    handle->pLastRecord = record;
}

}  // namespace

extern "C" EDLBRIDGE_API uint32_t edlReadLineVB(tagKvEdlHandle* handle, EdlLineVB* record) {
    clearBuffers(handle, record);
    View view(record);
    // edlReadLine chooses the reader: event lines, column rows or CSV rows.
    const uint32_t result = edlReadLine(handle, &view.line);
    view.storeInto(record);
    trim(record, forInterchange(handle));
    noteExtents(handle, record);
    return result;
}

extern "C" EDLBRIDGE_API uint32_t edlWriteLineVB(tagKvEdlHandle* handle, EdlLineVB* record) {
    // Hosts fill these buffers themselves: a missing terminator must not run the trim off
    // the end of a buffer.
    terminate(record);
    trim(record, forInterchange(handle));
    View view(record);
    const uint32_t result = edlWriteLine(handle, &view.line);
    view.storeInto(record);
    return result;
}
