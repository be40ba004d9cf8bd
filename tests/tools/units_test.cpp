// The command line's own pieces: its lookups and text helpers (rows in
// tests/data/tools/lookups.txt), the list types it writes, its timecode texts and the
// timecode service's labels, and the texts it prints for a list built here.
#include "diff.h"
#include "display_width.h"
#include "list_type_names.h"
#include "render.h"
#include "services/timecode.h"
#include "timecode_text.h"
#include "timeline.h"
#include "tool_test.h"

#include <nlohmann/json.hpp>

#include <cstring>

namespace {

using edlbtool::DumpFormat;
using edlbtool::EventRow;
using edlbtool::ListData;
using edlbtool::Marker;

unsigned number(const std::string& text) { return static_cast<unsigned>(std::stoll(text, nullptr, 0)); }

// One row of the lookup table: what, inputs; returns the result as the table writes it.
std::string apply(const std::vector<std::string>& r) {
    using namespace edlbtool;
    if (r[0] == "type") return findTypeName(r[1]) ? std::to_string(findTypeName(r[1])->value) : "none";
    if (r[0] == "mode") return findMode(r[1]) ? std::to_string(findMode(r[1])->value) : "none";
    if (r[0] == "tracks") return trackText(number(r[1]), number(r[2]));
    if (r[0] == "csv") return csvField(r[1]);
    if (r[0] == "escape") return escapeControls(r[1]);
    if (r[0] == "width") return std::to_string(displayWidth(r[1]));
    if (r[0] == "columns") {
        // Rows split at '|', cells at '/'.
        std::vector<Row> table;
        for (const std::string& line : edlbtest::split(r[1], '|')) table.push_back(edlbtest::split(line, '/'));
        return renderColumns(table);
    }
    if (r[0] == "relabel_frames") return std::to_string(relabel(number(r[1]), number(r[2]), number(r[3])));
    if (r[0] == "rescale") return std::to_string(rescale(std::stoll(r[1]), number(r[2]), number(r[3])));
    if (r[0] == "xml") return xmlText(r[1]);
    if (r[0] == "change") return changeText(number(r[1]));
    if (r[0] == "transition") {
        EventRow event;
        event.editType = r[1][0];
        event.wipeCode = number(r[2]);
        event.effectLength = number(r[3]);
        return transitionText(event);
    }
    if (r[0] == "marker") {
        edlbtool::CutEvent event;
        event.recIn = number(r[2]), event.recOut = number(r[3]);
        event.srcIn = number(r[4]), event.srcOut = number(r[5]);
        Marker marker;
        if (!parseMarker(r[1], event, number(r[6]), marker)) return "none";
        return std::to_string(marker.frame) + "|" + marker.colour + "|" + marker.text;
    }
    unsigned frames = 0;
    if (r[0] != "relabel" || tc2Frame(r[1].c_str(), number(r[2]) | EDL_TCF_BASE, &frames) != 0) return "?";
    return timecodeText(relabel(frames, number(r[2]), number(r[3])), number(r[3]));
}

TEST(ToolLookups, EveryRowOfTheTable) {
    const auto rows = edlbtest::readTable("tools/lookups.txt");
    ASSERT_GT(rows.size(), 90u);
    for (std::vector<std::string> row : rows) {
        ASSERT_GE(row.size(), 3u) << row[0];
        for (std::string& cell : row) cell = edlbtest::unescape(cell);
        EXPECT_EQ(apply(row), row.back()) << row[0] << " '" << row[1] << "'";
    }
}

// Convert offers every dialect as a target but the CSV log (type 46 writes a CMX-like list)
// and "no list type"; the default extensions are the ones the library names files with.
TEST(ToolTypeTable, ConvertWritesAllButCsvAndNone) {
    size_t count = 0;
    const edlbtool::TypeName* rows = edlbtool::typeNames(&count);
    ASSERT_EQ(count, 49u);
    size_t written = 0;
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(rows[i].shortName);
        const bool expected = rows[i].value != 46 && rows[i].value != 256;
        EXPECT_EQ(edlbtool::convertWrites(rows[i]), expected);
        written += expected;
        EXPECT_EQ(edlbtool::defaultExtension(rows[i].value), rows[i].extension);
        EXPECT_EQ(edlbtool::alternativeExtension(rows[i].value), rows[i].altExtension);
    }
    EXPECT_EQ(written, 47u);
    EXPECT_STREQ(edlbtool::typeByValue(45)->headerForm, "ds");
    EXPECT_STREQ(edlbtool::typeByValue(7)->eventForm, "cmx-numbered");
    EXPECT_EQ(edlbtool::typeByValue(47), nullptr);
}

std::string fieldsOf(const TcLabel& label) {
    return std::to_string(label.hours) + ":" + std::to_string(label.minutes) + ":" +
           std::to_string(label.seconds) + ":" + std::to_string(label.frames);
}

// Timecode texts at the edges: the first frame, the drop-frame minute and tenth minute, the
// hour, 24 hours (not wrapped), hours past 99, the last frame count.
TEST(ToolTimecodeText, WritesEveryModeAtTheEdges) {
    const struct {
        uint32_t frames;
        unsigned mode;
        const char* text;
    } rows[] = {
        {0, EDL_TC_DF, "00:00:00;00"},
        {1799, EDL_TC_DF, "00:00:59;29"},
        {1800, EDL_TC_DF, "00:01:00;02"},  // frame numbers 00 and 01 of the minute skipped
        {3597, EDL_TC_DF, "00:01:59;29"},
        {3598, EDL_TC_DF, "00:02:00;02"},
        {17981, EDL_TC_DF, "00:09:59;29"},
        {17982, EDL_TC_DF, "00:10:00;00"},  // every tenth minute keeps them
        {17983, EDL_TC_DF, "00:10:00;01"},
        {107892, EDL_TC_DF, "01:00:00;00"},
        {2589408, EDL_TC_DF, "24:00:00;00"},
        {3599, EDL_TC_NTSC5994, "00:00:59;59"},
        {3600, EDL_TC_NTSC5994, "00:01:00;04"},
        {86400, EDL_TC_2398DF, "01:00:00;00"},  // the marker, nothing skipped
        {86400, EDL_TC_2398, "01:00:00:00"},
        {108000, EDL_TC_NDF, "01:00:00:00"},
        {2592000, EDL_TC_NDF, "24:00:00:00"},
        {10800000, EDL_TC_NDF, "100:00:00:00"},
        {0xFFFFFFFFu, EDL_TC_NDF, "39768:12:56:15"},
        {9000000, EDL_TC_PAL, "100:00:00:00"},
        {99, EDL_TC_HUNDREDTHS, "00:00:00:99"},
        {30, 0x99, "00:00:01:00"},                 // an unknown mode counts like non-drop 30
        {1800, EDL_TC_DF | 0x100, "00:01:00;02"},  // only the low byte is the mode
    };
    for (const auto& row : rows) {
        EXPECT_EQ(edlbtool::timecodeText(row.frames, row.mode), row.text) << row.frames;
    }
}

TEST(ToolTimecodeText, ReadsFourFieldsWithTheirSeparators) {
    const struct {
        const char* text;
        unsigned mode;
        uint32_t frames;
    } good[] = {
        {"00:00:00:00", EDL_TC_DF, 0},
        {"00:01:00;02", EDL_TC_DF, 1800},
        {"00:10:00;00", EDL_TC_DF, 17982},
        {"01:00:00;00", EDL_TC_DF, 107892},
        {"23:59:59;29", EDL_TC_DF, 2589407},
        {"24:00:00:00", EDL_TC_NDF, 2592000},
        {"100:00:00:00", EDL_TC_PAL, 9000000},
        {"99999:00:00:00", EDL_TC_NDF, 2209957408u},  // 99999 hours wrap in 32 bits
        {"1:2:3:4", EDL_TC_NDF, 111694},
        {"01.00.00.00", EDL_TC_PAL, 90000},
        {"01,00,00,24", EDL_TC_PAL, 90024},
        {"01;00;00;00", EDL_TC_NDF, 108000},
        {"00:00:00:59", EDL_TC_NTSC5994, 59},
        {"00:00:00:99", EDL_TC_HUNDREDTHS, 99},
    };
    for (const auto& row : good) {
        uint32_t frames = 0;
        EXPECT_TRUE(edlbtool::parseTimecode(row.text, row.mode, frames)) << row.text;
        EXPECT_EQ(frames, row.frames) << row.text;
    }
    const struct {
        const char* text;
        unsigned mode;
    } bad[] = {
        {"", EDL_TC_NDF},                 {"01:00:00", EDL_TC_NDF},
        {"01:00:00:00:00", EDL_TC_NDF},   {"123456:00:00:00", EDL_TC_NDF},
        {"01:000:00:00", EDL_TC_NDF},     {"01:00:000:00", EDL_TC_NDF},
        {"01:00:00:000", EDL_TC_NDF},     {"01:60:00:00", EDL_TC_NDF},
        {"01:00:60:00", EDL_TC_NDF},      {"01:00:00:30", EDL_TC_NDF},
        {"01:00:00:25", EDL_TC_PAL},      {"01:00:00:24", EDL_TC_FILM},
        {"01::00:00", EDL_TC_NDF},        {":01:00:00", EDL_TC_NDF},
        {"01:00:00:", EDL_TC_NDF},        {" 01:00:00:00", EDL_TC_NDF},
        {"01:00:00:00 ", EDL_TC_NDF},     {"01-00-00-00", EDL_TC_NDF},
        {"0a:00:00:00", EDL_TC_NDF},
    };
    for (const auto& row : bad) {
        uint32_t frames = 0;
        EXPECT_FALSE(edlbtool::parseTimecode(row.text, row.mode, frames)) << row.text;
    }
}

// The labels of the timecode service: drop-frame counting skips the first frame numbers of
// each minute but every tenth, and a skipped label moves to the next that exists.
TEST(ToolTimecodeText, LabelsOfTheTimecodeService) {
    EXPECT_EQ(fieldsOf(tcLabelOf(1800, EDL_TC_DF)), "0:1:0:2");
    EXPECT_EQ(fieldsOf(tcLabelOf(17982, EDL_TC_DF)), "0:10:0:0");
    EXPECT_EQ(fieldsOf(tcLabelOf(107892, EDL_TC_DF)), "1:0:0:0");
    EXPECT_EQ(fieldsOf(tcLabelOf(0xFFFFFFFFu, EDL_TC_NDF)), "39768:12:56:15");
    EXPECT_EQ(tcFramesOf({0, 1, 0, 2}, EDL_TC_DF), 1800u);
    EXPECT_EQ(tcFramesOf({1, 0, 0, 0}, EDL_TC_DF), 107892u);
    EXPECT_EQ(tcFramesOf({0, 1, 0, 0}, EDL_TC_DF), 1798u);  // a skipped label
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 0}, EDL_TC_DF)), "0:1:0:2");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 1}, EDL_TC_DF)), "0:1:0:2");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 2}, EDL_TC_DF)), "0:1:0:2");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 10, 0, 0}, EDL_TC_DF)), "0:10:0:0");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 1, 0}, EDL_TC_DF)), "0:1:1:0");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 3}, EDL_TC_NTSC5994)), "0:1:0:4");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 0}, EDL_TC_2398DF)), "0:1:0:0");
    EXPECT_EQ(fieldsOf(tcCountedLabel({0, 1, 0, 0}, EDL_TC_NDF)), "0:1:0:0");
    // Every count of every mode is the count of its label.
    size_t count = 0;
    const edlbtool::ModeInfo* modes = edlbtool::modes(&count);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(modes[i].name);
        for (uint32_t frames = 0; frames < 40000; frames += 7) {
            ASSERT_EQ(tcFramesOf(tcLabelOf(frames, modes[i].value), modes[i].value), frames);
        }
        for (uint32_t frames : {2589407u, 5178815u, 12345678u, 0xFFFFFFFFu}) {
            EXPECT_EQ(tcFramesOf(tcLabelOf(frames, modes[i].value), modes[i].value), frames);
        }
    }
}

// A cut and a wipe with quotes, commas, a line break and a backslash in their texts.
ListData sampleList() {
    ListData data;
    data.path = "lists/two.edl";
    edlInitEdlListStruct(&data.list);
    data.list.dwListType = 251;
    data.list.dwTcMode = 0x08;
    std::strcpy(data.list.szTitle, "TWO \"EVENTS\"");
    data.list.szColumnLine[0] = '\0';
    // edit, src/rec/mark in and out, audio offset, tracks, type, wipe code, effect length,
    // line flags, present, reel, clip name, name, comment, effect text, line; -1: a cut
    data.events = {{1, 900000, 900100, 90000, 90100, 900000, 900100, 0, 1, 3, 'C', 0xFFFFFFFFu, 0, 0, 0,
                    "R1", "wide", "", "first, \"quoted\"", "", ""},
                   {2, 25, 50, 90100, 90125, 0, 0, -3, 0, 0, 'W', 1, 25, 0, 0,
                    "R2", "", "C:\\media\\b.mov", "two\r\nlines", "", ""}};
    return data;
}

TEST(ToolRender, DetectAndDumpTextsMatchTheirGoldenFiles) {
    ListData unknown = sampleList(), latin1 = sampleList();
    std::strcpy(unknown.list.szColumnLine, "Name\tTape");
    unknown.list.dwListType = 999;
    latin1.events[0].comment = "caf\xE9";  // Latin-1, as old lists have it: U+FFFD in JSON
    edlbtest::expectGolden("tools/golden/render/two.detect.txt", edlbtool::renderDetect(sampleList()));
    edlbtest::expectGolden("tools/golden/render/two_unknown_type.detect.txt", edlbtool::renderDetect(unknown));
    edlbtest::expectGolden("tools/golden/render/two.csv", edlbtool::renderDump(sampleList(), DumpFormat::Csv));
    edlbtest::expectGolden("tools/golden/render/two.table.txt", edlbtool::renderDump(sampleList(), DumpFormat::Table));
    const std::string json = edlbtool::renderDump(latin1, DumpFormat::Json);
    edlbtest::expectGolden("tools/golden/render/two_latin1.json", json);
    EXPECT_TRUE(nlohmann::json::accept(json));
}

// A list without events still prints whole documents; the JSON pieces close an empty array.
TEST(ToolRender, AListWithoutEventsPrintsAnEmptyArray) {
    ListData data = sampleList();
    data.events.clear();
    data.interchange = true;
    data.list.dwFrameRate = 2500;
    EXPECT_EQ(edlbtool::renderDump(data, DumpFormat::Json),
              "{\n  \"file\": \"lists/two.edl\",\n  \"list_type\": 251,\n"
              "  \"list_type_name\": \"generic\",\n  \"title\": \"TWO \\\"EVENTS\\\"\",\n"
              "  \"timecode_mode\": 8,\n  \"timecode_mode_name\": \"pal\",\n  \"frame_rate\": 25.0,\n"
              "  \"rate_source\": \"list\",\n  \"column_line\": \"\",\n  \"events\": []\n}\n");
    EXPECT_EQ(edlbtool::renderDetectJson(data, 0),
              "  {\n    \"file\": \"lists/two.edl\",\n    \"list_type\": 251,\n"
              "    \"list_type_name\": \"generic\",\n    \"title\": \"TWO \\\"EVENTS\\\"\",\n"
              "    \"timecode_mode\": 8,\n    \"timecode_mode_name\": \"pal\",\n"
              "    \"frame_rate\": 25.0,\n    \"rate_source\": \"list\",\n"
              "    \"column_line\": \"\",\n    \"events\": 0\n  }");
}

}  // namespace
