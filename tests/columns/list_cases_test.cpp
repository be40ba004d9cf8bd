// Column and CSV lists read against their expected dumps, through the family's own reader
// and through edlReadLine; bad handles given to the readers.
#include "columns/list_cases.h"

#include <gtest/gtest.h>

namespace {

using edlbtest::ListCase;
using edlbtest::Reader;

class ListCases : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListCases, ReadAsExpected) {
    const ListCase& c = GetParam();
    const std::string direct = edlbtest::dumpCase(c, Reader::Direct);
    if (c.refused) {
        EXPECT_EQ(direct, "open: failed\n");
        return;
    }
    EXPECT_EQ(direct, edlbtest::expectedDump(c, direct));
    // edlReadLine hands every column list to the reader itself.
    if (!c.unrouted) {
        EXPECT_EQ(edlbtest::dumpCase(c, Reader::Routed), direct);
    }
}

std::string caseName(const ::testing::TestParamInfo<ListCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Columns, ListCases, ::testing::ValuesIn(edlbtest::loadCases("columns")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Csv, ListCases, ::testing::ValuesIn(edlbtest::loadCases("csv")), caseName);

// A lost or unreadable manifest would otherwise leave nothing to run.
TEST(ColumnReaders, ManifestsListTheirCases) {
    EXPECT_EQ(edlbtest::loadCases("columns").size(), 31u);
    EXPECT_EQ(edlbtest::loadCases("csv").size(), 35u);
}

TEST(ColumnReaders, BadHandlesAndRecordsAreRefused) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* ale = edlOpen(edlbtest::dataPath("columns/ale_every_column.ale").c_str(),
                                  nullptr, EDL_OPEN_READ, &list);
    tagKvEdlHandle* csv = edlOpen(edlbtest::dataPath("csv/csv_clip_id_name_tc.csv").c_str(),
                                  nullptr, EDL_OPEN_READ, &list);
    ASSERT_TRUE(ale != nullptr && csv != nullptr);
    EdlLine e;
    edlInitEdlLineStruct(&e);
    EXPECT_EQ(edlReadColumnLine(nullptr, &e), int(EDL_NO_LINE_BUFFER));
    EXPECT_EQ(edlReadColumnLine(ale, nullptr), -1);
    EXPECT_EQ(csvReadColumnLine(nullptr, nullptr), int(EDL_NO_LINE_BUFFER));
    EXPECT_EQ(csvReadLine(nullptr, &e), -1);
    EXPECT_EQ(csvReadLine(csv, nullptr), -1);
    EXPECT_EQ(csvDoXFileRec(nullptr, &e), -1);
    EXPECT_EQ(csvDoXFileRec(csv, nullptr), -1);
    for (tagKvEdlHandle* h : {ale, csv}) {
        h->dwReading = 0;
        EXPECT_EQ(edlReadColumnLine(h, &e), int(EDL_WRONG_DIRECTION));
        EXPECT_EQ(csvReadColumnLine(h, &e), int(EDL_WRONG_DIRECTION));
        h->dwReading = 1;
        char* buffer = h->pszLineBuf;
        h->pszLineBuf = nullptr;
        EXPECT_EQ(edlReadColumnLine(h, &e), int(EDL_NO_LINE_BUFFER));
        EXPECT_EQ(csvReadColumnLine(h, &e), int(EDL_NO_LINE_BUFFER));
        h->pszLineBuf = buffer;
    }
    // Without the column list flag a list is no CSV list, and no event is counted.
    csv->list.dwFlags &= ~EDL_LF_COLUMN_LIST;
    EXPECT_EQ(csvReadLine(csv, &e), -1);
    EXPECT_EQ(csv->dwEventCount, 0u);
    edlClose(ale);
    edlClose(csv);
}

}  // namespace
