// An OpenTimelineIO timeline as events. Each track is flattened into pieces placed in
// record time (nested tracks and stacks by their place, the top layer of a stack winning),
// then the pieces of one event on several tracks are joined into one event.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>
#include <nlohmann/json.hpp>

#include "list_type_names.h"
#include "notes.h"
#include "otio.h"
#include "otio_common.h"
#include "platform.h"
#include "timecode_text.h"

namespace edlbtool {
namespace {

using Json = nlohmann::json;

constexpr int kMaxDepth = 64;
// The reader keeps the whole file in memory.
constexpr uint64_t kMaxFileSize = 256ull * 1024 * 1024;
constexpr unsigned kTrackBits = 32;
// Frame counts of the library are 32-bit.
constexpr int64_t kMaxFrames = 0xFFFFFFFFLL;

struct Failure {
    std::string reason;
};
[[noreturn]] void fail(const std::string& reason) {
    throw Failure{reason};
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Nesting counted on the raw bytes, so that no parser ever recurses that deep.
bool nestedTooDeep(const std::string& text) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxDepth) return true;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return false;
}

// "Clip.2" as ("Clip", 2); version 0 when the name has none.
std::pair<std::string, long> splitSchema(const std::string& schema) {
    const size_t dot = schema.rfind('.');
    if (dot == std::string::npos || dot + 1 == schema.size()) return {schema, 0};
    char* end = nullptr;
    const long version = std::strtol(schema.c_str() + dot + 1, &end, 10);
    if (*end != '\0' || version <= 0) return {schema, 0};
    return {schema.substr(0, dot), version};
}

const Json& requireObject(const Json& value, const std::string& path) {
    if (!value.is_object()) fail("not an object at " + path);
    return value;
}

std::string schemaOf(const Json& object, const std::string& path) {
    requireObject(object, path);
    const auto it = object.find("OTIO_SCHEMA");
    if (it == object.end() || !it->is_string()) fail("missing OTIO_SCHEMA at " + path);
    return it->get<std::string>();
}

// Null when the field is missing or null.
const Json* field(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

std::string text(const Json& object, const char* key, const std::string& path) {
    const Json* value = field(object, key);
    if (value == nullptr) return std::string();
    if (!value->is_string()) fail(std::string(key) + " is not a text at " + path);
    return value->get<std::string>();
}

double number(const Json& object, const char* key, const std::string& path) {
    const Json* value = field(object, key);
    if (value == nullptr) fail("missing " + std::string(key) + " at " + path);
    if (!value->is_number()) fail(std::string(key) + " is not a number at " + path);
    return value->get<double>();
}

bool enabled(const Json& item) {
    const Json* value = field(item, "enabled");
    return value == nullptr || !value->is_boolean() || value->get<bool>();
}

// The frame rates an edit knows, by their whole number: 29.97 counts like 30, 23.976 like 24.
double nominalRate(double rate) {
    const double whole = std::round(rate);
    if (std::fabs(rate - whole) < 0.001) return whole;
    const double ntsc = std::round(rate * 1.001);
    if (std::fabs(rate - ntsc / 1.001) < 0.005) return ntsc;
    return rate;
}

bool isNtscRate(double rate) {
    return nominalRate(rate) != rate && std::fabs(rate - std::round(rate)) >= 0.001;
}

// Our own metadata of an object, or null.
const Json* ours(const Json& object) {
    const Json* metadata = field(object, "metadata");
    if (metadata == nullptr || !metadata->is_object()) return nullptr;
    const Json* mine = field(*metadata, otio::kKey);
    return mine != nullptr && mine->is_object() ? mine : nullptr;
}

// Metadata values are taken only when they have the type they are written with.
bool mdInteger(const Json* md, const char* key, int64_t& out) {
    const Json* value = md != nullptr ? field(*md, key) : nullptr;
    if (value == nullptr || !value->is_number_integer()) return false;
    out = value->get<int64_t>();
    return true;
}
bool mdText(const Json* md, const char* key, std::string& out) {
    const Json* value = md != nullptr ? field(*md, key) : nullptr;
    if (value == nullptr || !value->is_string()) return false;
    out = value->get<std::string>();
    return true;
}
uint32_t asFrames(int64_t value) {
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, kMaxFrames));
}

// The modes that count fps frame numbers a second: the one at that whole rate, the one at
// the NTSC rate counted like it (23.976 for 24), and the drop-frame one; where the table has
// no such mode, the whole rate's (or, at 30, the NTSC one's).
struct RateModes {
    uint32_t fps = 0;
    unsigned plain = 0, ntsc = 0, drop = 0;
};

RateModes modesAt(uint32_t fps) {
    size_t count = 0;
    const ModeInfo* rows = modes(&count);
    RateModes out;
    out.fps = fps;
    for (size_t i = 0; i < count; ++i) {
        const ModeInfo& row = rows[i];
        if (row.fps != fps) continue;
        unsigned& slot = row.dropFrame                ? out.drop
                         : row.frameRate == fps * 100 ? out.plain
                                                      : out.ntsc;
        if (slot == 0) slot = row.value;
    }
    if (out.plain == 0) out.plain = out.ntsc;
    if (out.ntsc == 0) out.ntsc = out.plain;
    if (out.drop == 0) out.drop = out.plain;
    return out;
}

// The modes of the whole rate nearest to nominal (by ratio); the slowest of two as near.
RateModes nearestModes(double nominal) {
    size_t count = 0;
    const ModeInfo* rows = modes(&count);
    std::vector<uint32_t> rates;
    for (size_t i = 0; i < count; ++i) rates.push_back(rows[i].fps);
    std::sort(rates.begin(), rates.end());
    uint32_t best = rates.front();
    for (uint32_t rate : rates) {
        if (std::fabs(std::log(rate / nominal)) < std::fabs(std::log(best / nominal))) best = rate;
    }
    return modesAt(best);
}

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

// The part of a piece between from and to (record positions inside it).
Piece cut(const Piece& piece, int64_t from, int64_t to) {
    Piece part = piece;
    part.recIn = from;
    part.length = to - from;
    part.srcIn = otio::derivedSourceOut(piece.srcIn, from - piece.recIn, piece.scalar);
    if (from != piece.recIn) part.transition = nullptr;
    part.markers.clear();
    for (const MarkerAt& marker : piece.markers) {
        if (marker.record >= from &&
            (marker.record < to || (to == from && marker.record == from))) {
            part.markers.push_back(marker);
        }
    }
    return part;
}

void shift(Flat& flat, int64_t by) {
    for (Piece& piece : flat.pieces) {
        piece.recIn += by;
        for (MarkerAt& marker : piece.markers) marker.record += by;
    }
}

class TimelineReader {
public:
    TimelineReader(std::vector<std::string>& warnings) : warnings_(warnings) {}

    void read(const Json& root, const std::string& name, ListData& out) {
        if (!root.is_object()) fail("not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")");
        const auto schema = root.find("OTIO_SCHEMA");
        if (schema == root.end() || !schema->is_string()) {
            fail("not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")");
        }
        const auto [family, version] = splitSchema(schema->get<std::string>());
        if (family != "Timeline" || version < 1 || version > 2) {
            fail("not an OTIO timeline (its schema is " + quoted(schema->get<std::string>()) + ")");
        }
        const Json* mine = ours(root);
        chooseMode(root, mine);

        int64_t start = 0;
        if (const Json* global = field(root, "global_start_time")) {
            start = frames(*global, "global_start_time");
        }
        const Json* tracks = field(root, "tracks");
        if (tracks == nullptr) fail("missing tracks");
        const std::string stackSchema = schemaOf(*tracks, "tracks");
        if (splitSchema(stackSchema) != std::make_pair(std::string("Stack"), 1L)) {
            fail("unknown OTIO schema " + quoted(stackSchema) + " at tracks");
        }
        readTracks(*tracks, start);
        buildEvents();

        std::memset(&out.list, 0, sizeof out.list);
        edlInitEdlListStruct(&out.list);
        int64_t type = 0;
        out.list.dwListType = mdInteger(mine, "list_type", type) && type > 0 && type <= 0xFFFF &&
                                      typeByValue(static_cast<unsigned>(type)) != nullptr
                                  ? static_cast<uint32_t>(type)
                                  : static_cast<uint32_t>(EDLTYPE_GENERIC);
        out.list.dwFlags |= EDL_LF_INTERCHANGE;
        out.list.dwTcMode = out.list.dwCurTcMode = mode_;
        out.list.dwFrameRate = modeInfo(mode_).frameRate;
        copyText(out.list.szTitle, sizeof out.list.szTitle, text(root, "name", "the timeline"));
        out.path = name;
        out.interchange = true;
        out.events = std::move(events_);
    }

private:
    struct Track {
        bool audio = false;
        unsigned bit = 0;
        std::vector<Piece> pieces;
    };

    // The timecode mode: ours when the metadata names one that counts at the timeline's rate,
    // else the mode of the rate.
    void chooseMode(const Json& root, const Json* mine) {
        double rate = 0;
        if (const Json* global = field(root, "global_start_time")) {
            requireObject(*global, "global_start_time");
            rate = number(*global, "rate", "global_start_time");
        } else {
            rate = firstRate(field(root, "tracks"), 0);
        }
        if (!(rate > 0)) rate = 24;
        const double nominal = nominalRate(rate);
        int64_t mode = 0;
        bool dropFrame = false;
        if (const Json* drop = mine != nullptr ? field(*mine, "drop_frame") : nullptr) {
            dropFrame = drop->is_boolean() && drop->get<bool>();
        }
        if (mdInteger(mine, "timecode_mode", mode) && mode > 0 && mode <= 0xFF &&
            isKnownMode(static_cast<unsigned>(mode)) &&
            modeInfo(static_cast<unsigned>(mode)).fps == nominal) {
            mode_ = static_cast<unsigned>(mode);
            return;
        }
        const RateModes best = nearestModes(nominal);
        mode_ = dropFrame ? best.drop : isNtscRate(rate) ? best.ntsc : best.plain;
        if (best.fps != nominal) {
            char note[160];
            std::snprintf(note, sizeof note,
                          "frame rate %g has no timecode mode: times counted at %g (%s)", rate,
                          static_cast<double>(best.fps), modeInfo(mode_).name);
            warnings_.push_back(note);
        }
    }

    static bool isKnownMode(unsigned mode) { return modeInfo(mode).value == mode; }

    // The rate of the first time in the tracks, for timelines without a start time.
    static double firstRate(const Json* node, int depth) {
        if (node == nullptr || depth > kMaxDepth) return 0;
        if (node->is_object()) {
            const auto it = node->find("rate");
            if (it != node->end() && it->is_number()) return it->get<double>();
            for (const auto& entry : node->items()) {
                const double rate = firstRate(&entry.value(), depth + 1);
                if (rate > 0) return rate;
            }
        } else if (node->is_array()) {
            for (const Json& entry : *node) {
                const double rate = firstRate(&entry, depth + 1);
                if (rate > 0) return rate;
            }
        }
        return 0;
    }

    // A "RationalTime.1" as frames of the list's mode; other rates are converted and rounded.
    int64_t frames(const Json& time, const std::string& path) const {
        requireObject(time, path);
        const Json* schema = field(time, "OTIO_SCHEMA");
        if (schema != nullptr &&
            (!schema->is_string() || schema->get<std::string>() != "RationalTime.1")) {
            fail("unknown OTIO schema " +
                 quoted(schema->is_string() ? schema->get<std::string>() : "?") + " at " + path);
        }
        const double rate = number(time, "rate", path);
        const double value = number(time, "value", path);
        if (!(rate > 0)) fail("rate is zero or negative at " + path);
        const double fps = modeInfo(mode_).fps;
        const double nominal = nominalRate(rate);
        const double count = nominal == fps ? value : value * fps / nominal;
        if (!std::isfinite(count) || std::fabs(count) > 4.0 * kMaxFrames)
            fail("time out of range at " + path);
        return static_cast<int64_t>(std::llround(count));
    }

    struct Range {
        int64_t start = 0, duration = 0;
    };
    bool range(const Json& object, const char* key, const std::string& path, Range& out) const {
        const Json* value = field(object, key);
        if (value == nullptr) return false;
        const std::string where = path + "." + key;
        requireObject(*value, where);
        const Json* schema = field(*value, "OTIO_SCHEMA");
        if (schema != nullptr &&
            (!schema->is_string() || schema->get<std::string>() != "TimeRange.1")) {
            fail("unknown OTIO schema " +
                 quoted(schema->is_string() ? schema->get<std::string>() : "?") + " at " + where);
        }
        const Json* start = field(*value, "start_time");
        const Json* duration = field(*value, "duration");
        if (start == nullptr) fail("missing start_time at " + where);
        if (duration == nullptr) fail("missing duration at " + where);
        out.start = frames(*start, where + ".start_time");
        out.duration = frames(*duration, where + ".duration");
        if (out.duration < 0) fail("negative duration at " + where);
        return true;
    }
    Range requiredRange(const Json& object, const std::string& path) const {
        Range r;
        if (!range(object, "source_range", path, r)) fail("missing source_range at " + path);
        return r;
    }

    void readTracks(const Json& stack, int64_t start) {
        const Json* children = field(stack, "children");
        if (children != nullptr && !children->is_array()) fail("children is not a list at tracks");
        uint32_t used[2] = {0, 0};
        std::vector<std::pair<const Json*, std::string>> unnamed;
        for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
            const std::string path = "tracks.children[" + std::to_string(i) + "]";
            const Json& child = (*children)[i];
            const std::string schema = schemaOf(child, path);
            const std::string family = splitSchema(schema).first;
            if (family != "Track" && family != "Sequence") {
                fail("unknown OTIO schema " + quoted(schema) + " at " + path +
                     " (a track was expected)");
            }
            Track track;
            const std::string kind = text(child, "kind", path);
            track.audio = kind == "Audio";
            if (!track.audio && kind != "Video") {
                warnings_.push_back("track kind " + quoted(kind) + " at " + path +
                                    " read as video");
            }
            // Tracks named like ours keep their number; others take the next free one.
            const std::string name = text(child, "name", path);
            unsigned number = 0;
            if (name.size() >= 2 && name.size() <= 3 && name[0] == (track.audio ? 'A' : 'V')) {
                char* end = nullptr;
                const unsigned long n = std::strtoul(name.c_str() + 1, &end, 10);
                if (*end == '\0' && n >= 1 && n <= kTrackBits &&
                    (used[track.audio] & (1u << (n - 1))) == 0) {
                    number = static_cast<unsigned>(n);
                }
            }
            if (number == 0) {
                while (number < kTrackBits && (used[track.audio] & (1u << number)) != 0) ++number;
                if (number == kTrackBits)
                    fail(std::string("more than 32 ") + (track.audio ? "audio" : "video") +
                         " tracks");
                ++number;
            }
            used[track.audio] |= 1u << (number - 1);
            track.bit = number - 1;
            Flat flat = enabled(child) ? composition(child, path) : Flat();
            openTransitions(flat.pieces);
            for (Piece& piece : flat.pieces) {
                piece.recIn += start;
                for (MarkerAt& marker : piece.markers) marker.record += start;
            }
            track.pieces = std::move(flat.pieces);
            tracks_.push_back(std::move(track));
        }
        std::stable_sort(tracks_.begin(), tracks_.end(), [](const Track& a, const Track& b) {
            return a.audio != b.audio ? !a.audio : a.bit < b.bit;
        });
        // The stack's own trim applies to every track.
        Range trim;
        if (range(stack, "source_range", "tracks", trim)) {
            for (Track& track : tracks_) {
                Flat flat{track.pieces, 0};
                shift(flat, -start);
                flat = trimmed(flat, trim);
                shift(flat, start);
                track.pieces = std::move(flat.pieces);
            }
        }
    }

    // A transition whose in_offset reaches back into the item before it starts the incoming
    // event that much earlier: an edit list's transition begins at its cut point.
    void openTransitions(std::vector<Piece>& pieces) {
        for (size_t i = 0; i < pieces.size(); ++i) {
            Piece& in = pieces[i];
            if (in.transition == nullptr || in.inOffset == 0) continue;
            int64_t room = in.inOffset;
            // The incoming source cannot start before its first frame.
            if (in.scalar <= 0 || otio::derivedSourceOut(in.srcIn, -room, in.scalar) < 0) continue;
            if (i > 0) {
                Piece& out = pieces[i - 1];
                const int64_t outEnd = out.recIn + out.length;
                room = outEnd == in.recIn ? std::min(room, out.length)
                                          : std::min(room, in.recIn - outEnd);
                if (outEnd == in.recIn) out.length -= room;
            }
            in.recIn -= room;
            in.length += room;
            in.srcIn = otio::derivedSourceOut(in.srcIn, -room, in.scalar);
        }
    }

    Flat composition(const Json& item, const std::string& path) {
        const std::string family = splitSchema(schemaOf(item, path)).first;
        Flat flat = family == "Stack" ? stackOf(item, path) : trackOf(item, path);
        Range trim;
        if (range(item, "source_range", path, trim)) flat = trimmed(flat, trim);
        return flat;
    }

    static Flat trimmed(const Flat& flat, const Range& trim) {
        Flat out;
        out.duration = trim.duration;
        const int64_t from = trim.start, to = trim.start + trim.duration;
        for (const Piece& piece : flat.pieces) {
            const int64_t a = std::max(piece.recIn, from);
            const int64_t b = std::min(piece.recIn + piece.length, to);
            if (a < b || (piece.length == 0 && piece.recIn >= from && piece.recIn < to)) {
                out.pieces.push_back(cut(piece, a, std::max(a, b)));
            }
        }
        shift(out, -from);
        return out;
    }

    // A pending transition and what it waits for.
    struct Pending {
        const Json* transition = nullptr;
        std::string path;
        int64_t in = 0, out = 0;
    };

    Flat trackOf(const Json& track, const std::string& path) {
        const Json* children = field(track, "children");
        if (children != nullptr && !children->is_array()) fail("children is not a list at " + path);
        Flat flat;
        Pending pending;
        for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
            appendChild((*children)[i], path + ".children[" + std::to_string(i) + "]", flat,
                        pending);
        }
        if (pending.transition != nullptr) {
            warnings_.push_back("transition at " + pending.path +
                                " has nothing after it: left out");
        }
        return flat;
    }

    // A stack's layers, the last on top: each shows where the layers above it show nothing.
    Flat stackOf(const Json& stack, const std::string& path) {
        const Json* children = field(stack, "children");
        if (children != nullptr && !children->is_array()) fail("children is not a list at " + path);
        std::vector<Flat> layers;
        Flat out;
        for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
            const std::string where = path + ".children[" + std::to_string(i) + "]";
            const Json& child = (*children)[i];
            const std::string family = splitSchema(schemaOf(child, where)).first;
            Flat layer;
            if (family == "Track" || family == "Sequence" || family == "Stack") {
                if (enabled(child))
                    layer = composition(child, where);
                else
                    layer.duration = compositionDuration(child, where);
            } else {
                Pending pending;
                appendChild(child, where, layer, pending);
            }
            out.duration = std::max(out.duration, layer.duration);
            layers.push_back(std::move(layer));
        }
        std::vector<std::pair<int64_t, int64_t>> covered;
        for (size_t l = layers.size(); l-- > 0;) {
            for (const Piece& piece : layers[l].pieces) {
                int64_t from = piece.recIn;
                const int64_t end = piece.recIn + piece.length;
                std::vector<std::pair<int64_t, int64_t>> above = covered;
                std::sort(above.begin(), above.end());
                bool shown = piece.length > 0;
                for (const auto& [a, b] : above) {
                    if (piece.length == 0 && a <= from && from < b) shown = false;
                    if (b <= from || a >= end) continue;
                    if (a > from) out.pieces.push_back(cut(piece, from, a));
                    from = std::max(from, b);
                }
                if (from < end || (piece.length == 0 && shown))
                    out.pieces.push_back(cut(piece, from, std::max(from, end)));
            }
            for (const Piece& piece : layers[l].pieces)
                covered.emplace_back(piece.recIn, piece.recIn + piece.length);
        }
        std::stable_sort(out.pieces.begin(), out.pieces.end(),
                         [](const Piece& a, const Piece& b) { return a.recIn < b.recIn; });
        return out;
    }

    // The length of a disabled composition: its trim, else what its children add up to.
    int64_t compositionDuration(const Json& item, const std::string& path) {
        Range trim;
        if (range(item, "source_range", path, trim)) return trim.duration;
        Flat flat = composition(item, path);
        return flat.duration;
    }

    void appendChild(const Json& child, const std::string& path, Flat& flat, Pending& pending) {
        const std::string schema = schemaOf(child, path);
        const auto [family, version] = splitSchema(schema);
        if (family == "Transition" && version == 1) {
            if (pending.transition != nullptr) {
                warnings_.push_back("transition at " + pending.path +
                                    " is followed by another: left out");
            }
            pending.transition = &child;
            pending.path = path;
            const Json* in = field(child, "in_offset");
            const Json* out = field(child, "out_offset");
            if (in == nullptr) fail("missing in_offset at " + path);
            if (out == nullptr) fail("missing out_offset at " + path);
            pending.in = frames(*in, path + ".in_offset");
            pending.out = frames(*out, path + ".out_offset");
            if (pending.in < 0 || pending.out < 0) fail("negative transition offset at " + path);
            return;
        }
        if (family == "Clip" && (version == 1 || version == 2)) {
            Piece piece = clipPiece(child, path, version);
            piece.recIn = flat.duration;
            flat.duration += piece.length;
            if (enabled(child)) place(std::move(piece), flat, pending);
            return;
        }
        if (family == "Gap" && version == 1) {
            const Range r = requiredRange(child, path);
            Piece piece;
            piece.item = &child;
            piece.path = path;
            piece.recIn = flat.duration;
            piece.length = r.duration;
            piece.srcIn = r.start;
            piece.black = true;
            flat.duration += r.duration;
            // A gap is an event when it is ours, or when a transition goes into it (to black).
            const Json* mine = ours(child);
            if (mine != nullptr && field(*mine, "event") != nullptr) {
                markersOf(child, path, r.start, piece);
                place(std::move(piece), flat, pending);
            } else if (pending.transition != nullptr) {
                piece.srcIn = 0;
                place(std::move(piece), flat, pending);
            }
            return;
        }
        if ((family == "Track" || family == "Sequence" || family == "Stack") && version == 1) {
            const int64_t at = flat.duration;
            Flat inner;
            if (enabled(child)) {
                inner = composition(child, path);
            } else {
                inner.duration = compositionDuration(child, path);
            }
            shift(inner, at);
            flat.duration += inner.duration;
            for (size_t i = 0; i < inner.pieces.size(); ++i) {
                if (i == 0 && inner.pieces[0].recIn == at) {
                    place(std::move(inner.pieces[0]), flat, pending);
                } else {
                    flat.pieces.push_back(std::move(inner.pieces[i]));
                }
            }
            if (pending.transition != nullptr) {
                warnings_.push_back("transition at " + pending.path +
                                    " has no clip after it: left out");
                pending = Pending();
            }
            return;
        }
        fail("unknown OTIO schema " + quoted(schema) + " at " + path);
    }

    void place(Piece piece, Flat& flat, Pending& pending) {
        if (pending.transition != nullptr) {
            piece.transition = pending.transition;
            piece.inOffset = pending.in;
            piece.outOffset = pending.out;
            pending = Pending();
        }
        flat.pieces.push_back(std::move(piece));
    }

    Piece clipPiece(const Json& clip, const std::string& path, long version) {
        Piece piece;
        piece.item = &clip;
        piece.path = path;
        Range r;
        if (!range(clip, "source_range", path, r)) {
            // A clip without a trim shows all of its media.
            const Json* media = activeMedia(clip, path, version);
            if (media == nullptr || !range(*media, "available_range", path + ".media", r)) {
                fail("missing source_range at " + path);
            }
        }
        piece.srcIn = r.start;
        piece.length = r.duration;
        if (const Json* effects = field(clip, "effects")) {
            if (!effects->is_array()) fail("effects is not a list at " + path);
            for (size_t i = 0; i < effects->size(); ++i) {
                const std::string where = path + ".effects[" + std::to_string(i) + "]";
                const Json& effect = (*effects)[i];
                const std::string family = splitSchema(schemaOf(effect, where)).first;
                if (!enabled(effect)) continue;
                if (family == "LinearTimeWarp") {
                    const double scalar = number(effect, "time_scalar", where);
                    piece.scalar *= scalar;
                    if (!(std::fabs(piece.scalar) <= otio::kMaxScalar))
                        fail("time_scalar out of range at " + where);
                } else if (family == "FreezeFrame") {
                    piece.scalar = 0;
                } else {
                    std::string name = text(effect, "effect_name", where);
                    if (name.empty()) name = text(effect, "name", where);
                    if (name.empty()) name = family;
                    piece.effectNotes.push_back("EFFECT NAME: " + name);
                }
            }
        }
        markersOf(clip, path, r.start, piece);
        return piece;
    }

    void markersOf(const Json& item, const std::string& path, int64_t sourceStart, Piece& piece) {
        const Json* markers = field(item, "markers");
        if (markers == nullptr) return;
        if (!markers->is_array()) fail("markers is not a list at " + path);
        for (size_t i = 0; i < markers->size(); ++i) {
            const std::string where = path + ".markers[" + std::to_string(i) + "]";
            const Json& marker = (*markers)[i];
            const std::string family = splitSchema(schemaOf(marker, where)).first;
            if (family != "Marker")
                fail("unknown OTIO schema " + quoted(schemaOf(marker, where)) + " at " + where);
            Range marked;
            if (!range(marker, "marked_range", where, marked))
                fail("missing marked_range at " + where);
            MarkerAt at;
            // Marked ranges are in the clip's own (source) time.
            at.record = piece.recIn + (marked.start - sourceStart);
            at.color = text(marker, "color", where);
            at.name = text(marker, "name", where);
            mdText(ours(marker), "note", at.note);
            piece.markers.push_back(at);
        }
    }

    static const Json* activeMedia(const Json& clip, const std::string& path, long version) {
        if (version == 1) {
            const Json* media = field(clip, "media_reference");
            if (media != nullptr) requireObject(*media, path + ".media_reference");
            return media;
        }
        const Json* references = field(clip, "media_references");
        if (references == nullptr) return nullptr;
        if (!references->is_object()) fail("media_references is not an object at " + path);
        std::string key = text(clip, "active_media_reference_key", path);
        if (key.empty()) key = otio::kDefaultMedia;
        const Json* media = field(*references, key.c_str());
        if (media != nullptr) requireObject(*media, path + ".media_references." + key);
        return media;
    }

    // The media file a clip names: the path of a file URL, any other URL as it is.
    static std::string mediaFile(const Json& clip, const std::string& path, long version) {
        const Json* media = activeMedia(clip, path, version);
        if (media == nullptr) return std::string();
        const std::string where = path + ".media";
        const std::string family = splitSchema(schemaOf(*media, where)).first;
        std::string url;
        if (family == "ExternalReference") {
            url = text(*media, "target_url", where);
        } else if (family == "ImageSequenceReference") {
            int64_t padding = 0;
            const Json* pad = field(*media, "frame_zero_padding");
            if (pad != nullptr && pad->is_number_integer())
                padding = std::clamp<int64_t>(pad->get<int64_t>(), 0, 16);
            url = text(*media, "target_url_base", where) + text(*media, "name_prefix", where) +
                  "%0" + std::to_string(padding) + "d" + text(*media, "name_suffix", where);
        }
        if (url.compare(0, 7, "file://") != 0) return url;
        std::string rest = url.substr(7);
        if (!rest.empty() && rest[0] != '/') {
            const size_t slash = rest.find('/');
            rest = slash == std::string::npos ? std::string() : rest.substr(slash);
        }
        std::string file;
        for (size_t i = 0; i < rest.size(); ++i) {
            const auto hex = [](char c) {
                return c >= '0' && c <= '9'   ? c - '0'
                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
            };
            if (rest[i] == '%' && i + 2 < rest.size() + 0 && hex(rest[i + 1]) >= 0 &&
                hex(rest[i + 2]) >= 0) {
                file += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
                i += 2;
            } else {
                file += rest[i];
            }
        }
        return file;
    }

    // ---- Joining pieces into events ----

    struct Built {
        EventRow row;
        int64_t index = -1;  // the event's place in the list it was written from; -1: not ours
        size_t firstTrack = 0;
        bool hasCut = false;
        EventRow cut;
        int64_t cutIndex = -1;
    };

    static uint32_t checked(int64_t value, const std::string& what, const std::string& path) {
        if (value < 0 || value > kMaxFrames) fail(what + " out of range at " + path);
        return static_cast<uint32_t>(value);
    }

    static std::string clipName(const Piece& piece, const Json* mine) {
        std::string name;
        if (mdText(mine, "clip_name", name)) return name;
        if (piece.black && mine == nullptr) return std::string();
        return text(*piece.item, "name", piece.path);
    }

    static std::string reelOf(const Piece& piece) {
        std::string reel;
        if (mdText(ours(*piece.item), "reel", reel)) return reel;
        return piece.black ? "BL" : "AX";
    }

    static long versionOf(const Piece& piece) {
        return splitSchema(schemaOf(*piece.item, piece.path)).second;
    }

    static void setNames(EventRow& row, const std::string& clip, const std::string& file) {
        row.clipName = clip.substr(0, EDL_CLIPNAME_SIZE - 1);
        if (!clip.empty()) row.present |= EDL_P_CLIP_NAME;
        if (!file.empty()) {
            row.name = file;
            row.present |= EDL_P_FILE_NAME;
        } else {
            row.name = clip;
        }
    }

    // The event's times from the piece's place and trim, then what our metadata keeps.
    void placeTimes(EventRow& row, const Piece& piece, const Json* mine) const {
        row.recIn = checked(piece.recIn, "record time", piece.path);
        row.srcIn = checked(piece.srcIn, "source time", piece.path);
        // Ends past the last frame count stop there (a list keeps them in 32 bits).
        row.recOut = asFrames(piece.recIn + piece.length);
        row.srcOut = asFrames(otio::derivedSourceOut(piece.srcIn, piece.length, piece.scalar));
        int64_t value = 0;
        if (mdInteger(mine, "record_in", value)) row.recIn = asFrames(value);
        if (mdInteger(mine, "record_out", value)) row.recOut = asFrames(value);
        if (mdInteger(mine, "source_out", value)) row.srcOut = asFrames(value);
        row.markIn = mdInteger(mine, "mark_in", value) ? asFrames(value) : row.srcIn;
        row.markOut = mdInteger(mine, "mark_out", value) ? asFrames(value) : row.srcOut;
        if (mdInteger(mine, "audio_offset", value)) {
            row.audioOffset =
                static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
        }
    }

    // The fields our metadata keeps of an event (ours: it has them).
    static void ourFields(EventRow& row, const Json& mine) {
        int64_t value = 0;
        if (mdInteger(&mine, "edit", value)) {
            row.editNumber = asFrames(value);
            row.present |= EDL_P_EDIT_NUMBER;
        }
        mdText(&mine, "reel", row.reel);
        if (mdInteger(&mine, "video_tracks", value)) row.videoTracks = static_cast<uint32_t>(value);
        if (mdInteger(&mine, "audio_tracks", value)) row.audioTracks = static_cast<uint32_t>(value);
        std::string type;
        if (mdText(&mine, "edit_type", type)) row.editType = type.empty() ? '\0' : type[0];
        if (mdInteger(&mine, "wipe_code", value)) row.wipeCode = static_cast<uint32_t>(value);
        if (mdInteger(&mine, "effect_length", value))
            row.effectLength = static_cast<uint32_t>(value);
        mdText(&mine, "effect_text", row.effectText);
        const Json* notes = field(mine, "notes");
        if (notes != nullptr && notes->is_array()) {
            for (const Json& note : *notes) {
                if (!note.is_string()) continue;
                if (!row.comment.empty()) row.comment += '\n';
                row.comment += note.get<std::string>();
            }
        }
    }

    static void addNote(EventRow& row, const std::string& note) {
        if (!row.comment.empty()) row.comment += '\n';
        row.comment += note;
    }

    // Sets the transition of an event from the transition before its piece.
    static void setTransition(EventRow& row, const Piece& piece, bool ourEvent) {
        const int64_t length = piece.inOffset + piece.outOffset;
        const uint32_t frames = asFrames(length);
        const Json* mine = ours(*piece.transition);
        if (ourEvent && isTransitionRow(row)) {
            // Ours: its fields stand unless the transition's length was changed.
            const uint32_t had =
                row.editType == 'D' && row.effectLength == 0 ? row.wipeCode : row.effectLength;
            if (had == frames) return;
            if (row.editType == 'D' && row.effectLength == 0)
                row.wipeCode = frames;
            else
                row.effectLength = frames;
            return;
        }
        std::string type = "D";
        mdText(mine, "edit_type", type);
        row.editType = type == "W" || type == "K" ? type[0] : 'D';
        row.present |= EDL_P_EFFECT;
        int64_t code = 0;
        if (row.editType == 'W') {
            row.wipeCode = mdInteger(mine, "wipe_code", code) ? asFrames(code) : 1;
            row.effectLength = frames;
        } else if (row.editType == 'K') {
            row.wipeCode = 0;
            row.effectLength = frames;
            mdText(mine, "effect_text", row.effectText);
        } else {
            row.wipeCode = frames;  // as a list's 'D 030' reads
            row.effectLength = 0;
        }
    }

    static bool isTransitionRow(const EventRow& row) { return isTransition(row.editType); }

    EventRow eventOf(const Piece& piece, const Piece* before, std::string& key,
                     std::vector<std::string>& notices) {
        EventRow row;
        const Json* mine = ours(*piece.item);
        int64_t index = 0;
        const bool ourEvent = mine != nullptr && mdInteger(mine, "event", index);
        row.present =
            EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT | EDL_P_TRACKS | EDL_P_REEL;
        row.editType = 'C';
        row.wipeCode = 0xFFFFFFFFu;
        if (ourEvent)
            ourFields(row, *mine);
        else
            row.reel = reelOf(piece);
        placeTimes(row, piece, ourEvent ? mine : nullptr);
        if (piece.transition != nullptr) setTransition(row, piece, ourEvent);

        const std::string clip = clipName(piece, ourEvent ? mine : nullptr);
        const std::string file =
            piece.black ? std::string() : mediaFile(*piece.item, piece.path, versionOf(piece));
        setNames(row, clip, file);
        if (!ourEvent) {
            // The names a list carries as notes: on the line of a transition the outgoing clip
            // is "FROM" and the incoming "TO"; a clip name behind a file name is a note too.
            if (piece.transition != nullptr) {
                const std::string from =
                    before != nullptr ? clipName(*before, ours(*before->item)) : std::string();
                if (!from.empty()) addNote(row, "FROM CLIP NAME: " + from);
                if (!clip.empty()) addNote(row, "TO CLIP NAME: " + clip);
            } else if (!file.empty() && !clip.empty()) {
                addNote(row, "FROM CLIP NAME: " + clip);
            }
            if (piece.scalar != 1.0) {
                const double speed = piece.scalar * modeInfo(mode_).fps;
                const std::string note = m2Line(row.reel, speed, row.srcIn, mode_);
                addNote(row, note);
                char text[96];
                std::snprintf(text, sizeof text, "time_scalar %g (%.1f fps)", piece.scalar, speed);
                notices.push_back("clip " + quoted(clip) + " at " + piece.path + ": " + text +
                                  " kept as the note '" + note + "'");
            }
        }
        for (const std::string& note : piece.effectNotes) addNote(row, note);
        for (const MarkerAt& marker : piece.markers) {
            if (!marker.note.empty() && ourEvent &&
                ("\n" + row.comment + "\n").find("\n" + marker.note + "\n") != std::string::npos) {
                continue;  // the note it was written from is there
            }
            std::string note = "LOC: " + timecodeText(asFrames(marker.record), mode_);
            if (!marker.color.empty()) note += " " + marker.color;
            if (!marker.name.empty()) note += " " + marker.name;
            addNote(row, note);
        }
        if (ourEvent) {
            key = "event " + std::to_string(index);
        } else {
            // Clips of one event on several tracks have the same times, names and transition.
            key = std::to_string(row.recIn) + "|" + std::to_string(row.recOut) + "|" +
                  std::to_string(row.srcIn) + "|" + std::to_string(row.srcOut) + "|" +
                  std::string(1, row.editType) + "|" + std::to_string(row.wipeCode) + "|" +
                  std::to_string(row.effectLength) + "|" + clip + "|" + file;
        }
        return row;
    }

    // The zero-length cut line before a transition: kept in our transitions' metadata, else
    // made from the outgoing piece (black when there is none).
    bool cutLineOf(const Piece& piece, const Piece* before, const EventRow& incoming, EventRow& cut,
                   int64_t& index) {
        const Json* mine = ours(*piece.transition);
        if (mine != nullptr) {
            const Json* line = field(*mine, "cut_line");
            if (line == nullptr || !line->is_object()) return false;
            cut = EventRow();
            cut.present = EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT |
                          EDL_P_TRACKS | EDL_P_REEL;
            cut.editType = 'C';
            cut.wipeCode = 0xFFFFFFFFu;
            ourFields(cut, *line);
            if (!mdInteger(line, "event", index)) index = -1;
            int64_t value = 0;
            cut.recIn = cut.recOut =
                mdInteger(line, "record_in", value) ? asFrames(value) : incoming.recIn;
            cut.srcIn = mdInteger(line, "source_in", value) ? asFrames(value) : 0;
            cut.srcOut = mdInteger(line, "source_out", value) ? asFrames(value) : cut.srcIn;
            cut.markIn = mdInteger(line, "mark_in", value) ? asFrames(value) : cut.srcIn;
            cut.markOut = mdInteger(line, "mark_out", value) ? asFrames(value) : cut.srcOut;
            if (mdInteger(line, "audio_offset", value))
                cut.audioOffset =
                    static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
            std::string clip, file;
            mdText(line, "clip_name", clip);
            mdText(line, "file", file);
            setNames(cut, clip, file);
            return true;
        }
        cut = EventRow();
        cut.present =
            EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT | EDL_P_TRACKS | EDL_P_REEL;
        cut.editType = 'C';
        cut.wipeCode = 0xFFFFFFFFu;
        cut.recIn = cut.recOut = incoming.recIn;
        index = -1;
        if (before != nullptr && before->recIn + before->length == piece.recIn) {
            cut.reel = reelOf(*before);
            EventRow out;
            placeTimes(out, *before, ours(*before->item));
            cut.srcIn = cut.srcOut = out.srcOut;
        } else {
            cut.reel = "BL";
        }
        cut.markIn = cut.markOut = cut.srcIn;
        return true;
    }

    void buildEvents() {
        std::vector<Built> built;
        std::map<std::string, size_t> byKey;
        for (size_t t = 0; t < tracks_.size(); ++t) {
            const Track& track = tracks_[t];
            for (size_t i = 0; i < track.pieces.size(); ++i) {
                const Piece& piece = track.pieces[i];
                const Piece* before = i > 0 ? &track.pieces[i - 1] : nullptr;
                std::string key;
                std::vector<std::string> notices;
                EventRow row = eventOf(piece, before, key, notices);
                const uint32_t bit = 1u << track.bit;
                const auto found = byKey.find(key);
                if (found != byKey.end()) {
                    Built& b = built[found->second];
                    b.row.videoTracks |= track.audio ? 0 : bit;
                    b.row.audioTracks |= track.audio ? bit : 0;
                    continue;
                }
                // A warning is given once per event, not once per track.
                warnings_.insert(warnings_.end(), notices.begin(), notices.end());
                Built b;
                const Json* mine = ours(*piece.item);
                int64_t index = -1;
                b.index = mine != nullptr && mdInteger(mine, "event", index) ? index : -1;
                const bool trackless = b.index >= 0 && row.videoTracks == 0 && row.audioTracks == 0;
                b.row = row;
                b.row.videoTracks = track.audio ? 0 : bit;
                b.row.audioTracks = track.audio ? bit : 0;
                // An event that names no track is placed on V1 and keeps naming none.
                if (trackless) trackless_.push_back(built.size());
                b.firstTrack = t;
                if (piece.transition != nullptr)
                    b.hasCut = cutLineOf(piece, before, row, b.cut, b.cutIndex);
                byKey.emplace(key, built.size());
                built.push_back(std::move(b));
            }
        }
        for (size_t i : trackless_) built[i].row.videoTracks = built[i].row.audioTracks = 0;

        // Events written here keep their order; others go by record in, then by track.
        std::vector<size_t> order(built.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        bool allOurs = true;
        for (const Built& b : built) allOurs = allOurs && b.index >= 0;
        std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
            const Built& a = built[x];
            const Built& b = built[y];
            if (allOurs) return a.index < b.index;
            if (a.row.recIn != b.row.recIn) return a.row.recIn < b.row.recIn;
            return a.firstTrack < b.firstTrack;
        });
        uint32_t number = 0;
        for (size_t i : order) {
            Built& b = built[i];
            if (b.index >= 0 && (b.row.present & EDL_P_EDIT_NUMBER) != 0) {
                number = std::max(number, b.row.editNumber);
            } else if (b.index < 0) {
                b.row.editNumber = ++number;
                b.row.present |= EDL_P_EDIT_NUMBER;
            }
            if (b.hasCut) {
                if (b.cutIndex < 0) {
                    b.cut.editNumber = b.row.editNumber;
                    b.cut.present |= b.row.present & EDL_P_EDIT_NUMBER;
                    b.cut.videoTracks = b.row.videoTracks;
                    b.cut.audioTracks = b.row.audioTracks;
                }
                events_.push_back(b.cut);
            }
            events_.push_back(b.row);
        }
    }

    std::vector<std::string>& warnings_;
    unsigned mode_ = EDL_TC_NDF;
    std::vector<Track> tracks_;
    std::vector<size_t> trackless_;
    std::vector<EventRow> events_;
};

std::string lineAndColumn(const std::string& text, size_t byte) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::string readOtioText(const std::string& text, const std::string& name, ListData& out,
                         std::vector<std::string>& warnings) {
    out.path = name;
    out.interchange = true;
    out.events.clear();
    if (nestedTooDeep(text)) return "not an OTIO timeline: JSON nested deeper than 64 levels";
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error& error) {
        return "not JSON (syntax error at " + lineAndColumn(text, error.byte) + ")";
    } catch (const Json::exception&) {
        // Valid JSON this reader cannot hold: a number beyond the range of a double.
        return "not JSON this tool can read (a number out of range)";
    }
    std::vector<std::string> found;
    try {
        TimelineReader reader(found);
        reader.read(root, name, out);
    } catch (const Failure& failure) {
        out.events.clear();
        return failure.reason;
    } catch (const Json::exception& error) {
        out.events.clear();
        return std::string("not a readable OTIO timeline (") + error.what() + ")";
    }
    warnings.insert(warnings.end(), found.begin(), found.end());
    return std::string();
}

std::string readOtio(const std::string& path, ListData& out, std::vector<std::string>& warnings) {
    out.path = path;
    out.events.clear();
    const platform::FileStatus status = platform::fileStatus(path);
    switch (status.kind) {
        case platform::FileKind::Missing: return "cannot open: " + errorText(status.error);
        case platform::FileKind::Directory: return "cannot open: is a directory";
        case platform::FileKind::Stream:
        case platform::FileKind::Other: return "cannot open: not a regular file";
        case platform::FileKind::Regular: break;
    }
    if (status.size > kMaxFileSize) return "cannot read: larger than 256 MB";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "cannot open: " + errorText(errno);
    std::string text(static_cast<size_t>(status.size), '\0');
    const size_t got = std::fread(&text[0], 1, text.size(), file);
    std::fclose(file);
    text.resize(got);
    return readOtioText(text, path, out, warnings);
}

bool isOtioFile(const std::string& path) {
    const std::string suffix = ".otio";
    if (path.size() >= suffix.size() &&
        strcasecmp(path.c_str() + path.size() - suffix.size(), suffix.c_str()) == 0) {
        return true;
    }
    if (platform::fileStatus(path).kind != platform::FileKind::Regular) return false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    // The key is looked for in the first 64 KB; OTIO writes it first in every object.
    std::string head(65536, '\0');
    head.resize(std::fread(&head[0], 1, head.size(), file));
    std::fclose(file);
    size_t first = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    first = head.find_first_not_of(" \t\r\n", first);
    return first != std::string::npos && head[first] == '{' &&
           head.find("\"OTIO_SCHEMA\"") != std::string::npos;
}

std::string readAnyList(const std::string& path, ListData& out, bool legacy,
                        std::vector<std::string>& warnings) {
    return isOtioFile(path) ? readOtio(path, out, warnings) : readList(path, out, legacy);
}

}  // namespace edlbtool
