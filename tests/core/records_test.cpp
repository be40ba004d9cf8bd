#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "edlbridge.h"

// The layout is part of the interface: hosts built against earlier releases depend on it.
#define AT(T, field, offset) static_assert(offsetof(T, field) == offset, #T "." #field);
static_assert(sizeof(EdlList) == 8528 && sizeof(EdlLine) == 188 && sizeof(EdlLineVB) == 13580);
AT(EdlList, szTitle, 100) AT(EdlList, szTape, 4223) AT(EdlList, dwUserTag, 4288)
AT(EdlList, szDefReel, 4292) AT(EdlList, dwReserved, 4360) AT(EdlList, szListName, 4364)
AT(EdlList, szColumnLine, 4429) AT(EdlLine, szClipName, 36) AT(EdlLine, qwReserved2, 68)
AT(EdlLine, dwLineFlags, 76) AT(EdlLine, dwPresent, 80) AT(EdlLine, dwRecIn, 84)
AT(EdlLine, chEditType, 92) AT(EdlLine, dwWipeCode, 96) AT(EdlLine, szEffectText, 104)
AT(EdlLine, dwTrackMask, 168) AT(EdlLine, dwListTag, 172) AT(EdlLine, szLine, 176)
AT(EdlLine, bXFile3, 184) AT(EdlLineVB, achClipName, 185) AT(EdlLineVB, achName, 196)
AT(EdlLineVB, achComment, 4295) AT(EdlLineVB, achReel, 8904) AT(EdlLineVB, achLine, 8969)

TEST(Records, VersionAndExportedData) {
    EXPECT_STREQ(EDLBRIDGE_VERSION_STRING, EDLBRIDGE_VERSION_FILE);
    EXPECT_STREQ(_CRLF_, "\r\n");
    EXPECT_EQ(dwTokenRtn, 0u);
}

TEST(Records, ListDefaultsLeaveCurrentModeAndColumnLine) {
    EdlList list;
    std::memset(&list, 0x5A, sizeof list);
    list.dwCurTcMode = 7;
    edlInitEdlListStruct(&list);
    const uint32_t numbers[] = {list.dwListType, list.dwFlags,       list.dwFlags2,
                                list.dwTcMode,   list.dwCurTcMode,   list.dwFrameRate,
                                list.dwAudioKHz, list.dwHasColumnMap, list.dwUserTag,
                                list.dwReserved};
    const uint32_t expected[] = {256, 0, 0, 4, 7, 2997, 44, 0, 0, 0};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(numbers[i], expected[i]) << i;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(list.adwColumns[i], 0u) << i;
    // Whole buffers are cleared, not just their first byte.
    const EdlList zero{};
    EXPECT_EQ(0, std::memcmp(list.szTitle, zero.szTitle, sizeof zero.szTitle));
    EXPECT_EQ(0, std::memcmp(list.szTape, zero.szTape, sizeof zero.szTape));
    EXPECT_EQ(0, std::memcmp(list.szDefReel, zero.szDefReel, sizeof zero.szDefReel));
    EXPECT_EQ(0, std::memcmp(list.szListName, zero.szListName, sizeof zero.szListName));
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
    const char* texts[] = {first.szClipName, first.szName, first.szComment, first.szReel,
                           first.szLine};
    EXPECT_NE(texts[2], callerComment);
    EXPECT_STREQ(callerComment, "mine");
    for (const char* text : texts) ASSERT_TRUE(text != nullptr && *text == '\0');
    // Every numeric field, the edit type and the inline effect text are cleared.
    EdlLine cleared;
    std::memset(&cleared, 0, sizeof cleared);
    std::memcpy(&cleared.szClipName, &first.szClipName, 4 * sizeof(char*));
    std::memcpy(&cleared.szLine, &first.szLine, sizeof(char*));
    EXPECT_EQ(0, std::memcmp(&cleared, &first, sizeof first));

    EdlLine second;
    edlInitEdlLineStruct(&second);
    const char* reels[2] = {first.szReel, second.szReel};
    EXPECT_EQ(reels[0], reels[1]);
    std::strcpy(first.szReel, "A");
    EXPECT_STREQ(second.szReel, "A");
    edlInitEdlLineStruct(nullptr);
}
