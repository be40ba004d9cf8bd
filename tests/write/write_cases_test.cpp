// Every writer case of tests/data/write/cases.txt: the bytes written, the caller's records
// after the writes and the list read back, each compared with its file; then the results
// of calls that must fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/event_dump.h"
#include "support/expected_output.h"
#include "write/write_support.h"

namespace {

using writetest::Case;

// Compares actual with a file under tests/data/write and names the first differing byte,
// which a plain compare of texts full of CRLF hides. EDLBRIDGE_UPDATE_EXPECTED writes it.
::testing::AssertionResult matchesFile(const std::string& name, const std::string& actual) {
    const std::string path = edlbtest::dataPath("write/" + name);
    std::string expected;
    edlbtest::matchesExpected(path, actual, &expected);
    if (!std::filesystem::exists(path)) return ::testing::AssertionFailure() << "no " << path;
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    if (expected == actual) return ::testing::AssertionSuccess();
    const size_t from = i > 30 ? i - 30 : 0;
    return ::testing::AssertionFailure()
           << name << ": first difference at byte " << i << " (sizes " << expected.size()
           << " and " << actual.size() << ")\n  expected: "
           << edlbtest::quoted(expected.substr(from, 60).c_str())
           << "\n  actual:   " << edlbtest::quoted(actual.substr(from, 60).c_str());
}

std::string stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

class WriteCase : public ::testing::TestWithParam<Case> {};

TEST_P(WriteCase, MatchesItsFiles) {
    const Case& c = GetParam();
    const std::string golden = c.list.count("golden") ? c.list.at("golden") : c.list.at("0");
    edlbtest::TempDir dir;
    const std::string path = dir.file("out" + golden.substr(golden.rfind('.')));
    EdlList list = writetest::makeList(c.list);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &list);
    ASSERT_NE(handle, nullptr);
    std::string records = edlbtest::describeList(list);
    for (size_t i = 0; i < c.events.size(); ++i) {
        writetest::Event event(c.events[i]);
        const bool inlineRecord = c.events[i].count("vb") != 0;
        const uint32_t result = inlineRecord ? edlWriteLineVB(handle, &event.inlineRecord)
                                             : edlWriteLine(handle, &event.line);
        EXPECT_EQ(result, 0u) << "event " << i;
        records += "-- event " + std::to_string(i + 1) + "\n" +
                   edlbtest::describeEvent(inlineRecord
                       ? *reinterpret_cast<const EdlLine*>(&event.inlineRecord) : event.line);
    }
    ASSERT_EQ(edlClose(handle), 0u);
    const std::string bytes = edlbtest::readFile(path);
    EXPECT_TRUE(matchesFile(golden, bytes));
    if (c.list.count("records") != 0) {
        EXPECT_TRUE(matchesFile(stem(golden) + ".records", records));
    }
    if (c.list.count("read") != 0) {
        EXPECT_TRUE(matchesFile(stem(golden) + ".expected", edlbtest::dumpList(path)));
        EXPECT_EQ(edlbtest::readFile(path), bytes) << "reading changed the list";
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, WriteCase, ::testing::ValuesIn(writetest::loadCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.list.at("0");
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

TEST(WriteResults, WrongHandleOrRecordWritesNothing) {
    writetest::Event event(writetest::Options{});
    EXPECT_EQ(edlWriteLine(nullptr, &event.line), EDL_NO_LINE_BUFFER);
    edlbtest::TempDir dir;
    EdlList list = writetest::makeList({{"type", "1"}, {"flags", "0x80000"}});
    tagKvEdlHandle* handle = edlOpen(dir.file("x.edl").c_str(), nullptr, EDL_OPEN_WRITE, &list);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(edlWriteLine(handle, nullptr), EDL_BAD_ARGUMENT);
    ASSERT_EQ(edlClose(handle), 0u);
    EXPECT_EQ(edlbtest::readFile(dir.file("x.edl")), "");
}

// Write failures are not lost: the close reports them.
TEST(WriteResults, FullDeviceIsReportedAtClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const char* type : {"7", "1", "45", "44", "5"}) {
        EdlList list = writetest::makeList({{"type", type}});
        tagKvEdlHandle* handle = edlOpen("/dev/full", nullptr, EDL_OPEN_WRITE, &list);
        ASSERT_NE(handle, nullptr) << type;
        for (int i = 0; i < 3; ++i) {
            writetest::Event event({{"4", "1"}, {"name", "/a/b.mov"}});
            EXPECT_EQ(edlWriteLine(handle, &event.line), 0u);
        }
        EXPECT_NE(edlClose(handle), 0u) << "list type " << type;
    }
}

}  // namespace
