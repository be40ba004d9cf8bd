// OpenTimelineIO timelines (".otio" JSON files) as lists: reading a timeline into events and
// writing events as a timeline. The tool reads and writes them; the library knows nothing of
// them.
//
// The mapping, in brief (README, "OpenTimelineIO timelines", has it in full):
//  - one "Track.1" per video track used ("V1", ...), then one per audio track ("A1", ...);
//    every event becomes a "Clip.2" on each of its tracks, placed by its record times, with
//    "Gap.1" for holes; times are "RationalTime.1" values in whole frames at the rate of the
//    list's timecode mode (24, 25, 30, 50, 60, 100; drop frame and 23.976 are noted in the
//    timeline's metadata);
//  - a dissolve, wipe or key is a "Transition.1" before its clip, starting at the cut point
//    (in_offset 0, out_offset the effect length); the zero-length cut line before it is kept
//    in the transition's metadata; black ("BL") events are gaps;
//  - "LOC:" notes become markers, an "M2" speed or a source length other than the record
//    length a "LinearTimeWarp.1";
//  - what OTIO has no field for stays in "metadata" under "edlbridge", so that a timeline
//    written here reads back into the same events.
#ifndef EDLBRIDGE_TOOLS_OTIO_H
#define EDLBRIDGE_TOOLS_OTIO_H

#include <memory>
#include <string>
#include <vector>

#include "json_out.h"
#include "list_reader.h"

namespace edlbtool {

// The name convert's --to takes for a timeline, and its extension.
constexpr const char kOtioTypeName[] = "otio";

// True for "otio" in any case.
bool isOtioType(const std::string& text);

// True when path names a timeline: a name ending in ".otio" (any case), or a file whose
// first non-blank byte opens a JSON object that has an "OTIO_SCHEMA" key.
bool isOtioFile(const std::string& path);

// Reads a timeline into events (read for interchange: the notes one per line, whole names).
// Empty text on success, else the reason, and out holds no events. Warnings (a time warp kept
// as a note, a transition with nothing to go to) are added to warnings.
std::string readOtio(const std::string& path, ListData& out, std::vector<std::string>& warnings);

// The events of a timeline read: held compact, each made whole only as it is handed out, in
// list order.
class TimelineEvents {
public:
    struct Store;  // the reader's
    TimelineEvents();
    ~TimelineEvents();
    TimelineEvents(const TimelineEvents&) = delete;
    TimelineEvents& operator=(const TimelineEvents&) = delete;
    // The events not yet handed out.
    size_t size() const;
    // Fills row with the next event; false after the last.
    bool next(EventRow& row);
    Store& store() { return *store_; }

private:
    std::unique_ptr<Store> store_;
};

// The same, the events left in events to be handed out one at a time; info gets the list
// record.
std::string readOtio(const std::string& path, ListInfo& info, TimelineEvents& events,
                     std::vector<std::string>& warnings);

// The same for a timeline held in memory; name becomes out.path.
std::string readOtioText(const std::string& text, const std::string& name, ListData& out,
                         std::vector<std::string>& warnings);

// A timeline for data as JSON text, in the mode and with the title options give. Overlapping
// events are reported in warnings.
std::string otioText(const ListData& data, const WriteOptions& options,
                     std::vector<std::string>& warnings);

// Where a timeline's events come from, as often as the writer needs them: once to learn the
// tracks and times, once to write them.
class EventSource {
public:
    virtual ~EventSource() = default;
    // Starts again at the first event. Empty text on success, else the reason.
    virtual std::string rewind() = 0;
    // The next event; false at the end, or on a failure that reason() then gives.
    virtual bool next(EventRow& row) = 0;
    virtual std::string reason() const = 0;
};

// The events of a list, read again from its file for every pass.
class ListEventSource : public EventSource {
public:
    ListEventSource(const ListSource& source, const ReadOptions& read);
    std::string rewind() override;
    bool next(EventRow& row) override;
    std::string reason() const override;
    // Events read in the current pass, and the list as the last rewind opened it.
    size_t count() const;
    const ListInfo& info() const;
    // What the current pass warned of (lines that could not be read, ...); taken once.
    std::vector<std::string> takeWarnings();

private:
    const ListSource& source_;
    ReadOptions read_;
    std::unique_ptr<ListReader> reader_;
};

// Writes a timeline of the events of source (a list described by info) into sink as it
// reads them, in the mode and with the title options give; memory does not grow with the
// list unless its events go back in record time on a track. inMemory: the tracks after the
// first wait in memory rather than in temporary files. Empty text on success, else the
// reason. Overlapping events and markers outside their events are reported in warnings.
std::string writeOtioEvents(const ListInfo& info, EventSource& source, const WriteOptions& options,
                            const WriteBytes& sink, std::vector<std::string>& warnings,
                            bool inMemory = false);

// A timeline written from a list as it is read (once: its events wait in a temporary file
// for the writer's second pass), into the file path or, for "-", into standardOutput. A failure names the side it happened on; a file that could not be
// written completely is removed.
struct OtioStreamResult {
    std::string reason;    // empty on success
    bool atInput = false;  // the list could not be read
    size_t events = 0;
};
OtioStreamResult streamOtio(const ListSource& source, const ReadOptions& read,
                            const WriteOptions& options,
                            const std::string& path, const WriteBytes& standardOutput,
                            std::vector<std::string>& warnings);

// Writes otioText into path ("-": standard output). Empty text on success, else the reason;
// a file that could not be written completely is removed.
std::string writeOtio(const ListData& data, const WriteOptions& options, const std::string& path,
                      std::vector<std::string>& warnings);


// The lines `edlbridge types` adds after the library's types: the timeline format.
std::string renderOtioType();

}  // namespace edlbtool

#endif
