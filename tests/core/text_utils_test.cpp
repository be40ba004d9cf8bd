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
