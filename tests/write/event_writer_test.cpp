// Event lines of every dialect, compared byte for byte with hand-written golden files, and
// the rules that change the caller's record.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "support/test_support.h"
#include "write/write_support.h"

namespace {

using writetest::EventFields;
using writetest::ListSetup;

// Frame counts: PAL 0, 250, 90000, 90250 and drop frame 0, 300, 107892, 108192 are
// 00:00:00:00, 00:00:10:00, 01:00:00:00 and 01:00:10:00.
EventFields pal(const char* reel, uint32_t video, uint32_t audio) {
    EventFields e;
    e.srcIn = 0;
    e.srcOut = 250;
    e.recIn = 90000;
    e.recOut = 90250;
    e.reel = reel;
    e.video = video;
    e.audio = audio;
    return e;
}

EventFields drop(const char* reel, uint32_t video, uint32_t audio) {
    EventFields e = pal(reel, video, audio);
    e.srcOut = 300;
    e.recIn = 107892;
    e.recOut = 108192;
    return e;
}

EventFields texts(EventFields e, const char* comment, const char* name, const char* clip) {
    e.comment = comment;
    e.name = name;
    e.clip = clip;
    return e;
}

EventFields effect(EventFields e, char edit, uint32_t wipe, uint32_t length) {
    e.edit = edit;
    e.wipe = wipe;
    e.effectLen = length;
    return e;
}

EventFields clipEvent(const char* clip, uint32_t lineFlags, uint32_t present, const char* comment,
                    const char* name) {
    EventFields e = texts(drop("R", 1, 0), comment, name, clip);
    e.lineFlags = lineFlags;
    e.present = present;
    return e;
}

ListSetup setup(uint32_t type, uint32_t mode, uint32_t flags, const char* title = "") {
    ListSetup s;
    s.type = type;
    s.mode = mode;
    s.flags = flags;
    s.title = title;
    return s;
}

const uint32_t kNoHeader = EDL_LF_NO_HEADER;
const std::string kReel64(64, 'X');

struct EventCase {
    const char* golden;
    ListSetup list;
    std::vector<EventFields> events;
};

std::vector<EventCase> cases() {
    std::vector<EventCase> all = {
        {"events_general_full_reel.edl", setup(1, 8, kNoHeader),
         {texts(pal("REEL001", 1, 3), "hello", "a.mov", "CL"),
          texts(effect(pal(nullptr, 3, 0x200), 'W', 12, 30), ";x", "", ""),
          texts(pal("R", 0, 0), nullptr, nullptr, nullptr),
          texts(effect(pal("R2", 1, 0), 'D', 5, 30), "*star", "", "CLIP1"),
          texts(pal("R3", 1, 0), "REM note", "b.mov", "CLIP2"),
          texts(pal("R4", 1, 0), "Remark", nullptr, "C3"),
          texts(pal("R5", 1, 0), "", "", "C3"),
          texts(effect(pal("R6", 1, 0), 'w', 3, 4), "", "", "")}},
        {"events_general_short_reel.edl", setup(13, 8, kNoHeader),
         {texts(pal("REEL001", 1, 1), "n1", nullptr, nullptr),
          texts(effect(pal("AB", 0, 3), 'W', 1, 2), nullptr, "x.mov", "CLIP"),
          texts(pal(nullptr, 1, 0), "", nullptr, "")}},
        {"events_general_type3.txt", setup(3, 8, 0), {texts(pal("REEL001", 1, 3), "c", "", "")}},
        {"events_general_swapped_no_notes.edl",
         setup(251, 8, kNoHeader | EDL_LF_SWAP_SRC_REC | EDL_LF_NO_NOTES),
         {texts(pal("REEL001", 1, 2), "hi", "a.mov", ""),
          texts(pal(kReel64.c_str(), 0, 0), "hi", "", "")}},
        {"events_cmx3600_drop.edl", setup(7, 4, 0, "Cut"),
         {texts(drop("REEL01", 1, 3), "hello", nullptr, nullptr),
          texts(drop("LONGREEL0123", 0, 0), "*note", "m.mov", "CL"),
          texts(drop(nullptr, 1, 1), nullptr, nullptr, nullptr),
          texts(drop("R", 0, 2), "", "", "CL"),
          texts(drop("R", 0, 0), "rem x", "", ""),
          texts(drop("R", 0, 0), ";semi", "s.mov", "")}},
        {"events_cmx340_no_notes.edl", setup(10, 8, kNoHeader | EDL_LF_NO_NOTES),
         {texts(pal("A", 1, 0), "gone", "gone.mov", ""), texts(pal("B", 1, 0), "", "", "")}},
        // Without separators the texts have 8 characters: the ':' rule must not touch them.
        {"events_cmx3600_bare_timecodes.edl", setup(7, 8, kNoHeader | EDL_LF_TC_SEP1),
         {texts(pal("R", 1, 0), nullptr, nullptr, nullptr)}},
        {"events_smpte_2ch.edl", setup(20, 4, 0, "T"),
         {texts(drop("REEL01", 1, 3), "hello", nullptr, nullptr),
          texts(drop(nullptr, 0, 0), nullptr, nullptr, nullptr),
          texts(drop("LONGREEL0123", 1, 0), "*x", "y.mov", "")}},
        {"events_smpte_4ch.edl", setup(21, 8, kNoHeader),
         {texts(pal("R1", 1, 0xF), "c", "", ""), texts(pal("R2", 0, 4), nullptr, nullptr, nullptr)}},
        {"events_flex_aaton.flx", setup(43, 8, 0, "R"),
         {texts(pal("R1", 1, 1), "no comment is written", "a.mov", "")}},
        {"events_clip_list.edl", setup(2, 4, 0, "Clips"),
         {clipEvent("CLIP1", 0, EDL_P_CLIP_EVENT, "a comment", "f.avi"),
          clipEvent("SKIPPED", 0, EDL_P_REEL, "x", "x.avi"),
          clipEvent("CLIP2", EDL_LINE_UNQUOTED | EDL_LINE_CLIP, 0, "", ""),
          clipEvent("C3", EDL_LINE_CLIP, 0, nullptr, "n.mov"),
          clipEvent("CLIPNAME10", EDL_LINE_CLIP, 0, nullptr, nullptr)}},
        {"events_short_cmx.edl", setup(44, 8, 0, "AB"),
         {texts(pal("REEL01", 1, 3), "no", "note", ""), texts(pal(nullptr, 0, 0), "", "", ""),
          texts(pal("AB", 0, 2), "", "", "")}},
        {"events_ds_sources.edl", setup(45, 4, 0, "DS"),
         {texts(drop("R1", 1, 1), "", "C:\\media\\clipLongName.mov", ""),
          texts(drop("R2", 0, 0xF), "", "/x/y/ab.mxf", ""),
          texts(drop("R3", 1, 1), "", nullptr, "")}},
    };
    const struct {
        uint32_t mode;
        const char* golden;
    } flexModes[] = {{0x01, "events_flex_mode_01.flx"}, {0x08, "events_flex_mode_08.flx"},
                     {0x10, "events_flex_mode_10.flx"}, {0x20, "events_flex_mode_20.flx"},
                     {0x40, "events_flex_mode_40.flx"}, {0x44, "events_flex_mode_44.flx"},
                     {0x80, "events_flex_mode_80.flx"}, {0x84, "events_flex_mode_84.flx"},
                     {0x02, "events_flex_mode_02.flx"}, {0x04, "events_flex_mode_04.flx"}};
    for (const auto& row : flexModes) {
        all.push_back({row.golden, setup(42, row.mode, kNoHeader),
                       {pal("R", 1, 0), texts(pal("R", 1, 0), "c", "n", "")}});
    }
    return all;
}

void PrintTo(const EventCase& c, std::ostream* out) { *out << c.golden; }

class EventGolden : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventGolden, MatchesGoldenFile) {
    const EventCase& c = GetParam();
    edlbtest::TempDir dir;
    const std::string path = dir.file("out.edl");
    ASSERT_EQ(writetest::writeList(path, c.list, c.events), 0u);
    const std::string golden = edlbtest::dataPath(std::string("write/") + c.golden);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    EXPECT_TRUE(writetest::sameBytes(edlbtest::readFile(golden), edlbtest::readFile(path)))
        << c.golden;
}

INSTANTIATE_TEST_SUITE_P(Branches, EventGolden, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<EventCase>& info) {
                             std::string name = info.param.golden;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

}  // namespace
