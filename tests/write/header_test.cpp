// List headers, compared byte for byte with hand-written golden files.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "support/test_support.h"
#include "write/write_support.h"

namespace {

using writetest::ListSetup;

struct HeaderCase {
    const char* golden;
    ListSetup setup;
};

ListSetup list(uint32_t type, uint32_t mode, const char* title) {
    ListSetup setup;
    setup.type = type;
    setup.mode = mode;
    setup.title = title;
    return setup;
}

ListSetup masked(uint32_t type, uint32_t flags, uint32_t mask) {
    ListSetup setup;
    setup.type = type;
    setup.flags = flags;
    setup.flags2 = mask;
    return setup;
}

ListSetup withNames(ListSetup setup, const char* tape, const char* defReel,
                    const char* listName) {
    setup.tape = tape;
    setup.defReel = defReel;
    setup.listName = listName;
    return setup;
}

ListSetup withRates(ListSetup setup, uint32_t frameRate, uint32_t audioKHz) {
    setup.frameRate = frameRate;
    setup.audioKHz = audioKHz;
    return setup;
}

const uint32_t kNoColumns = EDL_LF_NO_COLUMNS;

const HeaderCase kCases[] = {
    {"xjt_list_header.edl", list(1, 4, "My List")},
    {"xjt_clip_header.edl", list(2, 8, "Clips")},
    // Every format line, and every frame-code row of the CMX-like header.
    {"cmx3600_film.edl", list(7, 1, "Show")},
    {"cmx3400a_non_drop.edl", list(8, 2, "Show")},
    {"cmx3400_drop.edl", list(9, 4, "Show")},
    {"cmx340_pal.edl", list(10, 8, "Show")},
    {"cmx_pal50.edl", list(11, 0x10, "Show")},
    {"generic_ntsc5994.edl", list(251, 0x20, "Show")},
    {"cmxlike13_ntsc60.edl", list(13, 0x40, "Show")},
    {"type256_hundredths.edl", list(256, 0x44, "Show")},
    {"type0_2398.edl", list(0, 0x80, "Show")},
    {"generic250_2398df.edl", list(250, 0x84, "Show")},
    {"csv_type_unknown_mode.edl", list(46, 3, "Show")},
    // Title choice.
    {"cmx_title_stripped.edl", list(7, 4, "Show   ")},
    {"cmx_title_blanks_only.edl", withNames(list(7, 4, "   "), "TAPE1", "", "")},
    {"cmx_title_from_tape.edl", withNames(list(7, 4, ""), "TAPE1 ", "R9", "L")},
    {"cmx_title_from_reel.edl", withNames(list(7, 4, ""), "", "R9  ", "L")},
    {"cmx_title_noname.edl", withNames(list(7, 4, ""), "", "", "LIST")},
    // Frame-code headers keep the title's blanks and take the list name last.
    {"smpte_2ch_header.edl", list(20, 4, "Keep   ")},
    {"smpte_4ch_header.edl", withNames(list(21, 8, ""), "", "", "LOG1")},
    {"smpte_titled_header.edl", list(24, 4, "")},
    {"flex_header.flx", withNames(list(42, 1, "Roll 5"), "TAPE", "", "")},
    {"flex_aaton_header.flx", withNames(list(43, 1, ""), "TAPE", "", "")},
    // Short CMX lists and "*DS" lists end with their closing lines even without events.
    {"short_cmx_drop.edl", list(44, 4, "AB")},
    {"short_cmx_pal50.edl", list(44, 0x10, "AB")},
    {"short_cmx_film2398.edl", list(44, 0x80, "")},
    {"short_cmx_unknown_mode.edl", list(44, 0x7, "AB")},
    {"ds_mode_01.edl", list(45, 0x01, "Cut 1  ")},
    {"ds_mode_02.edl", list(45, 0x02, "Cut 1  ")},
    {"ds_mode_04.edl", list(45, 0x04, "Cut 1  ")},
    {"ds_mode_08.edl", list(45, 0x08, "Cut 1  ")},
    {"ds_mode_10.edl", list(45, 0x10, "Cut 1  ")},
    {"ds_mode_20.edl", list(45, 0x20, "Cut 1  ")},
    {"ds_mode_40.edl", list(45, 0x40, "Cut 1  ")},
    {"ds_mode_44.edl", list(45, 0x44, "Cut 1  ")},
    {"ds_mode_80.edl", list(45, 0x80, "Cut 1  ")},
    {"ds_mode_84.edl", list(45, 0x84, "Cut 1  ")},
    {"ds_mode_03.edl", list(45, 0x03, "Cut 1  ")},
    // Column lists: default mask, a partial mask, and no column description.
    {"ale_default.ale", masked(5, 0, 0)},
    {"ale_partial_mask.ale", withNames(masked(5, 0, 0x200001), "T01", "", "")},
    {"ale_no_columns.ale", masked(5, kNoColumns, 0)},
    {"ale_pal_audio7.ale", withRates(list(5, 8, ""), 2997, 7)},
    {"ale_film_rate5994_audio0.ale", withRates(list(5, 1, ""), 5994, 0)},
    {"framegrab_default.cbi", masked(6, 0, 0)},
    {"framegrab_partial_mask.cbi", masked(6, 0, 0x2)},
    {"framegrab_no_columns.cbi", masked(6, kNoColumns, 0)},
    {"batch_default.odb", masked(22, 0, 0)},
    {"batch_tape_mask.odb", masked(22, 0, 0x80000)},
    {"batch_no_columns.odb", masked(22, kNoColumns, 0)},
    {"media_log_all_names.log", withNames(list(23, 4, "Day 2"), "T7", "R1", "L3")},
    {"media_log_no_names.log", masked(23, 0, 0)},
    {"edit_columns_default.edl", masked(27, 0, 0)},
    {"edit_columns_edt_only.edl", masked(33, 0, 0x20000000)},
    {"edit_columns_no_columns.edl", masked(30, kNoColumns, 0)},
    {"field_names_default.scx", masked(40, 0, 0)},
    {"field_names_partial_mask.scx", masked(40, 0, 0x10000001)},
    {"field_names_no_columns.scx", masked(40, kNoColumns, 0)},
    {"reel_clip_default.log", masked(41, 0, 0)},
    {"reel_clip_partial_mask.log", masked(41, 0, 0x140000)},
    {"reel_clip_no_columns.log", masked(41, kNoColumns, 0)},
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.golden; }

class HeaderGolden : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderGolden, MatchesGoldenFile) {
    const HeaderCase& c = GetParam();
    edlbtest::TempDir dir;
    const std::string path = dir.file("out.edl");
    ASSERT_EQ(writetest::writeList(path, c.setup, {}), 0u);
    const std::string golden = edlbtest::dataPath(std::string("write/") + c.golden);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    const std::string expected = edlbtest::readFile(golden);
    EXPECT_TRUE(writetest::sameBytes(expected, edlbtest::readFile(path))) << c.golden;
}

INSTANTIATE_TEST_SUITE_P(Families, HeaderGolden, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HeaderCase>& info) {
                             std::string name = info.param.golden;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

TEST(HeaderNoHeaderFlag, LeavesTheFileEmptyForEveryFamily) {
    for (uint32_t type : {1u, 2u, 5u, 6u, 7u, 20u, 22u, 23u, 24u, 27u, 40u, 41u, 42u, 251u, 256u}) {
        edlbtest::TempDir dir;
        const std::string path = dir.file("out.edl");
        ListSetup setup = masked(type, EDL_LF_NO_HEADER, 0);
        setup.title = "T";
        ASSERT_EQ(writetest::writeList(path, setup, {}), 0u) << type;
        EXPECT_EQ(edlbtest::readFile(path), "") << "list type " << type;
    }
}

TEST(HeaderNoHeaderFlag, KeepsTheClosingLines) {
    edlbtest::TempDir dir;
    ASSERT_EQ(writetest::writeList(dir.file("ds.edl"), masked(45, EDL_LF_NO_HEADER, 0), {}), 0u);
    EXPECT_EQ(edlbtest::readFile(dir.file("ds.edl")), "\r\n");
    ASSERT_EQ(writetest::writeList(dir.file("short.edl"), masked(44, EDL_LF_NO_HEADER, 0), {}), 0u);
    EXPECT_EQ(edlbtest::readFile(dir.file("short.edl")),
              std::string(81, '\x1a') + "\r\n\r\n\r\n; comments by Brimvel:\r\n"
              ";Event Tapename Track Cuttype Timecodes...");
}

TEST(HeaderNoHeaderFlag, HeaderlessTypesWriteNothing) {
    for (uint32_t type : {3u, 4u, 12u, 17u, 18u, 26u, 36u, 37u, 38u, 39u}) {
        edlbtest::TempDir dir;
        ASSERT_EQ(writetest::writeList(dir.file("out.txt"), list(type, 4, "Title"), {}), 0u);
        EXPECT_EQ(edlbtest::readFile(dir.file("out.txt")), "") << "list type " << type;
    }
}

// A fallback type writes the header of list type 10 but keeps its own value afterwards.
TEST(HeaderFallback, HandleKeepsTheCallersListType) {
    edlbtest::TempDir dir;
    EdlList record = writetest::makeList(list(256, 4, "Show"));
    tagKvEdlHandle* handle = edlOpen(dir.file("x.edl").c_str(), nullptr, EDL_OPEN_WRITE, &record);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(record.dwListType, 256u);
    EXPECT_STREQ(record.szTitle, "Show");
    EXPECT_EQ(edlClose(handle), 0u);
}

// Bounded reads: fields filled to their last byte without a terminator.
TEST(HeaderBounds, UnterminatedTitleIsCutToItsField) {
    edlbtest::TempDir dir;
    EdlList record = writetest::makeList(list(7, 4, ""));
    std::memset(record.szTitle, 'T', sizeof record.szTitle);
    tagKvEdlHandle* handle = edlOpen(dir.file("c.edl").c_str(), nullptr, EDL_OPEN_WRITE, &record);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(edlClose(handle), 0u);
    EXPECT_TRUE(writetest::sameBytes(
        edlbtest::readFile(edlbtest::dataPath("write/cmx_title_full_field.edl")),
        edlbtest::readFile(dir.file("c.edl"))));
}

TEST(HeaderBounds, UnterminatedNamesOfPlainTitleFamilies) {
    edlbtest::TempDir dir;
    EdlList record = writetest::makeList(list(45, 8, ""));
    std::memset(record.szTitle, 'T', sizeof record.szTitle);
    tagKvEdlHandle* handle = edlOpen(dir.file("d.edl").c_str(), nullptr, EDL_OPEN_WRITE, &record);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(edlClose(handle), 0u);
    const std::string bytes = edlbtest::readFile(dir.file("d.edl"));
    EXPECT_EQ(bytes.substr(0, 7 + 4122 + 2), "TITLE: " + std::string(4122, 'T') + "\r\n");

    EdlList log = writetest::makeList(list(5, 4, ""));
    std::memset(log.szTape, 'P', sizeof log.szTape);
    handle = edlOpen(dir.file("e.ale").c_str(), nullptr, EDL_OPEN_WRITE, &log);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(edlClose(handle), 0u);
    EXPECT_NE(edlbtest::readFile(dir.file("e.ale")).find("TAPE " + std::string(64, 'P') + "\r\n"),
              std::string::npos);
}

}  // namespace
