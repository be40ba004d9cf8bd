// The calls that differ between systems, and what depends on them: list files are read and
// written byte for byte (no CR LF translation, no end of file at byte 0x1A), and paths with
// drive letters and backslashes mean what they mean on the system the library runs on.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/handle.h"
#include "core/portable.h"
#include "services/utility.h"
#include "support/test_support.h"

namespace {

// Every byte value once, then the line ends and the bytes a text-mode stream would change.
std::string everyByte() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes + "\r\n\n\r\r\n\x1A" + "end";
}

std::string readToEnd(FILE* stream) {
    std::string bytes;
    for (int c; (c = edlb::readByteUnlocked(stream)) != EOF;) bytes += static_cast<char>(c);
    return bytes;
}

TEST(Portable, BytesComeBackAsWrittenAndSeeksClearTheEnd) {
    edlbtest::TempDir dir;
    const std::string bytes = everyByte();
    ASSERT_EQ(bytes.size(), 266u);
    FILE* stream = std::fopen(dir.write("bytes", bytes).c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(edlb::tellFile(stream), 0);
    EXPECT_EQ(readToEnd(stream), bytes);
    EXPECT_EQ(edlb::tellFile(stream), 266);
    EXPECT_NE(std::feof(stream), 0);

    // A seek after the end lets reading go on from the new place.
    ASSERT_TRUE(edlb::seekFile(stream, 13));
    EXPECT_EQ(std::feof(stream), 0);
    EXPECT_EQ(edlb::readByteUnlocked(stream), 13);
    EXPECT_EQ(edlb::tellFile(stream), 14);
    ASSERT_TRUE(edlb::seekFile(stream, 256));
    EXPECT_EQ(readToEnd(stream), "\r\n\n\r\r\n\x1A" "end");
    ASSERT_TRUE(edlb::seekFile(stream, 0));
    EXPECT_EQ(readToEnd(stream), bytes);
    std::fclose(stream);
}

// A CMX list with CR LF line ends and a 0x1A byte in a note, which ends a text-mode stream
// on Windows.
const std::string kCrLfList =
    "TITLE: CRLF LIST\r\n"
    "FCM: NON-DROP FRAME\r\n"
    "001  AX       V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00\r\n"
    "* NOTE \x1A END\r\n"
    "002  BX       V     C        01:00:01:00 01:00:02:00 01:00:01:00 01:00:02:00\r\n";

TEST(Portable, CrLfListIsReadByteForByte) {
    edlbtest::TempDir dir;
    const std::string path = dir.write("crlf.edl", kCrLfList);
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    ASSERT_NE(handle, nullptr);
    EXPECT_STREQ(list.szTitle, "CRLF LIST");
    EXPECT_EQ(list.dwTcMode, EDL_TC_NDF);

    // Detection stops at the first event line; each line starts at its byte offset in the
    // file (18 + 21 = 39, then 39 + 78 = 117 and 117 + 14 = 131) and ends after its CR (the
    // next read passes over the LF).
    const struct {
        const char* text;
        int64_t start, end;
    } lines[] = {
        {"001  AX       V     C        01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00", 39, 116},
        {"* NOTE \x1A END", 117, 130},
        {"002  BX       V     C        01:00:01:00 01:00:02:00 01:00:01:00 01:00:02:00", 131, 208},
    };
    for (const auto& line : lines) {
        ASSERT_EQ(getLine(handle, handle->pszLineBuf, edlb::kLineLimit), 1u) << line.text;
        EXPECT_STREQ(handle->pszLineBuf, line.text);
        EXPECT_EQ(handle->lLineStart, line.start) << line.text;
        EXPECT_EQ(handle->dwLineEnd, line.end) << line.text;
    }
    EXPECT_EQ(getLine(handle, handle->pszLineBuf, edlb::kLineLimit), 0u);
    EXPECT_EQ(edlClose(handle), 0u);

    // The events on both sides of the 0x1A byte are read: 01:00:00:00 is frame 108000 at 30.
    handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    ASSERT_NE(handle, nullptr);
    const struct {
        uint32_t number;
        const char* reel;
        uint32_t srcIn, srcOut;
    } events[] = {{1, "AX", 108000, 108030}, {2, "BX", 108030, 108060}};
    for (const auto& expected : events) {
        EdlLine event;
        edlInitEdlLineStruct(&event);
        ASSERT_EQ(edlReadLine(handle, &event), 0u) << expected.reel;
        EXPECT_EQ(event.dwEditNum, expected.number);
        EXPECT_STREQ(event.szReel, expected.reel);
        EXPECT_EQ(event.dwSrcIn, expected.srcIn);
        EXPECT_EQ(event.dwSrcOut, expected.srcOut);
        EXPECT_EQ(event.dwRecIn, expected.srcIn);
    }
    EdlLine event;
    edlInitEdlLineStruct(&event);
    EXPECT_NE(edlReadLine(handle, &event), 0u);
    EXPECT_EQ(edlClose(handle), 0u);
}

TEST(Portable, ListIsWrittenWithCrLfAndNothingElse) {
    edlbtest::TempDir dir;
    const std::string path = dir.file("written.edl");
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = EDLTYPE_CMX3600;
    list.dwTcMode = EDL_TC_PAL;
    list.dwFlags = EDL_LF_NO_HEADER | EDL_LF_NO_NOTES;
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &list);
    ASSERT_NE(handle, nullptr);
    char reel[] = "R";
    EdlLine event;
    edlInitEdlLineStruct(&event);
    event.szReel = reel;
    event.dwSrcOut = 250;  // 10 s at 25 frames
    event.dwRecIn = 90000;  // one hour
    event.dwRecOut = 90250;
    event.dwVideoTracks = 1;
    event.chEditType = 'C';
    ASSERT_EQ(edlWriteLine(handle, &event), 0u);
    ASSERT_EQ(edlClose(handle), 0u);
    EXPECT_EQ(edlbtest::readFile(path),
              "1  R        V     C        00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00  \r\n"
              "\r\n");
}

// Drive letters and separators: both '/' and '\' separate on Windows, where "D:name" is
// relative to drive D's current directory; elsewhere '\' and ':' belong to file names.
TEST(Portable, PathsWithDrivesAndBackslashes) {
    edlbtest::TempDir dir;
    dir.write("clip.mov", "x");
    const std::string cwd = std::filesystem::current_path().string();
    char out[kKvPathMax];
#if defined(_WIN32)
    const int onWindows = 1;
    const std::string drive = cwd.substr(0, 2);
    kvOSFullPath(out, (drive + "list.edl").c_str(), sizeof out);
    EXPECT_EQ(std::string(out), cwd + (cwd.back() == '\\' ? "" : "/") + "list.edl");
#else
    const int onWindows = 0;
    kvOSFullPath(out, "C:list.edl", sizeof out);
    EXPECT_EQ(std::string(out), cwd + (cwd == "/" ? "" : "/") + "C:list.edl");
#endif
    EXPECT_EQ(kvOSFileIsDir((dir.path() + "\\").c_str()), onWindows);
    EXPECT_EQ(kvOSFileExists((dir.path() + "\\clip.mov").c_str()), onWindows);
    EXPECT_EQ(kvOSFileExists((dir.path() + "/clip.mov").c_str()), 1);
    EXPECT_EQ(kvOSFileIsDir((dir.path() + "/clip.mov").c_str()), 0);
    // Drive-qualified and rooted paths are already absolute, on every system.
    for (const char* absolute : {"C:\\media\\a.mov", "c:/media/a.mov", "\\\\server\\share\\a.mov"}) {
        kvOSFullPath(out, absolute, sizeof out);
        EXPECT_STREQ(out, absolute);
    }
}

}  // namespace
