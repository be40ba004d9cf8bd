// Writing timelines: the JSON layout byte for byte, and OpenTimelineIO's conventions for
// hand-written lists, each expectation worked out from the list's text.
#include "json_out.h"
#include "list_reader.h"
#include "otio.h"
#include "tool_test.h"

#include <edlbridge.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

using Json = nlohmann::json;

std::string written(const std::function<void(edlbtool::JsonOut&)>& write, unsigned depth = 0,
                    bool inList = false) {
    std::string text;
    {
        edlbtool::JsonOut out(
            [&text](const char* bytes, size_t size) {
                text.append(bytes, size);
                return true;
            },
            depth, inList);
        write(out);
        EXPECT_TRUE(out.flush());
    }
    return text;
}

TEST(OtioJsonOut, LaysOutAsOtioWrites) {
    const std::string text = written([](edlbtool::JsonOut& out) {
        out.beginObject();
        out.emptyArray("effects").emptyObject("metadata");
        out.key("list").beginArray().integer(-3).string("a \"b\"\n\x01\\").null().end();
        out.key("rate").real(24);
        out.key("scalar").real(0.5);
        out.key("third").real(1.0 / 3);
        out.key("bytes").string("caf\xc3\xa9 \xff\xc3");
        out.key("cut").string("\xe2\x82" "A");
        out.key("enabled").boolean(true);
        out.end();
    });
    EXPECT_EQ(text,
              "{\n"
              "    \"effects\": [],\n"
              "    \"metadata\": {},\n"
              "    \"list\": [\n"
              "        -3,\n"
              "        \"a \\\"b\\\"\\n\\u0001\\\\\",\n"
              "        null\n"
              "    ],\n"
              "    \"rate\": 24.0,\n"
              "    \"scalar\": 0.5,\n"
              "    \"third\": 0.3333333333333333,\n"
              "    \"bytes\": \"caf\xc3\xa9 \xef\xbf\xbd\xef\xbf\xbd\",\n"
              "    \"cut\": \"\xef\xbf\xbd\xef\xbf\xbd" "A\",\n"
              "    \"enabled\": true\n"
              "}");
}

// A track written apart from the stack it goes into: a value of a list three levels down.
TEST(OtioJsonOut, ValueOfAListFurtherDown) {
    EXPECT_EQ(written([](edlbtool::JsonOut& out) { out.beginObject().key("kind").string("Video").end(); }, 3, true),
              "\n            {\n                \"kind\": \"Video\"\n            }");
}

// A sink that fails is reported, once, and the text after it is not tried.
TEST(OtioJsonOut, AFailingSinkIsReported) {
    size_t calls = 0;
    edlbtool::JsonOut out([&calls](const char*, size_t) { return ++calls > 1 && false; });
    out.beginArray();
    for (int i = 0; i < 100000; ++i) out.string("0123456789");
    out.end();
    EXPECT_FALSE(out.flush());
    EXPECT_EQ(calls, 1u);
}

edlbtool::ListData listOf(const edlbtest::TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << text;
    edlbtool::ListData data;
    EXPECT_EQ(edlbtool::readList(path, data), "");
    return data;
}

// At 30 frames a second: a dissolve from black at the start of the track into OPENING, a
// clip of an image sequence with markers and notes, a dissolve from it into black whose
// file is "(NULL)". CRLF line ends.
const char kConventions[] =
    "TITLE: CONVENTIONS\r\nFCM: NON-DROP FRAME\r\n"
    "001  BL       V     C        00:00:00:00 00:00:00:00 01:00:00:00 01:00:00:00\r\n"
    "001  A001     V     D    010 10:00:00:00 10:00:02:00 01:00:00:00 01:00:02:00\r\n"
    "* TO CLIP NAME: OPENING\r\n"
    "002  B002     V     C        20:00:00:00 20:00:01:00 01:00:02:00 01:00:03:00\r\n"
    "* FROM CLIP NAME: SHOT_020\r\n"
    "* FROM FILE: /renders/shot_020.[1001-1030].exr\r\n"
    "* LOC: 01:00:02:05 green   roto\r\n"
    "* LOC: 01:00:09:00 BLUE    outside\r\n"
    "* LOC: 01:00:02:10 nocolour text\r\n"
    "* LOC: no timecode\r\n"
    "* review note\r\n"
    "003  B002     V     C        20:00:01:00 20:00:01:00 01:00:03:00 01:00:03:00\r\n"
    "003  BL       V     D    015 00:00:00:00 00:00:01:00 01:00:03:00 01:00:04:00\r\n"
    "* SOURCE FILE: (NULL)\r\n";

Json time(double value) {
    return {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 30.0}, {"value", value}};
}
Json range(double start, double duration) {
    return {{"OTIO_SCHEMA", "TimeRange.1"}, {"duration", time(duration)}, {"start_time", time(start)}};
}

TEST(OtioWrite, ConventionsOfOtiosCmxAdapter) {
    edlbtest::TempDir dir;
    std::vector<std::string> warnings;
    const Json timeline = Json::parse(edlbtool::otioText(listOf(dir, "conventions.edl", kConventions),
                                                         edlbtool::WriteOptions(), warnings));
    EXPECT_EQ(timeline.at("global_start_time"), time(108000));
    const Json& items = timeline.at("tracks").at("children").at(0).at("children");
    ASSERT_EQ(items.size(), 6u);
    // Black before the first dissolve: a gap of no length; the dissolve from the cut point.
    EXPECT_EQ(items[0].at("OTIO_SCHEMA"), "Gap.1");
    EXPECT_EQ(items[0].at("source_range"), range(0, 0));
    EXPECT_EQ(items[1].at("OTIO_SCHEMA"), "Transition.1");
    EXPECT_EQ(items[1].at("name"), "SMPTE_Dissolve to OPENING");
    EXPECT_EQ(items[1].at("in_offset"), time(0));
    EXPECT_EQ(items[1].at("out_offset"), time(10));
    EXPECT_EQ(items[1].at("metadata").at("cmx_3600"), Json::parse(R"j({"transition": "D", "transition_duration": 10.0})j"));
    EXPECT_EQ(items[1].at("metadata").at("edlbridge").at("cut_line"),
              Json::parse(R"j({"edit": 1, "event": 1, "reel": "BL", "source_in": 0, "video_tracks": 1})j"));
    EXPECT_EQ(items[2].at("name"), "OPENING");
    EXPECT_EQ(items[2].at("source_range"), range(1080000, 60));

    const Json& shot = items[3];
    EXPECT_EQ(shot.at("name"), "SHOT_020");
    EXPECT_EQ(shot.at("source_range"), range(2160000, 30));
    EXPECT_EQ(shot.at("metadata").at("cmx_3600"),
              Json::parse(R"j({"comments": ["LOC: no timecode", "review note"], "reel": "B002"})j"));
    const Json sequence = {{"OTIO_SCHEMA", "ImageSequenceReference.1"}, {"metadata", Json::object()}, {"name", ""},
                           {"available_range", range(2160000, 30)}, {"available_image_bounds", nullptr},
                           {"target_url_base", "file:///renders"}, {"name_prefix", "shot_020."},
                           {"name_suffix", ".exr"}, {"start_frame", 1001}, {"frame_step", 1}, {"rate", 30.0},
                           {"frame_zero_padding", 4}, {"missing_frame_policy", "error"}};
    EXPECT_EQ(shot.at("media_references").at("DEFAULT_MEDIA"), sequence);
    // Markers at their notes' timecodes (01:00:02:05 is 108065), the colour word as written.
    const Json& markers = shot.at("markers");
    ASSERT_EQ(markers.size(), 3u);
    const struct {
        const char* name;
        const char* colour;
        const char* word;
        double at;
    } expected[] = {{"roto", "GREEN", "green", 108065}, {"outside", "BLUE", "BLUE", 108270},
                    {"nocolour text", "RED", nullptr, 108070}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(markers[i].at("name"), expected[i].name);
        EXPECT_EQ(markers[i].at("color"), expected[i].colour);
        EXPECT_EQ(markers[i].at("marked_range"), range(expected[i].at, 0));
        const Json& metadata = markers[i].at("metadata");
        if (expected[i].word != nullptr) {
            EXPECT_EQ(metadata.at("cmx_3600"), Json({{"color", expected[i].word}}));
        } else {
            EXPECT_EQ(metadata.count("cmx_3600"), 0u);
        }
    }
    // The marker past its clip (which ends at 01:00:03:00) is kept and reported.
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("LOC: 01:00:09:00 BLUE    outside"), std::string::npos);

    EXPECT_EQ(items[4].at("name"), "SMPTE_Dissolve");
    EXPECT_EQ(items[4].at("out_offset"), time(15));
    const Json& black = items[5];
    EXPECT_EQ(black.at("OTIO_SCHEMA"), "Clip.2");
    EXPECT_EQ(black.at("name"), "");
    EXPECT_EQ(black.at("metadata").at("cmx_3600"), Json::parse(R"j({"comments": ["SOURCE FILE: (NULL)"], "reel": "BL"})j"));
    EXPECT_EQ(black.at("media_references").at("DEFAULT_MEDIA"),
              Json::parse(R"j({"OTIO_SCHEMA": "GeneratorReference.1", "metadata": {}, "name": "",
                              "available_range": null, "available_image_bounds": null,
                              "generator_kind": "black", "parameters": {}})j"));
}

// Speed notes: an M2 of the event's reel at 48 frames a second is a time warp of 1.6 at 30;
// a freeze frame is OTIO's FreezeFrame, its one source frame kept in our metadata.
TEST(OtioWrite, SpeedNotesBecomeTimeEffects) {
    edlbtest::TempDir dir;
    std::vector<std::string> warnings;
    const Json timeline = Json::parse(edlbtool::otioText(
        listOf(dir, "speed.edl",
               "TITLE: SPEED\nFCM: NON-DROP FRAME\n"
               "001  C003     V     C        10:00:00:00 10:00:02:00 01:00:00:00 01:00:01:00\n"
               "M2   C003       048.0                10:00:00:00\n"
               "002  C004     V     C        11:00:00:00 11:00:00:01 01:00:01:00 01:00:02:00\n"
               "* * FREEZE FRAME\n"),
        edlbtool::WriteOptions(), warnings));
    const Json& items = timeline.at("tracks").at("children").at(0).at("children");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].at("effects"),
              Json::parse(R"j([{"OTIO_SCHEMA": "LinearTimeWarp.1", "metadata": {}, "name": "",
                               "effect_name": "LinearTimeWarp", "time_scalar": 1.6}])j"));
    EXPECT_EQ(items[1].at("effects"),
              Json::parse(R"j([{"OTIO_SCHEMA": "FreezeFrame.1", "metadata": {}, "name": "",
                               "effect_name": "FreezeFrame", "time_scalar": 0.0}])j"));
    EXPECT_EQ(items[1].at("metadata").at("edlbridge").at("source_out"), 1188001);
    EXPECT_EQ(items[1].at("metadata").at("cmx_3600").count("comments"), 0u);
}

// A held frame's clip name goes without the ' FF' OTIO's CMX 3600 adapter marks it with in a
// list (its writer puts the mark back); the name as the list has it stays in our metadata
// and is read back. A clip of no held frame keeps ' FF' in its name. CRLF line ends.
TEST(OtioWrite, AHeldFramesNameLeavesItsMarkToTheAdapter) {
    edlbtest::TempDir dir;
    std::vector<std::string> warnings;
    const std::string text = edlbtool::otioText(
        listOf(dir, "held.edl",
               "TITLE: HELD\r\nFCM: NON-DROP FRAME\r\n"
               "001  Z682     V     C        01:00:10:21 01:00:10:22 01:08:30:00 01:08:30:17\r\n"
               "* FROM CLIP NAME:  Z682_156 (LAY3) FF\r\n"
               "* * FREEZE FRAME\r\n"
               "002  Z683     V     C        01:00:20:00 01:00:20:10 01:08:30:17 01:08:30:27 \r\n"
               "* FROM CLIP NAME:  TAKE FF\r\n"),
        edlbtool::WriteOptions(), warnings);
    const Json timeline = Json::parse(text);
    const Json& items = timeline.at("tracks").at("children").at(0).at("children");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].at("name"), "Z682_156 (LAY3)");
    EXPECT_EQ(items[0].at("metadata").at("edlbridge").at("clip_name"), "Z682_156 (LAY3) FF");
    EXPECT_EQ(items[0].at("effects").at(0).at("OTIO_SCHEMA"), "FreezeFrame.1");
    EXPECT_EQ(items[1].at("name"), "TAKE FF");
    EXPECT_EQ(items[1].at("metadata").at("edlbridge").count("clip_name"), 0u);

    edlbtool::ListData back;
    EXPECT_EQ(edlbtool::readOtioText(text, "held.otio", back, warnings), "");
    ASSERT_EQ(back.events.size(), 2u);
    EXPECT_EQ(edlbtool::fullClipName(back.events[0]), "Z682_156 (LAY3) FF");
    EXPECT_EQ(edlbtool::fullClipName(back.events[1]), "TAKE FF");
}

// A log has no record times: a collection of clips, each its source range, its columns
// (but for the times) under "ALE".
TEST(OtioWrite, ALogIsACollectionOfClips) {
    edlbtest::TempDir dir;
    std::vector<std::string> warnings;
    const Json collection = Json::parse(edlbtool::otioText(
        listOf(dir, "day1.ale",
               "Heading\nFIELD_DELIM\tTABS\nFPS\t25\n\nColumn\nName\tTape\tStart\tEnd\tScene\n\n"
               "Data\nwide\tT01\t10:00:00:00\t10:00:02:00\t12A\nclose\tT02\t11:00:00:00\t11:00:00:10\t12B\n"),
        edlbtool::WriteOptions(), warnings));
    EXPECT_EQ(collection.at("OTIO_SCHEMA"), "SerializableCollection.1");
    EXPECT_EQ(collection.at("metadata").at("ALE"),
              Json::parse(R"j({"columns": ["Name", "Tape", "Start", "End", "Scene"], "header": {"FPS": "25"}})j"));
    const Json& clips = collection.at("children");
    ASSERT_EQ(clips.size(), 2u);
    const auto at25 = [](double start, double duration) {
        return Json{{"OTIO_SCHEMA", "TimeRange.1"},
                    {"duration", {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 25.0}, {"value", duration}}},
                    {"start_time", {{"OTIO_SCHEMA", "RationalTime.1"}, {"rate", 25.0}, {"value", start}}}};
    };
    EXPECT_EQ(clips[0].at("name"), "wide");
    EXPECT_EQ(clips[0].at("source_range"), at25(900000, 50));
    EXPECT_EQ(clips[0].at("metadata").at("ALE"), Json::parse(R"j({"Name": "wide", "Scene": "12A", "Tape": "T01"})j"));
    EXPECT_EQ(clips[1].at("source_range"), at25(990000, 10));
    EXPECT_EQ(clips[1].at("metadata").at("cmx_3600").at("reel"), "T02");
}

// Another mode rescales a dissolve's length with its times: 25 frames at 25 are 24 at 24.
TEST(OtioWrite, AnotherModeRescalesTheDissolve) {
    edlbtest::TempDir dir;
    edlbtool::WriteOptions options;
    options.tcMode = EDL_TC_FILM;
    std::vector<std::string> warnings;
    const Json timeline = Json::parse(edlbtool::otioText(
        listOf(dir, "pal.edl",
               "TITLE: PAL\nFCM: PAL\n"
               "001  HARB01   V     C        10:00:00:00 10:00:04:00 10:00:00:00 10:00:04:00\n"
               "002  HARB01   V     C        10:00:04:00 10:00:04:00 10:00:04:00 10:00:04:00\n"
               "002  HARB02   V     D    025 11:30:00:00 11:30:03:00 10:00:04:00 10:00:07:00\n"),
        options, warnings));
    const Json& items = timeline.at("tracks").at("children").at(0).at("children");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].at("out_offset").at("value"), 24.0);
    EXPECT_EQ(items[1].at("out_offset").at("rate"), 24.0);
    EXPECT_EQ(items[2].at("source_range").at("duration").at("value"), 72.0);
}

}  // namespace

namespace {

// At 30 frames a second, CR line ends: a clip whose notes are its name, a located note in
// the layout editing systems write and a comment; one numbered 005 with a note located in
// another layout; one on A1 alone with a file note before its name; one on V and A1 whose
// comment has no blank after its '*'.
const char kCompact[] =
    "TITLE: COMPACT\rFCM: NON-DROP FRAME\r"
    "001  A001     V     C        10:00:00:00 10:00:01:00 01:00:00:00 01:00:01:00\r"
    "* FROM CLIP NAME: intro\r"
    "* LOC: 01:00:00:10 RED     check focus\r"
    "* ROLL 12\r"
    "005  A002     V     C        10:00:05:00 10:00:06:00 01:00:01:00 01:00:02:00\r"
    "* LOC: 01:00:01:05 GREEN take two\r"
    "006  A003     A     C        10:00:07:00 10:00:08:00 01:00:02:00 01:00:03:00\r"
    "* SOURCE FILE: /media/a003.wav\r"
    "* FROM CLIP NAME: wild track\r"
    "007  A004     B     C        10:00:09:00 10:00:10:00 01:00:03:00 01:00:04:00\r"
    "*ROLL 13\r";

}  // namespace

// Our metadata holds only what a reader cannot rebuild: an edit number that is not the one
// before it plus one, a place in the list that is not the one after the clip before it on
// its track, notes other than the name, markers and comments in that order, a marker's note
// in another layout than 'LOC: tc COLOUR  name'. The list reads back the same.
TEST(OtioWrite, OurMetadataLeavesOutWhatIsRebuilt) {
    edlbtest::TempDir dir;
    const edlbtool::ListData data = listOf(dir, "compact.edl", kCompact);
    std::vector<std::string> warnings;
    const Json timeline = Json::parse(edlbtool::otioText(data, edlbtool::WriteOptions(), warnings));
    EXPECT_TRUE(warnings.empty());
    const Json& tracks = timeline.at("tracks").at("children");
    ASSERT_EQ(tracks.size(), 2u);
    const Json& video = tracks[0].at("children");
    const Json& audio = tracks[1].at("children");
    const auto ours = [](const Json& item) { return item.at("metadata").at("edlbridge"); };
    ASSERT_EQ(video.size(), 4u);  // 001, 005, a gap of a second (006 is on A1), 007
    EXPECT_EQ(ours(video[0]), Json::object());
    EXPECT_EQ(video[0].at("metadata").at("cmx_3600").at("comments"), Json::array({"ROLL 12"}));
    EXPECT_EQ(ours(video[0].at("markers").at(0)), Json::object());
    EXPECT_EQ(ours(video[1]), Json::parse(R"({"edit": 5})"));
    EXPECT_EQ(ours(video[1].at("markers").at(0)), Json::parse(R"({"note": "LOC: 01:00:01:05 GREEN take two"})"));
    EXPECT_EQ(video[2].at("OTIO_SCHEMA"), "Gap.1");
    EXPECT_EQ(ours(video[3]), Json::parse(R"({"event": 4})"));
    // A1: a gap of a second, 006, then 007.
    ASSERT_EQ(audio.size(), 3u);
    EXPECT_EQ(audio[0].at("OTIO_SCHEMA"), "Gap.1");
    EXPECT_EQ(ours(audio[1]), Json::parse(R"({"event": 3, "notes": ["SOURCE FILE: /media/a003.wav", "FROM CLIP NAME: wild track"]})"));
    EXPECT_EQ(ours(audio[2]), Json::object());

    const struct {
        uint32_t edit, video, audio;
        const char* notes;
    } expected[] = {
        {1, 1, 0, "FROM CLIP NAME: intro\nLOC: 01:00:00:10 RED     check focus\nROLL 12"},
        {5, 1, 0, "LOC: 01:00:01:05 GREEN take two"},
        {6, 0, 1, "SOURCE FILE: /media/a003.wav\nFROM CLIP NAME: wild track"},
        {7, 1, 1, "ROLL 13"},
    };
    edlbtool::ListData back;
    ASSERT_EQ(edlbtool::readOtioText(timeline.dump(), "compact.otio", back, warnings), "");
    ASSERT_EQ(back.events.size(), 4u);
    for (size_t i = 0; i < back.events.size(); ++i) {
        SCOPED_TRACE(i);
        const edlbtool::EventRow& e = back.events[i];
        EXPECT_EQ(e.editNumber, expected[i].edit);
        EXPECT_EQ(e.videoTracks, expected[i].video);
        EXPECT_EQ(e.audioTracks, expected[i].audio);
        EXPECT_EQ(e.comment, expected[i].notes);
        EXPECT_EQ(e.comment, data.events[i].comment);
    }
}

// A clip of ours whose metadata is empty, edited in OTIO: markers added and its comments
// changed are its notes, in the order they are rebuilt; the edit number follows the one
// before it, the one a clip names stands; so does the wipe code (none before the first).
TEST(OtioRead, OurCompactClipsRebuildWhatTheyLeaveOut) {
    const std::string time = R"({"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": )";
    const auto range = [&time](int start, int length) {
        return R"({"OTIO_SCHEMA": "TimeRange.1", "duration": )" + time + std::to_string(length) +
               "}, \"start_time\": " + time + std::to_string(start) + "}}";
    };
    const auto clip = [&range](const std::string& name, const std::string& metadata, const std::string& markers) {
        return R"({"OTIO_SCHEMA": "Clip.2", "name": ")" + name + R"(", "metadata": )" + metadata +
               R"(, "source_range": )" + range(1000, 24) + R"(, "markers": [)" + markers + "]}";
    };
    const std::string ourMarker = R"({"OTIO_SCHEMA": "Marker.2", "name": "look here", "color": "GREEN", )"
                                  R"("metadata": {"edlbridge": {}, "cmx_3600": {"color": "green"}}, "marked_range": )" +
                                  range(86410, 0) + "}";
    const std::string text =
        R"({"OTIO_SCHEMA": "Timeline.1", "metadata": {"edlbridge": {"timecode_mode": 1}}, "global_start_time": )" +
        time + R"(86400}, "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [)" +
        clip("one", R"({"cmx_3600": {"comments": ["ROLL 4", "LAB A"], "reel": "R1"}, "edlbridge": {}})", ourMarker) + ", " +
        clip("", R"({"cmx_3600": {"reel": "R2"}, "edlbridge": {"edit": 20, "wipe_code": 0}})", "") + ", " +
        clip("three", R"({"cmx_3600": {"reel": "R3"}, "edlbridge": {"notes": ["kept as it is"]}})", "") + "]}]}}";
    edlbtool::ListData data;
    std::vector<std::string> warnings;
    ASSERT_EQ(edlbtool::readOtioText(text, "compact.otio", data, warnings), "");
    ASSERT_EQ(data.events.size(), 3u);
    EXPECT_EQ(data.events[0].editNumber, 1u);
    EXPECT_EQ(data.events[0].reel, "R1");
    EXPECT_EQ(data.events[0].recIn, 86400u);
    EXPECT_EQ(data.events[0].comment, "FROM CLIP NAME: one\nLOC: 01:00:00:10 green   look here\nROLL 4\nLAB A");
    EXPECT_EQ(data.events[1].editNumber, 20u);
    EXPECT_EQ(data.events[1].comment, "");
    EXPECT_EQ(data.events[0].wipeCode, 0xFFFFFFFFu);
    EXPECT_EQ(data.events[1].wipeCode, 0u);
    EXPECT_EQ(data.events[2].wipeCode, 0u);
    EXPECT_EQ(data.events[2].editNumber, 21u);
    EXPECT_EQ(data.events[2].comment, "kept as it is");
    EXPECT_EQ(data.events[2].recIn, 86448u);
}

// A clip after one that names the highest place there is follows it without wrapping round.
TEST(OtioRead, AClipAfterTheHighestPlaceIsRead) {
    const std::string clip =
        R"({"OTIO_SCHEMA": "Clip.2", "name": "x", "metadata": {"edlbridge": %s}, "source_range": )"
        R"({"OTIO_SCHEMA": "TimeRange.1", "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 24}, )"
        R"("start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 0}}})";
    const auto with = [&clip](const std::string& metadata) {
        return clip.substr(0, clip.find("%s")) + metadata + clip.substr(clip.find("%s") + 2);
    };
    const std::string text = R"({"OTIO_SCHEMA": "Timeline.1", "tracks": {"OTIO_SCHEMA": "Stack.1", "children": [)"
                             R"({"OTIO_SCHEMA": "Track.1", "kind": "Video", "children": [)" +
                             with(R"({"event": 9223372036854775807})") + ", " + with("{}") + "]}]}}";
    edlbtool::ListData data;
    std::vector<std::string> warnings;
    ASSERT_EQ(edlbtool::readOtioText(text, "highest.otio", data, warnings), "");
    ASSERT_EQ(data.events.size(), 2u);
    EXPECT_EQ(data.events[0].editNumber, 1u);
    EXPECT_EQ(data.events[1].editNumber, 2u);
    EXPECT_EQ(data.events[1].recIn, 24u);
}

// A list written as it is read (its events read once and kept in a temporary file for the
// second pass) gives the timeline the events held in memory give, byte for byte: every field
// of every event, a log's cells and CR, CRLF and LF line ends included.
TEST(OtioWrite, StreamedFromAListAsFromMemory) {
    const char* const lists[] = {
        "tools/otio/dissolve_pal.edl", "tools/otio/av_tracks_df.edl", "tools/otio/markers_film.edl",
        "interchange/avid_notes_cr.edl", "tools/ale_pal_log.ale", "cmx/fcm_changes_drop_frame.edl",
    };
    for (const char* list : lists) {
        SCOPED_TRACE(list);
        const std::string path = edlbtest::dataPath(list);
        edlbtool::ListData data;
        ASSERT_EQ(edlbtool::readList(path, data), "");
        std::vector<std::string> warnings;
        const std::string inMemory = edlbtool::otioText(data, edlbtool::WriteOptions(), warnings);
        edlbtool::ListSource source;
        ASSERT_EQ(source.open(path), "");
        std::string streamed;
        const edlbtool::OtioStreamResult result = edlbtool::streamOtio(
            source, edlbtool::ReadOptions(), edlbtool::WriteOptions(), "-",
            [&streamed](const char* bytes, size_t size) {
                streamed.append(bytes, size);
                return true;
            },
            warnings);
        EXPECT_EQ(result.reason, "");
        EXPECT_EQ(result.events, data.events.size());
        EXPECT_EQ(streamed, inMemory);
    }
}
