// OpenTimelineIO timelines: round trips between lists and timelines, the structure of every
// timeline written, the rates and depths a reader meets, and bad timelines writing nothing.
#include "list_reader.h"
#include "otio.h"
#include "tool_test.h"

#include <edlbridge.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>

namespace {

using edlbtool::EventRow;
using edlbtool::ListData;
using Json = nlohmann::json;

// Every list the round trips run on: the timeline lists, and lists of the other tests in
// the styles editing systems and loggers export.
const char* const kLists[] = {
    "tools/otio/cuts_only.edl",          "tools/otio/dissolve_pal.edl",
    "tools/otio/wipe_gaps_2398.edl",     "tools/otio/av_tracks_df.edl",
    "tools/otio/markers_film.edl",       "tools/otio/overlap_ndf.edl",
    "tools/cmx_title_fcm_dissolve.edl",  "interchange/avid_notes_lf.edl",
    "interchange/avid_notes_cr.edl",     "interchange/six_digit_tabs.edl",
    "tools/ale_pal_log.ale",             "tools/log_60fps.ale",
    "columns/ale_interchange_columns.ale", "cmx/cmx3600_mixed_events.edl",
    "cmx/fcm_changes_drop_frame.edl",
};

ListData read(const std::string& path) {
    ListData data;
    const std::string reason = edlbtool::readList(path, data);
    EXPECT_EQ(reason, "") << path;
    return data;
}

std::string writeCmx3600(const ListData& data, const edlbtest::TempDir& dir, const std::string& name) {
    edlbtool::WriteOptions options;
    options.listType = EDLTYPE_CMX3600;
    const std::string path = dir.file(name);
    EXPECT_EQ(edlbtool::writeList(data, options, path), "");
    return path;
}

ListData fromTimeline(const std::string& text, std::vector<std::string>* warnings = nullptr) {
    ListData data;
    std::vector<std::string> found;
    EXPECT_EQ(edlbtool::readOtioText(text, "timeline.otio", data, found), "");
    if (warnings != nullptr) *warnings = found;
    return data;
}

std::string toTimeline(const ListData& data, std::vector<std::string>* warnings = nullptr) {
    std::vector<std::string> found;
    std::string text = edlbtool::otioText(data, edlbtool::WriteOptions(), found);
    if (warnings != nullptr) *warnings = found;
    return text;
}

void expectSameEvents(const ListData& a, const ListData& b) {
    ASSERT_EQ(a.events.size(), b.events.size());
    for (size_t i = 0; i < a.events.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i + 1));
        const EventRow& x = a.events[i];
        const EventRow& y = b.events[i];
        EXPECT_EQ(x.editNumber, y.editNumber);
        EXPECT_EQ(x.srcIn, y.srcIn);
        EXPECT_EQ(x.srcOut, y.srcOut);
        EXPECT_EQ(x.recIn, y.recIn);
        EXPECT_EQ(x.recOut, y.recOut);
        EXPECT_EQ(x.markIn, y.markIn);
        EXPECT_EQ(x.markOut, y.markOut);
        EXPECT_EQ(x.audioOffset, y.audioOffset);
        EXPECT_EQ(x.videoTracks, y.videoTracks);
        EXPECT_EQ(x.audioTracks, y.audioTracks);
        EXPECT_EQ(x.editType, y.editType);
        EXPECT_EQ(x.wipeCode, y.wipeCode);
        EXPECT_EQ(x.effectLength, y.effectLength);
        EXPECT_EQ(x.lineFlags, y.lineFlags);
        EXPECT_EQ(x.present, y.present);
        EXPECT_EQ(x.reel, y.reel);
        EXPECT_EQ(x.clipName, y.clipName);
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.comment, y.comment);
        EXPECT_EQ(x.effectText, y.effectText);
    }
}

// The record span of a list: from its first record in to its last record out.
int64_t recordSpan(const ListData& data) {
    int64_t first = -1, last = 0;
    for (const EventRow& e : data.events) {
        if (first < 0 || e.recIn < first) first = e.recIn;
        last = std::max<int64_t>(last, std::max(e.recIn, e.recOut));
    }
    return first < 0 ? 0 : last - first;
}

const std::set<std::string> kWritten = {"Timeline.1", "Stack.1", "Track.1", "Clip.2", "Gap.1",
                                        "Transition.1", "Marker.2", "LinearTimeWarp.1",
                                        "FreezeFrame.1", "ExternalReference.1",
                                        "MissingReference.1", "GeneratorReference.1",
                                        "ImageSequenceReference.1",
                                        "RationalTime.1", "TimeRange.1"};

// Every schema is one a timeline written here uses, every time a whole number of frames at
// the timeline's rate, and every track lasts `span` frames (any one length when span < 0).
void checkNode(const Json& node, double rate, std::string& failures) {
    if (node.is_array()) {
        for (const Json& item : node) checkNode(item, rate, failures);
        return;
    }
    if (!node.is_object()) return;
    const auto schema = node.find("OTIO_SCHEMA");
    if (schema != node.end()) {
        if (!schema->is_string() || kWritten.count(schema->get<std::string>()) == 0) failures += "schema " + schema->dump() + "; ";
        if (*schema == "RationalTime.1") {
            const double value = node.at("value").get<double>();
            if (node.at("rate").get<double>() != rate || value != std::floor(value)) failures += "time " + node.dump() + "; ";
        }
    }
    for (const auto& entry : node.items()) {
        if (entry.key() != "metadata") checkNode(entry.value(), rate, failures);
    }
}

void checkStructure(const std::string& text, unsigned fps, int64_t span) {
    const Json timeline = Json::parse(text);
    ASSERT_EQ(timeline.at("OTIO_SCHEMA"), "Timeline.1");
    std::string failures;
    checkNode(timeline, fps, failures);
    EXPECT_EQ(failures, "");
    int64_t first = -1;
    for (const Json& track : timeline.at("tracks").at("children")) {
        int64_t length = 0;
        for (const Json& item : track.at("children")) {
            if (item.at("OTIO_SCHEMA") != "Transition.1") {
                length += item.at("source_range").at("duration").at("value").get<int64_t>();
            }
        }
        if (first < 0) first = length;
        EXPECT_EQ(length, span >= 0 ? span : first) << track.at("name");
    }
}

unsigned fpsOf(const ListData& data) {
    switch (data.list.dwTcMode & 0xFFu) {
        case EDL_TC_FILM: case EDL_TC_2398: case EDL_TC_2398DF: return 24;
        case EDL_TC_PAL: return 25;
        case EDL_TC_PAL50: return 50;
        case EDL_TC_NTSC5994: case EDL_TC_NTSC60: return 60;
        case EDL_TC_HUNDREDTHS: return 100;
        default: return 30;
    }
}

// CMX 3600 -> otio -> CMX 3600 gives the list CMX 3600 -> CMX 3600 gives: the same bytes,
// and every field of every event read back.
TEST(OtioRoundTrip, Cmx3600ThroughTimelineKeepsEveryEventField) {
    for (const char* list : kLists) {
        SCOPED_TRACE(list);
        edlbtest::TempDir dir;
        const ListData original = read(edlbtest::dataPath(list));
        const ListData direct = read(writeCmx3600(original, dir, "direct.edl"));
        ASSERT_FALSE(direct.events.empty());
        std::vector<std::string> warnings;
        const std::string timeline = toTimeline(direct, &warnings);
        // Only the list made to overlap and the lists with a key over its background overlap.
        const std::string name = list;
        const bool overlaps = name.find("overlap") != std::string::npos ||
                              name.find("avid_notes") != std::string::npos;
        EXPECT_EQ(warnings.size(), overlaps ? 1u : 0u);
        checkStructure(timeline, fpsOf(direct), warnings.empty() ? recordSpan(direct) : -1);

        const ListData back = fromTimeline(timeline);
        EXPECT_EQ(back.list.dwTcMode, direct.list.dwTcMode);
        EXPECT_STREQ(back.list.szTitle, direct.list.szTitle);
        const std::string again = writeCmx3600(back, dir, "again.edl");
        EXPECT_EQ(edlbtest::readFile(again), edlbtest::readFile(writeCmx3600(direct, dir, "twice.edl")));
        expectSameEvents(direct, read(again));
    }
}

// The clips, gaps and transitions of a timeline: per track its kind, and per item its
// schema, name, source range, time warp, media and markers, or a transition's type and
// offsets. Track names, metadata and transition names are left out.
std::string items(const std::string& text) {
    const Json timeline = Json::parse(text);
    std::string out;
    for (const Json& track : timeline.at("tracks").at("children")) {
        out += "track " + track.at("kind").get<std::string>() + "\n";
        for (const Json& item : track.at("children")) {
            const std::string schema = item.at("OTIO_SCHEMA");
            out += "  " + schema;
            const auto time = [](const Json& t) {
                return std::to_string(t.at("value").get<double>()) + "@" + std::to_string(t.at("rate").get<double>());
            };
            if (schema == "Transition.1") {
                out += " " + item.at("transition_type").get<std::string>() + " " + time(item.at("in_offset")) + " " +
                       time(item.at("out_offset")) + "\n";
                continue;
            }
            if (schema == "Stack.1" || schema == "Track.1") {
                out += " nested\n";
                continue;
            }
            const Json& range = item.at("source_range");
            out += " '" + item.value("name", "") + "' " + time(range.at("start_time")) + " " + time(range.at("duration"));
            for (const Json& effect : item.value("effects", Json::array())) out += " warp " + effect.at("time_scalar").dump();
            const Json media = item.value("media_references", Json::object()).value(item.value("active_media_reference_key", ""), Json::object());
            out += " " + media.value("OTIO_SCHEMA", "-") + " " + media.value("target_url", "");
            for (const Json& marker : item.value("markers", Json::array())) {
                out += " marker '" + marker.at("name").get<std::string>() + "' " + marker.at("color").get<std::string>() +
                       " " + time(marker.at("marked_range").at("start_time")) + " " +
                       time(marker.at("marked_range").at("duration"));
            }
            out += "\n";
        }
    }
    return out;
}

// otio -> CMX 3600 -> otio: every clip, gap and transition comes back. The goldens come
// back byte for byte; a timeline another tool wrote flat comes back item for item, but for
// its markers, which come back at the timecode of their "LOC:" notes as OTIO's CMX 3600
// adapter places them; a nested one is flattened once and then comes back the same.
TEST(OtioRoundTrip, TimelineThroughCmx3600KeepsEveryClipGapAndTransition) {
    const struct {
        const char* file;
        bool ours, flat;
    } timelines[] = {
        {"tools/golden/otio/cuts_only.otio", true, true},      {"tools/golden/otio/dissolve_pal.otio", true, true},
        {"tools/golden/otio/wipe_gaps_2398.otio", true, true}, {"tools/golden/otio/av_tracks_df.otio", true, true},
        {"tools/golden/otio/markers_film.otio", true, true},   {"tools/otio/foreign_flat.otio", false, true},
        {"tools/otio/foreign_nested.otio", false, false},
    };
    for (const auto& t : timelines) {
        SCOPED_TRACE(t.file);
        edlbtest::TempDir dir;
        const std::string first = edlbtest::readFile(edlbtest::dataPath(t.file));
        const ListData list = read(writeCmx3600(fromTimeline(first), dir, "first.edl"));
        const std::string second = toTimeline(list);
        checkStructure(second, fpsOf(list), recordSpan(list));
        if (t.ours) {
            EXPECT_EQ(second, first);
        }
        if (t.flat) {
            std::string expected = items(first);
            if (!t.ours) {
                // The slate marker at frame 110 of a clip from frame 100 at 01:00:00:00 (24 fps):
                // the note 'LOC: 01:00:00:10', the marker at 86410 for no frames.
                const std::string at = "110.000000@24.000000 1.000000@24.000000";
                ASSERT_NE(expected.find(at), std::string::npos);
                expected.replace(expected.find(at), at.size(), "86410.000000@24.000000 0.000000@24.000000");
            }
            EXPECT_EQ(items(second), expected);
        } else {
            const std::string third = toTimeline(read(writeCmx3600(fromTimeline(second), dir, "second.edl")));
            EXPECT_EQ(third, second);
            EXPECT_NE(items(second), items(first));  // the nesting is gone
        }
    }
}

// One OTIO track holds no overlaps: an event that overlaps the one before it on its track
// goes at its own record times on a further track of that name above, and so on upward; a
// key over its background is such an event. A dissolve that starts inside the event before
// it, after its first frame, ends that event there instead. Reading the timeline gives the list back. Each layout is
// worked out from the list's text at 30 frames a second.
TEST(OtioWrite, OverlapsGoOnFurtherTracks) {
    const auto clip = [](const std::string& name, int source, int length) {
        return "  Clip.2 '" + name + "' " + std::to_string(source) + ".000000@30.000000 " + std::to_string(length) +
               ".000000@30.000000 MissingReference.1 \n";
    };
    const auto gap = [](int length) {
        return "  Gap.1 '' 0.000000@30.000000 " + std::to_string(length) + ".000000@30.000000 - \n";
    };
    const std::string video = "track Video\n", audio = "track Audio\n";
    const struct {
        const char* name;
        std::string list, items;
        std::vector<std::string> tracks;  // name and metadata of each track
        std::vector<std::string> warnings;
    } cases[] = {
        // Four seconds of R1 (V and A1) from 00:00:00:00; R2 (V and A1) over its seconds 1
        // and 2, R3 (V) over half a second from 2 seconds, inside both: a third video track;
        // R4 right after R1. The timeline spans 0 to 150.
        {"layers.edl",
         "TITLE: LAYERS\nFCM: NON-DROP FRAME\n\n"
         "001  R1       B     C        01:00:00:00 01:00:04:00 00:00:00:00 00:00:04:00\n"
         "* FROM CLIP NAME: wide shot\n"
         "002  R2       B     C        02:00:00:00 02:00:02:00 00:00:01:00 00:00:03:00\n"
         "* FROM CLIP NAME: insert\n"
         "003  R3       V     C        03:00:00:00 03:00:00:15 00:00:02:00 00:00:02:15  \n"
         "004  R4       V     C        04:00:00:00 04:00:01:00 00:00:04:00 00:00:05:00\n",
         video + clip("wide shot", 108000, 120) + clip("", 432000, 30) +               //
             video + gap(30) + clip("insert", 216000, 60) + gap(60) +                  //
             video + gap(60) + clip("", 324000, 15) + gap(75) +                        //
             audio + clip("wide shot", 108000, 120) + gap(30) +                        //
             audio + gap(30) + clip("insert", 216000, 60) + gap(60),
         {"V1 {}", R"(V1 {"edlbridge":{"track":1}})", R"(V1 {"edlbridge":{"track":1}})", "A1 {}",
          R"(A1 {"edlbridge":{"track":1}})"},
         {"event 2 (edit 2) overlaps the event before it on V1 by 90 frames: placed on a further V1 track",
          "event 2 (edit 2) overlaps the event before it on A1 by 90 frames: placed on a further A1 track",
          "event 3 (edit 3) overlaps the event before it on V1 by 60 frames: placed on a further V1 track"}},
        // A title keyed over BG01 from its second second for two, after its zero-length cut
        // line; BG02 follows BG01. CRLF line ends.
        {"key.edl",
         "TITLE: KEYED\r\nFCM: NON-DROP FRAME\r\n"
         "001  BG01     V     C        10:00:00:00 10:00:05:00 01:00:00:00 01:00:05:00\r\n"
         "* FROM CLIP NAME: BACKGROUND\r\n"
         "002  BL       V     C        00:00:00:00 00:00:00:00 01:00:01:00 01:00:01:00\r\n"
         "002  TITLE1   V     K    000 00:00:10:00 00:00:12:00 01:00:01:00 01:00:03:00\r\n"
         "* TO CLIP NAME: TITLE\r\n"
         "003  BG02     V     C        10:00:05:00 10:00:06:00 01:00:05:00 01:00:06:00\r\n",
         video + clip("BACKGROUND", 1080000, 150) + clip("", 1080150, 30) +  //
             video + gap(30) + "  Transition.1 Custom_Transition 0.000000@30.000000 0.000000@30.000000\n" +
             clip("TITLE", 300, 60) + gap(90),
         {"V1 {}", R"(V1 {"edlbridge":{"track":1}})"},
         {"event 3 (edit 2) overlaps the event before it on V1 by 120 frames: placed on a further V1 track"}},
        // A dissolve from SOFT01's fourth second: SOFT01 ends there on the same track. CR
        // line ends.
        {"soft.edl",
         "TITLE: SOFT\rFCM: NON-DROP FRAME\r"
         "001  SOFT01   V     C        01:00:00:00 01:00:04:00 00:00:00:00 00:00:04:00\r"
         "002  SOFT02   V     D    015 02:00:00:00 02:00:03:00 00:00:03:00 00:00:06:00\r",
         video + clip("", 108000, 90) + "  Transition.1 SMPTE_Dissolve 0.000000@30.000000 15.000000@30.000000\n" +
             clip("", 216000, 90),
         {"V1 {}"},
         {}},
        // A dissolve from the first frame of CC01 would leave it none: it goes on the track
        // above, from black there.
        {"same_start.edl",
         "TITLE: SAME START\nFCM: NON-DROP FRAME\n"
         "001  CC01     V     C        01:00:00:00 01:00:02:00 00:00:00:00 00:00:02:00\n"
         "002  CC02     V     D    010 02:00:00:00 02:00:02:00 00:00:00:00 00:00:02:00\t\n"
         "* EFFECT NAME: CROSS DISSOLVE\n",
         video + clip("", 108000, 60) +  //
             video + gap(0) + "  Transition.1 SMPTE_Dissolve 0.000000@30.000000 10.000000@30.000000\n" +
             clip("", 216000, 60),
         {"V1 {}", R"(V1 {"edlbridge":{"track":1}})"},
         {"event 2 (edit 2) overlaps the event before it on V1 by 60 frames: placed on a further V1 track"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        edlbtest::TempDir dir;
        const std::string path = dir.file(c.name);
        std::ofstream(path, std::ios::binary) << c.list;
        const ListData direct = read(writeCmx3600(read(path), dir, "direct.edl"));
        std::vector<std::string> warnings;
        const std::string timeline = toTimeline(direct, &warnings);
        EXPECT_EQ(items(timeline), c.items);
        std::vector<std::string> tracks;
        const Json parsed = Json::parse(timeline);
        for (const Json& track : parsed.at("tracks").at("children")) {
            tracks.push_back(track.at("name").get<std::string>() + " " + track.at("metadata").dump());
        }
        EXPECT_EQ(tracks, c.tracks);
        EXPECT_EQ(warnings, c.warnings);
        checkStructure(timeline, 30, recordSpan(direct));

        const std::string again = writeCmx3600(fromTimeline(timeline), dir, "again.edl");
        EXPECT_EQ(edlbtest::readFile(again), edlbtest::readFile(writeCmx3600(direct, dir, "twice.edl")));
        expectSameEvents(direct, read(again));
    }
}

// A timeline's JSON around a track of clips at the given rates.
std::string timelineAt(double rate, const std::string& clips, const std::string& metadata = "{}") {
    return R"({"OTIO_SCHEMA": "Timeline.1", "name": "rates", "metadata": )" + metadata +
           R"(, "global_start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": )" + std::to_string(rate) +
           R"(, "value": 0}, "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "name": "V1", "kind": "Video", "children": [)" +
           clips + "]}]}}";
}

std::string clipAt(double rate, double start, double duration) {
    const auto time = [rate](double value) {
        return R"({"OTIO_SCHEMA": "RationalTime.1", "rate": )" + std::to_string(rate) + R"(, "value": )" +
               std::to_string(value) + "}";
    };
    return R"({"OTIO_SCHEMA": "Clip.2", "name": "c", "source_range": {"OTIO_SCHEMA": "TimeRange.1", "start_time": )" +
           time(start) + R"(, "duration": )" + time(duration) + "}}";
}

// Other tools write 29.97, 23.976 and 59.94 as fractional rates; a time at another rate than
// the timeline's is converted and rounded to whole frames.
TEST(OtioRead, RatesBecomeModesAndTimesWholeFrames) {
    const struct {
        double rate;
        std::string metadata;
        unsigned mode;
        std::string clip;
        uint32_t srcIn, srcOut;
    } rows[] = {
        {29.97002997, "{}", EDL_TC_NDF, clipAt(29.97002997, 107892, 30), 107892, 107922},
        {29.97, R"({"edlbridge": {"drop_frame": true}})", EDL_TC_DF, clipAt(29.97, 10, 30), 10, 40},
        {23.976023976, "{}", EDL_TC_2398, clipAt(23.976023976, 86400, 24), 86400, 86424},
        {24, "{}", EDL_TC_FILM, clipAt(48, 101, 48), 51, 75},  // 50.5 rounds away from zero
        {25, "{}", EDL_TC_PAL, clipAt(25, 0.4, 25), 0, 25},
        {59.94, R"({"edlbridge": {"drop_frame": true}})", EDL_TC_NTSC5994, clipAt(59.94, 0, 60), 0, 60},
        {60, R"({"edlbridge": {"timecode_mode": 64}})", EDL_TC_NTSC60, clipAt(60, 120, 60), 120, 180},
        {30, R"({"edlbridge": {"timecode_mode": 1}})", EDL_TC_NDF, clipAt(30, 3, 3), 3, 6},  // mode of another rate
        {30, R"({"edlbridge": {"drop_frame": true}})", EDL_TC_DF, clipAt(30, 0, 30), 0, 30},
        {23.976, R"({"edlbridge": {"drop_frame": true}})", EDL_TC_2398DF, clipAt(23.976, 0, 24), 0, 24},
        {25, R"({"edlbridge": {"drop_frame": true}})", EDL_TC_PAL, clipAt(25, 0, 25), 0, 25},  // none at 25
        {50, "{}", EDL_TC_PAL50, clipAt(50, 0, 50), 0, 50},
        {59.94, "{}", EDL_TC_NTSC60, clipAt(59.94, 0, 60), 0, 60},
        {100, "{}", EDL_TC_HUNDREDTHS, clipAt(100, 0, 100), 0, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rate);
        std::vector<std::string> warnings;
        const ListData data = fromTimeline(timelineAt(row.rate, row.clip, row.metadata), &warnings);
        EXPECT_EQ(warnings.size(), 0u);
        EXPECT_EQ(data.list.dwTcMode, row.mode);
        ASSERT_EQ(data.events.size(), 1u);
        EXPECT_EQ(data.events[0].srcIn, row.srcIn);
        EXPECT_EQ(data.events[0].srcOut, row.srcOut);
    }
    // A rate no mode counts at is counted at the nearest one.
    const struct {
        double rate;
        std::string clip;
        unsigned mode;
        uint32_t srcIn, recOut;
        std::string warning;
    } odd[] = {
        {12, clipAt(12, 6, 12), EDL_TC_FILM, 12, 24, "frame rate 12 has no timecode mode: times counted at 24 (film)"},
        {27.5, clipAt(27.5, 55, 27.5), EDL_TC_NDF, 60, 30,
         "frame rate 27.5 has no timecode mode: times counted at 30 (ndf)"},
        {48, clipAt(48, 48, 48), EDL_TC_PAL50, 50, 50, "frame rate 48 has no timecode mode: times counted at 50 (pal50)"},
    };
    for (const auto& row : odd) {
        SCOPED_TRACE(row.rate);
        std::vector<std::string> warnings;
        const ListData data = fromTimeline(timelineAt(row.rate, row.clip), &warnings);
        EXPECT_EQ(data.list.dwTcMode, row.mode);
        ASSERT_EQ(data.events.size(), 1u);
        EXPECT_EQ(data.events[0].srcIn, row.srcIn);
        EXPECT_EQ(data.events[0].recOut, row.recOut);
        EXPECT_EQ(warnings, std::vector<std::string>{row.warning});
    }
}

// A video track of one clip, one second at 24 fps.
const char kOneClipTrack[] =
    R"({"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [{"OTIO_SCHEMA": "Clip.2", "source_range": )"
    R"({"start_time": {"rate": 24, "value": 0}, "duration": {"rate": 24, "value": 24}}}]})";

// Nesting is counted on the raw bytes: 64 levels are read, 65 are refused.
TEST(OtioRead, NestingUpTo64Levels) {
    for (int levels : {64, 65}) {
        const int inner = levels - 2;  // the timeline and its metadata object are two
        const std::string text = R"({"OTIO_SCHEMA": "Timeline.1", "metadata": {"x": )" + std::string(inner, '[') +
                                 std::string(inner, ']') + R"(}, "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [)" + kOneClipTrack + "]}}";
        ListData data;
        std::vector<std::string> warnings;
        const std::string reason = edlbtool::readOtioText(text, "deep.otio", data, warnings);
        EXPECT_EQ(reason, levels == 64 ? "" : "not an OTIO timeline: JSON nested deeper than 64 levels");
    }
}

// A bad timeline leaves no file behind, whatever the target.
TEST(OtioRead, BadTimelinesWriteNothing) {
    const char* const bad[] = {"bad_not_json", "bad_clip_at_top", "bad_no_schema", "bad_unknown_schema", "bad_zero_rate",
                               "bad_negative_rate", "bad_missing_range", "bad_text_value", "bad_deep", "bad_huge_number",
                               "bad_no_clips"};
    for (const char* name : bad) {
        for (const char* target : {"cmx3600", "otio"}) {
            SCOPED_TRACE(std::string(name) + " to " + target);
            edlbtest::TempDir dir;
            const edlbtest::RunResult result = edlbtest::runTool(
                {"convert", edlbtest::dataPath(std::string("tools/otio/") + name + ".otio"), "--to", target, "-o", "out"},
                dir.path());
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
            EXPECT_EQ(edlbtest::readFile(dir.file("out")), "");
            EXPECT_NE(access(dir.file("out").c_str(), F_OK), 0);
        }
    }
}

// Markers and time warps a pipeline adds to a timeline written here become notes of their
// events; what was written here is not repeated.
TEST(OtioRead, ChangesToOurTimelineBecomeNotes) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath("tools/golden/otio/markers_film.otio")));
    Json& clip = timeline["tracks"]["children"][0]["children"][0];
    clip["markers"].push_back({{"OTIO_SCHEMA", "Marker.2"}, {"name", "new note"}, {"color", "CYAN"},
                               {"marked_range", clip["markers"][0]["marked_range"]}});
    clip["name"] = "renamed in review";
    const ListData data = fromTimeline(timeline.dump());
    ASSERT_EQ(data.events.size(), 2u);
    // Its notes are rebuilt from the clip: the new name is its "FROM CLIP NAME:".
    EXPECT_EQ(data.events[0].comment,
              "FROM CLIP NAME: renamed in review\nLOC: 01:00:01:12 RED     VFX_010 // roto hair\n"
              "LOC: 01:00:03:00 BLUE    VFX_011\nLOC: 01:00:01:12 CYAN new note");
    EXPECT_EQ(data.events[0].name, "renamed in review");
    EXPECT_EQ(data.events[1].comment, "M2   A004C013       012.0                15:30:00:00\n"
                                      "FROM CLIP NAME: A004C013 slow push\nLOC: 01:00:05:00 check speed ramp");
    EXPECT_EQ(data.events[1].srcOut - data.events[1].srcIn, 24u);
}

}  // namespace

namespace {

// A timeline in the shape OTIO's CMX 3600 reader gives: each track's source_range starts at
// minus the first record in (01:00:00:00 at 24 fps) and lasts the track, no global start
// time, reels in the "cmx_3600" metadata. V: shot_010 (48 frames), a gap of 24, shot_020
// (36), a dissolve of 12 from the cut point, shot_030 (48); A1: shot_010 again, then a gap.
const char kCmxAdapterTimeline[] = "tools/otio/cmx_adapter_cuts.otio";

// The CMX 3600 list the tool converts a timeline of this folder to.
std::string cmxListOf(const char* timeline) {
    edlbtest::TempDir dir;
    const edlbtest::RunResult result = edlbtest::runTool(
        {"convert", edlbtest::dataPath(timeline), "--to", "cmx3600", "-o", "-"}, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    return result.out;
}

// Record times: place in the track (gaps take time, the transition none) less the track's
// start, that is plus one hour. The clip on V and A1 is one event. Reels come from the
// "cmx_3600" metadata, the cut line's from the outgoing clip.
TEST(OtioRead, CmxAdapterTimelineIsReadInRecordTime) {
    EXPECT_EQ(cmxListOf(kCmxAdapterTimeline),
              "TITLE: HARBOUR CUT\r\nFCM: FILM\r\n\r\n"
              "001  REEL_A   B     C        01:00:10:00 01:00:12:00 01:00:00:00 01:00:02:00\r\n"
              "* FROM CLIP NAME: shot_010\r\n"
              "002  REEL_B   V     C        02:00:00:00 02:00:01:12 01:00:03:00 01:00:04:12\r\n"
              "* FROM CLIP NAME: shot_020\r\n"
              "003  REEL_B   V     C        02:00:01:12 02:00:01:12 01:00:04:12 01:00:04:12\r\n"
              "003  REEL_C   V     D    012 03:00:00:00 03:00:02:00 01:00:04:12 01:00:06:12\r\n"
              "* FROM CLIP NAME: shot_020\r\n* TO CLIP NAME: shot_030\r\n");
}

// A global start time adds to the tracks' own start: ten seconds later.
TEST(OtioRead, CmxAdapterTimelineWithGlobalStartTime) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath(kCmxAdapterTimeline)));
    timeline["global_start_time"] = {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 24.0}, {"value", 240.0}};
    const ListData data = fromTimeline(timeline.dump());
    ASSERT_EQ(data.events.size(), 4u);
    const uint32_t hour = 86400, later = 240;
    EXPECT_EQ(data.events[0].recIn, hour + later);
    EXPECT_EQ(data.events[0].recOut, hour + later + 48);
    EXPECT_EQ(data.events[0].srcIn, hour + 240);
    EXPECT_EQ(data.events[0].videoTracks, 1u);
    EXPECT_EQ(data.events[0].audioTracks, 1u);
    EXPECT_EQ(data.events[1].recIn, hour + later + 72);
    EXPECT_EQ(data.events[1].srcIn, 2 * hour);
    EXPECT_EQ(data.events[1].srcOut, 2 * hour + 36);
    EXPECT_EQ(data.events[3].editType, 'D');
    EXPECT_EQ(data.events[3].wipeCode, 12u);
    EXPECT_EQ(data.events[3].recIn, hour + later + 108);
    EXPECT_EQ(data.events[3].recOut, hour + later + 156);
    EXPECT_EQ(data.events[3].srcIn, 3 * hour);
}

// OTIO's CMX 3600 reader gives a marker's length at rate 1; the timeline still counts at its
// clips' rate, 24.
TEST(OtioRead, AMarkerAtRateOneLeavesTheClipsRate) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath(kCmxAdapterTimeline)));
    const Json zero = {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 1.0}, {"value", 0.0}};
    const Json start = {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 24.0}, {"value", 86424.0}};
    timeline["tracks"]["children"][0]["children"][0]["markers"] = Json::array(
        {{{"OTIO_SCHEMA", "Marker.2"}, {"name", "FOCUS"}, {"color", "RED"},
          {"marked_range", {{"OTIO_SCHEMA", "TimeRange.1"}, {"duration", zero},
                            {"start_time", start}}}}});
    const ListData data = fromTimeline(timeline.dump());
    EXPECT_EQ(data.list.dwTcMode & 0xFFu, EDL_TC_FILM);
    ASSERT_EQ(data.events.size(), 4u);
    EXPECT_EQ(data.events[0].recIn, 86400u);
    EXPECT_EQ(data.events[0].recOut, 86400u + 48);
}

// A track window that starts inside the content still trims it: the first clip's first
// 24 frames are cut away, and what is left starts at the timeline's start.
TEST(OtioRead, TrackWindowInsideItsContentTrims) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath(kCmxAdapterTimeline)));
    Json& range = timeline["tracks"]["children"][0]["source_range"];
    range["start_time"]["value"] = 24.0;
    range["duration"]["value"] = 60.0;
    timeline["tracks"]["children"].erase(1);
    const ListData data = fromTimeline(timeline.dump());
    ASSERT_EQ(data.events.size(), 2u);
    EXPECT_EQ(data.events[0].recIn, 0u);
    EXPECT_EQ(data.events[0].srcIn, 86400u + 264);
    EXPECT_EQ(data.events[0].recOut, 24u);
    EXPECT_EQ(data.events[1].recIn, 48u);
    EXPECT_EQ(data.events[1].recOut, 60u);
}

// Our own metadata names the reel when both are there; without either a clip is on the reel
// OTIO's CMX 3600 writer gives it: its name's letters and digits, eight at most.
TEST(OtioRead, OurReelWinsOverTheCmxAdaptersReel) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath(kCmxAdapterTimeline)));
    Json& video = timeline["tracks"]["children"][0]["children"];
    video[0]["metadata"]["edlbridge"] = {{"reel", "OURS01"}};
    timeline["tracks"]["children"][1]["children"][0]["metadata"]["edlbridge"] = {{"reel", "OURS01"}};
    video[2]["metadata"].erase("cmx_3600");
    video[4]["metadata"]["cmx_3600"]["reel"] = 7;  // not a text: not a reel
    const ListData data = fromTimeline(timeline.dump());
    ASSERT_EQ(data.events.size(), 4u);
    EXPECT_EQ(data.events[0].reel, "OURS01");
    EXPECT_EQ(data.events[1].reel, "shot020");
    EXPECT_EQ(data.events[2].reel, "shot020");
    EXPECT_EQ(data.events[3].reel, "shot030");

    // A clip written here whose reel a pipeline left only in the CMX adapter's metadata.
    Json ourTimeline = Json::parse(edlbtest::readFile(edlbtest::dataPath("tools/golden/otio/cuts_only.otio")));
    Json& metadata = ourTimeline["tracks"]["children"][0]["children"][0]["metadata"];
    metadata["edlbridge"].erase("reel");
    metadata["cmx_3600"]["reel"] = "PIPE01";
    const ListData ourData = fromTimeline(ourTimeline.dump());
    ASSERT_EQ(ourData.events.size(), 3u);
    EXPECT_EQ(ourData.events[0].reel, "PIPE01");
    EXPECT_EQ(ourData.events[1].reel, "A002C007");
}

// Every clip written carries its event's reel where OTIO's CMX 3600 adapter looks for it,
// and no reel of ours beside it; gaps carry none.
TEST(OtioWrite, ClipsCarryTheirReelForTheCmxAdapter) {
    for (const char* list : kLists) {
        SCOPED_TRACE(list);
        const ListData data = read(edlbtest::dataPath(list));
        const Json timeline = Json::parse(toTimeline(data));
        size_t clips = 0;
        const Json& tracks = timeline.contains("tracks") ? timeline.at("tracks").at("children") : Json::array({timeline});
        for (const Json& track : tracks) {
            size_t event = 0;
            for (const Json& item : track.at("children")) {
                const Json& metadata = item.at("metadata");
                if (item.at("OTIO_SCHEMA") == "Gap.1") {
                    EXPECT_EQ(metadata.count("cmx_3600"), 0u);
                }
                if (item.at("OTIO_SCHEMA") != "Clip.2") continue;
                ++clips;
                // A clip that does not say its place follows the one before it on its track.
                event = metadata.at("edlbridge").value("event", event + 1);
                ASSERT_LE(event, data.events.size());
                EXPECT_EQ(metadata.at("cmx_3600").at("reel"), data.events[event - 1].reel);
                EXPECT_EQ(metadata.at("edlbridge").count("reel"), 0u);
            }
        }
        EXPECT_GT(clips, 0u);
    }
}

// A timeline with nothing to read in it is refused, not read as an empty list: no tracks,
// tracks of gaps only, or a clip that is disabled.
TEST(OtioRead, TimelineWithoutClipsIsAnError) {
    const std::string gap =
        R"({"OTIO_SCHEMA": "Gap.1", "source_range": {"start_time": {"rate": 24, "value": 0}, )"
        R"("duration": {"rate": 24, "value": 48}}})";
    Json disabled = Json::parse(kOneClipTrack);
    disabled["children"][0]["enabled"] = false;
    const std::string stacks[] = {
        "[]",
        R"([{"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [)" + gap + "]}]",
        "[" + disabled.dump() + "]",
    };
    for (const std::string& children : stacks) {
        SCOPED_TRACE(children);
        const std::string text = R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": )" +
                                 children + "}}";
        ListData data;
        std::vector<std::string> warnings;
        EXPECT_EQ(edlbtool::readOtioText(text, "empty.otio", data, warnings), "no clips in the timeline");
        EXPECT_TRUE(data.events.empty());
    }
}

// A timeline as OTIO's CMX 3600 reader writes one, worked through by hand: the track starts at
// minus one hour (24 fps); a dissolve of 12 opens the track (from black) and another leads
// from plate_020 into plate_030. plate_010 (90000, 48 frames) keeps its notes in the
// adapter's comments and has a marker on a record time (86410, 01:00:00:10) and one in its
// source time (90030: 30 frames in, 01:00:01:06); its file is a URL. plate_020 names no
// reel: OTIO's writer makes one from its image sequence's name; of its markers one lies
// far outside the clip (reported, left out), the other was written 'check' (kept so). The
// sequence starts at frame 1001 at source 100000, the clip 8 frames later for 24 frames.
// hold_040 is a freeze frame: one source frame, " FF" after its name, an M2 line.
const char kMarkersTimeline[] = "tools/otio/cmx_adapter_markers.otio";

TEST(OtioRead, CmxAdapterConventionsBecomeTheListsNotes) {
    edlbtest::TempDir dir;
    const edlbtest::RunResult result = edlbtest::runTool(
        {"convert", edlbtest::dataPath(kMarkersTimeline), "--to", "cmx3600", "-o", "-"}, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "TITLE: MARKED CUT\r\nFCM: FILM\r\n\r\n"
              "001  BL       V     C        00:00:00:00 00:00:00:00 01:00:00:00 01:00:00:00\r\n"
              "001  A001     V     D    012 01:02:30:00 01:02:32:00 01:00:00:00 01:00:02:00\r\n"
              "* SOURCE FILE: /media/plate 010.mov\r\n"
              "* TO CLIP NAME: plate_010\r\n"
              "* SHOT 010 TAKE 3\r\n"
              "* ASC_SAT 0.9\r\n"
              "* LOC: 01:00:00:10 RED focus\r\n"
              "* LOC: 01:00:01:06 BLUE sky\r\n"
              "002  plate020 V     C        01:09:27:00 01:09:28:00 01:00:02:00 01:00:03:00\r\n"
              "* FROM CLIP NAME: plate_020\r\n"
              "* SOURCE FILE: /plates/plate_020.[1009-1032].exr\r\n"
              "* LOC: 01:00:02:05 check ramp\r\n"
              "003  plate020 V     C        01:09:28:00 01:09:28:00 01:00:03:00 01:00:03:00\r\n"
              "003  A003     V     D    012 01:16:24:00 01:16:25:12 01:00:03:00 01:00:04:12\r\n"
              "* FROM CLIP NAME: plate_020\r\n"
              "* TO CLIP NAME: plate_030\r\n"
              "004  A004     V     C        01:23:20:00 01:23:20:01 01:00:04:12 01:00:05:12\r\n"
              "* FROM CLIP NAME: hold_040 FF\r\n"
              "M2   A004           000.0                01:23:20:00\r\n"
              "* * FREEZE FRAME\r\n");
    const std::string file = edlbtest::dataPath(kMarkersTimeline);
    EXPECT_EQ(result.err,
              "edlbridge: " + file + ": marker \"lost\" at tracks.children[0].children[2] lies outside "
              "its clip: left out\nedlbridge: " + file + ": clip \"hold_040 FF\" at "
              "tracks.children[0].children[5]: time_scalar 0 (0.0 fps) kept as the note "
              "'M2   A004           000.0                01:23:20:00'\n");
}

// Markers on the second and later clips are placed from their own clip's record in; no
// marker is ever given a time before its clip.
TEST(OtioRead, MarkersOfEveryClipKeepTheirPlace) {
    Json timeline = Json::parse(edlbtest::readFile(edlbtest::dataPath(kCmxAdapterTimeline)));
    Json& video = timeline["tracks"]["children"][0]["children"];
    const auto marker = [](const char* name, double at) {
        const Json zero = {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 1.0}, {"value", 0.0}};
        const Json start = {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 24.0}, {"value", at}};
        return Json{{"OTIO_SCHEMA", "Marker.2"}, {"name", name}, {"color", "YELLOW"},
                    {"marked_range", {{"OTIO_SCHEMA", "TimeRange.1"}, {"duration", zero},
                                      {"start_time", start}}}};
    };
    // shot_020 starts at source 02:00:00:00 (172800) and record 01:00:03:00; shot_030 at
    // source 03:00:00:00 (259200) and record 01:00:04:12 (its dissolve starts there).
    video[2]["markers"] = Json::array({marker("in source", 172800 + 10)});
    video[4]["markers"] = Json::array({marker("on record", 86400 + 130), marker("before", 5)});
    std::vector<std::string> warnings;
    const ListData data = fromTimeline(timeline.dump(), &warnings);
    ASSERT_EQ(data.events.size(), 4u);
    EXPECT_EQ(data.events[1].comment, "LOC: 01:00:03:10 YELLOW in source");
    EXPECT_EQ(data.events[3].comment,
              "FROM CLIP NAME: shot_020\nTO CLIP NAME: shot_030\nLOC: 01:00:05:10 YELLOW on record");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "marker \"before\" at tracks.children[0].children[4] lies outside its clip: left out");
}

// A log as OTIO's log exchange adapter writes it: a collection of clips with their columns
// under "ALE". Collections inside it and stacks in it give their clips too; the list is a
// log: source times, no record times, numbered in order.
TEST(OtioRead, CollectionOfClipsIsALog) {
    const auto time = [](double value) {
        return Json{{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 25.0}, {"value", value}};
    };
    const auto clip = [&](const char* name, double start, double duration, Json metadata) {
        return Json{{"OTIO_SCHEMA", "Clip.2"}, {"metadata", metadata}, {"name", name},
                    {"source_range", {{"OTIO_SCHEMA", "TimeRange.1"}, {"duration", time(duration)},
                                      {"start_time", time(start)}}},
                    {"effects", Json::array()}, {"markers", Json::array()}, {"enabled", true},
                    {"media_references", {{"DEFAULT_MEDIA", {{"OTIO_SCHEMA", "MissingReference.1"}}}}},
                    {"active_media_reference_key", "DEFAULT_MEDIA"}};
    };
    const Json log = {
        {"OTIO_SCHEMA", "SerializableCollection.1"},
        {"metadata", {{"ALE", {{"header", {{"FPS", "25"}}}}}}},
        {"name", "DAY 3 LOG"},
        {"children",
         {clip("A005_C010", 90000, 50,
               {{"ALE", {{"Tape", "A005"}, {"Tracks", "VA1A2"}, {"Source File", "A005_C010.mov"}}}}),
          {{"OTIO_SCHEMA", "SerializableCollection.1"}, {"name", "B roll"},
           {"children", {clip("B002_C001", 180000, 25, {{"cmx_3600", {{"reel", "B002"}}},
                                                          {"ALE", {{"Tracks", "A1"}}}})}}},
          {{"OTIO_SCHEMA", "Stack.1"},
           {"children",
            {{{"OTIO_SCHEMA", "Track.1"}, {"kind", "Video"},
              {"children", {clip("C003_take2", 0, 10, Json::object())}}}}}},
          // A row without start and end: a clip of the log all the same.
          {{"OTIO_SCHEMA", "Clip.2"}, {"name", "D004"}, {"source_range", nullptr},
           {"metadata", {{"ALE", {{"Tape", "D004"}, {"Comments", "pan left"}}}}}}}}};
    const ListData data = fromTimeline(log.dump());
    EXPECT_EQ(data.list.dwListType, static_cast<uint32_t>(EDLTYPE_LOG_EXCHANGE));
    EXPECT_EQ(data.list.dwTcMode & 0xFFu, EDL_TC_PAL);
    EXPECT_STREQ(data.list.szTitle, "DAY 3 LOG");
    ASSERT_EQ(data.events.size(), 4u);
    const struct {
        uint32_t edit;
        const char* reel;
        uint32_t video, audio, srcIn, srcOut, recIn, recOut;
        const char* clip;
        const char* file;
    } expected[] = {
        // Laid end to end in the order of the log, the nested stack's clip included.
        {1, "A005", 1, 3, 90000, 90050, 0, 50, "A005_C010", "A005_C010.mov"},
        {2, "B002", 0, 1, 180000, 180025, 50, 75, "B002_C001", ""},
        {3, "C003take", 1, 0, 0, 10, 75, 85, "C003_take2", ""},
        {4, "D004", 1, 0, 0, 0, 85, 85, "D004", ""},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const EventRow& event = data.events[i];
        EXPECT_EQ(event.editNumber, expected[i].edit);
        EXPECT_EQ(event.reel, expected[i].reel);
        EXPECT_EQ(event.videoTracks, expected[i].video);
        EXPECT_EQ(event.audioTracks, expected[i].audio);
        EXPECT_EQ(event.srcIn, expected[i].srcIn);
        EXPECT_EQ(event.srcOut, expected[i].srcOut);
        EXPECT_EQ(event.recIn, expected[i].recIn);
        EXPECT_EQ(event.recOut, expected[i].recOut);
        EXPECT_EQ(edlbtool::fullClipName(event), expected[i].clip);
        EXPECT_EQ(edlbtool::sourceFile(event), expected[i].file);
    }
    EXPECT_EQ(data.events[0].comment, "FROM CLIP NAME: A005_C010");
    EXPECT_EQ(data.events[3].comment, "pan left");
}

// A log through a timeline and back: the columns no field holds come back as columns of
// their own (a name with a space, an empty cell, UTF-8 texts), and the heading's audio rate
// with them. The record times are the timeline's, from zero.
TEST(OtioRead, ALogThroughATimelineKeepsItsColumns) {
    edlbtest::TempDir dir;
    std::ofstream(dir.file("quai.ale"), std::ios::binary)
        << "Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\t1080\r\nAUDIO_FORMAT\t48khz\r\nFPS\t25\r\n\r\n"
           "Column\r\nName\tTape\tStart\tEnd\tTracks\tScene\tLens Note\tComments\r\n\r\n"
           "Data\r\n"
           "quai_large\tQUAI01\t10:00:00:00\t10:00:02:00\tV\t4B\t35mm ouvert \xC3\xA0 fond\tpremi\xC3\xA8re prise\r\n"
           "quai_serr\xC3\xA9\tQUAI02\t10:05:00:00\t10:05:01:10\tVA1\t4C\t\t\r\n";
    for (const char* step : {"quai.ale:quai.otio", "quai.otio:back.ale"}) {
        const std::string names(step);
        const size_t colon = names.find(':');
        const std::string to = names.substr(names.size() - 3) == "ale" ? "ale" : "otio";
        const edlbtest::RunResult result = edlbtest::runTool(
            {"convert", names.substr(0, colon), "--to", to, "-o", names.substr(colon + 1)}, dir.path());
        ASSERT_EQ(result.status, 0) << step << ": " << result.err;
    }
    const Json timeline = Json::parse(edlbtest::readFile(dir.file("quai.otio")));
    EXPECT_EQ(timeline.at("metadata").at("ALE").at("header"),
              Json::parse(R"j({"AUDIO_FORMAT": "48kHz", "FPS": "25"})j"));
    EXPECT_EQ(edlbtest::readFile(dir.file("back.ale")),
              "Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\tPAL\r\nAUDIO_FORMAT\t48kHz\r\nFPS\t25\r\n\r\n"
              "Column\r\nName\tTracks\tStart\tEnd\tTape\tSource File\tComments\tMark IN\tMark OUT\t"
              "Record Start\tRecord End\tEvent\tTransition\tScene\tLens Note\r\n\r\n"
              "Data\r\n"
              "quai_large\tV\t10:00:00:00\t10:00:02:00\tQUAI01\t\tpremi\xC3\xA8re prise\t\t\t"
              "00:00:00:00\t00:00:02:00\t1\tC\t4B\t35mm ouvert \xC3\xA0 fond\r\n"
              "quai_serr\xC3\xA9\tVA1\t10:05:00:00\t10:05:01:10\tQUAI02\t\t\t\t\t"
              "00:00:02:00\t00:00:03:10\t2\tC\t4C\t\r\n");
}

// A log as OTIO's log adapter keeps one (no metadata of ours): the cells of columns no field
// holds become columns again; an interpreted column ("Mark IN") and an empty cell do not
// turn into notes.
TEST(OtioRead, AnAdaptersLogKeepsItsColumns) {
    edlbtest::TempDir dir;
    std::ofstream(dir.file("day.otio"), std::ios::binary) << R"j({
 "OTIO_SCHEMA": "SerializableCollection.1", "name": "",
 "metadata": {"ALE": {"columns": ["Name", "Tape", "Start", "End", "Scene", "Camera Roll", "Mark IN", "Comments"],
                      "header": {"AUDIO_FORMAT": "32khz", "FPS": "25", "VIDEO_FORMAT": "1080"}}},
 "children": [{"OTIO_SCHEMA": "Clip.2", "name": "wide",
   "metadata": {"ALE": {"Camera Roll": "", "Comments": "nice", "Mark IN": "10:00:01:00", "Name": "wide",
                        "Scene": "12A", "Tape": "T01"}},
   "source_range": {"OTIO_SCHEMA": "TimeRange.1",
     "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 50},
     "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 900000}}}]})j";
    const edlbtest::RunResult result =
        edlbtest::runTool({"convert", "day.otio", "--to", "ale", "-o", "-"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\tPAL\r\nAUDIO_FORMAT\t32kHz\r\nFPS\t25\r\n\r\n"
              "Column\r\nName\tTracks\tStart\tEnd\tTape\tSource File\tComments\tMark IN\tMark OUT\t"
              "Record Start\tRecord End\tEvent\tTransition\tScene\tCamera Roll\r\n\r\n"
              "Data\r\n"
              "wide\tV\t10:00:00:00\t10:00:02:00\tT01\t\tnice\t\t\t00:00:00:00\t00:00:02:00\t1\tC\t12A\t\r\n");
}

// A graded row of OTIO's log adapter carries its grade twice, as the cells it read and as
// "cdl": the cells, as written, give the grade notes, once. The rows follow one another in
// record time.
TEST(OtioRead, AnAdaptersGradedLogGivesItsGradeOnce) {
    edlbtest::TempDir dir;
    std::ofstream(dir.file("graded.otio"), std::ios::binary) << R"j({
 "OTIO_SCHEMA": "SerializableCollection.1", "name": "GRADED",
 "metadata": {"ALE": {"columns": ["Name", "Tape", "Start", "End", "ASC_SOP", "ASC_SAT"],
                      "header": {"FPS": "25"}}},
 "children": [{"OTIO_SCHEMA": "Clip.2", "name": "wide",
   "metadata": {"ALE": {"ASC_SAT": "0.90", "ASC_SOP": "(1.10 1.0 0.9)(0.0 0.0 0.0)(1.0 1.0 1.0)",
                        "Name": "wide", "Tape": "T01"},
                "cdl": {"asc_sat": 0.9, "asc_sop": {"offset": [0.0, 0.0, 0.0], "power": [1.0, 1.0, 1.0],
                                                    "slope": [1.1, 1.0, 0.9]}}},
   "source_range": {"OTIO_SCHEMA": "TimeRange.1",
     "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 50},
     "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 900000}}},
  {"OTIO_SCHEMA": "Clip.2", "name": "close", "metadata": {"ALE": {"Name": "close", "Tape": "T02"}},
   "source_range": {"OTIO_SCHEMA": "TimeRange.1",
     "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 25},
     "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 25, "value": 901500}}}]})j";
    const edlbtest::RunResult result =
        edlbtest::runTool({"convert", "graded.otio", "--to", "cmx3600", "-o", "-"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    // CMX 3600 lists are written with CR LF.
    EXPECT_EQ(result.out,
              "TITLE: GRADED\r\nFCM: PAL\r\n\r\n"
              "001  T01      V     C        10:00:00:00 10:00:02:00 00:00:00:00 00:00:02:00\r\n"
              "* FROM CLIP NAME: wide\r\n"
              "* ASC_SAT 0.90\r\n"
              "* ASC_SOP (1.10 1.0 0.9)(0.0 0.0 0.0)(1.0 1.0 1.0)\r\n"
              "002  T02      V     C        10:01:00:00 10:01:01:00 00:00:02:00 00:00:03:00\r\n"
              "* FROM CLIP NAME: close\r\n");
}

// Keys in any order: a track whose schema comes after its children is read whole, and a start
// time given after the tracks still sets the rate (30 here, the clips' times at 25 scaled).
// A byte order mark before the text is passed over.
TEST(OtioRead, KeysInAnyOrderAndAByteOrderMark) {
    const std::string text =
        "\xEF\xBB\xBF"
        R"({"tracks": {"OTIO_SCHEMA": "Stack.1", "children": [
             {"children": [
                {"name": "late", "OTIO_SCHEMA": "Clip.1",
                 "source_range": {"duration": {"value": 50, "rate": 25, "OTIO_SCHEMA": "RationalTime.1"},
                                  "start_time": {"rate": 25, "value": 250, "OTIO_SCHEMA": "RationalTime.1"},
                                  "OTIO_SCHEMA": "TimeRange.1"}}],
              "kind": "Video", "OTIO_SCHEMA": "Track.1"}]},
            "name": "ODD ORDER",
            "global_start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 30, "value": 108000},
            "OTIO_SCHEMA": "Timeline.1"})";
    const ListData data = fromTimeline(text);
    EXPECT_EQ(data.list.dwTcMode & 0xFFu, EDL_TC_NDF);
    EXPECT_STREQ(data.list.szTitle, "ODD ORDER");
    ASSERT_EQ(data.events.size(), 1u);
    EXPECT_EQ(data.events[0].recIn, 108000u);
    EXPECT_EQ(data.events[0].recOut, 108060u);
    EXPECT_EQ(data.events[0].srcIn, 300u);
    EXPECT_EQ(data.events[0].srcOut, 360u);
    EXPECT_EQ(data.events[0].reel, "late");
}

// Reels OTIO's CMX 3600 writer makes for clips that name none, from the media file's name or
// else the clip's: the extension and all but letters, digits and spaces left out.
TEST(OtioRead, ReelsMadeAsOtiosWriterMakesThem) {
    const struct {
        const char* name;
        const char* url;
        const char* reel;
    } cases[] = {
        {"Clip_A.mov", nullptr, "ClipA"},
        {"a b-c.d_e", nullptr, "a bcde"},  // '.d_e' is no extension: '_' is no letter
        {"x.y.z", nullptr, "xy"},
        {"ZZ100_501.take_1.0001.exr", nullptr, "ZZ100501"},
        {"withurl", "file:///a/b/My_File-01.mov", "MyFile01"},
        {"\xC3\x84_\xC3\x9F", nullptr, "AX"},  // nothing left: no reel
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Json clip = {{"OTIO_SCHEMA", "Clip.2"}, {"name", c.name},
                     {"source_range", {{"OTIO_SCHEMA", "TimeRange.1"},
                                       {"duration", {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 24.0}, {"value", 24.0}}},
                                       {"start_time", {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 24.0}, {"value", 0.0}}}}}};
        if (c.url != nullptr) {
            clip["media_references"] = {{"DEFAULT_MEDIA", {{"OTIO_SCHEMA", "ExternalReference.1"}, {"target_url", c.url}}}};
        }
        const Json timeline = {{"OTIO_SCHEMA", "Timeline.1"},
                               {"tracks", {{"OTIO_SCHEMA", "Stack.1"},
                                           {"children", {{{"OTIO_SCHEMA", "Track.1"}, {"kind", "Video"},
                                                          {"children", {clip}}}}}}}};
        const ListData data = fromTimeline(timeline.dump());
        ASSERT_EQ(data.events.size(), 1u);
        EXPECT_EQ(data.events[0].reel, c.reel);
    }
}

// What the stream reader refuses, and why: each reason as the reader gives it, read the same
// from memory and from a file.
TEST(OtioRead, StreamRefusalsSayWhy) {
    const std::string track = kOneClipTrack;
    const struct {
        std::string text, reason;
    } cases[] = {
        {"[1, 2]", "not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")"},
        {"\"name\"", "not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")"},
        {"24.0", "not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")"},
        // A byte order mark is no column: the missing value is the 16th character.
        {"\xEF\xBB\xBF{\"OTIO_SCHEMA\":}", "not JSON (syntax error at line 1, column 16)"},
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Track.1", "children": []}})",
         "unknown OTIO schema \"Track.1\" at tracks"},
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": 5})", "not an object at tracks"},
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": null})", "missing tracks"},
        // A first key that names no schema in text: the child is read whole, and has none.
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [)"
         R"({"OTIO_SCHEMA": 5, "name": "Track.1"}]}})",
         "missing OTIO_SCHEMA at tracks.children[0]"},
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [7]}})",
         "not an object at tracks.children[0]"},
        {R"({"OTIO_SCHEMA": "Timeline.1", "name": "caf)" "\xE9" R"(", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [)" +
             track + "]}}",
         "not JSON (a string that is not UTF-8)"},
        // 80 bytes, the track's 181, then the end where ',' or ']' was due: column 262.
        {R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [)" + track,
         "not JSON (syntax error at line 1, column 262)"},
        {R"({"OTIO_SCHEMA": "SerializableCollection.1", "children": [1, "x", {"OTIO_SCHEMA": "Gap.1"}]})",
         "no clips in the timeline"},
    };
    edlbtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ListData data;
        std::vector<std::string> warnings;
        EXPECT_EQ(edlbtool::readOtioText(c.text, "bad.otio", data, warnings), c.reason);
        EXPECT_TRUE(data.events.empty());
        dir.write("bad.otio", c.text);
        EXPECT_EQ(edlbtool::readOtio(dir.file("bad.otio"), data, warnings), c.reason);
    }
}

}  // namespace
