// Events as an OpenTimelineIO timeline. Each track is laid out from the record times of the
// events on it; the JSON is built in the order OTIO itself writes its fields.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "list_type_names.h"
#include "notes.h"
#include "otio.h"
#include "otio_common.h"
#include "platform.h"
#include "timecode_text.h"

namespace edlbtool {
namespace {

using Json = nlohmann::ordered_json;

constexpr unsigned kTrackBits = 32;

Json rationalTime(int64_t value, unsigned rate) {
    // Rates and values are written as OTIO writes them, as floating-point numbers; every one
    // is a whole number of frames.
    return Json{{"OTIO_SCHEMA", "RationalTime.1"},
                {"rate", static_cast<double>(rate)},
                {"value", static_cast<double>(value)}};
}

Json timeRange(int64_t start, int64_t duration, unsigned rate) {
    return Json{{"OTIO_SCHEMA", "TimeRange.1"},
                {"duration", rationalTime(duration, rate)},
                {"start_time", rationalTime(start, rate)}};
}

// Percent-encodes what a file URL cannot hold as it is.
std::string fileUrl(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;  // relative names stay as the list has them
    static const char kKept[] = "-._~/!$&'()*+,;=:@";
    std::string url = "file://";
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c != 0 && std::strchr(kKept, c) != nullptr)) {
            url += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            url += hex;
        }
    }
    return url;
}

Json mediaReference(const std::string& file) {
    Json ref{{"OTIO_SCHEMA", file.empty() ? "MissingReference.1" : "ExternalReference.1"},
             {"metadata", Json::object()},
             {"name", ""},
             {"available_range", nullptr},
             {"available_image_bounds", nullptr}};
    if (!file.empty()) ref["target_url"] = fileUrl(file);
    return ref;
}

// The tracks an event is placed on: its own, or V1 for an event that names none.
bool onTrack(const EventRow& event, bool audio, unsigned bit) {
    if (event.videoTracks == 0 && event.audioTracks == 0) return !audio && bit == 0;
    return ((audio ? event.audioTracks : event.videoTracks) & (1u << bit)) != 0;
}

int64_t recordLength(const EventRow& event) {
    return event.recOut >= event.recIn ? int64_t{event.recOut} - event.recIn : 0;
}

// One item of a track being laid out: an event's clip (or black gap), a hole, or the
// transition into the next event.
struct Slot {
    enum Kind { Event, Hole, Transition } kind;
    size_t event = 0;    // index into the events (Event, Transition)
    int64_t start = 0;   // record position, frames
    int64_t length = 0;  // Event and Hole
};

class TimelineWriter {
public:
    TimelineWriter(const ListData& data, unsigned mode, std::vector<std::string>& warnings)
        : data_(data),
          events_(data.events),
          mode_(mode),
          rate_(modeInfo(mode).fps),
          warnings_(warnings) {
        // A zero-length cut followed by a transition of the same number is the outgoing half
        // of that transition: it becomes no clip, and its fields go with the transition.
        cutLineOf_.assign(events_.size(), kNone);
        isCutLine_.assign(events_.size(), false);
        for (size_t i = 0; i + 1 < events_.size(); ++i) {
            const EventRow& cut = events_[i];
            const EventRow& next = events_[i + 1];
            if (cut.editType == 'C' && cut.recOut == cut.recIn && isTransition(next.editType) &&
                next.editNumber == cut.editNumber) {
                cutLineOf_[i + 1] = i;
                isCutLine_[i] = true;
            }
        }
    }

    Json timeline(const std::string& title) {
        int64_t start = -1;
        uint32_t videoUsed = 0, audioUsed = 0;
        for (size_t i = 0; i < events_.size(); ++i) {
            if (isCutLine_[i]) continue;
            const EventRow& e = events_[i];
            if (start < 0 || e.recIn < start) start = e.recIn;
            videoUsed |= e.videoTracks == 0 && e.audioTracks == 0 ? 1u : e.videoTracks;
            audioUsed |= e.audioTracks;
        }
        start_ = start < 0 ? 0 : start;
        return Json{{"OTIO_SCHEMA", "Timeline.1"},
                    {"metadata", Json{{otio::kKey, timelineMetadata()}}},
                    {"name", title},
                    {"global_start_time", rationalTime(start_, rate_)},
                    {"tracks", Json{{"OTIO_SCHEMA", "Stack.1"},
                                    {"metadata", Json::object()},
                                    {"name", "tracks"},
                                    {"source_range", nullptr},
                                    {"effects", Json::array()},
                                    {"markers", Json::array()},
                                    {"enabled", true},
                                    {"children", tracks(videoUsed, audioUsed)}}}};
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // The list's type and mode, so that drop frame and 23.98 come back.
    Json timelineMetadata() const {
        const ModeInfo& mode = modeInfo(mode_);
        const TypeName* type = typeByValue(data_.list.dwListType);
        return Json{{"list_type", data_.list.dwListType},
                    {"list_type_name", type != nullptr ? type->shortName : "unknown"},
                    {"timecode_mode", mode_},
                    {"timecode_mode_name", mode.name},
                    {"drop_frame", mode.dropFrame},
                    {"frame_rate", mode.frameRate / 100.0}};
    }

    // One track per video track used, then one per audio track.
    Json tracks(uint32_t videoUsed, uint32_t audioUsed) {
        std::vector<std::vector<Slot>> layouts;
        std::vector<std::string> names;
        for (bool audio : {false, true}) {
            for (unsigned bit = 0; bit < kTrackBits; ++bit) {
                if (((audio ? audioUsed : videoUsed) & (1u << bit)) == 0) continue;
                names.push_back((audio ? "A" : "V") + std::to_string(bit + 1));
                layouts.push_back(layout(audio, bit, names.back()));
            }
        }
        // Every track lasts until the last event ends, on whichever track that is.
        int64_t end = start_;
        for (const std::vector<Slot>& slots : layouts) {
            for (const Slot& slot : slots) end = std::max(end, slot.start + slot.length);
        }
        Json children = Json::array();
        for (size_t t = 0; t < layouts.size(); ++t) {
            std::vector<Slot>& slots = layouts[t];
            const int64_t trackEnd =
                slots.empty() ? start_ : slots.back().start + slots.back().length;
            if (trackEnd < end) slots.push_back({Slot::Hole, 0, trackEnd, end - trackEnd});
            children.push_back(track(names[t], slots));
        }
        return children;
    }

    // The events of one track in record order, with holes and transitions between them.
    std::vector<Slot> layout(bool audio, unsigned bit, const std::string& trackName) {
        std::vector<size_t> order;
        for (size_t i = 0; i < events_.size(); ++i) {
            if (!isCutLine_[i] && onTrack(events_[i], audio, bit)) order.push_back(i);
        }
        std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
            return events_[a].recIn < events_[b].recIn;
        });
        std::vector<Slot> slots;
        int64_t position = start_;
        for (size_t i : order) {
            const EventRow& e = events_[i];
            int64_t at = e.recIn;
            if (at < position) {
                // A transition may begin inside the event before it, at its own cut point: that
                // event then ends there. Any other overlap moves the later event along.
                Slot* before = slots.empty() ? nullptr : &slots.back();
                const int64_t overlap = position - at;
                if (isTransition(e.editType) && before != nullptr && before->kind == Slot::Event &&
                    overlap <= before->length) {
                    before->length -= overlap;
                    position = at;
                } else {
                    warnings_.push_back(describe(i) + " overlaps the event before it on " +
                                        trackName + " by " + std::to_string(overlap) +
                                        " frames: placed after it");
                    at = position;
                }
            } else if (at > position) {
                slots.push_back({Slot::Hole, 0, position, at - position});
            }
            if (isTransition(e.editType)) {
                // A transition needs an item on each side: black at the start of a track.
                if (slots.empty() || slots.back().kind == Slot::Transition) {
                    slots.push_back({Slot::Hole, 0, at, 0});
                }
                slots.push_back({Slot::Transition, i, at, 0});
            }
            slots.push_back({Slot::Event, i, at, recordLength(e)});
            position = at + recordLength(e);
        }
        return slots;
    }

    std::string describe(size_t i) const {
        const EventRow& e = events_[i];
        std::string text = "event " + std::to_string(i + 1);
        if ((e.present & EDL_P_EDIT_NUMBER) != 0)
            text += " (edit " + std::to_string(e.editNumber) + ")";
        return text;
    }

    Json track(const std::string& name, const std::vector<Slot>& slots) {
        Json children = Json::array();
        for (const Slot& slot : slots) {
            switch (slot.kind) {
                case Slot::Hole:
                    children.push_back(gap(slot.length, Json::object()));
                    break;
                case Slot::Transition:
                    children.push_back(transition(slot.event));
                    break;
                case Slot::Event:
                    children.push_back(eventItem(slot, name));
                    break;
            }
        }
        return Json{{"OTIO_SCHEMA", "Track.1"},
                    {"metadata", Json::object()},
                    {"name", name},
                    {"source_range", nullptr},
                    {"effects", Json::array()},
                    {"markers", Json::array()},
                    {"enabled", true},
                    {"children", children},
                    {"kind", name[0] == 'V' ? "Video" : "Audio"}};
    }

    Json gap(int64_t length, Json metadata, int64_t start = 0) {
        return Json{{"OTIO_SCHEMA", "Gap.1"},
                    {"metadata", std::move(metadata)},
                    {"name", ""},
                    {"source_range", timeRange(start, length, rate_)},
                    {"effects", Json::array()},
                    {"markers", Json::array()},
                    {"enabled", true}};
    }

    // The speed of the event's own "M2" note, in frames per second; false when it has none.
    bool motionSpeed(const EventRow& e, double& speed) const {
        for (const std::string& note : noteLines(e)) {
            M2Note m2;
            if (parseM2(note, m2) && strcasecmp(m2.reel.c_str(), e.reel.c_str()) == 0) {
                speed = m2.speed;
                return true;
            }
        }
        return false;
    }

    // The time warp of an event placed for length frames: the speed of its "M2" note over the
    // rate, else its source length over length; 1 for none.
    double timeScalar(const EventRow& e, int64_t length) const {
        double speed = 0;
        const int64_t sourceLength = int64_t{e.srcOut} - e.srcIn;
        double scalar = 1.0;
        if (motionSpeed(e, speed)) {
            scalar = speed / rate_;
        } else if (length > 0 && sourceLength != length) {
            scalar = static_cast<double>(sourceLength) / static_cast<double>(length);
        }
        return std::fabs(scalar) <= otio::kMaxScalar ? scalar : 1.0;
    }

    // The fields of an event a clip cannot carry. full: also those its place would give (the
    // cut line of a transition has no place of its own).
    Json eventMetadata(size_t i, bool full) const {
        const EventRow& e = events_[i];
        Json m{{"event", i + 1}};
        if ((e.present & EDL_P_EDIT_NUMBER) != 0) m["edit"] = e.editNumber;
        m["reel"] = e.reel;
        m["video_tracks"] = e.videoTracks;
        m["audio_tracks"] = e.audioTracks;
        m["edit_type"] = e.editType != '\0' ? std::string(1, e.editType) : std::string();
        m["wipe_code"] = static_cast<int32_t>(e.wipeCode);
        m["effect_length"] = static_cast<int32_t>(e.effectLength);
        if (!e.effectText.empty()) m["effect_text"] = e.effectText;
        m["notes"] = noteLines(e);
        if (full) {
            m["clip_name"] = fullClipName(e);
            m["file"] = sourceFile(e);
            m["source_in"] = e.srcIn;
            m["source_out"] = e.srcOut;
        }
        if (e.markIn != e.srcIn || e.markOut != e.srcOut) {
            m["mark_in"] = e.markIn;
            m["mark_out"] = e.markOut;
        }
        if (e.audioOffset != 0) m["audio_offset"] = e.audioOffset;
        return m;
    }

    Json transition(size_t i) const {
        const EventRow& e = events_[i];
        const uint32_t length = lengthInWipeCode(e) ? e.wipeCode : e.effectLength;
        Json m{{"edit_type", std::string(1, e.editType)}};
        if (e.editType == 'W') m["wipe_code"] = e.wipeCode;
        if (!e.effectText.empty()) m["effect_text"] = e.effectText;
        if (cutLineOf_[i] != kNone) {
            Json cut = eventMetadata(cutLineOf_[i], true);
            const EventRow& line = events_[cutLineOf_[i]];
            if (line.recIn != e.recIn) cut["record_in"] = line.recIn;
            m["cut_line"] = cut;
        }
        static const char* const kNames[] = {"Dissolve", "Wipe", "Key"};
        const int kind = e.editType == 'D' ? 0 : e.editType == 'W' ? 1 : 2;
        return Json{{"OTIO_SCHEMA", "Transition.1"},
                    {"metadata", Json{{otio::kKey, m}}},
                    {"name", kNames[kind]},
                    {"in_offset", rationalTime(0, rate_)},
                    {"out_offset", rationalTime(length, rate_)},
                    {"transition_type", kind == 0 ? "SMPTE_Dissolve" : "Custom_Transition"}};
    }

    // "LOC:" notes as markers, placed in the clip's source time: the note's record timecode
    // less the record in, from the source in.
    Json markers(const EventRow& e) const {
        Json list = Json::array();
        for (const std::string& note : noteLines(e)) {
            LocNote loc;
            if (!parseLocNote(note, mode_, loc) || !loc.timed) continue;
            const int64_t at = int64_t{e.srcIn} + (int64_t{loc.frames} - int64_t{e.recIn});
            list.push_back(Json{{"OTIO_SCHEMA", "Marker.2"},
                                {"metadata", Json{{otio::kKey, Json{{"note", note}}}}},
                                {"name", loc.text},
                                {"color", loc.colour != nullptr ? loc.colour->name : "RED"},
                                {"marked_range", timeRange(at, 1, rate_)}});
        }
        return list;
    }

    Json eventItem(const Slot& slot, const std::string& trackName) {
        const EventRow& e = events_[slot.event];
        Json m = eventMetadata(slot.event, false);
        // Times the clip's place does not give are kept: a reader takes the record in from the
        // place, the record out from the length, the source out from the time warp.
        const int64_t length = slot.length;
        const double scalar = timeScalar(e, length);
        if (slot.start != e.recIn) m["record_in"] = e.recIn;
        if (slot.start + length != int64_t{e.recIn} + recordLength(e) || e.recOut < e.recIn) {
            m["record_out"] = e.recOut;
        }
        if (otio::derivedSourceOut(e.srcIn, length, scalar) != e.srcOut) m["source_out"] = e.srcOut;

        const std::string clipName = fullClipName(e);
        // A clip's markers go on the first track the event is on.
        const bool first = trackName == firstTrack(e);
        Json markerList = first ? markers(e) : Json::array();
        if (otio::isBlackReel(e.reel) && sourceFile(e).empty() && clipName.empty()) {
            Json item = gap(length, Json{{otio::kKey, m}}, e.srcIn);
            item["markers"] = markerList;
            return item;
        }
        if (clipName.empty()) m["clip_name"] = "";
        Json effects = Json::array();
        if (scalar != 1.0) {
            effects.push_back(Json{{"OTIO_SCHEMA", "LinearTimeWarp.1"},
                                   {"metadata", Json::object()},
                                   {"name", ""},
                                   {"effect_name", "LinearTimeWarp"},
                                   {"enabled", true},
                                   {"time_scalar", scalar}});
        }
        return Json{
            {"OTIO_SCHEMA", "Clip.2"},
            {"metadata", Json{{otio::kCmxKey, Json{{"reel", e.reel}}}, {otio::kKey, m}}},
            {"name", clipName.empty() ? e.reel : clipName},
            {"source_range", timeRange(e.srcIn, length, rate_)},
            {"effects", effects},
            {"markers", markerList},
            {"enabled", true},
            {"media_references", Json{{otio::kDefaultMedia, mediaReference(sourceFile(e))}}},
            {"active_media_reference_key", otio::kDefaultMedia}};
    }

    static std::string firstTrack(const EventRow& e) {
        for (unsigned bit = 0; bit < kTrackBits; ++bit) {
            if (onTrack(e, false, bit)) return "V" + std::to_string(bit + 1);
        }
        for (unsigned bit = 0; bit < kTrackBits; ++bit) {
            if (onTrack(e, true, bit)) return "A" + std::to_string(bit + 1);
        }
        return std::string();
    }

    const ListData& data_;
    const std::vector<EventRow>& events_;
    const unsigned mode_;
    const unsigned rate_;
    std::vector<std::string>& warnings_;
    std::vector<size_t> cutLineOf_;
    std::vector<bool> isCutLine_;
    int64_t start_ = 0;
};

}  // namespace

bool isOtioType(const std::string& text) {
    return strcasecmp(text.c_str(), kOtioTypeName) == 0;
}

std::string otioText(const ListData& data, const WriteOptions& options,
                     std::vector<std::string>& warnings) {
    const unsigned fromMode = listMode(data.list.dwTcMode);
    const unsigned toMode = options.tcMode != 0 ? options.tcMode : fromMode;
    ListData converted;
    if (fromMode != toMode) {
        // The events in the mode written, as writeList converts them, except that a
        // dissolve's number ('D 030') keeps its frames.
        converted = data;
        for (EventRow& e : converted.events) relabelTimes(e, fromMode, toMode);
    }
    const ListData& source = fromMode == toMode ? data : converted;
    std::string title =
        options.setTitle
            ? options.title
            : std::string(data.list.szTitle, strnlen(data.list.szTitle, sizeof data.list.szTitle));
    TimelineWriter writer(source, modeInfo(toMode).value, warnings);
    // Lists are not always UTF-8: bytes that are no UTF-8 become U+FFFD.
    return writer.timeline(title).dump(4, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string writeOtio(const ListData& data, const WriteOptions& options, const std::string& path,
                      std::vector<std::string>& warnings) {
    const std::string text = otioText(data, options, warnings);
    if (path == "-") {
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? std::string()
                                                                               : "write failed";
    }
    return platform::writeTextFile(path, text);
}

std::string renderOtioType() {
    return "\nRead and written by the tool, not a list type of the library:\n"
           "NAME  EXT   DETECTED  WRITES  DESCRIPTION\n"
           "otio  otio  yes       yes     OpenTimelineIO timeline (JSON, \"Timeline.1\"; "
           "detected by its name or an \"OTIO_SCHEMA\" key)\n";
}

}  // namespace edlbtool
