#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/handle.h"
#include "core/list_types.h"
#include "support/test_support.h"

namespace {

struct Written {
    edlbtest::TempDir dir;
    EdlList list;
    tagKvEdlHandle* handle;
    Written(uint32_t type, uint32_t mode, uint32_t flags, const char* name = nullptr) {
        edlInitEdlListStruct(&list);
        list.dwListType = type;
        list.dwTcMode = mode;
        list.dwFlags = flags;
        handle = edlOpen(name ? name : dir.file("w.edl").c_str(), nullptr, 2, &list);
    }
};

TEST(OpenClose, WriteModeTimecodeWordAndRecord) {
    const uint32_t cases[][3] = {
        {8, 0, 0x32108}, {4, 0x8, 0x72104}, {4, 0x806, 0x104}, {0, 0, 0x32104}, {0x84, 0x800, 0x30184},
    };
    for (const auto& c : cases) {
        Written out(EDLTYPE_CMX3600, c[0], c[1] | EDL_LF_NO_HEADER);
        ASSERT_NE(out.handle, nullptr);
        EXPECT_EQ(out.handle->dwTcFlags, c[2]) << std::hex << c[0] << " " << c[1];
        EXPECT_EQ(out.list.dwTcMode, c[0] == 0 ? 4u : c[0]);
        EXPECT_EQ(out.list.dwCurTcMode, out.list.dwTcMode);
        EXPECT_EQ(0, std::memcmp(&out.handle->list, &out.list, sizeof out.list));
        EXPECT_EQ(out.handle->dwReading + out.handle->dwEventCount, 0u);
        EXPECT_EQ(edlSetRecorderIn(out.handle, 108000), 0u);
        EXPECT_EQ(out.handle->dwRecorderIn, 108000u);
        EXPECT_EQ(edlClose(out.handle), 0u);
        // The header flag leaves the file empty.
        EXPECT_EQ(edlbtest::readFile(out.dir.file("w.edl")), "");
    }
    EXPECT_EQ(edlSetRecorderIn(nullptr, 1), EDL_BAD_ARGUMENT);
    EXPECT_EQ(edlClose(nullptr), EDL_NO_HANDLE_CLOSE);
}

TEST(OpenClose, RefusedOpens) {
    edlbtest::TempDir dir;
    EdlList list;
    edlInitEdlListStruct(&list);
    EXPECT_EQ(edlOpen(dir.file("missing.edl").c_str(), nullptr, 0, &list), nullptr);
    EXPECT_EQ(edlOpen(dir.file("no/such/dir.edl").c_str(), nullptr, 1, &list), nullptr);
    EXPECT_EQ(edlOpen(nullptr, nullptr, 1, &list), nullptr);
    EXPECT_EQ(edlOpen(dir.file("x.edl").c_str(), nullptr, 1, nullptr), nullptr);
    // A name that does not fit the handle is refused rather than cut.
    const std::string longName = dir.path() + "/" + std::string(4100, 'a');
    EXPECT_EQ(edlOpen(longName.c_str(), nullptr, 1, &list), nullptr);
    // Past the stream step the mode is corrected in the caller's record, even on failure.
    list.dwTcMode = 0;
    EXPECT_EQ(edlOpen(dir.write("c.edl", "* only a comment\n").c_str(), nullptr, 0, &list), nullptr);
    EXPECT_EQ(list.dwTcMode, 4u);
}

TEST(OpenClose, CloseReportsAFailedWrite) {
#if defined(_WIN32)
    GTEST_SKIP() << "/dev/full is a Linux device";
#endif
    Written out(EDLTYPE_CMX3600, 4, EDL_LF_NO_HEADER, "/dev/full");
    if (out.handle == nullptr) GTEST_SKIP() << "/dev/full is not available";
    std::fputs("001  AX  V  C  01:00:00:00 01:00:01:00\r\n", out.handle->pFile);
    EXPECT_NE(edlClose(out.handle), 0u);
}

TEST(OpenClose, DefaultExtensions) {
    const struct {
        int type;
        const char *extension, *alternative;
    } cases[] = {
        {25, "omf", "omfi"}, {6, "cbi", ""}, {46, "edl", "log"}, {3, "txt", "*"}, {39, "txt", "*"},
        {4, "edl", "txt"}, {5, "alg", "ale"}, {12, "log", "edl"}, {41, "log", "edl"},
        {18, "emc", "log"}, {22, "odb", ""}, {23, "pl*", "log"}, {40, "scx", "log"},
        {42, "flx", "flex"}, {43, "flx", "flex"}, {7, "edl", "log"}, {256, "edl", "log"},
        {-3, "edl", "log"}, {0, "edl", "log"}, {251, "edl", "log"},
    };
    for (const auto& c : cases) {
        char extension[4] = "zzz", alternative[5] = "zzzz";
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
        EXPECT_TRUE(i == 0 || rows[i - 1].value < rows[i].value) << rows[i].value;
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
