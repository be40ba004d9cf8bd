// Timecode modes read by detection from the mode table: a log's "VIDEO_FORMAT" and "FPS"
// lines, and the frame rate and "fcm=" of a "*DS" header.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/handle.h"
#include "support/test_support.h"

namespace {

const char kEvent[] =
    "001  AX       V     C        01:00:00:00 01:00:05:00 01:00:00:00 01:00:05:00\r\n";

struct ModeAndRate {
    uint32_t mode;
    uint32_t frameRate;
};

// Opens a log whose heading block holds the given lines.
ModeAndRate readHeading(const std::string& lines) {
    edlbtest::TempDir dir;
    const std::string path =
        dir.write("log.ale", "Heading\r\n" + lines + "Data\r\nclip1\tV\t01:00:00:00\r\n");
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    if (h == nullptr) return {0, 0};
    edlClose(h);
    EXPECT_EQ(list.dwListType, 5u);
    return {list.dwTcMode, list.dwFrameRate};
}

TEST(LogHeadingModes, VideoFormatNamesTheStandardOfLowestRank) {
    const struct {
        const char* format;
        uint32_t mode;
    } cases[] = {
        {"NTSC", EDL_TC_NDF},       {"NTSC DROP", EDL_TC_DF}, {"DROP NTSC", EDL_TC_DF},
        {"NTSC_DROP", EDL_TC_DF},   {"NTSC FILM", EDL_TC_NDF}, {"PAL NTSC", EDL_TC_NDF},
        {"PAL FILM", EDL_TC_FILM},  {"FILM DROP", EDL_TC_FILM}, {"PAL DROP", EDL_TC_PAL},
        {"PAL", EDL_TC_PAL},        {"1080i", EDL_TC_NDF},     {"ntsc", EDL_TC_NDF},
    };
    for (const auto& c : cases) {
        const ModeAndRate read = readHeading(std::string("VIDEO_FORMAT\t") + c.format + "\r\n");
        EXPECT_EQ(read.mode, c.mode) << c.format;
        EXPECT_EQ(read.frameRate, 2997u) << c.format;
    }
}

TEST(LogHeadingModes, FpsValueSetsModeAndRate) {
    const struct {
        const char* lines;
        uint32_t mode;
        uint32_t frameRate;
    } cases[] = {
        {"FPS\t24\r\n", EDL_TC_FILM, 2400},
        {"FPS\t25.000\r\n", EDL_TC_PAL, 2500},
        {"FPS\t29.97\r\n", EDL_TC_NDF, 2997},
        {"FPS\t30\r\n", EDL_TC_NDF, 3000},
        {"FPS\t50\r\n", EDL_TC_PAL50, 5000},
        {"FPS\t59.94\r\n", EDL_TC_NTSC5994, 5994},
        {"FPS\t60.00\r\n", EDL_TC_NTSC60, 6000},
        {"FPS\t23.976\r\n", EDL_TC_2398, 2398},
        {"FPS\t23.98\r\n", EDL_TC_2398, 2398},
        // Drop frame chosen by "VIDEO_FORMAT" holds where the rate has a drop-frame mode.
        {"VIDEO_FORMAT\tNTSC DROP\r\nFPS\t29.97\r\n", EDL_TC_DF, 2997},
        {"FPS\t23.976\r\nVIDEO_FORMAT\tNTSC DROP\r\n", EDL_TC_2398DF, 2398},
        {"VIDEO_FORMAT\tNTSC DROP\r\nFPS\t30\r\n", EDL_TC_NDF, 3000},
        {"VIDEO_FORMAT\tNTSC DROP\r\nFPS\t25\r\n", EDL_TC_PAL, 2500},
        {"VIDEO_FORMAT\tPAL\r\nFPS\t59.94\r\n", EDL_TC_NTSC5994, 5994},
        // No mode is read at 100 or 23.977: the "VIDEO_FORMAT" mode and 29.97 stay.
        {"VIDEO_FORMAT\tFILM\r\nFPS\t100\r\n", EDL_TC_FILM, 2997},
        {"FPS\t23.977\r\n", EDL_TC_NDF, 2997},
        {"FPS\t48\r\n", EDL_TC_NDF, 2997},
        // A value that is no rate keeps the slowest standard rate whose digits it holds.
        {"FPS\t30 NDF\r\n", EDL_TC_NDF, 3000},
        {"FPS\t24.5\r\n", EDL_TC_NDF, 2400},
        {"FPS\t2530\r\n", EDL_TC_NDF, 2500},
        {"FPS\t302997\r\n", EDL_TC_NDF, 2997},
        {"FPS\t2430\r\n", EDL_TC_NDF, 2400},
        // The last rate a mode is read at wins over a later value that is none.
        {"FPS\t50\r\nFPS\t24 fps\r\n", EDL_TC_PAL50, 5000},
    };
    for (const auto& c : cases) {
        const ModeAndRate read = readHeading(c.lines);
        EXPECT_EQ(read.mode, c.mode) << c.lines;
        EXPECT_EQ(read.frameRate, c.frameRate) << c.lines;
    }
}

// A log written for interchange in each mode is read back in the mode its "VIDEO_FORMAT"
// and "FPS" lines name; hundredths, which a log has no rate for, come back as NTSC.
TEST(LogHeadingModes, InterchangeLogsReadBackInTheirMode) {
    const struct {
        uint32_t written;
        uint32_t read;
        uint32_t frameRate;
    } cases[] = {
        {EDL_TC_FILM, EDL_TC_FILM, 2400},         {EDL_TC_NDF, EDL_TC_NDF, 2997},
        {EDL_TC_DF, EDL_TC_DF, 2997},             {EDL_TC_PAL, EDL_TC_PAL, 2500},
        {EDL_TC_PAL50, EDL_TC_PAL50, 5000},       {EDL_TC_NTSC5994, EDL_TC_NTSC5994, 5994},
        {EDL_TC_NTSC60, EDL_TC_NTSC60, 6000},     {EDL_TC_HUNDREDTHS, EDL_TC_NDF, 2997},
        {EDL_TC_2398, EDL_TC_2398, 2398},         {EDL_TC_2398DF, EDL_TC_2398DF, 2398},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        edlbtest::TempDir dir;
        const std::string path = dir.file("log.ale");
        EdlList out;
        edlInitEdlListStruct(&out);
        out.dwListType = EDLTYPE_LOG_EXCHANGE;
        out.dwTcMode = c.written;
        out.dwFlags = EDL_LF_INTERCHANGE;
        tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &out);
        ASSERT_NE(h, nullptr);
        std::unique_ptr<EdlLineVB> event(new EdlLineVB());
        event->dwVideoTracks = 1;
        event->dwSrcIn = 100, event->dwSrcOut = 200;
        std::snprintf(event->achReel, sizeof event->achReel, "%s", "TAPE1");
        EXPECT_EQ(edlWriteLineVB(h, event.get()), 0u);
        EXPECT_EQ(edlClose(h), 0);

        EdlList in;
        edlInitEdlListStruct(&in);
        h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &in);
        ASSERT_NE(h, nullptr);
        edlClose(h);
        EXPECT_EQ(in.dwListType, 5u);
        EXPECT_EQ(in.dwTcMode, c.read);
        EXPECT_EQ(in.dwFrameRate, c.frameRate);
    }
}

// The timecode word a "*DS" header leaves while detection runs, given the word before.
uint32_t dsWord(uint32_t before, const std::string& attributes) {
    edlbtest::TempDir dir;
    const std::string path = dir.write("ds.edl", "*DS type=header " + attributes + "\r\n" + kEvent);
    tagKvEdlHandle* h = new tagKvEdlHandle();
    kv_ListInit(&h->sources);
    h->dwReading = 1;
    h->pszLineBuf = static_cast<char*>(KvAlloc(edlb::kLineBufferSize));
    h->pFile = std::fopen(path.c_str(), "rb");
    edlInitEdlListStruct(&h->list);
    h->dwTcFlags = before;
    EXPECT_EQ(edlAutoSense(h), EDLTYPE_DS);
    const uint32_t word = h->dwTcFlags;
    edlClose(h);
    return word;
}

TEST(DsHeaderModes, FrameRateThenFcmGiveTheWord) {
    const struct {
        uint32_t before;
        const char* attributes;
        uint32_t after;
    } cases[] = {
        {0x30104, "frame-rate=24", EDL_TC_FILM},
        {0x30104, "frame-rate=24 fcm=drop-frame", EDL_TC_2398},
        {0x30104, "frame-rate=23", EDL_TC_2398},
        {0x30104, "frame-rate=23 fcm=non-drop-frame", EDL_TC_FILM},
        {0x30104, "frame-rate=25 fcm=drop-frame", EDL_TC_PAL},
        {0x30104, "frame-rate=50 fcm=drop-frame", EDL_TC_PAL},
        {0x30104, "frame-rate=30", EDL_TC_NDF},
        {0x30104, "frame-rate=60 fcm=drop-frame", EDL_TC_DF},
        {0x30104, "frame-rate=100", EDL_TC_DF},
        {0x30104, "frame-rate=100 fcm=non-drop-frame", EDL_TC_NDF},
        {0x30104, "frame-rate=x fcm=x", EDL_TC_DF},
        // "fcm=" alone turns an empty word into drop frame, and a mode into its twin of the
        // other kind of counting.
        {0, "fcm=non-drop-frame", EDL_TC_NDF},
        {0, "fcm=drop-frame", EDL_TC_DF},
        {EDL_TC_NDF, "fcm=drop-frame", EDL_TC_DF},
        {EDL_TC_DF, "fcm=non-drop-frame", EDL_TC_NDF},
        {EDL_TC_FILM, "fcm=drop-frame", EDL_TC_2398},
        {EDL_TC_2398, "fcm=non-drop-frame", EDL_TC_FILM},
        {EDL_TC_NDF, "fcm=non-drop-frame", EDL_TC_NDF},
        {EDL_TC_2398, "fcm=drop-frame", EDL_TC_2398},
        // Modes without a twin, and words that are no bare mode value, stay.
        {EDL_TC_PAL, "fcm=drop-frame", EDL_TC_PAL},
        {EDL_TC_NTSC5994, "fcm=non-drop-frame", EDL_TC_NTSC5994},
        {EDL_TC_NTSC60, "fcm=drop-frame", EDL_TC_NTSC60},
        {EDL_TC_2398DF, "fcm=non-drop-frame", EDL_TC_2398DF},
        {0x104, "fcm=non-drop-frame", 0x104},
        {0x30102, "fcm=drop-frame", 0x30102},
        {0x30104, "major=1 minor=0", 0x30104},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dsWord(c.before, c.attributes), c.after) << c.before << " " << c.attributes;
    }
}

}  // namespace
