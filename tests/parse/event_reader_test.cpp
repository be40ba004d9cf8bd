// Event lists read end to end: every list of tests/data/<family>/cases.txt is dumped field by
// field and compared with its expected file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/handle.h"
#include "parse/classify.h"
#include "support/event_dump.h"
#include "support/test_support.h"

namespace {

using edlbtest::dataPath;

struct ListCase {
    std::string family, input, expected, options, name;
};

std::vector<ListCase> listCases() {
    std::vector<ListCase> cases;
    for (const char* family : {"cmx", "ds", "xjt", "smpte", "interchange"}) {
        std::ifstream manifest(dataPath(std::string(family) + "/cases.txt"));
        for (std::string line; std::getline(manifest, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            ListCase c{family, "", "", "", ""};
            fields >> c.input >> c.expected;
            std::getline(fields, c.options);
            c.name = family + std::to_string(cases.size()) + "_" + c.expected.substr(0, c.expected.find('.'));
            cases.push_back(c);
        }
    }
    return cases;
}

class ListDump : public testing::TestWithParam<ListCase> {};

TEST_P(ListDump, MatchesExpected) {
    const ListCase& c = GetParam();
    edlbtest::DumpOptions options;
    std::string reel;
    bool starved = false;
    std::istringstream words(c.options);
    for (std::string word; words >> word;) {
        const std::string key = word.substr(0, word.find('=')), value = word.substr(word.find('=') + 1);
        const uint32_t number = key == "reel" || value == word ? 0 : std::stoul(value, nullptr, 0);
        if (key == "type") options.listType = number;
        else if (key == "flags") options.flags = number;
        else if (key == "flags2") options.flags2 = number;
        else if (key == "tag") options.userTag = number;
        else if (key == "recorder") options.recorderIn = number;
        else if (key == "reel") reel = value;
        else if (key == "inline") options.inlineRecords = true;
        else if (key == "starved") starved = true;  // reading allocates nothing: the same events come
        else FAIL() << "unknown option " << word;
    }
    options.defaultReel = reel.c_str();
    edlb::g_failPrivateAllocations = starved;
    const std::string difference = edlbtest::compareWithExpected(
        dataPath(c.family + "/" + c.input), dataPath(c.family + "/" + c.expected), options);
    edlb::g_failPrivateAllocations = false;
    EXPECT_EQ(difference, "");
}

INSTANTIATE_TEST_SUITE_P(Lists, ListDump, testing::ValuesIn(listCases()),
                         [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

// A list of comments only ends twice: no line after the last break, then the end of the list.
TEST(EventReaderEnd, CommentsOnlyListKeepsReportingItsEnd) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(dataPath("ds/ds_comments_only.edl").c_str(), nullptr, EDL_OPEN_READ, &list);
    ASSERT_NE(h, nullptr);
    EdlLine event;
    edlInitEdlLineStruct(&event);
    EXPECT_EQ(edlReadLine(h, &event), EDL_NO_LINE);
    EXPECT_EQ(edlReadLine(h, &event), EDL_END_OF_LIST);
    EXPECT_EQ(edlReadLine(h, &event), EDL_END_OF_LIST);
    EXPECT_EQ(edlClose(h), 0u);
}

TEST(EventReaderEnd, BadHandlesAndDirections) {
    EdlLine event;
    edlInitEdlLineStruct(&event);
    EXPECT_EQ(edlReadLine(nullptr, &event), EDL_BAD_ARGUMENT);
    edlbtest::TempDir dir;
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = EDLTYPE_CMX3600;
    list.dwFlags = EDL_LF_NO_HEADER;
    tagKvEdlHandle* writing = edlOpen(dir.file("out.edl").c_str(), nullptr, EDL_OPEN_WRITE, &list);
    ASSERT_NE(writing, nullptr);
    EXPECT_EQ(edlReadLine(writing, &event), EDL_WRONG_DIRECTION);
    EXPECT_EQ(edlReadLine(writing, nullptr), EDL_BAD_ARGUMENT);
    char* buffer = writing->pszLineBuf;
    writing->pszLineBuf = nullptr;
    EXPECT_EQ(edlReadLine(writing, &event), EDL_NO_LINE_BUFFER);
    writing->pszLineBuf = buffer;
    EXPECT_EQ(edlClose(writing), 0u);
}

// A record with a null text pointer is reset to the shared buffers, and only the drop-frame
// bit of its line flags is the reader's.
TEST(EventReaderEnd, RecordsKeepWhatTheReaderDoesNotOwn) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(dataPath("smpte/smpte_frame_code.edl").c_str(), nullptr, EDL_OPEN_READ, &list);
    ASSERT_NE(h, nullptr);
    EdlLine event;
    edlInitEdlLineStruct(&event);
    event.dwLineFlags = EDL_LINE_UNQUOTED;
    ASSERT_EQ(edlReadLine(h, &event), EDL_OK);
    EXPECT_EQ(event.dwLineFlags, EDL_LINE_UNQUOTED | EDL_LINE_DROP_FRAME);
    char own[EDL_REEL_SIZE] = "untouched";
    EdlLine bare{};
    bare.szReel = own;
    ASSERT_EQ(edlReadLine(h, &bare), EDL_OK);
    const char* readReel = bare.szReel;  // packed pointer fields are copied out first
    const char* sharedReel = event.szReel;
    EXPECT_EQ(readReel, sharedReel);
    EXPECT_STREQ(own, "untouched");
    EXPECT_EQ(edlClose(h), 0u);
}

}  // namespace

namespace {

// The drop-frame flag of an event follows the drop-frame modes (29.97, 59.94 and 23.98 drop
// frame) only: hundredths of a second share a bit with drop frame but count none.
TEST(EventReaderDropFrame, FlagFollowsTheModesThatDropFrames) {
    const struct {
        const char* fcm;
        bool dropFrame;
    } cases[] = {
        {"FCM: DROP FRAME", true},         {"FCM: NON-DROP FRAME", false},
        {"FCM: NTSC 59.94", true},         {"FCM: NTSC FILM 23.98DF", true},
        {"FCM: NTSC FILM 23.98", false},   {"FCM: 100ths", false},
        {"FCM: NTSC 60", false},           {"FCM: PAL", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fcm);
        edlbtest::TempDir dir;
        const std::string path = dir.write(
            "list.edl", std::string("TITLE: modes\r\n") + c.fcm +
                            "\r\n001  AX  V  C  01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n");
        EdlList list;
        edlInitEdlListStruct(&list);
        tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
        ASSERT_NE(h, nullptr);
        EdlLine event;
        edlInitEdlLineStruct(&event);
        ASSERT_EQ(edlReadLine(h, &event), EDL_OK);
        EXPECT_EQ((event.dwLineFlags & EDL_LINE_DROP_FRAME) != 0, c.dropFrame);
        edlClose(h);
    }
}

}  // namespace
