// The block scans of line bytes: the same answers as a byte at a time, at every place a
// block boundary can fall.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/byte_scan.h"

namespace {

using Tokens = std::vector<std::pair<size_t, size_t>>;

Tokens tokensOf(const std::string& text, size_t stopAfter = 1000) {
    Tokens found;
    edlb::forEachToken(text.data(), text.size(), [&](size_t start, size_t end) {
        found.emplace_back(start, end);
        return found.size() < stopAfter;
    });
    return found;
}

TEST(ByteScan, TokensAreTheRunsBetweenBlanksAndLineEnds) {
    const struct {
        std::string text;
        Tokens expected;
    } cases[] = {
        {"", {}},
        {"   \t\r\n", {}},
        {"a", {{0, 1}}},
        {"  001  AX\tV\r\nC  ", {{2, 5}, {7, 9}, {10, 11}, {13, 14}}},
        // Tokens that end on, begin on and cross the sixteenth and thirty-second bytes.
        {"0123456789ABCDE F", {{0, 15}, {16, 17}}},
        {"0123456789ABCDEF G", {{0, 16}, {17, 18}}},
        {"               X", {{15, 16}}},
        {"              XYZW               Q", {{14, 18}, {33, 34}}},
        {std::string(40, 'R'), {{0, 40}}},
        {std::string(32, ' ') + "01:00:00:00", {{32, 43}}},
        // A NUL is no blank: the caller gives the length.
        {std::string("a\0b c", 5), {{0, 3}, {4, 5}}},
        // Bytes from 128 up belong to tokens.
        {"\xE6\x9D\xB1 \xC3\xA9", {{0, 3}, {4, 6}}},
    };
    for (const auto& c : cases) EXPECT_EQ(tokensOf(c.text), c.expected) << "'" << c.text << "'";
    // The visit that returns false is the last.
    EXPECT_EQ(tokensOf("a b c d", 2), (Tokens{{0, 1}, {2, 3}}));
    EXPECT_EQ(tokensOf(std::string(20, 'x') + " y z", 1), (Tokens{{0, 20}}));
}

TEST(ByteScan, FullTimecodeStartsNeedBlanksAroundAndStayWithinSixtyFourBytes) {
    const auto starts = [](const std::string& text) {
        return edlb::fullTimecodeStarts(edlb::classifyBytes64(text.data(), text.size()));
    };
    const auto bit = [](int at) { return uint64_t(1) << at; };
    EXPECT_EQ(starts("001  AX0000  V     C        00:00:00;00 00:00:01;18 01:00:03;18"),
              bit(28) | bit(40) | bit(52));
    EXPECT_EQ(starts("01.00.00.00 01-00-01-00 01+00=02_00 01,00:03:00"),
              bit(0) | bit(12) | bit(24) | bit(36));
    EXPECT_EQ(starts("\t01:00:00:00\r01:00:01:00\n"), bit(1) | bit(13));
    // No blank before or after, a slash, three hour digits, a field of one digit: none.
    EXPECT_EQ(starts("x01:00:00:00 01:00:00:00x 01/00/00/00"), 0u);
    EXPECT_EQ(starts("100:00:00:00 1:00:00:00 01:00:00:0"), 0u);
    EXPECT_EQ(starts("01:00:00:0001:00:00:00"), 0u);
    // The end of a shorter text counts as the blank after a time; a time whose blank after
    // would be the 65th byte is not found (the caller then looks token by token).
    EXPECT_EQ(starts(std::string(52, ' ') + "01:00:00:00"), bit(52));
    EXPECT_EQ(starts(std::string(52, ' ') + "01:00:00:00 x"), bit(52));
    EXPECT_EQ(starts(std::string(53, ' ') + "01:00:00:00"), 0u);
    EXPECT_EQ(starts(std::string(53, ' ') + "01:00:00:00 x"), 0u);
}

TEST(ByteScan, ClassesOfBytesPastTheTextAreBlanks) {
    const edlb::ByteClasses classes = edlb::classifyBytes64("1:\xB0 \x80", 5);
    EXPECT_EQ(classes.digits, 0x1u);
    EXPECT_EQ(classes.separators, 0x2u);
    EXPECT_EQ(classes.blanks, ~uint64_t(0) << 5 | 0x8u);
    // Only the first 64 bytes are looked at.
    const std::string long70(70, '7');
    EXPECT_EQ(edlb::classifyBytes64(long70.data(), long70.size()).digits, ~uint64_t(0));
    EXPECT_EQ(edlb::classifyBytes64(long70.data(), long70.size()).blanks, 0u);
}

TEST(ByteScan, LineEndIsTheFirstCarriageReturnOrLineFeed) {
    const struct {
        std::string text;
        size_t n;
        size_t expected;
    } cases[] = {
        {"", 0, 0},
        {"\n", 1, 0},
        {"abc\r\n", 5, 3},
        {std::string(15, 'a') + "\n", 16, 15},
        {std::string(16, 'a') + "\r", 17, 16},
        {std::string(17, 'a') + "\n" + std::string(20, 'b'), 38, 17},
        {std::string(40, 'a') + "\n", 41, 40},
        {std::string(40, 'a'), 40, 40},
        // The end is looked for among the first n bytes only.
        {std::string(20, 'a') + "\n", 20, 20},
        {"ab\ncd", 2, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(edlb::findLineEnd(c.text.data(), c.n), c.expected) << c.text.size();
    }
}

}  // namespace
