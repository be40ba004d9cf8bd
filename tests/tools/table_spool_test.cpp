// The table kept while a list is read: rows padded the same whether they stayed in memory
// or went through a temporary file.
#include "render.h"
#include "table_spool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using edlbtool::Row;
using edlbtool::TableSpool;

// Every row through a spool that keeps at most memoryLimit bytes in memory; the pieces
// handed out, put together.
std::string spooled(const std::vector<Row>& rows, size_t memoryLimit, bool* spilled = nullptr,
                    size_t* pieces = nullptr) {
    TableSpool spool(memoryLimit);
    for (const Row& row : rows) EXPECT_EQ(spool.add(row), "");
    if (spilled != nullptr) *spilled = spool.spilled();
    std::string out;
    size_t count = 0;
    EXPECT_EQ(spool.replay([&out, &count](const std::string& piece) {
        out += piece;
        ++count;
        return true;
    }), "");
    if (pieces != nullptr) *pieces = count;
    return out;
}

struct Case {
    const char* what;
    std::vector<Row> rows;
    const char* expected;
};

TEST(TableSpool, PadsEveryColumnToItsWidestCell) {
    const Case cases[] = {
        {"header wider than the cells",
         {{"EDIT", "REEL", "COMMENT"}, {"1", "AX", "a note"}, {"2", "B", "-"}},
         "EDIT  REEL  COMMENT\n1     AX    a note\n2     B     -\n"},
        {"a cell wider than its header",
         {{"A", "B"}, {"LONGREEL01", "x"}, {"R", "y"}},
         "A           B\nLONGREEL01  x\nR           y\n"},
        {"wide and combined characters count as they show",
         {{"NAME", "N"}, {"東京", "1"}, {"Cafe\xCC\x81", "2"}},
         "NAME  N\n東京  1\nCafe\xCC\x81  2\n"},
        {"a row with fewer cells and an empty row",
         {{"A", "B", "C"}, {"long one"}, {}, {"x", "y", "z"}},
         "A         B  C\nlong one\n\nx         y  z\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool spilled = true;
        EXPECT_EQ(spooled(c.rows, 1u << 20, &spilled), c.expected);
        EXPECT_FALSE(spilled);
        // Every row to the temporary file as soon as it is added.
        EXPECT_EQ(spooled(c.rows, 1, &spilled), c.expected);
        EXPECT_TRUE(spilled);
    }
}

// Rows read back from the file in several reads, some cut in two by a read: the table is
// the one the rows make side by side in memory, handed out in pieces.
TEST(TableSpool, LongTableThroughTheFile) {
    std::vector<Row> rows{{"EDIT", "REEL", "CLIP NAME", "COMMENT"}};
    for (int i = 1; i <= 12000; ++i) {
        rows.push_back({std::to_string(i), "R" + std::to_string(i % 97),
                        std::string(static_cast<size_t>(i % 37), 'c') + "\xC3\xA9",
                        "note " + std::string(static_cast<size_t>(i % 53), 'n')});
    }
    const std::string expected = edlbtool::renderColumns(rows);
    ASSERT_GT(expected.size(), 3 * TableSpool::kPiece);
    bool spilled = false;
    size_t pieces = 0;
    EXPECT_EQ(spooled(rows, 4096, &spilled, &pieces), expected);
    EXPECT_TRUE(spilled);
    EXPECT_GT(pieces, 3u);
    EXPECT_EQ(spooled(rows, 1u << 30, &spilled), expected);
    EXPECT_FALSE(spilled);
}

TEST(TableSpool, RefusedPieceStopsTheTable) {
    for (size_t limit : {size_t{1}, size_t{1} << 20}) {
        TableSpool spool(limit);
        ASSERT_EQ(spool.add({"A", "B"}), "");
        ASSERT_EQ(spool.add({"1", "2"}), "");
        size_t offered = 0;
        EXPECT_EQ(spool.replay([&offered](const std::string&) {
            ++offered;
            return false;
        }), "write failed");
        EXPECT_EQ(offered, 1u);
    }
}

}  // namespace
