// A timeline read as a stream of JSON events, never held whole. Compositions (the stack of
// tracks, tracks, nested stacks) are followed as they open and close; each item of a track
// (clip, gap, transition) is read into one flat tree of values, cleared for the next item with
// its memory kept, and turned into a piece when it ends, so memory grows with the pieces
// kept, not with the file. OTIO writes "OTIO_SCHEMA" first in every object; a composition
// whose schema comes later is held whole in that tree and read from it. A collection of clips (what OTIO's log exchange adapter writes) is
// read as a log.
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "list_type_names.h"
#include "otio.h"
#include "otio_common.h"
#include "otio_reader.h"
#include "platform.h"
#include "timecode_text.h"

namespace edlbtool {
namespace otio {
namespace {

const char kNotATimeline[] = "not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")";
const char kTooDeep[] = "not an OTIO timeline: JSON nested deeper than 64 levels";

// The length of the UTF-8 sequence that starts at text (at most length bytes), 0 when it is
// none: overlong forms, surrogates and code points past U+10FFFF are refused.
size_t sequenceLength(const unsigned char* text, size_t length) {
    const unsigned char c = text[0];
    size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                            : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || n > length) return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
    }
    if ((c == 0xE0 && text[1] < 0xA0) || (c == 0xED && text[1] > 0x9F) ||
        (c == 0xF0 && text[1] < 0x90) || (c == 0xF4 && text[1] > 0x8F)) {
        return 0;
    }
    return n;
}

// A string of the timeline: JSON text is UTF-8, and what is not cannot be written again.
void checkText(const char* text, size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const size_t n = sequenceLength(bytes + i, length - i);
        if (n == 0) fail("not JSON (a string that is not UTF-8)");
        i += n;
    }
}

std::string validText(const char* text, size_t length) {
    checkText(text, length);
    return std::string(text, length);
}

bool isExcludedKey(const std::string& key);

// The first rate greater than zero in value, in the order of the file, but for rates under
// markers, effects and metadata: 0 when there is none.
double firstRateIn(const Value& value) {
    for (const Value& inner : value) {
        if (value.is_object()) {
            const std::string key = inner.key();
            if (isExcludedKey(key)) continue;
            if (key == "rate" && inner.is_number() && inner.number() > 0) return inner.number();
        }
        const double rate = firstRateIn(inner);
        if (rate > 0) return rate;
    }
    return 0;
}

// A value held by nlohmann's parser, in a tree of its own.
const Value& asValue(const Json& json, Tree& into) {
    into.clear();
    into.copy(json);
    return into.root();
}

bool isExcludedKey(const std::string& key) {
    return key == "markers" || key == "effects" || key == "metadata";
}

// The stream's handler. Containers open and close on a stack of frames: the root, a
// composition or collection read child by child, the children list of one, or a value built
// as a document.
class TimelineStream : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, TimelineStream> {
public:
    // knownRoot: the root's own fields from a first reading, when they came after its tracks.
    TimelineStream(std::vector<std::string>& warnings, const Json* knownRoot)
        : warnings_(warnings), knownRoot_(knownRoot), tracks_(warnings) {}

    // Inside an item, values go straight into its tree.
    bool Null() {
        if (inItem()) return itemScalar([&] { item_.null(); });
        return guarded([&] { scalar(Json(nullptr)); });
    }
    bool Bool(bool b) {
        if (inItem()) return itemScalar([&] { item_.boolean(b); });
        return guarded([&] { scalar(Json(b)); });
    }
    bool Int(int i) { return Int64(i); }
    bool Uint(unsigned u) { return Int64(u); }
    bool Int64(int64_t i) {
        if (inItem()) return itemScalar([&] { item_.integer(i); });
        return number(Json(i));
    }
    bool Uint64(uint64_t u) {
        if (inItem()) return itemScalar([&] { item_.uinteger(u); });
        return number(Json(u));
    }
    bool Double(double d) {
        if (inItem()) return itemScalar([&] { item_.number(d); });
        return number(Json(d));
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (inItem()) return guarded([&] { itemString(text, length); });
        return guarded([&] { string(validText(text, length)); });
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (inItem()) return guarded([&] { itemKey(text, length); });
        return guarded([&] { key(validText(text, length)); });
    }
    bool StartObject() { return guarded([&] { open(true); }); }
    bool EndObject(rapidjson::SizeType) { return guarded([&] { close(); }); }
    bool StartArray() { return guarded([&] { open(false); }); }
    bool EndArray(rapidjson::SizeType) { return guarded([&] { close(); }); }

    // The reason the handler stopped the stream; empty when it did not.
    const std::string& failure() const { return failure_; }
    // After the stream: the list, or a Failure.
    void finish(const std::string& name, ListInfo& out, TimelineEvents::Store& events);
    // True when the root gave our metadata or its start time only after its tracks, and a
    // reading with them known would count in another mode.
    bool needsSecondPass() const;
    const Json& rootHead() const { return rootHead_; }
    // The root's own fields: those of a first reading when given, else those read.
    const Value& root(Tree& into) const {
        return asValue(knownRoot_ != nullptr ? *knownRoot_ : rootHead_, into);
    }

private:
    enum class Frame { Root, Composition, Collection, Children, Document };
    // Where a composition sits: the timeline's stack, a track of it, inside a track, or in a
    // collection.
    enum class Role { TopStack, TopTrack, Nested, InCollection };
    struct Open {
        Frame frame = Frame::Document;
        bool content = false;   // inside the tracks or a collection's clips
        bool excluded = false;  // under markers, effects or metadata
        std::string key;        // the key last read, in an object
        // Composition, Collection (and Root, for a collection's children)
        Role role = Role::Nested;
        Json head;              // its own fields but its children
        std::unique_ptr<Flattener::Open> composition;
        std::string path;
        size_t children = 0;    // Collection and Root: children read
        // Document
        Json* document = nullptr;
    };

    template <typename Work>
    bool guarded(Work&& work) {
        try {
            work();
            return true;
        } catch (const Failure& failure) {
            failure_ = failure.reason;
        } catch (const Json::exception& error) {
            failure_ = std::string("not a readable OTIO timeline (") + error.what() + ")";
        }
        return false;
    }

    bool number(Json value) {
        return guarded([&] {
            if (stack_.empty()) fail(kNotATimeline);
            const Open& top = stack_.back();
            if (firstRate_ == 0 && top.content && !top.excluded && top.key == "rate") {
                const double rate = value.get<double>();
                if (rate > 0) firstRate_ = rate;
            }
            scalar(std::move(value));
        });
    }

    const Clock& clock();
    Flattener& flattener() {
        clock();
        return *flattener_;
    }

    void key(std::string name);
    void string(std::string text);
    void scalar(Json value);
    void open(bool object);
    void openChildren();
    void close();

    Json& slot();
    void startDocument(bool object, Json* into, bool content, bool excluded);
    // A child of a composition or collection, or the tracks: read into item_ until it is
    // known to be a composition (and read as one) or ends (and is read whole).
    bool inItem() const { return itemDepth_ > 0; }
    void startItem(bool object);
    template <typename Add>
    bool itemScalar(Add&& add) {
        itemDeciding_ = itemAwaitSchema_ = false;
        add();
        return true;
    }
    void itemKey(const char* text, size_t length);
    void itemString(const char* text, size_t length);
    void itemEnded();
    std::string childPath(const Open& owner) const;
    void counted(Open& owner);
    void convert(Open& owner, const std::string& schema, bool intoTracks);
    void closeComposition(Open& frame);
    void delivered(const Value& document, Open& owner);
    void tracksHeldWhole(const Value& stack);
    void addToLog(const Value& item, const std::string& path);
    void addToLog(Flat flat);

    std::vector<std::string>& warnings_;
    const Json* knownRoot_;
    std::vector<Open> stack_;
    Tree item_;
    int itemDepth_ = 0;  // containers of item_ open
    bool itemDeciding_ = false;     // its first key may name a composition
    bool itemAwaitSchema_ = false;  // the value of that key comes next
    Tree root_, head_;  // the root's and a composition's own fields, as values
    int depth_ = 0;
    double firstRate_ = 0;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Flattener> flattener_;
    std::string failure_;

    Json rootHead_ = Json::object();
    bool rootSeen_ = false, tracksSeen_ = false, lateRootFields_ = false;
    bool stackTrimmed_ = false;
    Range stackTrim_;
    TrackSet tracks_;
    std::unique_ptr<Tree> heldTracks_;  // a stack of tracks whose schema did not come first
    Flat log_;
    Pending logPending_;
};

const Clock& TimelineStream::clock() {
    if (clock_ == nullptr) {
        Tree tree;
        const Value& head = root(tree);
        clock_.reset(new Clock(timelineMode(head, ours(head), firstRate_, warnings_)));
        flattener_.reset(new Flattener(*clock_, warnings_));
    }
    return *clock_;
}

bool TimelineStream::needsSecondPass() const {
    if (!lateRootFields_ || clock_ == nullptr || knownRoot_ != nullptr) return false;
    std::vector<std::string> ignored;
    Tree head;
    const Value& read = asValue(rootHead_, head);
    return timelineMode(read, ours(read), firstRate_, ignored) != clock_->mode();
}

Json& TimelineStream::slot() {
    Open& top = stack_.back();
    Json& document = *top.document;
    if (document.is_array()) {
        document.push_back(Json());
        return document.back();
    }
    return document[top.key];
}

void TimelineStream::startDocument(bool object, Json* into, bool content, bool excluded) {
    Open frame;
    frame.document = into;
    *into = object ? Json::object() : Json::array();
    frame.content = content;
    frame.excluded = excluded;
    stack_.push_back(std::move(frame));
}

void TimelineStream::startItem(bool object) {
    item_.clear();
    item_.open(object);
    itemDepth_ = 1;
    itemDeciding_ = object;
    itemAwaitSchema_ = false;
}

void TimelineStream::itemKey(const char* text, size_t length) {
    checkText(text, length);
    // Only a first key decides, and only when its value is a text.
    itemAwaitSchema_ = itemDeciding_ && itemDepth_ == 1 && length == 11 &&
                       std::memcmp(text, "OTIO_SCHEMA", 11) == 0;
    itemDeciding_ = false;
    item_.key(text, length);
}

void TimelineStream::itemString(const char* text, size_t length) {
    checkText(text, length);
    if (itemAwaitSchema_) {
        itemAwaitSchema_ = false;
        const std::string schema(text, length);
        Open& owner = stack_.back();
        if (owner.frame == Frame::Root) {
            if (splitSchema(schema) != std::make_pair(std::string("Stack"), 1L))
                unknownSchema(schema, "tracks");
            itemDepth_ = 0;
            convert(owner, schema, true);
            return;
        }
        Open& parent = stack_[stack_.size() - 2];
        const auto [family, version] = splitSchema(schema);
        const bool inLog = parent.frame != Frame::Composition;
        if ((Flattener::isComposition(family) && version == 1) ||
            (inLog && family == "SerializableCollection" && version == 1)) {
            itemDepth_ = 0;
            convert(parent, schema, false);
            return;
        }
    }
    item_.string(text, length);
}

// An item read whole: the stack of tracks, or a child of the composition or collection that
// owns the children list it is in.
void TimelineStream::itemEnded() {
    if (firstRate_ == 0) firstRate_ = firstRateIn(item_.root());
    delivered(item_.root(), stack_.back());
}

std::string TimelineStream::childPath(const Open& owner) const {
    if (owner.frame == Frame::Composition) return Flattener::childPath(*owner.composition);
    const std::string index = "children[" + std::to_string(owner.children) + "]";
    return owner.path.empty() ? index : owner.path + "." + index;
}

// The owner read one more child (the stack of tracks counts its tracks here; other
// compositions count theirs as they are added).
void TimelineStream::counted(Open& owner) {
    if (owner.frame != Frame::Composition) {
        ++owner.children;
    } else if (owner.role == Role::TopStack) {
        ++owner.composition->children;
    }
}

// The children list of the root (a collection), a composition or a collection.
void TimelineStream::openChildren() {
    Open children;
    children.frame = Frame::Children;
    children.content = true;
    stack_.push_back(std::move(children));
}

void TimelineStream::open(bool object) {
    if (++depth_ > kMaxDepth) fail(kTooDeep);
    if (inItem()) {
        item_.open(object);
        ++itemDepth_;
        itemDeciding_ = itemAwaitSchema_ = false;
        return;
    }
    if (stack_.empty()) {
        if (rootSeen_ || !object) fail(kNotATimeline);
        rootSeen_ = true;
        Open root;
        root.frame = Frame::Root;
        root.head = Json::object();
        stack_.push_back(std::move(root));
        return;
    }
    Open& top = stack_.back();
    const bool field = top.frame != Frame::Children &&
                       (top.frame != Frame::Document || top.document->is_object());
    const bool excluded = top.excluded || (field && isExcludedKey(top.key));
    switch (top.frame) {
        case Frame::Root:
            if (top.key == "tracks") {
                tracksSeen_ = true;
                startItem(object);
                return;
            }
            if (top.key == "children" && !object) {
                openChildren();
                return;
            }
            if (tracksSeen_ && (top.key == "metadata" || top.key == "global_start_time"))
                lateRootFields_ = true;
            startDocument(object, &rootHead_[top.key], false, excluded);
            return;
        case Frame::Composition:
        case Frame::Collection:
            if (top.key == "children" && !object) {
                openChildren();
                return;
            }
            startDocument(object, &top.head[top.key], true, excluded);
            return;
        case Frame::Children:
            startItem(object);
            return;
        case Frame::Document:
            startDocument(object, &slot(), top.content, excluded);
            return;
    }
}

void TimelineStream::key(std::string name) {
    stack_.back().key = std::move(name);
}

void TimelineStream::string(std::string text) {
    if (stack_.empty()) fail(kNotATimeline);
    Open& top = stack_.back();
    if (top.frame == Frame::Root && top.key == "OTIO_SCHEMA") {
        const auto [family, version] = splitSchema(text);
        if (!(family == "Timeline" && version >= 1 && version <= 2) &&
            !(family == "SerializableCollection" && version == 1)) {
            fail("not an OTIO timeline (its schema is " + otio::quoted(text) + ")");
        }
    }
    scalar(Json(std::move(text)));
}

// The document just begun is a composition or a collection: it is read as one from here.
void TimelineStream::convert(Open& owner, const std::string& schema, bool intoTracks) {
    const std::string path = intoTracks ? std::string("tracks") : childPath(owner);
    const Role role = intoTracks                              ? Role::TopStack
                      : owner.frame != Frame::Composition     ? Role::InCollection
                      : owner.role == Role::TopStack          ? Role::TopTrack
                                                              : Role::Nested;
    Open frame;
    const std::string family = splitSchema(schema).first;
    frame.frame = family == "SerializableCollection" ? Frame::Collection : Frame::Composition;
    frame.content = true;
    frame.role = role;
    frame.path = path;
    frame.head = Json::object();
    frame.head["OTIO_SCHEMA"] = schema;
    if (frame.frame == Frame::Composition)
        frame.composition.reset(new Flattener::Open(Flattener::open(family == "Stack", path)));
    stack_.push_back(std::move(frame));
}

void TimelineStream::scalar(Json value) {
    if (stack_.empty()) fail(kNotATimeline);
    Open& top = stack_.back();
    switch (top.frame) {
        case Frame::Root:
            if (top.key == "tracks") {
                tracksSeen_ = !value.is_null();
                if (tracksSeen_) fail("not an object at tracks");
                return;
            }
            if (tracksSeen_ && top.key == "global_start_time") lateRootFields_ = true;
            rootHead_[top.key] = std::move(value);
            return;
        case Frame::Composition:
        case Frame::Collection:
            if (top.key == "children" && !value.is_null())
                fail("children is not a list at " + top.path);
            top.head[top.key] = std::move(value);
            return;
        case Frame::Children: {
            Open& owner = stack_[stack_.size() - 2];
            if (owner.frame == Frame::Composition) fail("not an object at " + childPath(owner));
            counted(owner);  // a log reads its clips; anything else in it is passed over
            return;
        }
        case Frame::Document:
            slot() = std::move(value);
            return;
    }
}

void TimelineStream::close() {
    --depth_;
    if (inItem()) {
        item_.close();
        if (--itemDepth_ == 0) itemEnded();
        return;
    }
    Open frame = std::move(stack_.back());
    stack_.pop_back();
    switch (frame.frame) {
        case Frame::Root:
        case Frame::Children:
        case Frame::Document:
            return;
        case Frame::Composition:
        case Frame::Collection:
            closeComposition(frame);
            return;
    }
}

void TimelineStream::closeComposition(Open& frame) {
    // Its owner: the children list's owner below it.
    Open* owner = stack_.size() >= 2 ? &stack_[stack_.size() - 2] : nullptr;
    const Value& head = asValue(frame.head, head_);
    switch (frame.role) {
        case Role::TopStack:
            stackTrimmed_ = clock().range(head, "source_range", "tracks", stackTrim_);
            return;
        case Role::TopTrack:
            tracks_.add(head, frame.path, flattener().close(*frame.composition, head));
            counted(*owner);
            return;
        case Role::Nested:
            flattener().addComposition(*owner->composition,
                                       flattener().close(*frame.composition, head));
            return;
        case Role::InCollection:
            if (frame.frame == Frame::Composition)
                addToLog(flattener().close(*frame.composition, head));
            counted(*owner);
            return;
    }
}

// A value read whole has ended: the stack of tracks, or a child of the composition or
// collection that owns the children list it is in.
void TimelineStream::delivered(const Value& document, Open& list) {
    if (list.frame == Frame::Root) {
        // Read at the end, once the root is known to be a timeline.
        heldTracks_.reset(new Tree(item_));
        return;
    }
    Open& owner = stack_[stack_.size() - 2];
    const std::string path = childPath(owner);
    if (owner.frame != Frame::Composition) {
        addToLog(document, path);
        counted(owner);
        return;
    }
    const auto [family, version] = splitSchema(schemaOf(document, path));
    const bool composition = Flattener::isComposition(family);
    if (owner.role == Role::TopStack) {
        tracks_.add(document, path, composition ? flattener().composition(document, path) : Flat());
        counted(owner);
    } else if (composition) {
        if (version != 1) unknownSchema(schemaOf(document, path), path);
        flattener().addComposition(*owner.composition, flattener().composition(document, path));
    } else {
        flattener().addItem(*owner.composition, document, path);
    }
}

// A stack of tracks whose schema did not come first, read as a document.
void TimelineStream::tracksHeldWhole(const Value& stack) {
    const std::string schema = schemaOf(stack, "tracks");
    if (splitSchema(schema) != std::make_pair(std::string("Stack"), 1L))
        unknownSchema(schema, "tracks");
    const Value* children = listField(stack, "children", "tracks");
    size_t i = 0;
    for (const Value& track : children != nullptr ? *children : stack) {
        const std::string path = entryPath("tracks", "children", i++);
        const bool composition = Flattener::isComposition(splitSchema(schemaOf(track, path)).first);
        tracks_.add(track, path, composition ? flattener().composition(track, path) : Flat());
    }
    stackTrimmed_ = clock().range(stack, "source_range", "tracks", stackTrim_);
}

// A child of a collection: a clip is a clip of the log, a collection's clips and a stack's
// or track's pieces are too; anything else is passed over.
void TimelineStream::addToLog(const Value& item, const std::string& path) {
    const auto [family, version] = splitSchema(schemaOf(item, path));
    if (family == "Clip") {
        try {
            appendItem(item, path, clock(), log_, logPending_, warnings_);
        } catch (const Failure&) {
            if (field(item, "source_range") != nullptr) throw;
            // A log's row without times (no start, no end, no media range) is still a clip
            // of the log.
            const Json none = {{"OTIO_SCHEMA", "RationalTime.1"},
                               {"rate", static_cast<double>(modeInfo(clock().mode()).fps)},
                               {"value", 0.0}};
            const std::string key = "source_range";
            Tree timed;
            timed.open(true);
            for (const Value& member : item) timed.copy(member, member.key().c_str());
            timed.copy(Json{{"OTIO_SCHEMA", "TimeRange.1"}, {"start_time", none}, {"duration", none}},
                       &key);
            timed.close();
            appendItem(timed.root(), path, clock(), log_, logPending_, warnings_);
        }
        logPending_ = Pending();
    } else if (family == "SerializableCollection") {
        const Value* children = listField(item, "children", path);
        size_t i = 0;
        for (const Value& child : children != nullptr ? *children : item) {
            if (child.is_object()) addToLog(child, entryPath(path, "children", i));
            ++i;
        }
    } else if (Flattener::isComposition(family) && version == 1) {
        addToLog(flattener().composition(item, path));
    } else if (family == "Timeline") {
        warnings_.push_back("timeline at " + path + " inside a collection: left out");
    }
}

void TimelineStream::addToLog(Flat flat) {
    for (Piece& piece : flat.pieces) {
        if (!piece.facts.black) log_.pieces.push_back(std::move(piece));
    }
}

// A log's column line and audio rate as its "ALE" metadata keeps them: the log written from
// it has the columns no field holds as columns again, and the heading's "AUDIO_FORMAT".
void logHeading(const Value& root, EdlList& list) {
    const Value* ale = metadataOf(root, kAleKey);
    if (ale == nullptr) return;
    std::string columns;
    const Value* names = field(*ale, "columns");
    if (names != nullptr && names->is_array()) {
        for (const Value& name : *names) {
            if (!name.is_string()) continue;
            const std::string column = name.string();
            // A name that would split the line or end it early names no column.
            if (column.find_first_of(std::string("\t\r\n\0", 4)) != std::string::npos) continue;
            columns += (columns.empty() ? "" : "\t") + column;
        }
    }
    // A line too long for the record keeps the whole names that fit.
    const size_t room = sizeof list.szColumnLine - 1;
    if (columns.size() > room) {
        const size_t tab = columns.rfind('\t', room);
        columns.erase(tab == std::string::npos ? 0 : tab);
    }
    copyText(list.szColumnLine, sizeof list.szColumnLine, columns);
    std::string audio;
    const Value* heading = field(*ale, "header");
    if (heading != nullptr && heading->is_object() && mdText(heading, "AUDIO_FORMAT", audio)) {
        const unsigned kHz = static_cast<unsigned>(std::atoi(audio.c_str()));
        if (kHz == 48 || kHz == 44 || kHz == 32 || kHz == 22 || kHz == 11) list.dwAudioKHz = kHz;
    }
}

// The list record: ours keeps the list type; a collection is a log; the rest is the mode
// and title.
void fillListRecord(const Value& root, unsigned mode, bool log, EdlList& list) {
    std::memset(&list, 0, sizeof list);
    edlInitEdlListStruct(&list);
    int64_t type = 0;
    list.dwListType = mdInteger(ours(root), "list_type", type) && type > 0 && type <= 0xFFFF &&
                              typeByValue(static_cast<unsigned>(type)) != nullptr
                          ? static_cast<uint32_t>(type)
                          : static_cast<uint32_t>(log ? EDLTYPE_LOG_EXCHANGE : EDLTYPE_GENERIC);
    list.dwFlags |= EDL_LF_INTERCHANGE;
    list.dwTcMode = list.dwCurTcMode = mode;
    list.dwFrameRate = modeInfo(mode).frameRate;
    copyText(list.szTitle, sizeof list.szTitle, text(root, "name", "the timeline"));
    if (log) logHeading(root, list);
}

void TimelineStream::finish(const std::string& name, ListInfo& out, TimelineEvents::Store& events) {
    const Json* schema = rootHead_.is_object() && rootHead_.contains("OTIO_SCHEMA")
                             ? &rootHead_["OTIO_SCHEMA"]
                             : nullptr;
    if (!rootSeen_ || schema == nullptr || !schema->is_string()) fail(kNotATimeline);
    const auto [family, version] = splitSchema(schema->get<std::string>());
    if (!(family == "Timeline" && version >= 1 && version <= 2) &&
        !(family == "SerializableCollection" && version == 1)) {
        fail("not an OTIO timeline (its schema is " + quoted(schema->get<std::string>()) + ")");
    }
    const Value& root = this->root(root_);
    const bool log = family == "SerializableCollection";
    if (log) {
        logEvents(log_.pieces, events);
    } else {
        if (!tracksSeen_) fail("missing tracks");
        if (heldTracks_ != nullptr) tracksHeldWhole(heldTracks_->root());
        int64_t start = 0;
        if (const Value* global = field(root, "global_start_time")) {
            start = clock().frames(*global, "global_start_time");
        }
        std::vector<Track> tracks = tracks_.finish(stackTrimmed_ ? &stackTrim_ : nullptr, start);
        buildEvents(tracks, clock().mode(), warnings_, events);
    }
    // An empty list would pass for a converted timeline; a timeline we can place nothing of
    // (its clips in tracks of a kind we do not read, say) must not.
    if (events.count == 0) fail("no clips in the timeline");
    fillListRecord(root, clock().mode(), log, out.list);
    out.path = name;
    out.interchange = true;
}

// Where the byte at offset lies: 'line 2, column 18'.
template <typename Stream>
std::string lineAndColumn(Stream& bytes, size_t offset) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i < offset && bytes.Peek() != '\0'; ++i) {
        if (bytes.Take() == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Reads the stream made by open() (a fresh one for each reading) into out.
template <typename OpenStream>
std::string readStream(OpenStream&& open, const std::string& name, ListInfo& out,
                       TimelineEvents::Store& events, std::vector<std::string>& warnings) {
    out.path = name;
    out.interchange = true;
    events = TimelineEvents::Store();
    std::unique_ptr<Json> knownRoot;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::string> found;
        TimelineStream handler(found, knownRoot.get());
        rapidjson::Reader reader;
        auto stream = open();
        const rapidjson::ParseResult result =
            reader.Parse<rapidjson::kParseDefaultFlags>(stream->bytes(), handler);
        if (!handler.failure().empty()) return handler.failure();
        if (result.IsError()) {
            if (result.Code() == rapidjson::kParseErrorNumberTooBig) {
                // Valid JSON this reader cannot hold: a number beyond the range of a double.
                return "not JSON this tool can read (a number out of range)";
            }
            // Offsets count from the first byte after a byte order mark.
            auto again = open();
            return "not JSON (syntax error at " +
                   lineAndColumn(again->bytes(), result.Offset() - stream->skipped()) + ")";
        }
        try {
            if (handler.needsSecondPass()) {
                knownRoot.reset(new Json(handler.rootHead()));
                continue;
            }
            handler.finish(name, out, events);
        } catch (const Failure& failure) {
            events = TimelineEvents::Store();
            return failure.reason;
        } catch (const Json::exception& error) {
            events = TimelineEvents::Store();
            return std::string("not a readable OTIO timeline (") + error.what() + ")";
        }
        warnings.insert(warnings.end(), found.begin(), found.end());
        return std::string();
    }
    return std::string();
}

// The bytes of a timeline, past a byte order mark: from a file a block at a time, or from
// memory. Offsets (Tell) count from the first byte after the mark.
class Bytes {
public:
    typedef char Ch;

    explicit Bytes(FILE* file) : file_(file), block_(kBlock + 1) {
        fill();
        skipMark();
    }
    explicit Bytes(const std::string& text)
        : at_(text.data()), end_(text.data() + text.size()) {
        skipMark();
    }
    Bytes& bytes() { return *this; }
    size_t skipped() const { return 0; }

    // The byte after the last is always a '\0' (a std::string's, or the block's own).
    Ch Peek() const { return *at_; }
    Ch Take() {
        const Ch c = *at_;
        if (at_ != end_ && ++at_ == end_) fill();
        return c;
    }
    size_t Tell() const { return static_cast<size_t>(before_ + (at_ - start_)) - mark_; }
    // Blanks between values, a block at a time.
    void skipBlanks() {
        for (;;) {
#ifdef __SSE2__
            // Sixteen bytes at a time while they are all blanks.
            const __m128i space = _mm_set1_epi8(' '), lf = _mm_set1_epi8('\n'),
                          cr = _mm_set1_epi8('\r'), tab = _mm_set1_epi8('\t');
            while (end_ - at_ >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at_));
                const __m128i blank =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, lf)),
                                 _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, tab)));
                const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(blank)) & 0xFFFFu;
                if (others != 0) {
                    at_ += __builtin_ctz(others);
                    return;
                }
                at_ += 16;
            }
#endif
            while (at_ < end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r' || *at_ == '\t'))
                ++at_;
            if (at_ < end_ || !fill()) return;
        }
    }

    // A stream for reading only.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    size_t PutEnd(Ch*) { return 0; }

private:
    static constexpr size_t kBlock = 65536;

    // The next block of a file; false at its end (and for bytes in memory).
    bool fill() {
        if (file_ == nullptr) return false;
        before_ += static_cast<uint64_t>(end_ - start_);
        const size_t read = std::fread(block_.data(), 1, kBlock, file_);
        start_ = at_ = block_.data();
        end_ = start_ + read;
        block_[read] = '\0';
        return read > 0;
    }
    void skipMark() {
        start_ = start_ == nullptr ? at_ : start_;
        for (const char c : {'\xEF', '\xBB', '\xBF'}) {
            if (Peek() != c) {
                return;
            }
            Take();
        }
        mark_ = 3;
    }

    FILE* file_ = nullptr;
    std::vector<char> block_;
    const char* start_ = nullptr;  // the block's first byte
    const char* at_ = nullptr;
    const char* end_ = nullptr;
    uint64_t before_ = 0;  // bytes of the blocks before this one
    size_t mark_ = 0;
};

// Found by the parser for its own streams: whole blocks are passed over at a time.
inline void SkipWhitespace(Bytes& bytes) { bytes.skipBlanks(); }

}  // namespace
}  // namespace otio

namespace {

// Reads with read into out, its events made whole.
template <typename Read>
std::string readWhole(Read&& read, ListData& out) {
    out.events.clear();
    TimelineEvents events;
    const std::string reason = read(static_cast<ListInfo&>(out), events);
    out.events.reserve(events.size());
    EventRow row;
    while (events.next(row)) out.events.push_back(std::move(row));
    return reason;
}

}  // namespace

std::string readOtioText(const std::string& text, const std::string& name, ListData& out,
                         std::vector<std::string>& warnings) {
    return readWhole(
        [&](ListInfo& info, TimelineEvents& events) {
            return otio::readStream(
                [&] { return std::unique_ptr<otio::Bytes>(new otio::Bytes(text)); },
                name, info, events.store(), warnings);
        },
        out);
}

std::string readOtio(const std::string& path, ListData& out, std::vector<std::string>& warnings) {
    return readWhole(
        [&](ListInfo& info, TimelineEvents& events) {
            return readOtio(path, info, events, warnings);
        },
        out);
}

std::string readOtio(const std::string& path, ListInfo& out, TimelineEvents& events,
                     std::vector<std::string>& warnings) {
    out.path = path;
    events.store() = TimelineEvents::Store();
    const platform::FileStatus status = platform::fileStatus(path);
    switch (status.kind) {
        case platform::FileKind::Missing: return "cannot open: " + errorText(status.error);
        case platform::FileKind::Directory: return "cannot open: is a directory";
        case platform::FileKind::Stream:
        case platform::FileKind::Other: return "cannot open: not a regular file";
        case platform::FileKind::Regular: break;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "cannot open: " + errorText(errno);
    // A second reading starts from the first byte again.
    const std::string reason = otio::readStream(
        [&] {
            std::rewind(file);
            return std::unique_ptr<otio::Bytes>(new otio::Bytes(file));
        },
        path, out, events.store(), warnings);
    std::fclose(file);
    return reason;
}

}  // namespace edlbtool
