// The items of a track: clips, gaps and the transitions between them, and the media a clip
// names.
#include <algorithm>

#include "otio_common.h"
#include "otio_reader.h"

namespace edlbtool {
namespace otio {
namespace {

const Json* activeMedia(const Json& clip, const std::string& path, long version) {
    if (version == 1) {
        const Json* media = field(clip, "media_reference");
        if (media != nullptr) requireObject(*media, path + ".media_reference");
        return media;
    }
    const Json* references = field(clip, "media_references");
    if (references == nullptr) return nullptr;
    if (!references->is_object()) fail("media_references is not an object at " + path);
    std::string key = text(clip, "active_media_reference_key", path);
    if (key.empty()) key = kDefaultMedia;
    const Json* media = field(*references, key.c_str());
    if (media != nullptr) requireObject(*media, path + ".media_references." + key);
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

Piece clipPiece(const Json& clip, const std::string& path, long version, const Clock& clock) {
    Piece piece;
    piece.item = &clip;
    piece.path = path;
    Range r;
    if (!clock.range(clip, "source_range", path, r)) {
        // A clip without a trim shows all of its media.
        const Json* media = activeMedia(clip, path, version);
        if (media == nullptr || !clock.range(*media, "available_range", path + ".media", r)) {
            fail("missing source_range at " + path);
        }
    }
    piece.srcIn = r.start;
    piece.length = r.duration;
    readEffects(clip, path, piece);
    readMarkers(clip, path, r.start, clock, piece);
    return piece;
}

// A gap is an event when it is ours, or when a transition goes into it (to black).
void appendGap(const Json& gap, const std::string& path, const Clock& clock, Flat& flat,
               Pending& pending) {
    const Range r = clock.requiredRange(gap, path);
    Piece piece;
    piece.item = &gap;
    piece.path = path;
    piece.recIn = flat.duration;
    piece.length = r.duration;
    piece.srcIn = r.start;
    piece.black = true;
    flat.duration += r.duration;
    const Json* mine = ours(gap);
    if (mine != nullptr && field(*mine, "event") != nullptr) {
        readMarkers(gap, path, r.start, clock, piece);
        place(std::move(piece), flat, pending);
    } else if (pending.transition != nullptr) {
        piece.srcIn = 0;
        place(std::move(piece), flat, pending);
    }
}

void readTransition(const Json& transition, const std::string& path, const Clock& clock,
                    Pending& pending, std::vector<std::string>& warnings) {
    if (pending.transition != nullptr) {
        warnings.push_back("transition at " + pending.path + " is followed by another: left out");
    }
    pending.transition = &transition;
    pending.path = path;
    const Json* in = field(transition, "in_offset");
    const Json* out = field(transition, "out_offset");
    if (in == nullptr) fail("missing in_offset at " + path);
    if (out == nullptr) fail("missing out_offset at " + path);
    pending.in = clock.frames(*in, path + ".in_offset");
    pending.out = clock.frames(*out, path + ".out_offset");
    if (pending.in < 0 || pending.out < 0) fail("negative transition offset at " + path);
}

}  // namespace

bool appendItem(const Json& item, const std::string& path, const Clock& clock, Flat& flat,
                Pending& pending, std::vector<std::string>& warnings) {
    const auto [family, version] = splitSchema(schemaOf(item, path));
    if (family == "Transition" && version == 1) {
        readTransition(item, path, clock, pending, warnings);
    } else if (family == "Clip" && (version == 1 || version == 2)) {
        Piece piece = clipPiece(item, path, version, clock);
        piece.recIn = flat.duration;
        flat.duration += piece.length;
        if (enabled(item)) place(std::move(piece), flat, pending);
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
        piece.inOffset = pending.in;
        piece.outOffset = pending.out;
        pending = Pending();
    }
    flat.pieces.push_back(std::move(piece));
}

std::string mediaFile(const Json& clip, const std::string& path, long version) {
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
        url = text(*media, "target_url_base", where) + text(*media, "name_prefix", where) + "%0" +
              std::to_string(padding) + "d" + text(*media, "name_suffix", where);
    }
    return url.compare(0, 7, "file://") == 0 ? filePath(url) : url;
}

}  // namespace otio
}  // namespace edlbtool
