#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "services/clip.h"

namespace {

TEST(ClipName, WhereTheNameEnds) {
    struct Case {
        const char* source;
        const char* name;
    };
    const Case cases[] = {
        {"Clip One' 00:00:00:00", "Clip One"},
        {"Clip One\" 00:00:00:00", "Clip One"},
        {"ClipName 00:00", "ClipName"},
        {"ClipName\t00:00", "ClipName"},
        {"ABCDEFGHIJKLMN", "ABCDEFGHIJ"},
        {"ABCDEFGHIJ", "ABCDEFGHIJ"},
        {"Short", "Short"},
        {"", ""},
        {"'quoted'", ""},
        {"Reel\r\n", "Reel"},
        {"Reel\nNext", "Reel"},
        {"Ab'cd", "Ab"},
        {"Ab\"cd", "Ab"},
        {"A B C D E'", "A B C D E"},
        {"A\tB'", "A\tB"},
        // The quote lies beyond the tenth character, so the blank ends the name.
        {"Clip Number'", "Clip"},
        {"ABCDEFG X'", "ABCDEFG X"},
        {"ABCDEFGH X'", "ABCDEFGH"},
        // A line end before the quote does not let the blank through.
        {"Clip X\n'", "Clip"},
        {" lead'", " lead"},
        {" lead", ""},
        {"TITLE: Reel One", "TITLE:"},
    };
    for (const Case& c : cases) {
        char destination[11];
        std::memset(destination, 'Z', sizeof destination);
        strcpyClip(destination, c.source);
        EXPECT_STREQ(destination, c.name) << "'" << c.source << "'";
    }
}

TEST(ClipName, NeverWritesPastElevenBytes) {
    // Guard bytes after the 11-byte buffer must survive every source.
    const std::string sources[] = {std::string(100, 'x'), "ABCDEFGHIJ K'", "ABCDEFGHI 'x"};
    for (const std::string& source : sources) {
        char buffer[16];
        std::memset(buffer, 'Z', sizeof buffer);
        strcpyClip(buffer, source.c_str());
        EXPECT_LE(std::strlen(buffer), 10u) << source;
        for (size_t i = 11; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'Z') << source;
    }
}

TEST(ClipName, NullSourceGivesEmptyName) {
    char destination[11] = "previous";
    strcpyClip(destination, nullptr);
    EXPECT_STREQ(destination, "");
    strcpyClip(nullptr, "Clip");
}

}  // namespace
