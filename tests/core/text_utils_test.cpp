#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "edlbridge.h"

TEST(TextUtils, StripTrailing) {
    const struct {
        std::string text;
        int64_t limit;
        const char* expected;
    } cases[] = {
        {"Title \t ", 100, "Title"}, {"Title", 3, "Tit"}, {"T   ", 10, "T"}, {"   ", 10, ""},
        {"", 10, ""}, {"Title", 0, ""}, {"Caf\xE9", 10, "Caf"}, {"X\x1F", 10, "X\x1F"},
        {"X\x1E", 10, "X\x1E"}, {"X\x1D", 10, "X"}, {"A B  ", 100, "A B"},
    };
    for (const auto& c : cases) {
        std::string buffer = c.text + '\0';
        EXPECT_EQ(edlStripTrailing(buffer.data(), c.limit), int64_t(c.text.size())) << c.text;
        EXPECT_STREQ(buffer.c_str(), c.expected) << "'" << c.text << "'";
    }
}

TEST(TextUtils, FixStringCaseAndToken) {
    const struct {
        const char* source;
        uint32_t size;
        const char* expected;
    } cases[] = {
        {"A\x01" "B", 64, "A!B"}, {"ABCD", 3, "AB"}, {"\xFF\x1F x", 64, "!! x"}, {"ABC", 1, ""},
        {"a\rb\nc", 64, "a2b4c"},  // line ends keep the destination byte that was there
        {"\xE9t\xE9", 64, "\xE9t\xE9"},
    };
    for (const auto& c : cases) {
        char out[64] = "12345";
        edlFixString(out, c.source, c.size);
        EXPECT_STREQ(out, c.expected) << c.source;
    }
    char text[] = "Reel 01-a";
    make_upper_case(text);
    EXPECT_STREQ(text, "REEL 01-A");
    make_lower_case(text);
    EXPECT_STREQ(text, "reel 01-a");
    unsigned int value = 77;
    EXPECT_EQ(edlProccessToken(text, &value), 0);
    EXPECT_EQ(value, 77u);
}

// Long texts go a block of sixteen bytes at a time until a byte needs a change: every
// place such a byte can fall must give what a byte at a time gives.
TEST(TextUtils, FixStringOfLongTexts) {
    const std::string plain = "A001C003_220101_R1AB.MOV and the rest of a long name";  // 52
    const struct {
        std::string source;
        uint32_t size;
        std::string expected;
    } cases[] = {
        {plain, 64, plain},
        {plain, 17, plain.substr(0, 16)},
        {plain, 33, plain.substr(0, 32)},
        {"\x01" + plain.substr(1), 64, "!" + plain.substr(1)},
        {plain.substr(0, 15) + "\x1F" + plain.substr(16), 64, plain.substr(0, 15) + "!" + plain.substr(16)},
        {plain.substr(0, 16) + "\xFF" + plain.substr(17), 64, plain.substr(0, 16) + "!" + plain.substr(17)},
        {plain.substr(0, 33) + "\t" + plain.substr(34), 64, plain.substr(0, 33) + "!" + plain.substr(34)},
        // Bytes from 128 to 254 stay.
        {std::string(20, '\xE9') + "\xFE", 64, std::string(20, '\xE9') + "\xFE"},
    };
    for (const auto& c : cases) {
        char out[64] = {};
        edlFixString(out, c.source.c_str(), c.size);
        EXPECT_EQ(std::string(out), c.expected) << c.source;
    }
    // A line end in the second block keeps the destination byte there.
    char out[64];
    std::memset(out, '#', sizeof out);
    edlFixString(out, (plain.substr(0, 20) + "\r\n" + "tail").c_str(), 64);
    EXPECT_EQ(std::string(out), plain.substr(0, 20) + "##tail");
}

TEST(TextUtils, FixStringOverlappingItsSource) {
    // In place, and one byte before the source, as a byte at a time copies it.
    std::string text = "0123456789abcdefghijklmnopqrstuvwxyz\x01!";
    edlFixString(text.data(), text.c_str(), 64);
    EXPECT_EQ(text.substr(0, 38), "0123456789abcdefghijklmnopqrstuvwxyz!!");
    std::string shifted = "#0123456789abcdefghijklmnopqrstuvwxyz";
    edlFixString(shifted.data(), shifted.c_str() + 1, 64);
    EXPECT_STREQ(shifted.c_str(), "0123456789abcdefghijklmnopqrstuvwxyz");
    // One byte after the source: each byte copied is the one copied before it, past the
    // text's own terminator and up to the size.
    std::string smeared = "abcdefghijklmnopqrstuvwxyz______";
    edlFixString(smeared.data() + 1, smeared.c_str(), 30);
    EXPECT_EQ(smeared.substr(0, 30), std::string(30, 'a'));
    EXPECT_EQ(smeared[30], '\0');
}
