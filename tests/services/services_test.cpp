// The services: clip names, paths, timecodes, the source list and memory. Cases live in
// tab-separated tables under tests/data/write: '#' lines are notes; in a cell \t, \r, \n
// and a doubled backslash are escapes, {N*c} is N times c and ~ a null pointer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "core/handle.h"
#include "services/clip.h"
#include "services/timecode.h"
#include "services/utility.h"
#include "support/test_support.h"

namespace {

using Row = std::vector<std::string>;

std::vector<Row> table(const std::string& name) {
    std::ifstream in(edlbtest::dataPath("write/" + name));
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Row& row = rows.emplace_back(1);
        for (size_t i = 0; i < line.size(); ++i) {
            const size_t star = line.find('*', i), close = line.find('}', i);
            const bool escaped = line[i] == '\\' && i + 1 < line.size();
            const char c = line[i += escaped ? 1 : 0];
            if (!escaped && c == '\t') {
                row.emplace_back();
            } else if (!escaped && c == '{' && close != std::string::npos) {
                row.back().append(std::stoul(line.substr(i + 1, star - i - 1)), line[star + 1]);
                i = close;
            } else {
                const size_t k = escaped ? std::string("trn").find(c) : std::string::npos;
                row.back() += k != std::string::npos ? "\t\r\n"[k] : c;
            }
        }
    }
    EXPECT_FALSE(rows.empty()) << "no rows in " << name;
    return rows;
}

const char* text(const std::string& cell) { return cell == "~" ? nullptr : cell.c_str(); }
unsigned number(const std::string& cell) { return unsigned(std::stoul(cell, nullptr, 0)); }

// Guard bytes after the 11-byte name must survive every source.
TEST(ClipName, WhereTheNameEnds) {
    for (const Row& row : table("service_clip_names.tsv")) {
        char buffer[16];
        std::memset(buffer, 'Z', sizeof buffer);
        strcpyClip(buffer, text(row.at(0)));
        EXPECT_EQ(std::string(buffer) + "|" + std::string(buffer + 11, 5), row.at(1) + "|ZZZZZ")
            << "'" << row[0] << "'";
    }
    strcpyClip(nullptr, "Clip");
}

// The path and its drive, directory, name and extension, from buffers filled with 'Z'.
Row split(const std::string& path) {
    std::vector<char> b(4 * kKvPathMax, 'Z');
    const size_t n = kKvPathMax;
    kvOSSplitPath(path.c_str(), &b[0], &b[n], &b[2 * n], &b[3 * n]);
    return {path, &b[0], &b[n], &b[2 * n], &b[3 * n]};
}

// Each path splits into its parts, and the parts join back into the path.
TEST(Paths, SplitAndJoinBack) {
    for (const Row& row : table("service_split_paths.tsv")) {
        const Row p = split(row.at(0));
        EXPECT_EQ(p, row);
        char out[kKvPathMax];
        kvOSMakePath(out, p[1].c_str(), p[2].c_str(), p[3].c_str(), p[4].c_str());
        EXPECT_STREQ(out, row[0].c_str());
    }
    char name[kKvPathMax] = "old", directory[kKvPathMax] = "old";
    kvOSSplitPath("C:\\a\\b.mov", nullptr, nullptr, name, nullptr);
    kvOSSplitPath(nullptr, nullptr, directory, nullptr, nullptr);
    EXPECT_EQ(std::string(name) + "|" + directory, "b|");
    // Overlong parts are cut to their buffers.
    const std::string longDirectory = "/" + std::string(5000, 'd') + "/", longName(5000, 'n');
    const Row cut = split(longDirectory + longName + "." + std::string(5000, 'e'));
    EXPECT_EQ(cut[2], longDirectory.substr(0, kKvPathMax - 1));
    EXPECT_EQ(cut[3], longName.substr(0, kKvPathMax - 1));
    EXPECT_EQ(cut[4], "." + std::string(kKvPathMax - 2, 'e'));
}

TEST(Paths, MakeAndFull) {
    for (const Row& row : table("service_make_paths.tsv")) {
        char out[kKvPathMax];
        kvOSMakePath(out, text(row.at(0)), text(row.at(1)), text(row.at(2)), text(row.at(3)));
        EXPECT_EQ(std::string(out), row.at(4));
    }
    char cwd[kKvPathMax], out[kKvPathMax];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    for (Row row : table("service_full_paths.tsv")) {
        if (row.at(1).rfind("$CWD/", 0) == 0) row[1].replace(0, std::strcmp(cwd, "/") ? 4 : 5, cwd);
        kvOSFullPath(out, row[0].c_str(), sizeof out);
        EXPECT_EQ(std::string(out), row[1]);
    }
    // Cut to the size given, never past it; size 0 leaves the buffer alone.
    std::strcpy(out, "ZZZZZZZ");
    kvOSFullPath(out, "/abcdefghijk", 5);
    kvOSFullPath(out + 6, "/abc", 0);
    EXPECT_EQ(std::string(out, 8), std::string("/abc\0ZZ\0", 8));
    kvOSFullPath(out, "/abc", 1);
    EXPECT_EQ(out[0], '\0');
    char path[] = "C:\\media\\sub/clip.mov";
    kvOSFixSeparators(path);
    kvOSFixSeparators(nullptr);
    EXPECT_STREQ(path, "C:/media/sub/clip.mov");
}

TEST(Paths, FilesAndDirectories) {
    edlbtest::TempDir dir;
    const std::pair<std::string, int> cases[] = {  // 1: a file, 2: a directory
        {dir.write("clip.mov", "x"), 1}, {dir.write("empty.mov", ""), 1}, {dir.path(), 2},
        {dir.path() + "/", 2}, {dir.file("missing.mov"), 0}, {"", 0}};
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(kvOSFileExists(path.c_str()) + 2 * kvOSFileIsDir(path.c_str()), kind) << path;
    }
    EXPECT_EQ(kvOSFileExists(nullptr) + kvOSFileIsDir(nullptr), 0);
}

constexpr unsigned kMarker = 0x2000, kSeparated = 0x10000, kReserved = 0x40000;

std::string toText(unsigned frames, unsigned flags) {
    char out[16];
    std::memset(out, 'Z', sizeof out);
    tc2String(frames, flags, out);
    EXPECT_NE(std::memchr(out, '\0', sizeof out), nullptr) << "not terminated";
    return std::string(out);
}

// Texts read as counts (0 when invalid); bit 8, always set by callers, changes nothing.
TEST(Timecode, TextsToFrames) {
    for (const Row& row : table("service_timecode_frames.tsv")) {
        for (unsigned flags : {number(row.at(1)), number(row[1]) | 0x100}) {
            unsigned frames = 0xDEADBEEFu;
            const int rc = tc2Frame(row[0].c_str(), flags, &frames);
            EXPECT_EQ(frames, number(row.at(2))) << "'" << row[0] << "' " << flags;
            EXPECT_EQ(rc == 0, row.at(3) == "1") << "'" << row[0] << "' " << flags;
        }
    }
    unsigned frames = 77;
    EXPECT_NE(tc2Frame(nullptr, 0x02, &frames), 0);
    EXPECT_EQ(frames, 0u);
}

// Counts written as texts; the reserved bit and bit 8 change nothing.
TEST(Timecode, FramesToTexts) {
    for (const Row& row : table("service_timecode_texts.tsv")) {
        for (unsigned flags : {number(row.at(1)), number(row[1]) | kReserved | 0x100}) {
            EXPECT_EQ(toText(number(row.at(0)), flags), row.at(2)) << row[0] << " " << flags;
        }
    }
}

// Every text form of a count reads back as that count.
void expectRoundTrip(unsigned frames, unsigned mode) {
    for (unsigned form : {kSeparated | kMarker, kSeparated, 0u}) {
        const std::string text = toText(frames, mode | form);
        unsigned back = 0;
        EXPECT_EQ(tc2Frame(text.c_str(), mode | 0x100, &back), 0) << text;
        EXPECT_EQ(back, frames) << "mode " << mode << " '" << text << "'";
    }
}

TEST(Timecode, RoundTripsInEveryMode) {
    const unsigned modes[][2] = {{0x01, 24 * 86400}, {0x02, 30 * 86400}, {0x04, 17982 * 144},
        {0x08, 25 * 86400}, {0x10, 50 * 86400}, {0x20, 35964 * 144}, {0x40, 60 * 86400},
        {0x44, 100 * 86400}, {0x80, 24 * 86400}, {0x84, 24 * 86400}};  // frames in 24 hours
    for (const auto& m : modes) {
        for (unsigned frames = 0; frames < m[1]; frames += 7919u) expectRoundTrip(frames, m[0]);
        expectRoundTrip(m[1] - 1u, m[0]);
        // Every count of the first twelve minutes in drop modes, around each skipped label.
        const unsigned twelveMinutes = m[0] == 0x04 || m[0] == 0x20 ? m[1] / 120 : 0;
        for (unsigned frames = 0; frames < twelveMinutes; ++frames) expectRoundTrip(frames, m[0]);
    }
}

// The entries from head to tail with their values, then the count.
std::string walk(const KvList* list) {
    std::string out;
    for (void* p = kv_ListHead(list); p != nullptr; p = kv_ListNext(p)) {
        out += std::string(static_cast<EdlSourceEntry*>(p)->szSourceName) + "=";
        out += std::string(static_cast<EdlSourceEntry*>(p)->szSourceValue) + " ";
    }
    return out + "(" + std::to_string(kv_ListCount(list)) + ")";
}

// Entries come back newest first, their fields untouched by the links; an emptied list is
// used again, and a closed one forgets entries its owner still holds.
TEST(SourceList, AddWalkRemoveReuseAndClose) {
    KvList list;
    std::memset(&list, 0x5A, sizeof list);
    kv_ListInit(&list);
    EXPECT_EQ(kv_ListRemoveTail(&list), nullptr);
    EXPECT_EQ(walk(&list), "(0)");
    std::vector<EdlSourceEntry*> entries;
    const char* names[] = {"AX", "BX", "CX", "TWO", "THREE"};
    for (const char* name : names) {
        const std::string value = std::string(name) + ".mov";
        entries.push_back(edlb::newSourceEntry(name, 99, value.c_str(), value.size()));
        if (entries.size() <= 3) kv_ListAddTail(&list, entries.back());
    }
    EXPECT_EQ(walk(&list), "AX=AX.mov BX=BX.mov CX=CX.mov (3)");
    const char* rests[] = {"(0)", "AX=AX.mov (1)", "AX=AX.mov BX=BX.mov (2)"};
    for (int i = 2; i >= 0; --i) {
        EXPECT_EQ(kv_ListRemoveTail(&list), entries[i]);
        EXPECT_EQ(walk(&list), rests[i]);
    }
    EXPECT_EQ(kv_ListRemoveTail(&list), nullptr);
    kv_ListAddTail(&list, entries[3]);
    kv_ListAddTail(&list, entries[4]);
    EXPECT_EQ(walk(&list), "TWO=TWO.mov THREE=THREE.mov (2)");
    kv_ListClose(&list);
    EXPECT_EQ(walk(&list), "(0)");
    EXPECT_EQ(std::string(entries[3]->szSourceName) + entries[4]->szSourceName, "TWOTHREE");
    for (EdlSourceEntry* entry : entries) edlb::deleteSourceEntry(entry);
}

TEST(Memory, AllocZeroAndCopy) {
    auto* block = static_cast<char*>(KvAlloc(4197));
    ASSERT_NE(block, nullptr);
    std::memset(block, 'x', 4197);
    kvOSZeroMemory(block + 1, 4195);
    EXPECT_EQ(std::string(block, 4197), "x" + std::string(4195, '\0') + "x");
    kvOSCopyMemory(block, "source text", 12);
    kvOSCopyMemory(block + 2, block, 12);  // overlapping copies keep the bytes they move
    EXPECT_EQ(std::string(block, 14), std::string("sosource text", 14));
    KvFree(block);
    void* empty = KvAlloc(0);
    EXPECT_NE(empty, nullptr);
    KvFree(empty);
    KvFree(nullptr);
}

}  // namespace
