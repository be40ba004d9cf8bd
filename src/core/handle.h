// The handle behind tagKvEdlHandle and the limits every layer shares.
#ifndef EDLBRIDGE_CORE_HANDLE_H
#define EDLBRIDGE_CORE_HANDLE_H

#include <cstdint>
#include <cstdio>

#include "edlbridge.h"
#include "services/utility.h"

namespace edlb {

constexpr uint32_t kLineBufferSize = 4197;  // the handle's line buffer
constexpr uint32_t kLineLimit = 4196;       // getLine limit: a line holds 4195 characters
constexpr uint32_t kFileNameSize = 4100;    // file names of 4100 characters are refused
constexpr uint32_t kSourceFieldSize = 4096; // each text of a source table entry

// Text limits of the event record, in characters (the buffers hold one more byte).
constexpr uint32_t kClipNameMax = 10;
constexpr uint32_t kNameMax = 4098;
constexpr uint32_t kCommentMax = 4608;
constexpr uint32_t kReelMax = 64;
constexpr uint32_t kLineMax = 4608;
constexpr uint32_t kEffectTextMax = 63;
constexpr uint32_t kTitleMax = 4121;
constexpr uint32_t kColumnLineMax = 4096;
constexpr uint32_t kReadBufferSize = 65536;  // read-ahead of a list open for reading

}  // namespace edlb

// One "*DS type=source" definition: a short source name and the media file it stands for.
// Both texts live in the entry's own allocation, sized to them: a list of a million events
// keeps a million entries until it is closed.
struct EdlSourceEntry {
    KvListLink link;  // owned by the list service
    char* szSourceName;   // at most kSourceFieldSize - 1 characters
    char* szSourceValue;  // at most kSourceFieldSize - 1 characters
};

namespace edlb {

// A new entry holding copies of the two texts, each cut to kSourceFieldSize - 1 characters
// (and at its first NUL); null when memory runs out. Released with deleteSourceEntry.
EdlSourceEntry* newSourceEntry(const char* name, size_t nameLength, const char* value,
                               size_t valueLength);
void deleteSourceEntry(EdlSourceEntry* entry);

}  // namespace edlb

struct tagKvEdlHandle {
    uint32_t dwReading;  // 1 reading, 0 writing
    char szFileName[edlb::kFileNameSize];
    FILE* pFile;
    int64_t lLineStart;  // offset at which the last line read began (push-back position)
    int64_t dwLineEnd;   // offset just after the last line read
    uint32_t dwTcFlags;  // timecode flags word
    uint32_t dwEventCount;
    uint32_t dwRecorderIn;
    uint8_t bXFile3;
    EdlList list;        // the handle's copy of the list record
    char* pszLineBuf;    // kLineBufferSize bytes
    KvList sources;      // EdlSourceEntry records
    // Read-ahead of a list open for reading. Lines come from it and the push-back of a line
    // moves within it, so reading costs no system call per line. Null for writing handles
    // (and handles made by hand), which read through the stream directly.
    char* pReadBuf;
    uint32_t dwReadPos;  // next byte of pReadBuf
    uint32_t dwReadLen;  // bytes held in pReadBuf
    int64_t lReadBase;   // file offset of pReadBuf[0]
    bool bAtEnd;         // a read met the end of the file (cleared by a seek)
    // The event reader pushes the first line of the next event back and reads it again on
    // the next call; remembering where it found an event line (offset + 1, 0 for none) and
    // under which list flags spares testing that line twice.
    int64_t lEventLineAt;
    uint32_t dwEventLineFlags;
    // The event line pushed back at the end of an event stays in pszLineBuf: the next read
    // takes it from there, moving on to this offset after it, instead of reading it again.
    // 0 when no line is held; getLine drops it.
    int64_t lHeldLineEnd;
    // Line numbers of the lines a reading reports: the line ends before lCountedTo were
    // counted (dwLinesCounted), bCountedCr when the byte before it is a CR.
    int64_t lCountedTo;
    uint32_t dwLinesCounted;
    bool bCountedCr;
};

namespace edlb {

// Stream access for the readers; every reader goes through these so the read-ahead and
// the stream never disagree.
int readByte(tagKvEdlHandle* handle);       // the next byte, or EOF
int64_t readPosition(tagKvEdlHandle* handle);  // offset of the next byte, -1 on failure
bool seekTo(tagKvEdlHandle* handle, int64_t offset);
bool atEnd(tagKvEdlHandle* handle);         // a read has met the end of the file

}  // namespace edlb

#endif
