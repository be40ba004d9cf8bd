// Compositions (stacks and tracks) flattened into pieces placed in record time: nested
// tracks and stacks by their place and with their trims, the top layer of a stack winning.
#include <algorithm>
#include <cstdlib>

#include "otio_common.h"
#include "otio_reader.h"

namespace edlbtool {
namespace otio {
namespace {

bool isComposition(const std::string& family) {
    return family == "Track" || family == "Sequence" || family == "Stack";
}

// The part of a piece between from and to (record positions inside it).
Piece cut(const Piece& piece, int64_t from, int64_t to) {
    Piece part = piece;
    part.recIn = from;
    part.length = to - from;
    part.srcIn = derivedSourceOut(piece.srcIn, from - piece.recIn, piece.scalar);
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

// What a trim of a composition shows of it, from the trim's start. A trim cuts only into
// the content: a window that starts before it (a negative start, which is how OTIO's CMX
// reader places a list's first record in) shows all of it, each piece later by the start.
Flat trimmedTo(const Flat& flat, const Range& trim) {
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
void openTransitions(std::vector<Piece>& pieces) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        Piece& in = pieces[i];
        if (in.transition == nullptr || in.inOffset == 0) continue;
        int64_t room = in.inOffset;
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

class Flattener {
public:
    Flattener(const Clock& clock, std::vector<std::string>& warnings)
        : clock_(clock), warnings_(warnings) {}

    Flat composition(const Json& item, const std::string& path) {
        const std::string family = splitSchema(schemaOf(item, path)).first;
        Flat flat = family == "Stack" ? stackOf(item, path) : trackOf(item, path);
        Range trim;
        if (clock_.range(item, "source_range", path, trim)) flat = trimmedTo(flat, trim);
        return flat;
    }

private:
    Flat trackOf(const Json& track, const std::string& path) {
        const Json* children = listField(track, "children", path);
        Flat flat;
        Pending pending;
        for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
            appendChild((*children)[i], entryPath(path, "children", i), flat, pending);
        }
        if (pending.transition != nullptr) {
            warnings_.push_back("transition at " + pending.path +
                                " has nothing after it: left out");
        }
        return flat;
    }

    Flat stackOf(const Json& stack, const std::string& path) {
        const Json* children = listField(stack, "children", path);
        std::vector<Flat> layers;
        for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
            const std::string where = entryPath(path, "children", i);
            const Json& child = (*children)[i];
            Flat layer;
            if (isComposition(splitSchema(schemaOf(child, where)).first)) {
                layer = enabledComposition(child, where);
            } else {
                Pending pending;
                appendChild(child, where, layer, pending);
            }
            layers.push_back(std::move(layer));
        }
        return layered(layers);
    }

    // A composition when it is enabled; a disabled one only takes its time: its trim, else
    // what its children add up to.
    Flat enabledComposition(const Json& item, const std::string& path) {
        if (enabled(item)) return composition(item, path);
        Flat flat;
        Range trim;
        flat.duration = clock_.range(item, "source_range", path, trim)
                            ? trim.duration
                            : composition(item, path).duration;
        return flat;
    }

    void appendChild(const Json& child, const std::string& path, Flat& flat, Pending& pending) {
        if (appendItem(child, path, clock_, flat, pending, warnings_)) return;
        const std::string schema = schemaOf(child, path);
        const auto [family, version] = splitSchema(schema);
        if (!isComposition(family) || version != 1) unknownSchema(schema, path);
        const int64_t at = flat.duration;
        Flat inner = enabledComposition(child, path);
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
    }

    const Clock& clock_;
    std::vector<std::string>& warnings_;
};

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
        flat = trimmedTo(flat, trim);
        shift(flat, start);
        track.pieces = std::move(flat.pieces);
    }
}

}  // namespace

std::vector<Track> readTracks(const Json& stack, int64_t start, const Clock& clock,
                              std::vector<std::string>& warnings) {
    const Json* children = listField(stack, "children", "tracks");
    Flattener flattener(clock, warnings);
    std::vector<Track> tracks;
    uint32_t used[2] = {0, 0};
    for (size_t i = 0; children != nullptr && i < children->size(); ++i) {
        const std::string path = entryPath("tracks", "children", i);
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
            warnings.push_back("track kind " + quoted(kind) + " at " + path + " read as video");
        }
        const unsigned number =
            trackNumber(text(child, "name", path), track.audio, used[track.audio]);
        used[track.audio] |= 1u << (number - 1);
        track.bit = number - 1;
        Flat flat = enabled(child) ? flattener.composition(child, path) : Flat();
        openTransitions(flat.pieces);
        shift(flat, start);
        track.pieces = std::move(flat.pieces);
        tracks.push_back(std::move(track));
    }
    std::stable_sort(tracks.begin(), tracks.end(), [](const Track& a, const Track& b) {
        return a.audio != b.audio ? !a.audio : a.bit < b.bit;
    });
    Range trim;
    if (clock.range(stack, "source_range", "tracks", trim)) trimTracks(tracks, trim, start);
    return tracks;
}

}  // namespace otio
}  // namespace edlbtool
