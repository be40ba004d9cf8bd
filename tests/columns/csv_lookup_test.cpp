// CSV header names and media lookup: what each column name maps to, and which existing
// movie file a media cell resolves to.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "columns/list_cases.h"

namespace {

// A CSV list of the given bytes, opened for reading in dir.
struct CsvList {
    EdlList list;
    tagKvEdlHandle* handle;
    CsvList(const edlbtest::TempDir& dir, const std::string& bytes) {
        edlInitEdlListStruct(&list);
        handle = edlOpen(dir.write("list.csv", bytes).c_str(), nullptr, EDL_OPEN_READ, &list);
    }
    ~CsvList() { edlClose(handle); }
};

// tests/data/csv/header_names.tsv: a header line and the map value of its first field.
TEST(CsvHeaderNames, EveryNameHasItsMapValue) {
    std::ifstream table(edlbtest::dataPath("csv/header_names.tsv"));
    int rows = 0;
    for (std::string line; std::getline(table, line);) {
        if (line[0] == '#') continue;
        const std::string header = line.substr(0, line.find('\t'));
        const std::string value = line.substr(header.size() + 1);
        edlbtest::TempDir dir;
        CsvList csv(dir, header + "\r\nx\r\n");
        ++rows;
        if (value == "refused") {
            EXPECT_EQ(csv.handle, nullptr) << header;
        } else if (csv.handle == nullptr) {
            ADD_FAILURE() << header << " refused";
        } else {
            EXPECT_EQ(csv.list.adwColumns[0], std::stoul(value, nullptr, 0)) << header;
        }
    }
    EXPECT_EQ(rows, 39);
}

// Media cells: the file made in the list's folder ("$D"), the column, the cell, whether the
// cell resolves to that file, and the flags of the event.
TEST(CsvMediaLookup, CellResolvesToAnExistingMovie) {
    const char *file = "filename", *meta = "Metadata Filename";
    // A found file, or any file column, sets the file name flag; a metadata cell not found sets
    // the missing media flag.
    const uint32_t kFile = 0x1000001, kMissing = 0x2000001;
    const std::string longName = std::string(4000, 'a') + "/" + std::string(90, 'b') + ".evs.xml";
    struct Row {
        const char *made, *column;
        std::string cell;
        bool found;
        uint32_t present;
    } rows[] = {
        {"media/clip02.wav", file, "$D/media/clip02.wav", true, kFile},
        {"media/clip01.mov", file, "$D/media/clip01.mxf", true, kFile},
        // A metadata column never takes the file as written.
        {"media/clip09.wav", meta, "$D/media/clip09.wav", false, kMissing},
        // EVS metadata names lose their whole ".evs.xml", in any case.
        {"media/clip03.mxf", meta, "$D/media/clip03.evs.xml", true, kFile},
        {"media/clip03.mxf", meta, "$D/media/clip03.EVS.XML", true, kFile},
        {"media/take.avi", file, "$D/media/take.rtin", true, kFile},
        // Beside the list, first in a folder named like the media's own last folder.
        {"clips/clip04.avi", meta, "/nowhere/far/clips/clip04.evs.xml", true, kFile},
        {"clip05.mov", meta, "/nowhere/far/other/clip05.evs.xml", true, kFile},
        {"clips/clip06.mxf", file, "D:\\media\\clips\\clip06.evs.xml", true, kFile},
        // Too short for an extension: tried as written, then beside the list.
        {"ab.mov", file, "ab", true, kFile},
        {"", meta, "/nowhere/clip08.evs.xml", false, kMissing},
        {"", file, "/nowhere/clip08.mov", false, kFile},
        {"", file, "x", false, kFile},
        {"", meta, "xy", false, kMissing},
        {"", file, longName, false, kFile},
        {"", file, ".evs.xml", false, kFile},
    };
    for (const Row& row : rows) {
        edlbtest::TempDir dir;
        const std::string cell =
            row.cell.rfind("$D", 0) == 0 ? dir.path() + row.cell.substr(2) : row.cell;
        if (*row.made != '\0') {
            std::filesystem::create_directories(
                std::filesystem::path(dir.file(row.made)).parent_path());
            dir.write(row.made, "media");
        }
        CsvList csv(dir, std::string(row.column) + ",TC In\r\n\"" + cell + "\",00:00:01:00\r\n");
        ASSERT_NE(csv.handle, nullptr) << row.cell;
        EdlLine event;
        edlInitEdlLineStruct(&event);
        ASSERT_EQ(csvReadLine(csv.handle, &event), 0) << row.cell;
        EXPECT_EQ(std::string(event.szName), row.found ? dir.file(row.made) : "")
            << cell.substr(0, 40);
        EXPECT_EQ(event.dwPresent, row.present) << cell.substr(0, 40);
    }
}

}  // namespace
