#include "list_reader.h"

#include "cdl.h"
#include "text_rows.h"

#include "markers.h"
#include "notes.h"
#include "otio.h"
#include "timecode_text.h"

#include <edlconvert.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>
#include <strings.h>

namespace edlbtool {
namespace {

// The library keeps file names of at most 4099 characters.
constexpr size_t kMaxPathLength = 4099;


constexpr size_t kSpoolChunk = 64 * 1024;

std::string cannotOpen(int error) { return "cannot open: " + errorText(error); }

std::string resultText(const char* what, uint32_t result) {
    char text[64];
    std::snprintf(text, sizeof text, "%s failed (result 0x%X)", what, result);
    return text;
}

}  // namespace

namespace {

// Why the library refused a list: a text it would read without the interchange flag has no
// line an interchange reading takes for an event.
std::string refusalReason(const ListSource& source, bool legacy) {
    const std::string refused = "not a list edlbridge can read";
    // What detection looks for, said when it finds none of it.
    const std::string unrecognised =
        refused + ": no event line, list header (TITLE, FCM, *DS), log heading or known column line"
                  " found (see 'edlbridge types')";
    if (legacy) return unrecognised;
    std::unique_ptr<EdlList> documented(new EdlList);
    std::memset(documented.get(), 0, sizeof *documented);
    edlInitEdlListStruct(documented.get());
    tagKvEdlHandle* handle = edlOpen(source.path().c_str(), nullptr, EDL_OPEN_READ, documented.get());
    if (handle == nullptr) return unrecognised;
    edlClose(handle);
    return refused + ": no line of it is an event line";
}

// Appends to a log's tab-separated column line the grade columns options ask for that it
// does not have yet.
void addGradeColumns(std::string& columns, const WriteOptions& options) {
    const auto has = [&columns](const char* name) {
        for (const std::string& column : splitFields(columns, '\t')) {
            if (strcasecmp(trimmed(column).c_str(), name) == 0) return true;
        }
        return false;
    };
    const std::pair<const char*, bool> grades[] = {{"ASC_SOP", options.sopColumn},
                                                   {"ASC_SAT", options.satColumn}};
    for (const auto& [name, wanted] : grades) {
        if (!wanted || has(name)) continue;
        if (!columns.empty()) columns += '\t';
        columns += name;
    }
}

}  // namespace

bool isLog(const EdlList& list) {
    return list.dwListType == EDLTYPE_LOG_EXCHANGE || list.dwListType == EDLTYPE_XJT_CLIP ||
           list.dwListType == EDLTYPE_CSV || (list.dwFlags & EDL_LF_COLUMN_LIST) != 0 ||
           (list.dwFlags2 & EDL_LF2_CSV) != 0;
}

void fillRow(const EdlLineVB& record, EventRow& row) {
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
}

void fillRecord(const EventRow& row, EdlLineVB& record) {
    std::memset(&record, 0, offsetof(EdlLineVB, achClipName));
    record.dwEditNum = row.editNumber;
    record.dwSrcIn = row.srcIn;
    record.dwSrcOut = row.srcOut;
    record.dwRecIn = row.recIn;
    record.dwRecOut = row.recOut;
    record.dwMarkIn = row.markIn;
    record.dwMarkOut = row.markOut;
    record.lAudioOffset = row.audioOffset;
    record.dwVideoTracks = row.videoTracks;
    record.dwAudioTracks = row.audioTracks;
    record.chEditType = row.editType;
    record.dwWipeCode = row.wipeCode;
    record.dwEffectLen = row.effectLength;
    record.dwLineFlags = row.lineFlags;
    record.dwPresent = row.present;
    copyText(record.achReel, sizeof record.achReel, row.reel);
    copyText(record.achClipName, sizeof record.achClipName, row.clipName);
    copyText(record.achName, sizeof record.achName, row.name);
    copyText(record.achComment, sizeof record.achComment, row.comment);
    copyText(record.szEffectText, sizeof record.szEffectText, row.effectText);
    copyText(record.achLine, sizeof record.achLine, row.line);
}

void relabelTimes(EventRow& event, unsigned from, unsigned to) {
    for (uint32_t* position : {&event.srcIn, &event.srcOut, &event.recIn, &event.recOut,
                               &event.markIn, &event.markOut}) {
        *position = relabel(*position, from, to);
    }
    event.audioOffset = static_cast<int32_t>(rescale(event.audioOffset, from, to));
    event.effectLength = static_cast<uint32_t>(rescale(event.effectLength, from, to));
}

void copyText(char* buffer, size_t size, const std::string& text) {
    const size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::vector<std::string> noteLines(const EventRow& event) {
    std::vector<std::string> lines;
    forEachNoteLine(event, [&lines](const char* line, size_t length) { lines.emplace_back(line, length); });
    return lines;
}

std::string sourceFile(const EventRow& event) {
    return (event.present & EDL_P_FILE_NAME) != 0 ? event.name : std::string();
}

std::string fullClipName(const EventRow& event) {
    if ((event.present & EDL_P_FILE_NAME) == 0 && !event.name.empty()) return event.name;
    if ((event.present & EDL_P_CLIP_NAME) == 0) return event.clipName;
    // szName holds the file: a name longer than the ten characters is in the notes.
    for (const char* keyword : {"TO CLIP NAME:", "FROM CLIP NAME:"}) {
        if (!isTransition(event.editType) && keyword[0] == 'T') continue;
        const size_t keywordLength = std::strlen(keyword);
        std::string found;
        forEachNoteLine(event, [&](const char* line, size_t length) {
            if (!found.empty() || length < keywordLength ||
                strncasecmp(line, keyword, keywordLength) != 0) {
                return;
            }
            const std::string name = trimmed(std::string(line + keywordLength, length - keywordLength));
            if (!name.empty() && name.compare(0, event.clipName.size(), event.clipName) == 0) {
                found = name;
            }
        });
        if (!found.empty()) return found;
    }
    return event.clipName;
}

std::string clipNameOf(const ListInfo& info, const EventRow& event) {
    return info.interchange ? fullClipName(event) : event.clipName;
}

std::string ListSource::open(const std::string& name) {
    name_ = name;
    path_.clear();
    size_ = 0;
    copy_.release();
    if (name == "-") return spool(stdin);
    // Before the system is asked: systems differ in what they say about such a name.
    if (name.size() > kMaxPathLength) return cannotOpen(ENAMETOOLONG);
    const platform::FileStatus status = platform::fileStatus(name);
    switch (status.kind) {
        case platform::FileKind::Missing: return cannotOpen(status.error);
        case platform::FileKind::Directory: return "cannot open: is a directory";
        case platform::FileKind::Other: return "cannot open: not a regular file";
        case platform::FileKind::Stream: {
            FILE* in = std::fopen(name.c_str(), "rb");
            if (in == nullptr) return cannotOpen(errno);
            const std::string reason = spool(in);
            std::fclose(in);
            return reason;
        }
        case platform::FileKind::Regular: break;
    }
    FILE* probe = std::fopen(name.c_str(), "rb");
    if (probe == nullptr) return cannotOpen(errno);
    std::fclose(probe);
    path_ = name;
    size_ = status.size;
    return std::string();
}

std::string ListSource::spool(FILE* in) {
    // The copy keeps the name's extension: CSV logs are known by theirs.
    const size_t slash = name_.find_last_of(kDirectoryEnds);
    const size_t dot = name_.find_last_of('.');
    const bool extension = dot != std::string::npos &&
                           (slash == std::string::npos || dot > slash + 1) && name_.size() - dot <= 16;
    std::string reason = copy_.create(extension ? name_.substr(dot) : std::string());
    if (!reason.empty()) return reason;
    FILE* out = std::fopen(copy_.path().c_str(), "wb");
    if (out == nullptr) {
        return "cannot write a temporary file: " + errorText(errno);
    }
    std::unique_ptr<char[]> buffer(new char[kSpoolChunk]);
    int writeError = 0;
    size_t count;
    while ((count = std::fread(buffer.get(), 1, kSpoolChunk, in)) > 0) {
        if (std::fwrite(buffer.get(), 1, count, out) != count) {
            writeError = errno != 0 ? errno : EIO;
            break;
        }
        size_ += count;
    }
    const int readError = writeError == 0 && std::ferror(in) ? (errno != 0 ? errno : EIO) : 0;
    if (std::fclose(out) != 0 && writeError == 0) writeError = errno != 0 ? errno : EIO;
    if (readError != 0) return "cannot read: " + errorText(readError);
    if (writeError != 0) {
        return "cannot write a temporary file: " + errorText(writeError);
    }
    path_ = copy_.path();
    return std::string();
}

ListReader::ListReader() : record_(new EdlLineVB) {}

ListReader::~ListReader() { close(); }

void ListReader::close() {
    if (handle_ != nullptr) edlClose(handle_);
    handle_ = nullptr;
    timeline_.reset();
    events_.reset();
}

std::string ListReader::open(const ListSource& source, const ReadOptions& options,
                             size_t maxEvents) {
    const bool legacy = options.legacy;
    close();
    count_ = 0;
    reason_.clear();
    maxEvents_ = maxEvents != 0 ? maxEvents : static_cast<size_t>(source.size()) + 1;
    info_.path = source.name();
    info_.interchange = !legacy;
    info_.isTimeline = false;
    std::memset(&info_.list, 0, sizeof info_.list);
    edlInitEdlListStruct(&info_.list);
    if (!legacy) info_.list.dwFlags |= EDL_LF_INTERCHANGE;
    // The library counts at a rate given in the list record.
    if (!legacy) info_.list.dwReserved = options.rate;
    info_.rateGiven = !legacy && options.rate != 0;
    info_.highestFrame = 0;
    if (source.path().empty()) return reason_ = "cannot open";
    if (source.size() == 0) return reason_ = "empty file: nothing to read";
    if (isOtioFile(source.path())) return openTimeline(source);
    // Marker lists are known before the library's detection, which takes some for logs.
    MarkerList markers;
    if (!legacy && readMarkerFile(source.path(), 0, markers, reason_)) {
        if (!reason_.empty()) return reason_;
        timeline_.reset(new ListData);
        markerEvents(markers, *timeline_);
        info_.list = timeline_->list;
        nextEvent_ = 0;
        return std::string();
    }
    handle_ = edlOpen(source.path().c_str(), nullptr, EDL_OPEN_READ, &info_.list);
    if (handle_ == nullptr) return reason_ = refusalReason(source, legacy);
    if (!legacy && !options.recordStart.empty() && isLog(info_.list)) {
        // A log without record times lays its events end to end from here.
        uint32_t start = 0;
        if (!parseTimecode(options.recordStart, listMode(info_.list.dwTcMode), start)) {
            close();
            return reason_ = "no timecode of the list's rate: '" + options.recordStart + "'";
        }
        edlSetRecorderIn(handle_, start);
    }
    return std::string();
}

std::string ListReader::openTimeline(const ListSource& source) {
    events_.reset(new TimelineEvents);
    warnings_.clear();
    ListInfo read;
    std::string reason = readOtio(source.path(), read, *events_, warnings_);
    if (reason.empty() && events_->size() > maxEvents_) reason = "too many events";
    if (!reason.empty()) {
        events_.reset();
        return reason_ = reason;
    }
    info_.list = read.list;
    info_.interchange = info_.isTimeline = true;
    nextEvent_ = 0;
    return std::string();
}

void ListReader::counted() {
    ++count_;
    if (progress_ != nullptr && count_ % EDLC_PROGRESS_STEP == 0) progress_(progressContext_, count_);
}

bool ListReader::next(EventRow& row) {
    if (events_ != nullptr) {
        if (!events_->next(row)) {
            close();
            return false;
        }
        counted();
        return true;
    }
    if (timeline_ != nullptr) {
        if (nextEvent_ >= timeline_->events.size()) {
            close();
            return false;
        }
        row = std::move(timeline_->events[nextEvent_++]);
        counted();
        return true;
    }
    if (!next(*record_)) return false;
    fillRow(*record_, row);
    return true;
}

bool ListReader::next(EdlLineVB& record) {
    // A list read whole when it was opened (a marker list) hands out its rows.
    if (timeline_ != nullptr || events_ != nullptr) {
        EventRow row;
        if (!next(row)) return false;
        fillRecord(row, record);
        return true;
    }
    if (handle_ == nullptr) return false;
    // An inline-buffer record keeps each event's texts apart from the library's shared ones.
    // edlReadLineVB clears the text buffers itself; the fields before them are cleared here.
    std::memset(&record, 0, offsetof(EdlLineVB, achClipName));
    const uint32_t result = edlReadLineVB(handle_, &record);
    if (result == EDL_END_OF_LIST || result == EDL_NO_LINE) {
        close();
        return false;
    }
    if (result != EDL_OK) {
        reason_ = resultText("read", result);
    } else if (count_ >= maxEvents_) {
        reason_ = "too many events";
    } else {
        counted();
        noteWhatWasNotRead(record);
        noteHighestFrame(record);
        return true;
    }
    close();
    return false;
}

void ListReader::noteHighestFrame(const EdlLineVB& record) {
    const ModeInfo& mode = modeInfo(listMode(info_.list.dwTcMode));
    if (mode.dropped != 0) return;
    for (uint32_t frames : {record.dwSrcIn, record.dwSrcOut, record.dwRecIn, record.dwRecOut}) {
        const uint32_t label = frames % mode.fps;
        if (label > info_.highestFrame) info_.highestFrame = label;
    }
}

const char* rateSource(const ListInfo& info) {
    if (info.rateGiven) return "given";
    // A CSV log names no rate: only ';' separators (drop frame) prove one.
    const bool csv = (info.list.dwFlags2 & EDL_LF2_CSV) != 0;
    const bool named = info.isTimeline || (isLog(info.list) && !csv) ||
                       (info.list.dwTcMode & 0xFFu) != EDL_TC_NDF;
    return named ? "list" : "assumed";
}

void ListReader::noteWhatWasNotRead(const EdlLineVB& record) {
    if (!keepEventWarnings_) return;
    if ((record.dwPresent & EDL_P_UNREAD_LINE) != 0) {
        warnings_.push_back("line " + std::to_string(record.dwEffect) +
                            ": looks like an event line but cannot be read; kept as a note of "
                            "event " + std::to_string(count_));
    }
    if ((record.dwPresent & EDL_P_UNKNOWN_TRACKS) != 0) {
        warnings_.push_back("event " + std::to_string(count_) +
                            ": no track code a list defines; the event has no tracks");
    }
}

std::string readList(const std::string& name, ListData& out, const ReadOptions& options,
                     std::vector<std::string>* warnings) {
    out.events.clear();
    out.path = name;
    out.interchange = !options.legacy;
    ListSource source;
    std::string reason = source.open(name);
    if (!reason.empty()) return reason;
    ListReader reader;
    reason = reader.open(source, options, kMaxListEvents);
    static_cast<ListInfo&>(out) = reader.info();
    if (!reason.empty()) return reason;
    EventRow row;
    while (reader.next(row)) out.events.push_back(row);
    if (warnings != nullptr) {
        for (std::string& warning : reader.takeWarnings()) warnings->push_back(std::move(warning));
    }
    return reader.reason();
}

ListWriter::ListWriter() : record_(new EdlLineVB) {}

ListWriter::~ListWriter() {
    if (handle_ != nullptr) abandon();
}

std::string ListWriter::open(const ListInfo& from, const WriteOptions& options,
                             const std::string& path) {
    if (handle_ != nullptr) abandon();
    reason_.clear();
    path_ = path;
    options_ = options;
    if (path.size() > kMaxPathLength) return "cannot create: " + errorText(ENAMETOOLONG);
    fromMode_ = listMode(from.list.dwTcMode);
    toMode_ = options.tcMode != 0 ? options.tcMode : fromMode_;

    std::unique_ptr<EdlList> list(new EdlList);
    std::memset(list.get(), 0, sizeof *list);
    edlInitEdlListStruct(list.get());
    list->dwListType = options.listType;
    if (!options.legacy) list->dwFlags |= EDL_LF_INTERCHANGE;
    if (options.reelWidth == 32) list->dwFlags |= EDL_LF_REEL_32;
    if (options.reelWidth == 128) list->dwFlags |= EDL_LF_REEL_128;
    warnings_.clear();
    reelWarned_ = false;
    list->dwTcMode = toMode_;
    list->dwFrameRate = from.list.dwFrameRate;
    list->dwAudioKHz = from.list.dwAudioKHz;
    std::memcpy(list->szTitle, from.list.szTitle, sizeof list->szTitle);
    list->szTitle[sizeof list->szTitle - 1] = '\0';
    if (options.setTitle) copyText(list->szTitle, sizeof list->szTitle, options.title);
    // A log names no title: a list written from it for interchange is titled by its name.
    if (!options.legacy && list->szTitle[0] == '\0' && isLog(from.list) && from.path != "-") {
        const size_t slash = from.path.find_last_of(kDirectoryEnds);
        std::string stem = from.path.substr(slash == std::string::npos ? 0 : slash + 1);
        const size_t dot = stem.find_last_of('.');
        if (dot != std::string::npos && dot > 0) stem.erase(dot);
        copyText(list->szTitle, sizeof list->szTitle, stem);
    }
    std::memcpy(list->szTape, from.list.szTape, sizeof list->szTape);
    std::memcpy(list->szDefReel, from.list.szDefReel, sizeof list->szDefReel);
    std::memcpy(list->szListName, from.list.szListName, sizeof list->szListName);
    list->szTape[sizeof list->szTape - 1] = '\0';
    list->szDefReel[sizeof list->szDefReel - 1] = '\0';
    list->szListName[sizeof list->szListName - 1] = '\0';
    // A log written for interchange carries the columns of the log read that no reader
    // interprets; their cells were kept as notes. A CSV log's column line is no tab-separated
    // one, and its cells were not kept.
    if (!options.legacy && options.listType == EDLTYPE_LOG_EXCHANGE) {
        std::string columns;
        if (from.list.dwListType != EDLTYPE_CSV) {
            columns.assign(from.list.szColumnLine, strnlen(from.list.szColumnLine, sizeof from.list.szColumnLine));
        }
        addGradeColumns(columns, options);
        copyText(list->szColumnLine, sizeof list->szColumnLine, columns);
    }

    errno = 0;
    handle_ = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, list.get());
    if (handle_ == nullptr) {
        return errno != 0 ? "cannot create: " + errorText(errno)
                          : std::string("cannot create");
    }
    return std::string();
}

std::string ListWriter::write(const EventRow& row) {
    if (handle_ == nullptr) return reason_.empty() ? "not open" : reason_;
    moved_ = row;
    relabelTimes(moved_, fromMode_, toMode_);
    // A dissolve read from 'D 030' holds its length as its number: it is a length too.
    if (lengthInWipeCode(row)) {
        moved_.wipeCode = static_cast<uint32_t>(rescale(row.wipeCode, fromMode_, toMode_));
    }
    moved_.lineFlags &= ~EDL_LINE_DROP_FRAME;
    if (modeInfo(toMode_).dropped != 0) moved_.lineFlags |= EDL_LINE_DROP_FRAME;
    // The clip list writes only clip events: converting into it makes each event a clip.
    if (options_.listType == EDLTYPE_XJT_CLIP) moved_.lineFlags |= EDL_LINE_CLIP;
    // A CMX 3600 list has room for reels of the field's width: a longer one is warned of
    // once a list.
    if (!reelWarned_ && !options_.legacy && options_.listType == EDLTYPE_CMX3600 &&
        moved_.reel.size() > options_.reelWidth) {
        reelWarned_ = true;
        warnings_.push_back("reel '" + moved_.reel + "' of event " + std::to_string(moved_.editNumber) +
                            " is longer than the " + std::to_string(options_.reelWidth) +
                            " characters of the CMX 3600 reel field (a reel width of 32 or 128 writes"
                            " the wider layouts other systems read)");
    }
    // Grades go to a log's ASC_SOP and ASC_SAT columns, and come back from them as notes.
    if (!options_.legacy) putCdlNotesInForm(moved_.comment, options_.listType == EDLTYPE_LOG_EXCHANGE);
    fillRecord(moved_, *record_);
    const uint32_t result = edlWriteLineVB(handle_, record_.get());
    if (result != EDL_OK) {
        reason_ = resultText("write", result);
        abandon();
    }
    return reason_;
}

std::string ListWriter::close() {
    if (handle_ == nullptr) return reason_;
    // The close result tells whether every byte reached the file.
    const uint32_t result = edlClose(handle_);
    handle_ = nullptr;
    if (result != 0) {
        reason_ = "write failed";
        removeOutput();
    }
    return reason_;
}

void ListWriter::abandon() {
    if (handle_ != nullptr) edlClose(handle_);
    handle_ = nullptr;
    removeOutput();
}

void ListWriter::removeOutput() { platform::removeFailedOutput(path_); }

std::string writeList(const ListData& data, const WriteOptions& options,
                      const std::string& path) {
    ListWriter writer;
    WriteOptions withGrades = options;
    for (const EventRow& row : data.events) {
        const CdlNames names = cdlNamesIn(row.comment);
        withGrades.sopColumn = withGrades.sopColumn || names.sop;
        withGrades.satColumn = withGrades.satColumn || names.sat;
    }
    std::string reason = writer.open(data, withGrades, path);
    if (!reason.empty()) return reason;
    for (const EventRow& row : data.events) {
        reason = writer.write(row);
        if (!reason.empty()) return reason;
    }
    return writer.close();
}

}  // namespace edlbtool
