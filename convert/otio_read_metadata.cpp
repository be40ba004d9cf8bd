// What sits on the items of a timeline: markers, effects and our own metadata, and the
// timecode mode the timeline counts in.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "notes.h"
#include "otio_common.h"
#include "otio_reader.h"
#include "timecode_text.h"

namespace edlbtool {
namespace otio {
namespace {

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

// The colour of a "LOC:" note: the word the list was written with, which OTIO's CMX 3600
// adapter keeps as the marker's "cmx_3600" "color", else the marker's colour as OTIO spells
// it.
std::string markerColourWord(const Value& marker, const std::string& where) {
    const Value* metadata = field(marker, "metadata");
    const Value* cmx = metadata != nullptr && metadata->is_object() ? field(*metadata, kCmxKey)
                                                                   : nullptr;
    std::string word;
    if (cmx != nullptr && cmx->is_object() && mdText(cmx, "color", word) && !word.empty())
        return word;
    word = text(marker, "color", where);
    const MarkerColour* colour = markerColour(word);
    return colour != nullptr ? colour->name : word;
}

}  // namespace

const Value* ours(const Value& object) {
    const Value* metadata = field(object, "metadata");
    if (metadata == nullptr || !metadata->is_object()) return nullptr;
    const Value* mine = field(*metadata, kKey);
    return mine != nullptr && mine->is_object() ? mine : nullptr;
}

const Value* metadataOf(const Value& object, const char* key) {
    const Value* metadata = field(object, "metadata");
    const Value* found =
        metadata != nullptr && metadata->is_object() ? field(*metadata, key) : nullptr;
    return found != nullptr && found->is_object() ? found : nullptr;
}

bool mdInteger(const Value* md, const char* key, int64_t& out) {
    const Value* value = md != nullptr ? field(*md, key) : nullptr;
    if (value == nullptr || !value->is_number_integer()) return false;
    out = value->integer();
    return true;
}

bool mdText(const Value* md, const char* key, std::string& out) {
    const Value* value = md != nullptr ? field(*md, key) : nullptr;
    if (value == nullptr || !value->is_string()) return false;
    out = value->string();
    return true;
}

uint32_t asFrames(int64_t value) {
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, kMaxFrames));
}

unsigned timelineMode(const Value& root, const Value* mine, double firstRate,
                      std::vector<std::string>& warnings) {
    double rate = firstRate;
    if (const Value* global = field(root, "global_start_time")) {
        requireObject(*global, "global_start_time");
        rate = number(*global, "rate", "global_start_time");
    }
    if (!(rate > 0)) rate = 24;
    const double nominal = nominalRate(rate);
    bool dropFrame = false;
    if (const Value* drop = mine != nullptr ? field(*mine, "drop_frame") : nullptr) {
        dropFrame = drop->is_boolean() && drop->boolean();
    }
    int64_t named = 0;
    if (mdInteger(mine, "timecode_mode", named) && named > 0 && named <= 0xFF) {
        const ModeInfo& row = modeInfo(static_cast<unsigned>(named));
        if (row.value == named && row.fps == nominal) return row.value;
    }
    const RateModes best = nearestModes(nominal);
    const unsigned mode = dropFrame ? best.drop : isNtscRate(rate) ? best.ntsc : best.plain;
    if (best.fps != nominal) {
        char note[160];
        std::snprintf(note, sizeof note,
                      "frame rate %g has no timecode mode: times counted at %g (%s)", rate,
                      static_cast<double>(best.fps), modeInfo(mode).name);
        warnings.push_back(note);
    }
    return mode;
}

void readMarkers(const Value& item, const std::string& path, int64_t sourceStart, const Clock& clock,
                 Piece& piece) {
    const Value* markers = listField(item, "markers", path);
    if (markers == nullptr) return;
    size_t i = 0;
    for (const Value& marker : *markers) {
        const std::string where = entryPath(path, "markers", i++);
        const std::string schema = schemaOf(marker, where);
        if (splitSchema(schema).first != "Marker") unknownSchema(schema, where);
        Range marked;
        if (!clock.range(marker, "marked_range", where, marked))
            fail("missing marked_range at " + where);
        MarkerAt at;
        const int64_t sourceEnd =
            std::max(piece.length, derivedSourceOut(sourceStart, piece.length, piece.scalar) -
                                       sourceStart);
        at.raw = marked.start;
        at.duration = marked.duration;
        at.inSource = marked.start >= sourceStart && marked.start <= sourceStart + sourceEnd;
        at.record = piece.recIn + (marked.start - sourceStart);
        const std::string color = markerColourWord(marker, where);
        const std::string name = text(marker, "name", where);
        at.ours = ours(marker) != nullptr;
        const std::string comment = text(marker, "comment", where);
        std::string note;
        mdText(ours(marker), "note", note);
        at.texts.pack({&color, &name, &comment, &note});
        piece.markers.push_back(at);
    }
}

void readEffects(const Value& clip, const std::string& path, Piece& piece, std::string& notes) {
    const Value* effects = listField(clip, "effects", path);
    if (effects == nullptr) return;
    size_t i = 0;
    for (const Value& effect : *effects) {
        const std::string where = entryPath(path, "effects", i++);
        const std::string family = splitSchema(schemaOf(effect, where)).first;
        if (!enabled(effect)) continue;
        if (family == "LinearTimeWarp") {
            piece.scalar *= number(effect, "time_scalar", where);
            if (!(std::fabs(piece.scalar) <= kMaxScalar))
                fail("time_scalar out of range at " + where);
        } else if (family == "FreezeFrame") {
            piece.scalar = 0;
        } else {
            std::string name = text(effect, "effect_name", where);
            if (name.empty()) name = text(effect, "name", where);
            if (name.empty()) name = family;
            notes += (notes.empty() ? "EFFECT NAME: " : "\nEFFECT NAME: ") + name;
        }
    }
}

}  // namespace otio
}  // namespace edlbtool
