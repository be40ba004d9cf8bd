#include <gtest/gtest.h>

#include <string>

#include "edlbridge.h"

namespace {

struct TrackCase {
    int listType;
    unsigned int video;
    unsigned int audio;
    const char* expected;
};

TEST(TrackText, EveryGroup) {
    const TrackCase cases[] = {
        // Numbered tracks.
        {1, 3, 0x200, "V1V2A10"},
        {2, 0xFF, 0xFFFF, "V1V2V3V4V5V6V7V8A1A2A3A4A5A6A7A8A9A10A11A12A13A14A15A16"},
        {22, 0, 0, ""},
        {38, 0x100, 0x10000, ""},
        // No track text at all.
        {3, 1, 3, ""}, {16, 1, 3, ""}, {42, 0xFF, 0xFF, ""}, {43, 1, 0, ""},
        // CMX spellings.
        {7, 0, 0, "V"}, {7, 1, 3, "AA/V"}, {8, 0, 4, "V"}, {9, 1, 1, "A1/V"},
        {10, 0, 2, "A2"}, {44, 2, 3, "AA"}, {13, 1, 0, "V"},
        // A/V letters.
        {12, 1, 1, "AV"}, {24, 0, 2, "A"}, {26, 0, 0, "V"}, {26, 1, 4, "V"},
        // Numbered channels of the frame-code lists.
        {20, 1, 0xF, "A12V"}, {21, 1, 0xF, "A1234V"}, {21, 0, 4, ""}, {21, 1, 0, "V"},
        {20, 0, 2, "A2"},
        // Fixed width of five characters.
        {23, 0, 2, "   A2"}, {251, 0, 0, "     "}, {256, 1, 3, "VA1A2"}, {40, 1, 1, "VA1  "},
        // Four audio tracks.
        {5, 1, 3, "VA1A2"}, {45, 0, 0xF, "A1A2A3A4"}, {46, 1, 0x10, "V"}, {0, 1, 8, "VA4"},
        {300, 0, 1, "A1"},
    };
    for (const TrackCase& c : cases) {
        const char* text =
            edlEditType(static_cast<edlListTypes>(c.listType), c.video, c.audio);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.expected)
            << "type " << c.listType << " video " << c.video << " audio " << c.audio;
    }
}

TEST(TrackText, TimecodeTextIsOneWritableBuffer) {
    char* first = edlGetTimecodeText(2);
    EXPECT_STREQ(first, "DROP FRAME");
    EXPECT_EQ(edlGetTimecodeText(4), first);
    EXPECT_EQ(edlGetTimecodeText(12345), first);
}

}  // namespace
