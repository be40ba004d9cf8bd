// The pieces of every track joined into events: a piece's place and trim give the times, our
// metadata the fields OTIO has none for; the clips of one event on several tracks become one
// event on those tracks, and a transition's outgoing cut line is made for it.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "cdl.h"
#include "columns/column_names.h"
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

uint32_t checked(int64_t value, const std::string& what, const ItemFacts& facts) {
    if (value < 0 || value > kMaxFrames)
        fail(what + " out of range at " + facts.path());
    return static_cast<uint32_t>(value);
}

int32_t asOffset(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The reel OTIO's CMX 3600 adapter keeps in a clip's metadata.
bool cmxReel(const Value& item, std::string& reel) {
    const Value* metadata = field(item, "metadata");
    const Value* cmx = metadata != nullptr && metadata->is_object() ? field(*metadata, kCmxKey)
                                                                   : nullptr;
    return cmx != nullptr && cmx->is_object() && mdText(cmx, "reel", reel);
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
void placeTimes(EventRow& row, const Piece& piece) {
    const ItemFacts& facts = piece.facts;
    row.recIn = checked(piece.recIn, "record time", facts);
    row.srcIn = checked(piece.srcIn, "source time", facts);
    // Ends past the last frame count stop there (a list keeps them in 32 bits).
    row.recOut = asFrames(piece.recIn + piece.length);
    row.srcOut = asFrames(derivedSourceOut(piece.srcIn, piece.length, piece.scalar));
    // A held frame is one frame of its source, as a list gives it.
    if (facts.freeze && !facts.ours) row.srcOut = asFrames(int64_t{row.srcIn} + 1);
    uint32_t times[ItemFacts::kKeptCount] = {};
    facts.keptTimes(times);
    const auto kept = [&](ItemFacts::Kept which, uint32_t& out) {
        if ((facts.kept & (1u << which)) != 0) out = times[which];
    };
    kept(ItemFacts::kRecordIn, row.recIn);
    kept(ItemFacts::kRecordOut, row.recOut);
    kept(ItemFacts::kSourceOut, row.srcOut);
    row.markIn = row.srcIn;
    row.markOut = row.srcOut;
    kept(ItemFacts::kMarkIn, row.markIn);
    kept(ItemFacts::kMarkOut, row.markOut);
    if ((facts.kept & (1u << ItemFacts::kAudioOffset)) != 0)
        row.audioOffset = static_cast<int32_t>(times[ItemFacts::kAudioOffset]);
}

// The fields our metadata keeps of an event (ours: it has them).
void ourFields(EventRow& row, const Value& mine) {
    int64_t value = 0;
    if (mdInteger(&mine, "edit", value) && value >= 0) {
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
    const Value* notes = field(mine, "notes");
    if (notes != nullptr && notes->is_array()) {
        for (const Value& note : *notes) {
            if (note.is_string()) addNote(row, note.string());
        }
    }
}

// Sets the transition of an event from the transition before its piece.
void setTransition(EventRow& row, const Piece& piece, bool ourEvent) {
    const uint32_t frames = asFrames(piece.transition->in + piece.transition->out);
    const Value* mine = piece.transition->ourMetadata();
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

using Built = TimelineEvents::Store::Built;
using Cut = TimelineEvents::Store::Cut;

class EventBuilder {
public:
    EventBuilder(unsigned mode, std::vector<std::string>& warnings)
        : mode_(mode), warnings_(warnings) {}

    void build(std::vector<Track>& tracks, TimelineEvents::Store& out) {
        out = TimelineEvents::Store();
        collect(tracks, out.built);
        out.count = out.built.size();
        for (const Built& b : out.built) out.count += b.cut != nullptr ? 1 : 0;
        out.order = listOrder(out.built);
    }

private:
    // One event per key, in the order of tracks and pieces; the tracks of its pieces joined.
    // The pieces of each track are given up as they are read.
    void collect(std::vector<Track>& tracks, std::deque<Built>& built) {
        std::vector<size_t> trackless;
        // Only clips of several tracks can be one event.
        const bool joined = tracks.size() > 1;
        std::unordered_map<std::string, size_t> byKey;
        for (size_t t = 0; t < tracks.size(); ++t) {
            Track& track = tracks[t];
            const uint32_t bit = 1u << track.bit;
            int64_t lastIndex = 0;
            for (size_t i = 0; i < track.pieces.size(); ++i) {
                // Only the piece before is looked back at: those before it are given up.
                if (i == 2) {
                    track.pieces.pop_front();
                    i = 1;
                }
                const Piece& piece = track.pieces[i];
                Piece* before = i > 0 ? &track.pieces[i - 1] : nullptr;
                // A clip of ours that does not say its place follows the one before it.
                int64_t index = piece.facts.index;
                if (piece.facts.ours) {
                    if (index <= 0) index = lastIndex < INT64_MAX ? lastIndex + 1 : lastIndex;
                    lastIndex = index;
                }
                std::string key;
                std::vector<std::string> notices;
                EventRow row = eventOf(piece, before, joined, index, key, notices);
                const auto found = joined ? byKey.find(key) : byKey.end();
                if (found != byKey.end()) {
                    RowNumbers& numbers = built[found->second].row.numbers;
                    numbers.videoTracks |= track.audio ? 0 : bit;
                    numbers.audioTracks |= track.audio ? bit : 0;
                    continue;
                }
                // A warning is given once per event, not once per track.
                warnings_.insert(warnings_.end(), notices.begin(), notices.end());
                Built b;
                b.index = index;
                b.editFollows = piece.facts.editFollows;
                b.wipeFollows = piece.facts.wipeFollows;
                // An event that names no track is placed on V1 and keeps naming none.
                if (b.index >= 0 && row.videoTracks == 0 && row.audioTracks == 0) {
                    trackless.push_back(built.size());
                }
                if (piece.transition != nullptr) {
                    EventRow cut;
                    int64_t cutIndex = -1;
                    if (cutLineOf(piece, before, row, cut, cutIndex)) {
                        b.cut.reset(new Cut);
                        b.cut->row = PackedRow(cut);
                        b.cut->index = cutIndex;
                    }
                }
                row.videoTracks = track.audio ? 0 : bit;
                row.audioTracks = track.audio ? bit : 0;
                b.row = PackedRow(row);
                b.firstTrack = static_cast<uint32_t>(t);
                if (joined) byKey.emplace(std::move(key), built.size());
                built.push_back(std::move(b));
            }
            Pieces().swap(track.pieces);
        }
        for (size_t i : trackless) {
            RowNumbers& numbers = built[i].row.numbers;
            numbers.videoTracks = numbers.audioTracks = 0;
        }
    }

    // Events written here keep their order; others go by record in, then by track. Empty when
    // they are in that order as they are.
    static std::vector<size_t> listOrder(const std::deque<Built>& built) {
        bool allOurs = true;
        for (const Built& b : built) allOurs = allOurs && b.index >= 0;
        const auto before = [&](size_t x, size_t y) {
            const Built& a = built[x];
            const Built& b = built[y];
            if (allOurs) return a.index < b.index;
            if (a.row.numbers.recIn != b.row.numbers.recIn)
                return a.row.numbers.recIn < b.row.numbers.recIn;
            return a.firstTrack < b.firstTrack;
        };
        // A track read in order is in list order already.
        std::vector<size_t> order;
        for (size_t i = 1; i < built.size(); ++i) {
            if (before(i, i - 1)) {
                order.resize(built.size());
                for (size_t j = 0; j < order.size(); ++j) order[j] = j;
                std::stable_sort(order.begin(), order.end(), before);
                break;
            }
        }
        return order;
    }

    // The event of a piece, and the key that finds its clips on other tracks.
    EventRow eventOf(const Piece& piece, const Piece* before, bool keyed, int64_t index,
                     std::string& key, std::vector<std::string>& notices) {
        const ItemFacts& facts = piece.facts;
        EventRow row = facts.row();
        placeTimes(row, piece);
        if (piece.transition != nullptr) setTransition(row, piece, facts.ours);
        const std::string clip = facts.text(ItemFacts::kClip);
        const std::string file = facts.text(ItemFacts::kFile);
        if (!facts.ours) foreignNotes(row, piece, before, clip, file, notices);
        // Notes rebuilt: the clip name (given), the markers' notes, the adapter's comments.
        if (facts.notesRebuilt) markerNotes(row, piece, false, notices);
        const std::string notes = facts.text(ItemFacts::kNotes);
        if (!notes.empty()) addNote(row, notes);
        const std::string effects = facts.text(ItemFacts::kEffects);
        if (!effects.empty()) addNote(row, effects);
        if (!facts.notesRebuilt) markerNotes(row, piece, facts.ours, notices);
        if (!keyed) {
            return row;
        } else if (facts.ours) {
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
            const std::string from = before != nullptr ? before->facts.text(ItemFacts::kClip) : std::string();
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
        notices.push_back("clip " + quoted(clip) + " at " + piece.facts.path() +
                          ": " + scalar +
                          " kept as the note '" + note + "'");
    }

    // Markers as "LOC:" notes, but for the notes of ours they were written from when the
    // event keeps its notes (keptNotes); a marker of ours is its note. Of others, a marked
    // time within the event's record times is a record time, as OTIO's CMX 3600 adapter
    // keeps a list's "LOC:" timecode and as its writer gives it back; else one within the
    // clip's source range is the clip's own (source) time, placed through the clip; any
    // other is reported and left out. A marker's comment and length go with its name.
    void markerNotes(EventRow& row, const Piece& piece, bool keptNotes,
                     std::vector<std::string>& notices) const {
        for (const MarkerAt& marker : piece.markers) {
            const std::string name = marker.name();
            std::string written = marker.note();
            if (written.empty() && marker.ours)
                written = locatorNote(asFrames(marker.raw), mode_, marker.color(), name);
            if (!written.empty() && keptNotes &&
                ("\n" + row.comment + "\n").find("\n" + written + "\n") != std::string::npos) {
                continue;  // the note it was written from is there
            }
            if (marker.ours) {
                addNote(row, written);
                continue;
            }
            const bool onRecord =
                marker.raw >= row.recIn && (marker.raw < row.recOut || marker.raw == row.recIn);
            if (!onRecord && !(marker.inSource && marker.record >= 0)) {
                notices.push_back("marker " + quoted(name) + " at " +
                                  piece.facts.path() +
                                  " lies outside its clip: left out");
                continue;
            }
            const int64_t at = onRecord ? marker.raw : marker.record;
            std::string note = "LOC: " + timecodeText(asFrames(at), mode_);
            const std::string color = marker.color();
            if (!color.empty()) note += " " + color;
            const std::string text = locText(name, marker.comment(), asFrames(marker.duration));
            if (!text.empty()) note += " " + text;
            addNote(row, note);
        }
    }

    // The zero-length cut line before a transition: kept in our transitions' metadata, else
    // made from the outgoing piece (black when there is none). False when ours keeps none.
    bool cutLineOf(const Piece& piece, const Piece* before, const EventRow& incoming, EventRow& cut,
                   int64_t& index) const {
        cut = blankEvent();
        index = -1;
        if (const Value* mine = piece.transition->ourMetadata()) {
            const Value* line = field(*mine, "cut_line");
            if (line == nullptr || !line->is_object()) return false;
            ourCutLine(*line, incoming, cut, index);
            return true;
        }
        cut.recIn = cut.recOut = incoming.recIn;
        if (before != nullptr && before->recIn + before->length == piece.recIn) {
            cut.reel = before->facts.text(ItemFacts::kReel);
            EventRow out;
            placeTimes(out, *before);
            cut.srcIn = cut.srcOut = out.srcOut;
        } else {
            cut.reel = "BL";
        }
        cut.markIn = cut.markOut = cut.srcIn;
        return true;
    }

    static void ourCutLine(const Value& line, const EventRow& incoming, EventRow& cut,
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

// The reel OTIO's CMX 3600 writer gives a clip that names none: from the media file's name,
// else the clip's, its extension and every character but letters, digits and spaces left
// out, cut to eight characters ('Clip_A.mov' gives 'ClipA').
std::string derivedReel(const std::string& clip, const std::string& file) {
    std::string from = clip;
    if (!file.empty()) {
        const size_t slash = file.find_last_of("/\\");
        from = slash == std::string::npos ? file : file.substr(slash + 1);
    }
    const size_t dot = from.rfind('.');
    if (dot != std::string::npos && dot + 1 < from.size() &&
        std::all_of(from.begin() + static_cast<std::ptrdiff_t>(dot) + 1, from.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
        from.erase(dot);
    }
    std::string reel;
    for (char c : from) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x80 && (std::isalnum(u) != 0 || c == ' ')) reel += c;
        if (reel.size() == 8) break;
    }
    return reel.empty() || reel.find_first_not_of(' ') == std::string::npos ? "AX" : reel;
}

// The note lines OTIO's CMX 3600 adapter kept of a clip without reading them, then those of
// the grade it read ("cdl") unless the grade comes as written from a log's cells.
std::string adapterComments(const Value& item, bool gradeInCells = false) {
    const Value* cmx = metadataOf(item, kCmxKey);
    const Value* comments = cmx != nullptr ? field(*cmx, "comments") : nullptr;
    std::vector<std::string> lines;
    if (comments != nullptr && comments->is_array()) {
        for (const Value& line : *comments) {
            if (line.is_string()) lines.push_back(line.string());
        }
    }
    const Value* cdl = gradeInCells ? nullptr : metadataOf(item, "cdl");
    if (cdl != nullptr) {
        for (const std::string& note : cdlNotes(toJson(*cdl))) lines.push_back(note);
    }
    std::string notes;
    for (const std::string& line : lines) notes += (notes.empty() ? "" : "\n") + line;
    return notes;
}

// The cells of a log's columns that no reader interprets (Scene, Take, any custom column)
// as the column reader keeps them: a note "NAME: value" for each cell that is not empty.
std::string keptColumnNotes(const Value* ale) {
    std::string notes;
    if (ale == nullptr) return notes;
    for (const Value& cell : *ale) {
        const std::string name = cell.key();
        if (!cell.is_string() || !edlb::isKeptColumn(name.c_str())) continue;
        const std::string value = cell.string();
        if (value.empty() || name.find_first_of("\r\n") != std::string::npos) continue;
        notes += (notes.empty() ? "" : "\n") + name + ": " + value;
    }
    return notes;
}

// A log's "Tracks" column: 'V', 'VA1A2', 'A1 A2' ('A' alone is A1).
void logTracks(const std::string& text, EventRow& row) {
    uint32_t video = 0, audio = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        if (c != 'V' && c != 'A') continue;
        unsigned number = 0;
        while (i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])) != 0 &&
               number < 100) {
            number = number * 10 + static_cast<unsigned>(text[++i] - '0');
        }
        if (number == 0) number = 1;
        if (number > kTrackBits) continue;
        (c == 'V' ? video : audio) |= 1u << (number - 1);
    }
    if (video != 0 || audio != 0) {
        row.videoTracks = video;
        row.audioTracks = audio;
    }
}

bool hasFreezeFrame(const Value& item) {
    const Value* effects = field(item, "effects");
    if (effects == nullptr || !effects->is_array()) return false;
    for (const Value& effect : *effects) {
        const Value* schema = effect.is_object() ? field(effect, "OTIO_SCHEMA") : nullptr;
        if (schema != nullptr && schema->is_string() && enabled(effect) &&
            splitSchema(schema->string()).first == "FreezeFrame") {
            return true;
        }
    }
    return false;
}

}  // namespace

ItemFacts itemFacts(const Value& item, const std::string& path, bool black, const Clock& clock,
                    const std::string& effectNotes) {
    ItemFacts facts;
    facts.black = black;
    EventRow row = blankEvent();
    std::string clip, file, notes, times;
    const Value* mine = ours(item);
    int64_t index = 0;
    facts.ours = mine != nullptr;
    facts.index = !facts.ours ? -1 : mdInteger(mine, "event", index) && index > 0 ? index : 0;
    const Value* ale = metadataOf(item, kAleKey);
    if (!black) file = mediaFile(item, path, splitSchema(schemaOf(item, path)).second, clock);
    if (file.empty() && !black) mdText(ale, "Source File", file);
    if (!mdText(facts.ours ? mine : nullptr, "clip_name", clip) && !(black && !facts.ours))
        clip = text(item, "name", path);
    if (facts.ours) {
        // On the tracks it is placed on, unless it names none ("video_tracks": 0).
        row.videoTracks = 1;
        ourFields(row, *mine);
        facts.editFollows = field(*mine, "edit") == nullptr;
        facts.wipeFollows = field(*mine, "wipe_code") == nullptr;
        if (field(*mine, "notes") == nullptr) {
            facts.notesRebuilt = true;
            if (!clip.empty()) row.comment = "FROM CLIP NAME: " + clip;
            notes = adapterComments(item);
        }
        // Ours names the reel; a pipeline may have left only the CMX adapter's.
        if (field(*mine, "reel") == nullptr) cmxReel(item, row.reel);
        static const char* const kKeys[ItemFacts::kKeptCount] = {
            "record_in", "record_out", "source_out", "mark_in", "mark_out", "audio_offset"};
        for (unsigned i = 0; i < ItemFacts::kKeptCount; ++i) {
            int64_t time = 0;
            if (!mdInteger(mine, kKeys[i], time)) continue;
            facts.kept = static_cast<uint8_t>(facts.kept | 1u << i);
            const uint32_t frames = i == ItemFacts::kAudioOffset
                                        ? static_cast<uint32_t>(asOffset(time))
                                        : asFrames(time);
            times.append(reinterpret_cast<const char*>(&frames), sizeof frames);
        }
    } else {
        if (!mdText(mine, "reel", row.reel) && !cmxReel(item, row.reel) &&
            !mdText(ale, "Tape", row.reel)) {
            row.reel = black ? "BL" : derivedReel(clip, file);
        }
        facts.freeze = !black && hasFreezeFrame(item);
        // OTIO's CMX 3600 writer marks a held frame's clip name so.
        const std::string suffix = " FF";
        if (facts.freeze && (clip.size() < suffix.size() ||
                             clip.compare(clip.size() - suffix.size(), suffix.size(),
                                                suffix) != 0)) {
            clip += suffix;
        }
        // OTIO's log adapter gives a graded row both its cells and "cdl": the cells, as
        // written, make the grade notes.
        const bool gradeInCells = ale != nullptr && (field(*ale, "ASC_SOP") != nullptr ||
                                                     field(*ale, "ASC_SAT") != nullptr);
        notes = adapterComments(item, gradeInCells);
        std::string comments;
        if (mdText(ale, "Comments", comments) && !comments.empty())
            notes += (notes.empty() ? "" : "\n") + comments;
        const std::string kept = keptColumnNotes(ale);
        if (!kept.empty()) notes += (notes.empty() ? "" : "\n") + kept;
        row.videoTracks = 1;
        std::string tracks;
        if (mdText(ale, "Tracks", tracks)) logTracks(tracks, row);
    }
    ItemFacts::Numbers& numbers = facts.numbers;
    numbers.editNumber = row.editNumber;
    numbers.videoTracks = row.videoTracks;
    numbers.audioTracks = row.audioTracks;
    numbers.wipeCode = row.wipeCode;
    numbers.effectLength = row.effectLength;
    numbers.lineFlags = row.lineFlags;
    numbers.present = row.present;
    numbers.editType = row.editType;
    facts.texts.pack(
        {&row.reel, &row.comment, &row.effectText, &clip, &file, &notes, &effectNotes, &times});
    facts.setPath(path);
    return facts;
}

std::string ItemFacts::path() const {
    if (parent == nullptr) return std::string();
    return child == kWhole ? *parent : *parent + "[" + std::to_string(child) + "]";
}

void ItemFacts::setPath(const std::string& path) {
    // Items are read one after another: the path of the list of the one before is shared.
    thread_local std::shared_ptr<const std::string> last;
    size_t open = path.rfind('[');
    const size_t digits = open == std::string::npos ? 0 : path.size() - open - 2;
    child = kWhole;
    if (digits > 0 && digits < 10 && path.back() == ']' && (digits == 1 || path[open + 1] != '0') &&
        std::all_of(path.begin() + static_cast<long>(open) + 1, path.end() - 1,
                    [](char c) { return c >= '0' && c <= '9'; })) {
        child = static_cast<uint32_t>(std::stoul(path.substr(open + 1, digits)));
    } else {
        open = path.size();
    }
    if (last == nullptr || last->size() != open || path.compare(0, open, *last) != 0)
        last = std::make_shared<const std::string>(path, 0, open);
    parent = last;
}

void ItemFacts::keptTimes(uint32_t (&times)[kKeptCount]) const {
    if (kept == 0) return;
    const std::string bytes = text(kTimes);
    size_t at = 0;
    for (unsigned i = 0; i < kKeptCount; ++i) {
        if ((kept & (1u << i)) == 0) continue;
        std::memcpy(&times[i], bytes.data() + at, sizeof times[i]);
        at += sizeof times[i];
    }
}

EventRow ItemFacts::row() const {
    EventRow row;
    row.editNumber = numbers.editNumber;
    row.videoTracks = numbers.videoTracks;
    row.audioTracks = numbers.audioTracks;
    row.wipeCode = numbers.wipeCode;
    row.effectLength = numbers.effectLength;
    row.lineFlags = numbers.lineFlags;
    row.present = numbers.present;
    row.editType = numbers.editType;
    row.reel = text(kReel);
    row.comment = text(kComment);
    row.effectText = text(kEffectText);
    setNames(row, text(kClip), text(kFile));
    return row;
}

void RowNumbers::take(const EventRow& row) {
    editNumber = row.editNumber;
    srcIn = row.srcIn;
    srcOut = row.srcOut;
    recIn = row.recIn;
    recOut = row.recOut;
    markIn = row.markIn;
    markOut = row.markOut;
    audioOffset = row.audioOffset;
    videoTracks = row.videoTracks;
    audioTracks = row.audioTracks;
    wipeCode = row.wipeCode;
    effectLength = row.effectLength;
    lineFlags = row.lineFlags;
    present = row.present;
    editType = row.editType;
}

void RowNumbers::give(EventRow& row) const {
    row.editNumber = editNumber;
    row.srcIn = srcIn;
    row.srcOut = srcOut;
    row.recIn = recIn;
    row.recOut = recOut;
    row.markIn = markIn;
    row.markOut = markOut;
    row.audioOffset = audioOffset;
    row.videoTracks = videoTracks;
    row.audioTracks = audioTracks;
    row.wipeCode = wipeCode;
    row.effectLength = effectLength;
    row.lineFlags = lineFlags;
    row.present = present;
    row.editType = editType;
}

PackedRow::PackedRow(const EventRow& row) {
    numbers.take(row);
    nameIsClip = !row.name.empty() && row.name == row.clipName;
    const std::string none;
    texts.pack({&row.reel, &row.clipName, nameIsClip ? &none : &row.name, &row.comment,
                &row.effectText, &row.line});
}

EventRow PackedRow::unpacked() const {
    EventRow row;
    numbers.give(row);
    row.reel = texts[0];
    row.clipName = texts[1];
    row.name = nameIsClip ? row.clipName : texts[2];
    row.comment = texts[3];
    row.effectText = texts[4];
    row.line = texts[5];
    return row;
}

void buildEvents(std::vector<Track>& tracks, unsigned mode, std::vector<std::string>& warnings,
                 TimelineEvents::Store& out) {
    EventBuilder(mode, warnings).build(tracks, out);
}

}  // namespace otio
}  // namespace edlbtool

namespace edlbtool {
namespace otio {

void logEvents(const Pieces& clips, TimelineEvents::Store& out) {
    out = TimelineEvents::Store();
    uint32_t number = 0;
    int64_t last = 0;                  // the number of the clip before
    uint32_t lastWipe = 0xFFFFFFFFu;  // and its wipe code
    uint32_t laid = 0;                 // where the next clip of a foreign log starts
    for (const Piece& piece : clips) {
        const ItemFacts& facts = piece.facts;
        EventRow row = facts.row();
        placeTimes(row, piece);
        if (!facts.ours) {
            // A log's clips follow one another in record time, as a log's events are laid,
            // whatever place a clip had in a nested composition.
            row.recIn = laid;
            row.recOut = laid + (row.srcOut > row.srcIn ? row.srcOut - row.srcIn : 0);
            laid = row.recOut;
            row.markIn = row.markOut = 0;
            row.wipeCode = 0;
            const std::string clip = facts.text(ItemFacts::kClip);
            if (!facts.text(ItemFacts::kFile).empty() && !clip.empty())
                addNote(row, "FROM CLIP NAME: " + clip);
            const std::string notes = facts.text(ItemFacts::kNotes);
            if (!notes.empty()) addNote(row, notes);
            const std::string effects = facts.text(ItemFacts::kEffects);
            if (!effects.empty()) addNote(row, effects);
        } else if (facts.notesRebuilt) {
            const std::string notes = facts.text(ItemFacts::kNotes);
            if (!notes.empty()) addNote(row, notes);
        }
        if (facts.ours && facts.editFollows) {
            row.editNumber = asFrames(last + 1);
            row.present |= EDL_P_EDIT_NUMBER;
        }
        if (facts.ours && facts.wipeFollows) row.wipeCode = lastWipe;
        lastWipe = row.wipeCode;
        if (facts.ours && (row.present & EDL_P_EDIT_NUMBER) != 0) {
            number = std::max(number, row.editNumber);
        } else {
            row.editNumber = ++number;
            row.present |= EDL_P_EDIT_NUMBER;
        }
        last = row.editNumber;
        // Numbered already: handed out as they are.
        out.built.emplace_back();
        out.built.back().row = PackedRow(row);
        out.built.back().index = 0;
    }
    out.count = out.built.size();
}

}  // namespace otio
}  // namespace edlbtool

namespace edlbtool {

TimelineEvents::TimelineEvents() : store_(new Store) {}

TimelineEvents::~TimelineEvents() = default;

// Events not written here are numbered in list order, after those that are; those written
// here without a number follow the one before them.
namespace {

void numberEvent(TimelineEvents::Store& s, TimelineEvents::Store::Built& b) {
    if (b.numbered) return;
    b.numbered = true;
    otio::RowNumbers& numbers = b.row.numbers;
    if (b.index >= 0 && b.editFollows) {
        numbers.editNumber = otio::asFrames(s.lastEdit + 1);
        numbers.present |= EDL_P_EDIT_NUMBER;
    }
    if (b.index >= 0 && b.wipeFollows) numbers.wipeCode = s.lastWipe;
    if (b.index >= 0 && (numbers.present & EDL_P_EDIT_NUMBER) != 0) {
        s.number = std::max(s.number, numbers.editNumber);
    } else if (b.index < 0) {
        numbers.editNumber = ++s.number;
        numbers.present |= EDL_P_EDIT_NUMBER;
    }
}

}  // namespace

size_t TimelineEvents::size() const { return store_->count; }

bool TimelineEvents::next(EventRow& row) {
    Store& s = *store_;
    const bool inOrder = s.order.empty();
    if (s.handed >= (inOrder ? s.built.size() : s.order.size())) return false;
    Store::Built& b = s.built[inOrder ? 0 : s.order[s.handed]];
    if (b.cut != nullptr) {
        otio::RowNumbers& cut = b.cut->row.numbers;
        if (b.cut->index < 0) {
            // A cut line made here takes its event's number and tracks.
            numberEvent(s, b);
            const otio::RowNumbers& numbers = b.row.numbers;
            cut.editNumber = numbers.editNumber;
            cut.present |= numbers.present & EDL_P_EDIT_NUMBER;
            cut.videoTracks = numbers.videoTracks;
            cut.audioTracks = numbers.audioTracks;
        }
        row = b.cut->row.unpacked();
        b.cut.reset();
        if ((row.present & EDL_P_EDIT_NUMBER) != 0) s.lastEdit = row.editNumber;
        s.lastWipe = row.wipeCode;
        --s.count;
        return true;
    }
    numberEvent(s, b);
    row = b.row.unpacked();
    if ((row.present & EDL_P_EDIT_NUMBER) != 0) s.lastEdit = row.editNumber;
    s.lastWipe = row.wipeCode;
    --s.count;
    // In list order already, each event is given up as it is handed out.
    if (inOrder) {
        s.built.pop_front();
    } else {
        ++s.handed;
    }
    return true;
}

}  // namespace edlbtool
