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

// Every byte of each text buffer but its last is cleared before a read, whatever the host
// left there: hosts may keep records anywhere (on the stack, in reused storage), and what a
// read leaves past a text is zero.
void clearBuffers(EdlLineVB* record) {
    std::memset(record->achReel, 0, sizeof record->achReel - 1);
    std::memset(record->achClipName, 0, sizeof record->achClipName - 1);
    std::memset(record->achName, 0, sizeof record->achName - 1);
    std::memset(record->achComment, 0, sizeof record->achComment - 1);
    std::memset(record->achLine, 0, sizeof record->achLine - 1);
}

}  // namespace

extern "C" EDLBRIDGE_API uint32_t edlReadLineVB(tagKvEdlHandle* handle, EdlLineVB* record) {
    clearBuffers(record);
    View view(record);
    // edlReadLine chooses the reader: event lines, column rows or CSV rows.
    const uint32_t result = edlReadLine(handle, &view.line);
    view.storeInto(record);
    trim(record, forInterchange(handle));
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
