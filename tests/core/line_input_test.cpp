#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/handle.h"
#include "support/test_support.h"

namespace {

// A handle over a file holding the given bytes, as edlOpen leaves it for the readers.
struct FileHandle {
    edlbtest::TempDir dir;
    tagKvEdlHandle handle{};
    explicit FileHandle(const std::string& bytes) {
        handle.pFile = std::fopen(dir.write("list.txt", bytes).c_str(), "rb");
    }
    ~FileHandle() {
        if (handle.pFile) std::fclose(handle.pFile);
    }
    // Every line getLine returns until it reports none.
    std::vector<std::string> lines(unsigned int limit = edlb::kLineLimit) {
        std::vector<std::string> out;
        char buffer[edlb::kLineBufferSize];
        while (getLine(&handle, buffer, limit) == 1) out.emplace_back(buffer);
        return out;
    }
};

using Lines = std::vector<std::string>;

struct LineCase {
    const char* name;
    std::string bytes;
    Lines expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class GetLineEnds : public ::testing::TestWithParam<LineCase> {};

TEST_P(GetLineEnds, ReturnsTheLines) {
    FileHandle file(GetParam().bytes);
    EXPECT_EQ(file.lines(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    LineInput, GetLineEnds,
    ::testing::Values(
        LineCase{"CrLf", "A\r\nB\r\n", {"A", "B"}}, LineCase{"CrOnly", "A\rB\r", {"A", "B"}},
        LineCase{"LfNoFinalEnd", "A\nB", {"A", "B"}},
        LineCase{"OneEmptyLineSkipped", "A\n\nB\n", {"A", "B"}},
        LineCase{"SecondEmptyLineKept", "A\n\n\nB\n", {"A", "", "B"}},
        LineCase{"CrLfEmptyLineKept", "A\r\n\r\nB\r\n", {"A", "", "B"}},
        LineCase{"EmptyFile", "", {}}, LineCase{"OnlyLineEnd", "\n", {}},
        LineCase{"MixedEnds", "A\rB\nC\r\nD", {"A", "B", "C", "D"}},
        LineCase{"NulKeptInsideLine", std::string("A\0B\nC\n", 6), {"A", "C"}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(LineInput, LongLineComesInPieces) {
    FileHandle file("ABCDEFGHIJ\nK\n");
    EXPECT_EQ(file.lines(5), (Lines{"ABCD", "EFGH", "IJ", "K"}));
}

TEST(LineInput, LimitOneReadsNothing) {
    FileHandle file("ABC\n");
    char buffer[8];
    EXPECT_EQ(getLine(&file.handle, buffer, 1), 0u);
    EXPECT_EQ(std::ftell(file.handle.pFile), 0);
    EXPECT_EQ(getLine(&file.handle, buffer, 8), 1u);
    EXPECT_STREQ(buffer, "ABC");
}

TEST(LineInput, PushBackReturnsTheSameLineAgain) {
    FileHandle file("A\r\nB\r\nC\r\n");
    char buffer[16];
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    ASSERT_STREQ(buffer, "B");
    EXPECT_EQ(file.handle.lLineStart, 3);
    EXPECT_EQ(file.handle.dwLineEnd, 5);
    EXPECT_EQ(ungetline(&file.handle), 1);
    EXPECT_EQ(file.handle.dwLineEnd, 3);
    // A second push-back without a read returns to the same place.
    EXPECT_EQ(ungetline(&file.handle), 1);
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "B");
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "C");
    EXPECT_EQ(getLine(&file.handle, buffer, sizeof buffer), 0u);
}

TEST(LineInput, PushBackAfterEndOfFileReadsTheLastLineAgain) {
    FileHandle file("A\nB");
    char buffer[16];
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    EXPECT_EQ(getLine(&file.handle, buffer, sizeof buffer), 0u);
    EXPECT_EQ(ungetline(&file.handle), 1);
    ASSERT_EQ(getLine(&file.handle, buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "B");
}

TEST(LineInput, FedlgetsKeepsLineEndsAsLf) {
    edlbtest::TempDir dir;
    FILE* stream = std::fopen(dir.write("f", "AB\r\nC").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    char buffer[10];
    ASSERT_NE(fedlgets(buffer, 10, stream), nullptr);
    EXPECT_STREQ(buffer, "AB\n");
    ASSERT_NE(fedlgets(buffer, 10, stream), nullptr);
    EXPECT_STREQ(buffer, "\n");
    ASSERT_NE(fedlgets(buffer, 10, stream), nullptr);
    EXPECT_STREQ(buffer, "C");
    EXPECT_EQ(fedlgets(buffer, 10, stream), nullptr);
    EXPECT_EQ(fedlgets(buffer, 0, stream), nullptr);
    std::fclose(stream);
}

TEST(LineInput, FedlgetsCutsAtTheLimit) {
    edlbtest::TempDir dir;
    FILE* stream = std::fopen(dir.write("f", "ABCDEF\n").c_str(), "rb");
    char buffer[4];
    ASSERT_NE(fedlgets(buffer, 4, stream), nullptr);
    EXPECT_STREQ(buffer, "ABC");
    ASSERT_NE(fedlgets(buffer, 4, stream), nullptr);
    EXPECT_STREQ(buffer, "DEF");
    std::fclose(stream);
}

}  // namespace
