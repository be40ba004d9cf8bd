// The pieces of every track joined into events: a piece's place and trim give the times, our
// metadata the fields OTIO has none for; the clips of one event on several tracks become one
// event on those tracks, and a transition's outgoing cut line is made for it.
#include <algorithm>
#include <cstdio>
#include <map>

#include "notes.h"
#include "otio_common.h"
#include "otio_reader.h"
#include "timecode_text.h"

namespace edlbtool {
namespace otio {
namespace {

// An event as readers start it: a cut with its times, tracks and reel present.
EventRow blankEvent() {
    EventRow row;
    row.present =
        EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT | EDL_P_TRACKS | EDL_P_REEL;
    row.editType = 'C';
    row.wipeCode = 0xFFFFFFFFu;
    return row;
}

uint32_t checked(int64_t value, const std::string& what, const std::string& path) {
    if (value < 0 || value > kMaxFrames) fail(what + " out of range at " + path);
    return static_cast<uint32_t>(value);
}

int32_t asOffset(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string clipName(const Piece& piece, const Json* mine) {
    std::string name;
    if (mdText(mine, "clip_name", name)) return name;
    if (piece.black && mine == nullptr) return std::string();
    return text(*piece.item, "name", piece.path);
}

// The reel OTIO's CMX 3600 adapter keeps in a clip's metadata.
bool cmxReel(const Json& item, std::string& reel) {
    const Json* metadata = field(item, "metadata");
    const Json* cmx = metadata != nullptr && metadata->is_object() ? field(*metadata, kCmxKey)
                                                                   : nullptr;
    return cmx != nullptr && cmx->is_object() && mdText(cmx, "reel", reel);
}

// The reel of a piece: ours, else the CMX adapter's, else black's or an unknown source's.
std::string reelOf(const Piece& piece) {
    std::string reel;
    if (mdText(ours(*piece.item), "reel", reel) || cmxReel(*piece.item, reel)) return reel;
    return piece.black ? "BL" : "AX";
}

long versionOf(const Piece& piece) {
    return splitSchema(schemaOf(*piece.item, piece.path)).second;
}

void setNames(EventRow& row, const std::string& clip, const std::string& file) {
    row.clipName = clip.substr(0, EDL_CLIPNAME_SIZE - 1);
    if (!clip.empty()) row.present |= EDL_P_CLIP_NAME;
    if (!file.empty()) {
        row.name = file;
        row.present |= EDL_P_FILE_NAME;
    } else {
        row.name = clip;
    }
}

void addNote(EventRow& row, const std::string& note) {
    if (!row.comment.empty()) row.comment += '\n';
    row.comment += note;
}

// The event's times from the piece's place and trim, then what our metadata keeps.
void placeTimes(EventRow& row, const Piece& piece, const Json* mine) {
    row.recIn = checked(piece.recIn, "record time", piece.path);
    row.srcIn = checked(piece.srcIn, "source time", piece.path);
    // Ends past the last frame count stop there (a list keeps them in 32 bits).
    row.recOut = asFrames(piece.recIn + piece.length);
    row.srcOut = asFrames(derivedSourceOut(piece.srcIn, piece.length, piece.scalar));
    int64_t value = 0;
    if (mdInteger(mine, "record_in", value)) row.recIn = asFrames(value);
    if (mdInteger(mine, "record_out", value)) row.recOut = asFrames(value);
    if (mdInteger(mine, "source_out", value)) row.srcOut = asFrames(value);
    row.markIn = mdInteger(mine, "mark_in", value) ? asFrames(value) : row.srcIn;
    row.markOut = mdInteger(mine, "mark_out", value) ? asFrames(value) : row.srcOut;
    if (mdInteger(mine, "audio_offset", value)) row.audioOffset = asOffset(value);
}

// The fields our metadata keeps of an event (ours: it has them).
void ourFields(EventRow& row, const Json& mine) {
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
    if (mdInteger(&mine, "effect_length", value)) row.effectLength = static_cast<uint32_t>(value);
    mdText(&mine, "effect_text", row.effectText);
    const Json* notes = field(mine, "notes");
    if (notes != nullptr && notes->is_array()) {
        for (const Json& note : *notes) {
            if (note.is_string()) addNote(row, note.get<std::string>());
        }
    }
}

// Sets the transition of an event from the transition before its piece.
void setTransition(EventRow& row, const Piece& piece, bool ourEvent) {
    const uint32_t frames = asFrames(piece.inOffset + piece.outOffset);
    const Json* mine = ours(*piece.transition);
    if (ourEvent && isTransition(row.editType)) {
        // Ours: its fields stand unless the transition's length was changed.
        uint32_t& length = lengthInWipeCode(row) ? row.wipeCode : row.effectLength;
        length = frames;
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

// An event joined from its pieces, and the cut line made for its transition.
struct Built {
    EventRow row;
    int64_t index = -1;  // the event's place in the list it was written from; -1: not ours
    size_t firstTrack = 0;
    bool hasCut = false;
    EventRow cut;
    int64_t cutIndex = -1;
};

class EventBuilder {
public:
    EventBuilder(unsigned mode, std::vector<std::string>& warnings)
        : mode_(mode), warnings_(warnings) {}

    std::vector<EventRow> build(const std::vector<Track>& tracks) {
        std::vector<Built> built = collect(tracks);
        std::vector<EventRow> events;
        uint32_t number = 0;
        for (size_t i : listOrder(built)) {
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
                events.push_back(b.cut);
            }
            events.push_back(b.row);
        }
        return events;
    }

private:
    // One event per key, in the order of tracks and pieces; the tracks of its pieces joined.
    std::vector<Built> collect(const std::vector<Track>& tracks) {
        std::vector<Built> built;
        std::vector<size_t> trackless;
        std::map<std::string, size_t> byKey;
        for (size_t t = 0; t < tracks.size(); ++t) {
            const Track& track = tracks[t];
            const uint32_t bit = 1u << track.bit;
            for (size_t i = 0; i < track.pieces.size(); ++i) {
                const Piece& piece = track.pieces[i];
                const Piece* before = i > 0 ? &track.pieces[i - 1] : nullptr;
                std::string key;
                std::vector<std::string> notices;
                EventRow row = eventOf(piece, before, key, notices);
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
                int64_t index = -1;
                b.index = mdInteger(ours(*piece.item), "event", index) ? index : -1;
                // An event that names no track is placed on V1 and keeps naming none.
                if (b.index >= 0 && row.videoTracks == 0 && row.audioTracks == 0) {
                    trackless.push_back(built.size());
                }
                b.row = row;
                b.row.videoTracks = track.audio ? 0 : bit;
                b.row.audioTracks = track.audio ? bit : 0;
                b.firstTrack = t;
                if (piece.transition != nullptr)
                    b.hasCut = cutLineOf(piece, before, row, b.cut, b.cutIndex);
                byKey.emplace(key, built.size());
                built.push_back(std::move(b));
            }
        }
        for (size_t i : trackless) built[i].row.videoTracks = built[i].row.audioTracks = 0;
        return built;
    }

    // Events written here keep their order; others go by record in, then by track.
    static std::vector<size_t> listOrder(const std::vector<Built>& built) {
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
        return order;
    }

    // The event of a piece, and the key that finds its clips on other tracks.
    EventRow eventOf(const Piece& piece, const Piece* before, std::string& key,
                     std::vector<std::string>& notices) {
        EventRow row = blankEvent();
        const Json* mine = ours(*piece.item);
        int64_t index = 0;
        const bool ourEvent = mine != nullptr && mdInteger(mine, "event", index);
        if (ourEvent) {
            ourFields(row, *mine);
            // Ours names the reel; a pipeline may have left only the CMX adapter's.
            if (field(*mine, "reel") == nullptr) cmxReel(*piece.item, row.reel);
        } else {
            row.reel = reelOf(piece);
        }
        placeTimes(row, piece, ourEvent ? mine : nullptr);
        if (piece.transition != nullptr) setTransition(row, piece, ourEvent);

        const std::string clip = clipName(piece, ourEvent ? mine : nullptr);
        const std::string file =
            piece.black ? std::string() : mediaFile(*piece.item, piece.path, versionOf(piece));
        setNames(row, clip, file);
        if (!ourEvent) foreignNotes(row, piece, before, clip, file, notices);
        for (const std::string& note : piece.effectNotes) addNote(row, note);
        markerNotes(row, piece, ourEvent);
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

    // The names a list carries as notes: on the line of a transition the outgoing clip is
    // "FROM" and the incoming "TO"; a clip name behind a file name is a note too. A time warp
    // is kept as an "M2" note, with a notice.
    void foreignNotes(EventRow& row, const Piece& piece, const Piece* before,
                      const std::string& clip, const std::string& file,
                      std::vector<std::string>& notices) const {
        if (piece.transition != nullptr) {
            const std::string from =
                before != nullptr ? clipName(*before, ours(*before->item)) : std::string();
            if (!from.empty()) addNote(row, "FROM CLIP NAME: " + from);
            if (!clip.empty()) addNote(row, "TO CLIP NAME: " + clip);
        } else if (!file.empty() && !clip.empty()) {
            addNote(row, "FROM CLIP NAME: " + clip);
        }
        if (piece.scalar == 1.0) return;
        const double speed = piece.scalar * modeInfo(mode_).fps;
        const std::string note = m2Line(row.reel, speed, row.srcIn, mode_);
        addNote(row, note);
        char scalar[96];
        std::snprintf(scalar, sizeof scalar, "time_scalar %g (%.1f fps)", piece.scalar, speed);
        notices.push_back("clip " + quoted(clip) + " at " + piece.path + ": " + scalar +
                          " kept as the note '" + note + "'");
    }

    // Markers as "LOC:" notes, but for the notes of ours they were written from.
    void markerNotes(EventRow& row, const Piece& piece, bool ourEvent) const {
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
    }

    // The zero-length cut line before a transition: kept in our transitions' metadata, else
    // made from the outgoing piece (black when there is none). False when ours keeps none.
    bool cutLineOf(const Piece& piece, const Piece* before, const EventRow& incoming, EventRow& cut,
                   int64_t& index) const {
        cut = blankEvent();
        index = -1;
        if (const Json* mine = ours(*piece.transition)) {
            const Json* line = field(*mine, "cut_line");
            if (line == nullptr || !line->is_object()) return false;
            ourCutLine(*line, incoming, cut, index);
            return true;
        }
        cut.recIn = cut.recOut = incoming.recIn;
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

    static void ourCutLine(const Json& line, const EventRow& incoming, EventRow& cut,
                           int64_t& index) {
        ourFields(cut, line);
        if (!mdInteger(&line, "event", index)) index = -1;
        int64_t value = 0;
        cut.recIn = cut.recOut =
            mdInteger(&line, "record_in", value) ? asFrames(value) : incoming.recIn;
        cut.srcIn = mdInteger(&line, "source_in", value) ? asFrames(value) : 0;
        cut.srcOut = mdInteger(&line, "source_out", value) ? asFrames(value) : cut.srcIn;
        cut.markIn = mdInteger(&line, "mark_in", value) ? asFrames(value) : cut.srcIn;
        cut.markOut = mdInteger(&line, "mark_out", value) ? asFrames(value) : cut.srcOut;
        if (mdInteger(&line, "audio_offset", value)) cut.audioOffset = asOffset(value);
        std::string clip, file;
        mdText(&line, "clip_name", clip);
        mdText(&line, "file", file);
        setNames(cut, clip, file);
    }

    const unsigned mode_;
    std::vector<std::string>& warnings_;
};

}  // namespace

std::vector<EventRow> buildEvents(const std::vector<Track>& tracks, unsigned mode,
                                  std::vector<std::string>& warnings) {
    return EventBuilder(mode, warnings).build(tracks);
}

}  // namespace otio
}  // namespace edlbtool
