#include "list_reader.h"

#include "platform.h"
#include "timecode_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace edlbtool {
namespace {

// The library keeps file names of at most 4099 characters.
constexpr size_t kMaxPathLength = 4099;

// A malformed list must not keep the tool reading forever.
constexpr size_t kMaxEvents = 4u * 1024u * 1024u;

std::string cannotOpen(int error) { return "cannot open: " + errorText(error); }

EventRow rowOf(const EdlLineVB& record) {
    EventRow row;
    row.editNumber = record.dwEditNum;
    row.srcIn = record.dwSrcIn;
    row.srcOut = record.dwSrcOut;
    row.recIn = record.dwRecIn;
    row.recOut = record.dwRecOut;
    row.markIn = record.dwMarkIn;
    row.markOut = record.dwMarkOut;
    row.audioOffset = record.lAudioOffset;
    row.videoTracks = record.dwVideoTracks;
    row.audioTracks = record.dwAudioTracks;
    row.editType = record.chEditType;
    row.wipeCode = record.dwWipeCode;
    row.effectLength = record.dwEffectLen;
    row.lineFlags = record.dwLineFlags;
    row.present = record.dwPresent;
    // The inline buffers are terminated by the library; strnlen guards the copy anyway.
    row.reel.assign(record.achReel, strnlen(record.achReel, sizeof record.achReel));
    row.clipName.assign(record.achClipName, strnlen(record.achClipName, sizeof record.achClipName));
    row.name.assign(record.achName, strnlen(record.achName, sizeof record.achName));
    row.comment.assign(record.achComment, strnlen(record.achComment, sizeof record.achComment));
    row.effectText.assign(record.szEffectText,
                          strnlen(record.szEffectText, sizeof record.szEffectText));
    row.line.assign(record.achLine, strnlen(record.achLine, sizeof record.achLine));
    return row;
}

}  // namespace

void copyText(char* buffer, size_t size, const std::string& text) {
    const size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::vector<std::string> noteLines(const EventRow& event) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < event.comment.size()) {
        const size_t end = event.comment.find('\n', start);
        lines.push_back(event.comment.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string sourceFile(const EventRow& event) {
    return (event.present & EDL_P_FILE_NAME) != 0 ? event.name : std::string();
}

std::string fullClipName(const EventRow& event) {
    if ((event.present & EDL_P_FILE_NAME) == 0 && !event.name.empty()) return event.name;
    if ((event.present & EDL_P_CLIP_NAME) == 0) return event.clipName;
    // szName holds the file: a name longer than the ten characters is in the notes.
    const bool transition =
        event.editType == 'D' || event.editType == 'W' || event.editType == 'K';
    for (const char* keyword : {"TO CLIP NAME:", "FROM CLIP NAME:"}) {
        if (!transition && keyword[0] == 'T') continue;
        const size_t keyLength = std::strlen(keyword);
        for (const std::string& line : noteLines(event)) {
            if (line.size() < keyLength || strncasecmp(line.c_str(), keyword, keyLength) != 0) {
                continue;
            }
            const size_t first = line.find_first_not_of(" \t", keyLength);
            if (first == std::string::npos) continue;
            const std::string name = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
            if (name.compare(0, event.clipName.size(), event.clipName) == 0) return name;
        }
    }
    return event.clipName;
}

std::string readList(const std::string& path, ListData& out, bool legacy) {
    out.path = path;
    out.interchange = !legacy;
    out.events.clear();
    if (path.empty()) return cannotOpen(ENOENT);
    // Before the system is asked: systems differ in what they say about such a name.
    if (path.size() > kMaxPathLength) return cannotOpen(ENAMETOOLONG);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return cannotOpen(errno);
    if (S_ISDIR(info.st_mode)) return "cannot open: is a directory";
    // Detection seeks back in the file, which a pipe or a device cannot do.
    if (!S_ISREG(info.st_mode)) return "cannot open: not a regular file";
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) return cannotOpen(errno);
    std::fclose(probe);

    std::memset(&out.list, 0, sizeof out.list);
    edlInitEdlListStruct(&out.list);
    if (!legacy) out.list.dwFlags |= EDL_LF_INTERCHANGE;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &out.list);
    if (handle == nullptr) return "not a list edlbridge can read";

    // An inline-buffer record keeps each event's texts apart from the library's shared ones.
    std::unique_ptr<EdlLineVB> record(new EdlLineVB);
    std::string reason;
    for (;;) {
        std::memset(record.get(), 0, sizeof *record);
        const uint32_t result = edlReadLineVB(handle, record.get());
        if (result == EDL_END_OF_LIST || result == EDL_NO_LINE) break;
        if (result != EDL_OK) {
            char text[64];
            std::snprintf(text, sizeof text, "read failed (result 0x%X)", result);
            reason = text;
            break;
        }
        if (out.events.size() >= kMaxEvents) {
            reason = "too many events";
            break;
        }
        out.events.push_back(rowOf(*record));
    }
    edlClose(handle);
    return reason;
}

std::string writeList(const ListData& data, const WriteOptions& options,
                      const std::string& path) {
    if (path.size() > kMaxPathLength) return "cannot create: " + errorText(ENAMETOOLONG);
    const unsigned fromMode = (data.list.dwTcMode & 0xFFu) != 0 ? data.list.dwTcMode & 0xFFu
                                                                : EDL_TC_DF;
    const unsigned toMode = options.tcMode != 0 ? options.tcMode : fromMode;

    std::unique_ptr<EdlList> list(new EdlList);
    std::memset(list.get(), 0, sizeof *list);
    edlInitEdlListStruct(list.get());
    list->dwListType = options.listType;
    if (!options.legacy) list->dwFlags |= EDL_LF_INTERCHANGE;
    list->dwTcMode = toMode;
    list->dwFrameRate = data.list.dwFrameRate;
    list->dwAudioKHz = data.list.dwAudioKHz;
    std::memcpy(list->szTitle, data.list.szTitle, sizeof list->szTitle);
    list->szTitle[sizeof list->szTitle - 1] = '\0';
    if (options.setTitle) copyText(list->szTitle, sizeof list->szTitle, options.title);
    std::memcpy(list->szTape, data.list.szTape, sizeof list->szTape);
    std::memcpy(list->szDefReel, data.list.szDefReel, sizeof list->szDefReel);
    std::memcpy(list->szListName, data.list.szListName, sizeof list->szListName);
    list->szTape[sizeof list->szTape - 1] = '\0';
    list->szDefReel[sizeof list->szDefReel - 1] = '\0';
    list->szListName[sizeof list->szListName - 1] = '\0';

    // A regular file or no file at all: what a failed write may remove.
    struct stat before;
    const bool createdHere = stat(path.c_str(), &before) != 0 || S_ISREG(before.st_mode);
    errno = 0;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, list.get());
    if (handle == nullptr) {
        return errno != 0 ? "cannot create: " + errorText(errno)
                          : std::string("cannot create");
    }

    std::unique_ptr<EdlLineVB> record(new EdlLineVB);
    std::string reason;
    for (const EventRow& row : data.events) {
        std::memset(record.get(), 0, sizeof *record);
        record->dwEditNum = row.editNumber;
        record->dwSrcIn = relabel(row.srcIn, fromMode, toMode);
        record->dwSrcOut = relabel(row.srcOut, fromMode, toMode);
        record->dwRecIn = relabel(row.recIn, fromMode, toMode);
        record->dwRecOut = relabel(row.recOut, fromMode, toMode);
        record->dwMarkIn = relabel(row.markIn, fromMode, toMode);
        record->dwMarkOut = relabel(row.markOut, fromMode, toMode);
        record->lAudioOffset = static_cast<int32_t>(rescale(row.audioOffset, fromMode, toMode));
        record->dwVideoTracks = row.videoTracks;
        record->dwAudioTracks = row.audioTracks;
        record->chEditType = row.editType;
        record->dwWipeCode = row.wipeCode;
        record->dwEffectLen = static_cast<uint32_t>(rescale(row.effectLength, fromMode, toMode));
        record->dwPresent = row.present;
        record->dwLineFlags = row.lineFlags & ~EDL_LINE_DROP_FRAME;
        if (modeInfo(toMode).dropped != 0) record->dwLineFlags |= EDL_LINE_DROP_FRAME;
        // The clip list writes only clip events: converting into it makes each event a clip.
        if (options.listType == EDLTYPE_XJT_CLIP) record->dwLineFlags |= EDL_LINE_CLIP;
        copyText(record->achReel, sizeof record->achReel, row.reel);
        copyText(record->achClipName, sizeof record->achClipName, row.clipName);
        copyText(record->achName, sizeof record->achName, row.name);
        copyText(record->achComment, sizeof record->achComment, row.comment);
        copyText(record->szEffectText, sizeof record->szEffectText, row.effectText);
        copyText(record->achLine, sizeof record->achLine, row.line);
        const uint32_t result = edlWriteLineVB(handle, record.get());
        if (result != EDL_OK) {
            char text[64];
            std::snprintf(text, sizeof text, "write failed (result 0x%X)", result);
            reason = text;
            break;
        }
    }
    // The close result tells whether every byte reached the file.
    if (edlClose(handle) != 0 && reason.empty()) reason = "write failed";
    // Only a file the write made is taken away again: the output may be a device
    // ('/dev/full', a terminal) that must outlive a failed write.
    if (!reason.empty() && createdHere) std::remove(path.c_str());
    return reason;
}

}  // namespace edlbtool
