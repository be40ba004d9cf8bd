// Markers of timelines other tools write: where a marked time is placed, and the comment and
// length a marker keeps on its way to "LOC:" notes, marker lists and timelines again. Also
// the values the timeline reader reads items into, and the stream it reads them from.
#include "list_reader.h"
#include "markers.h"
#include "notes.h"
#include "otio.h"
#include "otio_value.h"
#include "tool_test.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using edlbtool::ListData;
using Json = nlohmann::json;

// A timeline as OTIO's CMX 3600 adapter writes one (the track placed by a negative start,
// reels under "cmx_3600", colour words under each marker's "cmx_3600"), line ends CRLF. At
// 24 fps: PLATE_A is source 01:00:10:00 for 4 s at record 01:00:00:00; PLATE_B source
// 01:00:02:00 for 7 s at record 01:00:04:00 (its source and record times overlap); PLATE_C
// source 01:00:20:00 for 2 s at record 01:00:11:00.
const char kTimeline[] =
    "{\r\n"
    "  \"OTIO_SCHEMA\": \"Timeline.1\", \"metadata\": {}, \"name\": \"MARKER OVERLAP\",\r\n"
    "  \"global_start_time\": null,\r\n"
    "  \"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"name\": \"tracks\", \"source_range\": null,\r\n"
    "   \"children\": [{\"OTIO_SCHEMA\": \"Track.1\", \"name\": \"V\", \"kind\": \"Video\",\r\n"
    "    \"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "      \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 312.0},\r\n"
    "      \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": -86400.0}},\r\n"
    "    \"children\": [\r\n"
    "     {\"OTIO_SCHEMA\": \"Clip.2\", \"metadata\": {\"cmx_3600\": {\"reel\": \"A001C003\"}},\r\n"
    "      \"name\": \"PLATE_A\",\r\n"
    "      \"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "        \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 96.0},\r\n"
    "        \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86640.0}},\r\n"
    "      \"effects\": [],\r\n"
    "      \"markers\": [{\"OTIO_SCHEMA\": \"Marker.2\", \"metadata\": {\"cmx_3600\": {\"color\": \"RED\"}},\r\n"
    "        \"name\": \"CHECK FLARE\", \"color\": \"RED\", \"comment\": \"\",\r\n"
    "        \"marked_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "          \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 1.0, \"value\": 0.0},\r\n"
    "          \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86424.0}}}],\r\n"
    "      \"enabled\": true,\r\n"
    "      \"media_references\": {\"DEFAULT_MEDIA\": {\"OTIO_SCHEMA\": \"MissingReference.1\"}},\r\n"
    "      \"active_media_reference_key\": \"DEFAULT_MEDIA\"},\r\n"
    "     {\"OTIO_SCHEMA\": \"Clip.2\", \"metadata\": {\"cmx_3600\": {\"reel\": \"B002C001\"}},\r\n"
    "      \"name\": \"PLATE_B\",\r\n"
    "      \"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "        \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 168.0},\r\n"
    "        \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86448.0}},\r\n"
    "      \"markers\": [{\"OTIO_SCHEMA\": \"Marker.2\", \"metadata\": {\"cmx_3600\": {\"color\": \"GREEN\"}},\r\n"
    "        \"name\": \"FOCUS\", \"color\": \"GREEN\",\r\n"
    "        \"marked_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "          \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 1.0, \"value\": 0.0},\r\n"
    "          \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86532.0}}},\r\n"
    "       {\"OTIO_SCHEMA\": \"Marker.2\", \"metadata\": {\"cmx_3600\": {\"color\": \"Yellow\"}},\r\n"
    "        \"name\": \"GRAIN\", \"color\": \"YELLOW\", \"comment\": \"match the grain of shot 12\",\r\n"
    "        \"marked_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "          \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 12.0},\r\n"
    "          \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86616.0}}}],\r\n"
    "      \"media_references\": {\"DEFAULT_MEDIA\": {\"OTIO_SCHEMA\": \"MissingReference.1\"}},\r\n"
    "      \"active_media_reference_key\": \"DEFAULT_MEDIA\"},\r\n"
    "     {\"OTIO_SCHEMA\": \"Clip.2\", \"metadata\": {\"cmx_3600\": {\"reel\": \"C003C002\"}},\r\n"
    "      \"name\": \"PLATE_C\",\r\n"
    "      \"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "        \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 48.0},\r\n"
    "        \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86880.0}},\r\n"
    "      \"markers\": [{\"OTIO_SCHEMA\": \"Marker.2\", \"name\": \"SOURCE TIME\", \"color\": \"BLUE\",\r\n"
    "        \"marked_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "          \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 0.0},\r\n"
    "          \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 86904.0}}},\r\n"
    "       {\"OTIO_SCHEMA\": \"Marker.2\", \"name\": \"NOWHERE\", \"color\": \"RED\",\r\n"
    "        \"marked_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\",\r\n"
    "          \"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 0.0},\r\n"
    "          \"start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24.0, \"value\": 24.0}}}],\r\n"
    "      \"media_references\": {\"DEFAULT_MEDIA\": {\"OTIO_SCHEMA\": \"MissingReference.1\"}},\r\n"
    "      \"active_media_reference_key\": \"DEFAULT_MEDIA\"}]}]}\r\n"
    "}\r\n";

ListData readTimeline(const std::string& text, std::vector<std::string>& warnings) {
    ListData data;
    EXPECT_EQ(edlbtool::readOtioText(text, "overlap.otio", data, warnings), "");
    return data;
}

// A marked time within the event's record times is a record time (as the adapter keeps a
// list's "LOC:" timecode), even where it lies in the clip's source range too; one only in
// the source range is placed through the clip; one in neither is reported.
TEST(OtioMarkers, MarkedTimesOfAForeignTimeline) {
    std::vector<std::string> warnings;
    const ListData data = readTimeline(kTimeline, warnings);
    ASSERT_EQ(data.events.size(), 3u);
    EXPECT_EQ(data.events[0].recIn, 86400u);
    EXPECT_EQ(data.events[1].recIn, 86496u);
    EXPECT_EQ(data.events[2].recIn, 86664u);
    // 01:00:01:00 is in PLATE_A's record times only.
    EXPECT_EQ(data.events[0].comment, "LOC: 01:00:01:00 RED CHECK FLARE");
    // 01:00:05:12 is in both of PLATE_B's ranges: the record time it names, not 01:00:07:12.
    // Its second marker keeps its comment and length.
    EXPECT_EQ(data.events[1].comment,
              "LOC: 01:00:05:12 GREEN FOCUS\n"
              "LOC: 01:00:09:00 Yellow match the grain of shot 12 |M:GRAIN |D:12");
    // 01:00:21:00 is one second into PLATE_C's source: record 01:00:12:00.
    EXPECT_EQ(data.events[2].comment, "LOC: 01:00:12:00 BLUE SOURCE TIME");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "marker \"NOWHERE\" at tracks.children[0].children[2] lies outside its clip: left out");
}

// The markers of the list read from the timeline: names, comments and lengths as the
// timeline gave them.
TEST(OtioMarkers, CommentAndLengthReachTheMarkerList) {
    std::vector<std::string> warnings;
    const ListData data = readTimeline(kTimeline, warnings);
    edlbtool::MarkerList list;
    edlbtool::markersOfList(data, list);
    struct Expected {
        uint32_t frames, duration;
        const char *colour, *name, *comment;
    };
    const Expected expected[] = {
        {86424, 1, "RED", "", "CHECK FLARE"},
        {86532, 1, "GREEN", "", "FOCUS"},
        {86616, 12, "YELLOW", "GRAIN", "match the grain of shot 12"},
        {86688, 1, "BLUE", "", "SOURCE TIME"},
    };
    ASSERT_EQ(list.markers.size(), 4u);
    for (size_t i = 0; i < list.markers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.markers[i].frames, expected[i].frames);
        EXPECT_EQ(list.markers[i].duration, expected[i].duration);
        EXPECT_EQ(list.markers[i].colour, expected[i].colour);
        EXPECT_EQ(list.markers[i].name, expected[i].name);
        EXPECT_EQ(list.markers[i].comment, expected[i].comment);
        EXPECT_EQ(list.markers[i].track, "V1");
    }
}

// Written as a timeline again, the marker is the one read: name, comment, length.
TEST(OtioMarkers, CommentAndLengthGoBackIntoATimeline) {
    std::vector<std::string> warnings;
    const ListData data = readTimeline(kTimeline, warnings);
    const Json written =
        Json::parse(edlbtool::otioText(data, edlbtool::WriteOptions(), warnings));
    const Json& clip = written["tracks"]["children"][0]["children"][1];
    ASSERT_EQ(clip["markers"].size(), 2u);
    const Json& grain = clip["markers"][1];
    EXPECT_EQ(grain["name"], "GRAIN");
    EXPECT_EQ(grain["comment"], "match the grain of shot 12");
    EXPECT_EQ(grain["color"], "YELLOW");
    EXPECT_EQ(grain["marked_range"]["start_time"]["value"], 86616.0);
    EXPECT_EQ(grain["marked_range"]["duration"]["value"], 12.0);
    const Json& focus = clip["markers"][0];
    EXPECT_EQ(focus["name"], "FOCUS");
    EXPECT_EQ(focus["comment"], "");
    EXPECT_EQ(focus["marked_range"]["duration"]["value"], 0.0);
}

TEST(OtioMarkers, LocNoteFields) {
    struct Case {
        const char* note;
        bool fielded;
        const char *text, *comment, *name;
        uint32_t duration;
    };
    const Case cases[] = {
        {"LOC: 01:00:05:00 RED check focus |M:FOCUS |D:12", true,
         "check focus |M:FOCUS |D:12", "check focus", "FOCUS", 12},
        {"LOC: 01:00:05:00 GREEN |M:FOCUS", true, "|M:FOCUS", "", "FOCUS", 0},
        {"loc: 01:00:05:00\t|M:  two words  |D:3  ", true, "|M:  two words  |D:3", "", "two words", 3},
        // Not after a blank: part of the text.
        {"LOC: 01:00:05:00 RED a|M:b", false, "a|M:b", "", "", 0},
        {"LOC: 01:00:05:00 RED note |M:x |D:soon", true, "note |M:x |D:soon", "note", "x", 0},
        {"LOC: 01:00:05:00 RED plain words", false, "plain words", "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        edlbtool::LocNote loc;
        ASSERT_TRUE(edlbtool::parseLocNote(c.note, EDL_TC_FILM, loc));
        EXPECT_EQ(loc.fielded, c.fielded);
        EXPECT_EQ(loc.text, c.text);
        EXPECT_EQ(loc.comment, c.comment);
        EXPECT_EQ(loc.name, c.name);
        EXPECT_EQ(loc.duration, c.duration);
    }
    EXPECT_EQ(edlbtool::locText("FOCUS", "", 0), "FOCUS");
    EXPECT_EQ(edlbtool::locText("FOCUS", "", 1), "FOCUS");
    EXPECT_EQ(edlbtool::locText("FOCUS", "", 24), "|M:FOCUS |D:24");
    EXPECT_EQ(edlbtool::locText("", "soft", 0), "soft |M:");
    EXPECT_EQ(edlbtool::locText("A", "soft", 2), "soft |M:A |D:2");
}

// A value that cannot be read is named by its place in the timeline.
TEST(OtioValues, BadValuesNamedByTheirPlace) {
    struct Case {
        const char* change;
        const char* reason;
    };
    const Json base = Json::parse(kTimeline);
    const auto changed = [&](const char* change) {
        Json timeline = base;
        Json& clips = timeline["tracks"]["children"][0]["children"];
        const std::string what = change;
        if (what == "media") clips[0]["media_references"]["DEFAULT_MEDIA"] = Json::object();
        if (what == "rate") clips[0]["source_range"]["start_time"]["rate"] = 0.0;
        if (what == "version 1") {
            clips[0]["OTIO_SCHEMA"] = "Clip.1";
            clips[0]["media_reference"] = "shot.mov";
        }
        if (what == "duration") clips[1]["markers"][0]["marked_range"].erase("duration");
        if (what == "offset") {
            clips.insert(clips.begin() + 1, Json{{"OTIO_SCHEMA", "Transition.1"},
                                                 {"in_offset", {{"rate", 24.0}, {"value", 0.0}}},
                                                 {"out_offset", {{"value", 12.0}}}});
        }
        return timeline.dump();
    };
    const Case cases[] = {
        {"media", "missing OTIO_SCHEMA at tracks.children[0].children[0].media"},
        {"rate", "rate is zero or negative at tracks.children[0].children[0].source_range.start_time"},
        {"version 1", "not an object at tracks.children[0].children[0].media_reference"},
        {"duration", "missing duration at tracks.children[0].children[1].markers[0].marked_range"},
        {"offset", "missing rate at tracks.children[0].children[1].out_offset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        ListData data;
        std::vector<std::string> warnings;
        EXPECT_EQ(edlbtool::readOtioText(changed(c.change), "bad.otio", data, warnings), c.reason);
        EXPECT_TRUE(data.events.empty());
    }
}

// The flat tree: members found by key (the last of several), lists walked past nested
// values, copies to and from nlohmann's values alike.
TEST(OtioValues, TreeAnswersAsTheDocumentWould) {
    const Json source = Json::parse(
        R"({"a": [1, {"b": [true, null]}, "x"], "n": 18446744073709551615, "d": -2.5,)"
        R"( "k": "first", "e": {}, "l": []})");
    edlbtool::otio::Tree tree;
    tree.copy(source);
    const edlbtool::otio::Value& root = tree.root();
    ASSERT_TRUE(root.is_object());
    EXPECT_EQ(root.size(), 6u);
    const edlbtool::otio::Value* list = root.find("a");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->is_array());
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0].integer(), 1);
    EXPECT_TRUE((*list)[1].is_object());
    EXPECT_EQ((*list)[2].string(), "x");
    const edlbtool::otio::Value* inner = (*list)[1].find("b");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->size(), 2u);
    EXPECT_TRUE((*inner)[0].boolean());
    EXPECT_TRUE((*inner)[1].is_null());
    EXPECT_TRUE(root.find("n")->is_number_integer());
    EXPECT_EQ(root.find("d")->number(), -2.5);
    EXPECT_TRUE(root.find("k")->equals("first"));
    EXPECT_FALSE(root.find("k")->equals("firs"));
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(root.find("e")->size(), 0u);
    EXPECT_EQ(root.find("l")->size(), 0u);
    std::vector<std::string> keys;
    for (const edlbtool::otio::Value& member : root) keys.push_back(member.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "d", "e", "k", "l", "n"}));
    EXPECT_EQ(edlbtool::otio::toJson(root), source);
    // A copy of a copy, cleared and filled again, is the same value.
    edlbtool::otio::Tree again(tree);
    tree.clear();
    tree.copy(edlbtool::otio::toJson(again.root()));
    EXPECT_EQ(edlbtool::otio::toJson(tree.root()), source);
    // Filled as the stream gives values: of two members of one name, the last counts.
    tree.clear();
    tree.open(true);
    tree.key("k", 1);
    tree.string("first", 5);
    tree.key("k", 1);
    tree.string("last", 4);
    tree.close();
    ASSERT_TRUE(tree.complete());
    EXPECT_EQ(tree.root().size(), 2u);
    EXPECT_EQ(tree.root().find("k")->string(), "last");
}

// A timeline read from a file a block at a time reads as the same text in memory: blanks,
// a name and a byte order mark across the blocks' ends.
TEST(OtioValues, FileReadInBlocksReadsAsText) {
    Json timeline = Json::parse(kTimeline);
    timeline["tracks"]["children"][0]["children"][0]["name"] = std::string(100000, 'N');
    const std::string text = "\xEF\xBB\xBF" + std::string(65530, ' ') + timeline.dump(4);
    const edlbtest::TempDir dir;
    const std::string path = dir.file("blocks.otio");
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
    ASSERT_EQ(std::fclose(file), 0);
    std::vector<std::string> warnings;
    ListData fromText, fromFile;
    ASSERT_EQ(edlbtool::readOtioText(text, "blocks.otio", fromText, warnings), "");
    ASSERT_EQ(edlbtool::readOtio(path, fromFile, warnings), "");
    ASSERT_EQ(fromFile.events.size(), 3u);
    ASSERT_EQ(fromText.events.size(), 3u);
    EXPECT_EQ(fromFile.events[0].clipName.size(), fromText.events[0].clipName.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(fromFile.events[i].comment, fromText.events[i].comment);
        EXPECT_EQ(fromFile.events[i].recIn, fromText.events[i].recIn);
    }
    EXPECT_EQ(fromFile.events[1].comment,
              "LOC: 01:00:05:12 GREEN FOCUS\n"
              "LOC: 01:00:09:00 Yellow match the grain of shot 12 |M:GRAIN |D:12");
    // A syntax error past the first block is placed by line and column from the mark on.
    const std::string broken = "\xEF\xBB\xBF" + std::string(70000, '\n') + "  {x";
    file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(broken.data(), 1, broken.size(), file), broken.size());
    ASSERT_EQ(std::fclose(file), 0);
    EXPECT_EQ(edlbtool::readOtio(path, fromFile, warnings),
              "not JSON (syntax error at line 70001, column 4)");
}

}  // namespace
