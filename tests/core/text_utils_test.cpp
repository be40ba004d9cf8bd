#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "edlbridge.h"

namespace {

struct StripCase {
    std::string text;
    int64_t limit;
    std::string expected;
};

TEST(TextUtils, StripTrailing) {
    const StripCase cases[] = {
        {"Title \t ", 100, "Title"},  {"Title", 3, "Tit"},   {"T   ", 10, "T"},
        {"   ", 10, ""},              {"", 10, ""},          {"Title", 0, ""},
        {"Caf\xE9", 10, "Caf"},       {"X\x1F", 10, "X\x1F"}, {"X\x1E", 10, "X\x1E"},
        {"X\x1D", 10, "X"},           {"A B  ", 100, "A B"},
    };
    for (const StripCase& c : cases) {
        std::string buffer = c.text;
        buffer.push_back('\0');
        const int64_t before = edlStripTrailing(buffer.data(), c.limit);
        EXPECT_EQ(before, static_cast<int64_t>(c.text.size())) << c.text;
        EXPECT_STREQ(buffer.c_str(), c.expected.c_str()) << "'" << c.text << "'";
    }
}

TEST(TextUtils, FixStringReplacesControlsAndKeepsLineEndBytes) {
    char out[64];
    edlFixString(out, "A\x01" "B", 64);
    EXPECT_STREQ(out, "A!B");
    edlFixString(out, "ABCD", 3);
    EXPECT_STREQ(out, "AB");
    edlFixString(out, "\xFF\x1F x", 64);
    EXPECT_STREQ(out, "!! x");
    edlFixString(out, "ABC", 1);
    EXPECT_STREQ(out, "");
    // CR and LF leave the destination byte as it was.
    std::strcpy(out, "12345");
    edlFixString(out, "a\rb\nc", 64);
    EXPECT_STREQ(out, "a2b4c");
    // Bytes from 128 to 254 are kept.
    edlFixString(out, "\xE9t\xE9", 64);
    EXPECT_STREQ(out, "\xE9t\xE9");
}

TEST(TextUtils, CaseConversion) {
    char text[] = "Reel 01-a";
    make_upper_case(text);
    EXPECT_STREQ(text, "REEL 01-A");
    make_lower_case(text);
    EXPECT_STREQ(text, "reel 01-a");
}

TEST(TextUtils, ProccessTokenDoesNothing) {
    char text[] = "12";
    unsigned int value = 77;
    EXPECT_EQ(edlProccessToken(text, &value), 0);
    EXPECT_EQ(value, 77u);
    EXPECT_STREQ(text, "12");
}

}  // namespace
