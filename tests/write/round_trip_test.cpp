// Round trips: lists written in each readable dialect are read back with edlOpen and
// edlReadLine, and every field the dialect carries comes back.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "write/write_support.h"

namespace {

using writetest::EventFields;
using writetest::ListSetup;

// What an event must read back as; a null text is not compared.
struct Expected {
    uint32_t srcIn, srcOut, recIn, recOut;
    uint32_t video, audio;
    const char* reel;
    const char* clip;
    const char* name;
    const char* comment;
    char edit;
};

struct RoundTrip {
    const char* label;
    ListSetup list;
    uint32_t readsAs;
    std::vector<EventFields> events;
    std::vector<Expected> expected;
};

EventFields event(uint32_t srcIn, uint32_t srcOut, uint32_t recIn, uint32_t recOut, uint32_t video,
                uint32_t audio, const char* reel, const char* comment, const char* name,
                const char* clip) {
    EventFields e;
    e.srcIn = srcIn;
    e.srcOut = srcOut;
    e.recIn = recIn;
    e.recOut = recOut;
    e.video = video;
    e.audio = audio;
    e.reel = reel;
    e.comment = comment;
    e.name = name;
    e.clip = clip;
    return e;
}

ListSetup list(uint32_t type, uint32_t mode, uint32_t flags, const char* title) {
    ListSetup s;
    s.type = type;
    s.mode = mode;
    s.flags = flags;
    s.title = title;
    return s;
}

EventFields clipLine(const char* clip, uint32_t srcIn, uint32_t srcOut, const char* comment,
                   const char* name) {
    EventFields e = event(srcIn, srcOut, 0, 0, 1, 0, nullptr, comment, name, clip);
    e.present = EDL_P_CLIP_EVENT;
    return e;
}

std::vector<RoundTrip> trips() {
    return {
        // The library's own event list, without its header: the first event line decides.
        {"own_list", list(EDLTYPE_XJT_LIST, EDL_TC_PAL, EDL_LF_NO_HEADER, ""), EDLTYPE_XJT_LIST,
         {event(0, 250, 90000, 90250, 1, 3, "REEL001", "hello", "a.mov", ""),
          event(500, 750, 90250, 90500, 2, 0x400, "B", "second take", "", "CLIP1")},
         {{0, 250, 90000, 90250, 1, 3, "REEL001", nullptr, "a.mov", "hello", 'C'},
          {500, 750, 90250, 90500, 2, 0x400, "B", "CLIP1", nullptr, "second take", 'C'}}},
        {"clip_list", list(EDLTYPE_XJT_CLIP, EDL_TC_PAL, 0, "Clips"), EDLTYPE_XJT_CLIP,
         {clipLine("CLIP1", 0, 250, "a comment", "f.avi"),
          clipLine("CLIP2", 1000, 1250, "other", "g.avi")},
         {{0, 250, 0, 0, 0, 0, nullptr, "CLIP1", "f.avi", ";a comment", 0},
          {1000, 1250, 0, 0, 0, 0, nullptr, "CLIP2", "g.avi", ";other", 0}}},
        {"smpte_4ch", list(EDLTYPE_SMPTE_4CH, EDL_TC_PAL, 0, "Frames"), EDLTYPE_SMPTE_4CH,
         {event(0, 250, 90000, 90250, 0, 1, "REEL01", "hello", nullptr, nullptr),
          event(250, 500, 90250, 90500, 0, 2, "REEL02", nullptr, nullptr, nullptr)},
         {{0, 250, 90000, 90250, 0, 1, "REEL01", nullptr, nullptr, "hello ", 'C'},
          {250, 500, 90250, 90500, 0, 2, "REEL02", nullptr, nullptr, "", 'C'}}},
        {"ds", list(EDLTYPE_DS, EDL_TC_DF, 0, "DS"), EDLTYPE_DS,
         {event(0, 300, 107892, 108192, 1, 1, "R1", "", "/m/clipLongName.mov", ""),
          event(300, 600, 108192, 108492, 1, 1, "R2", "", "/m/ab.mxf", "")},
         // The source lines at the end map each key back to its file name.
         {{0, 300, 107892, 108192, 1, 1, "001", "clipLo", "/m/clipLongName.mov",
           "FileName: /m/clipLongName.mov", 'C'},
          {300, 600, 108192, 108492, 1, 1, "001", "ab", "/m/ab.mxf", "FileName: /m/ab.mxf", 'C'}}},
        // CMX-like lists all read back as generic lists.
        {"cmx3600", list(EDLTYPE_CMX3600, EDL_TC_PAL, 0, "Show"), EDLTYPE_GENERIC,
         {event(0, 250, 90000, 90250, 0, 1, "REEL01", "hello", nullptr, nullptr),
          event(250, 500, 90250, 90500, 0, 2, "LONGREEL0123", nullptr, nullptr, nullptr)},
         {{0, 250, 90000, 90250, 0, 1, "REEL01", nullptr, nullptr, "hello ", 'C'},
          {250, 500, 90250, 90500, 0, 2, "LONGREEL0123", nullptr, nullptr, "", 'C'}}},
        {"cmxlike13", list(EDLTYPE_CMXLIKE_13, EDL_TC_PAL, 0, "Show"), EDLTYPE_GENERIC,
         {event(0, 250, 90000, 90250, 0, 2, "REEL01", "hello", "a.mov", nullptr)},
         {{0, 250, 90000, 90250, 0, 2, "REE", nullptr, "a.mov", "hello", 'C'}}},
        {"generic250", list(EDLTYPE_GENERIC_250, EDL_TC_PAL, 0, "Show"), EDLTYPE_GENERIC,
         {event(0, 250, 90000, 90250, 1, 3, "REEL01", "hello", nullptr, "CLIP7")},
         {{0, 250, 90000, 90250, 1, 3, "REEL01", "CLIP7", nullptr, "hello", 'C'}}},
        {"generic251", list(EDLTYPE_GENERIC, EDL_TC_PAL, 0, "Show"), EDLTYPE_GENERIC,
         {event(0, 250, 90000, 90250, 1, 1, "REEL01", "hello", "x/y.mov", nullptr),
          event(250, 500, 90250, 90500, 1, 2, "REEL02", "two", nullptr, "CLIP8")},
         {{0, 250, 90000, 90250, 1, 1, "REEL01", nullptr, "x/y.mov", "hello", 'C'},
          {250, 500, 90250, 90500, 1, 2, "REEL02", "CLIP8", nullptr, "two", 'C'}}},
    };
}

void PrintTo(const RoundTrip& trip, std::ostream* out) { *out << trip.label; }

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, FieldsComeBack) {
    const RoundTrip& trip = GetParam();
    edlbtest::TempDir dir;
    const std::string path = dir.file("list.edl");
    ASSERT_EQ(writetest::writeList(path, trip.list, trip.events), 0u);

    EdlList record;
    edlInitEdlListStruct(&record);
    // Lists without an FCM line are read in the mode the caller names.
    record.dwTcMode = trip.list.mode;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &record);
    ASSERT_NE(handle, nullptr) << edlbtest::readFile(path);
    EXPECT_EQ(record.dwListType, trip.readsAs);
    for (size_t i = 0; i < trip.expected.size(); ++i) {
        const Expected& want = trip.expected[i];
        writetest::OwnedEvent got;
        ASSERT_EQ(edlReadLine(handle, &got.line), 0u) << "event " << i;
        SCOPED_TRACE(testing::Message() << trip.label << " event " << i << ": " << got.raw);
        EXPECT_EQ(got.line.dwSrcIn, want.srcIn);
        EXPECT_EQ(got.line.dwSrcOut, want.srcOut);
        EXPECT_EQ(got.line.dwRecIn, want.recIn);
        EXPECT_EQ(got.line.dwRecOut, want.recOut);
        if (want.edit != 0) {
            EXPECT_EQ(got.line.dwVideoTracks, want.video);
            EXPECT_EQ(got.line.dwAudioTracks, want.audio);
            EXPECT_EQ(got.line.chEditType, want.edit);
        }
        if (want.reel != nullptr) {
            EXPECT_STREQ(got.reel, want.reel);
        }
        if (want.clip != nullptr) {
            EXPECT_STREQ(got.clip, want.clip);
        }
        if (want.name != nullptr) {
            EXPECT_STREQ(got.name, want.name);
        }
        if (want.comment != nullptr) {
            EXPECT_STREQ(got.comment, want.comment);
        }
    }
    writetest::OwnedEvent after;
    const uint32_t end = edlReadLine(handle, &after.line);
    EXPECT_TRUE(end == EDL_END_OF_LIST || end == EDL_NO_LINE) << "no more events: " << end;
    EXPECT_EQ(edlClose(handle), 0u);
}

INSTANTIATE_TEST_SUITE_P(Dialects, RoundTripTest, ::testing::ValuesIn(trips()),
                         [](const ::testing::TestParamInfo<RoundTrip>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace

namespace {

// A list opened for reading is left as it was, even for a type that has closing lines.
TEST(ReadingHandle, CloseWritesNothing) {
    edlbtest::TempDir dir;
    const std::string path = dir.file("ds.edl");
    ListSetup setup = list(EDLTYPE_DS, EDL_TC_PAL, 0, "DS");
    ASSERT_EQ(writetest::writeList(path, setup, {event(0, 250, 90000, 90250, 1, 1, "R", "", "/m/a.mov", "")}), 0u);
    const std::string before = edlbtest::readFile(path);
    EdlList record;
    edlInitEdlListStruct(&record);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &record);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(record.dwListType, static_cast<uint32_t>(EDLTYPE_DS));
    writetest::OwnedEvent got;
    EXPECT_EQ(edlReadLine(handle, &got.line), 0u);
    EXPECT_EQ(edlClose(handle), 0u);
    EXPECT_EQ(edlbtest::readFile(path), before);
}

// The log-exchange header names its columns with four-space separators and its events are
// CMX-like lines, so the column reader finds the list and its rows but no tab-delimited
// fields in them.
TEST(LogExchange, ReadsBackAsAColumnList) {
    edlbtest::TempDir dir;
    const std::string path = dir.file("log.ale");
    ListSetup setup = list(EDLTYPE_LOG_EXCHANGE, EDL_TC_PAL, 0, "");
    ASSERT_EQ(writetest::writeList(path, setup,
                                   {event(0, 250, 90000, 90250, 1, 3, "REEL01", "hello", "a.mov", ""),
                                    event(250, 500, 90250, 90500, 1, 0, "REEL02", "", "", "")}),
              0u);
    EdlList record;
    edlInitEdlListStruct(&record);
    record.dwTcMode = EDL_TC_PAL;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &record);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(record.dwListType, static_cast<uint32_t>(EDLTYPE_LOG_EXCHANGE));
    EXPECT_NE(record.dwFlags & EDL_LF_COLUMN_LIST, 0u);
    // Two events, each an event line and a note line.
    for (int row = 0; row < 4; ++row) {
        writetest::OwnedEvent got;
        EXPECT_EQ(edlReadLine(handle, &got.line), 0u) << row;
    }
    writetest::OwnedEvent after;
    const uint32_t end = edlReadLine(handle, &after.line);
    EXPECT_TRUE(end == EDL_END_OF_LIST || end == EDL_NO_LINE) << end;
    EXPECT_EQ(edlClose(handle), 0u);
}

}  // namespace
