// What the timeline reader holds for every piece until its event is made: texts packed
// after their lengths, and an item's place rebuilt from the path of its list.
#include "otio_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using edlbtool::otio::ItemFacts;
using edlbtool::otio::PackedTexts;

// Lengths on both sides of each step of the length bytes (127/128, 16383/16384), and bytes
// a text may hold: NUL, bytes with the high bit set, line ends.
TEST(OtioPackedTexts, EveryTextComesBackWhole) {
    const std::string high(128, '\xE9');
    const std::string texts[] = {
        "",  std::string(127, 'a'), high, std::string("\0\r\n\x80\xFF", 5),
        std::string(16383, 'b'), std::string(16384, 'c'), std::string(200000, 'd'), "R001"};
    PackedTexts<8> packed;
    packed.pack({&texts[0], &texts[1], &texts[2], &texts[3], &texts[4], &texts[5], &texts[6],
                 &texts[7]});
    const PackedTexts<8> copy = packed;
    for (unsigned i = 0; i < 8; ++i) {
        EXPECT_EQ(packed[i], texts[i]) << i;
        EXPECT_EQ(copy[i], texts[i]) << i;
    }
}

TEST(OtioPackedTexts, EmptyAndRepacked) {
    const std::string none, reel = "A001C003", clip = "shot_010 FF";
    PackedTexts<3> packed;
    EXPECT_EQ(packed[2], "");
    packed.pack({&reel, &none, &clip});
    EXPECT_EQ(packed[0], "A001C003");
    EXPECT_EQ(packed[1], "");
    EXPECT_EQ(packed[2], "shot_010 FF");
    packed.pack({&none, &none, &none});
    const PackedTexts<3> copy = packed;
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(packed[i], "");
        EXPECT_EQ(copy[i], "");
    }
}

// Messages name an item's place as it was read, whatever its form.
TEST(OtioItemPath, RebuiltAsRead) {
    const char* const paths[] = {
        "tracks.children[0].children[17]", "tracks.children[3]", "tracks", "",
        "tracks.children[0].children[007]", "tracks.children[]", "tracks.children[x1]",
        "tracks.children[999999999]", "tracks.children[4294967295]",
        "tracks.children[12345678901]", "tracks.children[2", "[5]"};
    for (const char* path : paths) {
        ItemFacts facts;
        facts.setPath(path);
        EXPECT_EQ(facts.path(), path);
    }
}

TEST(OtioItemPath, ItemsOfOneListShareItsPath) {
    ItemFacts first, second, other;
    first.setPath("tracks.children[1].children[8]");
    second.setPath("tracks.children[1].children[9]");
    other.setPath("tracks.children[2].children[0]");
    EXPECT_EQ(first.parent, second.parent);
    EXPECT_NE(second.parent, other.parent);
    EXPECT_EQ(first.path(), "tracks.children[1].children[8]");
    EXPECT_EQ(second.path(), "tracks.children[1].children[9]");
    EXPECT_EQ(other.path(), "tracks.children[2].children[0]");
}

}  // namespace
