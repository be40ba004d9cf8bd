// The texts the tool prints, from list data built here (no reader involved).
#include "render.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using edlbtool::DumpFormat;
using edlbtool::EventRow;
using edlbtool::ListData;

ListData sampleList() {
    ListData data;
    data.path = "lists/two.edl";
    edlInitEdlListStruct(&data.list);
    data.list.dwListType = 251;
    data.list.dwTcMode = 0x08;
    std::strcpy(data.list.szTitle, "TWO \"EVENTS\"");
    data.list.szColumnLine[0] = '\0';

    EventRow cut;
    cut.editNumber = 1;
    cut.wipeCode = 0xFFFFFFFFu;  // what the reader leaves for a cut
    cut.reel = "R1";
    cut.videoTracks = 1;
    cut.audioTracks = 3;
    cut.srcIn = 900000;  // 10:00:00:00 at 25
    cut.srcOut = 900100;
    cut.recIn = 90000;
    cut.recOut = 90100;
    cut.markIn = 900000;
    cut.markOut = 900100;
    cut.clipName = "wide";
    cut.comment = "first, \"quoted\"";
    EventRow wipe;
    wipe.editNumber = 2;
    wipe.reel = "R2";
    wipe.editType = 'W';
    wipe.wipeCode = 1;
    wipe.effectLength = 25;
    wipe.srcIn = 25;
    wipe.srcOut = 50;
    wipe.recIn = 90100;
    wipe.recOut = 90125;
    wipe.audioOffset = -3;
    wipe.name = "C:\\media\\b.mov";
    wipe.comment = "two\r\nlines";
    data.events = {cut, wipe};
    return data;
}

TEST(ToolRender, DetectSummaryNamesTypeTitleModeAndCount) {
    ListData data = sampleList();
    EXPECT_EQ(edlbtool::renderDetect(data),
              "file: lists/two.edl\n"
              "type: 251 generic\n"
              "title: TWO \"EVENTS\"\n"
              "timecode mode: 0x08 pal (PAL, 25 fps)\n"
              "events: 2\n");
    std::strcpy(data.list.szColumnLine, "Name\tTape");
    data.list.dwListType = 999;
    EXPECT_EQ(edlbtool::renderDetect(data),
              "file: lists/two.edl\n"
              "type: 999 unknown\n"
              "title: TWO \"EVENTS\"\n"
              "timecode mode: 0x08 pal (PAL, 25 fps)\n"
              "column line: Name\\tTape\n"
              "events: 2\n");
}

TEST(ToolRender, CsvQuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(edlbtool::renderDump(sampleList(), DumpFormat::Csv),
              "edit,reel,tracks,edit_type,wipe_code,effect_length,src_in,src_in_frames,"
              "src_out,src_out_frames,rec_in,rec_in_frames,rec_out,rec_out_frames,mark_in,"
              "mark_in_frames,mark_out,mark_out_frames,audio_offset,clip_name,name,comment\n"
              "1,R1,V1 A1 A2,C,-1,0,10:00:00:00,900000,10:00:04:00,900100,01:00:00:00,90000,"
              "01:00:04:00,90100,10:00:00:00,900000,10:00:04:00,900100,0,wide,,"
              "\"first, \"\"quoted\"\"\"\n"
              "2,R2,,W,1,25,00:00:01:00,25,00:00:02:00,50,01:00:04:00,90100,01:00:05:00,"
              "90125,00:00:00:00,0,00:00:00:00,0,-3,,C:\\media\\b.mov,\"two\r\nlines\"\n");
}

TEST(ToolRender, TableAlignsColumnsAndKeepsEachEventOnOneLine) {
    const std::string table = edlbtool::renderDump(sampleList(), DumpFormat::Table);
    const std::string expected =
        "file: lists/two.edl\n"
        "type: 251 generic\n"
        "title: TWO \"EVENTS\"\n"
        "timecode mode: 0x08 pal (PAL, 25 fps)\n"
        "events: 2\n"
        "\n"
        "EDIT  REEL  TRACKS    TYPE  WIPE  LEN  SRC IN       FRAMES  SRC OUT      FRAMES  "
        "REC IN       FRAMES  REC OUT      FRAMES  MARK IN      FRAMES  MARK OUT     FRAMES  "
        "AUDIO OFFSET  CLIP NAME  NAME              COMMENT\n"
        "1     R1    V1 A1 A2  C     -1    0    10:00:00:00  900000  10:00:04:00  900100  "
        "01:00:00:00  90000   01:00:04:00  90100   10:00:00:00  900000  10:00:04:00  900100  "
        "0             wide       -                 first, \"quoted\"\n"
        "2     R2    -         W     1     25   00:00:01:00  25      00:00:02:00  50      "
        "01:00:04:00  90100   01:00:05:00  90125   00:00:00:00  0       00:00:00:00  0       "
        "-3            -          C:\\\\media\\\\b.mov  two\\r\\nlines\n";
    EXPECT_EQ(table, expected);
}

TEST(ToolRender, JsonCarriesEveryFieldAndSurvivesBytesThatAreNoUtf8) {
    ListData data = sampleList();
    data.events[0].comment = "caf\xE9";  // Latin-1, as old lists have it
    const std::string text = edlbtool::renderDump(data, DumpFormat::Json);
    const nlohmann::json json = nlohmann::json::parse(text);
    EXPECT_EQ(json["file"], "lists/two.edl");
    EXPECT_EQ(json["list_type"], 251);
    EXPECT_EQ(json["list_type_name"], "generic");
    EXPECT_EQ(json["title"], "TWO \"EVENTS\"");
    EXPECT_EQ(json["timecode_mode"], 8);
    EXPECT_EQ(json["timecode_mode_name"], "pal");
    EXPECT_EQ(json["column_line"], "");
    ASSERT_EQ(json["events"].size(), 2u);
    const nlohmann::json& cut = json["events"][0];
    EXPECT_EQ(cut["edit"], 1);
    EXPECT_EQ(cut["reel"], "R1");
    EXPECT_EQ(cut["tracks"], "V1 A1 A2");
    EXPECT_EQ(cut["video_tracks"], 1);
    EXPECT_EQ(cut["audio_tracks"], 3);
    EXPECT_EQ(cut["edit_type"], "C");
    EXPECT_EQ(cut["wipe_code"], -1);
    EXPECT_EQ(cut["src_in"]["timecode"], "10:00:00:00");
    EXPECT_EQ(cut["src_in"]["frames"], 900000);
    EXPECT_EQ(cut["rec_out"]["timecode"], "01:00:04:00");
    EXPECT_EQ(cut["mark_out"]["frames"], 900100);
    EXPECT_EQ(cut["clip_name"], "wide");
    EXPECT_EQ(cut["comment"], "caf\xEF\xBF\xBD");  // U+FFFD
    const nlohmann::json& wipe = json["events"][1];
    EXPECT_EQ(wipe["edit_type"], "W");
    EXPECT_EQ(wipe["wipe_code"], 1);
    EXPECT_EQ(wipe["effect_length"], 25);
    EXPECT_EQ(wipe["audio_offset"], -3);
    EXPECT_EQ(wipe["name"], "C:\\media\\b.mov");
    EXPECT_EQ(wipe["comment"], "two\r\nlines");
    EXPECT_EQ(wipe["tracks"], "");
}

TEST(ToolRender, SmallTextHelpers) {
    struct Tracks {
        uint32_t video, audio;
        const char* text;
    } const tracks[] = {
        {0, 0, ""},
        {1, 0, "V1"},
        {0, 3, "A1 A2"},
        {0, 0xF, "A1-A4"},
        {2, 5, "V2 A1 A3"},
        {0x80000000u, 0, "V32"},
        {1, 0xFFFFFFFFu, "V1 A1-A32"},
        {0xC0000003u, 0x7B, "V1 V2 V31 V32 A1 A2 A4-A7"},
    };
    for (const Tracks& t : tracks) EXPECT_EQ(edlbtool::trackText(t.video, t.audio), t.text);

    EXPECT_EQ(edlbtool::csvField("plain"), "plain");
    EXPECT_EQ(edlbtool::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(edlbtool::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(edlbtool::csvField("line\nbreak"), "\"line\nbreak\"");
    EXPECT_EQ(edlbtool::csvField(""), "");

    EXPECT_EQ(edlbtool::escapeControls("a\tb\\c"), "a\\tb\\\\c");
    EXPECT_EQ(edlbtool::escapeControls(std::string("x\x01y\x7F", 4)), "x\\x01y\\x7F");
    EXPECT_EQ(edlbtool::escapeControls("\xC3\xA9"), "\xC3\xA9");
}

}  // namespace
