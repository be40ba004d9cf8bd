// Events as an OpenTimelineIO timeline, written as the events are read. A first pass over
// the events learns the tracks, the first record in and the last record out (a list's
// events are read once, and kept compact in a temporary file for the second pass); the
// second writes every track at once, the first straight to the output and the others into spools
// that follow it, so memory does not grow with the list. Only a list whose events go back in
// record time on a track is held whole, to be put in order.
//
// The fields are written in the order and layout OTIO writes them, and metadata keys sorted
// as OTIO keeps them. What OTIO's CMX 3600 adapter reads from a list goes where it puts it:
// the reel and the notes it does not interpret under "cmx_3600", the clip name as the
// clip's name, the source file as its media, "LOC:" notes as markers, speed notes as time
// effects, black and bars as generated media. A log, having no record times, becomes a
// "SerializableCollection.1" of clips as OTIO's ALE adapter reads one, its columns under
// "ALE". What an event has beyond that stays under "edlbridge", only where it is not what
// the rest of the timeline gives.
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cdl.h"
#include "json_out.h"
#include "list_type_names.h"
#include "markers.h"
#include "notes.h"
#include "otio.h"
#include "otio_common.h"
#include "platform.h"
#include "timecode_text.h"

namespace edlbtool {
namespace {

constexpr unsigned kTrackBits = 32;
constexpr uint32_t kNoWipeCode = 0xFFFFFFFFu;

// The level, in OTIO's layout, of a track in the stack's list, and of a clip in a
// collection's.
constexpr unsigned kTrackDepth = 3;

bool equalNoCase(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// Percent-encodes what a file URL cannot hold as it is.
std::string fileUrl(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;  // relative names stay as the list has them
    static const char kKept[] = "-._~/!$&'()*+,;=:@";
    std::string url = "file://";
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c != 0 && std::strchr(kKept, c) != nullptr)) {
            url += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            url += hex;
        }
    }
    return url;
}

// A file name of an image sequence: 'shot.[1001-1020].exr' (the frame numbers of its name
// between brackets) as its directory, what comes before and after the numbers, the first
// number and its digits.
struct ImageSequence {
    std::string directory, prefix, suffix;
    int64_t start = 0;
    int padding = 0;
};

bool imageSequence(const std::string& file, ImageSequence& out) {
    const size_t slash = file.find_last_of(kDirectoryEnds);
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const size_t open = file.find('[', nameAt);
    if (open == std::string::npos) return false;
    size_t at = open + 1;
    const size_t first = at;
    while (at < file.size() && file[at] >= '0' && file[at] <= '9') ++at;
    const size_t digits = at - first;
    if (digits == 0 || digits > 15 || at >= file.size() || file[at] != '-') return false;
    size_t last = ++at;
    while (at < file.size() && file[at] >= '0' && file[at] <= '9') ++at;
    if (at == last || at >= file.size() || file[at] != ']') return false;
    out.directory = slash == std::string::npos ? std::string() : file.substr(0, slash);
    out.prefix = file.substr(nameAt, open - nameAt);
    out.suffix = file.substr(at + 1);
    out.start = std::strtoll(file.c_str() + first, nullptr, 10);
    out.padding = static_cast<int>(digits);
    return true;
}

// The tracks an event is placed on: its own, or V1 for an event that names none.
bool onTrack(const EventRow& event, bool audio, unsigned bit) {
    if (event.videoTracks == 0 && event.audioTracks == 0) return !audio && bit == 0;
    return ((audio ? event.audioTracks : event.videoTracks) & (1u << bit)) != 0;
}

int64_t recordLength(const EventRow& event) {
    return event.recOut >= event.recIn ? int64_t{event.recOut} - event.recIn : 0;
}

// True when the track is the first an event is on: its markers go there.
bool isFirstTrack(const EventRow& e, bool audio, unsigned bit) {
    for (bool onAudio : {false, true}) {
        for (unsigned on = 0; on < kTrackBits; ++on) {
            if (onTrack(e, onAudio, on)) return onAudio == audio && on == bit;
        }
    }
    return false;
}

// An event with the zero-length cut line before it when it is a transition of the same
// number: that line is the outgoing half of the transition and becomes no clip of its own.
struct Paired {
    EventRow row;
    size_t index = 0;  // the event's place in the list, from 0
    bool hasCut = false;
    EventRow cut;
    size_t cutIndex = 0;
    // The edit number a reader takes for the event (and its cut line) when it has none: the
    // one before it in the list plus one.
    int64_t nextEdit = 1, cutNextEdit = 1;
    // The wipe code a reader takes for the event when it has none: the one before it.
    uint32_t wipeBefore = kNoWipeCode;
};

bool isCutLineOf(const EventRow& cut, const EventRow& next) {
    return cut.editType == 'C' && cut.recOut == cut.recIn && isTransition(next.editType) &&
           next.editNumber == cut.editNumber;
}

// The events of a source in the mode written, paired with their cut lines.
class PairedEvents {
public:
    PairedEvents(EventSource& source, unsigned fromMode, unsigned toMode)
        : source_(source), from_(fromMode), to_(toMode) {}

    std::string rewind() {
        count_ = 0;
        ahead_ = false;
        lastEdit_ = 0;
        lastWipe_ = kNoWipeCode;
        return source_.rewind();
    }

    // A log's events without an edit number are numbered by a reader.
    void numberAll(bool all) { numberAll_ = all; }

    bool next(Paired& out) {
        if (!pair(out)) return false;
        if (out.hasCut) {
            out.cutNextEdit = numbered(out.cut);
            lastWipe_ = out.cut.wipeCode;
        }
        out.nextEdit = numbered(out.row);
        out.wipeBefore = lastWipe_;
        lastWipe_ = out.row.wipeCode;
        return true;
    }

    size_t count() const { return count_; }
    std::string reason() const { return source_.reason(); }

private:
    bool pair(Paired& out) {
        if (!take(out.row)) return false;
        out.index = count_ - 1;
        out.hasCut = false;
        if (out.row.editType != 'C' || out.row.recOut != out.row.recIn) return true;
        if (!take(next_)) return true;
        if (isCutLineOf(out.row, next_)) {
            std::swap(out.cut, out.row);
            std::swap(out.row, next_);
            out.cutIndex = out.index;
            out.index = count_ - 1;
            out.hasCut = true;
        } else {
            ahead_ = true;
            --count_;
        }
        return true;
    }

    // The number a reader gives an event without one, and the last number after it.
    int64_t numbered(const EventRow& e) {
        const int64_t following = lastEdit_ + 1;
        if ((e.present & EDL_P_EDIT_NUMBER) != 0) {
            lastEdit_ = e.editNumber;
        } else if (numberAll_) {
            lastEdit_ = following;
        }
        return following;
    }

    bool take(EventRow& row) {
        if (ahead_) {
            ahead_ = false;
            std::swap(row, next_);
        } else if (!source_.next(row)) {
            return false;
        } else if (from_ != to_) {
            relabel(row);
        }
        ++count_;
        return true;
    }

    // The event's times in the mode written, as writeList carries them: a dissolve's
    // length read from 'D 030' is a length too.
    void relabel(EventRow& e) const {
        const bool lengthInCode = lengthInWipeCode(e);
        relabelTimes(e, from_, to_);
        if (lengthInCode) e.wipeCode = static_cast<uint32_t>(rescale(e.wipeCode, from_, to_));
    }

    EventSource& source_;
    const unsigned from_, to_;
    size_t count_ = 0;
    bool ahead_ = false;
    EventRow next_;
    int64_t lastEdit_ = 0;
    uint32_t lastWipe_ = kNoWipeCode;
    bool numberAll_ = false;
};

// What the first pass learns.
struct Survey {
    uint32_t videoUsed = 0, audioUsed = 0;
    int64_t start = -1, end = 0;
    bool ordered = true;        // every track's events come in record order
    bool recordTimes = false;   // some event has record times: a timeline, not a log
};

// Where the tracks after the first wait until it is written: in memory for a list held in
// memory, else in a temporary file.
class Spool {
public:
    explicit Spool(bool inMemory) : inMemory_(inMemory) {}
    ~Spool() {
        if (file_ != nullptr) std::fclose(file_);
    }
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    std::string open() {
        if (inMemory_) return std::string();
        std::string reason = temp_.create(".otio");
        if (reason.empty()) {
            file_ = std::fopen(temp_.path().c_str(), "w+b");
            if (file_ == nullptr) reason = "cannot create a temporary file";
        }
        return reason;
    }
    bool write(const char* bytes, size_t size) {
        if (inMemory_) {
            text_.append(bytes, size);
            return true;
        }
        return std::fwrite(bytes, 1, size, file_) == size;
    }
    WriteBytes sink() {
        return [this](const char* bytes, size_t size) { return write(bytes, size); };
    }
    // Reading what was spooled from its start (a spool in a file only).
    bool startReading() {
        return std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0;
    }
    bool read(char* bytes, size_t size) { return std::fread(bytes, 1, size, file_) == size; }
    // Copies what was spooled into sink.
    bool copyTo(const WriteBytes& sink) {
        if (inMemory_) return sink(text_.data(), text_.size());
        if (!startReading()) return false;
        std::vector<char> buffer(1 << 16);
        size_t count;
        while ((count = std::fread(buffer.data(), 1, buffer.size(), file_)) > 0) {
            if (!sink(buffer.data(), count)) return false;
        }
        return std::ferror(file_) == 0;
    }

private:
    bool inMemory_;
    std::string text_;
    platform::TempFile temp_;
    FILE* file_ = nullptr;
};

class TimelineWriter;

// One track, written as its events come in record order: each clip waits for the event
// after it, because a transition into that event may end it earlier. An event that overlaps
// the one before it goes on a further track of the same name above (lane 1, 2, ...), which
// names the track it belongs to in its metadata: one OTIO track holds no overlaps.
class TrackWriter {
public:
    TrackWriter(TimelineWriter& timeline, bool audio, unsigned bit, WriteBytes sink,
                unsigned lane = 0);
    void add(const Paired& event);
    void finish();
    bool ok() { return out_.flush(); }
    bool audio() const { return audio_; }
    unsigned bit() const { return bit_; }
    unsigned lane() const { return lane_; }

private:
    void flushPending();
    void gap(int64_t length);

    TimelineWriter& timeline_;
    const bool audio_;
    const unsigned bit_;
    const unsigned lane_;
    const std::string name_;
    JsonOut out_;
    TrackWriter* above_ = nullptr;
    int64_t position_;
    bool anyItem_ = false;
    bool pending_ = false;
    Paired held_;
    int64_t heldStart_ = 0, heldLength_ = 0;
    size_t lastEvent_ = 0;  // the place in the list of the last clip written, from 1
};

// The notes of an event sorted into what the clip's fields say and what stays a note.
struct EventNotes {
    std::vector<std::string> all;
    std::vector<std::string> comments;   // interpreted by nothing: OTIO's "comments"
    std::vector<std::string> locators;   // "LOC:" notes with a timecode
    double speed = 0;                    // of the event's own "M2" note
    bool hasSpeed = false;
    bool freeze = false;                 // a "FREEZE FRAME" note
};

// The names a note gives the media an event plays from.
const char* const kFileNotes[] = {"SOURCE FILE:", "FROM FILE:", "FROM CLIP:"};

// True when text holds "ASC_S" in any case: only then can an event or a column line carry a
// grade, which is looked for no further in events without one.
bool mentionsGrade(const std::string& text) {
    for (size_t at = text.find('_', 3); at != std::string::npos; at = text.find('_', at + 1)) {
        if (at + 1 < text.size() && (text[at + 1] | 0x20) == 's' &&
            strncasecmp(text.c_str() + at - 3, "ASC", 3) == 0) {
            return true;
        }
    }
    return false;
}

bool isFreezeNote(const std::string& note) {
    const size_t at = note.find_first_not_of("* \t");
    return at != std::string::npos && equalNoCase(trimmed(note.substr(at)), "FREEZE FRAME");
}

class TimelineWriter {
public:
    TimelineWriter(const ListInfo& info, unsigned mode, const std::string& title,
                   std::vector<std::string>& warnings)
        : info_(info),
          mode_(mode),
          rate_(modeInfo(mode).fps),
          title_(title),
          warnings_(warnings),
          gradeColumns_(mentionsGrade(std::string(
              info.list.szColumnLine, strnlen(info.list.szColumnLine, sizeof info.list.szColumnLine)))) {}

    // Writes the timeline (or, for a log, the collection) of the events.
    std::string write(PairedEvents& events, const WriteBytes& sink, bool inMemory) {
        std::string reason = survey(events);
        if (!reason.empty()) return reason;
        events.numberAll(!survey_.recordTimes);
        JsonOut out(sink);
        if (!survey_.recordTimes) {
            reason = collection(events, out);
        } else {
            reason = timeline(events, out, sink, inMemory);
        }
        if (!reason.empty()) return reason;
        out.raw("\n", 1);
        return out.flush() ? std::string() : "write failed";
    }

    unsigned rate() const { return rate_; }
    int64_t start() const { return start_; }
    int64_t end() const { return survey_.end; }
    std::vector<std::string>& warnings() { return warnings_; }

    void rationalTime(JsonOut& out, const char* key, int64_t value) const {
        out.key(key).beginObject();
        out.key("OTIO_SCHEMA").string("RationalTime.1");
        out.key("rate").real(rate_);
        out.key("value").real(static_cast<double>(value));
        out.end();
    }

    void timeRange(JsonOut& out, const char* key, int64_t start, int64_t duration) const {
        out.key(key).beginObject();
        out.key("OTIO_SCHEMA").string("TimeRange.1");
        rationalTime(out, "duration", duration);
        rationalTime(out, "start_time", start);
        out.end();
    }

    // The fields items and compositions begin with.
    static void itemHead(JsonOut& out, const char* schema) {
        out.beginObject();
        out.key("OTIO_SCHEMA").string(schema);
    }

    void gap(JsonOut& out, int64_t length) const {
        itemHead(out, "Gap.1");
        out.emptyObject("metadata");
        out.key("name").string("");
        timeRange(out, "source_range", 0, length);
        out.emptyArray("effects").emptyArray("markers");
        out.key("enabled").boolean(true);
        out.end();
    }

    // A clip of length frames for an event (from its source in), placed after the clip of
    // event eventBefore (its place in the list, from 1; 0 for none); withMarkers: on the
    // event's first track, which carries its markers.
    void clip(JsonOut& out, const Paired& p, int64_t start, int64_t length,
              bool withMarkers, size_t eventBefore) {
        const EventRow& e = p.row;
        const std::string file = sourceFile(e);
        const EventNotes notes = sortNotes(e, file);
        // The speed is the event's own: a clip a dissolve shortens plays at it still.
        const int64_t played = survey_.recordTimes ? recordLength(e) : length;
        const double scalar = notes.freeze ? 0.0 : timeScalar(e, notes, played);
        const std::string fullName = fullClipName(e);
        // OTIO's CMX 3600 adapter marks a held frame's clip name with ' FF' in a list and
        // keeps it without: the name as the list has it stays in our metadata.
        const bool frozenName = notes.freeze && fullName.size() > 3 &&
                                fullName.compare(fullName.size() - 3, 3, " FF") == 0;
        const std::string name = frozenName ? fullName.substr(0, fullName.size() - 3) : fullName;
        itemHead(out, "Clip.2");
        out.key("metadata").beginObject();
        aleColumns(out, e);
        // Colour decisions ("cdl") go here, before the adapter's key.
        Cdl cdl;
        const bool graded = (gradeColumns_ || mentionsGrade(e.comment)) && cdlOfEvent(info_, e, cdl);
        if (graded) writeCdlMetadata(out, cdl);
        cmxMetadata(out, e, notes.comments);
        out.key(otio::kKey).beginObject();
        const int64_t event = static_cast<int64_t>(p.index) + 1;
        int64_t edit = otio::kNoEditNumber;
        const bool numbered = (e.present & EDL_P_EDIT_NUMBER) != 0;
        if (numbered) edit = e.editNumber;
        const bool editKept = numbered ? edit != p.nextEdit : survey_.recordTimes;
        // A log's clips are on no track: they keep their tracks.
        const bool log = !survey_.recordTimes;
        ourFields(out, e, log, frozenName ? &fullName : nullptr, editKept ? &edit : nullptr,
                  p.index != eventBefore ? &event : nullptr);
        // Times the clip's place does not give are kept: a reader takes the record in from
        // the place, the record out from the length, the source out from the time warp.
        const int64_t sourceOut = otio::derivedSourceOut(e.srcIn, length, scalar);
        const bool keptFile = mediaLosesFile(e, file);
        if (keptFile) out.key("file").string(file);
        if (e.markIn != e.srcIn || e.markOut != e.srcOut) {
            out.key("mark_in").integer(e.markIn);
            out.key("mark_out").integer(e.markOut);
        }
        if (!notesRebuilt(e, notes, fullName, graded)) stringList(out, "notes", notes.all);
        if (start != e.recIn && survey_.recordTimes) out.key("record_in").integer(e.recIn);
        if (survey_.recordTimes &&
            (start + length != int64_t{e.recIn} + recordLength(e) || e.recOut < e.recIn)) {
            out.key("record_out").integer(e.recOut);
        }
        if (sourceOut != e.srcOut) out.key("source_out").integer(e.srcOut);
        // A timeline's clip is on its event's tracks, but for an event that names none.
        if (log || (e.videoTracks == 0 && e.audioTracks == 0))
            out.key("video_tracks").integer(e.videoTracks);
        // A dissolve's length kept as its wipe code is always written: a reader takes it from
        // the transition, which may have been changed.
        if (e.wipeCode != p.wipeBefore || lengthInWipeCode(e))
            out.key("wipe_code").integer(static_cast<int32_t>(e.wipeCode));
        out.end().end();

        out.key("name").string(name);
        timeRange(out, "source_range", e.srcIn, length);
        out.key("effects").beginArray();
        if (notes.freeze) {
            timeEffect(out, "FreezeFrame", 0.0);
        } else if (scalar != 1.0) {
            timeEffect(out, "LinearTimeWarp", scalar);
        }
        out.end();
        out.key("markers").beginArray();
        if (withMarkers) markers(out, e, notes.locators);
        out.end();
        out.key("enabled").boolean(true);
        out.key("media_references").beginObject().key(otio::kDefaultMedia);
        media(out, e, file, length);
        out.end();
        out.key("active_media_reference_key").string(otio::kDefaultMedia);
        out.end();
    }

    void transition(JsonOut& out, const Paired& p) const {
        const EventRow& e = p.row;
        const uint32_t length = lengthInWipeCode(e) ? e.wipeCode : e.effectLength;
        const char* type = e.editType == 'D'   ? "SMPTE_Dissolve"
                           : e.editType == 'W' ? "SMPTE_Wipe"
                                               : "Custom_Transition";
        itemHead(out, "Transition.1");
        out.key("metadata").beginObject();
        out.key(otio::kCmxKey).beginObject();
        char code[16] = "K";
        if (e.editType == 'D') std::strcpy(code, "D");
        if (e.editType == 'W') std::snprintf(code, sizeof code, "W%03u", e.wipeCode % 1000);
        out.key("transition").string(code);
        out.key("transition_duration").real(length);
        out.end();
        out.key(otio::kKey).beginObject();
        if (p.hasCut) {
            out.key("cut_line").beginObject();
            const EventRow& c = p.cut;
            const int64_t edit = c.editNumber, event = static_cast<int64_t>(p.cutIndex) + 1;
            ourFields(out, c, true, nullptr, (c.present & EDL_P_EDIT_NUMBER) != 0 ? &edit : nullptr,
                      &event);
            const std::string clipName = fullClipName(c);
            if (!clipName.empty()) out.key("clip_name").string(clipName);
            if (!sourceFile(c).empty()) out.key("file").string(sourceFile(c));
            if (c.markIn != c.srcIn || c.markOut != c.srcOut) {
                out.key("mark_in").integer(c.markIn);
                out.key("mark_out").integer(c.markOut);
            }
            const std::vector<std::string> notes = noteLines(c);
            if (!notes.empty()) stringList(out, "notes", notes);
            if (c.recIn != e.recIn) out.key("record_in").integer(c.recIn);
            out.key("reel").string(c.reel);
            out.key("source_in").integer(c.srcIn);
            if (c.srcOut != c.srcIn) out.key("source_out").integer(c.srcOut);
            if (c.videoTracks != 0) out.key("video_tracks").integer(c.videoTracks);
            if (c.wipeCode != kNoWipeCode) {
                out.key("wipe_code").integer(static_cast<int32_t>(c.wipeCode));
            }
            out.end();
        }
        out.key("edit_type").string(std::string(1, e.editType));
        if (!e.effectText.empty()) out.key("effect_text").string(e.effectText);
        if (e.editType == 'W') out.key("wipe_code").integer(e.wipeCode);
        out.end().end();
        out.key("name").string(transitionName(e, type));
        rationalTime(out, "in_offset", 0);
        rationalTime(out, "out_offset", length);
        out.key("transition_type").string(type);
        out.end();
    }

    void describeOverlap(const Paired& p, const std::string& track, int64_t overlap) {
        const EventRow& e = p.row;
        std::string text = "event " + std::to_string(p.index + 1);
        if ((e.present & EDL_P_EDIT_NUMBER) != 0)
            text += " (edit " + std::to_string(e.editNumber) + ")";
        warnings_.push_back(text + " overlaps the event before it on " + track + " by " +
                            std::to_string(overlap) + " frames: placed on a further " + track +
                            " track");
    }

    // The track above below, of the same name, for the events that overlap on it; null when
    // its spool cannot be made (the write then fails with the reason).
    TrackWriter* laneAbove(const TrackWriter& below) {
        if (!laneReason_.empty()) return nullptr;
        spools_.emplace_back(new Spool(inMemory_));
        laneReason_ = spools_.back()->open();
        if (!laneReason_.empty()) return nullptr;
        lanes_.emplace_back(new TrackWriter(*this, below.audio(), below.bit(),
                                            spools_.back()->sink(), below.lane() + 1));
        laneSpools_.push_back(spools_.back().get());
        return lanes_.back().get();
    }

private:
    std::string survey(PairedEvents& events) {
        std::string reason = events.rewind();
        if (!reason.empty()) return reason;
        int64_t last[2][kTrackBits];
        std::fill(&last[0][0], &last[0][0] + 2 * kTrackBits, int64_t{-1});
        Paired p;
        while (events.next(p)) {
            const EventRow& e = p.row;
            if (survey_.start < 0 || e.recIn < survey_.start) survey_.start = e.recIn;
            survey_.end = std::max(survey_.end, e.recIn + recordLength(e));
            survey_.videoUsed |= e.videoTracks == 0 && e.audioTracks == 0 ? 1u : e.videoTracks;
            survey_.audioUsed |= e.audioTracks;
            if ((e.present & EDL_P_REC_IN) != 0) survey_.recordTimes = true;
            for (int audio = 0; audio < 2; ++audio) {
                for (unsigned bit = 0; bit < kTrackBits; ++bit) {
                    if (!onTrack(e, audio != 0, bit)) continue;
                    if (e.recIn < last[audio][bit]) survey_.ordered = false;
                    last[audio][bit] = e.recIn;
                }
            }
        }
        reason = events.reason();
        start_ = survey_.start < 0 ? 0 : survey_.start;
        survey_.end = std::max(survey_.end, start_);
        return reason;
    }

    // The list's type and mode, so that drop frame and 23.98 come back.
    void listMetadata(JsonOut& out) const {
        const ModeInfo& mode = modeInfo(mode_);
        const TypeName* type = typeByValue(info_.list.dwListType);
        out.key(otio::kKey).beginObject();
        out.key("drop_frame").boolean(mode.dropFrame);
        out.key("frame_rate").real(mode.frameRate / 100.0);
        out.key("list_type").integer(info_.list.dwListType);
        out.key("list_type_name").string(type != nullptr ? type->shortName : "unknown");
        out.key("timecode_mode").integer(mode_);
        out.key("timecode_mode_name").string(mode.name);
        out.end();
    }

    std::string timeline(PairedEvents& events, JsonOut& out, const WriteBytes& sink,
                         bool inMemory) {
        out.beginObject();
        out.key("OTIO_SCHEMA").string("Timeline.1");
        out.key("metadata").beginObject();
        listMetadata(out);
        out.end();
        out.key("name").string(title_);
        rationalTime(out, "global_start_time", start_);
        out.key("tracks");
        itemHead(out, "Stack.1");
        out.emptyObject("metadata");
        out.key("name").string("tracks");
        out.key("source_range").null();
        out.emptyArray("effects").emptyArray("markers");
        out.key("enabled").boolean(true);
        out.key("children").beginArray();
        if (!out.flush()) return "write failed";

        // One track per video track used, then one per audio track, each followed by those
        // that take its overlapping events; the first is written straight into the output,
        // the others wait in spools.
        inMemory_ = inMemory;
        std::vector<std::unique_ptr<TrackWriter>> tracks;
        std::vector<Spool*> trackSpools;
        for (bool audio : {false, true}) {
            const uint32_t used = audio ? survey_.audioUsed : survey_.videoUsed;
            for (unsigned bit = 0; bit < kTrackBits; ++bit) {
                if ((used & (1u << bit)) == 0) continue;
                WriteBytes trackSink = sink;
                if (!tracks.empty()) {
                    spools_.emplace_back(new Spool(inMemory));
                    const std::string reason = spools_.back()->open();
                    if (!reason.empty()) return reason;
                    trackSink = spools_.back()->sink();
                    trackSpools.push_back(spools_.back().get());
                }
                tracks.emplace_back(new TrackWriter(*this, audio, bit, trackSink));
            }
        }
        std::string reason = survey_.ordered ? streamTracks(events, tracks)
                                             : sortedTracks(events, tracks);
        if (reason.empty()) reason = finishTracks(lanes_);
        if (reason.empty()) reason = laneReason_;
        if (!reason.empty()) return reason;
        std::vector<std::pair<const TrackWriter*, Spool*>> spooled;
        for (size_t t = 1; t < tracks.size(); ++t) spooled.emplace_back(tracks[t].get(), trackSpools[t - 1]);
        for (size_t l = 0; l < lanes_.size(); ++l) spooled.emplace_back(lanes_[l].get(), laneSpools_[l]);
        std::stable_sort(spooled.begin(), spooled.end(), [](const auto& a, const auto& b) {
            const TrackWriter& x = *a.first;
            const TrackWriter& y = *b.first;
            if (x.audio() != y.audio()) return !x.audio();
            return x.bit() != y.bit() ? x.bit() < y.bit() : x.lane() < y.lane();
        });
        for (const auto& track : spooled) {
            if (!sink(",", 1) || !track.second->copyTo(sink)) return "write failed";
        }
        if (!tracks.empty()) out.filled();
        out.end().end().end();
        return std::string();
    }

    std::string streamTracks(PairedEvents& events, std::vector<std::unique_ptr<TrackWriter>>& tracks) {
        std::string reason = events.rewind();
        if (!reason.empty()) return reason;
        Paired p;
        while (events.next(p)) {
            for (auto& track : tracks) {
                if (onTrack(p.row, track->audio(), track->bit())) track->add(p);
            }
        }
        reason = events.reason();
        if (!reason.empty()) return reason;
        return finishTracks(tracks);
    }

    // Events that go back in record time are held whole and put in order, track by track.
    std::string sortedTracks(PairedEvents& events,
                             std::vector<std::unique_ptr<TrackWriter>>& tracks) {
        std::string reason = events.rewind();
        if (!reason.empty()) return reason;
        std::vector<Paired> all;
        Paired p;
        while (events.next(p)) all.push_back(p);
        reason = events.reason();
        if (!reason.empty()) return reason;
        for (auto& track : tracks) {
            std::vector<size_t> order;
            for (size_t i = 0; i < all.size(); ++i) {
                if (onTrack(all[i].row, track->audio(), track->bit())) order.push_back(i);
            }
            std::stable_sort(order.begin(), order.end(), [&all](size_t a, size_t b) {
                return all[a].row.recIn < all[b].row.recIn;
            });
            for (size_t i : order) track->add(all[i]);
        }
        return finishTracks(tracks);
    }

    static std::string finishTracks(std::vector<std::unique_ptr<TrackWriter>>& tracks) {
        for (auto& track : tracks) {
            track->finish();
            if (!track->ok()) return "write failed";
        }
        return std::string();
    }

    // A log: its events as clips of a collection, each its source range.
    std::string collection(PairedEvents& events, JsonOut& out) {
        out.beginObject();
        out.key("OTIO_SCHEMA").string("SerializableCollection.1");
        out.key("metadata").beginObject();
        const std::vector<std::string> columns = columnNames();
        if (!columns.empty()) {
            out.key("ALE").beginObject();
            stringList(out, "columns", columns);
            char fps[32];
            std::snprintf(fps, sizeof fps, "%g", modeInfo(mode_).frameRate / 100.0);
            out.key("header").beginObject();
            // The audio rate a log's heading named, unless the 44kHz a log is written with
            // where none is named.
            if (info_.list.dwAudioKHz != 0 && info_.list.dwAudioKHz != 44) {
                char audio[32];
                std::snprintf(audio, sizeof audio, "%ukHz", static_cast<unsigned>(info_.list.dwAudioKHz));
                out.key("AUDIO_FORMAT").string(audio);
            }
            out.key("FPS").string(fps).end();
            out.end();
        }
        listMetadata(out);
        out.end();
        // The list's own description goes where a timeline has it.
        out.key("name").string(title_);
        out.key("children").beginArray();
        std::string reason = events.rewind();
        if (!reason.empty()) return reason;
        Paired p;
        while (events.next(p)) {
            const EventRow& e = p.row;
            const int64_t length = e.srcOut >= e.srcIn ? int64_t{e.srcOut} - e.srcIn : 0;
            clip(out, p, e.recIn, length, true, p.index);
            if (!out.ok()) return "write failed";
        }
        reason = events.reason();
        if (!reason.empty()) return reason;
        out.end().end();
        return std::string();
    }

    // The columns of a tab-separated log (an ALE's), by its column line.
    std::vector<std::string> columnNames() const {
        const std::string line(info_.list.szColumnLine,
                               strnlen(info_.list.szColumnLine, sizeof info_.list.szColumnLine));
        std::vector<std::string> names;
        if (line.find('\t') == std::string::npos) return names;
        size_t at = 0;
        while (true) {
            const size_t tab = line.find('\t', at);
            names.push_back(trimmed(line.substr(at, tab == std::string::npos ? tab : tab - at)));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        return names;
    }

    // A log's columns of the event, but for those a clip has fields for (its times and file),
    // under "ALE" as OTIO's ALE adapter keeps them.
    void aleColumns(JsonOut& out, const EventRow& e) {
        if (survey_.recordTimes) return;
        if (!columnsRead_) {
            columns_ = columnNames();
            columnsRead_ = true;
        }
        if (columns_.empty() || e.line.find('\t') == std::string::npos) return;
        std::vector<std::pair<std::string, std::string>> values;
        size_t at = 0;
        for (size_t c = 0; c < columns_.size() && at != std::string::npos; ++c) {
            const size_t tab = e.line.find('\t', at);
            const std::string value = e.line.substr(at, tab == std::string::npos ? tab : tab - at);
            at = tab == std::string::npos ? tab : tab + 1;
            const std::string& column = columns_[c];
            if (column == "Start" || column == "End" || column == "Duration" ||
                column == "Source File") {
                continue;
            }
            values.emplace_back(column, value);
        }
        std::stable_sort(values.begin(), values.end());
        out.key("ALE").beginObject();
        for (const auto& value : values) out.key(value.first.c_str()).string(value.second);
        out.end();
    }

    // The reel and the notes nothing else holds, as OTIO's CMX 3600 adapter keeps them.
    static void cmxMetadata(JsonOut& out, const EventRow& e,
                            const std::vector<std::string>& comments) {
        out.key(otio::kCmxKey).beginObject();
        if (!comments.empty()) stringList(out, "comments", comments);
        out.key("reel").string(e.reel);
        out.end();
    }

    static void stringList(JsonOut& out, const char* key, const std::vector<std::string>& texts) {
        out.key(key).beginArray();
        for (const std::string& text : texts) out.string(text);
        out.end();
    }

    // The fields of an event OTIO has no place for, but for its times and texts; those that
    // are what a reader takes when they are missing are left out: the audio tracks unless
    // tracks, the clip name, edit number and place in the list unless given.
    static void ourFields(JsonOut& out, const EventRow& e, bool tracks, const std::string* clipName,
                          const int64_t* edit, const int64_t* event) {
        if (e.audioOffset != 0) out.key("audio_offset").integer(e.audioOffset);
        if (tracks && e.audioTracks != 0) out.key("audio_tracks").integer(e.audioTracks);
        if (clipName != nullptr) out.key("clip_name").string(*clipName);
        if (edit != nullptr) out.key("edit").integer(*edit);
        if (e.editType != 'C') {
            out.key("edit_type").string(e.editType != '\0' ? std::string(1, e.editType)
                                                           : std::string());
        }
        if (e.effectLength != 0) out.key("effect_length").integer(e.effectLength);
        if (!e.effectText.empty()) out.key("effect_text").string(e.effectText);
        if (event != nullptr) out.key("event").integer(*event);
    }

    // True when a reader rebuilds the event's notes from its clip: "FROM CLIP NAME:" with its
    // name, the notes of its markers, then the adapter's comments. A log's markers, a grade
    // and a transition's names are not rebuilt.
    bool notesRebuilt(const EventRow& e, const EventNotes& notes, const std::string& name,
                      bool graded) const {
        if (graded || isTransition(e.editType) || (!survey_.recordTimes && !notes.locators.empty()))
            return false;
        if (notes.all.size() != notes.locators.size() + notes.comments.size() + (name.empty() ? 0 : 1))
            return false;
        auto note = notes.all.begin();
        if (!name.empty() && *note++ != "FROM CLIP NAME: " + name) return false;
        return std::equal(notes.locators.begin(), notes.locators.end(), note) &&
               std::equal(notes.comments.begin(), notes.comments.end(),
                          note + static_cast<std::ptrdiff_t>(notes.locators.size()));
    }

    // True when the clip's media does not give the event's file back as the list names it:
    // an image sequence's frame range, and no media for "(NULL)".
    static bool mediaLosesFile(const EventRow& e, const std::string& file) {
        ImageSequence sequence;
        return !file.empty() && (equalNoCase(file, "(NULL)") || imageSequence(file, sequence) ||
                                 otio::isBlackReel(e.reel) || equalNoCase(e.reel, "BARS"));
    }

    void media(JsonOut& out, const EventRow& e, const std::string& file, int64_t length) const {
        const bool black = otio::isBlackReel(e.reel);
        ImageSequence sequence;
        if (black || equalNoCase(e.reel, "BARS")) {
            itemHead(out, "GeneratorReference.1");
            mediaHead(out);
            out.key("generator_kind").string(black ? "black" : "SMPTEBars");
            out.emptyObject("parameters");
        } else if (file.empty() || equalNoCase(file, "(NULL)")) {
            itemHead(out, "MissingReference.1");
            mediaHead(out);
        } else if (imageSequence(file, sequence)) {
            itemHead(out, "ImageSequenceReference.1");
            out.emptyObject("metadata");
            out.key("name").string("");
            timeRange(out, "available_range", e.srcIn,
                      e.srcOut >= e.srcIn ? int64_t{e.srcOut} - e.srcIn : length);
            out.key("available_image_bounds").null();
            out.key("target_url_base").string(fileUrl(sequence.directory));
            out.key("name_prefix").string(sequence.prefix);
            out.key("name_suffix").string(sequence.suffix);
            out.key("start_frame").integer(sequence.start);
            out.key("frame_step").integer(1);
            out.key("rate").real(rate_);
            out.key("frame_zero_padding").integer(sequence.padding);
            out.key("missing_frame_policy").string("error");
        } else {
            itemHead(out, "ExternalReference.1");
            mediaHead(out);
            out.key("target_url").string(fileUrl(file));
        }
        out.end();
    }

    static void mediaHead(JsonOut& out) {
        out.emptyObject("metadata");
        out.key("name").string("");
        out.key("available_range").null();
        out.key("available_image_bounds").null();
    }

    static void timeEffect(JsonOut& out, const char* name, double scalar) {
        itemHead(out, name == std::string("FreezeFrame") ? "FreezeFrame.1" : "LinearTimeWarp.1");
        out.emptyObject("metadata");
        out.key("name").string("");
        out.key("effect_name").string(name);
        out.key("time_scalar").real(scalar);
        out.end();
    }

    EventNotes sortNotes(const EventRow& e, const std::string& file) const {
        EventNotes notes;
        notes.all = noteLines(e);
        for (const std::string& note : notes.all) {
            LocNote loc;
            M2Note m2;
            MarkerRow graded;
            if (beginsNoCase(note, "FROM CLIP NAME:") || beginsNoCase(note, "TO CLIP NAME:")) {
                continue;
            }
            // A grade is the clip's "cdl", as OTIO's CMX 3600 adapter reads it.
            if (isFileNote(note, file) || (mentionsGrade(note) && isCdlNote(note))) continue;
            if ((parseLocNote(note, mode_, loc) && loc.timed) || parseGradingNote(note, graded)) {
                notes.locators.push_back(note);
                continue;
            }
            if (!notes.hasSpeed && parseM2(note, m2) && strcasecmp(m2.reel.c_str(), e.reel.c_str()) == 0) {
                notes.hasSpeed = true;
                notes.speed = m2.speed;
                continue;
            }
            if (isFreezeNote(note)) {
                notes.freeze = true;
                continue;
            }
            const size_t at = note.find_first_not_of("* \t");
            if (at != std::string::npos) notes.comments.push_back(trimmed(note.substr(at)));
        }
        return notes;
    }

    // A note naming the event's file (but "(NULL)", which names none).
    static bool isFileNote(const std::string& note, const std::string& file) {
        if (file.empty() || equalNoCase(file, "(NULL)")) return false;
        for (const char* keyword : kFileNotes) {
            if (beginsNoCase(note, keyword) && trimmed(note.substr(std::strlen(keyword))) == file) {
                return true;
            }
        }
        return false;
    }

    // The time warp of an event placed for length frames: the speed of its "M2" note over the
    // rate, else its source length over length; 1 for none.
    double timeScalar(const EventRow& e, const EventNotes& notes, int64_t length) const {
        const int64_t sourceLength = int64_t{e.srcOut} - e.srcIn;
        double scalar = 1.0;
        if (notes.hasSpeed) {
            scalar = notes.speed / rate_;
        } else if (length > 0 && sourceLength != length) {
            scalar = static_cast<double>(sourceLength) / static_cast<double>(length);
        }
        return std::fabs(scalar) <= otio::kMaxScalar ? scalar : 1.0;
    }

    // "LOC:" notes as markers at the note's timecode, as OTIO's CMX 3600 adapter places
    // them, and the grading system's marker notes at their event's record in, with their
    // name, comment and length; a note outside its event's record times is reported.
    void markers(JsonOut& out, const EventRow& e, const std::vector<std::string>& locators) {
        for (const std::string& note : locators) {
            LocNote loc;
            MarkerRow graded;
            const bool isGraded = !parseLocNote(note, mode_, loc) && parseGradingNote(note, graded);
            if (isGraded) {
                loc.frames = e.recIn;
                loc.text = graded.name;
                loc.colour = markerColour(graded.colour);
                loc.colourWord = loc.colour != nullptr ? loc.colour->name : graded.colour;
            } else if (loc.fielded) {
                loc.text = loc.name;
                graded.comment = loc.comment;
            }
            if (survey_.recordTimes && (loc.frames < e.recIn || loc.frames >= std::max(e.recOut, e.recIn + 1))) {
                warnings_.push_back("marker '" + note + "' of edit " +
                                    std::to_string(e.editNumber) +
                                    " lies outside its event: kept at its timecode");
            }
            itemHead(out, "Marker.2");
            out.key("metadata").beginObject();
            if (loc.colour != nullptr) {
                out.key(otio::kCmxKey).beginObject().key("color").string(loc.colourWord).end();
            }
            // A note in the layout a reader rebuilds is not kept.
            out.key(otio::kKey).beginObject();
            if (isGraded || loc.colour == nullptr ||
                note != otio::locatorNote(static_cast<uint32_t>(loc.frames), mode_, loc.colourWord, loc.text)) {
                out.key("note").string(note);
            }
            out.end().end();
            out.key("name").string(loc.text);
            out.key("color").string(loc.colour != nullptr ? loc.colour->name : "RED");
            timeRange(out, "marked_range", loc.frames, isGraded ? graded.duration : loc.duration);
            out.key("comment").string(graded.comment);
            out.end();
        }
    }

    // "SMPTE_Dissolve from A to B", as OTIO's CMX 3600 adapter names a transition.
    static std::string transitionName(const EventRow& e, const char* type) {
        std::string from;
        for (const std::string& note : noteLines(e)) {
            if (beginsNoCase(note, "FROM CLIP NAME:")) from = trimmed(note.substr(15));
        }
        const std::string to = fullClipName(e);
        return std::string(type) + (from.empty() ? "" : " from " + from) +
               (to.empty() ? "" : " to " + to);
    }

    const ListInfo& info_;
    const unsigned mode_;
    const unsigned rate_;
    const std::string title_;
    std::vector<std::string>& warnings_;
    const bool gradeColumns_;  // the list's columns may hold grades
    Survey survey_;
    int64_t start_ = 0;
    bool inMemory_ = false;
    std::vector<std::unique_ptr<Spool>> spools_;
    std::vector<std::unique_ptr<TrackWriter>> lanes_;  // in the order they were opened
    std::vector<Spool*> laneSpools_;
    std::string laneReason_;
    std::vector<std::string> columns_;
    bool columnsRead_ = false;
};

TrackWriter::TrackWriter(TimelineWriter& timeline, bool audio, unsigned bit, WriteBytes sink,
                         unsigned lane)
    : timeline_(timeline),
      audio_(audio),
      bit_(bit),
      lane_(lane),
      name_((audio ? "A" : "V") + std::to_string(bit + 1)),
      out_(std::move(sink), kTrackDepth, true),
      position_(timeline.start()) {
    TimelineWriter::itemHead(out_, "Track.1");
    if (lane == 0) {
        out_.emptyObject("metadata");
    } else {
        out_.key("metadata").beginObject().key(otio::kKey).beginObject();
        out_.key("track").integer(bit + 1);
        out_.end().end();
    }
    out_.key("name").string(name_);
    out_.key("source_range").null();
    out_.emptyArray("effects").emptyArray("markers");
    out_.key("enabled").boolean(true);
    out_.key("children").beginArray();
}

void TrackWriter::add(const Paired& event) {
    const EventRow& e = event.row;
    int64_t at = e.recIn;
    if (at < position_) {
        // A dissolve or wipe may begin inside the event before it, at its own cut point:
        // that event then ends there, keeping a frame at least. Any other overlap (a key
        // over its background among them) goes on the track above.
        const int64_t overlap = position_ - at;
        if (e.editType != 'K' && isTransition(e.editType) && pending_ && overlap < heldLength_) {
            heldLength_ -= overlap;
            position_ = at;
        } else {
            if (lane_ == 0) timeline_.describeOverlap(event, name_, overlap);
            if (above_ == nullptr) above_ = timeline_.laneAbove(*this);
            if (above_ != nullptr) above_->add(event);
            return;
        }
    }
    flushPending();
    if (at > position_) gap(at - position_);
    if (isTransition(e.editType)) {
        // A transition needs an item on each side: black at the start of a track.
        if (!anyItem_) gap(0);
        timeline_.transition(out_, event);
    }
    held_ = event;
    heldStart_ = at;
    heldLength_ = recordLength(e);
    pending_ = true;
    position_ = at + heldLength_;
}

void TrackWriter::flushPending() {
    if (!pending_) return;
    timeline_.clip(out_, held_, heldStart_, heldLength_, isFirstTrack(held_.row, audio_, bit_),
                   lastEvent_);
    lastEvent_ = held_.index + 1;
    pending_ = false;
    anyItem_ = true;
}

void TrackWriter::gap(int64_t length) {
    timeline_.gap(out_, length);
    anyItem_ = true;
}

void TrackWriter::finish() {
    flushPending();
    if (timeline_.end() > position_) gap(timeline_.end() - position_);
    out_.end();
    out_.key("kind").string(audio_ ? "Audio" : "Video");
    out_.end();
}

// The events of a source read once: the first pass hands them on as it reads them and keeps
// them in a temporary file, every pass after it reads them from there. Each event is kept as
// its numbers and the lengths of its texts, then the texts.
class SpooledSource : public EventSource {
public:
    // atStart: source was just rewound, and is read from where it is. withLines: the events'
    // lines are kept (a log's cells are read from them), else they come back empty.
    SpooledSource(EventSource& source, bool atStart, bool withLines)
        : source_(source), spool_(false), atStart_(atStart), withLines_(withLines) {}

    std::string rewind() override {
        if (kept_) {
            failure_ = spool_.startReading() ? std::string() : "cannot read a temporary file";
            return failure_;
        }
        failure_ = spool_.open();
        if (!failure_.empty()) return failure_;
        keeping_ = true;
        if (atStart_) {
            atStart_ = false;
            return std::string();
        }
        return source_.rewind();
    }

    bool next(EventRow& row) override {
        if (!keeping_) return kept_ && take(row);
        if (!source_.next(row)) {
            keeping_ = false;
            kept_ = source_.reason().empty();
            return false;
        }
        if (!keep(row)) {
            keeping_ = false;
            failure_ = "cannot write a temporary file";
            return false;
        }
        return true;
    }

    std::string reason() const override {
        return failure_.empty() ? source_.reason() : failure_;
    }

private:
    static constexpr size_t kNumbers = 15, kTexts = 6;
    using Head = uint32_t[kNumbers + kTexts];

    static void texts(EventRow& e, std::string* (&out)[kTexts]) {
        std::string* all[kTexts] = {&e.reel, &e.clipName, &e.name, &e.comment, &e.effectText,
                                    &e.line};
        std::copy(all, all + kTexts, out);
    }

    bool keep(EventRow& e) {
        if (!withLines_) e.line.clear();
        std::string* text[kTexts];
        texts(e, text);
        const Head head = {e.editNumber, e.srcIn, e.srcOut, e.recIn, e.recOut, e.markIn,
                           e.markOut, static_cast<uint32_t>(e.audioOffset), e.videoTracks,
                           e.audioTracks, static_cast<unsigned char>(e.editType), e.wipeCode,
                           e.effectLength, e.lineFlags, e.present,
                           static_cast<uint32_t>(text[0]->size()), static_cast<uint32_t>(text[1]->size()),
                           static_cast<uint32_t>(text[2]->size()), static_cast<uint32_t>(text[3]->size()),
                           static_cast<uint32_t>(text[4]->size()), static_cast<uint32_t>(text[5]->size())};
        bytes_.assign(reinterpret_cast<const char*>(head), sizeof head);
        for (const std::string* t : text) {
            if (t->size() > UINT32_MAX) return false;
            bytes_ += *t;
        }
        return spool_.write(bytes_.data(), bytes_.size());
    }

    bool take(EventRow& e) {
        Head head;
        if (!spool_.read(reinterpret_cast<char*>(head), sizeof head)) return false;
        size_t size = 0;
        for (size_t i = 0; i < kTexts; ++i) size += head[kNumbers + i];
        bytes_.resize(size);
        if (size > 0 && !spool_.read(&bytes_[0], size)) {
            failure_ = "cannot read a temporary file";
            return false;
        }
        e.editNumber = head[0];
        e.srcIn = head[1];
        e.srcOut = head[2];
        e.recIn = head[3];
        e.recOut = head[4];
        e.markIn = head[5];
        e.markOut = head[6];
        e.audioOffset = static_cast<int32_t>(head[7]);
        e.videoTracks = head[8];
        e.audioTracks = head[9];
        e.editType = static_cast<char>(head[10]);
        e.wipeCode = head[11];
        e.effectLength = head[12];
        e.lineFlags = head[13];
        e.present = head[14];
        std::string* text[kTexts];
        texts(e, text);
        size_t at = 0;
        for (size_t i = 0; i < kTexts; ++i) {
            text[i]->assign(bytes_, at, head[kNumbers + i]);
            at += head[kNumbers + i];
        }
        return true;
    }

    EventSource& source_;
    Spool spool_;
    bool atStart_;
    const bool withLines_;
    bool keeping_ = false, kept_ = false;
    std::string failure_;
    std::string bytes_;
};

// The events of a list held in memory.
class VectorSource : public EventSource {
public:
    explicit VectorSource(const std::vector<EventRow>& events) : events_(events) {}
    std::string rewind() override {
        next_ = 0;
        return std::string();
    }
    bool next(EventRow& row) override {
        if (next_ >= events_.size()) return false;
        row = events_[next_++];
        return true;
    }
    std::string reason() const override { return std::string(); }

private:
    const std::vector<EventRow>& events_;
    size_t next_ = 0;
};

std::string titleOf(const ListInfo& info, const WriteOptions& options) {
    return options.setTitle
               ? options.title
               : std::string(info.list.szTitle, strnlen(info.list.szTitle, sizeof info.list.szTitle));
}

}  // namespace

bool isOtioType(const std::string& text) {
    return strcasecmp(text.c_str(), kOtioTypeName) == 0;
}

ListEventSource::ListEventSource(const ListSource& source, const ReadOptions& read)
    : source_(source), read_(read) {}

std::string ListEventSource::rewind() {
    reader_.reset(new ListReader);
    return reader_->open(source_, read_);
}

bool ListEventSource::next(EventRow& row) {
    return reader_ != nullptr && reader_->next(row);
}

std::string ListEventSource::reason() const {
    return reader_ != nullptr ? reader_->reason() : std::string();
}

const ListInfo& ListEventSource::info() const {
    return reader_->info();
}

std::vector<std::string> ListEventSource::takeWarnings() {
    return reader_ != nullptr ? reader_->takeWarnings() : std::vector<std::string>();
}

size_t ListEventSource::count() const {
    return reader_ != nullptr ? reader_->count() : 0;
}

std::string writeOtioEvents(const ListInfo& info, EventSource& source, const WriteOptions& options,
                            const WriteBytes& sink, std::vector<std::string>& warnings,
                            bool inMemory) {
    const unsigned fromMode = listMode(info.list.dwTcMode);
    const unsigned toMode = options.tcMode != 0 ? options.tcMode : fromMode;
    PairedEvents events(source, fromMode, toMode);
    TimelineWriter writer(info, modeInfo(toMode).value, titleOf(info, options), warnings);
    const std::string reason = writer.write(events, sink, inMemory);
    if (!reason.empty()) return reason;
    return source.reason();
}

OtioStreamResult streamOtio(const ListSource& source, const ReadOptions& read,
                            const WriteOptions& options,
                            const std::string& path, const WriteBytes& standardOutput,
                            std::vector<std::string>& warnings) {
    OtioStreamResult result;
    ListEventSource events(source, read);
    result.reason = events.rewind();
    if (!result.reason.empty()) {
        result.atInput = true;
        return result;
    }
    const ListInfo info = events.info();
    // A timeline is read whole by the reader: it is read once, not once a pass.
    std::vector<EventRow> held;
    if (info.isTimeline) {
        EventRow row;
        while (events.next(row)) held.push_back(row);
        if (!events.reason().empty()) {
            result.reason = events.reason();
            result.atInput = true;
            return result;
        }
    }
    VectorSource heldEvents(held);
    SpooledSource spooled(events, true, info.list.szColumnLine[0] != '\0');
    EventSource& input = info.isTimeline ? static_cast<EventSource&>(heldEvents) : spooled;
    FILE* file = nullptr;
    if (path != "-") {
        file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            result.reason = "cannot create: " + errorText(errno);
            return result;
        }
    }
    const WriteBytes toFile = [file](const char* bytes, size_t size) {
        return std::fwrite(bytes, 1, size, file) == size;
    };
    result.reason = writeOtioEvents(info, input, options, file != nullptr ? toFile : standardOutput,
                                    warnings);
    // What the list's events could not say, as a conversion to a list reports it. (A
    // timeline's own warnings were taken when it was opened.)
    if (!info.isTimeline) {
        for (std::string& warning : events.takeWarnings()) warnings.push_back(std::move(warning));
    }
    result.atInput = !input.reason().empty();
    result.events = info.isTimeline ? held.size() : events.count();
    if (file != nullptr) {
        const bool closed = std::fclose(file) == 0;
        if (result.reason.empty() && !closed) result.reason = "write failed";
        if (!result.reason.empty()) platform::removeFailedOutput(path);
    }
    return result;
}

std::string otioText(const ListData& data, const WriteOptions& options,
                     std::vector<std::string>& warnings) {
    std::string text;
    VectorSource source(data.events);
    writeOtioEvents(data, source, options,
                    [&text](const char* bytes, size_t size) {
                        text.append(bytes, size);
                        return true;
                    },
                    warnings, true);
    return text;
}

std::string writeOtio(const ListData& data, const WriteOptions& options, const std::string& path,
                      std::vector<std::string>& warnings) {
    const std::string text = otioText(data, options, warnings);
    if (path == "-") {
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? std::string()
                                                                               : "write failed";
    }
    return platform::writeTextFile(path, text);
}

std::string renderOtioType() {
    return "\nRead and written by the tool, not a list type of the library:\n"
           "NAME  EXT   DETECTED  WRITES  DESCRIPTION\n"
           "otio  otio  yes       yes     OpenTimelineIO timeline (JSON, \"Timeline.1\"; "
           "detected by its name or an \"OTIO_SCHEMA\" key)\n";
}

}  // namespace edlbtool
