// The event a transition in the picture comes from: the lead just before it, or else the
// last event before it that ends where the transition begins.
#include "cut_list.h"
#include "text_sink.h"
#include "timeline.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A dissolve whose incoming event is two events back (an audio event between), two events
// that end where a dissolve begins (the later one is what it comes from), and a dissolve
// after a gap, which comes from nothing.
const char kList[] =
    "TITLE: TRANSITIONS\n"
    "FCM: NON-DROP FRAME\n"
    "\n"
    "001  REEL_A   V     C        01:00:00:00 01:00:05:00 00:00:00:00 00:00:05:00\n"
    "002  REEL_M   A     C        02:00:00:00 02:00:10:00 00:00:00:00 00:00:10:00\n"
    "003  REEL_B   V     D    025 03:00:00:00 03:00:05:00 00:00:05:00 00:00:10:00\n"
    "004  REEL_C   V     C        04:00:00:00 04:00:05:00 00:00:10:00 00:00:15:00\n"
    "005  REEL_D   V     C        05:00:00:00 05:00:05:00 00:00:10:00 00:00:15:00\n"
    "006  REEL_E   V     D    010 06:00:00:00 06:00:05:00 00:00:15:00 00:00:20:00\n"
    "007  REEL_F   V     D    010 07:00:00:00 07:00:05:00 00:00:30:00 00:00:35:00\n";

std::vector<std::string> transitionTitles(const std::string& svg) {
    std::vector<std::string> titles;
    const std::string open = "<g class=\"transition\"";
    for (size_t at = svg.find(open); at != std::string::npos; at = svg.find(open, at + 1)) {
        const size_t begin = svg.find("<title>", at) + 7;
        titles.push_back(svg.substr(begin, svg.find("</title>", begin) - begin));
    }
    return titles;
}

TEST(TimelineTransitions, ComeFromTheLastEventThatEndsWhereTheyBegin) {
    const edlbtest::TempDir dir;
    edlbtool::CutList cut;
    ASSERT_EQ(edlbtool::readCut(dir.write("transitions.edl", kList), cut), "");
    const std::string svg = edlbtool::renderedText(
        [&cut](edlbtool::PieceSink& sink) { edlbtool::renderTimelineSvg(cut, {}, sink); });
    EXPECT_EQ(transitionTitles(svg),
              (std::vector<std::string>{"dissolve 25 from REEL_A to REEL_B",
                                        "dissolve 10 from REEL_D to REEL_E",
                                        "dissolve 10 to REEL_F"}));
}

}  // namespace
