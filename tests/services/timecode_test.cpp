#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "services/timecode.h"

namespace {

constexpr unsigned kMarker = 0x2000;
constexpr unsigned kSeparated = 0x10000;
constexpr unsigned kWrap = 0x20000;
constexpr unsigned kReserved = 0x40000;

struct Mode {
    unsigned value;
    unsigned framesPerDay;
};

// Every mode value with the frames in 24 hours it counts.
const Mode kModes[] = {
    {0x01, 24u * 86400u},  {0x02, 30u * 86400u}, {0x04, 17982u * 144u},
    {0x08, 25u * 86400u},  {0x10, 50u * 86400u}, {0x20, 35964u * 144u},
    {0x40, 60u * 86400u},  {0x44, 100u * 86400u}, {0x80, 24u * 86400u},
    {0x84, 24u * 86400u},
};

std::string toText(unsigned frames, unsigned flags) {
    char out[16];
    std::memset(out, 'Z', sizeof out);
    tc2String(frames, flags, out);
    EXPECT_NE(std::memchr(out, '\0', sizeof out), nullptr) << "not terminated";
    return std::string(out);
}

unsigned toFrames(const std::string& text, unsigned flags, int* rc = nullptr) {
    unsigned frames = 0xDEADBEEFu;
    int r = tc2Frame(text.c_str(), flags, &frames);
    if (rc != nullptr) *rc = r;
    return frames;
}

TEST(TimecodeText, EdgeTexts) {
    struct Case {
        const char* text;
        unsigned flags;
        unsigned frames;
        bool valid;
    };
    const Case cases[] = {
        {"00:00:00:00", 0x02, 0, true},
        {"01:00:00:00", 0x02, 108000, true},
        {"01:00:00:00", 0x04, 107892, true},
        {"01:00:00;00", 0x20, 215784, true},
        {"01:00:00:00", 0x08, 90000, true},
        {"01:00:00:00", 0x01, 86400, true},
        {"01:00:00:00", 0x44, 360000, true},
        {"23:59:59:29", 0x02, 2591999, true},
        {"23:59:59;29", 0x04, 2589407, true},
        {"24:00:00:00", 0x02, 2592000, true},
        {"1:", 0x02, 30, true},
        {"5", 0x02, 5, true},
        {"1000", 0x02, 300, true},
        {"01000000", 0x02, 108000, true},
        {"12345", 0x02, (60u + 23u) * 30u + 45u, true},
        {"100000000", 0x02, 100u * 108000u, true},
        {"", 0x02, 0, true},
        {"::", 0x02, 0, true},
        {":::", 0x02, 0, true},
        {"1::", 0x02, 1800, true},
        {"1:2:3:4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1+2+3+4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1,2,3,4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1-2-3-4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1.2.3.4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1;2;3;4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1=2=3=4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"1_2_3_4", 0x02, 108000 + 3600 + 90 + 4, true},
        {"00:01:00;02", 0x04, 1800, true},
        {"00:10:00;00", 0x04, 17982, true},
        {"00:00:61:00", 0x02, 1830, true},
        {"1:2:3:4:5", 0x02, 0, false},
        {"::::", 0x02, 0, false},
        {"01:00:0x:00", 0x02, 0, false},
        {" 01:00:00:00", 0x02, 0, false},
        {"01:00:00:00\r", 0x02, 0, false},
        {"01/00/00/00", 0x02, 0, false},
    };
    for (const Case& c : cases) {
        int rc = -1;
        unsigned frames = toFrames(c.text, c.flags, &rc);
        EXPECT_EQ(frames, c.frames) << "'" << c.text << "' mode " << c.flags;
        EXPECT_EQ(rc == 0, c.valid) << "'" << c.text << "'";
    }
}

TEST(TimecodeText, UnknownModeCountsAsNonDrop30) {
    for (unsigned mode : {0x00u, 0x03u, 0x7Fu, 0xFFu}) {
        EXPECT_EQ(toFrames("01:00:00:00", mode | 0x100), 108000u) << mode;
        EXPECT_EQ(toText(108000, mode | kSeparated | kMarker), "01:00:00:00") << mode;
    }
}

TEST(TimecodeText, NullTextIsInvalidAndStoresZero) {
    unsigned frames = 77;
    EXPECT_NE(tc2Frame(nullptr, 0x02, &frames), 0);
    EXPECT_EQ(frames, 0u);
}

TEST(TimecodeText, LongDigitRunsWrapWithoutOverrun) {
    // 200 nines: the value wraps in unsigned 32-bit arithmetic, the same way a loop does.
    std::string nines(200, '9');
    unsigned wrapped = 0;
    for (int i = 0; i < 200; ++i) wrapped = wrapped * 10u + 9u;
    int rc = -1;
    EXPECT_EQ(toFrames("00:00:00:" + nines, 0x02, &rc), wrapped);
    EXPECT_EQ(rc, 0);
    // As bare digits the last two are frames and everything beyond six digits is hours.
    unsigned hours = 0;
    for (int i = 0; i < 194; ++i) hours = hours * 10u + 9u;
    unsigned expected = ((hours * 60u + 99u) * 60u + 99u) * 30u + 99u;
    EXPECT_EQ(toFrames(nines, 0x02, &rc), expected);
    EXPECT_EQ(rc, 0);
}

TEST(TimecodeString, ExactTexts) {
    struct Case {
        unsigned frames;
        unsigned flags;
        const char* text;
    };
    const unsigned S = kSeparated, M = kMarker;
    const Case cases[] = {
        {0, 0x02 | S, "00:00:00:00"},
        {108000, 0x02 | S, "01:00:00:00"},
        {108000, 0x02 | S | M, "01:00:00:00"},
        {108000, 0x02, "01000000"},
        {1800, 0x04 | S | M, "00:01:00;02"},
        {1800, 0x04 | S, "00:01:00:02"},
        {1800, 0x04, "00010002"},
        {1799, 0x04 | S | M, "00:00:59;29"},
        {17981, 0x04 | S | M, "00:09:59;29"},
        {17982, 0x04 | S | M, "00:10:00;00"},
        {107892, 0x04 | S | M, "01:00:00;00"},
        {3600, 0x20 | S | M, "00:01:00;04"},
        {3599, 0x20 | S | M, "00:00:59;59"},
        {35964, 0x20 | S | M, "00:10:00;00"},
        {86400, 0x84 | S | M, "01:00:00;00"},
        {86400, 0x80 | S | M, "01:00:00:00"},
        {86399, 0x01 | S, "00:59:59:23"},
        {90025, 0x08 | S, "01:00:01:00"},
        {99, 0x44 | S | M, "00:00:00:99"},
        {100, 0x44 | S | M, "00:00:01:00"},
        {49, 0x10 | S, "00:00:00:49"},
        {59, 0x40 | S, "00:00:00:59"},
        {2592000, 0x02 | S, "24:00:00:00"},
        {2592000, 0x02 | S | kWrap, "00:00:00:00"},
        {2592001, 0x02 | kWrap, "00000001"},
        {2589408, 0x04 | S | M | kWrap, "00:00:00;00"},
        {2589407, 0x04 | S | M | kWrap, "23:59:59;29"},
        {100u * 108000u, 0x02 | S, "100:00:00:00"},
        {4294967295u, 0x01 | S, "49710:16:10:15"},
        {4294967295u, 0x02, "39768125615"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toText(c.frames, c.flags), c.text) << c.frames << " flags " << std::hex << c.flags;
        // The reserved bit and the always-set bit 8 change nothing.
        EXPECT_EQ(toText(c.frames, c.flags | kReserved | 0x100), c.text) << c.frames;
    }
}

TEST(TimecodeString, FitsItsBuffersInEveryMode) {
    const unsigned counts[] = {0u, 2591999u, 4000000000u, 4294967295u};
    for (const Mode& m : kModes) {
        for (unsigned frames : counts) {
            for (unsigned extra : {0u, kMarker, kWrap, kReserved}) {
                std::string separated = toText(frames, m.value | kSeparated | kMarker | extra);
                EXPECT_LE(separated.size(), 15u) << m.value << " " << frames;
                EXPECT_GE(separated.size(), 11u) << m.value << " " << frames;
            }
            // The bare wrapped form goes into an 11-byte clip name buffer.
            EXPECT_EQ(toText(frames, m.value | kWrap).size(), 8u) << m.value << " " << frames;
        }
    }
}

// Checks that both text forms of a count read back as the same count.
void expectRoundTrip(unsigned frames, unsigned mode) {
    for (unsigned form : {kSeparated | kMarker, kSeparated, 0u}) {
        std::string text = toText(frames, mode | form);
        int rc = -1;
        EXPECT_EQ(toFrames(text, mode | 0x100, &rc), frames)
            << "mode " << std::hex << mode << " text '" << text << "'";
        EXPECT_EQ(rc, 0) << text;
    }
}

TEST(TimecodeRoundTrip, SampledCountsInEveryMode) {
    for (const Mode& m : kModes) {
        for (unsigned frames = 0; frames < m.framesPerDay; frames += 7919u) {
            expectRoundTrip(frames, m.value);
        }
        expectRoundTrip(m.framesPerDay - 1u, m.value);
    }
}

TEST(TimecodeRoundTrip, EveryFrameAroundMinuteBoundariesInDropModes) {
    struct Drop {
        unsigned mode;
        unsigned perMinute;
        unsigned dropped;
    };
    const Drop drops[] = {{0x04, 1800, 2}, {0x20, 3600, 4}};
    for (const Drop& d : drops) {
        for (unsigned minute = 1; minute <= 11; ++minute) {
            // First count of this minute: its first label (;02 or ;04 when the minute skips)
            // in nominal frames, less every number skipped in the minutes so far.
            unsigned firstLabel = minute % 10u == 0 ? 0u : d.dropped;
            unsigned start =
                minute * d.perMinute + firstLabel - d.dropped * (minute - minute / 10u);
            for (unsigned frames = start - 6; frames <= start + 6; ++frames) {
                expectRoundTrip(frames, d.mode);
            }
            std::string first = toText(start, d.mode | kSeparated | kMarker);
            std::string last = toText(start - 1, d.mode | kSeparated | kMarker);
            char expectedFirst[16];
            std::snprintf(expectedFirst, sizeof expectedFirst, "00:%02u:00;%02u", minute,
                          firstLabel);
            char expectedLast[16];
            std::snprintf(expectedLast, sizeof expectedLast, "00:%02u:59;%02u", minute - 1,
                          d.perMinute / 60u - 1u);
            EXPECT_EQ(first, expectedFirst);
            EXPECT_EQ(last, expectedLast);
        }
    }
}

}  // namespace
