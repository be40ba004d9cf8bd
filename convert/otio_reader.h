// The pieces of the OpenTimelineIO reader, private to its files:
//  - otio_read.cpp: JSON access and times;
//  - otio_value.h: the flat tree of values an item is read into;
//  - otio_read_stream.cpp: the timeline read as a stream of JSON events, never held whole:
//    compositions are followed as they open and close, each item (clip, gap, transition) is
//    held in that tree only while it is read;
//  - otio_read_tracks.cpp: compositions (stacks, tracks) flattened into pieces placed in
//    record time, nested tracks and stacks by their place, the top layer of a stack winning;
//  - otio_read_items.cpp: items (clips, gaps, transitions), what each says of its event, and
//    the media clips name;
//  - otio_read_metadata.cpp: what sits on items (markers, effects, our own metadata) and the
//    timecode mode the timeline counts in;
//  - otio_read_events.cpp: what an item's values say of its event (itemFacts), then the
//    pieces of every track joined into events.
// ItemFacts is where a clip's or gap's JSON ends: an event is made from it, the piece's
// place and markers, and the transition before the piece (whose metadata TransitionFacts
// keeps as values).
// Anything the timeline holds that cannot be read throws a Failure, which the stream reader
// turns into the reason it returns.
#ifndef EDLBRIDGE_TOOLS_OTIO_READER_H
#define EDLBRIDGE_TOOLS_OTIO_READER_H

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "list_reader.h"
#include "otio.h"
#include "otio_value.h"

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

// Where a value lies, for messages: a path, or a key under another place, joined only when a
// message names it ("tracks.children[2].source_range").
class Where {
public:
    Where(const std::string& path) : path_(&path) {}  // NOLINT: a path is a place
    Where(const char* path) : key_(path) {}           // NOLINT: so is a field of the root
    // A key under a place; the place must outlive this one.
    Where(const Where& parent, const char* key) : parent_(&parent), key_(key) {}
    Where(const std::string& path, const char* key) : path_(&path), key_(key) {}
    std::string text() const {
        if (parent_ != nullptr) return parent_->text() + "." + key_;
        if (path_ == nullptr) return key_;
        return key_ != nullptr ? *path_ + "." + key_ : *path_;
    }

private:
    const std::string* path_ = nullptr;
    const Where* parent_ = nullptr;
    const char* key_ = nullptr;
};


// "Clip.2" as ("Clip", 2); version 0 when the name has none.
std::pair<std::string, long> splitSchema(const std::string& schema);
const Value& requireObject(const Value& value, const Where& path);
std::string schemaOf(const Value& object, const Where& path);
// Fails with "unknown OTIO schema" for the object at path.
[[noreturn]] void unknownSchema(const std::string& schema, const std::string& path);
// Null when the field is missing or null.
const Value* field(const Value& object, const char* key);
// A field that must be a list when it is there; null when it is not.
const Value* listField(const Value& object, const char* key, const Where& path);
// The path of entry index of the list key of the object at path: "tracks.children[2]".
std::string entryPath(const std::string& path, const char* key, size_t index);
std::string text(const Value& object, const char* key, const Where& path);
double number(const Value& object, const char* key, const Where& path);
bool enabled(const Value& item);

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
    int64_t frames(const Value& time, const Where& path) const;
    // The "TimeRange.1" under key; false when the object has none.
    bool range(const Value& object, const char* key, const Where& path, Range& out) const;
    Range requiredRange(const Value& object, const std::string& path) const;

private:
    unsigned mode_;
};

// ---- Our metadata ----

// Our own metadata of an object, or null.
const Value* ours(const Value& object);
// A metadata object under key of an object's metadata, or null.
const Value* metadataOf(const Value& object, const char* key);
// Metadata values are taken only when they have the type they are written with.
bool mdInteger(const Value* md, const char* key, int64_t& out);
bool mdText(const Value* md, const char* key, std::string& out);
uint32_t asFrames(int64_t value);

// The timecode mode: ours when the metadata names one that counts at the timeline's rate,
// else the mode of the rate (with a warning when no mode counts at it). The rate is the
// global start time's, else firstRate: the first in the tracks, markers, effects and
// metadata passed over (OTIO's CMX 3600 reader gives a marker's length at rate 1).
unsigned timelineMode(const Value& root, const Value* mine, double firstRate,
                      std::vector<std::string>& warnings);

// ---- Pieces of tracks ----

// Texts kept end to end in one block, each after its length (seven bits a byte, the high
// bit set on all bytes but a length's last): one allocation for all of them, none when all
// are empty, and no more than a byte a text beside their characters.
template <unsigned N>
class PackedTexts {
public:
    PackedTexts() = default;
    PackedTexts(const PackedTexts& other) {
        if (other.all_ == nullptr) return;
        const size_t size = other.blockSize();
        all_.reset(new char[size]);
        std::copy(other.all_.get(), other.all_.get() + size, all_.get());
    }
    PackedTexts(PackedTexts&&) noexcept = default;
    PackedTexts& operator=(const PackedTexts& other) {
        if (this != &other) *this = PackedTexts(other);
        return *this;
    }
    PackedTexts& operator=(PackedTexts&&) noexcept = default;

    void pack(const std::string* const (&texts)[N]) {
        size_t size = 0;
        for (const std::string* text : texts) {
            for (size_t left = text->size(); left >= 0x80; left >>= 7) ++size;
            size += 1 + text->size();
        }
        if (size == N) {
            all_.reset();
            return;
        }
        all_.reset(new char[size]);
        char* at = all_.get();
        for (const std::string* text : texts) {
            size_t left = text->size();
            for (; left >= 0x80; left >>= 7) *at++ = static_cast<char>(0x80 | (left & 0x7F));
            *at++ = static_cast<char>(left);
            at = std::copy(text->begin(), text->end(), at);
        }
    }
    std::string operator[](unsigned which) const {
        if (all_ == nullptr) return std::string();
        const char* at = all_.get();
        for (unsigned i = 0;; ++i) {
            const size_t size = length(at);
            if (i == which) return std::string(at, size);
            at += size;
        }
    }

private:
    // The length at at; at is moved past it.
    static size_t length(const char*& at) {
        size_t size = 0;
        for (unsigned shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(*at++);
            size |= static_cast<size_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) return size;
        }
    }
    size_t blockSize() const {
        const char* at = all_.get();
        for (unsigned i = 0; i < N; ++i) at += length(at);
        return static_cast<size_t>(at - all_.get());
    }

    std::unique_ptr<char[]> all_;
};

// A marker of a clip: its marked time as it stands (raw), and that time taken in the clip's
// source time, placed through the clip (record: relative to the piece's track until the
// track is placed; inSource: raw lies in the clip's source range). Which of the two it is
// is known once the event's record times are: OTIO's CMX 3600 adapter keeps a "LOC:" note's
// timecode as it stands, and lists give those in record time.
struct MarkerAt {
    int64_t record = 0, raw = 0, duration = 0;
    bool inSource = false;
    bool ours = false;  // written here: its note is note(), else locatorNote()
    // Its colour, name, comment, and the "LOC:" note a marker written here came from.
    enum Text { kColor, kName, kComment, kNote, kTextCount };
    PackedTexts<kTextCount> texts;

    std::string color() const { return texts[kColor]; }
    std::string name() const { return texts[kName]; }
    std::string comment() const { return texts[kComment]; }
    std::string note() const { return texts[kNote]; }
};

// The markers of a piece: most pieces have none, and hold only a null pointer for them.
class Markers {
public:
    Markers() = default;
    Markers(const Markers& other)
        : list_(other.list_ != nullptr ? new std::vector<MarkerAt>(*other.list_) : nullptr) {}
    Markers(Markers&&) noexcept = default;
    Markers& operator=(const Markers& other) {
        if (this != &other) *this = Markers(other);
        return *this;
    }
    Markers& operator=(Markers&&) noexcept = default;

    void push_back(MarkerAt marker) {
        if (list_ == nullptr) list_.reset(new std::vector<MarkerAt>);
        list_->push_back(std::move(marker));
    }
    void clear() { list_.reset(); }
    MarkerAt* begin() { return list_ != nullptr ? list_->data() : nullptr; }
    MarkerAt* end() { return list_ != nullptr ? list_->data() + list_->size() : nullptr; }
    const MarkerAt* begin() const { return list_ != nullptr ? list_->data() : nullptr; }
    const MarkerAt* end() const { return list_ != nullptr ? list_->data() + list_->size() : nullptr; }

private:
    std::unique_ptr<std::vector<MarkerAt>> list_;
};

// The fields of an event but its texts.
struct RowNumbers {
    uint32_t editNumber = 0, srcIn = 0, srcOut = 0, recIn = 0, recOut = 0, markIn = 0,
             markOut = 0;
    int32_t audioOffset = 0;
    uint32_t videoTracks = 0, audioTracks = 0, wipeCode = 0, effectLength = 0, lineFlags = 0,
             present = 0;
    char editType = 'C';

    void take(const EventRow& row);
    void give(EventRow& row) const;
};

// An event held compact until it is handed out.
struct PackedRow {
    RowNumbers numbers;
    bool nameIsClip = false;  // its name is its clip name, kept once
    PackedTexts<6> texts;     // reel, clip name, name, comment, effect text, line

    PackedRow() = default;
    explicit PackedRow(const EventRow& row);
    EventRow unpacked() const;
};

// What an item says of its event, read once when the item is read: the event without its
// times, and what our metadata keeps of the times. Held for every piece until its event is
// made, so it is kept small: the event's numbers, and its texts end to end in one string.
struct ItemFacts {
    // The texts, in the order they are kept. kEffects: the notes its effects give ("EFFECT NAME:"); kTimes: the kept times (below),
    // four bytes each, only those kept, empty for most items.
    enum Text {
        kReel, kComment, kEffectText, kClip, kFile, kNotes, kEffects, kTimes, kTextCount
    };
    // The fields of an event but its times and texts.
    struct Numbers {
        uint32_t editNumber = 0, videoTracks = 0, audioTracks = 0, wipeCode = 0,
                 effectLength = 0, lineFlags = 0, present = 0;
        char editType = 'C';
    } numbers;
    bool ours : 1;          // written here: it has our metadata
    bool freeze : 1;        // a freeze frame
    bool editFollows : 1;   // ours without an edit number: the one before it plus one
    bool wipeFollows : 1;   // ours without a wipe code: the one before it
    bool notesRebuilt : 1;  // ours without notes: its name, markers and comments give them
    bool black : 1;         // a gap: an event of black
    // Times our metadata keeps, where present (bit i of kept for field i), as frames of a
    // list: the audio offset's 32 bits signed, the others unsigned.
    enum Kept { kRecordIn, kRecordOut, kSourceOut, kMarkIn, kMarkOut, kAudioOffset, kKeptCount };
    uint8_t kept = 0;
    // Where the item is, for messages: entry child of the list at parent ("tracks.children"
    // and 2 for "tracks.children[2]"), or parent alone (kWhole). The items of a list share
    // its path.
    static constexpr uint32_t kWhole = 0xFFFFFFFFu;
    uint32_t child = kWhole;
    // The event's place in the list it was written from; 0: the place of the clip before it
    // on its track plus one; -1: not ours.
    int64_t index = -1;
    PackedTexts<kTextCount> texts;
    std::shared_ptr<const std::string> parent;

    ItemFacts()
        : ours(false), freeze(false), editFollows(false), wipeFollows(false),
          notesRebuilt(false), black(false) {}
    std::string text(Text which) const { return texts[which]; }
    std::string path() const;
    void setPath(const std::string& path);
    // The kept times into times, at their place; the others are left as they are.
    void keptTimes(uint32_t (&times)[kKeptCount]) const;
    // The event without its times: its numbers, reel, notes and names.
    EventRow row() const;
};

// A transition as an event needs it: our metadata of it, when it has ours, and how far it
// reaches into the items before (in) and after (out) it.
struct TransitionFacts {
    std::shared_ptr<const Tree> mine;
    const Value* ourMetadata() const { return mine != nullptr ? &mine->root() : nullptr; }
    int64_t in = 0, out = 0;
};

// A stretch of a track: an event's clip (or black gap) at its record place.
struct Piece {
    int64_t recIn = 0, length = 0, srcIn = 0;
    double scalar = 1.0;
    Markers markers;
    std::shared_ptr<const TransitionFacts> transition;  // the transition into this piece
    ItemFacts facts;  // black: a gap
};

// Pieces are kept in a deque: a long track grows a block at a time, never twice its size.
using Pieces = std::deque<Piece>;

struct Flat {
    Pieces pieces;
    int64_t duration = 0;
};

// The markers of an item, placed from the piece's record in (marked ranges are in the item's
// source time, which starts at sourceStart).
void readMarkers(const Value& item, const std::string& path, int64_t sourceStart, const Clock& clock,
                 Piece& piece);
// A clip's effects: time warps scale the piece, others become "EFFECT NAME:" notes (one a
// line).
void readEffects(const Value& clip, const std::string& path, Piece& piece, std::string& notes);

// ---- Items ----

// A transition waiting for the item after it.
struct Pending {
    std::shared_ptr<const TransitionFacts> transition;
    std::string path;
};

// Appends item, the child of a track at path, to flat: a transition waits in pending for the
// piece it leads into. False, with nothing done, when the item is no clip, gap or transition.
bool appendItem(const Value& item, const std::string& path, const Clock& clock, Flat& flat,
                Pending& pending, std::vector<std::string>& warnings);
// Appends piece to flat, with the transition pending before it.
void place(Piece piece, Flat& flat, Pending& pending);
// The media file a clip names: the path of a file URL, any other URL as it is, an image
// sequence as its first name with its frames in brackets ('shot.[1001-1020].exr').
std::string mediaFile(const Value& clip, const std::string& path, long version, const Clock& clock);
// What item says of its event (black: a gap).
ItemFacts itemFacts(const Value& item, const std::string& path, bool black, const Clock& clock,
                    const std::string& effectNotes = std::string());

// ---- Tracks ----

struct Track {
    bool audio = false;
    unsigned bit = 0;
    Pieces pieces;
};

// Compositions flattened as they are read: open() one, add its children in order (items, or
// compositions flattened before), close() it with its own fields (trim, enabled).
class Flattener {
public:
    Flattener(const Clock& clock, std::vector<std::string>& warnings)
        : clock_(clock), warnings_(warnings) {}

    struct Open {
        bool stack = false;
        std::string path;
        size_t children = 0;
        Flat flat;                // a track's pieces
        Pending pending;          // a track's transition waiting for its next item
        std::vector<Flat> layers;  // a stack's layers
    };
    static bool isComposition(const std::string& family);
    static Open open(bool stack, const std::string& path);
    // The path of the next child of the composition.
    static std::string childPath(const Open& composition);
    // An item (clip, gap, transition) of the composition; a stack takes it as a layer.
    void addItem(Open& composition, const Value& item, const std::string& path);
    // A child composition flattened by close().
    void addComposition(Open& composition, Flat inner);
    // The composition's pieces from its start, trimmed by its source_range; a disabled one
    // only takes its time. head: the composition's own fields.
    Flat close(Open& composition, const Value& head);
    // A composition held whole.
    Flat composition(const Value& item, const std::string& path);

private:
    const Clock& clock_;
    std::vector<std::string>& warnings_;
};

// The tracks of the timeline's stack, video first: each track is added as it closes, then
// finish() places them all from start and applies the stack's trim.
class TrackSet {
public:
    explicit TrackSet(std::vector<std::string>& warnings) : warnings_(warnings) {}
    // A track of the stack (head: its own fields) with its flattened pieces.
    void add(const Value& head, const std::string& path, Flat flat);
    std::vector<Track> finish(const Range* stackTrim, int64_t start);

private:
    std::vector<Track> tracks_;
    uint32_t used_[2] = {0, 0};
    std::vector<std::string>& warnings_;
};

// ---- Events ----

}  // namespace otio

// Events made from the pieces, held compact until they are handed out in list order: the
// events of clips not written here are numbered then, and a transition's cut line comes
// before its event.
struct TimelineEvents::Store {
    struct Cut {
        otio::PackedRow row;
        int64_t index = -1;
    };
    struct Built {
        otio::PackedRow row;
        int64_t index = -1;  // the event's place in the list it was written from; -1: not ours
        bool editFollows = false;  // numbered the one before it plus one
        bool wipeFollows = false;  // the wipe code of the one before it
        bool numbered = false;     // its edit number is given
        uint32_t firstTrack = 0;
        std::unique_ptr<Cut> cut;  // the cut line before its transition, when it has one
    };
    std::deque<Built> built;
    std::vector<size_t> order;  // the list order of built; empty: built is in it
    size_t handed = 0;          // events of built handed out
    uint32_t number = 0;        // the highest edit number given
    int64_t lastEdit = 0;       // the edit number of the last event handed out that has one
    uint32_t lastWipe = 0xFFFFFFFFu;  // the wipe code of the last event handed out
    size_t count = 0;           // events (and cut lines) not handed out
};

namespace otio {

// The events the pieces of the tracks make, in list order; the tracks are given up on the way.
void buildEvents(std::vector<Track>& tracks, unsigned mode, std::vector<std::string>& warnings,
                 TimelineEvents::Store& out);
// The events of a log's clips: their source times, no record times.
void logEvents(const Pieces& clips, TimelineEvents::Store& out);

}  // namespace otio
}  // namespace edlbtool

#endif
