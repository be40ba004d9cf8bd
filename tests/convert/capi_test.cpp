// The conversion library through its exported C interface, as a host calls it. Expected
// values are worked out by hand from the lists under examples/lists and tests/data/tools.
#include <edlconvert.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const std::string kHarbour = std::string(EDLBRIDGE_EXAMPLE_LISTS) + "/harbour_cut.edl";
const std::string kCutV1 = std::string(EDLBRIDGE_TEST_DATA) + "/tools/cuts/cut_v1.edl";
const std::string kCutV2 = std::string(EDLBRIDGE_TEST_DATA) + "/tools/cuts/cut_v2.edl";

int appendText(void* context, const char* bytes, size_t size) {
    static_cast<std::string*>(context)->append(bytes, size);
    return 0;
}

int failWrite(void*, const char*, size_t) { return -1; }

int refuseAll(void* context, const char* output) {
    *static_cast<std::string*>(context) = output;
    return 0;
}

std::string scratchPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/edlconvert_test_" + name;
}

bool exists(const std::string& path) {
    std::ifstream in(path);
    return in.good();
}

struct TextOptions {
    edlcOptions options;
    std::string text;
    explicit TextOptions(uint32_t format = EDLC_FORMAT_TEXT) {
        edlcInitOptions(&options);
        options.format = format;
        options.write = appendText;
        options.writeContext = &text;
    }
};

TEST(Catalogue, ListTypesByNameValueAndEnumerator) {
    struct Case {
        const char* text;
        uint32_t value;
        const char* extension;
        const char* alternative;
        int detected, written;
        uint32_t readsBackAs;
    } const cases[] = {
        {"cmx3600", 7, "edl", "log", 0, 1, 251},
        {"EDLTYPE_CMX3600", 7, "edl", "log", 0, 1, 251},
        {"7", 7, "edl", "log", 0, 1, 251},
        {"ALE", 5, "alg", "ale", 1, 1, 5},
        {"csv", 46, "edl", "log", 1, 0, 251},  // written as a CMX-like list
        {"premiere", 22, "odb", "", 0, 1, 0},
        {"flex", 42, "flx", "flex", 0, 1, 1},
        {"generic", 251, "edl", "log", 1, 1, 251},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        edlcListType row;
        ASSERT_EQ(edlcFindListType(c.text, &row), 1);
        EXPECT_EQ(row.value, c.value);
        EXPECT_STREQ(row.extension, c.extension);
        EXPECT_STREQ(row.altExtension, c.alternative);
        EXPECT_EQ(row.detected, c.detected);
        EXPECT_EQ(row.written, c.written);
        EXPECT_EQ(row.readsBackAs, c.readsBackAs);
    }
    edlcListType row;
    ASSERT_EQ(edlcFindListType("OTIO", &row), 1);
    EXPECT_EQ(row.value, EDLC_TYPE_OTIO);
    EXPECT_STREQ(row.extension, "otio");
    EXPECT_EQ(row.detected, 1);
    EXPECT_EQ(row.written, 1);
    // Names people write for a type, with blanks and another case.
    for (const auto& [text, value] : {std::make_pair("cmx 3600", 7u), std::make_pair("EDL", 7u),
                                      std::make_pair("Log Exchange", 5u)}) {
        ASSERT_EQ(edlcFindListType(text, &row), 1) << text;
        EXPECT_EQ(row.value, value) << text;
    }
    for (const char* text : {"", "cmx 3601", "99999999", "47", "-1", "otioo", " 7"}) {
        EXPECT_EQ(edlcFindListType(text, &row), 0) << text;
    }
    EXPECT_EQ(edlcFindListType(nullptr, &row), 0);
    EXPECT_EQ(edlcFindListType("ale", nullptr), 0);
}

// Every row's extensions are the ones the records library gives when it names a file.
TEST(Catalogue, RowsAgreeWithTheRecordsLibrary) {
    const size_t count = edlcListTypeCount();
    ASSERT_EQ(count, 49u);  // 1 to 46, 250, 251 and 256
    uint32_t previous = 0;
    for (size_t i = 0; i < count; ++i) {
        edlcListType row;
        ASSERT_EQ(edlcListTypeAt(i, &row), 1);
        EXPECT_GT(row.value, previous);
        previous = row.value;
        char extension[8] = {0}, alternative[8] = {0};
        edlDefExtension(static_cast<int>(row.value), extension, alternative);
        EXPECT_STREQ(row.extension, extension) << row.name;
        EXPECT_STREQ(row.altExtension, alternative) << row.name;
        edlcListType found;
        ASSERT_EQ(edlcFindListType(row.name, &found), 1) << row.name;
        EXPECT_EQ(found.value, row.value);
    }
    edlcListType row;
    EXPECT_EQ(edlcListTypeAt(count, &row), 0);
}

TEST(Catalogue, TimecodeModes) {
    struct Case {
        const char* text;
        uint32_t value, fps, dropped;
        int dropFrame;
        uint32_t frameRate;
    } const cases[] = {
        {"film", EDL_TC_FILM, 24, 0, 0, 2400},   {"ndf", EDL_TC_NDF, 30, 0, 0, 2997},
        {"0x04", EDL_TC_DF, 30, 2, 1, 2997},     {"PAL", EDL_TC_PAL, 25, 0, 0, 2500},
        {"32", EDL_TC_NTSC5994, 60, 4, 1, 5994}, {"23.98", EDL_TC_2398, 24, 0, 0, 2398},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        edlcTcMode mode;
        ASSERT_EQ(edlcFindTcMode(c.text, &mode), 1);
        EXPECT_EQ(mode.value, c.value);
        EXPECT_EQ(mode.fps, c.fps);
        EXPECT_EQ(mode.dropped, c.dropped);
        EXPECT_EQ(mode.dropFrame, c.dropFrame);
        EXPECT_EQ(mode.frameRate, c.frameRate);
    }
    edlcTcMode mode;
    EXPECT_EQ(edlcFindTcMode("pal25", &mode), 0);
    EXPECT_EQ(edlcFindTcMode("3", &mode), 0);
    EXPECT_EQ(edlcTcModeCount(), 10u);
}

TEST(Timecode, TextAndFramesBothWays) {
    struct Case {
        uint32_t mode, frames;
        const char* text;
    } const cases[] = {
        {EDL_TC_NDF, 0, "00:00:00:00"},
        {EDL_TC_NDF, 108000, "01:00:00:00"},
        {EDL_TC_DF, 1799, "00:00:59;29"},
        {EDL_TC_DF, 1800, "00:01:00;02"},  // the first label of minute 1 is ;02
        {EDL_TC_DF, 17982, "00:10:00;00"},  // tenth minutes keep every label
        {EDL_TC_DF, 107892, "01:00:00;00"},
        {EDL_TC_PAL, 90000, "01:00:00:00"},
        {EDL_TC_FILM, 86400 * 24, "24:00:00:00"},
        {EDL_TC_NTSC5994, 3600, "00:01:00;04"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[32];
        EXPECT_EQ(edlcFormatTimecode(c.frames, c.mode, text, sizeof text), std::strlen(c.text));
        EXPECT_STREQ(text, c.text);
        uint32_t frames = 1;
        ASSERT_EQ(edlcParseTimecode(c.text, c.mode, &frames), 1);
        EXPECT_EQ(frames, c.frames);
    }
    // A buffer too small gets the start of the text, terminated, and the whole length.
    char small[4];
    EXPECT_EQ(edlcFormatTimecode(108000, EDL_TC_NDF, small, sizeof small), 11u);
    EXPECT_STREQ(small, "01:");
}

TEST(Timecode, TextsThatAreNoTimecode) {
    uint32_t frames = 0;
    for (const char* text : {"", "01:00:00", "01:00:60:00", "01:60:00:00", "01:00:00:30",
                             "1:2:3:4:5", "01:00:00:0a", " 01:00:00:00", "01::00:00"}) {
        EXPECT_EQ(edlcParseTimecode(text, EDL_TC_NDF, &frames), 0) << text;
    }
    EXPECT_EQ(edlcParseTimecode("00:00:00:25", EDL_TC_PAL, &frames), 0);
    // Drop-frame counting has no ;00 and ;01 at minutes not divisible by ten (;00 to ;03
    // at 59.94); the tenth minutes keep them.
    EXPECT_EQ(edlcParseTimecode("00:01:00;00", EDL_TC_DF, &frames), 0);
    EXPECT_EQ(edlcParseTimecode("00:01:00;01", EDL_TC_DF, &frames), 0);
    EXPECT_EQ(edlcParseTimecode("00:01:00;03", EDL_TC_NTSC5994, &frames), 0);
    EXPECT_EQ(edlcParseTimecode("00:10:00;00", EDL_TC_DF, &frames), 1);
    EXPECT_EQ(frames, 17982u);
    EXPECT_EQ(edlcParseTimecode("00:01:00:00", EDL_TC_NDF, &frames), 1);
    EXPECT_EQ(frames, 1800u);
    EXPECT_EQ(edlcParseTimecode(nullptr, EDL_TC_NDF, &frames), 0);
    EXPECT_EQ(edlcParseTimecode("00:00:00:00", EDL_TC_NDF, nullptr), 0);
}

TEST(Timecode, RelabelKeepsTheClockAndScalesFrames) {
    // 01:00:00:12 at 30 is 01:00:00:10 at 25.
    EXPECT_EQ(edlcRelabel(108012, EDL_TC_NDF, EDL_TC_PAL), 90010u);
    EXPECT_EQ(edlcRelabel(90000, EDL_TC_PAL, EDL_TC_FILM), 86400u);
}

TEST(Timecode, RescaleRoundsLengthsHalvesAwayFromZero) {
    struct Case {
        int64_t frames;
        uint32_t from, to;
        int64_t expected;
    } const cases[] = {
        {30, EDL_TC_NDF, EDL_TC_PAL, 25},  {3, EDL_TC_NDF, EDL_TC_PAL, 3},    // 2.5 rounds up
        {-3, EDL_TC_NDF, EDL_TC_PAL, -3},  {1, EDL_TC_NDF, EDL_TC_PAL, 1},    // 0.83
        {-1, EDL_TC_PAL, EDL_TC_FILM, -1}, {12, EDL_TC_FILM, EDL_TC_NDF, 15},
        {7, EDL_TC_DF, EDL_TC_NDF, 7},     {0, EDL_TC_FILM, EDL_TC_HUNDREDTHS, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(edlcRescale(c.frames, c.from, c.to), c.expected) << c.frames;
    }
}

TEST(Reading, EventsOfTheHarbourCut) {
    edlcStatus status;
    edlcList* list = edlcOpen(kHarbour.c_str(), 0, &status);
    ASSERT_NE(list, nullptr) << status.message;
    EXPECT_EQ(edlcIsTimeline(list), 0);
    const EdlList* header = edlcListRecord(list);
    EXPECT_STREQ(header->szTitle, "HARBOUR CUT");
    EXPECT_EQ(header->dwTcMode & 0xFFu, EDL_TC_NDF);

    std::unique_ptr<EdlLineVB> event(new EdlLineVB());
    ASSERT_EQ(edlcNext(list, event.get(), &status), EDLC_OK);
    EXPECT_EQ(event->dwEditNum, 1u);
    EXPECT_STREQ(event->achReel, "HARB01");
    EXPECT_EQ(event->dwSrcIn, 108000u);   // 01:00:00:00
    EXPECT_EQ(event->dwSrcOut, 108120u);  // 01:00:04:00
    EXPECT_EQ(event->dwRecIn, 0u);
    EXPECT_EQ(event->dwRecOut, 120u);
    char text[256];
    EXPECT_EQ(edlcClipName(list, event.get(), text, sizeof text), 12u);
    EXPECT_STREQ(text, "harbour_wide");
    edlcSourceFile(event.get(), text, sizeof text);
    EXPECT_STREQ(text, "/media/harbour/harbour_wide.mov");

    ASSERT_EQ(edlcNext(list, event.get(), &status), EDLC_OK);
    EXPECT_STREQ(event->achReel, "HARB02");
    EXPECT_EQ(event->dwVideoTracks, 1u);  // AA/V
    EXPECT_EQ(event->dwAudioTracks, 3u);
    EXPECT_EQ(event->dwSrcIn, 234000u);   // 02:10:00:00
    EXPECT_EQ(event->dwRecOut, 222u);     // 00:00:07:12
    size_t read = 2;
    while (edlcNext(list, event.get(), &status) == EDLC_OK) ++read;
    EXPECT_EQ(status.code, EDLC_END);
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(edlcEventCount(list), 5u);
    EXPECT_EQ(edlcNext(list, event.get(), &status), EDLC_END);
    edlcClose(list);
}

TEST(Reading, FailuresSayWhy) {
    edlcStatus status;
    EXPECT_EQ(edlcOpen("/nonexistent/cut.edl", 0, &status), nullptr);
    EXPECT_EQ(status.code, EDLC_E_OPEN);
    EXPECT_EQ(status.which, EDLC_AT_INPUT);
    EXPECT_EQ(std::string(status.message).rfind("cannot open: ", 0), 0u) << status.message;
    const std::string notAList = std::string(EDLBRIDGE_TEST_DATA) + "/tools/premiere_refused.txt";
    EXPECT_EQ(edlcOpen(EDLBRIDGE_TEST_DATA, 0, &status), nullptr);
    EXPECT_STREQ(status.message, "cannot open: is a directory");
    EXPECT_EQ(edlcOpen(nullptr, 0, &status), nullptr);
    EXPECT_EQ(status.code, EDLC_E_ARGUMENT);
    EXPECT_EQ(edlcOpen(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(edlcNext(nullptr, nullptr, &status), EDLC_E_ARGUMENT);
    EXPECT_EQ(edlcListRecord(nullptr), nullptr);
    edlcClose(nullptr);
}

TEST(Converting, ToCmx3600ThroughTheWriteFunction) {
    TextOptions out;
    out.options.listType = EDLTYPE_CMX3600;
    size_t events = 0;
    edlcStatus status;
    ASSERT_EQ(edlcConvert(kHarbour.c_str(), "-", &out.options, &events, &status), EDLC_OK)
        << status.message;
    EXPECT_EQ(events, 5u);
    EXPECT_EQ(out.text.rfind("TITLE: HARBOUR CUT\r\nFCM: NON-DROP FRAME\r\n", 0), 0u) << out.text;
    EXPECT_NE(out.text.find("\r\n001  HARB01   V     C        01:00:00:00 01:00:04:00 "
                            "00:00:00:00 00:00:04:00\r\n"),
              std::string::npos);
    EXPECT_NE(out.text.find("\r\n003  HARB03   V     D    030 03:20:10:00 03:20:13:00 "
                            "00:00:07:12 00:00:10:12\r\n"),
              std::string::npos);
}

TEST(Converting, ToATimelineAndBack) {
    const std::string timeline = scratchPath("harbour.otio");
    std::remove(timeline.c_str());
    edlcOptions options;
    edlcInitOptions(&options);
    options.listType = EDLC_TYPE_OTIO;
    edlcStatus status;
    size_t events = 0;
    ASSERT_EQ(edlcConvert(kHarbour.c_str(), timeline.c_str(), &options, &events, &status), EDLC_OK)
        << status.message;
    EXPECT_EQ(events, 5u);

    edlcList* list = edlcOpen(timeline.c_str(), 0, &status);
    ASSERT_NE(list, nullptr) << status.message;
    EXPECT_EQ(edlcIsTimeline(list), 1);
    EXPECT_STREQ(edlcListRecord(list)->szTitle, "HARBOUR CUT");
    std::unique_ptr<EdlLineVB> event(new EdlLineVB());
    ASSERT_EQ(edlcNext(list, event.get(), &status), EDLC_OK);
    EXPECT_STREQ(event->achReel, "HARB01");
    EXPECT_EQ(event->dwSrcIn, 108000u);
    EXPECT_EQ(event->dwRecOut, 120u);
    char name[64];
    edlcClipName(list, event.get(), name, sizeof name);
    EXPECT_STREQ(name, "harbour_wide");
    edlcClose(list);
    std::remove(timeline.c_str());
}

TEST(Converting, RefusedAndFailedOutputsLeaveNothing) {
    const std::string output = scratchPath("refused.edl");
    std::remove(output.c_str());
    edlcOptions options;
    edlcInitOptions(&options);
    options.listType = EDLTYPE_CMX3600;
    std::string asked;
    options.guard = refuseAll;
    options.guardContext = &asked;
    edlcStatus status;
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), output.c_str(), &options, nullptr, &status),
              EDLC_E_REFUSED);
    EXPECT_EQ(asked, output);
    EXPECT_FALSE(exists(output));

    options.guard = nullptr;
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "/nonexistent/dir/out.edl", &options, nullptr,
                          &status),
              EDLC_E_WRITE);
    EXPECT_EQ(status.which, EDLC_AT_OUTPUT);

    options.write = failWrite;
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "-", &options, nullptr, &status), EDLC_E_OUTPUT);
    EXPECT_EQ(status.which, EDLC_AT_OUTPUT);
}

TEST(Converting, BadArguments) {
    edlcOptions options;
    edlcInitOptions(&options);
    edlcStatus status;
    options.listType = 46;  // read, never written
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "x.edl", &options, nullptr, &status), EDLC_E_ARGUMENT);
    options.listType = 999;
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "x.edl", &options, nullptr, &status), EDLC_E_ARGUMENT);
    options.listType = EDLTYPE_CMX3600;
    options.tcMode = 3;
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "x.edl", &options, nullptr, &status), EDLC_E_ARGUMENT);
    options.tcMode = 0;
    // Standard output without a write function.
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "-", &options, nullptr, &status), EDLC_E_ARGUMENT);
    EXPECT_EQ(edlcConvert(nullptr, "x.edl", &options, nullptr, &status), EDLC_E_ARGUMENT);
    EXPECT_EQ(edlcConvert(kHarbour.c_str(), "x.edl", nullptr, nullptr, nullptr), EDLC_E_ARGUMENT);
    EXPECT_FALSE(exists("x.edl"));
}

// cut_v2 against cut_v1: 002 starts 12 frames later at its source and SFX_HARB ends 12
// earlier (trimmed), the dissolve grows from 20 to 30 frames and starts 12 frames earlier
// (transition, moved), A003C012's second shot moves up (moved), C001C001 takes the place of
// A005C001 (replaced), A006C004 is new and B002C003 is gone.
TEST(Changes, CutV2AgainstCutV1) {
    edlcStatus status;
    edlcDiffResult* result = edlcDiffLists(kCutV1.c_str(), kCutV2.c_str(), 0, &status);
    ASSERT_NE(result, nullptr) << status.message;
    EXPECT_EQ(edlcDiffSame(result), 0);
    size_t counts[7] = {};
    bool sawTrim = false;
    for (size_t i = 0; i < edlcDiffCount(result); ++i) {
        edlcChange change;
        ASSERT_EQ(edlcDiffAt(result, i, &change), 1);
        for (unsigned bit = 0; bit < 7; ++bit) counts[bit] += (change.kinds >> bit) & 1u;
        if (change.newIndex == 1) {
            EXPECT_EQ(change.kinds, EDLC_CHANGE_TRIMMED);
            EXPECT_EQ(change.head, 12);
            EXPECT_EQ(change.tail, 0);
            EXPECT_EQ(change.move, 0);
            sawTrim = true;
        }
    }
    EXPECT_TRUE(sawTrim);
    EXPECT_EQ(counts[0], 1u);  // added
    EXPECT_EQ(counts[1], 1u);  // removed
    EXPECT_EQ(counts[2], 1u);  // replaced
    EXPECT_EQ(counts[3], 2u);  // trimmed
    EXPECT_EQ(counts[4], 2u);  // moved
    EXPECT_EQ(counts[5], 1u);  // transition
    EXPECT_EQ(counts[6], 0u);  // unchanged events only with EDLC_ALL
    const size_t changed = edlcDiffCount(result);
    edlcDiffFree(result);
    result = edlcDiffLists(kCutV1.c_str(), kCutV2.c_str(), EDLC_ALL, &status);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(edlcDiffCount(result), changed + 2);  // 001 and 008 are the same in both
    edlcDiffFree(result);

    EXPECT_STREQ(edlcChangeName(EDLC_CHANGE_TRIMMED), "trimmed");
    EXPECT_EQ(edlcChangeName(EDLC_CHANGE_TRIMMED | EDLC_CHANGE_MOVED), nullptr);
}

TEST(Changes, SameCutAndFailures) {
    TextOptions out(EDLC_FORMAT_JSON);
    int same = 0;
    edlcStatus status;
    ASSERT_EQ(edlcDiff(kCutV1.c_str(), kCutV1.c_str(), &out.options, &same, &status), EDLC_OK);
    EXPECT_EQ(same, 1);
    EXPECT_EQ(out.text.rfind("{", 0), 0u);

    EXPECT_EQ(edlcDiffLists("/nonexistent/old.edl", kCutV1.c_str(), 0, &status), nullptr);
    EXPECT_EQ(status.which, EDLC_AT_OTHER);
    EXPECT_EQ(edlcDiff(kCutV1.c_str(), "/nonexistent/new.edl", &out.options, &same, &status),
              EDLC_E_OPEN);
    EXPECT_EQ(status.which, EDLC_AT_INPUT);
}

TEST(Pictures, SvgAndHtmlThroughTheWriteFunction) {
    TextOptions svg(EDLC_FORMAT_SVG);
    size_t events = 0;
    edlcStatus status;
    ASSERT_EQ(edlcTimeline(kCutV1.c_str(), nullptr, "-", &svg.options, &events, &status), EDLC_OK);
    EXPECT_EQ(events, 9u);  // 001 to 008, the dissolve's outgoing line too
    EXPECT_NE(svg.text.find("<svg"), std::string::npos);
    EXPECT_NE(svg.text.find("FOCUS BUZZ ON THE BOW"), std::string::npos);

    TextOptions html(EDLC_FORMAT_HTML);
    ASSERT_EQ(edlcTimeline(kCutV2.c_str(), kCutV1.c_str(), "-", &html.options, nullptr, &status),
              EDLC_OK);
    EXPECT_NE(html.text.find("<html"), std::string::npos);

    TextOptions table(EDLC_FORMAT_TABLE);
    EXPECT_EQ(edlcTimeline(kCutV1.c_str(), nullptr, "-", &table.options, nullptr, &status),
              EDLC_E_ARGUMENT);
}

TEST(Texts, DetectAndDumpOfTheHarbourCut) {
    TextOptions detect;
    edlcStatus status;
    ASSERT_EQ(edlcDetect(kHarbour.c_str(), &detect.options, &status), EDLC_OK);
    const std::string lines = "file: " + kHarbour +
                              "\ntype: 251 generic\ntitle: HARBOUR CUT\n"
                              "timecode mode: 0x02 ndf (non-drop frame, 30 fps)\nevents: 5\n"
                              // Non-drop frame names no rate, and frame numbers up to 12 leave
                              // 24 and 25 open.
                              "rate: 29.97 fps (assumed)\n  frame numbers never pass 12: a list counted at 24 or 25 fps needs --rate 24 or --rate 25\n";
    EXPECT_EQ(detect.text, lines);

    TextOptions named;
    named.options.name = "cut.edl";
    ASSERT_EQ(edlcDetect(kHarbour.c_str(), &named.options, &status), EDLC_OK);
    EXPECT_EQ(named.text.rfind("file: cut.edl\n", 0), 0u);

    TextOptions csv(EDLC_FORMAT_CSV);
    ASSERT_EQ(edlcDump(kHarbour.c_str(), &csv.options, &status), EDLC_OK);
    std::istringstream rows(csv.text);
    std::string row;
    size_t count = 0;
    // A quoted comment cell may hold line feeds: events are the rows that begin with one.
    while (std::getline(rows, row)) count += row.find(",HARB0") != std::string::npos;
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(csv.text.rfind("edit,reel,tracks,edit_type,wipe_code,effect_length,", 0), 0u);

    TextOptions none;
    none.options.write = nullptr;
    EXPECT_EQ(edlcDump(kHarbour.c_str(), &none.options, &status), EDLC_E_ARGUMENT);
    TextOptions failing(EDLC_FORMAT_JSON);
    failing.options.write = failWrite;
    EXPECT_EQ(edlcDump(kHarbour.c_str(), &failing.options, &status), EDLC_E_OUTPUT);
}

TEST(Files, SameFile) {
    EXPECT_EQ(edlcSameFile(kHarbour.c_str(), kHarbour.c_str()), 1);
    const std::string other = std::string(EDLBRIDGE_EXAMPLE_LISTS) + "/../lists/harbour_cut.edl";
    EXPECT_EQ(edlcSameFile(kHarbour.c_str(), other.c_str()), 1);
    EXPECT_EQ(edlcSameFile(kHarbour.c_str(), kCutV1.c_str()), 0);
    EXPECT_EQ(edlcSameFile("-", "-"), 0);
    EXPECT_EQ(edlcSameFile("/nonexistent/a", "/nonexistent/a"), 0);
    EXPECT_EQ(edlcSameFile(nullptr, kHarbour.c_str()), 0);
}

// Separate calls on separate threads: each thread dumps and converts the lists again and
// again, and every text is the one a single thread gets.
TEST(Threads, SeparateCallsGiveTheSameTexts) {
    const std::string lists[] = {kHarbour, kCutV1, kCutV2};
    auto dumpOf = [](const std::string& path) {
        TextOptions out(EDLC_FORMAT_JSON);
        EXPECT_EQ(edlcDump(path.c_str(), &out.options, nullptr), EDLC_OK);
        TextOptions timeline;
        timeline.options.listType = EDLC_TYPE_OTIO;
        EXPECT_EQ(edlcConvert(path.c_str(), "-", &timeline.options, nullptr, nullptr), EDLC_OK);
        return out.text + timeline.text;
    };
    std::vector<std::string> expected;
    for (const std::string& list : lists) expected.push_back(dumpOf(list));
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (size_t round = 0; round < 6; ++round) {
                const size_t i = (t + round) % 3;
                mismatches[t] += dumpOf(lists[i]) != expected[i];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int count : mismatches) EXPECT_EQ(count, 0);
}

}  // namespace
