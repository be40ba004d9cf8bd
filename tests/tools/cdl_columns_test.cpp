// Grades between cuts and logs: a CMX list's "ASC_SOP" and "ASC_SAT" notes become a log's
// ASC_SOP and ASC_SAT columns and come back as notes, with the values as written. The
// expected lists in tests/data/markers are written by hand from graded_cut.edl.
#include "tool_test.h"

#include "cdl.h"
#include "text_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace edlbtool;
using edlbtest::dataPath;
using edlbtest::readFile;
using edlbtest::RunResult;
using edlbtest::runTool;
using edlbtest::TempDir;

namespace {

std::string withLineEnds(const std::string& text, const std::string& end) {
    std::string out;
    for (const std::string& line : splitLines(text)) out += line + end;
    return out;
}

// Converts the list file name in dir (holding text) to type; the written bytes.
std::string converted(TempDir& dir, const std::string& name, const std::string& text,
                      const std::string& type, const std::vector<std::string>& more = {}) {
    dir.write(name, text);
    std::vector<std::string> args = {"convert", name, "--to", type, "-o", "out"};
    args.insert(args.end(), more.begin(), more.end());
    const RunResult run = runTool(args, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    return readFile(dir.file("out"));
}

}  // namespace

TEST(CdlColumns, CutToLogEveryLineEnd) {
    const std::string cut = readFile(dataPath("markers/graded_cut.edl"));
    const std::string expected = readFile(dataPath("markers/graded_cut.expected.ale"));
    ASSERT_FALSE(cut.empty());
    ASSERT_FALSE(expected.empty());
    for (const char* end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(static_cast<int>(end[0]) + static_cast<int>(end[1]));
        TempDir dir;
        EXPECT_EQ(converted(dir, "graded_cut.edl", withLineEnds(cut, end), "ale"), expected);
    }
}

TEST(CdlColumns, LogToCutAndBackToLog) {
    const std::string log = readFile(dataPath("markers/graded_cut.expected.ale"));
    TempDir dir;
    const std::string cut = converted(dir, "graded_cut.ale", log, "cmx3600");
    EXPECT_EQ(cut, readFile(dataPath("markers/graded_cut.expected.cmx3600.edl")));
    // The cut read again gives the log back, every grade column and value as it was.
    EXPECT_EQ(converted(dir, "again.edl", cut, "ale"), log);
}

TEST(CdlColumns, LegacyKeepsTheDocumentedLog) {
    TempDir dir;
    const std::string log =
        converted(dir, "graded_cut.edl", readFile(dataPath("markers/graded_cut.edl")), "ale", {"--legacy"});
    EXPECT_EQ(log.find("ASC_SOP\t"), std::string::npos);
    EXPECT_EQ(log.find("\tASC_SAT"), std::string::npos);
}

TEST(CdlColumns, CsvLogGivesNoCommaSeparatedColumn) {
    TempDir dir;
    const std::string log =
        converted(dir, "grades_log.csv", readFile(dataPath("markers/grades_log.csv")), "ale");
    const std::vector<std::string> rows = splitLines(log);
    ASSERT_GE(rows.size(), 8u);
    EXPECT_EQ(rows[7],
              "Name\tTracks\tStart\tEnd\tTape\tSource File\tComments\tMark IN\tMark OUT\t"
              "Record Start\tRecord End\tEvent\tTransition");
}

TEST(CdlColumns, NotesInEitherForm) {
    struct Case {
        const char* notes;
        const char* asColumns;
        const char* asNotes;
    };
    const Case cases[] = {
        {"ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
         "ASC_SOP: (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)",
         "ASC_SOP (1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)"},
        {"FROM CLIP NAME: A\nASC_SAT 0.9\nsky", "FROM CLIP NAME: A\nASC_SAT: 0.9\nsky",
         "FROM CLIP NAME: A\nASC_SAT 0.9\nsky"},
        {"ASC_SOP(1 1 1)(0 0 0)(1 1 1)", "ASC_SOP: (1 1 1)(0 0 0)(1 1 1)",
         "ASC_SOP(1 1 1)(0 0 0)(1 1 1)"},
        {"ASC_SAT:   1.0500", "ASC_SAT:   1.0500", "ASC_SAT 1.0500"},
        // A column's own spelling stays with its column.
        {"asc_sat: 2", "asc_sat: 2", "asc_sat 2"},
        // Not a grade: left as written.
        {"ASC_SOP (1 1 x)(0 0 0)(1 1 1)", "ASC_SOP (1 1 x)(0 0 0)(1 1 1)",
         "ASC_SOP (1 1 x)(0 0 0)(1 1 1)"},
        {"ASC_SATURATION 2", "ASC_SATURATION 2", "ASC_SATURATION 2"},
        {"ASC_SAT: high", "ASC_SAT: high", "ASC_SAT: high"},
        {"", "", ""},
        {"a\n\nASC_SAT 1\n", "a\n\nASC_SAT: 1\n", "a\n\nASC_SAT 1\n"},
    };
    for (const Case& c : cases) {
        std::string columns = c.notes, notes = c.notes;
        putCdlNotesInForm(columns, true);
        putCdlNotesInForm(notes, false);
        EXPECT_EQ(columns, c.asColumns) << c.notes;
        EXPECT_EQ(notes, c.asNotes) << c.notes;
    }
}

TEST(CdlColumns, KeywordsFoundAnywhere) {
    struct Case {
        const char* text;
        bool sop, sat;
    };
    const Case cases[] = {
        {"* ASC_SOP (1 1 1)(0 0 0)(1 1 1)", true, false},
        {"\"asc_sat\": 0.9", false, true},
        {"Name\tAsc_Sop\tASC_SAT", true, true},
        {"ASC_", false, false},
        {"_SOP ASC SAT", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        const CdlNames names = cdlNamesIn(c.text);
        EXPECT_EQ(names.sop, c.sop) << c.text;
        EXPECT_EQ(names.sat, c.sat) << c.text;
    }
    // A keyword across the pieces a file is read in is found too.
    TempDir dir;
    for (size_t cut = 65530; cut <= 65537; ++cut) {
        dir.write("list.edl", std::string(cut, 'x') + "ASC_SAT 1");
        const CdlNames names = cdlNamesInFile(dir.file("list.edl"));
        EXPECT_FALSE(names.sop) << cut;
        EXPECT_TRUE(names.sat) << cut;
    }
    EXPECT_FALSE(cdlNamesInFile(dir.file("missing.edl")).sat);
}
