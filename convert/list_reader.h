// Reading lists through the library's exported functions one event at a time, and writing
// them the same way. Whole lists in memory (ListData) are for the commands that compare or
// draw them; the others stream.
#ifndef EDLBRIDGE_TOOLS_LIST_READER_H
#define EDLBRIDGE_TOOLS_LIST_READER_H

#include "platform.h"

#include <edlbridge.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace edlbtool {

class TimelineEvents;

// One event with its texts copied out of the record it was read into.
struct EventRow {
    uint32_t editNumber = 0;
    uint32_t srcIn = 0, srcOut = 0, recIn = 0, recOut = 0, markIn = 0, markOut = 0;
    int32_t audioOffset = 0;
    uint32_t videoTracks = 0, audioTracks = 0;
    char editType = 'C';
    uint32_t wipeCode = 0, effectLength = 0;
    uint32_t lineFlags = 0, present = 0;
    std::string reel, clipName, name, comment, effectText, line;
};

// A dissolve, wipe or key: the event begins with a transition from the one before it.
inline bool isTransition(char editType) {
    return editType == 'D' || editType == 'W' || editType == 'K';
}

// A dissolve read from 'D 030' holds its length as its number, where a wipe's pattern goes.
inline bool lengthInWipeCode(const EventRow& event) {
    return event.editType == 'D' && event.effectLength == 0;
}

// Carries an event's times into another mode: its positions relabelled (the same hours,
// minutes and seconds), its audio offset and effect length rescaled.
void relabelTimes(EventRow& event, unsigned from, unsigned to);

// What is known of a list once it is open: detection sets the type, title and mode, and
// the record does not change while events are read (an FCM line inside a list changes the
// mode of the events after it inside the library only).
struct ListInfo {
    std::string path;  // as the command line named it; '-' is standard input
    EdlList list{};    // the list record as edlOpen left it
    bool interchange = false;  // read with the interchange flag
    bool isTimeline = false;   // read from an OpenTimelineIO timeline
    bool rateGiven = false;    // read at a rate the user gave
    // The highest frame number of the events' timecodes read so far (non-drop modes).
    uint32_t highestFrame = 0;
};

// Where the counting rate of a list comes from: "given" by the user, read from the "list"
// (a rate its FCM lines or log heading name, drop frame, a timeline's rate), or "assumed"
// (non-drop frame names no rate, and a list without an FCM line names none).
const char* rateSource(const ListInfo& info);

struct ListData : ListInfo {
    std::vector<EventRow> events;
};

// A list named on the command line, made readable by name, as often as needed: a regular
// file as it is; standard input ('-'), a pipe or a FIFO copied into a temporary file first,
// because detection reads the start of a list twice.
class ListSource {
public:
    // Empty text on success, else the reason (for an error line naming the list).
    std::string open(const std::string& name);
    const std::string& name() const { return name_; }
    // The regular file to read: the name itself, or the temporary copy.
    const std::string& path() const { return path_; }
    uint64_t size() const { return size_; }

private:
    std::string spool(FILE* in);

    std::string name_, path_;
    uint64_t size_ = 0;
    platform::TempFile copy_;
};

// How a list is read: for interchange unless legacy is set, at a counting rate the user gives
// (hundredths of a frame per second, 0: the rate the list names), and with the record time a
// log without record times starts at (empty: 01:00:00:00).
struct ReadOptions {
    bool legacy = false;
    uint32_t rate = 0;
    std::string recordStart;

    ReadOptions() = default;
    // Only whether to read for interchange.
    ReadOptions(bool legacyReading) : legacy(legacyReading) {}  // NOLINT: a plain flag converts
};

// A log: events without record times, laid end to end when read for interchange.
bool isLog(const EdlList& list);

// Reads one event at a time from an open source.
class ListReader {
public:
    ListReader();
    ~ListReader();
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;

    // Detects the list, for interchange unless legacy is set. A list longer than maxEvents
    // fails with "too many events"; 0 allows one event per byte of the file, the most a
    // list can hold, so a reader that stopped advancing would still end. Empty text on
    // success, else the reason.
    std::string open(const ListSource& source, const ReadOptions& options, size_t maxEvents = 0);
    const ListInfo& info() const { return info_; }
    // The name the list is shown by, when it is not the name it was opened by.
    void showAs(const std::string& name) { info_.path = name; }

    // Fills row with the next event and returns true; false at the end of the list, or on
    // a failure, after which reason() is not empty.
    bool next(EventRow& row);
    // The same for a list (not a timeline), straight into an event record as the library
    // fills it.
    bool next(EdlLineVB& record);
    const std::string& reason() const { return reason_; }
    size_t count() const { return count_; }
    // An OpenTimelineIO timeline (known as isOtioFile says) is read whole by open(), its
    // events being placed by their neighbours, and so is a marker list (one event a
    // marker); next() hands them out.
    // What reading a timeline noticed (a time warp kept as a note, ...); taken once.
    std::vector<std::string> takeWarnings() { return std::move(warnings_); }
    // A reader whose warnings nobody takes keeps none of the events' own: what it holds
    // then stays the same whatever a long list warns of.
    void dropEventWarnings() { keepEventWarnings_ = false; }
    // progress (when not null) is told the events read so far every EDLC_PROGRESS_STEP.
    void onProgress(void (*progress)(void*, size_t), void* context) {
        progress_ = progress;
        progressContext_ = context;
    }

private:
    void close();
    std::string openTimeline(const ListSource& source);
    // Warns of what the library marked on an event it read.
    void noteWhatWasNotRead(const EdlLineVB& record);
    void noteHighestFrame(const EdlLineVB& record);

    ListInfo info_;
    std::unique_ptr<ListData> timeline_;
    std::unique_ptr<TimelineEvents> events_;  // a timeline's, made whole as they are handed out
    size_t nextEvent_ = 0;
    std::vector<std::string> warnings_;
    bool keepEventWarnings_ = true;
    void (*progress_)(void*, size_t) = nullptr;
    void* progressContext_ = nullptr;
    void counted();
    tagKvEdlHandle* handle_ = nullptr;
    std::unique_ptr<EdlLineVB> record_;
    size_t count_ = 0, maxEvents_ = 0;
    std::string reason_;
};

// The commands that keep a whole list in memory stop at this many events.
constexpr size_t kMaxListEvents = 4u * 1024u * 1024u;

// Reads every event of the list or timeline named name (standard input for '-'), for
// interchange unless legacy is set; at most about four million events. Empty text on
// success, else the reason. What reading a timeline noticed goes to warnings when given.
std::string readList(const std::string& name, ListData& out, const ReadOptions& options = {},
                     std::vector<std::string>* warnings = nullptr);

struct WriteOptions {
    unsigned listType = EDLTYPE_GENERIC;
    unsigned tcMode = 0;  // 0: the mode of the list read
    bool setTitle = false;
    std::string title;
    bool legacy = false;  // write the documented dialect bytes instead of interchange
    unsigned reelWidth = 8;  // CMX-style reel field: 8, 32 or 128 characters
    // A log written for interchange gets ASC_SOP and ASC_SAT columns for the grades of the
    // events (their "ASC_SOP" and "ASC_SAT" notes), where the list read has none.
    bool sopColumn = false, satColumn = false;
};

// Writes one event at a time. A list that could not be written completely, or that close()
// or abandon() ends, is removed again when it is a regular file (never a device).
class ListWriter {
public:
    ListWriter();
    ~ListWriter();
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    // Opens path for a list like from, as options say; the header is written here. Empty
    // text on success, else the reason.
    std::string open(const ListInfo& from, const WriteOptions& options, const std::string& path);
    std::string write(const EventRow& row);
    // Writes the closing lines; empty text when every byte reached the file.
    std::string close();
    // Gives the list up: closes and removes it.
    void abandon();

    // What writing noticed (reels longer than the reel field, once a list); taken once.
    std::vector<std::string> takeWarnings() { return std::move(warnings_); }

private:
    void removeOutput();

    tagKvEdlHandle* handle_ = nullptr;
    std::unique_ptr<EdlLineVB> record_;
    EventRow moved_;  // the event being written, in the mode written
    std::vector<std::string> warnings_;
    bool reelWarned_ = false;
    WriteOptions options_;
    unsigned fromMode_ = 0, toMode_ = 0;
    std::string path_, reason_;
};

// Writes data as a list of another type into path. Empty text on success, else the reason;
// a list that could not be written completely is removed.
std::string writeList(const ListData& data, const WriteOptions& options, const std::string& path);

// An event's whole clip name as a list read for interchange gives it: the name in szName
// when that is no file name, else the clip name of its notes, else its ten-character clip
// name.
std::string fullClipName(const EventRow& event);
// The clip name the commands show: the whole one for interchange, else the ten characters.
std::string clipNameOf(const ListInfo& info, const EventRow& event);

// The media file an event names (empty when none), and its notes, one per line.
std::string sourceFile(const EventRow& event);
std::vector<std::string> noteLines(const EventRow& event);
// Calls visit(text, length) for each note line, in order, without copying them.
template <typename Visit>
void forEachNoteLine(const EventRow& event, Visit&& visit) {
    const std::string& notes = event.comment;
    size_t start = 0;
    while (start < notes.size()) {
        const size_t end = notes.find('\n', start);
        const size_t stop = end == std::string::npos ? notes.size() : end;
        visit(notes.data() + start, stop - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

// An event record's fields and texts as a row, and a row back into a record (its texts cut
// to the record's buffers; the fields a row does not carry are cleared, the bytes after each
// text's terminator left as they were).
void fillRow(const EdlLineVB& record, EventRow& row);
void fillRecord(const EventRow& row, EdlLineVB& record);

// Copies text into a buffer of size bytes, cut to fit and terminated.
void copyText(char* buffer, size_t size, const std::string& text);

}  // namespace edlbtool

#endif
