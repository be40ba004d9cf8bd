// CSV logs: header map, rows, record-timeline placement, XFile3 exports, media lookup and
// malformed rows.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/handle.h"
#include "edlbridge.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kPal = EDL_TC_PAL;

// PAL frames of hh:mm:ss:ff.
uint32_t pal(uint32_t h, uint32_t m, uint32_t s, uint32_t f) {
    return ((h * 60 + m) * 60 + s) * 25 + f;
}

struct OpenList {
    EdlList list{};
    tagKvEdlHandle* handle = nullptr;
    explicit OpenList(const std::string& path, uint32_t tcMode = kPal) {
        edlInitEdlListStruct(&list);
        list.dwTcMode = tcMode;
        handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    }
    ~OpenList() {
        if (handle != nullptr) edlClose(handle);
    }
    // Reads the next row the way a caller does: reset, then the CSV reader.
    int read(EdlLine* event) {
        edlInitEdlLineStruct(event);
        return csvReadLine(handle, event);
    }
};

std::string csv(const std::string& name) { return edlbtest::dataPath("csv/" + name); }

TEST(CsvHeader, PlainHeaderBuildsTheMapAndLeavesTheFileAtTheFirstRow) {
    OpenList open(csv("csv_clip_id_name_tc.csv"));
    ASSERT_NE(open.handle, nullptr);
    EXPECT_EQ(open.list.dwListType, 46u);
    EXPECT_EQ(open.list.dwFlags2 & EDL_LF2_CSV, EDL_LF2_CSV);
    EXPECT_EQ(open.list.dwFlags & 0x48000000u, 0x40000000u);  // bit 27 cut by edlOpen
    EXPECT_EQ(open.list.dwHasColumnMap, 1u);
    EXPECT_STREQ(open.list.szColumnLine, "Clip ID,Clip Name,TC In,TC Out");
    const uint32_t expected[17] = {0x100000, 0x200000, 0x1, 0x2};
    for (int k = 0; k < 17; ++k) EXPECT_EQ(open.list.adwColumns[k], expected[k]) << k;
    EXPECT_EQ(open.handle->bXFile3, 0);
    EXPECT_EQ(std::memcmp(&open.list, &open.handle->list, sizeof open.list), 0);
    char line[64];
    ASSERT_EQ(getLine(open.handle, line, sizeof line), 1u);
    EXPECT_STREQ(line, "A001,Interview one,01:00:00:00,01:00:10:00");
}

TEST(CsvHeader, EveryColumnNameHasItsMapValue) {
    struct Case {
        const char* header;
        uint32_t value;
    };
    const Case cases[] = {
        {"Clip ID", 0x100000},    {"clipid", 0x100000},        {"Clip Name", 0x200000},
        {"NAME", 0x200000},       {"TC In", 0x1},              {"in", 0x1},
        {"Start", 0x1},           {"Mark In", 0x1},            {"TC Out", 0x2},
        {"Out", 0x2},             {"end", 0x2},                {"Mark Out", 0x2},
        {"Dur", 0x20},            {"Duration", 0x20},          {"Descript", 0x10000000},
        {"Description", 0x10000000}, {"Commment", 0x10000000}, {"Comment", 0x10000000},
        {"Comments", 0x10000000}, {"Notes", 0x10000000},       {"Keywords", 0x10000000},
        {"ReelName", 0x80000},    {"Reel Name", 0x80000},      {"reel", 0x80000},
        {"Metadata Filename", 0x2000000}, {"FILENAME", 0x1000000}, {"file", 0x1000000},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("one.csv", std::string(c.header) + "\r\nx\r\n");
        OpenList open(path);
        ASSERT_NE(open.handle, nullptr) << c.header;
        EXPECT_EQ(open.list.adwColumns[0], c.value) << c.header;
    }
    // Recognised names that fill nothing still make a valid header, with map value 0.
    for (const char* header : {"TAPE", "Log#", "Auxiliary TC1", "Creation Date Time",
                               "Backup Date Time", "File Size"}) {
        const std::string path = dir.write("zero.csv", std::string(header) + ",Other\r\n");
        OpenList open(path);
        ASSERT_NE(open.handle, nullptr) << header;
        EXPECT_EQ(open.list.adwColumns[0], 0u) << header;
    }
    // Unknown names only, partial names, or an empty first line: no CSV list.
    for (const char* header : {"Other,Clip", "Clip I", "TC", "", "Outside,Tapes"}) {
        const std::string path = dir.write("none.csv", std::string(header) + "\r\nx\r\n");
        OpenList open(path);
        EXPECT_EQ(open.handle, nullptr) << header;
    }
}

TEST(CsvHeader, CommentWithTwoMsIsACommentColumn) {
    OpenList open(csv("csv_comment_two_m.csv"));
    ASSERT_NE(open.handle, nullptr);
    EXPECT_EQ(open.list.adwColumns[0], 0x10000000u);
    EXPECT_EQ(open.list.adwColumns[1], 0x1u);
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwPresent, 0x1u);  // the comment column fills nothing
    EXPECT_STREQ(event.szComment, "");
    EXPECT_EQ(event.dwSrcIn, pal(0, 0, 1, 0));
}

TEST(CsvHeader, EmptyHeaderFieldKeepsLaterColumnsOnTheirCells) {
    OpenList open(csv("csv_empty_header_field.csv"));
    ASSERT_NE(open.handle, nullptr);
    const uint32_t expected[5] = {0x100000, 0, 0x1, 0x2, 0};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(open.list.adwColumns[k], expected[k]) << k;
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwSrcIn, pal(0, 0, 1, 0));
    EXPECT_EQ(event.dwSrcOut, pal(0, 0, 2, 0));
    EXPECT_STREQ(event.szClipName, "C1");
    EXPECT_EQ(event.dwPresent, 0x100003u);
}

TEST(CsvHeader, TwentyFieldsMapOnlyTheFirstSixteen) {
    OpenList open(csv("csv_twenty_columns.csv"));
    ASSERT_NE(open.handle, nullptr);
    EXPECT_EQ(open.list.adwColumns[0], 0x2u);
    for (int k = 1; k < 17; ++k) EXPECT_EQ(open.list.adwColumns[k], 0u) << k;
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwPresent, 0x2u);
    EXPECT_EQ(event.dwSrcIn, 0u);
    EXPECT_EQ(event.dwSrcOut, pal(0, 0, 4, 0));
    EXPECT_STREQ(event.szReel, "");
    EXPECT_STREQ(event.szClipName, "");
}

TEST(CsvHeader, FailuresReturnNoLine) {
    struct Case {
        const char* name;
        const char* bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"only commas", ",,,,\r\n1,2,3\r\n"},
        {"only blanks", "   \r\n"},
        {"preamble cut short", "Storyboard EVS XFile3\r\nXFile3 version 2\r\nServer\r\n"},
        {"full preamble, no header", "Storyboard EVS XFile3\r\nXFile3 version 2\r\n3\r\n4\r\n5\r\n6\r\n"},
        {"storyboard line alone", "Storyboard EVS XFile3\r\n"},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("bad.csv", c.bytes);
        OpenList open(path);
        EXPECT_EQ(open.handle, nullptr) << c.name;
    }
    EXPECT_EQ(OpenList(csv("csv_header_only_commas.csv")).handle, nullptr);
    EXPECT_EQ(OpenList(csv("xfile3_truncated_preamble.csv")).handle, nullptr);
    EXPECT_EQ(csvReadColumnLine(nullptr, nullptr), static_cast<int>(EDL_NO_LINE_BUFFER));
}

TEST(CsvHeader, DirectCallResetsTheEventAndReturnsTheFirstLine) {
    OpenList open(csv("xfile3_full_preamble.csv"));
    ASSERT_NE(open.handle, nullptr);
    EdlLine event;
    edlInitEdlLineStruct(&event);
    event.dwSrcIn = 7;
    event.lAudioOffset = 3;
    event.dwEditNum = 9;
    event.chEditType = 'D';
    std::strcpy(event.szReel, "OLD");
    std::strcpy(event.szComment, "old comment");
    open.handle->list.dwUserTag = 0x1234;
    ASSERT_EQ(csvReadColumnLine(open.handle, &event), 0);
    EXPECT_STREQ(event.szLine, "Storyboard EVS XFile3 export");
    EXPECT_EQ(event.dwSrcIn, 0u);
    EXPECT_EQ(event.lAudioOffset, 0);
    EXPECT_EQ(event.dwEditNum, 0u);
    EXPECT_EQ(event.chEditType, 'C');
    EXPECT_EQ(event.dwTrackMask, 0xFFF0u);
    EXPECT_EQ(event.dwListTag, 0x1234u);
    EXPECT_STREQ(event.szReel, "");
    EXPECT_STREQ(event.szComment, "");
    EXPECT_EQ(event.dwPresent, 0u);
    // An "Auxiliary TC1" column marks the event given to the header reader.
    edlbtest::TempDir dir;
    OpenList aux(dir.write("aux.csv", "TC In,Auxiliary TC1\r\n"));
    ASSERT_NE(aux.handle, nullptr);
    ASSERT_EQ(csvReadColumnLine(aux.handle, &event), 0);
    EXPECT_EQ(event.dwPresent, 0x10u);
    EXPECT_EQ(aux.handle->list.adwColumns[1], 0u);
}

TEST(CsvHeader, XFile3MarkersChooseTheHeaderLine) {
    struct Case {
        const char* file;
        const char* header;
        uint32_t map0;
    };
    const Case cases[] = {
        {"xfile3_full_preamble.csv", "Clip ID,Clip Name,TC In,TC Out", 0x100000},
        {"xfile3_storyboard_marker_only.csv", "Clip ID,TC In,TC Out", 0x100000},
        {"xfile3_version_marker_only.csv", "XFile3 version 1,TC In,TC Out", 0},
    };
    for (const Case& c : cases) {
        OpenList open(csv(c.file));
        ASSERT_NE(open.handle, nullptr) << c.file;
        EXPECT_EQ(open.handle->bXFile3, 1) << c.file;
        EXPECT_STREQ(open.list.szColumnLine, c.header) << c.file;
        EXPECT_EQ(open.list.adwColumns[0], c.map0) << c.file;
    }
}

TEST(CsvRows, TwoRowsLieEndToEndOnTheRecordTimeline) {
    OpenList open(csv("csv_clip_id_name_tc.csv"));
    ASSERT_NE(open.handle, nullptr);
    struct Row {
        const char* clip;
        uint32_t in, out, recIn, recOut;
    };
    const Row rows[] = {
        {"Intervie", pal(1, 0, 0, 0), pal(1, 0, 10, 0), 0, pal(0, 0, 10, 0)},
        {"Intervie", pal(1, 0, 10, 0), pal(1, 0, 30, 0), pal(0, 0, 10, 0), pal(0, 0, 30, 0)},
    };
    EdlLine event;
    for (const Row& row : rows) {
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_EQ(event.dwPresent, 0x300003u);
        EXPECT_STREQ(event.szClipName, row.clip);
        EXPECT_EQ(event.dwSrcIn, row.in);
        EXPECT_EQ(event.dwSrcOut, row.out);
        EXPECT_EQ(event.dwMarkIn, 0u);
        EXPECT_EQ(event.dwMarkOut, row.out - row.in);
        EXPECT_EQ(event.dwRecIn, row.recIn);
        EXPECT_EQ(event.dwRecOut, row.recOut);
        EXPECT_EQ(event.dwVideoTracks, 1u);
        EXPECT_EQ(event.dwAudioTracks, 0xFFFFu);
        EXPECT_EQ(event.bXFile3, 0);
        EXPECT_STREQ(event.szLine, "");
        EXPECT_STREQ(event.szName, "");
        EXPECT_STREQ(event.szReel, "");
        EXPECT_STREQ(event.szComment, "");
    }
    EXPECT_EQ(open.handle->dwEventCount, 2u);
    EXPECT_EQ(open.handle->dwRecorderIn, pal(0, 0, 30, 0));
    EXPECT_EQ(open.read(&event), static_cast<int>(EDL_NO_LINE));
    EXPECT_EQ(open.handle->dwEventCount, 2u);
}

TEST(CsvRows, RecorderInSetByTheCallerStartsTheTimeline) {
    OpenList open(csv("csv_clip_id_name_tc.csv"), EDL_TC_DF);
    ASSERT_NE(open.handle, nullptr);
    ASSERT_EQ(edlSetRecorderIn(open.handle, 108000), 0u);
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwSrcIn, 107892u);  // 01:00:00:00 drop frame
    EXPECT_EQ(event.dwSrcOut, 107892u + 300u);
    EXPECT_EQ(event.dwRecIn, 108000u);
    EXPECT_EQ(event.dwRecOut, 108300u);
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwRecIn, 108300u);
    EXPECT_EQ(event.dwRecOut, 108900u);
    EXPECT_EQ(open.handle->dwRecorderIn, 108900u);
}

TEST(CsvRows, ClipNameNeedsAClipIdBeforeIt) {
    OpenList open(csv("csv_clip_name_only.csv"));
    ASSERT_NE(open.handle, nullptr);
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "");
    EXPECT_EQ(event.dwPresent, 0x3u);
}

TEST(CsvRows, DurationCountsFromTheSourceInReadSoFar) {
    struct Case {
        const char* file;
        uint32_t in, out;
    };
    const Case cases[] = {
        {"csv_dur_before_tc_in.csv", pal(0, 0, 10, 0), pal(0, 0, 5, 0)},
        {"csv_dur_after_tc_in.csv", pal(0, 0, 10, 0), pal(0, 0, 15, 0)},
    };
    for (const Case& c : cases) {
        OpenList open(csv(c.file));
        ASSERT_NE(open.handle, nullptr) << c.file;
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0) << c.file;
        EXPECT_EQ(event.dwPresent, 0x21u) << c.file;
        EXPECT_EQ(event.dwSrcIn, c.in) << c.file;
        EXPECT_EQ(event.dwSrcOut, c.out) << c.file;
        // A length before the in point wraps, as all frame arithmetic does.
        EXPECT_EQ(event.dwMarkOut, c.out - c.in) << c.file;
        EXPECT_EQ(event.dwRecOut, c.out - c.in) << c.file;
    }
}

TEST(CsvRows, EveryColumnFillsItsFieldAndNothingElse) {
    OpenList open(csv("csv_every_column.csv"));
    ASSERT_NE(open.handle, nullptr);
    const uint32_t expected[17] = {0x100000,   0x1,        0x2,        0,          0,
                                   0,          0x10000000, 0x10000000, 0x10000000, 0x10000000,
                                   0x10000000, 0x80000,    0,          0,          0x1000000,
                                   0x2000000,  0};
    for (int k = 0; k < 17; ++k) EXPECT_EQ(open.list.adwColumns[k], expected[k]) << k;
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.dwPresent, 0x100000u | 0x1 | 0x2 | 0x80000 | 0x1000000 | 0x2000000);
    EXPECT_STREQ(event.szClipName, "C1");
    EXPECT_EQ(event.dwSrcIn, pal(0, 0, 1, 0));
    EXPECT_EQ(event.dwSrcOut, pal(0, 0, 3, 12));
    EXPECT_EQ(event.lAudioOffset, 0);
    EXPECT_STREQ(event.szReel, "REEL9");
    EXPECT_STREQ(event.szComment, "");
    EXPECT_STREQ(event.szName, "");  // neither media file exists
    EXPECT_EQ(event.dwMarkOut, pal(0, 0, 2, 12));
}

TEST(CsvRows, QuotedCellsHoldCommasAndDoubledQuotes) {
    OpenList open(csv("csv_quoted_cells.csv"));
    ASSERT_NE(open.handle, nullptr);
    const uint32_t expected[6] = {0x100000, 0x200000, 0x1, 0x2, 0x80000, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(open.list.adwColumns[k], expected[k]) << k;
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "Say \"hi\"");
    EXPECT_STREQ(event.szReel, "R,1");
    EXPECT_EQ(event.dwSrcIn, pal(0, 0, 1, 0));
    EXPECT_EQ(event.dwSrcOut, pal(0, 0, 2, 0));
    EXPECT_EQ(event.dwPresent, 0x380003u);
}

TEST(CsvRows, QuotedCellEdgeCases) {
    struct Case {
        const char* row;
        const char* reel;
        uint32_t in;
    };
    // Header "Reel,TC In": what each row gives for the reel and the in point.
    const Case cases[] = {
        {"\"\",00:00:01:00", "", pal(0, 0, 1, 0)},
        {"\"a\"\"\",00:00:01:00", "a\"", pal(0, 0, 1, 0)},
        {"\"x\"y,00:00:01:00", "xy", pal(0, 0, 1, 0)},
        {"a\"b,00:00:01:00", "a\"b", pal(0, 0, 1, 0)},
        {"\"open, never closed", "open, never closed", 0},
        {"plain", "plain", 0},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        OpenList open(dir.write("q.csv", std::string("Reel,TC In\r\n") + c.row + "\r\n"));
        ASSERT_NE(open.handle, nullptr) << c.row;
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0) << c.row;
        EXPECT_STREQ(event.szReel, c.reel) << c.row;
        EXPECT_EQ(event.dwSrcIn, c.in) << c.row;
    }
}

TEST(CsvRows, XFile3EventsArePlacedOnlyByTheCaller) {
    OpenList open(csv("xfile3_full_preamble.csv"));
    ASSERT_NE(open.handle, nullptr);
    ASSERT_EQ(edlSetRecorderIn(open.handle, 500), 0u);
    EdlLine event;
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_EQ(event.bXFile3, 1);
    EXPECT_STREQ(event.szClipName, "First cl");
    EXPECT_EQ(event.dwSrcIn, pal(10, 0, 0, 0));
    EXPECT_EQ(event.dwSrcOut, pal(10, 0, 4, 0));
    EXPECT_EQ(event.dwRecIn, 0u);
    EXPECT_EQ(event.dwRecOut, 0u);
    EXPECT_EQ(event.dwMarkOut, 100u);
    EXPECT_EQ(open.handle->dwRecorderIn, 500u);
    ASSERT_EQ(csvDoXFileRec(open.handle, &event), 0);
    EXPECT_EQ(event.dwRecIn, 500u);
    EXPECT_EQ(event.dwRecOut, 600u);
    EXPECT_EQ(open.handle->dwRecorderIn, 600u);
    // The second event is skipped by the caller: the position stays.
    ASSERT_EQ(open.read(&event), 0);
    EXPECT_STREQ(event.szClipName, "Second c");
    EXPECT_EQ(event.dwRecIn, 0u);
    EXPECT_EQ(open.handle->dwRecorderIn, 600u);
    EXPECT_EQ(open.handle->dwEventCount, 2u);
    EXPECT_EQ(csvDoXFileRec(nullptr, &event), -1);
    EXPECT_EQ(csvDoXFileRec(open.handle, nullptr), -1);
}

TEST(CsvRows, MarkerOnlyExportsReadTheirRows) {
    struct Case {
        const char* file;
        const char* clip;
        uint32_t in, out;
    };
    const Case cases[] = {
        {"xfile3_storyboard_marker_only.csv", "S01", pal(0, 0, 2, 0), pal(0, 0, 5, 0)},
        {"xfile3_version_marker_only.csv", "", pal(0, 0, 1, 0), pal(0, 0, 3, 0)},
    };
    for (const Case& c : cases) {
        OpenList open(csv(c.file));
        ASSERT_NE(open.handle, nullptr) << c.file;
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0) << c.file;
        EXPECT_STREQ(event.szClipName, c.clip) << c.file;
        EXPECT_EQ(event.dwSrcIn, c.in) << c.file;
        EXPECT_EQ(event.dwSrcOut, c.out) << c.file;
        EXPECT_EQ(event.bXFile3, 1) << c.file;
        EXPECT_EQ(event.dwRecIn, 0u) << c.file;
        EXPECT_EQ(event.dwRecOut, 0u) << c.file;
        EXPECT_EQ(open.read(&event), static_cast<int>(EDL_NO_LINE)) << c.file;
    }
}

TEST(CsvRows, BadHandlesAndListsAreRefused) {
    EdlLine event;
    edlInitEdlLineStruct(&event);
    EXPECT_EQ(csvReadLine(nullptr, &event), -1);
    OpenList open(csv("csv_clip_id_name_tc.csv"));
    ASSERT_NE(open.handle, nullptr);
    EXPECT_EQ(csvReadLine(open.handle, nullptr), -1);
    open.handle->list.dwFlags &= ~EDL_LF_COLUMN_LIST;
    EXPECT_EQ(csvReadLine(open.handle, &event), -1);
    EXPECT_EQ(open.handle->dwEventCount, 0u);
}

// Every CSV test file reads the same through edlReadLine as through the CSV reader itself.
TEST(CsvRows, EdlReadLineHandsCsvListsToTheCsvReader) {
    const char* files[] = {
        "csv_clip_id_name_tc.csv",  "csv_clip_name_only.csv",       "csv_comment_two_m.csv",
        "csv_dur_after_tc_in.csv",  "csv_dur_before_tc_in.csv",     "csv_empty_header_field.csv",
        "csv_every_column.csv",     "csv_quoted_cells.csv",         "csv_twenty_columns.csv",
        "xfile3_full_preamble.csv", "xfile3_storyboard_marker_only.csv",
        "xfile3_version_marker_only.csv",
    };
    for (const char* file : files) {
        OpenList direct(csv(file));
        OpenList routed(csv(file));
        ASSERT_NE(direct.handle, nullptr) << file;
        ASSERT_NE(routed.handle, nullptr) << file;
        EdlLine a;
        EdlLine b;
        edlInitEdlLineStruct(&b);
        int rows = 0;
        for (;;) {
            const int resultA = direct.read(&a);
            const std::string textsA = std::string(a.szClipName) + "|" + a.szName + "|" +
                                       a.szReel + "|" + a.szComment;
            const uint32_t numbersA[10] = {a.dwSrcIn,  a.dwSrcOut,      a.dwMarkIn,
                                           a.dwMarkOut, a.dwRecIn,      a.dwRecOut,
                                           a.dwPresent, a.dwVideoTracks, a.dwAudioTracks,
                                           a.bXFile3};
            b.dwSrcIn = 12345;  // edlReadLine resets what the last event left
            const int resultB = static_cast<int>(edlReadLine(routed.handle, &b));
            const uint32_t numbersB[10] = {b.dwSrcIn,  b.dwSrcOut,      b.dwMarkIn,
                                           b.dwMarkOut, b.dwRecIn,      b.dwRecOut,
                                           b.dwPresent, b.dwVideoTracks, b.dwAudioTracks,
                                           b.bXFile3};
            ASSERT_EQ(resultA, resultB) << file;
            if (resultA != 0) break;
            ++rows;
            EXPECT_EQ(std::memcmp(numbersA, numbersB, sizeof numbersA), 0) << file;
            EXPECT_EQ(textsA, std::string(b.szClipName) + "|" + b.szName + "|" + b.szReel +
                                  "|" + b.szComment)
                << file;
            EXPECT_STREQ(b.szLine, "") << file;
            EXPECT_EQ(b.chEditType, 'C') << file;
            EXPECT_EQ(b.dwTrackMask, 0xFFF0u) << file;
        }
        EXPECT_GE(rows, 1) << file;
        EXPECT_EQ(direct.handle->dwEventCount, routed.handle->dwEventCount) << file;
        EXPECT_EQ(direct.handle->dwRecorderIn, routed.handle->dwRecorderIn) << file;
    }
}

// Malformed rows: every text stays within its capacity and the sanitizer build stays clean.
TEST(CsvRows, MalformedRowsAreReadSafely) {
    edlbtest::TempDir dir;
    const std::string header = "Clip ID,Clip Name,TC In,TC Out,Reel,filename,Metadata Filename\r\n";
    {
        const std::string longCell(5000, 'R');
        OpenList open(dir.write("long.csv", header + "C," + longCell + ",00:00:01:00,00:00:02:00," +
                                                longCell + "," + longCell + "," + longCell + "\r\n"));
        ASSERT_NE(open.handle, nullptr);
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0);
        // The line is cut at 4195 characters by line input; the rest comes as more rows.
        EXPECT_STREQ(event.szReel, "");
        EXPECT_STREQ(event.szClipName, "RRRRRRRR");
        EXPECT_EQ(event.dwPresent, 0x300000u);
        int rows = 1;
        while (open.read(&event) == 0) {
            ++rows;
            EXPECT_LE(std::strlen(event.szClipName), 8u);
            EXPECT_LE(std::strlen(event.szReel), 64u);
            EXPECT_LE(std::strlen(event.szName), 4098u);
        }
        EXPECT_EQ(rows, 5);  // 20,029 characters in pieces of 4195
    }
    {
        const std::string cell(3000, 'R');
        OpenList open(dir.write("reel.csv", "Reel,filename,TC In\r\n" + cell + "," +
                                                std::string(1000, 'n') + ",00:00:01:00\r\n"));
        ASSERT_NE(open.handle, nullptr);
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_EQ(std::string(event.szReel), std::string(64, 'R'));
        EXPECT_STREQ(event.szName, "");
        EXPECT_EQ(event.dwPresent, 0x80000u | 0x1000000u | 0x1u);
        EXPECT_EQ(event.dwSrcIn, pal(0, 0, 1, 0));
    }
    {
        std::string row = "C1,Na";
        row += '\0';
        row += "me,00:00:01:00\r\nC2,,00:00:02:00,00:00:03:00\r\n";
        OpenList open(dir.write("nul.csv", header + row));
        ASSERT_NE(open.handle, nullptr);
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "Na");  // the NUL ends the row's text
        EXPECT_EQ(event.dwSrcIn, 0u);
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "C2");
        EXPECT_EQ(event.dwSrcIn, pal(0, 0, 2, 0));
        EXPECT_EQ(event.dwSrcOut, pal(0, 0, 3, 0));
    }
    {
        OpenList open(dir.write("short.csv", header + "C9\r\n"));
        ASSERT_NE(open.handle, nullptr);
        EdlLine event;
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "C9");
        EXPECT_EQ(event.dwPresent, 0x100000u);
        EXPECT_EQ(event.dwSrcIn, 0u);
        EXPECT_EQ(event.dwSrcOut, 0u);
    }
    {
        OpenList open(dir.write("commas.csv", header + std::string(10000, ',') + "\r\n" +
                                                  "C3,,00:00:04:00\r\n"));
        ASSERT_NE(open.handle, nullptr);
        EdlLine event;
        // 10,000 commas arrive in three pieces of at most 4195 characters: empty rows.
        for (int piece = 0; piece < 3; ++piece) {
            ASSERT_EQ(open.read(&event), 0) << piece;
            EXPECT_EQ(event.dwPresent, 0u) << piece;
        }
        ASSERT_EQ(open.read(&event), 0);
        EXPECT_STREQ(event.szClipName, "C3");
        EXPECT_EQ(event.dwSrcIn, pal(0, 0, 4, 0));
        EXPECT_EQ(open.read(&event), static_cast<int>(EDL_NO_LINE));
        EXPECT_EQ(open.handle->dwEventCount, 4u);
    }
    {
        // A header of 10,000 commas and one name far past the mapped columns.
        OpenList open(dir.write("wide.csv", std::string(10000, ',') + "TC In\r\n"));
        EXPECT_EQ(open.handle, nullptr);
    }
}

// Media lookup with real files: beside the named file, beside the list, or not at all.
class CsvMedia : public ::testing::Test {
protected:
    edlbtest::TempDir dir;
    std::string touch(const std::string& relative) {
        const std::filesystem::path path = std::filesystem::path(dir.path()) / relative;
        std::filesystem::create_directories(path.parent_path());
        return dir.write(relative, "media");
    }
    // Reads the one row of a list whose header is the given media column.
    EdlLine readCell(const std::string& column, const std::string& cell) {
        EdlLine event;
        edlInitEdlLineStruct(&event);
        OpenList open(dir.write("list.csv", column + ",TC In\r\n\"" + cell + "\",00:00:01:00\r\n"));
        EXPECT_NE(open.handle, nullptr);
        if (open.handle != nullptr) {
            EXPECT_EQ(open.read(&event), 0);
        }
        return event;
    }
};

TEST_F(CsvMedia, FilenameAsWrittenOrWithAMovieExtension) {
    const std::string wav = touch("media/clip02.wav");
    EdlLine event = readCell("filename", wav);
    EXPECT_EQ(std::string(event.szName), wav);
    EXPECT_EQ(event.dwPresent, 0x1000001u);

    const std::string mov = touch("media/clip01.mov");
    event = readCell("filename", dir.path() + "/media/clip01.mxf");
    EXPECT_EQ(std::string(event.szName), mov);
    EXPECT_EQ(event.dwPresent, 0x1000001u);

    // A metadata column never takes the file as written.
    touch("media/clip09.wav");
    event = readCell("Metadata Filename", dir.path() + "/media/clip09.wav");
    EXPECT_STREQ(event.szName, "");
    EXPECT_EQ(event.dwPresent, 0x2000001u);
}

TEST_F(CsvMedia, EvsMetadataNameIsReplacedWhole) {
    const std::string mxf = touch("media/clip03.mxf");
    EdlLine event = readCell("Metadata Filename", dir.path() + "/media/clip03.evs.xml");
    EXPECT_EQ(std::string(event.szName), mxf);
    EXPECT_EQ(event.dwPresent, 0x1000001u);

    event = readCell("Metadata Filename", dir.path() + "/media/clip03.EVS.XML");
    EXPECT_EQ(std::string(event.szName), mxf);

    const std::string avi = touch("media/take.avi");
    event = readCell("filename", dir.path() + "/media/take.rtin");
    EXPECT_EQ(std::string(event.szName), avi);
}

TEST_F(CsvMedia, FoundBesideTheList) {
    // The media's own folder name is looked for in the list's folder first.
    const std::string inFolder = touch("clips/clip04.avi");
    EdlLine event = readCell("Metadata Filename", "/nowhere/far/clips/clip04.evs.xml");
    EXPECT_EQ(std::string(event.szName), inFolder);
    EXPECT_EQ(event.dwPresent, 0x1000001u);

    const std::string beside = touch("clip05.mov");
    event = readCell("Metadata Filename", "/nowhere/far/other/clip05.evs.xml");
    EXPECT_EQ(std::string(event.szName), beside);

    // Names written on another system: backslashes and a drive letter.
    const std::string windows = touch("clips/clip06.mxf");
    event = readCell("filename", "D:\\media\\clips\\clip06.evs.xml");
    EXPECT_EQ(std::string(event.szName), windows);
    EXPECT_EQ(event.dwPresent, 0x1000001u);

    // A name too short for an extension is tried as written, then beside the list.
    const std::string shortName = touch("ab.mov");
    event = readCell("filename", "ab");
    EXPECT_EQ(std::string(event.szName), shortName);
}

TEST_F(CsvMedia, NotFoundLeavesTheNameEmpty) {
    struct Case {
        const char* column;
        std::string cell;
        uint32_t present;
    };
    const Case cases[] = {
        {"Metadata Filename", "/nowhere/clip08.evs.xml", 0x2000001u},
        {"filename", "/nowhere/clip08.mov", 0x1000001u},
        {"filename", "x", 0x1000001u},
        {"Metadata Filename", "xy", 0x2000001u},
        {"filename", std::string(4000, 'a') + "/" + std::string(90, 'b') + ".evs.xml", 0x1000001u},
        {"filename", ".evs.xml", 0x1000001u},
    };
    for (const Case& c : cases) {
        EdlLine event = readCell(c.column, c.cell);
        EXPECT_STREQ(event.szName, "") << c.cell.substr(0, 40);
        EXPECT_EQ(event.dwPresent, c.present) << c.cell.substr(0, 40);
    }
}

}  // namespace
