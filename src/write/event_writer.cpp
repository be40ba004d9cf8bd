// Event lines: one event per call, in the dialect of the handle's list type.
#include <new>

#include "core/handle.h"
#include "core/list_types.h"
#include "core/portable.h"
#include "core/tc_modes.h"
#include "services/timecode.h"
#include "write/writers.h"

namespace {

using edlb::EventForm;
using edlb::kLineBufferSize;

// A line with its terminator never exceeds the line buffer's limit.
constexpr size_t kLineRoom = edlb::kLineLimit;
constexpr size_t kTimecodeSize = 16;

// What one event carries into the branches, texts already bounded by their buffers.
struct Event {
    char tc[4][kTimecodeSize];  // T1 to T4
    char track[68];
    const char* reel;           // null when the caller gave none
    int reelLen;
    const char* clip;
    size_t clipLen;
    const char* name;
    size_t nameLen;
    const char* comment;
    size_t commentLen;
};

void cutInPlace(char* text, size_t max) {
    if (text != nullptr && strnlen(text, max + 1) > max) text[max] = '\0';
}

// Every line is formatted into the handle's line buffer and written with its length.
template <typename... Args>
void writeLine(tagKvEdlHandle* handle, const char* format, Args... args) {
    edlb::writeLineBuffer(handle, std::snprintf(handle->pszLineBuf, kLineBufferSize, format, args...));
}

bool startsWithRem(const char* text) { return strncasecmp(text, "rem", 3) == 0; }

// The note line: a lead-in, the comment, a blank after it, then "; " and the name (or the
// clip name), then the line end. A long comment is cut first, then the name, so the line
// fits the line buffer.
void writeNote(tagKvEdlHandle* handle, const Event& ev, bool cmxStyle) {
    const char* lead = "";
    const char* tail = "";
    size_t commentLen = 0;
    if (ev.comment == nullptr) {
        lead = cmxStyle ? "" : "; ";
    } else if (ev.comment[0] == ';' || startsWithRem(ev.comment) ||
               (cmxStyle && ev.comment[0] == '*')) {
        tail = " ";
        commentLen = ev.commentLen;
    } else if (ev.comment[0] == '\0') {
        lead = cmxStyle ? "* " : "; ";
    } else {
        lead = cmxStyle ? "* " : "; ";
        tail = " ";
        commentLen = ev.commentLen;
    }
    const char* after = "";
    size_t afterLen = 0;
    if (ev.name != nullptr && ev.nameLen != 0) {
        after = ev.name;
        afterLen = ev.nameLen;
    } else if (ev.clip != nullptr && ev.clipLen != 0) {
        after = ev.clip;
        afterLen = ev.clipLen;
    }
    const char* afterLead = afterLen != 0 ? "; " : "";
    const size_t fixed = std::strlen(lead) + std::strlen(tail) + std::strlen(afterLead) + 2;
    edlb::fitTwo(kLineRoom - fixed, commentLen, afterLen);
    writeLine(handle, "%s%.*s%s%s%.*s%s", lead, static_cast<int>(commentLen),
              ev.comment != nullptr ? ev.comment : "", tail, afterLead,
              static_cast<int>(afterLen), after, edlb::kCrlf);
}

void writeGeneral(tagKvEdlHandle* handle, const EdlLine* line, const Event& ev, bool shortReel,
                  int n) {
    const char* reel = ev.reel != nullptr ? ev.reel : "  ";
    const int reelLen = ev.reel != nullptr ? ev.reelLen : 2;
    const int shown = shortReel && reelLen > 3 ? 3 : reelLen;
    if (line->chEditType == 'W') {
        writeLine(handle, "%03d  %.*s %s W %d %d        %s %s %s %s%s", n, shown, reel,
                  ev.track, static_cast<int>(line->dwWipeCode),
                  static_cast<int>(line->dwEffectLen), ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3],
                  edlb::kCrlf);
    } else {
        writeLine(handle, "%03d  %.*s %s C        %s %s %s %s%s", n, shown, reel, ev.track,
                  ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3], edlb::kCrlf);
    }
    if ((handle->list.dwFlags & EDL_LF_NO_NOTES) == 0) writeNote(handle, ev, false);
}

// CMX lists and frame-code lists: an event line, the note line, then an empty line.
void writeNumbered(tagKvEdlHandle* handle, Event& ev, bool frameCode, int n) {
    const char* reel = ev.reel != nullptr ? ev.reel : "000";
    const int reelLen = ev.reel != nullptr ? ev.reelLen : 3;
    if (frameCode) {
        writeLine(handle, "%04d %.*s %-6s C        %s %s  %s %s  %s", n + 1, reelLen, reel,
                  ev.track, ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3], edlb::kCrlf);
    } else {
        // CMX lists mark no drop frame inside the timecode: ';' before the frames becomes ':'.
        for (char* tc : ev.tc) {
            if (std::strlen(tc) > 8 && tc[8] == ';') tc[8] = ':';
        }
        writeLine(handle, "%d  %-8.*s %-5s C        %s %s %s %s  %s", n + 1, reelLen, reel,
                  ev.track, ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3], edlb::kCrlf);
    }
    if ((handle->list.dwFlags & EDL_LF_NO_NOTES) == 0) writeNote(handle, ev, true);
    edlb::putText(handle->pFile, edlb::kCrlf);
}

void writeFilmLog(tagKvEdlHandle* handle, int n) {
    writeLine(handle, "100 Edit %d                Field A1  %s%s", n,
              edlb::tcMode(handle->list.dwCurTcMode).filmRate, edlb::kCrlf);
}

void writeClip(tagKvEdlHandle* handle, const EdlLine* line, const Event& ev) {
    if (((line->dwLineFlags | line->dwPresent) & EDL_LINE_CLIP) == 0) return;
    const bool unquoted = (line->dwLineFlags & EDL_LINE_UNQUOTED) != 0;
    const char* clip = ev.clip != nullptr ? ev.clip : "";
    const int clipLen = ev.clip != nullptr ? static_cast<int>(ev.clipLen) : 0;
    // The line begins with the line end of the line before it and has none of its own.
    const int head = std::snprintf(handle->pszLineBuf, kLineBufferSize,
                                   unquoted ? "%s* Clip: %.*s %s %s ;" : "%s* Clip: '%.*s' %s %s ;",
                                   edlb::kCrlf, clipLen, clip, ev.tc[0], ev.tc[1]);
    if (head < 0) return;
    size_t commentLen = ev.comment != nullptr ? ev.commentLen : 0;
    size_t nameLen = ev.name != nullptr ? ev.nameLen : 0;
    const size_t fixed = static_cast<size_t>(head) + 1 + (nameLen != 0 ? 2 : 0);
    edlb::fitTwo(fixed < kLineRoom ? kLineRoom - fixed : 0, commentLen, nameLen);
    const int rest = std::snprintf(handle->pszLineBuf + head, kLineBufferSize - static_cast<size_t>(head),
                                   "%.*s %s%.*s", static_cast<int>(commentLen),
                                   ev.comment != nullptr ? ev.comment : "", nameLen != 0 ? "; " : "",
                                   static_cast<int>(nameLen), ev.name != nullptr ? ev.name : "");
    if (rest < 0) return;
    edlb::writeLineBuffer(handle, head + rest);
}

void writeShortCmx(tagKvEdlHandle* handle, const Event& ev, int n) {
    const char* reel = ev.reel != nullptr ? ev.reel : "000";
    const int reelLen = ev.reel != nullptr ? ev.reelLen : 3;
    writeLine(handle, "%03d  %.*s      %-6sC        %s %s %s %s %s", n, reelLen < 3 ? reelLen : 3,
              reel, ev.track, ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3], edlb::kCrlf);
}

// "*DS" lists name each event's media by a short key; the key's definition is written at
// close, so the entry is kept until then.
void writeDsEvent(tagKvEdlHandle* handle, const Event& ev, int n) {
    // Names may be longer than the entry's field; the value is cut to fit it, and the key
    // is the file-name part of the cut value.
    char value[edlb::kSourceFieldSize];
    const size_t valueLen =
        ev.nameLen < edlb::kSourceFieldSize ? ev.nameLen : edlb::kSourceFieldSize - 1;
    if (valueLen != 0) std::memcpy(value, ev.name, valueLen);
    value[valueLen] = '\0';
    char stem[kKvPathMax] = "";
    kvOSSplitPath(value, nullptr, nullptr, stem, nullptr);
    stem[sizeof stem - 1] = '\0';
    char key[7] = "";
    std::snprintf(key, sizeof key, "%.6s", stem);
    EdlSourceEntry* entry = edlb::newSourceEntry(key, sizeof key, value, valueLen);
    if (entry == nullptr) key[0] = '\0';
    writeLine(handle, "%03d %-6s %-6s C        %s %s %s %s%s", n, key, ev.track, ev.tc[0],
              ev.tc[1], ev.tc[2], ev.tc[3], edlb::kCrlf);
    if (entry != nullptr) kv_ListAddTail(&handle->sources, entry);
}

}  // namespace

extern "C" EDLBRIDGE_API uint32_t edlWriteLine(tagKvEdlHandle* handle, EdlLine* line) {
    if (handle == nullptr || handle->pszLineBuf == nullptr) return EDL_NO_LINE_BUFFER;
    if (handle->dwReading != 0) return EDL_WRONG_DIRECTION;
    if (line == nullptr || handle->pFile == nullptr) return EDL_BAD_ARGUMENT;

    // An out point below its in point is a length.
    if (line->dwRecOut < line->dwRecIn) line->dwRecOut = line->dwRecIn + line->dwRecOut;
    if (line->dwSrcOut < line->dwSrcIn) line->dwSrcOut = line->dwSrcIn + line->dwSrcOut;

    Event ev{};
    const bool swap = (handle->list.dwFlags & EDL_LF_SWAP_SRC_REC) != 0;
    const uint32_t frames[4] = {
        swap ? line->dwRecIn : line->dwSrcIn, swap ? line->dwRecOut : line->dwSrcOut,
        swap ? line->dwSrcIn : line->dwRecIn, swap ? line->dwSrcOut : line->dwRecOut};
    for (int i = 0; i < 4; ++i) {
        tc2String(frames[i], handle->dwTcFlags | EDL_TCF_DROP_MARK, ev.tc[i]);
        ev.tc[i][kTimecodeSize - 1] = '\0';
    }

    cutInPlace(line->szClipName, edlb::kClipNameMax);
    cutInPlace(line->szName, edlb::kNameMax);
    cutInPlace(line->szComment, edlb::kCommentMax);
    ev.clip = line->szClipName;
    ev.clipLen = edlb::boundedLength(line->szClipName, edlb::kClipNameMax + 1);
    ev.name = line->szName;
    ev.nameLen = edlb::boundedLength(line->szName, edlb::kNameMax + 1);
    ev.comment = line->szComment;
    ev.commentLen = edlb::boundedLength(line->szComment, edlb::kCommentMax + 1);
    ev.reel = line->szReel;
    ev.reelLen = static_cast<int>(edlb::boundedLength(line->szReel, edlb::kReelMax + 1));

    const uint32_t type = handle->list.dwListType;
    std::snprintf(ev.track, sizeof ev.track, "%s",
                  edlEditType(static_cast<edlListTypes>(type), line->dwVideoTracks,
                              line->dwAudioTracks));

    const edlb::InterchangeForm form = edlb::interchangeForm(handle->list);
    if (form != edlb::InterchangeForm::None) {
        char marks[2][kTimecodeSize];
        const uint32_t markFrames[2] = {line->dwMarkIn, line->dwMarkOut};
        for (int i = 0; i < 2; ++i) {
            tc2String(markFrames[i], handle->dwTcFlags | EDL_TCF_DROP_MARK, marks[i]);
            marks[i][kTimecodeSize - 1] = '\0';
        }
        const char* const texts[6] = {ev.tc[0], ev.tc[1], ev.tc[2], ev.tc[3], marks[0], marks[1]};
        if (form == edlb::InterchangeForm::CmxEvents) {
            edlb::writeCmxEvent(handle, *line, texts, ev.track);
        } else {
            edlb::writeLogRow(handle, *line, texts);
        }
        ++handle->dwEventCount;
        return 0;
    }
    // Other dialects have one note line: written for interchange, the lines of a comment
    // run on, separated by " | ".
    char joined[edlb::kCommentMax + 1];
    if ((handle->list.dwFlags & EDL_LF_INTERCHANGE) != 0 && ev.comment != nullptr &&
        std::memchr(ev.comment, '\n', ev.commentLen) != nullptr) {
        size_t used = 0;
        for (size_t i = 0; i < ev.commentLen && used < edlb::kCommentMax; ++i) {
            if (ev.comment[i] != '\n') {
                joined[used++] = ev.comment[i];
                continue;
            }
            for (const char* bar = " | "; *bar != '\0' && used < edlb::kCommentMax; ++bar) {
                joined[used++] = *bar;
            }
        }
        joined[used] = '\0';
        ev.comment = joined;
        ev.commentLen = used;
    }

    const int n = static_cast<int>(handle->dwEventCount);
    switch (edlb::listTypeInfo(type).events) {
        case EventForm::B1Short: writeGeneral(handle, line, ev, true, n); break;
        case EventForm::B1Full: writeGeneral(handle, line, ev, false, n); break;
        case EventForm::B2: writeNumbered(handle, ev, false, n); break;
        case EventForm::B3: writeNumbered(handle, ev, true, n); break;
        case EventForm::B4: writeFilmLog(handle, n); break;
        case EventForm::B5: writeClip(handle, line, ev); break;
        case EventForm::B6: writeShortCmx(handle, ev, n); break;
        case EventForm::B7: writeDsEvent(handle, ev, n); break;
    }
    ++handle->dwEventCount;
    return 0;
}
