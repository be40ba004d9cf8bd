// Column (log-exchange) lists: every column, the track table, order rules between columns
// of one row, short and malformed rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "core/handle.h"
#include "edlbridge.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kNdfWord = EDL_TC_NDF | 0x100 | 0x30000;

// 30 frames per second, non-drop.
uint32_t ndf(uint32_t h, uint32_t m, uint32_t s, uint32_t f) {
    return ((h * 60 + m) * 60 + s) * 30 + f;
}

// A handle in the state detection leaves a column list in: column line harvested, bit 30
// set when there is one, the file just after the "Data" line.
struct ColumnList {
    tagKvEdlHandle* handle = nullptr;
    explicit ColumnList(const std::string& path) {
        handle = new tagKvEdlHandle();
        kv_ListInit(&handle->sources);
        handle->dwReading = 1;
        std::snprintf(handle->szFileName, sizeof handle->szFileName, "%s", path.c_str());
        handle->pszLineBuf = static_cast<char*>(KvAlloc(edlb::kLineBufferSize));
        edlInitEdlListStruct(&handle->list);
        handle->list.szColumnLine[0] = '\0';
        handle->dwTcFlags = kNdfWord;
        handle->pFile = std::fopen(path.c_str(), "rb");
        char* line = handle->pszLineBuf;
        while (handle->pFile != nullptr && getLine(handle, line, edlb::kLineLimit) != 0) {
            if (strncasecmp(line, "Data", 4) == 0) break;
            if (strncasecmp(line, "Column", 6) == 0 &&
                getLine(handle, line, edlb::kLineLimit) != 0) {
                std::snprintf(handle->list.szColumnLine, sizeof handle->list.szColumnLine, "%s",
                              line);
                handle->list.dwFlags |= EDL_LF_COLUMN_LIST;
            }
        }
    }
    ~ColumnList() { edlClose(handle); }
    int read(EdlLine* event) { return edlReadColumnLine(handle, event); }
};

std::string ale(const std::string& name) { return edlbtest::dataPath("columns/" + name); }

// The fields every column read resets, checked beside the fields a test expects.
void expectReset(const EdlLine& event) {
    EXPECT_EQ(event.dwEditNum, 0u);
    EXPECT_EQ(event.dwEffect, 0u);
    EXPECT_EQ(event.dwRecIn, 0u);
    EXPECT_EQ(event.dwRecOut, 0u);
    EXPECT_EQ(event.dwWipeCode, 0u);
    EXPECT_EQ(event.dwEffectLen, 0u);
    EXPECT_EQ(event.chEditType, 'C');
    EXPECT_EQ(event.dwTrackMask, 0xFFF0u);
}

TEST(ColumnRows, EveryColumnOfTheLogFillsItsField) {
    ColumnList list(ale("ale_every_column.ale"));
    list.handle->list.dwUserTag = 77;
    EdlLine event;
    edlInitEdlLineStruct(&event);
    event.dwEditNum = 5;
    event.chEditType = 'W';
    ASSERT_EQ(list.read(&event), 0);
    expectReset(event);
    EXPECT_EQ(event.dwListTag, 77u);
    EXPECT_STREQ(event.szClipName, "Shot_1");
    EXPECT_EQ(event.dwVideoTracks, 1u);
    EXPECT_EQ(event.dwAudioTracks, 1u);
    EXPECT_EQ(event.dwSrcIn, ndf(1, 0, 0, 0));
    EXPECT_EQ(event.dwSrcOut, ndf(1, 0, 10, 0));
    EXPECT_EQ(event.dwMarkIn, ndf(1, 0, 1, 0));
    EXPECT_EQ(event.dwMarkOut, ndf(1, 0, 9, 0));
    EXPECT_EQ(event.lAudioOffset, 0);
    EXPECT_STREQ(event.szReel, "R001");
    EXPECT_STREQ(event.szComment, "first take");
    EXPECT_STREQ(event.szName, "");
    EXPECT_STREQ(event.szLine,
                 "Shot_1\tVA1\t01:00:00:00\t01:00:10:00\t01:00:01:00\t01:00:09:00\tR001\t"
                 "first take\tT1\t1");
    EXPECT_EQ(event.dwPresent, 0x100u | 0x100000 | 0x200000 | 0x1000000 | 0x20000 | 0x1 |
                                   0x2 | 0x80000 | 0x10000000);

    ASSERT_EQ(list.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "Shot_two_l");  // cut to 10 characters
    EXPECT_EQ(event.dwVideoTracks, 1u);
    EXPECT_EQ(event.dwAudioTracks, 3u);
    EXPECT_EQ(event.dwSrcIn, ndf(1, 0, 10, 0));
    EXPECT_EQ(event.dwSrcOut, ndf(1, 0, 20, 0));
    EXPECT_EQ(event.dwMarkIn, 0u);
    EXPECT_EQ(event.dwMarkOut, 0u);
    EXPECT_STREQ(event.szReel, "");
    EXPECT_STREQ(event.szComment, "");
    EXPECT_EQ(event.dwPresent, 0x100u | 0x100000 | 0x200000 | 0x1000000 | 0x20000 | 0x1 | 0x2);
    EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE));
}

TEST(ColumnRows, ListWithoutColumnLineKeepsOnlyTheRawRow) {
    ColumnList list(ale("ale_without_column_line.ale"));
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (const char* row : {"Shot_1\tVA1\t01:00:00:00", "Shot_2\tA2\t01:00:10:00"}) {
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szLine, row);
        EXPECT_EQ(event.dwPresent, 0u);
        EXPECT_STREQ(event.szClipName, "");
        EXPECT_EQ(event.dwSrcIn, 0u);
        EXPECT_EQ(event.dwVideoTracks, 0u);
    }
    EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE));
    EXPECT_EQ(list.read(&event), static_cast<int>(EDL_END_OF_LIST));
}

TEST(ColumnRows, ShortRowsLeaveTheMissingColumnsUnset) {
    ColumnList list(ale("ale_short_rows.ale"));
    struct Row {
        const char* clip;
        uint32_t video, audio, in, present;
    };
    const Row rows[] = {
        {"Short", 1, 0, 0, 0x1320100},
        {"Shorter", 0, 0, 0, 0x1300100},
        {"Mid", 0, 1, ndf(0, 0, 1, 0), 0x1320101},
    };
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (const Row& row : rows) {
        ASSERT_EQ(list.read(&event), 0) << row.clip;
        EXPECT_STREQ(event.szClipName, row.clip);
        EXPECT_EQ(event.dwVideoTracks, row.video) << row.clip;
        EXPECT_EQ(event.dwAudioTracks, row.audio) << row.clip;
        EXPECT_EQ(event.dwSrcIn, row.in) << row.clip;
        EXPECT_EQ(event.dwSrcOut, 0u) << row.clip;
        EXPECT_STREQ(event.szReel, "");
        EXPECT_EQ(event.dwPresent, row.present) << row.clip;
    }
}

TEST(ColumnRows, TrackTableCells) {
    ColumnList list(ale("ale_track_cells.ale"));
    struct Row {
        const char* clip;
        uint32_t video, audio, present;
    };
    const uint32_t kName = 0x1300100;
    const Row rows[] = {
        {"t1", 1, 3, kName | 0x20000}, {"t2", 1, 2, kName | 0x20000},
        {"t3", 1, 1, kName | 0x20000}, {"t4", 0, 3, kName | 0x20000},
        {"t5", 1, 0, kName | 0x20000}, {"t6", 0, 1, kName | 0x20000},
        {"t7", 0, 2, kName | 0x20000}, {"t8", 1, 3, kName | 0x20000},
        {"t9", 0, 0, kName | 0x20000}, {"t10", 0, 0, kName},
    };
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (const Row& row : rows) {
        ASSERT_EQ(list.read(&event), 0) << row.clip;
        EXPECT_STREQ(event.szClipName, row.clip);
        EXPECT_EQ(event.dwVideoTracks, row.video) << row.clip;
        EXPECT_EQ(event.dwAudioTracks, row.audio) << row.clip;
        EXPECT_EQ(event.dwPresent, row.present) << row.clip;
    }
}

TEST(ColumnRows, DataAsFirstCellIsNoEvent) {
    ColumnList list(ale("ale_data_first_cell.ale"));
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (const char* row : {"DATA\t01:00:00:00", "data"}) {
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szLine, row);
        EXPECT_EQ(event.dwPresent, 0u);
        EXPECT_EQ(event.dwSrcIn, 0u);
        EXPECT_STREQ(event.szClipName, "");
    }
    ASSERT_EQ(list.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "Datum");
    EXPECT_EQ(event.dwSrcIn, ndf(1, 0, 0, 0));
}

TEST(ColumnRows, SoundFileIsAppendedToTheComment) {
    ColumnList list(ale("ale_soundfile_comments.ale"));
    struct Row {
        const char* name;
        const char* comment;
        uint32_t present;
    };
    const Row rows[] = {
        {"S1.wav", "Good take ; S1.wav", 0x11300100},
        {"S2.wav", " ; S2.wav", 0x01300100},
        {"", "Only a comment", 0x11300100},
    };
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (const Row& row : rows) {
        ASSERT_EQ(list.read(&event), 0) << row.comment;
        EXPECT_STREQ(event.szName, row.name);
        EXPECT_STREQ(event.szComment, row.comment);
        EXPECT_EQ(event.dwPresent, row.present) << row.comment;
    }
}

TEST(ColumnRows, AudioOffsetAndAuxiliaryTimecodeOrder) {
    struct Case {
        const char* file;
        int32_t offsets[4];
        uint32_t present[4];
        int rows;
    };
    const Case cases[] = {
        // "Audio Offset" first: the auxiliary timecode after it overwrites; a leading '-'
        // is refused by the timecode test and leaves 0.
        {"ale_audio_offset_before_tc1.ale", {60, 90, 120, 0}, {0x10, 0x10, 0x10, 0}, 4},
        // "TC1" first: a later "Audio Offset" is skipped once TC1 parsed; "Auxiliary TC1"
        // always overwrites.
        {"ale_tc1_before_audio_offset.ale", {60, 30, 180, 0}, {0x10, 0x10, 0x10, 0}, 3},
    };
    for (const Case& c : cases) {
        ColumnList list(ale(c.file));
        EdlLine event;
        edlInitEdlLineStruct(&event);
        for (int r = 0; r < c.rows; ++r) {
            ASSERT_EQ(list.read(&event), 0) << c.file << " row " << r;
            EXPECT_EQ(event.lAudioOffset, c.offsets[r]) << c.file << " row " << r;
            EXPECT_EQ(event.dwPresent, c.present[r]) << c.file << " row " << r;
        }
        EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE)) << c.file;
    }
}

TEST(ColumnRows, DescriptYieldsToComments) {
    struct Case {
        const char* file;
        const char* comments[2];
        uint32_t present[2];
    };
    const Case cases[] = {
        {"ale_descript_before_comments.ale", {"from comments", "only descript"},
         {0x10000000, 0}},
        {"ale_comments_before_descript.ale", {"from comments", "only descript"},
         {0x10000000, 0}},
    };
    for (const Case& c : cases) {
        ColumnList list(ale(c.file));
        EdlLine event;
        edlInitEdlLineStruct(&event);
        for (int r = 0; r < 2; ++r) {
            ASSERT_EQ(list.read(&event), 0) << c.file;
            EXPECT_STREQ(event.szComment, c.comments[r]) << c.file;
            EXPECT_EQ(event.dwPresent, c.present[r]) << c.file;
        }
    }
}

TEST(ColumnRows, EmptyColumnNameKeepsNamesAndCellsAligned) {
    ColumnList list(ale("ale_empty_column_name.ale"));
    EdlLine event;
    edlInitEdlLineStruct(&event);
    ASSERT_EQ(list.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "Gap");
    EXPECT_EQ(event.dwSrcIn, ndf(1, 0, 0, 0));
    EXPECT_EQ(event.dwSrcOut, ndf(1, 0, 1, 0));
    EXPECT_EQ(event.dwPresent, 0x1300103u);
}

TEST(ColumnRows, DefaultReelAndMissingTextPointers) {
    ColumnList list(ale("ale_short_rows.ale"));
    list.handle->list.dwFlags2 |= EDL_LF2_DEFAULT_REEL;
    std::strcpy(list.handle->list.szDefReel, "DEFREEL");
    EdlLine event;
    std::memset(&event, 0, sizeof event);
    event.dwSrcOut = 99;
    ASSERT_EQ(list.read(&event), 0);
    const char* reel = event.szReel;  // packed field: copied before gtest binds it
    ASSERT_NE(reel, nullptr);
    EXPECT_STREQ(event.szReel, "DEFREEL");
    EXPECT_STREQ(event.szClipName, "Short");
    EXPECT_EQ(event.dwSrcOut, 0u);
    EXPECT_EQ(event.dwPresent & 0x80000u, 0u);
}

TEST(ColumnRows, BadHandlesAreRefused) {
    EdlLine event;
    edlInitEdlLineStruct(&event);
    EXPECT_EQ(edlReadColumnLine(nullptr, &event), static_cast<int>(EDL_NO_LINE_BUFFER));
    ColumnList list(ale("ale_every_column.ale"));
    EXPECT_EQ(list.read(nullptr), -1);
    list.handle->dwReading = 0;
    EXPECT_EQ(list.read(&event), static_cast<int>(EDL_WRONG_DIRECTION));
    list.handle->dwReading = 1;
    char* buffer = list.handle->pszLineBuf;
    list.handle->pszLineBuf = nullptr;
    EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE_BUFFER));
    list.handle->pszLineBuf = buffer;
}

// Malformed rows: texts stay within their capacities, nothing of an earlier line returns,
// and the sanitizer build stays clean.
TEST(ColumnRows, MalformedRowsAreReadSafely) {
    edlbtest::TempDir dir;
    const std::string head =
        "Heading\r\nColumn\r\nName\tReelName\tComments\tSoundFile\tStart\r\nData\r\n";
    EdlLine event;
    edlInitEdlLineStruct(&event);
    {
        const std::string big(4000, 'c');
        ColumnList list(dir.write("long.ale", head + "N\t" + std::string(100, 'r') + "\t" + big +
                                                  "\t\r\n" + "M\t\t" + big + "\t" +
                                                  std::string(190, 's') + "\r\n"));
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_EQ(std::string(event.szReel), std::string(64, 'r'));
        EXPECT_EQ(std::string(event.szComment), big);
        ASSERT_EQ(list.read(&event), 0);
        // The appended sound file name is cut where the comment is full.
        const std::string expected = big + " ; " + std::string(190, 's');
        EXPECT_EQ(std::string(event.szComment), expected);
        EXPECT_EQ(std::string(event.szName), std::string(190, 's'));
    }
    {
        // A cell is cut at 4095 characters; the sound file name still follows it.
        const std::string big(4195 - 6, 'c');
        ColumnList list(dir.write("full.ale", "Column\r\nComments\tSoundFile\r\nData\r\n" + big +
                                                  "\tsnd\r\n"));
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_EQ(std::string(event.szComment), big.substr(0, 4095) + " ; snd");
    }
    {
        std::string bytes = head + "Long_row_name\tREEL\tremark\tsnd.wav\t00:00:01:00\r\n\r\n\r\n";
        bytes += std::string(2, '\0') + "Nul\tR2\r\n";
        bytes += "A";
        bytes += '\0';
        bytes += "hidden\tR3\r\n";
        ColumnList list(dir.write("nul.ale", bytes));
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "Long_row_n");
        // The empty lines after it bring back nothing of the longer line before them.
        for (int empty = 0; empty < 2; ++empty) {
            ASSERT_EQ(list.read(&event), 0);
            EXPECT_STREQ(event.szLine, "");
            EXPECT_EQ(event.dwPresent, 0u);
            EXPECT_STREQ(event.szClipName, "");
            EXPECT_STREQ(event.szReel, "");
        }
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szLine, "  Nul\tR2");
        EXPECT_STREQ(event.szClipName, "  Nul");
        EXPECT_STREQ(event.szReel, "R2");
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szLine, "A");
        EXPECT_STREQ(event.szClipName, "A");
        EXPECT_STREQ(event.szReel, "");
        EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE));
    }
    {
        ColumnList list(dir.write("tabs.ale", head + std::string(10000, '\t') + "\r\nLast\r\n"));
        // Three pieces of tabs (line input cuts at 4195 characters), then the last row.
        for (int piece = 0; piece < 3; ++piece) {
            ASSERT_EQ(list.read(&event), 0) << piece;
            EXPECT_EQ(event.dwPresent, 0u) << piece;
            EXPECT_STREQ(event.szClipName, "") << piece;
        }
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "Last");
        EXPECT_EQ(list.read(&event), static_cast<int>(EDL_NO_LINE));
    }
    {
        // A column line of nothing but tabs names no column.
        ColumnList list(dir.write("tabnames.ale", "Column\r\n\t\t\t\r\nData\r\nA\tB\r\n"));
        ASSERT_EQ(list.read(&event), 0);
        EXPECT_STREQ(event.szLine, "A\tB");
        EXPECT_EQ(event.dwPresent, 0u);
    }
}

// What one read gave, texts copied out of the shared buffers.
struct Snapshot {
    int result;
    uint32_t numbers[14];
    std::string texts[5];
    bool operator==(const Snapshot& other) const {
        if (result != other.result) return false;
        for (int i = 0; i < 14; ++i) {
            if (numbers[i] != other.numbers[i]) return false;
        }
        for (int i = 0; i < 5; ++i) {
            if (texts[i] != other.texts[i]) return false;
        }
        return true;
    }
};

// Reads every row with the column reader itself, or through edlReadLine's routing.
std::vector<Snapshot> readAll(tagKvEdlHandle* handle, bool routed = false) {
    std::vector<Snapshot> rows;
    EdlLine event;
    edlInitEdlLineStruct(&event);
    for (int guard = 0; guard < 64; ++guard) {
        Snapshot s;
        s.result = routed ? static_cast<int>(edlReadLine(handle, &event))
                          : edlReadColumnLine(handle, &event);
        const uint32_t numbers[14] = {
            event.dwSrcIn,   event.dwSrcOut,      event.dwMarkIn,
            event.dwMarkOut, static_cast<uint32_t>(event.lAudioOffset),
            event.dwEditNum, event.dwVideoTracks, event.dwAudioTracks,
            event.dwPresent, event.dwRecIn,       event.dwRecOut,
            static_cast<uint32_t>(event.chEditType), event.dwTrackMask, event.dwListTag};
        std::memcpy(s.numbers, numbers, sizeof numbers);
        const char* texts[5] = {event.szClipName, event.szName, event.szComment, event.szReel,
                                event.szLine};
        for (int i = 0; i < 5; ++i) s.texts[i] = texts[i];
        rows.push_back(s);
        if (s.result != 0) break;
    }
    return rows;
}

// Every column list file, opened by detection, reads exactly as from the handle the tests
// prepare by hand.
TEST(ColumnRows, DetectedListsReadLikeThePreparedHandle) {
    const char* files[] = {
        "ale_every_column.ale",           "ale_without_column_line.ale",
        "ale_short_rows.ale",             "ale_track_cells.ale",
        "ale_data_first_cell.ale",        "ale_soundfile_comments.ale",
        "ale_audio_offset_before_tc1.ale", "ale_tc1_before_audio_offset.ale",
        "ale_descript_before_comments.ale", "ale_comments_before_descript.ale",
        "ale_empty_column_name.ale",
    };
    for (const char* file : files) {
        EdlList list;
        edlInitEdlListStruct(&list);
        list.szColumnLine[0] = '\0';  // the initialiser leaves it to the caller
        tagKvEdlHandle* handle = edlOpen(ale(file).c_str(), nullptr, EDL_OPEN_READ, &list);
        ASSERT_NE(handle, nullptr) << file;
        EXPECT_EQ(list.dwListType, 5u) << file;
        EXPECT_EQ(handle->dwTcFlags, kNdfWord) << file;
        ColumnList prepared(ale(file));
        EXPECT_STREQ(list.szColumnLine, prepared.handle->list.szColumnLine) << file;
        EXPECT_EQ(list.dwFlags & EDL_LF_COLUMN_LIST,
                  prepared.handle->list.dwFlags & EDL_LF_COLUMN_LIST) << file;
        const std::vector<Snapshot> detected = readAll(handle);
        const std::vector<Snapshot> direct = readAll(prepared.handle);
        EXPECT_GE(detected.size(), 2u) << file;
        EXPECT_TRUE(detected == direct) << file;
        edlClose(handle);
        // edlReadLine hands column lists to the column reader.
        if ((list.dwFlags & EDL_LF_COLUMN_LIST) == 0) continue;
        handle = edlOpen(ale(file).c_str(), nullptr, EDL_OPEN_READ, &list);
        ASSERT_NE(handle, nullptr) << file;
        EXPECT_TRUE(readAll(handle, true) == direct) << file;
        edlClose(handle);
    }
}

}  // namespace
