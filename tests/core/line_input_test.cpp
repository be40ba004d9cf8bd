#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/handle.h"
#include "support/test_support.h"

namespace {

using Lines = std::vector<std::string>;

// A list opened for reading, as edlOpen leaves it for the readers.
struct ListFile {
    edlbtest::TempDir dir;
    EdlList list;
    tagKvEdlHandle* handle = nullptr;
    char buffer[edlb::kLineBufferSize];
    explicit ListFile(const std::string& bytes) {
        edlInitEdlListStruct(&list);
        list.dwFlags = EDL_LF_NO_HEADER;
        // Opened for writing so that no detection reads ahead; then switched to reading
        // through the read-ahead, the way a reading handle works.
        handle = edlOpen(dir.file("scratch").c_str(), nullptr, EDL_OPEN_WRITE, &list);
        std::fclose(handle->pFile);
        handle->pFile = std::fopen(dir.write("list.txt", bytes).c_str(), "rb");
        handle->dwReading = 1;
        handle->pReadBuf = static_cast<char*>(KvAlloc(edlb::kReadBufferSize));
    }
    ~ListFile() { edlClose(handle); }
    bool next(unsigned int limit = edlb::kLineLimit) { return getLine(handle, buffer, limit) == 1; }
    Lines all(unsigned int limit = edlb::kLineLimit) {
        Lines out;
        while (next(limit)) out.emplace_back(buffer);
        return out;
    }
};

TEST(LineInput, LineEndsAndEmptyLines) {
    const struct {
        std::string bytes;
        Lines expected;
    } cases[] = {
        {"A\r\nB\r\n", {"A", "B"}}, {"A\rB\r", {"A", "B"}}, {"A\nB", {"A", "B"}},
        {"A\n\nB\n", {"A", "B"}},  // one empty line is passed over
        {"A\n\n\nB\n", {"A", "", "B"}}, {"A\r\n\r\nB\r\n", {"A", "", "B"}},
        {"", {}}, {"\n", {}}, {"A\rB\nC\r\nD", {"A", "B", "C", "D"}},
        {std::string("A\0B\nC\n", 6), {"A", "C"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ListFile(c.bytes).all(), c.expected) << c.bytes;
    EXPECT_EQ(ListFile("ABCDEFGHIJ\nK\n").all(5), (Lines{"ABCD", "EFGH", "IJ", "K"}));
    // A line cut by the limit leaves its CR LF to the next calls: the CR is the empty line
    // passed over, the LF an empty line read.
    EXPECT_EQ(ListFile("AB\r\nC\n").all(2), (Lines{"A", "B", "", "C"}));
    // Lines longer than the read-ahead come out whole, across its refills.
    const std::string longLine(edlb::kReadBufferSize + 100, 'x');
    EXPECT_EQ(ListFile("A\n" + longLine.substr(0, 3000) + "\n" + longLine + "\nB").all(4000)
                  .size(),
              3u + (longLine.size() + 3998) / 3999);
}

TEST(LineInput, PushBackAndLimits) {
    ListFile file("A\r\nB\r\nC");
    EXPECT_FALSE(file.next(1));  // a limit of 1 reads nothing
    ASSERT_TRUE(file.next() && file.next());
    EXPECT_STREQ(file.buffer, "B");
    EXPECT_EQ(file.handle->lLineStart, 3);
    EXPECT_EQ(file.handle->dwLineEnd, 5);
    // A second push-back without a read returns to the same place.
    EXPECT_TRUE(ungetline(file.handle) && ungetline(file.handle));
    EXPECT_EQ(file.handle->dwLineEnd, 3);
    EXPECT_EQ(file.all(), (Lines{"B", "C"}));
    // After the end, a push-back reads the last line again.
    EXPECT_TRUE(ungetline(file.handle));
    EXPECT_EQ(file.all(), (Lines{"C"}));
}

TEST(LineInput, FedlgetsKeepsLineEndsAsLf) {
    edlbtest::TempDir dir;
    FILE* stream = std::fopen(dir.write("f", "AB\r\nC\nDEFGH").c_str(), "rb");
    char buffer[10];
    Lines lines;
    const int limits[] = {10, 10, 10, 10, 4, 10};
    for (int limit : limits) {
        lines.emplace_back(fedlgets(buffer, limit, stream) ? buffer : "(null)");
    }
    EXPECT_EQ(lines, (Lines{"AB\n", "\n", "C\n", "DEFGH", "(null)", "(null)"}));
    EXPECT_EQ(fedlgets(buffer, 0, stream), nullptr);
    std::rewind(stream);
    ASSERT_NE(fedlgets(buffer, 2, stream), nullptr);
    EXPECT_STREQ(buffer, "A");
    std::fclose(stream);
}

}  // namespace

namespace {

// The event line that ends an event is read again by the next call, unless the host moved
// on with getLine: then the reading goes on after the line it took. ungetline brings the
// line back.
TEST(LineInput, HostLinesBetweenEvents) {
    edlbtest::TempDir dir;
    const std::string path = dir.write(
        "three.edl",
        "TITLE: THREE\r\nFCM: NON-DROP FRAME\r\n\r\n"
        "001  R1 V C 01:00:00:00 01:00:01:00 00:00:00:00 00:00:01:00\r\n* one\r\n"
        "002  R2 V C 01:00:01:00 01:00:02:00 00:00:01:00 00:00:02:00\r\n* two\r\n"
        "003  R3 V C 01:00:02:00 01:00:03:00 00:00:02:00 00:00:03:00\r\n* three\r\n"
        "004  R4 V C 01:00:03:00 01:00:04:00 00:00:03:00 00:00:04:00\r\n");
    for (uint32_t flags : {0u, static_cast<uint32_t>(EDL_LF_INTERCHANGE)}) {
        EdlList list;
        edlInitEdlListStruct(&list);
        list.dwFlags |= flags;
        tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
        ASSERT_NE(handle, nullptr);
        auto event = std::make_unique<EdlLineVB>();
        ASSERT_EQ(edlReadLineVB(handle, event.get()), EDL_OK);
        EXPECT_EQ(event->dwEditNum, 1u);
        char line[edlb::kLineBufferSize];
        ASSERT_EQ(getLine(handle, line, edlb::kLineLimit), 1u);
        EXPECT_STREQ(line, "002  R2 V C 01:00:01:00 01:00:02:00 00:00:01:00 00:00:02:00");
        // The note after it, given back: reading goes on from the note.
        ASSERT_EQ(getLine(handle, line, edlb::kLineLimit), 1u);
        EXPECT_STREQ(line, "* two");
        ASSERT_EQ(ungetline(handle), 1);
        ASSERT_EQ(edlReadLineVB(handle, event.get()), EDL_OK);
        EXPECT_EQ(event->dwEditNum, 3u);
        EXPECT_STREQ(event->achReel, "R3");
        // The line that ended event 3 is given back after a line the host read and returned.
        ASSERT_EQ(getLine(handle, line, edlb::kLineLimit), 1u);
        EXPECT_STREQ(line, "004  R4 V C 01:00:03:00 01:00:04:00 00:00:03:00 00:00:04:00");
        ASSERT_EQ(ungetline(handle), 1);
        ASSERT_EQ(edlReadLineVB(handle, event.get()), EDL_OK);
        EXPECT_EQ(event->dwEditNum, 4u);
        EXPECT_EQ(event->dwRecIn, 3u * 30u);
        EXPECT_EQ(edlReadLineVB(handle, event.get()), EDL_END_OF_LIST);
        edlClose(handle);
    }
}

}  // namespace
