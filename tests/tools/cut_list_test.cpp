// Lists kept small for the change list and the picture: what each event keeps, the texts
// shared between events, and the "LOC:" notes kept apart; texts handed on in pieces.
#include "cut_list.h"
#include "diff.h"
#include "text_sink.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using edlbtool::CutEvent;
using edlbtool::CutList;

// Written as an editing system exports it: CR LF line ends, a dissolve with its lead
// record, clip names in notes, a marker note and a comment.
const char kList[] =
    "TITLE: SMALL CUT\r\n"
    "FCM: NON-DROP FRAME\r\n"
    "\r\n"
    "001  TAPE_A   V     C        01:00:00:00 01:00:02:00 00:00:00:00 00:00:02:00\r\n"
    "* FROM CLIP NAME: HARBOUR_WIDE_TAKE_ONE.MOV\r\n"
    "* LOC: 00:00:01:00 RED   check the flare\r\n"
    "\r\n"
    "002  TAPE_B   V     C        02:00:00:00 02:00:00:00 00:00:02:00 00:00:02:00\r\n"
    "002  TAPE_A   V     D    015 01:00:10:00 01:00:12:00 00:00:02:00 00:00:04:00\r\n"
    "* FROM CLIP NAME: HARBOUR_WIDE_TAKE_ONE.MOV\r\n"
    "* TO CLIP NAME: HARBOUR_WIDE_TAKE_ONE.MOV\r\n"
    "* COMMENT: no marker here\r\n"
    "003  TAPE_B   AA    C        02:00:05:00 02:00:06:00 00:00:04:00 00:00:05:00\r\n";

TEST(CutList, KeepsTheNumbersAndTextsOfEachEvent) {
    const edlbtest::TempDir dir;
    CutList cut;
    ASSERT_EQ(edlbtool::readCut(dir.write("small.edl", kList), cut), "");
    ASSERT_EQ(cut.events.size(), 4u);
    struct Expected {
        uint32_t edit, srcIn, srcOut, recIn, recOut, video, audio;
        char type;
        const char *reel, *clip;
    };
    // Non-drop frame at 30: 01:00:00:00 is 108000 frames.
    const Expected expected[] = {
        {1, 108000, 108060, 0, 60, 1, 0, 'C', "TAPE_A", "HARBOUR_WIDE_TAKE_ONE.MOV"},
        {2, 216000, 216000, 60, 60, 1, 0, 'C', "TAPE_B", ""},
        {2, 108300, 108360, 60, 120, 1, 0, 'D', "TAPE_A", "HARBOUR_WIDE_TAKE_ONE.MOV"},
        {3, 216150, 216180, 120, 150, 0, 3, 'C', "TAPE_B", ""},
    };
    for (size_t i = 0; i < 4; ++i) {
        const CutEvent& e = cut.events[i];
        const Expected& x = expected[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(e.editNumber, x.edit);
        EXPECT_EQ(e.srcIn, x.srcIn);
        EXPECT_EQ(e.srcOut, x.srcOut);
        EXPECT_EQ(e.recIn, x.recIn);
        EXPECT_EQ(e.recOut, x.recOut);
        EXPECT_EQ(e.videoTracks, x.video);
        EXPECT_EQ(e.audioTracks, x.audio);
        EXPECT_EQ(e.editType, x.type);
        EXPECT_STREQ(cut.reel(e), x.reel);
        EXPECT_STREQ(cut.clip(e), x.clip);
    }
    EXPECT_EQ(edlbtool::transitionFrames(cut.events[2]), 15u);  // the dissolve's length
    // A reel is kept once, whichever events name it.
    EXPECT_EQ(cut.events[0].reel, cut.events[2].reel);
    EXPECT_EQ(cut.events[1].reel, cut.events[3].reel);
    // Only the marker note is kept, with the event it belongs to.
    ASSERT_EQ(cut.locNotes.size(), 1u);
    EXPECT_EQ(cut.locNotes[0].event, 0u);
    EXPECT_EQ(cut.locNotes[0].line, "LOC: 00:00:01:00 RED   check the flare");
    EXPECT_TRUE(edlbtool::isTransitionLead(cut.events, 1));
    EXPECT_FALSE(edlbtool::isTransitionLead(cut.events, 0));
    EXPECT_FALSE(edlbtool::isTransitionLead(cut.events, 2));
}

TEST(CutList, AListThatCannotBeReadSaysWhy) {
    const edlbtest::TempDir dir;
    CutList cut;
    EXPECT_EQ(edlbtool::readCut(dir.file("missing.edl"), cut).rfind("cannot open", 0), 0u);
    EXPECT_EQ(edlbtool::readCut(dir.write("empty.edl", ""), cut), "empty file: nothing to read");
}

TEST(PieceSink, HandsTextOnInPiecesAndStopsAfterAFailedWrite) {
    std::vector<size_t> pieces;
    bool accept = true;
    edlbtool::PieceSink sink([&](const char*, size_t size) {
        pieces.push_back(size);
        return accept;
    });
    sink << std::string(1000, 'a');
    EXPECT_TRUE(pieces.empty());  // gathered until there is enough
    for (int i = 0; i < 100; ++i) sink << std::string(1000, 'b');
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_GE(pieces[0], 64u * 1024u);
    accept = false;
    EXPECT_FALSE(sink.flush());
    const size_t tried = pieces.size();
    for (int i = 0; i < 100; ++i) sink << std::string(1000, 'c');
    EXPECT_FALSE(sink.flush());
    EXPECT_EQ(pieces.size(), tried);  // nothing more is written after a failure
    EXPECT_EQ(edlbtool::renderedText([](edlbtool::PieceSink& out) { out << "one " << "two"; }),
              "one two");
}

}  // namespace
