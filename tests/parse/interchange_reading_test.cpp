// Lists read for interchange: CMX 3600 track codes, transition lengths, counting rates and
// wrapped event lines, each checked against what the list's text says.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace {

struct ReadEvent {
    uint32_t edit, video, audio, present, wipe, length, srcIn, recIn, unreadLine;
    char editType;
    std::string reel, effectText, comment, clipName;
};

struct ReadList {
    bool opened = false;
    EdlList list{};
    std::vector<ReadEvent> events;
};

// Reads text as a list file; rate is the counting rate given in the list record.
ReadList readText(const std::string& text, uint32_t rate = 0,
                  uint32_t flags = EDL_LF_INTERCHANGE) {
    edlbtest::TempDir dir;
    const std::string path = dir.write("list.edl", text);
    ReadList out;
    edlInitEdlListStruct(&out.list);
    out.list.dwFlags = flags;
    out.list.dwReserved = rate;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &out.list);
    if (handle == nullptr) return out;
    out.opened = true;
    EdlLineVB record;
    std::memset(&record, 0, sizeof record);
    while (edlReadLineVB(handle, &record) == EDL_OK) {
        out.events.push_back({record.dwEditNum, record.dwVideoTracks, record.dwAudioTracks,
                              record.dwPresent, record.dwWipeCode, record.dwEffectLen,
                              record.dwSrcIn, record.dwRecIn, record.dwEffect, record.chEditType,
                              record.achReel, record.szEffectText, record.achComment,
                              record.achClipName});
        std::memset(&record, 0, sizeof record);
    }
    edlClose(handle);
    return out;
}

// The event line of a one-event list with the given track field.
std::string oneEvent(const std::string& track, const std::string& after = "") {
    return "TITLE: TRACKS\r\nFCM: NON-DROP FRAME\r\n\r\n001  AX       " + track +
           "  C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n" + after;
}

// Writes the events of text again as a CMX 3600 list for interchange; the written bytes.
std::string writtenAsCmx3600(const std::string& text) {
    edlbtest::TempDir dir;
    const std::string in = dir.write("in.edl", text);
    const std::string out = dir.file("out.edl");
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwFlags = EDL_LF_INTERCHANGE;
    tagKvEdlHandle* reading = edlOpen(in.c_str(), nullptr, EDL_OPEN_READ, &list);
    if (reading == nullptr) return "open failed";
    EdlList target;
    edlInitEdlListStruct(&target);
    target.dwListType = EDLTYPE_CMX3600;
    target.dwFlags = EDL_LF_INTERCHANGE;
    target.dwTcMode = list.dwTcMode;
    std::memcpy(target.szTitle, list.szTitle, sizeof target.szTitle);
    tagKvEdlHandle* writing = edlOpen(out.c_str(), nullptr, EDL_OPEN_WRITE, &target);
    EdlLineVB record;
    std::memset(&record, 0, sizeof record);
    while (edlReadLineVB(reading, &record) == EDL_OK) {
        edlWriteLineVB(writing, &record);
        std::memset(&record, 0, sizeof record);
    }
    edlClose(reading);
    edlClose(writing);
    std::ifstream file(out, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Every code CMX 3600 defines reads as its tracks, and is written back as itself; a code it
// does not define gives no tracks (never every track) and says so.
TEST(InterchangeTracks, CmxCodesReadAndWriteBackAsThemselves) {
    const struct {
        const char* field;  // the track field, padded to its five columns
        const char* audioLine;
        uint32_t video, audio;
        bool unknown;
    } cases[] = {
        {"V    ", "", 1, 0, false},
        {"A    ", "", 0, 0x1, false},
        {"A2   ", "", 0, 0x2, false},
        {"AA   ", "", 0, 0x3, false},
        {"B    ", "", 1, 0x1, false},
        {"A2/V ", "", 1, 0x2, false},
        {"AA/V ", "", 1, 0x3, false},
        {"NONE ", "AUD  3    4\r\n", 0, 0xC, false},
        {"NONE ", "", 0, 0, false},
        {"A3   ", "", 0, 0x4, false},
        {"A4   ", "", 0, 0x8, false},
        {"A16  ", "", 0, 0x8000, false},
        {"V    ", "AUD  3\r\n", 1, 0x4, false},
        {"AA/V ", "AUD  3    4\r\n", 1, 0xF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + c.audioLine);
        const std::string text = oneEvent(c.field, c.audioLine);
        const ReadList read = readText(text);
        ASSERT_TRUE(read.opened);
        ASSERT_EQ(read.events.size(), 1u);
        EXPECT_EQ(read.events[0].video, c.video);
        EXPECT_EQ(read.events[0].audio, c.audio);
        EXPECT_EQ((read.events[0].present & EDL_P_UNKNOWN_TRACKS) != 0, c.unknown);
        EXPECT_EQ(read.events[0].reel, "AX");
        // The list written again: the same event line and "AUD" line.
        EXPECT_EQ(writtenAsCmx3600(text), "TITLE: TRACKS\r\nFCM: NON-DROP FRAME\r\n\r\n001  AX       " +
                                              std::string(c.field) +
                                              " C        01:00:00:00 01:00:01:00 01:00:00:00 "
                                              "01:00:01:00\r\n" +
                                              c.audioLine);
    }
}

TEST(InterchangeTracks, UnknownCodesGiveNoTracks) {
    for (const char* code : {"A34  ", "XYZ  ", "A0   ", "A17  "}) {
        SCOPED_TRACE(code);
        const ReadList read = readText(oneEvent(code));
        ASSERT_EQ(read.events.size(), 1u);
        EXPECT_EQ(read.events[0].video, 0u);
        EXPECT_EQ(read.events[0].audio, 0u);
        EXPECT_NE(read.events[0].present & EDL_P_UNKNOWN_TRACKS, 0u);
        EXPECT_EQ(read.events[0].editType, 'C');
    }
    // An "AUD" line still gives its channels.
    const ReadList withAudio = readText(oneEvent("A34  ", "AUD  3    4\r\n"));
    ASSERT_EQ(withAudio.events.size(), 1u);
    EXPECT_EQ(withAudio.events[0].audio, 0xCu);
    // Read without the interchange flag the documented default stays: V1 and every track.
    const ReadList documented = readText(oneEvent("A34  "), 0, 0);
    ASSERT_EQ(documented.events.size(), 1u);
    EXPECT_EQ(documented.events[0].video, 1u);
    EXPECT_EQ(documented.events[0].audio, 0xFFFFFFFFu);
}

// A dissolve's number is its length; a wipe's first number its pattern; a key's number its
// length. Read without the interchange flag a dissolve keeps its number where it always was.
TEST(InterchangeTransitions, LengthsInTheirPlace) {
    const std::string text =
        "TITLE: FX\r\nFCM: NON-DROP FRAME\r\n\r\n"
        "001  AX       V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
        "002  BX       V     D    043 02:00:00:00 02:00:02:00 01:00:01:00 01:00:03:00\r\n"
        "003  CX       V     W001 030 03:00:00:00 03:00:02:00 01:00:03:00 01:00:05:00\r\n"
        "004  DX       V     W 002 015 04:00:00:00 04:00:02:00 01:00:05:00 01:00:07:00\r\n"
        "005  EX       V     K    010 05:00:00:00 05:00:01:00 01:00:07:00 01:00:08:00\r\n"
        "006  GFX      V     KB   020 06:00:00:00 06:00:01:00 01:00:08:00 01:00:09:00\r\n";
    const ReadList read = readText(text);
    ASSERT_EQ(read.events.size(), 6u);
    const struct {
        char editType;
        uint32_t wipe, length;
        const char* effectText;
    } expected[] = {
        {'C', 0xFFFFFFFFu, 0, ""}, {'D', 0, 43, ""}, {'W', 1, 30, ""},
        {'W', 2, 15, ""},          {'K', 0, 10, ""}, {'K', 0, 20, "B"},
    };
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(read.events[i].editType, expected[i].editType);
        EXPECT_EQ(read.events[i].wipe, expected[i].wipe);
        EXPECT_EQ(read.events[i].length, expected[i].length);
        EXPECT_EQ(read.events[i].effectText, expected[i].effectText);
    }
    const ReadList documented = readText(text, 0, 0);
    ASSERT_EQ(documented.events.size(), 6u);
    EXPECT_EQ(documented.events[1].wipe, 43u);
    EXPECT_EQ(documented.events[1].length, 0u);
}

// A host that writes a dissolve with its length in dwEffectLen reads it back there.
TEST(InterchangeTransitions, DissolveLengthWrittenAndReadBack) {
    const std::string written = writtenAsCmx3600(
        "TITLE: FX\r\nFCM: NON-DROP FRAME\r\n\r\n"
        "002  BX       V     D    025 02:00:00:00 02:00:02:00 01:00:01:00 01:00:03:00\r\n");
    EXPECT_NE(written.find("002  BX       V     D    025 02:00:00:00"), std::string::npos) << written;
    const ReadList back = readText(written);
    ASSERT_EQ(back.events.size(), 1u);
    EXPECT_EQ(back.events[0].length, 25u);
    EXPECT_EQ(back.events[0].wipe, 0u);
}

// The counting rate: a rate the host gives counts every timecode, FCM lines choosing only
// drop or non-drop frame; without one, FCM lines naming a rate count at it, non-drop names
// no rate, and a list without an FCM line counts as its separators are written.
TEST(InterchangeRates, EveryRuleWithAndWithoutAGivenRate) {
    const std::string event = "001  AX       V     C        01:00:00:12 01:00:01:00 01:00:00:00 01:00:01:00\r\n";
    const std::string dropEvent = "001  AX       V     C        01:00:00;12 01:00:01;00 01:00:00;00 01:00:01;00\r\n";
    const struct {
        const char* name;
        std::string head;
        bool drop;
        uint32_t rate, mode, frameRate, srcIn;
    } cases[] = {
        // 01:00:00:12 is 3600 seconds and 12 frames: 108012 at 30, 90012 at 25, 86412 at 24.
        {"no FCM, ':'", "TITLE: R\r\n", false, 0, EDL_TC_NDF, 2997, 108012},
        {"no FCM, ';'", "TITLE: R\r\n", true, 0, EDL_TC_DF, 2997, 107904},
        {"non-drop", "TITLE: R\r\nFCM: NON-DROP FRAME\r\n", false, 0, EDL_TC_NDF, 2997, 108012},
        {"non-drop at 25", "TITLE: R\r\nFCM: NON-DROP FRAME\r\n", false, 2500, EDL_TC_PAL, 2500, 90012},
        {"non-drop at 24", "TITLE: R\r\nFCM: NON-DROP FRAME\r\n", false, 2400, EDL_TC_FILM, 2400, 86412},
        {"drop at 25", "TITLE: R\r\nFCM: DROP FRAME\r\n", true, 2500, EDL_TC_PAL, 2500, 90012},
        {"drop at 29.97", "TITLE: R\r\nFCM: DROP FRAME\r\n", true, 2997, EDL_TC_DF, 2997, 107904},
        {"non-drop at 29.97", "TITLE: R\r\nFCM: NON-DROP FRAME\r\n", false, 2997, EDL_TC_NDF, 2997, 108012},
        {"no FCM at 30", "TITLE: R\r\n", false, 3000, EDL_TC_NDF, 3000, 108012},
        {"FCM: 25", "TITLE: R\r\nFCM: 25\r\n", false, 0, EDL_TC_PAL, 2500, 90012},
        {"FCM: 24 FPS", "TITLE: R\r\nFCM: 24 FPS\r\n", false, 0, EDL_TC_FILM, 2400, 86412},
        {"FCM: 23.976", "TITLE: R\r\nFCM: 23.976\r\n", false, 0, EDL_TC_2398, 2398, 86412},
        {"FCM: 25 at 24", "TITLE: R\r\nFCM: 25\r\n", false, 2400, EDL_TC_FILM, 2400, 86412},
        {"PAL", "TITLE: R\r\nFCM: PAL\r\n", false, 0, EDL_TC_PAL, 2500, 90012},
        {"rate no mode counts at", "TITLE: R\r\nFCM: NON-DROP FRAME\r\n", false, 4800, EDL_TC_NDF, 2997, 108012},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadList read = readText(c.head + (c.drop ? dropEvent : event), c.rate);
        ASSERT_TRUE(read.opened);
        EXPECT_EQ(read.list.dwTcMode, c.mode);
        EXPECT_EQ(read.list.dwFrameRate, c.frameRate);
        ASSERT_EQ(read.events.size(), 1u);
        EXPECT_EQ(read.events[0].srcIn, c.srcIn);
    }
    // Without the interchange flag a list without an FCM line is drop frame, as documented.
    const ReadList documented = readText("TITLE: R\r\n" + event, 2500, 0);
    EXPECT_EQ(documented.list.dwTcMode, EDL_TC_DF);
}

// An FCM line between events keeps a given rate: "FCM: DROP FRAME" at 25 still counts 25.
TEST(InterchangeRates, FcmLinesInsideAListKeepTheGivenRate) {
    const std::string text =
        "TITLE: R\r\nFCM: NON-DROP FRAME\r\n"
        "001  AX       V     C        01:00:00:12 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
        "FCM: DROP FRAME\r\n"
        "002  BX       V     C        01:00:00;12 01:00:01;00 01:00:01;00 01:00:02;00\r\n";
    const ReadList given = readText(text, 2500);
    ASSERT_EQ(given.events.size(), 2u);
    EXPECT_EQ(given.events[1].srcIn, 90012u);
    const ReadList named = readText(text);
    ASSERT_EQ(named.events.size(), 2u);
    EXPECT_EQ(named.events[1].srcIn, 107904u);
}

std::string withLineEnds(const std::string& text, const char* end) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += end;
        else out += c;
    }
    return out;
}

// An event line wrapped onto two lines is one event, in every line ending; a line that looks
// like an event line but cannot be read is reported on the event it joins, with its number.
TEST(InterchangeWrappedLines, OneEventInEveryLineEnding) {
    const std::string text =
        "TITLE: WRAPPED\n"
        "FCM: NON-DROP FRAME\n"
        "\n"
        "001  A001C003 V     C        13:04:55:10 13:04:58:02 01:00:00:00 01:00:02:16\n"
        "002  B001C001_LONG_REEL_NAME V     W001    030\n"
        "09:00:02:00 09:00:03:00 01:00:02:16 01:00:03:16\n"
        "* FROM CLIP NAME: wrapped shot\n"
        "003  C001     V     C        10:00:00:00 10:00:01:00 01:00:03:16 01:00:04:16\n"
        "004  D001     V     C        10:00:00:00\n"
        "* a note\n"
        "005  E001     AA    C        11:00:00:00 11:00:01:00 01:00:04:16 01:00:05:16\n";
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(end[0] == '\r' ? (end[1] == '\n' ? "CRLF" : "CR") : "LF");
        const ReadList read = readText(withLineEnds(text, end));
        ASSERT_EQ(read.events.size(), 4u);
        const ReadEvent& wrapped = read.events[1];
        EXPECT_EQ(wrapped.edit, 2u);
        EXPECT_EQ(wrapped.reel, "B001C001_LONG_REEL_NAME");
        EXPECT_EQ(wrapped.editType, 'W');
        EXPECT_EQ(wrapped.wipe, 1u);
        EXPECT_EQ(wrapped.length, 30u);
        EXPECT_EQ(wrapped.srcIn, 9u * 108000u + 60u);  // 09:00:02:00
        EXPECT_EQ(wrapped.recIn, 108076u);             // 01:00:02:16
        EXPECT_EQ(wrapped.comment, "FROM CLIP NAME: wrapped shot");
        EXPECT_EQ(wrapped.present & EDL_P_UNREAD_LINE, 0u);
        // Line 9 has one timecode: it stays a note of event 3, which says where it is.
        const ReadEvent& third = read.events[2];
        EXPECT_NE(third.present & EDL_P_UNREAD_LINE, 0u);
        EXPECT_EQ(third.unreadLine, 9u);
        EXPECT_EQ(third.comment, "004  D001     V     C        10:00:00:00\na note");
        EXPECT_EQ(read.events[3].edit, 5u);
        EXPECT_EQ(read.events[3].present & EDL_P_UNREAD_LINE, 0u);
    }
}

// The first event of a list wrapped as well: detection takes it as the first event.
TEST(InterchangeWrappedLines, FirstEventWrapped) {
    const ReadList read = readText(
        "TITLE: FIRST\r\nFCM: NON-DROP FRAME\r\n"
        "001  A001     V     D    020\r\n"
        "   01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
        "002  A002     V     C        02:00:00:00 02:00:01:00 01:00:01:00 01:00:02:00\r\n");
    ASSERT_EQ(read.events.size(), 2u);
    EXPECT_EQ(read.events[0].editType, 'D');
    EXPECT_EQ(read.events[0].length, 20u);
    EXPECT_EQ(read.events[0].srcIn, 108000u);
    EXPECT_EQ(read.events[1].edit, 2u);
}

}  // namespace

// Names and notes that end in UTF-8 characters keep them when read for interchange; the
// documented reading strips every byte from 128 up off the end of a text, as before.
TEST(InterchangeText, Utf8EndingsKept) {
    const std::string text =
        "TITLE: NAMES\n\n"
        "001  AX       V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\n"
        "* FROM CLIP NAME: \xE6\x9D\xB1\xE4\xBA\xAC\xE3\x82\xBF\xE3\x83\xAF\xE3\x83\xBC  \n"
        "002  AX       V     C        01:00:00:00 01:00:01:00 01:00:01:00 01:00:02:00\n"
        "* CAF\xC3\x89\n";
    const ReadList interchange = readText(text);
    ASSERT_EQ(interchange.events.size(), 2u);
    EXPECT_EQ(interchange.events[0].comment,
              "FROM CLIP NAME: \xE6\x9D\xB1\xE4\xBA\xAC\xE3\x82\xBF\xE3\x83\xAF\xE3\x83\xBC");
    EXPECT_EQ(interchange.events[1].comment, "CAF\xC3\x89");
    // The ten-byte clip name ends where the fourth character would be cut: at three whole.
    EXPECT_EQ(interchange.events[0].clipName, "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x82\xBF");
    EXPECT_EQ(interchange.events[1].clipName, "");

    const ReadList documented = readText(text, 0, 0);
    ASSERT_EQ(documented.events.size(), 2u);
    EXPECT_EQ(documented.events[0].comment, "FROM CLIP NAME:");
    EXPECT_EQ(documented.events[1].comment, "CAF");
}
