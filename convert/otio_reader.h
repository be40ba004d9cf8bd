// The pieces of the OpenTimelineIO reader, private to its files:
//  - otio_read.cpp: the timeline itself, JSON access and times;
//  - otio_read_tracks.cpp: compositions (stacks, tracks) flattened into pieces placed in
//    record time, nested tracks and stacks by their place, the top layer of a stack winning;
//  - otio_read_items.cpp: items (clips, gaps, transitions) and the media clips name;
//  - otio_read_metadata.cpp: what sits on items (markers, effects, our own metadata) and the
//    timecode mode the timeline counts in;
//  - otio_read_events.cpp: the pieces of every track joined into events.
// Anything the timeline holds that cannot be read throws a Failure, which readOtioText turns
// into the reason it returns.
#ifndef EDLBRIDGE_TOOLS_OTIO_READER_H
#define EDLBRIDGE_TOOLS_OTIO_READER_H

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "list_reader.h"

namespace edlbtool {
namespace otio {

using Json = nlohmann::json;

constexpr int kMaxDepth = 64;
constexpr unsigned kTrackBits = 32;
// Frame counts of the library are 32-bit.
constexpr int64_t kMaxFrames = 0xFFFFFFFFLL;

struct Failure {
    std::string reason;
};
[[noreturn]] void fail(const std::string& reason);
std::string quoted(const std::string& text);

// ---- JSON access ----

// "Clip.2" as ("Clip", 2); version 0 when the name has none.
std::pair<std::string, long> splitSchema(const std::string& schema);
const Json& requireObject(const Json& value, const std::string& path);
std::string schemaOf(const Json& object, const std::string& path);
// Fails with "unknown OTIO schema" for the object at path.
[[noreturn]] void unknownSchema(const std::string& schema, const std::string& path);
// Null when the field is missing or null.
const Json* field(const Json& object, const char* key);
// A field that must be a list when it is there; null when it is not.
const Json* listField(const Json& object, const char* key, const std::string& path);
// The path of entry index of the list key of the object at path: "tracks.children[2]".
std::string entryPath(const std::string& path, const char* key, size_t index);
std::string text(const Json& object, const char* key, const std::string& path);
double number(const Json& object, const char* key, const std::string& path);
bool enabled(const Json& item);

// ---- Times ----

// The frame rates an edit knows, by their whole number: 29.97 counts like 30, 23.976 like 24.
double nominalRate(double rate);
bool isNtscRate(double rate);

struct Range {
    int64_t start = 0, duration = 0;
};

// Times of the timeline in frames of the list's mode.
class Clock {
public:
    explicit Clock(unsigned mode) : mode_(mode) {}
    unsigned mode() const { return mode_; }
    // A "RationalTime.1" as frames of the mode; other rates are converted and rounded.
    int64_t frames(const Json& time, const std::string& path) const;
    // The "TimeRange.1" under key; false when the object has none.
    bool range(const Json& object, const char* key, const std::string& path, Range& out) const;
    Range requiredRange(const Json& object, const std::string& path) const;

private:
    unsigned mode_;
};

// ---- Our metadata ----

// Our own metadata of an object, or null.
const Json* ours(const Json& object);
// Metadata values are taken only when they have the type they are written with.
bool mdInteger(const Json* md, const char* key, int64_t& out);
bool mdText(const Json* md, const char* key, std::string& out);
uint32_t asFrames(int64_t value);

// The timecode mode: ours when the metadata names one that counts at the timeline's rate,
// else the mode of the rate (with a warning when no mode counts at it).
unsigned timelineMode(const Json& root, const Json* mine, std::vector<std::string>& warnings);

// ---- Pieces of tracks ----

// A marker in record time, relative to the piece's track until the track is placed.
struct MarkerAt {
    int64_t record = 0;
    std::string color, name, note;  // note: the "LOC:" note a marker written here came from
};

// A stretch of a track: an event's clip (or black gap) at its record place.
struct Piece {
    int64_t recIn = 0, length = 0, srcIn = 0;
    double scalar = 1.0;
    bool black = false;
    const Json* item = nullptr;
    std::string path;
    std::vector<MarkerAt> markers;
    std::vector<std::string> effectNotes;
    const Json* transition = nullptr;  // the transition into this piece
    int64_t inOffset = 0, outOffset = 0;
};

struct Flat {
    std::vector<Piece> pieces;
    int64_t duration = 0;
};

// The markers of an item, placed from the piece's record in (marked ranges are in the item's
// source time, which starts at sourceStart).
void readMarkers(const Json& item, const std::string& path, int64_t sourceStart, const Clock& clock,
                 Piece& piece);
// A clip's effects: time warps scale the piece, others become "EFFECT NAME:" notes.
void readEffects(const Json& clip, const std::string& path, Piece& piece);

// ---- Items ----

// A transition waiting for the item after it.
struct Pending {
    const Json* transition = nullptr;
    std::string path;
    int64_t in = 0, out = 0;
};

// Appends item, the child of a track at path, to flat: a transition waits in pending for the
// piece it leads into. False, with nothing done, when the item is no clip, gap or transition.
bool appendItem(const Json& item, const std::string& path, const Clock& clock, Flat& flat,
                Pending& pending, std::vector<std::string>& warnings);
// Appends piece to flat, with the transition pending before it.
void place(Piece piece, Flat& flat, Pending& pending);
// The media file a clip names: the path of a file URL, any other URL as it is.
std::string mediaFile(const Json& clip, const std::string& path, long version);

// ---- Tracks ----

struct Track {
    bool audio = false;
    unsigned bit = 0;
    std::vector<Piece> pieces;
};

// The tracks of the timeline's stack, video first, each flattened and placed from start.
std::vector<Track> readTracks(const Json& stack, int64_t start, const Clock& clock,
                              std::vector<std::string>& warnings);

// ---- Events ----

// The events the pieces of the tracks make, in list order.
std::vector<EventRow> buildEvents(const std::vector<Track>& tracks, unsigned mode,
                                  std::vector<std::string>& warnings);

}  // namespace otio
}  // namespace edlbtool

#endif
