// What a list reader warns of as it reads events, and a reader that keeps none of it.
#include "list_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

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

}  // namespace
