// Tracks cells of logs read for interchange, as editing systems write them.
#include <gtest/gtest.h>

#include "columns/columns.h"

namespace {

struct TracksCase {
    const char* cell;
    uint32_t video;
    uint32_t audio;
};

TEST(TracksCell, ReadsEveryWayLogsWriteTracks) {
    const TracksCase cases[] = {
        {"V", 0x1, 0x0},
        {"VA1A2", 0x1, 0x3},
        {"V A1 A2", 0x1, 0x3},
        {"va1", 0x1, 0x1},
        {"A1A2", 0x0, 0x3},
        {"V2 A3 A4", 0x2, 0xC},
        {"V1 A1-2", 0x1, 0x3},        // a bin's range
        {"V1 A1-A4", 0x1, 0xF},       // the same with the letter repeated
        {"V1-2 A3-4", 0x3, 0xC},
        {"A1,A16", 0x0, 0x8001},
        {"A15-20", 0x0, 0xC000},      // past the sixteenth track: only what exists
        {"A17 V9", 0x0, 0x0},         // no such tracks
        {"A1-", 0x0, 0x0},            // a range without its end
        {"A3-1", 0x0, 0x0},           // a range backwards
        {"Mono", 0x0, 0x0},           // not a tracks cell
        {"V A1 Stereo", 0x0, 0x0},
    };
    for (const TracksCase& c : cases) {
        EdlLine event{};
        event.dwVideoTracks = event.dwAudioTracks = 0x55;
        edlb::readTracks(c.cell, &event);
        EXPECT_EQ(event.dwVideoTracks, c.video) << c.cell;
        EXPECT_EQ(event.dwAudioTracks, c.audio) << c.cell;
        EXPECT_NE(event.dwPresent & EDL_P_TRACKS, 0u) << c.cell;
    }
}

}  // namespace
