// What a list reader warns of as it reads events, and a reader that keeps none of it.
#include "list_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// An event with a track code no list defines, and a cut-off event line after it, which is
// kept as a note of that event.
const char kList[] =
    "TITLE: WARNINGS\r\n"
    "FCM: NON-DROP FRAME\r\n"
    "\r\n"
    "001  REEL_A   V     C        01:00:00:00 01:00:05:00 00:00:00:00 00:00:05:00\r\n"
    "002  REEL_B   XYZ   C        02:00:00:00 02:00:05:00 00:00:05:00 00:00:10:00\r\n"
    "003  REEL_C   V     C        03:00:00:00 03:00:05:\r\n";

std::vector<std::string> warningsOf(const std::string& path, bool keep) {
    edlbtool::ListSource source;
    EXPECT_EQ(source.open(path), "");
    edlbtool::ListReader reader;
    if (!keep) reader.dropEventWarnings();
    EXPECT_EQ(reader.open(source, edlbtool::ReadOptions()), "");
    edlbtool::EventRow row;
    size_t events = 0;
    while (reader.next(row)) ++events;
    EXPECT_EQ(events, 2u);
    EXPECT_EQ(reader.reason(), "");
    return reader.takeWarnings();
}

TEST(ListReaderWarnings, NameTheLineAndTheEventOrAreNotKept) {
    const edlbtest::TempDir dir;
    const std::string path = dir.write("warnings.edl", kList);
    EXPECT_EQ(warningsOf(path, true),
              (std::vector<std::string>{
                  "line 6: looks like an event line but cannot be read; kept as a note of event 2",
                  "event 2: no track code a list defines; the event has no tracks"}));
    EXPECT_TRUE(warningsOf(path, false).empty());
}

// Line numbers far into a long list, past several fillings of the read-ahead: each event on
// one CR LF line, and a cut-off event line after events 1, 1500 and 3000.
TEST(ListReaderWarnings, NumberLinesFarIntoALongList) {
    std::string list = "TITLE: LONG\r\nFCM: NON-DROP FRAME\r\n\r\n";
    char line[128];
    for (int event = 1; event <= 3000; ++event) {
        std::snprintf(line, sizeof line,
                      "%03d  REEL_A   V     C        01:00:00:00 01:00:05:00 01:00:00:00 01:00:05:00\r\n",
                      event % 1000);
        list += line;
        if (event == 1 || event == 1500 || event == 3000) {
            std::snprintf(line, sizeof line, "%03d  REEL_C   V     C        03:00:00:00 03:00:05:\r\n",
                          (event + 1) % 1000);
            list += line;
        }
    }
    const edlbtest::TempDir dir;
    edlbtool::ListSource source;
    ASSERT_EQ(source.open(dir.write("long.edl", list)), "");
    edlbtool::ListReader reader;
    ASSERT_EQ(reader.open(source, edlbtool::ReadOptions()), "");
    edlbtool::EventRow row;
    while (reader.next(row)) {
    }
    EXPECT_EQ(reader.count(), 3000u);
    // Event k is on line 3 + k, after the cut-off lines before it.
    const std::string tail = ": looks like an event line but cannot be read; kept as a note of event ";
    EXPECT_EQ(reader.takeWarnings(),
              (std::vector<std::string>{"line 5" + tail + "1", "line 1505" + tail + "1500",
                                        "line 3006" + tail + "3000"}));
}

}  // namespace
