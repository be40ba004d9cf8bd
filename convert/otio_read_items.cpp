// The items of a track: clips, gaps and the transitions between them, and the media a clip
// names.
#include <algorithm>
#include <cstdio>

#include "otio_common.h"
#include "otio_reader.h"

namespace edlbtool {
namespace otio {
namespace {

const Value* activeMedia(const Value& clip, const std::string& path, long version) {
    if (version == 1) {
        const Value* media = field(clip, "media_reference");
        if (media != nullptr) requireObject(*media, Where(path, "media_reference"));
        return media;
    }
    const Value* references = field(clip, "media_references");
    if (references == nullptr) return nullptr;
    if (!references->is_object()) fail("media_references is not an object at " + path);
    std::string key = text(clip, "active_media_reference_key", path);
    if (key.empty()) key = kDefaultMedia;
    const Value* media = field(*references, key.c_str());
    if (media != nullptr && !media->is_object())
        fail("not an object at " + path + ".media_references." + key);
    return media;
}

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The path of a "file://" URL: its host left out, its %XX escapes decoded.
std::string filePath(const std::string& url) {
    std::string rest = url.substr(7);
    if (!rest.empty() && rest[0] != '/') {
        const size_t slash = rest.find('/');
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
    }
    std::string file;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexDigit(rest[i + 1]) >= 0 &&
            hexDigit(rest[i + 2]) >= 0) {
            file += static_cast<char>(hexDigit(rest[i + 1]) * 16 + hexDigit(rest[i + 2]));
            i += 2;
        } else {
            file += rest[i];
        }
    }
    return file;
}

int64_t integerField(const Value& object, const char* key, int64_t otherwise) {
    const Value* value = field(object, key);
    return value != nullptr && value->is_number_integer() ? value->integer() : otherwise;
}

// An image sequence as a list names it: the frames the clip uses in brackets,
// 'shot_010.[1001-1020].exr', zero-padded as the sequence is.
std::string imageSequence(const Value& clip, const std::string& path, const Value& media,
                          const Where& where, const Clock& clock) {
    const int padding = static_cast<int>(std::clamp<int64_t>(
        integerField(media, "frame_zero_padding", 0), 0, 16));
    const int64_t step = std::clamp<int64_t>(integerField(media, "frame_step", 1), 1, kMaxFrames);
    int64_t first = std::clamp<int64_t>(integerField(media, "start_frame", 1), 0, kMaxFrames);
    Range used, available;
    const bool trimmed = clock.range(clip, "source_range", path, used);
    const bool known = clock.range(media, "available_range", where, available);
    if (trimmed && known) first += std::clamp<int64_t>(used.start - available.start, 0, kMaxFrames) * step;
    const int64_t frames = std::max<int64_t>(trimmed ? used.duration : known ? available.duration : 1, 1);
    first = std::min(first, kMaxFrames);
    const int64_t last = std::min<int64_t>(first + (frames - 1) * step, kMaxFrames);
    char range[64];
    std::snprintf(range, sizeof range, "[%0*lld-%0*lld]", padding, static_cast<long long>(first),
                  padding, static_cast<long long>(last));
    std::string base = text(media, "target_url_base", where);
    if (!base.empty() && base.back() != '/') base += '/';
    return base + text(media, "name_prefix", where) + range + text(media, "name_suffix", where);
}

Piece clipPiece(const Value& clip, const std::string& path, long version, const Clock& clock,
                std::string& effectNotes) {
    Piece piece;
    Range r;
    if (!clock.range(clip, "source_range", path, r)) {
        // A clip without a trim shows all of its media.
        const Value* media = activeMedia(clip, path, version);
        if (media == nullptr || !clock.range(*media, "available_range", Where(path, "media"), r)) {
            fail("missing source_range at " + path);
        }
    }
    piece.srcIn = r.start;
    piece.length = r.duration;
    readEffects(clip, path, piece, effectNotes);
    readMarkers(clip, path, r.start, clock, piece);
    return piece;
}

// Markers are read before the piece has its place: they move with it.
void placeAt(Piece& piece, int64_t recIn) {
    for (MarkerAt& marker : piece.markers) marker.record += recIn - piece.recIn;
    piece.recIn = recIn;
}

// A gap is an event when it is ours, or when a transition goes into it (to black).
void appendGap(const Value& gap, const std::string& path, const Clock& clock, Flat& flat,
               Pending& pending) {
    const Range r = clock.requiredRange(gap, path);
    Piece piece;
    piece.recIn = flat.duration;
    piece.length = r.duration;
    piece.srcIn = r.start;
    flat.duration += r.duration;
    const Value* mine = ours(gap);
    if (mine != nullptr && field(*mine, "event") != nullptr) {
        readMarkers(gap, path, r.start, clock, piece);
        piece.facts = itemFacts(gap, path, true, clock);
        place(std::move(piece), flat, pending);
    } else if (pending.transition != nullptr) {
        piece.srcIn = 0;
        piece.facts = itemFacts(gap, path, true, clock);
        place(std::move(piece), flat, pending);
    }
}

void readTransition(const Value& transition, const std::string& path, const Clock& clock,
                    Pending& pending, std::vector<std::string>& warnings) {
    if (pending.transition != nullptr) {
        warnings.push_back("transition at " + pending.path + " is followed by another: left out");
    }
    std::shared_ptr<TransitionFacts> facts(new TransitionFacts);
    if (const Value* mine = ours(transition)) facts->mine = ownTree(*mine);
    pending.transition = facts;
    pending.path = path;
    const Value* in = field(transition, "in_offset");
    const Value* out = field(transition, "out_offset");
    if (in == nullptr) fail("missing in_offset at " + path);
    if (out == nullptr) fail("missing out_offset at " + path);
    facts->in = clock.frames(*in, path + ".in_offset");
    facts->out = clock.frames(*out, path + ".out_offset");
    if (facts->in < 0 || facts->out < 0) fail("negative transition offset at " + path);
}

}  // namespace

bool appendItem(const Value& item, const std::string& path, const Clock& clock, Flat& flat,
                Pending& pending, std::vector<std::string>& warnings) {
    const auto [family, version] = splitSchema(schemaOf(item, path));
    if (family == "Transition" && version == 1) {
        readTransition(item, path, clock, pending, warnings);
    } else if (family == "Clip" && (version == 1 || version == 2)) {
        std::string effectNotes;
        Piece piece = clipPiece(item, path, version, clock, effectNotes);
        placeAt(piece, flat.duration);
        flat.duration += piece.length;
        if (enabled(item)) {
            piece.facts = itemFacts(item, path, false, clock, effectNotes);
            place(std::move(piece), flat, pending);
        }
    } else if (family == "Gap" && version == 1) {
        appendGap(item, path, clock, flat, pending);
    } else {
        return false;
    }
    return true;
}

void place(Piece piece, Flat& flat, Pending& pending) {
    if (pending.transition != nullptr) {
        piece.transition = pending.transition;
        pending = Pending();
    }
    flat.pieces.push_back(std::move(piece));
}

std::string mediaFile(const Value& clip, const std::string& path, long version, const Clock& clock) {
    const Value* media = activeMedia(clip, path, version);
    if (media == nullptr) return std::string();
    const Where where(path, "media");
    const std::string family = splitSchema(schemaOf(*media, where)).first;
    std::string url;
    if (family == "ExternalReference") {
        url = text(*media, "target_url", where);
    } else if (family == "ImageSequenceReference") {
        url = imageSequence(clip, path, *media, where, clock);
    }
    return url.compare(0, 7, "file://") == 0 ? filePath(url) : url;
}

}  // namespace otio
}  // namespace edlbtool
