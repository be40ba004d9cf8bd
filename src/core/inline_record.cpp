// Entry points for event records that carry their own text buffers.
#include <cstddef>
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

void trim(EdlLineVB* record) {
    edlStripTrailing(record->achClipName, edlb::kClipNameMax);
    edlStripTrailing(record->achName, edlb::kNameMax);
    edlStripTrailing(record->achComment, edlb::kCommentMax);
    edlStripTrailing(record->achReel, edlb::kReelMax);
    edlStripTrailing(record->achLine, edlb::kLineMax);
}

}  // namespace

extern "C" EDLBRIDGE_API uint32_t edlReadLineVB(tagKvEdlHandle* handle, EdlLineVB* record) {
    std::memset(record->achReel, 0, sizeof record->achReel);
    std::memset(record->achClipName, 0, sizeof record->achClipName);
    std::memset(record->achName, 0, sizeof record->achName);
    std::memset(record->achComment, 0, sizeof record->achComment);
    std::memset(record->achLine, 0, sizeof record->achLine);
    View view(record);
    // edlReadLine chooses the reader: event lines, column rows or CSV rows.
    const uint32_t result = edlReadLine(handle, &view.line);
    view.storeInto(record);
    trim(record);
    return result;
}

extern "C" EDLBRIDGE_API uint32_t edlWriteLineVB(tagKvEdlHandle* handle, EdlLineVB* record) {
    // Hosts fill these buffers themselves: a missing terminator must not run the trim off
    // the end of a buffer.
    terminate(record);
    trim(record);
    View view(record);
    const uint32_t result = edlWriteLine(handle, &view.line);
    view.storeInto(record);
    return result;
}
