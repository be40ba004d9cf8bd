#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/handle.h"
#include "core/list_types.h"
#include "support/test_support.h"

namespace {

EdlList freshList() {
    EdlList list;
    edlInitEdlListStruct(&list);
    return list;
}

TEST(OpenClose, WriteModeTimecodeWord) {
    struct Case {
        uint32_t mode;
        uint32_t flags;
        uint32_t word;
    } const cases[] = {
        {8, 0, 0x32108}, {4, 0x8, 0x72104}, {4, 0x806, 0x104}, {0, 0, 0x32104},
        {0x84, 0x800, 0x30184},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        EdlList list = freshList();
        list.dwTcMode = c.mode;
        list.dwFlags = c.flags | EDL_LF_NO_HEADER;
        tagKvEdlHandle* handle = edlOpen(dir.file("w.edl").c_str(), nullptr, 1, &list);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->dwTcFlags, c.word) << std::hex << c.mode << " " << c.flags;
        const uint32_t expectedMode = c.mode == 0 ? 4 : c.mode;
        EXPECT_EQ(list.dwTcMode, expectedMode);
        EXPECT_EQ(list.dwCurTcMode, expectedMode);
        EXPECT_EQ(0, std::memcmp(&handle->list, &list, sizeof list));
        EXPECT_EQ(handle->dwReading, 0u);
        EXPECT_EQ(handle->dwEventCount, 0u);
        EXPECT_EQ(edlClose(handle), 0u);
    }
}

TEST(OpenClose, NoHeaderFlagLeavesAnEmptyFile) {
    edlbtest::TempDir dir;
    EdlList list = freshList();
    list.dwListType = EDLTYPE_CMX3600;
    list.dwFlags = EDL_LF_NO_HEADER;
    tagKvEdlHandle* handle = edlOpen(dir.file("empty.edl").c_str(), nullptr, 2, &list);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(edlClose(handle), 0u);
    EXPECT_EQ(edlbtest::readFile(dir.file("empty.edl")), "");
}

TEST(OpenClose, RefusedOpens) {
    edlbtest::TempDir dir;
    EdlList list = freshList();
    EXPECT_EQ(edlOpen(dir.file("missing.edl").c_str(), nullptr, 0, &list), nullptr);
    EXPECT_EQ(edlOpen(dir.file("no/such/dir.edl").c_str(), nullptr, 1, &list), nullptr);
    EXPECT_EQ(edlOpen(nullptr, nullptr, 1, &list), nullptr);
    EXPECT_EQ(edlOpen(dir.file("x.edl").c_str(), nullptr, 1, nullptr), nullptr);
    // A name that does not fit the handle is refused rather than cut.
    const std::string longName = dir.path() + "/" + std::string(4100, 'a');
    EXPECT_EQ(edlOpen(longName.c_str(), nullptr, 1, &list), nullptr);
}

TEST(OpenClose, FailedOpenStillNormalisesTheMode) {
    edlbtest::TempDir dir;
    EdlList list = freshList();
    list.dwTcMode = 0;
    // Past the stream step: the mode is corrected in the caller's record even on failure.
    EXPECT_EQ(edlOpen(dir.write("comments.edl", "* only a comment\n").c_str(), nullptr, 0,
                      &list),
              nullptr);
    EXPECT_EQ(list.dwTcMode, 4u);
}

TEST(OpenClose, CloseWithoutHandle) { EXPECT_EQ(edlClose(nullptr), EDL_NO_HANDLE_CLOSE); }

TEST(OpenClose, CloseReportsAFailedWrite) {
    EdlList list = freshList();
    list.dwListType = EDLTYPE_CMX3600;
    list.dwFlags = EDL_LF_NO_HEADER;
    tagKvEdlHandle* handle = edlOpen("/dev/full", nullptr, 1, &list);
    if (handle == nullptr) GTEST_SKIP() << "/dev/full is not available";
    std::fputs("001  AX  V  C  01:00:00:00 01:00:01:00\r\n", handle->pFile);
    EXPECT_NE(edlClose(handle), 0u);
}

TEST(OpenClose, RecorderIn) {
    edlbtest::TempDir dir;
    EdlList list = freshList();
    list.dwFlags = EDL_LF_NO_HEADER;
    tagKvEdlHandle* handle = edlOpen(dir.file("r.edl").c_str(), nullptr, 1, &list);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(edlSetRecorderIn(handle, 108000), 0u);
    EXPECT_EQ(handle->dwRecorderIn, 108000u);
    EXPECT_EQ(edlSetRecorderIn(nullptr, 1), EDL_BAD_ARGUMENT);
    edlClose(handle);
}

TEST(OpenClose, DefaultExtensions) {
    struct Case {
        int type;
        const char* extension;
        const char* alternative;
    } const cases[] = {
        {25, "omf", "omfi"}, {6, "cbi", ""},    {46, "edl", "log"}, {3, "txt", "*"},
        {39, "txt", "*"},    {4, "edl", "txt"}, {5, "alg", "ale"},  {12, "log", "edl"},
        {41, "log", "edl"},  {18, "emc", "log"}, {22, "odb", ""},   {23, "pl*", "log"},
        {40, "scx", "log"},  {42, "flx", "flex"}, {43, "flx", "flex"}, {7, "edl", "log"},
        {256, "edl", "log"}, {-3, "edl", "log"}, {0, "edl", "log"},  {251, "edl", "log"},
    };
    for (const Case& c : cases) {
        char extension[4] = "zzz";
        char alternative[5] = "zzzz";
        EXPECT_EQ(edlDefExtension(c.type, extension, alternative), 0);
        EXPECT_STREQ(extension, c.extension) << c.type;
        EXPECT_STREQ(alternative, c.alternative) << c.type;
    }
}

TEST(ListTypes, CatalogueCoversEveryValueOnce) {
    size_t count = 0;
    const edlb::ListTypeInfo* rows = edlb::listTypeRows(&count);
    ASSERT_EQ(count, 49u);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(&edlb::listTypeInfo(rows[i].value), &rows[i]);
        EXPECT_EQ(edlb::findListType(rows[i].shortName), &rows[i]);
        EXPECT_EQ(edlb::findListType(rows[i].enumerator), &rows[i]);
        if (i > 0) {
            EXPECT_LT(rows[i - 1].value, rows[i].value);
        }
    }
    EXPECT_EQ(edlb::findListType("CMX3600")->value, 7u);
    EXPECT_EQ(edlb::findListType("45")->value, 45u);
    EXPECT_EQ(edlb::findListType("nope"), nullptr);
    EXPECT_EQ(edlb::findListType("47"), nullptr);
    EXPECT_EQ(edlb::listTypeInfo(47).header, edlb::HeaderFamily::C);
    EXPECT_EQ(edlb::listTypeInfo(47).tracks, edlb::TrackGroup::G7);
    EXPECT_EQ(edlb::listTypeInfo(256).tracks, edlb::TrackGroup::G6);
}

}  // namespace
