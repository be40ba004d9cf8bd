#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "edlbridge.h"

// The layout is part of the interface: hosts built against earlier releases depend on it.
static_assert(sizeof(EdlList) == 8528, "EdlList size");
static_assert(offsetof(EdlList, szTitle) == 100, "szTitle");
static_assert(offsetof(EdlList, szTape) == 4223, "szTape");
static_assert(offsetof(EdlList, dwUserTag) == 4288, "dwUserTag");
static_assert(offsetof(EdlList, szDefReel) == 4292, "szDefReel");
static_assert(offsetof(EdlList, dwReserved) == 4360, "dwReserved");
static_assert(offsetof(EdlList, szListName) == 4364, "szListName");
static_assert(offsetof(EdlList, szColumnLine) == 4429, "szColumnLine");
static_assert(sizeof(EdlLine) == 188, "EdlLine size");
static_assert(offsetof(EdlLine, szClipName) == 36, "szClipName");
static_assert(offsetof(EdlLine, qwReserved2) == 68, "qwReserved2");
static_assert(offsetof(EdlLine, dwLineFlags) == 76, "dwLineFlags");
static_assert(offsetof(EdlLine, dwPresent) == 80, "dwPresent");
static_assert(offsetof(EdlLine, dwRecIn) == 84, "dwRecIn");
static_assert(offsetof(EdlLine, chEditType) == 92, "chEditType");
static_assert(offsetof(EdlLine, dwWipeCode) == 96, "dwWipeCode");
static_assert(offsetof(EdlLine, szEffectText) == 104, "szEffectText");
static_assert(offsetof(EdlLine, dwTrackMask) == 168, "dwTrackMask");
static_assert(offsetof(EdlLine, dwListTag) == 172, "dwListTag");
static_assert(offsetof(EdlLine, szLine) == 176, "szLine");
static_assert(offsetof(EdlLine, bXFile3) == 184, "bXFile3");
static_assert(sizeof(EdlLineVB) == 13580, "EdlLineVB size");
static_assert(offsetof(EdlLineVB, achClipName) == 185, "achClipName");
static_assert(offsetof(EdlLineVB, achName) == 196, "achName");
static_assert(offsetof(EdlLineVB, achComment) == 4295, "achComment");
static_assert(offsetof(EdlLineVB, achReel) == 8904, "achReel");
static_assert(offsetof(EdlLineVB, achLine) == 8969, "achLine");

TEST(Records, VersionMacroMatchesVersionFile) {
    EXPECT_STREQ(EDLBRIDGE_VERSION_STRING, EDLBRIDGE_VERSION_FILE);
}

TEST(Records, ListDefaultsLeaveCurrentModeAndColumnLine) {
    EdlList list;
    std::memset(&list, 0x5A, sizeof list);
    list.dwCurTcMode = 7;
    edlInitEdlListStruct(&list);
    EXPECT_EQ(list.dwListType, 256u);
    EXPECT_EQ(list.dwFlags, 0u);
    EXPECT_EQ(list.dwFlags2, 0u);
    EXPECT_EQ(list.dwTcMode, 4u);
    EXPECT_EQ(list.dwCurTcMode, 7u);
    EXPECT_EQ(list.dwFrameRate, 2997u);
    EXPECT_EQ(list.dwAudioKHz, 44u);
    EXPECT_EQ(list.dwHasColumnMap, 0u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(list.adwColumns[i], 0u) << i;
    EXPECT_EQ(list.szTitle[0], '\0');
    EXPECT_EQ(list.szTitle[4122], '\0');
    EXPECT_EQ(list.szTape[64], '\0');
    EXPECT_EQ(list.szDefReel[0], '\0');
    EXPECT_EQ(list.szListName[0], '\0');
    EXPECT_EQ(list.dwUserTag, 0u);
    EXPECT_EQ(list.dwReserved, 0u);
    EXPECT_EQ(static_cast<unsigned char>(list.szColumnLine[0]), 0x5A);
    edlInitEdlListStruct(nullptr);
}

TEST(Records, EventDefaultsShareStaticBuffers) {
    char callerComment[32] = "mine";
    EdlLine first;
    std::memset(&first, 0x33, sizeof first);
    first.szComment = callerComment;
    edlInitEdlLineStruct(&first);
    // Packed pointer fields are copied out before comparing: binding a reference to them
    // would be a misaligned access.
    const char* comment = first.szComment;
    EXPECT_NE(comment, callerComment);
    EXPECT_STREQ(callerComment, "mine");
    EXPECT_EQ(first.dwSrcIn, 0u);
    EXPECT_EQ(first.chEditType, '\0');
    EXPECT_EQ(first.dwPresent, 0u);
    EXPECT_EQ(first.bXFile3, 0u);
    const uint64_t reserved = first.qwReserved2;
    EXPECT_EQ(reserved, 0u);
    EXPECT_STREQ(first.szEffectText, "");
    for (const char* text : {first.szClipName, first.szName, first.szComment, first.szReel,
                             first.szLine}) {
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, "");
    }

    EdlLine second;
    edlInitEdlLineStruct(&second);
    const char* reels[2] = {first.szReel, second.szReel};
    const char* lines[2] = {first.szLine, second.szLine};
    EXPECT_EQ(reels[0], reels[1]);
    EXPECT_EQ(lines[0], lines[1]);
    std::strcpy(first.szReel, "A");
    EXPECT_STREQ(second.szReel, "A");
    edlInitEdlLineStruct(nullptr);
}

TEST(Records, ExportedData) {
    EXPECT_STREQ(_CRLF_, "\r\n");
    EXPECT_EQ(dwTokenRtn, 0u);
}
