// Compositions (stacks and tracks) flattened into pieces placed in record time: nested
// tracks and stacks by their place and with their trims, the top layer of a stack winning.
#include <algorithm>
#include <cstdlib>

#include "otio_common.h"
#include "otio_reader.h"

namespace edlbtool {
namespace otio {
namespace {

// The part of a piece between from and to (record positions inside it).
Piece cut(const Piece& piece, int64_t from, int64_t to) {
    Piece part = piece;
    part.recIn = from;
    part.length = to - from;
    part.srcIn = derivedSourceOut(piece.srcIn, from - piece.recIn, piece.scalar);
    if (from != piece.recIn) part.transition = nullptr;
    part.markers.clear();
    for (const MarkerAt& marker : piece.markers) {
        // A marker placed through the clip stays with the part that holds its place; one
        // only on a record time with the piece's first part.
        if (!marker.inSource ? from == piece.recIn
                             : marker.record >= from &&
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

// What a trim of a composition shows of it, from the trim's start. A trim cuts only into
// the content: a window that starts before it (a negative start, which is how OTIO's CMX
// reader places a list's first record in) shows all of it, each piece later by the start.
Flat trimmedTo(Flat flat, const Range& trim) {
    const int64_t windowEnd = trim.start < 0 ? std::max(trim.start + trim.duration, flat.duration)
                                             : trim.start + trim.duration;
    // A window that holds every piece whole cuts nothing: the pieces only move.
    bool whole = true;
    for (const Piece& piece : flat.pieces) {
        whole = whole && piece.recIn >= trim.start && piece.recIn + piece.length <= windowEnd &&
                (piece.length > 0 || piece.recIn < windowEnd);
    }
    if (whole) {
        shift(flat, -trim.start);
        flat.duration = trim.duration;
        return flat;
    }
    Flat out;
    out.duration = trim.duration;
    const int64_t from = trim.start;
    const int64_t to = trim.start < 0 ? std::max(trim.start + trim.duration, flat.duration)
                                      : trim.start + trim.duration;
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

// A transition whose in_offset reaches back into the item before it starts the incoming
// event that much earlier: an edit list's transition begins at its cut point.
void openTransitions(Pieces& pieces) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        Piece& in = pieces[i];
        if (in.transition == nullptr || in.transition->in == 0) continue;
        int64_t room = in.transition->in;
        // The incoming source cannot start before its first frame.
        if (in.scalar <= 0 || derivedSourceOut(in.srcIn, -room, in.scalar) < 0) continue;
        if (i > 0) {
            Piece& out = pieces[i - 1];
            const int64_t outEnd = out.recIn + out.length;
            room =
                outEnd == in.recIn ? std::min(room, out.length) : std::min(room, in.recIn - outEnd);
            if (outEnd == in.recIn) out.length -= room;
        }
        in.recIn -= room;
        in.length += room;
        in.srcIn = derivedSourceOut(in.srcIn, -room, in.scalar);
    }
}

// A stack's layers, the last on top: each shows where the layers above it show nothing. The
// stack lasts as long as its longest layer.
Flat layered(const std::vector<Flat>& layers) {
    Flat out;
    std::vector<std::pair<int64_t, int64_t>> covered;
    for (size_t l = layers.size(); l-- > 0;) {
        out.duration = std::max(out.duration, layers[l].duration);
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

}  // namespace

bool Flattener::isComposition(const std::string& family) {
    return family == "Track" || family == "Sequence" || family == "Stack";
}

Flattener::Open Flattener::open(bool stack, const std::string& path) {
    Open composition;
    composition.stack = stack;
    composition.path = path;
    return composition;
}

std::string Flattener::childPath(const Open& composition) {
    return entryPath(composition.path, "children", composition.children);
}

void Flattener::addItem(Open& composition, const Value& item, const std::string& path) {
    ++composition.children;
    if (composition.stack) {
        Flat layer;
        Pending pending;
        if (!appendItem(item, path, clock_, layer, pending, warnings_))
            unknownSchema(schemaOf(item, path), path);
        composition.layers.push_back(std::move(layer));
        return;
    }
    if (!appendItem(item, path, clock_, composition.flat, composition.pending, warnings_))
        unknownSchema(schemaOf(item, path), path);
}

void Flattener::addComposition(Open& composition, Flat inner) {
    const std::string path = childPath(composition);
    ++composition.children;
    if (composition.stack) {
        composition.layers.push_back(std::move(inner));
        return;
    }
    Flat& flat = composition.flat;
    Pending& pending = composition.pending;
    const int64_t at = flat.duration;
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
        warnings_.push_back("transition at " + pending.path + " has no clip after it: left out");
        pending = Pending();
    }
}

Flat Flattener::close(Open& composition, const Value& head) {
    Flat flat;
    if (composition.stack) {
        flat = layered(composition.layers);
    } else {
        if (composition.pending.transition != nullptr) {
            warnings_.push_back("transition at " + composition.pending.path +
                                " has nothing after it: left out");
        }
        flat = std::move(composition.flat);
    }
    Range trim;
    const bool trimmed = clock_.range(head, "source_range", composition.path, trim);
    if (trimmed) flat = trimmedTo(std::move(flat), trim);
    // A disabled composition only takes its time.
    if (!enabled(head)) flat.pieces.clear();
    return flat;
}

Flat Flattener::composition(const Value& item, const std::string& path) {
    const std::string family = splitSchema(schemaOf(item, path)).first;
    Open open = this->open(family == "Stack", path);
    const Value* children = listField(item, "children", path);
    for (const Value& child : children != nullptr ? *children : item) {
        const std::string where = childPath(open);
        const auto [childFamily, version] = splitSchema(schemaOf(child, where));
        if (isComposition(childFamily)) {
            if (version != 1) unknownSchema(schemaOf(child, where), where);
            addComposition(open, composition(child, where));
        } else {
            addItem(open, child, where);
        }
    }
    return close(open, item);
}

namespace {

// The number of a track: its own when it is named like ours ("V2") and free, else the next
// free one.
unsigned trackNumber(const std::string& name, bool audio, uint32_t used) {
    if (name.size() >= 2 && name.size() <= 3 && name[0] == (audio ? 'A' : 'V')) {
        char* end = nullptr;
        const unsigned long n = std::strtoul(name.c_str() + 1, &end, 10);
        if (*end == '\0' && n >= 1 && n <= kTrackBits && (used & (1u << (n - 1))) == 0) {
            return static_cast<unsigned>(n);
        }
    }
    unsigned number = 0;
    while (number < kTrackBits && (used & (1u << number)) != 0) ++number;
    if (number == kTrackBits)
        fail(std::string("more than 32 ") + (audio ? "audio" : "video") + " tracks");
    return number + 1;
}

// The stack's own trim applies to every track, each lasting to its last piece's end.
void trimTracks(std::vector<Track>& tracks, const Range& trim, int64_t start) {
    for (Track& track : tracks) {
        Flat flat{track.pieces, 0};
        shift(flat, -start);
        for (const Piece& piece : flat.pieces)
            flat.duration = std::max(flat.duration, piece.recIn + piece.length);
        flat = trimmedTo(std::move(flat), trim);
        shift(flat, start);
        track.pieces = std::move(flat.pieces);
    }
}

}  // namespace

void TrackSet::add(const Value& head, const std::string& path, Flat flat) {
    const std::string schema = schemaOf(head, path);
    const std::string family = splitSchema(schema).first;
    if (family != "Track" && family != "Sequence") {
        fail("unknown OTIO schema " + quoted(schema) + " at " + path + " (a track was expected)");
    }
    Track track;
    const std::string kind = text(head, "kind", path);
    track.audio = kind == "Audio";
    if (!track.audio && kind != "Video") {
        warnings_.push_back("track kind " + quoted(kind) + " at " + path + " read as video");
    }
    // A track written here for the events that overlap on another names that one: its
    // events are that track's again.
    int64_t joined = 0;
    if (mdInteger(ours(head), "track", joined) && joined >= 1 && joined <= kTrackBits) {
        track.bit = static_cast<unsigned>(joined - 1);
    } else {
        const unsigned number =
            trackNumber(text(head, "name", path), track.audio, used_[track.audio]);
        used_[track.audio] |= 1u << (number - 1);
        track.bit = number - 1;
    }
    openTransitions(flat.pieces);
    track.pieces = std::move(flat.pieces);
    tracks_.push_back(std::move(track));
}

std::vector<Track> TrackSet::finish(const Range* stackTrim, int64_t start) {
    std::vector<Track> tracks = std::move(tracks_);
    for (Track& track : tracks) {
        Flat flat{std::move(track.pieces), 0};
        shift(flat, start);
        track.pieces = std::move(flat.pieces);
    }
    std::stable_sort(tracks.begin(), tracks.end(), [](const Track& a, const Track& b) {
        return a.audio != b.audio ? !a.audio : a.bit < b.bit;
    });
    if (stackTrim != nullptr) trimTracks(tracks, *stackTrim, start);
    return tracks;
}

}  // namespace otio
}  // namespace edlbtool
