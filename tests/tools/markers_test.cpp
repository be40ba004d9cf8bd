// Marker lists and ASC CDL: each marker form read field by field and written byte for byte,
// the expectations worked out by hand from the lists in tests/data/markers; round trips
// through every form and through a timeline; the markers and cdl commands; grades carried
// between cuts, logs and timelines.
#include "tool_test.h"

#include "cdl.h"
#include "json_out.h"
#include "markers.h"
#include "otio.h"
#include "text_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace edlbtool;
using edlbtest::dataPath;
using edlbtest::readFile;
using edlbtest::RunResult;
using edlbtest::runTool;
using edlbtest::TempDir;

namespace {

// A frame count at 30 fps from the fields of a timecode.
constexpr uint32_t tc30(uint32_t h, uint32_t m, uint32_t s, uint32_t f) {
    return ((h * 60 + m) * 60 + s) * 30 + f;
}

struct Expected {
    uint32_t frames, duration;
    const char *track, *colour, *name, *comment;
};

void expectMarkers(const std::vector<MarkerRow>& actual, const std::vector<Expected>& expected,
                   const std::string& what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(what + ", marker " + std::to_string(i + 1));
        EXPECT_EQ(actual[i].frames, expected[i].frames);
        EXPECT_EQ(actual[i].duration, expected[i].duration);
        EXPECT_EQ(actual[i].track, expected[i].track);
        EXPECT_EQ(actual[i].colour, expected[i].colour);
        EXPECT_EQ(actual[i].name, expected[i].name);
        EXPECT_EQ(actual[i].comment, expected[i].comment);
    }
}

std::string withLineEnds(const std::string& text, const std::string& end) {
    std::string out;
    for (const std::string& line : splitLines(text)) out += line + end;
    return out;
}

const std::vector<Expected> kAvidMarkers = {
    {tc30(1, 1, 7, 21), 1, "V1", "RED", "Isabel Yanes GT", "VFX - Fade In, matte top \"elevator\""},
    {tc30(1, 1, 27, 9), 1, "V1", "GREEN", "Isabel Yanes GT", "VFX - RESPEED 200% TO 100%"},
    {tc30(1, 7, 40, 8), 1, "V2", "BLUE", "assist", ""},
    {tc30(1, 7, 43, 10), 48, "A1", "CYAN", "assist", "Room tone, 2 sec"},
    {tc30(1, 10, 51, 4), 1, "V1", "MAGENTA", "\xc3\x89lo\xc3\xafse",
     "Corriger l'\xc3\xa9talonnage \xe2\x80\x94 plan 12"},
    {tc30(1, 11, 1, 10), 1, "V1", "YELLOW", "Isabel Yanes GT", "DA Rep-Is This Callie Adams Foster?"},
    {tc30(1, 11, 4, 7), 1, "V1", "BLACK", "Isabel Yanes GT", "Black frame check"},
    {tc30(1, 11, 13, 12), 3, "V1", "WHITE", "Isabel Yanes GT", "White flash; 3 frames"},
    {tc30(1, 12, 0, 0), 1, "V1", "teal", "ed", "Unknown colour kept"},
};

MarkerList parsed(const std::string& text, MarkerKind kind) {
    MarkerList list;
    const std::string reason = parseMarkerList(text, kind, 0, list);
    EXPECT_EQ(reason, "");
    return list;
}

// A small list with one marker of each kind of text: commas and quotes, nothing, UTF-8.
MarkerList sampleList() {
    MarkerList list;
    list.mode = EDL_TC_NDF;
    MarkerRow a;
    a.frames = tc30(1, 0, 0, 0);
    a.track = "V1";
    a.colour = "RED";
    a.name = "Ana";
    a.comment = "Fix, \"sky\"";
    MarkerRow b;
    b.frames = tc30(1, 0, 10, 0);
    b.duration = 30;
    b.track = "A2";
    b.colour = "PINK";
    MarkerRow c;
    c.frames = tc30(1, 0, 20, 5);
    c.colour = "teal";
    c.name = "Bo";
    c.comment = "caf\xc3\xa9";
    list.markers = {a, b, c};
    return list;
}

// Converts the list file name in dir (holding text) to type; the written bytes.
std::string converted(TempDir& dir, const std::string& name, const std::string& text,
                      const std::string& type, const std::vector<std::string>& more = {}) {
    dir.write(name, text);
    std::vector<std::string> args = {"convert", name, "--to", type, "-o", "out"};
    args.insert(args.end(), more.begin(), more.end());
    const RunResult run = runTool(args, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    return readFile(dir.file("out"));
}

}  // namespace

TEST(MarkerRead, EditingListEveryColourAndLineEnd) {
    const std::string text = readFile(dataPath("markers/avid_markers.txt"));
    ASSERT_FALSE(text.empty());
    for (const char* end : {"\n", "\r\n", "\r"}) {
        const std::string variant = withLineEnds(text, end);
        ASSERT_EQ(markerKind(variant), MarkerKind::Editing);
        const MarkerList list = parsed(variant, MarkerKind::Editing);
        EXPECT_EQ(list.mode, EDL_TC_NDF);
        expectMarkers(list.markers, kAvidMarkers, "line end " + std::to_string(end[0] + 0));
    }
}

TEST(MarkerRead, BookmarksCodesQuotesAndUtf8) {
    const std::string text = readFile(dataPath("markers/bookmarks.csv"));
    for (const char* end : {"\n", "\r\n", "\r"}) {
        const std::string variant = withLineEnds(text, end);
        ASSERT_EQ(markerKind(variant), MarkerKind::Bookmarks);
        const MarkerList list = parsed(variant, MarkerKind::Bookmarks);
        expectMarkers(list.markers,
                      {{tc30(1, 0, 0, 0), 1, "", "RED", "", "Start of reel"},
                       {tc30(1, 0, 10, 0), 1, "", "GREEN", "", "Sky replace, see \"ref_04\""},
                       {tc30(1, 0, 10, 10), 1, "", "BLUE", "", ""},
                       {tc30(1, 0, 12, 0), 1, "", "CYAN", "", "Grain \xc3\xa0 revoir"},
                       {tc30(1, 0, 12, 1), 1, "", "MAGENTA", "", "dust"},
                       {tc30(1, 0, 12, 2), 1, "", "YELLOW", "", "flicker"},
                       {tc30(1, 0, 12, 3), 1, "", "BLACK", "", "black"},
                       {tc30(1, 0, 12, 4), 1, "", "WHITE", "", "white"},
                       {tc30(1, 0, 12, 5), 1, "", "9", "", "odd code"}},
                      "bookmarks");
        ASSERT_EQ(list.markers.size(), 9u);
        EXPECT_EQ(list.markers[1].date, "2024-03-01");
        EXPECT_EQ(list.markers[1].time, "10:16:40");
        EXPECT_EQ(list.markers[3].type, "2");
    }
}

TEST(MarkerRead, ReviewNotesByColumnName) {
    const std::string text = readFile(dataPath("markers/review_notes.csv"));
    ASSERT_EQ(markerKind(text), MarkerKind::Review);
    const MarkerList list = parsed(text, MarkerKind::Review);
    // The quoted comment keeps its own line end; Timecode Out gives the duration; a row with
    // no timecode is placed by its frame number.
    expectMarkers(list.markers,
                  {{tc30(0, 0, 5, 12), 1, "", "", "Ana Lima", "Trim the head, by \"two\" frames"},
                   {tc30(0, 0, 10, 0), 60, "", "", "Ana Lima", "Line one\r\nline two"},
                   {tc30(0, 0, 15, 0), 1, "", "", "Bj\xc3\xb6rn", ""},
                   {600, 1, "", "", "Sam", "Frame only"}},
                  "review notes");
}

TEST(MarkerRead, GradingAndLocNotesOfLists) {
    ListData data;
    ASSERT_EQ(readList(dataPath("markers/resolve_markers.edl"), data), "");
    MarkerList list;
    markersOfList(data, list);
    EXPECT_EQ(list.title, "Reel 2 notes");
    expectMarkers(list.markers,
                  {{tc30(1, 0, 3, 0), 1, "V1", "BLUE", "VFX 010", ""},
                   {tc30(1, 0, 7, 12), 24, "V1", "MAGENTA", "VFX 011", "fix the matte, left edge"},
                   {tc30(1, 0, 9, 0), 1, "V1", "YELLOW", "", ""}},
                  "grading notes");

    ASSERT_EQ(readList(dataPath("markers/loc_cdl.edl"), data), "");
    markersOfList(data, list);
    // A "LOC:" note without a timecode points at its event's record in.
    expectMarkers(list.markers,
                  {{tc30(1, 0, 2, 10), 1, "V1", "YELLOW", "", "053_CSC_0750 sky"},
                   {tc30(1, 0, 5, 0), 1, "V1", "RED", "", "no time"}},
                  "LOC notes");
}

TEST(MarkerRead, BadListsSayWhichLine) {
    MarkerList list;
    EXPECT_EQ(parseMarkerList("a\t01:00:00:00\tV1\tred\tx\t1\nb\t01:00:00:xx\tV1\tred\ty\t1\n",
                              MarkerKind::Editing, 0, list),
              "line 2: not a marker line");
    EXPECT_EQ(parseMarkerList("a\t01:00:00:29\tV1\tred\tx\t1\n", MarkerKind::Editing, EDL_TC_PAL,
                              list),
              "line 1: '01:00:00:29' is no timecode of the list's rate");
    EXPECT_EQ(parseMarkerList("Timeline Bookmarks\n", MarkerKind::Bookmarks, 0, list),
              "no bookmark header");
    EXPECT_EQ(markerKind("TITLE: cut\nFCM: NON-DROP FRAME\n"), MarkerKind::None);
    EXPECT_EQ(markerKind("Heading\nFIELD_DELIM\tTABS\n"), MarkerKind::None);
    EXPECT_EQ(markerKind("Name,Start,End,Comment\n"), MarkerKind::None);
    EXPECT_EQ(markerKind(""), MarkerKind::None);
}

TEST(MarkerRead, RateOfAListThatNamesNone) {
    MarkerList list;
    ASSERT_EQ(parseMarkerList("a\t01:00:00;02\tV1\tred\tx\t1\n", MarkerKind::Editing, 0, list), "");
    EXPECT_EQ(list.mode, EDL_TC_DF);
    ASSERT_EQ(parseMarkerList("a\t01:00:00:45\tV1\tred\tx\t1\n", MarkerKind::Editing, 0, list), "");
    EXPECT_EQ(list.mode, EDL_TC_NTSC60);
    EXPECT_EQ(list.markers[0].frames, 3600u * 60u + 45u);
    ASSERT_EQ(parseMarkerList("a\t01:00:01:00\tV1\tred\tx\t1\n", MarkerKind::Editing, EDL_TC_PAL, list),
              "");
    EXPECT_EQ(list.markers[0].frames, 3601u * 25u);
}

TEST(MarkerWrite, EveryFormatByteForByte) {
    const MarkerList list = sampleList();
    EXPECT_EQ(markerText(list, MarkerFormat::Editing),
              "Ana\t01:00:00:00\tV1\tred\tFix, \"sky\"\t1\r\n"
              "\t01:00:10:00\tA2\tmagenta\t\t30\r\n"
              "Bo\t01:00:20:05\tV1\tteal\tcaf\xc3\xa9\t1\r\n");
    EXPECT_EQ(markerText(list, MarkerFormat::Bookmarks),
              "Timeline Bookmarks\r\n"
              "Date, Time, Position, Description, Colour, Type, TimeCode\r\n"
              ", , 108000, \"Fix, \"\"sky\"\"\", 0, , 01:00:00:00\r\n"
              ", , 108300, , 4, , 01:00:10:00\r\n"
              ", , 108605, caf\xc3\xa9, teal, , 01:00:20:05\r\n");
    EXPECT_EQ(markerText(list, MarkerFormat::Grading),
              "TITLE: Markers\r\nFCM: NON-DROP FRAME\r\n\r\n"
              "001  001      V     C        01:00:00:00 01:00:00:01 01:00:00:00 01:00:00:01  \r\n"
              "Fix, \"sky\" |C:ResolveColorRed |M:Ana |D:1\r\n\r\n"
              "002  001      V     C        01:00:10:00 01:00:10:01 01:00:10:00 01:00:10:01  \r\n"
              " |C:ResolveColorPink |M: |D:30\r\n\r\n"
              "003  001      V     C        01:00:20:05 01:00:20:06 01:00:20:05 01:00:20:06  \r\n"
              "caf\xc3\xa9 |C:teal |M:Bo |D:1\r\n\r\n");
    EXPECT_EQ(markerText(list, MarkerFormat::Loc),
              "* LOC: 01:00:00:00 RED     Fix, \"sky\"\r\n"
              "* LOC: 01:00:10:00 PINK\r\n"
              "* LOC: 01:00:20:05 teal    caf\xc3\xa9\r\n");
    EXPECT_EQ(markerText(list, MarkerFormat::Review),
              "Comment,Commenter,Timecode In,Timecode Out,Frame\r\n"
              "\"Fix, \"\"sky\"\"\",Ana,01:00:00:00,,108000\r\n"
              ",,01:00:10:00,01:00:11:00,108300\r\n"
              "caf\xc3\xa9,Bo,01:00:20:05,,108605\r\n");
    EXPECT_EQ(markerText(list, MarkerFormat::Json),
              "{\n  \"markers\": [\n"
              "    {\n      \"timecode\": \"01:00:00:00\",\n      \"frames\": 108000,\n"
              "      \"track\": \"V1\",\n      \"colour\": \"RED\",\n      \"name\": \"Ana\",\n"
              "      \"comment\": \"Fix, \\\"sky\\\"\",\n      \"duration\": 1\n    },\n"
              "    {\n      \"timecode\": \"01:00:10:00\",\n      \"frames\": 108300,\n"
              "      \"track\": \"A2\",\n      \"colour\": \"PINK\",\n      \"name\": \"\",\n"
              "      \"comment\": \"\",\n      \"duration\": 30\n    },\n"
              "    {\n      \"timecode\": \"01:00:20:05\",\n      \"frames\": 108605,\n"
              "      \"track\": \"\",\n      \"colour\": \"teal\",\n      \"name\": \"Bo\",\n"
              "      \"comment\": \"caf\xc3\xa9\",\n      \"duration\": 1\n    }\n  ]\n}\n");
}

TEST(MarkerWrite, AMarkerWithoutColourTakesTheFormsDefault) {
    MarkerList list;
    MarkerRow note;
    note.frames = tc30(0, 0, 5, 12);
    note.name = "Ana";
    note.comment = "trim";
    list.markers = {note};
    EXPECT_EQ(markerText(list, MarkerFormat::Editing), "Ana\t00:00:05:12\tV1\tred\ttrim\t1\r\n");
    EXPECT_EQ(splitLines(markerText(list, MarkerFormat::Bookmarks))[2], ", , 162, trim, 0, , 00:00:05:12");
    EXPECT_EQ(markerText(list, MarkerFormat::Loc), "* LOC: 00:00:05:12 RED     trim\r\n");
    EXPECT_EQ(gradingNote(note), "trim |C:ResolveColorBlue |M:Ana |D:1");
}

TEST(MarkerRoundTrip, EachFormatKeepsWhatItCarries) {
    const MarkerList original = parsed(readFile(dataPath("markers/avid_markers.txt")), MarkerKind::Editing);
    TempDir dir;
    std::vector<std::string> warnings;
    struct Case {
        MarkerFormat format;
        const char* file;
        bool track, name, duration;
    };
    for (const Case& c : {Case{MarkerFormat::Editing, "m.txt", true, true, true},
                          Case{MarkerFormat::Bookmarks, "m.csv", false, false, false},
                          Case{MarkerFormat::Grading, "m.edl", false, true, true},
                          Case{MarkerFormat::Review, "n.csv", false, true, true}}) {
        const std::string path = dir.write(c.file, markerText(original, c.format));
        MarkerList back;
        ASSERT_EQ(readMarkers(path, 0, back, warnings), "") << c.file;
        std::vector<Expected> expected = kAvidMarkers;
        for (Expected& e : expected) {
            if (!c.track) e.track = c.format == MarkerFormat::Grading ? "V1" : "";
            if (!c.name) e.name = "";
            if (!c.duration) e.duration = 1;
            if (c.format == MarkerFormat::Review) e.colour = "";
        }
        expectMarkers(back.markers, expected, c.file);
    }
    MarkerList back;
    ASSERT_EQ(markersFromJson(markerText(original, MarkerFormat::Json), 0, back), "");
    expectMarkers(back.markers, kAvidMarkers, "json");
}

TEST(MarkerRoundTrip, MarkerListThroughTimelineAndBack) {
    const MarkerList original = parsed(readFile(dataPath("markers/avid_markers.txt")), MarkerKind::Editing);
    ListData events;
    markerEvents(original, events);
    ASSERT_EQ(events.events.size(), kAvidMarkers.size());
    // Each marker is a cut on its track for its duration, its note in the grading form.
    EXPECT_EQ(events.events[3].recIn, tc30(1, 7, 43, 10));
    EXPECT_EQ(events.events[3].recOut, tc30(1, 7, 43, 10) + 48);
    EXPECT_EQ(events.events[3].audioTracks, 1u);
    EXPECT_EQ(events.events[3].comment, "Room tone, 2 sec |C:ResolveColorCyan |M:assist |D:48");
    std::vector<std::string> warnings;
    const std::string text = otioText(events, WriteOptions(), warnings);
    ListData timeline;
    ASSERT_EQ(readOtioText(text, "markers.otio", timeline, warnings), "");
    MarkerList back;
    markersOfList(timeline, back);
    expectMarkers(back.markers, kAvidMarkers, "through a timeline");
}

TEST(MarkerTimeline, MarkersAndGradesAsOtioWritesThem) {
    const MarkerList original = parsed(readFile(dataPath("markers/avid_markers.txt")), MarkerKind::Editing);
    ListData events;
    markerEvents(original, events);
    std::vector<std::string> warnings;
    const nlohmann::json timeline = nlohmann::json::parse(otioText(events, WriteOptions(), warnings));
    std::vector<nlohmann::json> found;
    for (const nlohmann::json& track : timeline["tracks"]["children"]) {
        for (const nlohmann::json& item : track["children"]) {
            for (const nlohmann::json& marker : item["markers"]) found.push_back(marker);
        }
    }
    ASSERT_EQ(found.size(), 9u);
    // 'assist  01:07:43:10  A1  cyan  Room tone, 2 sec  48', at its record time.
    const nlohmann::json* tone = nullptr;
    for (const nlohmann::json& marker : found) {
        if (marker["comment"] == "Room tone, 2 sec") tone = &marker;
    }
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ((*tone)["name"], "assist");
    EXPECT_EQ((*tone)["color"], "CYAN");
    EXPECT_EQ((*tone)["marked_range"]["start_time"]["value"], double(tc30(1, 7, 43, 10)));
    EXPECT_EQ((*tone)["marked_range"]["duration"]["value"], 48.0);

    ListData graded;
    ASSERT_EQ(readList(dataPath("markers/loc_cdl.edl"), graded), "");
    const nlohmann::json cut = nlohmann::json::parse(otioText(graded, WriteOptions(), warnings));
    const nlohmann::json& clip = cut["tracks"]["children"][0]["children"][1];
    EXPECT_EQ(clip["metadata"]["cdl"],
              nlohmann::json::parse("{\"asc_sop\": {\"slope\": [0.98765, 1.0, 1.0], "
                                    "\"offset\": [0.0, 0.0, -0.001], \"power\": [1.0, 1.0, 1.0]}, "
                                    "\"asc_sat\": 1.05}"));
    // The grade is no comment of the adapter's.
    EXPECT_EQ(clip["metadata"]["cmx_3600"].dump().find("ASC_"), std::string::npos);
}

TEST(MarkerTimeline, AdaptersGradeBecomesNotes) {
    // A clip as OTIO's CMX 3600 adapter writes one: its grade under "cdl", nothing of ours.
    const std::string text = R"({"OTIO_SCHEMA": "Timeline.1", "name": "graded", "tracks": {
        "OTIO_SCHEMA": "Stack.1", "children": [{"OTIO_SCHEMA": "Track.1", "kind": "Video",
        "name": "V1", "children": [{"OTIO_SCHEMA": "Clip.2", "name": "A001C003",
        "metadata": {"cdl": {"asc_sat": 0.9, "asc_sop": {"offset": [0.1, -0.2, 0.0],
        "power": [1.0, 1.1, 0.95], "slope": [1.5, 1.0, 0.9]}}},
        "source_range": {"OTIO_SCHEMA": "TimeRange.1",
          "start_time": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 86400.0},
          "duration": {"OTIO_SCHEMA": "RationalTime.1", "rate": 24.0, "value": 48.0}}}]}]}})";
    ListData data;
    std::vector<std::string> warnings;
    ASSERT_EQ(readOtioText(text, "graded.otio", data, warnings), "");
    ASSERT_EQ(data.events.size(), 1u);
    const std::vector<GradedShot> shots = gradedShots(data, CdlId::Clip);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].id, "A001C003");
    EXPECT_EQ(shots[0].cdl.slope[2], "0.9");
    EXPECT_EQ(shots[0].cdl.offset[1], "-0.2");
    EXPECT_EQ(shots[0].cdl.power[2], "0.95");
    EXPECT_EQ(shots[0].cdl.saturation, "0.9");
}

TEST(MarkerRead, MarkerListsOpenAsListsForInterchangeOnly) {
    TempDir dir;
    const std::string path = dir.write("notes.csv", readFile(dataPath("markers/review_notes.csv")));
    ListData data;
    ASSERT_EQ(readList(path, data), "");
    ASSERT_EQ(data.events.size(), 4u);
    EXPECT_EQ(data.events[1].recIn, tc30(0, 0, 10, 0));
    EXPECT_EQ(data.events[1].recOut, tc30(0, 0, 12, 0));
    EXPECT_EQ(data.list.dwListType, static_cast<uint32_t>(EDLTYPE_CMX3600));
    // The documented reading knows no marker lists: a ".csv" name makes it a CSV log.
    ASSERT_EQ(readList(path, data, true), "");
    EXPECT_NE(data.list.dwListType, static_cast<uint32_t>(EDLTYPE_CMX3600));
}

TEST(Cdl, SopAndSatTextsAsWritten) {
    struct Case {
        const char* text;
        bool ok;
        const char* slope2;
        const char* power2;
    };
    for (const Case& c : {Case{"(1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)", true, "0.9", "0.95"},
                          Case{"( 1.5 1.0 0.9 ) ( 0.1 -0.2 0.0 )  (1.0 1.1 0.95)", true, "0.9", "0.95"},
                          Case{"(1.500000 +1.0 9e-1)(0 0 0)(1 1 1.000)", true, "9e-1", "1.000"},
                          Case{"(1 2)(3 4 5)(6 7 8)", false, "", ""},
                          Case{"(1 2 3)(4 5 6)", false, "", ""},
                          Case{"(1 2 3)(4 5 6)(7 8 9) 10", false, "", ""},
                          Case{"(1 2 3)(4 5 6)(7 8 inf)", false, "", ""},
                          Case{"(1 2 3)(4 5 6)(7 8 0x1)", false, "", ""},
                          Case{"(1 2 3)(4 5 6)(7 8 9", false, "", ""},
                          Case{"", false, "", ""}}) {
        Cdl cdl;
        EXPECT_EQ(parseSop(c.text, cdl), c.ok) << c.text;
        EXPECT_EQ(cdl.hasSop, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(cdl.slope[2], c.slope2) << c.text;
            EXPECT_EQ(cdl.power[2], c.power2) << c.text;
        }
    }
    Cdl cdl;
    EXPECT_TRUE(parseSat(" 1.0500 ", cdl));
    EXPECT_EQ(cdl.saturation, "1.0500");
    EXPECT_FALSE(parseSat("1.0 0.9", cdl));
    EXPECT_FALSE(parseSat("nan", cdl));
}

TEST(Cdl, GradedEventsOfACutWithUniqueIds) {
    ListData data;
    ASSERT_EQ(readList(dataPath("markers/loc_cdl.edl"), data), "");
    std::vector<GradedShot> shots = gradedShots(data, CdlId::Clip);
    // Event 4's SOP has a word that is no number, and it has no SAT: it is no graded event.
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[0].id, "A001C003_230101");
    EXPECT_EQ(shots[1].id, "A001C004_230101");
    EXPECT_EQ(shots[2].id, "A001C003_230101_2");
    // SAT before SOP, no blank after the keyword, every digit kept.
    EXPECT_EQ(shots[1].cdl.slope[0], "0.98765");
    EXPECT_EQ(shots[1].cdl.offset[2], "-0.001");
    EXPECT_EQ(shots[1].cdl.saturation, "1.0500");
    EXPECT_FALSE(shots[2].cdl.hasSat);
    shots = gradedShots(data, CdlId::Reel);
    EXPECT_EQ(shots[2].id, "B002C001");
    shots = gradedShots(data, CdlId::Event);
    EXPECT_EQ(shots[1].id, "002");

    EXPECT_EQ(cdlDocument(gradedShots(data, CdlId::Clip)[0], CdlFormat::Cdl),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\">\n"
              "    <ColorDecision>\n"
              "        <ColorCorrection id=\"A001C003_230101\">\n"
              "            <SOPNode>\n"
              "                <Slope>1.5 1.0 0.9</Slope>\n"
              "                <Offset>0.1 -0.2 0.0</Offset>\n"
              "                <Power>1.0 1.1 0.95</Power>\n"
              "            </SOPNode>\n"
              "            <SatNode>\n"
              "                <Saturation>0.9</Saturation>\n"
              "            </SatNode>\n"
              "        </ColorCorrection>\n"
              "    </ColorDecision>\n"
              "</ColorDecisionList>\n");
    EXPECT_EQ(cdlDocument(gradedShots(data, CdlId::Clip)[2], CdlFormat::Cc),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<ColorCorrection id=\"A001C003_230101_2\" xmlns=\"urn:ASC:CDL:v1.01\">\n"
              "    <SOPNode>\n"
              "        <Slope>2 2 2</Slope>\n"
              "        <Offset>0 0 0</Offset>\n"
              "        <Power>1 1 1</Power>\n"
              "    </SOPNode>\n"
              "</ColorCorrection>\n");
}

TEST(Cdl, LogColumnsAsOneCollection) {
    ListData data;
    ASSERT_EQ(readList(dataPath("markers/grades.ale"), data), "");
    const std::vector<GradedShot> shots = gradedShots(data, CdlId::Clip);
    EXPECT_EQ(cccDocument(shots),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<ColorCorrectionCollection xmlns=\"urn:ASC:CDL:v1.01\">\n"
              "    <ColorCorrection id=\"A001C003\">\n"
              "        <SOPNode>\n"
              "            <Slope>1.5 1.0 0.9</Slope>\n"
              "            <Offset>0.1 -0.2 0.0</Offset>\n"
              "            <Power>1.0 1.1 0.95</Power>\n"
              "        </SOPNode>\n"
              "        <SatNode>\n"
              "            <Saturation>0.9</Saturation>\n"
              "        </SatNode>\n"
              "    </ColorCorrection>\n"
              "    <ColorCorrection id=\"A001C005\">\n"
              "        <SOPNode>\n"
              "            <Slope>1.2000 1.0 1.0</Slope>\n"
              "            <Offset>0 0 0</Offset>\n"
              "            <Power>1 1 1</Power>\n"
              "        </SOPNode>\n"
              "    </ColorCorrection>\n"
              "</ColorCorrectionCollection>\n");
}

TEST(Cdl, CsvLogColumnsReadAgainFromTheFile) {
    const std::string path = dataPath("markers/grades_log.csv");
    ListData data;
    ASSERT_EQ(readList(path, data), "");
    const std::vector<std::vector<std::string>> cells = csvLogCells(path, data);
    ASSERT_EQ(cells.size(), 3u);
    const std::vector<GradedShot> shots = gradedShots(data, CdlId::Event, cells);
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].id, "001");
    EXPECT_EQ(shots[0].cdl.power[2], "0.95");
    EXPECT_EQ(shots[0].cdl.saturation, "0.9");
    EXPECT_EQ(shots[1].id, "003");
    EXPECT_FALSE(shots[1].cdl.hasSop);
    EXPECT_EQ(shots[1].cdl.saturation, "1.25");
    // Read for interchange, the grade cells are the events' notes too: the same grades.
    const std::vector<GradedShot> fromNotes = gradedShots(data, CdlId::Event);
    ASSERT_EQ(fromNotes.size(), 2u);
    EXPECT_EQ(noteLines(data.events[0]),
              (std::vector<std::string>{"ASC_SOP: (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
                                        "ASC_SAT: 0.9"}));
    EXPECT_EQ(noteLines(data.events[2]), std::vector<std::string>{"ASC_SAT: 1.25"});
    EXPECT_EQ(fromNotes[0].cdl.slope[0], "1.5");
    EXPECT_EQ(fromNotes[1].cdl.saturation, "1.25");
    // Read with the documented derivations, only the file's cells give them.
    ListData documented;
    ASSERT_EQ(readList(path, documented, ReadOptions(true)), "");
    EXPECT_TRUE(gradedShots(documented, CdlId::Event).empty());
    EXPECT_EQ(gradedShots(documented, CdlId::Event, csvLogCells(path, documented)).size(), 2u);
}

TEST(Cdl, TimelineMetadataBothWays) {
    Cdl cdl;
    ASSERT_TRUE(parseSop("(1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)", cdl));
    ASSERT_TRUE(parseSat("0.9", cdl));
    std::string text;
    {
        JsonOut out([&text](const char* bytes, size_t size) {
            text.append(bytes, size);
            return true;
        });
        out.beginObject();
        writeCdlMetadata(out, cdl);
        out.end();
        out.flush();
    }
    EXPECT_EQ(nlohmann::json::parse(text).dump(),
              "{\"cdl\":{\"asc_sat\":0.9,\"asc_sop\":{\"offset\":[0.1,-0.2,0.0],"
              "\"power\":[1.0,1.1,0.95],\"slope\":[1.5,1.0,0.9]}}}");
    // The adapter's order (saturation first) and whole numbers read the same.
    EXPECT_EQ(cdlNotes(nlohmann::json::parse(
                  "{\"asc_sat\": 1, \"asc_sop\": {\"power\": [1.0, 1.1, 0.95], "
                  "\"slope\": [1.5, 1.0, 0.9], \"offset\": [0.1, -0.2, 0.0]}}")),
              (std::vector<std::string>{"ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
                                        "ASC_SAT 1"}));
    EXPECT_TRUE(cdlNotes(nlohmann::json::parse("{\"asc_sop\": {\"slope\": [1, 2]}}")).empty());
    EXPECT_TRUE(cdlNotes(nlohmann::json::parse("{\"asc_sat\": \"0.9\"}")).empty());
    EXPECT_TRUE(cdlNotes(nlohmann::json::parse("[]")).empty());
}

TEST(Cdl, JsonBackIntoFiles) {
    std::vector<GradedShot> shots;
    ASSERT_EQ(cdlFromJson("{\"corrections\": [{\"id\": \"a/b\", \"slope\": [1.5, 1, 0.9], "
                          "\"offset\": [0, 0, -0.25], \"power\": [1, 1, 1], \"saturation\": 0.8},"
                          " {\"id\": \"a/b\", \"saturation\": 1.2}]}",
                          shots),
              "");
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[0].cdl.slope[0], "1.5");
    EXPECT_EQ(shots[0].cdl.offset[2], "-0.25");
    EXPECT_EQ(shots[1].id, "a/b_2");
    TempDir dir;
    std::vector<std::string> files;
    ASSERT_EQ(writeCdlFiles(shots, CdlFormat::Cc, dir.path(), "cut", files), "");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], dir.file("a_b.cc"));
    EXPECT_EQ(files[1], dir.file("a_b_2.cc"));
    EXPECT_NE(readFile(files[1]).find("<Saturation>1.2</Saturation>"), std::string::npos);
    EXPECT_EQ(cdlFromJson("{\"corrections\": [{\"id\": \"x\", \"slope\": [1, 1]}]}", shots),
              "correction 1: slope, offset and power need three numbers each");
    EXPECT_EQ(cdlFromJson("{\"corrections\": [{\"slope\": [1, 1, 1]}]}", shots), "correction 1: no id");
    EXPECT_EQ(cdlFromJson("[]", shots), "not a JSON object");
}

TEST(MarkersCommand, PrintsWritesAndRefuses) {
    TempDir dir;
    const RunResult loc = runTool({"markers", dataPath("markers/bookmarks.csv"), "--format", "loc"},
                                   dir.path());
    EXPECT_EQ(loc.status, 0) << loc.err;
    const std::string start = "* LOC: 01:00:00:00 RED     Start of reel\r\n"
                              "* LOC: 01:00:10:00 GREEN   Sky replace, see \"ref_04\"\r\n";
    EXPECT_EQ(loc.out.substr(0, start.size()), start);
    const RunResult written = runTool({"markers", dataPath("markers/resolve_markers.edl"), "--format",
                                       "avid", "-o", "m.txt", "--rate", "25"},
                                      dir.path());
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "wrote m.txt (3 markers)\n");
    // Moved into 25 fps: the same seconds, frame 12 of 30 becomes frame 10 of 25.
    EXPECT_EQ(readFile(dir.file("m.txt")),
              "VFX 010\t01:00:03:00\tV1\tblue\t\t1\r\n"
              "VFX 011\t01:00:07:10\tV1\tmagenta\tfix the matte, left edge\t20\r\n"
              "\t01:00:09:00\tV1\tyellow\t\t1\r\n");
    const RunResult badFormat = runTool({"markers", "x.txt", "--format", "xml"}, dir.path());
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_EQ(badFormat.err, "edlbridge: markers: no such format 'xml' (see 'edlbridge --help')\n");
    const RunResult badRate = runTool({"markers", "x.txt", "--rate", "31"}, dir.path());
    EXPECT_EQ(badRate.status, 2);
    const RunResult missing = runTool({"markers", "missing.txt"}, dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "edlbridge: missing.txt: cannot open: No such file or directory\n");
}

TEST(CdlCommand, FilesPerEventAndCollection) {
    TempDir dir;
    const RunResult run = runTool({"cdl", dataPath("markers/loc_cdl.edl"), "-d", "."}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote 3 grades into .\n");
    EXPECT_NE(readFile(dir.file("A001C003_230101_2.cdl")).find("<Slope>2 2 2</Slope>"),
              std::string::npos);
    EXPECT_NE(readFile(dir.file("A001C004_230101.cdl")).find("<Saturation>1.0500</Saturation>"),
              std::string::npos);
    const RunResult ccc =
        runTool({"cdl", dataPath("markers/grades.ale"), "-d", ".", "--format", "ccc"}, dir.path());
    EXPECT_EQ(ccc.status, 0) << ccc.err;
    EXPECT_NE(readFile(dir.file("grades.ccc")).find("<ColorCorrection id=\"A001C005\">"),
              std::string::npos);
    EXPECT_EQ(runTool({"cdl", dataPath("markers/grades.ale")}, dir.path()).status, 2);
    EXPECT_EQ(runTool({"cdl", dataPath("markers/grades.ale"), "-d", ".", "--id", "take"}, dir.path())
                  .status,
              2);
}

// Grades between cuts and logs: a CMX list's "ASC_SOP" and "ASC_SAT" notes become a log's
// ASC_SOP and ASC_SAT columns and come back as notes, with the values as written; the
// expected lists are written by hand from graded_cut.edl.
TEST(CdlColumns, CutToLogEveryLineEnd) {
    const std::string cut = readFile(dataPath("markers/graded_cut.edl"));
    const std::string expected = readFile(dataPath("markers/graded_cut.expected.ale"));
    ASSERT_FALSE(cut.empty());
    ASSERT_FALSE(expected.empty());
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(static_cast<int>(end[0]) + static_cast<int>(end[1]));
        TempDir dir;
        EXPECT_EQ(converted(dir, "graded_cut.edl", withLineEnds(cut, end), "ale"), expected);
    }
}

TEST(CdlColumns, LogToCutAndBackToLog) {
    const std::string log = readFile(dataPath("markers/graded_cut.expected.ale"));
    TempDir dir;
    const std::string cut = converted(dir, "graded_cut.ale", log, "cmx3600");
    EXPECT_EQ(cut, readFile(dataPath("markers/graded_cut.expected.cmx3600.edl")));
    // The cut read again gives the log back, every grade column and value as it was.
    EXPECT_EQ(converted(dir, "again.edl", cut, "ale"), log);
}

TEST(CdlColumns, LegacyKeepsTheDocumentedLog) {
    TempDir dir;
    const std::string log =
        converted(dir, "graded_cut.edl", readFile(dataPath("markers/graded_cut.edl")), "ale", {"--legacy"});
    EXPECT_EQ(log.find("ASC_SOP\t"), std::string::npos);
    EXPECT_EQ(log.find("\tASC_SAT"), std::string::npos);
}

// A CSV log's grade cells go to the grade columns of a log and to the notes of a cut; its
// comma-separated column line is no column of a log.
TEST(CdlColumns, CsvLogGradesToLogAndCut) {
    TempDir dir;
    const std::string csv = readFile(dataPath("markers/grades_log.csv"));
    const std::vector<std::string> rows = splitLines(converted(dir, "grades_log.csv", csv, "ale"));
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[7],
              "Name\tTracks\tStart\tEnd\tTape\tSource File\tComments\tMark IN\tMark OUT\t"
              "Record Start\tRecord End\tEvent\tTransition\tASC_SOP\tASC_SAT");
    const std::vector<std::string> first = splitFields(rows[10], '\t');
    const std::vector<std::string> third = splitFields(rows[12], '\t');
    ASSERT_EQ(first.size(), 15u);
    ASSERT_EQ(third.size(), 15u);
    EXPECT_EQ(first[6], "");
    EXPECT_EQ(first[13], "(1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)");
    EXPECT_EQ(first[14], "0.9");
    EXPECT_EQ(third[0], "A001C005, take 2");
    EXPECT_EQ(third[13], "");
    EXPECT_EQ(third[14], "1.25");
    const std::vector<std::string> cut = splitLines(converted(dir, "grades_log.csv", csv, "cmx3600"));
    // The notes after each clip name, whatever lines the tracks take.
    const auto notesAfter = [&cut](const std::string& clip) {
        std::vector<std::string> notes;
        auto at = std::find(cut.begin(), cut.end(), "* FROM CLIP NAME: " + clip);
        while (at != cut.end() && ++at != cut.end() && at->compare(0, 2, "* ") == 0) notes.push_back(*at);
        return notes;
    };
    EXPECT_EQ(notesAfter("A001C003"), (std::vector<std::string>{
                                          "* ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
                                          "* ASC_SAT 0.9"}));
    EXPECT_EQ(notesAfter("A001C004"), std::vector<std::string>{});
    EXPECT_EQ(notesAfter("A001C005, take 2"), std::vector<std::string>{"* ASC_SAT 1.25"});
}

TEST(CdlColumns, NotesInEitherForm) {
    struct Case {
        const char* notes;
        const char* asColumns;
        const char* asNotes;
    };
    const Case cases[] = {
        {"ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
         "ASC_SOP: (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
         "ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)"},
        {"FROM CLIP NAME: A\nASC_SAT 0.9\nsky", "FROM CLIP NAME: A\nASC_SAT: 0.9\nsky",
         "FROM CLIP NAME: A\nASC_SAT 0.9\nsky"},
        {"ASC_SOP(1 1 1)(0 0 0)(1 1 1)", "ASC_SOP: (1 1 1)(0 0 0)(1 1 1)",
         "ASC_SOP(1 1 1)(0 0 0)(1 1 1)"},
        {"ASC_SAT:   1.0500", "ASC_SAT:   1.0500", "ASC_SAT 1.0500"},
        // A column's own spelling stays with its column.
        {"asc_sat: 2", "asc_sat: 2", "asc_sat 2"},
        // Not a grade: left as written.
        {"ASC_SOP (1 1 x)(0 0 0)(1 1 1)", "ASC_SOP (1 1 x)(0 0 0)(1 1 1)",
         "ASC_SOP (1 1 x)(0 0 0)(1 1 1)"},
        {"ASC_SATURATION 2", "ASC_SATURATION 2", "ASC_SATURATION 2"},
        {"ASC_SAT: high", "ASC_SAT: high", "ASC_SAT: high"},
        {"", "", ""},
        {"a\n\nASC_SAT 1\n", "a\n\nASC_SAT: 1\n", "a\n\nASC_SAT 1\n"},
    };
    for (const Case& c : cases) {
        std::string columns = c.notes, notes = c.notes;
        putCdlNotesInForm(columns, true);
        putCdlNotesInForm(notes, false);
        EXPECT_EQ(columns, c.asColumns) << c.notes;
        EXPECT_EQ(notes, c.asNotes) << c.notes;
    }
}

TEST(CdlColumns, KeywordsFoundAnywhere) {
    struct Case {
        const char* text;
        bool sop, sat;
    };
    const Case cases[] = {
        {"* ASC_SOP (1 1 1)(0 0 0)(1 1 1)", true, false},
        {"\"asc_sat\": 0.9", false, true},
        {"Name\tAsc_Sop\tASC_SAT", true, true},
        {"ASC_", false, false},
        {"_SOP ASC SAT", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        const CdlNames names = cdlNamesIn(c.text);
        EXPECT_EQ(names.sop, c.sop) << c.text;
        EXPECT_EQ(names.sat, c.sat) << c.text;
    }
    // A keyword across the pieces a file is read in is found too.
    TempDir dir;
    for (size_t cut = 65530; cut <= 65537; ++cut) {
        dir.write("list.edl", std::string(cut, 'x') + "ASC_SAT 1");
        const CdlNames names = cdlNamesInFile(dir.file("list.edl"));
        EXPECT_FALSE(names.sop) << cut;
        EXPECT_TRUE(names.sat) << cut;
    }
    EXPECT_FALSE(cdlNamesInFile(dir.file("missing.edl")).sat);
}

// A marker list converted to CMX 3600 is the grading system's marker EDL, which it imports:
// event lines with two blanks after them, the note without '*', a blank line after each.
TEST(MarkerEdl, ConvertedInTheGradingSystemsForm) {
    const std::string resolve = readFile(dataPath("markers/resolve_markers.edl"));
    const std::string expected = readFile(dataPath("markers/resolve_markers.expected.cmx3600.edl"));
    ASSERT_FALSE(expected.empty());
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(static_cast<int>(end[0]) + static_cast<int>(end[1]));
        TempDir dir;
        EXPECT_EQ(converted(dir, "markers.edl", withLineEnds(resolve, end), "cmx3600"), expected);
    }
    TempDir dir;
    EXPECT_EQ(converted(dir, "markers.txt", readFile(dataPath("markers/avid_markers.txt")), "cmx3600"),
              readFile(dataPath("markers/avid_markers.expected.cmx3600.edl")));
    // Another rate relabels the times and rescales the durations; the title is the one given.
    const std::vector<std::string> pal =
        splitLines(converted(dir, "markers.edl", resolve, "cmx3600", {"--fcm", "pal", "--title", "Reel 2"}));
    ASSERT_EQ(pal.size(), 12u);
    EXPECT_EQ(pal[0], "TITLE: Reel 2");
    EXPECT_EQ(pal[6], "002  001      V     C        01:00:07:10 01:00:07:11 01:00:07:10 01:00:07:11  ");
    EXPECT_EQ(pal[7], "fix the matte, left edge |C:ResolveColorFuchsia |M:VFX 011 |D:20");
}

TEST(MarkerEdl, CutsAndLegacyKeepTheirForm) {
    TempDir dir;
    // An event with a grading note and a clip name is no marker: the list is a cut.
    const std::string mixed =
        "TITLE: CUT\r\nFCM: NON-DROP FRAME\r\n\r\n"
        "001  A001     V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
        "* FROM CLIP NAME: A001C001\r\n"
        "* sky |C:ResolveColorRed |M:VFX 1 |D:1\r\n";
    EXPECT_EQ(converted(dir, "cut.edl", mixed, "cmx3600"),
              "TITLE: CUT\r\nFCM: NON-DROP FRAME\r\n\r\n"
              "001  A001     V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
              "* FROM CLIP NAME: A001C001\r\n"
              "* sky |C:ResolveColorRed |M:VFX 1 |D:1\r\n");
    // Only CMX 3600 is written as a marker EDL; --legacy writes the documented dialect.
    const std::string path = dataPath("markers/resolve_markers.edl");
    EXPECT_EQ(converted(dir, "markers.edl", readFile(path), "cmx3400").find("  \r\n |C:"), std::string::npos);
    ListData legacyRead;
    ASSERT_EQ(readList(path, legacyRead, ReadOptions(true)), "");
    WriteOptions legacy;
    legacy.listType = EDLTYPE_CMX3600;
    legacy.legacy = true;
    ASSERT_EQ(writeList(legacyRead, legacy, dir.file("documented.edl")), "");
    EXPECT_EQ(converted(dir, "markers.edl", readFile(path), "cmx3600", {"--legacy"}),
              readFile(dir.file("documented.edl")));
}

// cdl reads the list at the rate given and lays a log from the record start given: a start
// whose frame number the rate has not is refused, as every reading command refuses it.
TEST(CdlCommand, ReadsAtTheRateAndRecordStartGiven) {
    TempDir dir;
    dir.write("grades.ale", readFile(dataPath("markers/grades.ale")));
    const RunResult at25 =
        runTool({"cdl", "grades.ale", "-d", ".", "--rate", "25", "--record-start", "01:00:00:24"}, dir.path());
    EXPECT_EQ(at25.status, 0) << at25.err;
    EXPECT_EQ(at25.out, "wrote 2 grades into .\n");
    EXPECT_NE(readFile(dir.file("A001C005.cdl")).find("<Slope>1.2000 1.0 1.0</Slope>"), std::string::npos);
    const RunResult at24 =
        runTool({"cdl", "grades.ale", "-d", ".", "--rate", "24", "--record-start", "01:00:00:24"}, dir.path());
    EXPECT_EQ(at24.status, 1);
    EXPECT_EQ(at24.err, "edlbridge: grades.ale: no timecode of the list's rate: '01:00:00:24'\n");
    const RunResult noRate = runTool({"cdl", "grades.ale", "-d", ".", "--rate", "48"}, dir.path());
    EXPECT_EQ(noRate.status, 2);
    EXPECT_EQ(noRate.err, "edlbridge: cdl: no timecode counts at 48 fps (see 'edlbridge --help')\n");
    const RunResult noStart = runTool({"cdl", "grades.ale", "-d", ".", "--record-start"}, dir.path());
    EXPECT_EQ(noStart.status, 2);
}

namespace {

// Grade notes are put in the form of the list written, whatever the case of their keyword;
// notes that hold no grade keyword come back as they were.
TEST(CdlNoteForm, EveryCaseOfTheKeyword) {
    struct Case {
        const char* notes;
        bool asColumns;
        const char* expected;
    };
    const Case cases[] = {
        {"asc_sat: 0.9", false, "asc_sat 0.9"},
        {"FROM CLIP NAME: A_B.MOV\nAsc_Sat: 0.9\nsky", false,
         "FROM CLIP NAME: A_B.MOV\nAsc_Sat 0.9\nsky"},
        {"ASC_SAT 0.9", true, "ASC_SAT: 0.9"},
        {"FROM CLIP NAME: A000C000_000000.MOV\nCOMMENT: SHOT_S1", false,
         "FROM CLIP NAME: A000C000_000000.MOV\nCOMMENT: SHOT_S1"},
        {"_s", true, "_s"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string notes = c.notes;
        edlbtool::putCdlNotesInForm(notes, c.asColumns);
        EXPECT_EQ(notes, c.expected) << c.notes;
    }
}

}  // namespace
