// Detection through the list-type table: each probe recognises its row, the probe order
// settles lines that two probes would claim, and what detection yields agrees with the
// table's detectable, reader and read-back columns.
#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/handle.h"
#include "core/list_types.h"
#include "core/readers.h"
#include "support/test_support.h"

namespace {

using edlb::ListTypeInfo;
using edlb::Probe;
using edlb::ReaderKind;

const char kEvent[] =
    "001  AX       V     C        01:00:00:00 01:00:05:00 01:00:00:00 01:00:05:00\r\n";

// Opens a file for reading: the type detection gave and the reader that takes its events,
// or type 0 when the open fails.
struct Opened {
    uint32_t type;
    ReaderKind reader;
};

Opened openForReading(const std::string& path) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    if (h == nullptr) return {0, ReaderKind::Refused};
    const Opened opened{list.dwListType, edlb::readerOf(h->list)};
    edlClose(h);
    return opened;
}

struct ProbeCase {
    Probe probe;
    const char* fileName;
    std::string contents;
    uint32_t type;  // what opening the file gives; 0: the open fails
};

// One list per probe, recognised by that probe alone.
const std::vector<ProbeCase> kProbeCases = {
    {Probe::CsvName, "log.csv", "Clip Name,TC In,TC Out\r\nShot,00:00:01:00,00:00:02:00\r\n", 46},
    {Probe::OwnClipLine, "clip.edl",
     "Type: BrimvelXJTClip\r\n* Clip: 'Shot' 00:00:00:00 00:00:30:00\r\n", 2},
    {Probe::OwnListLine, "list.edl", std::string("Type: BrimvelXJTList\r\n") + kEvent, 1},
    {Probe::DsLine, "ds.edl", std::string("*DS type=header major=1 minor=0\r\n") + kEvent, 45},
    {Probe::TitleOrFcm, "title.edl", std::string("TITLE: Cut\r\n") + kEvent, 251},
    {Probe::FrameCodeLine, "smpte.edl", std::string("SMPTE FRAME CODE\r\n") + kEvent, 21},
    {Probe::HeadingLine, "log.ale",
     "Heading\r\nFIELD_DELIM\tTABS\r\n\r\nColumn\r\nName\tStart\tEnd\r\n\r\nData\r\n"
     "clip1\t01:00:00:00\t01:00:01:00\r\n",
     5},
    {Probe::BatchListLine, "batch.txt", std::string("[Adobe Premiere Batch List]\r\n") + kEvent, 0},
    {Probe::MediaLogLine, "media.txt", std::string("Media 100 file: Reel\r\n") + kEvent, 23},
};

TEST(DetectionProbes, EachProbeRecognisesItsRowAndItsReaderTakesTheEvents) {
    std::set<Probe> tried;
    for (const ProbeCase& c : kProbeCases) {
        SCOPED_TRACE(c.fileName);
        tried.insert(c.probe);
        const ListTypeInfo& row = edlb::listTypeWithProbe(c.probe);
        EXPECT_EQ(row.probe, c.probe);
        EXPECT_EQ(c.type == 0 ? 0u : row.value, c.type);
        edlbtest::TempDir dir;
        const Opened opened = openForReading(dir.write(c.fileName, c.contents));
        EXPECT_EQ(opened.type, c.type);
        if (c.type != 0) {
            EXPECT_EQ(opened.reader, row.reader);
        }
    }
    // A row that gains a probe needs a case here.
    size_t count = 0;
    const ListTypeInfo* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].probe != Probe::None) {
            EXPECT_EQ(tried.count(rows[i].probe), 1u) << rows[i].shortName;
        }
    }
}

// Lines that two probes would claim: the probe order decides.
TEST(DetectionProbes, OrderSettlesLinesTwoProbesClaim) {
    const struct {
        std::string contents;
        uint32_t type;
    } cases[] = {
        // A line naming both of the library's own formats is a list.
        {std::string("Type: BrimvelXJTClip BrimvelXJTList\r\n") + kEvent, 1},
        // A type line goes on to the other probes: Media 100 still decides.
        {std::string("Type: BrimvelXJTList Media 100\r\n") + kEvent, 23},
        // A "*DS type=" line ends detection, whatever it holds.
        {std::string("*DS type=source SMPTE FRAME CODE=x.mov\r\n") + kEvent, 45},
        // A title is only a title.
        {std::string("TITLE: SMPTE FRAME CODE\r\n") + kEvent, 251},
        {std::string("TITLE: Media 100 file: x\r\n") + kEvent, 251},
        {std::string("Title: Heading\r\n") + kEvent, 251},
        // A frame-code line is used up before the heading, batch-list and Media 100 tests.
        {std::string("Heading SMPTE FRAME CODE\r\n") + kEvent, 21},
        {std::string("SMPTE FRAME CODE \"OLEDB\r\n") + kEvent, 21},
        {std::string("SMPTE FRAME CODE Media 100\r\n") + kEvent, 21},
        // A heading holding "OLEDB" is a log's; an "OLEDB" line naming Media 100 is refused.
        {"Heading \"OLEDB\r\nData\r\nrow\r\n", 5},
        {std::string("\"OLEDB Media 100\r\n") + kEvent, 0},
        // A "[" line naming Media 100 and Adobe Premiere is a batch list's.
        {std::string("[Adobe Premiere Media 100]\r\n") + kEvent, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        edlbtest::TempDir dir;
        EXPECT_EQ(openForReading(dir.write("list.edl", c.contents)).type, c.type);
    }
}

std::vector<std::string> filesUnder(const std::string& folder) {
    std::vector<std::string> files;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return files;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            const std::vector<std::string> inner = filesUnder(path);
            files.insert(files.end(), inner.begin(), inner.end());
        } else {
            files.push_back(path);
        }
    }
    closedir(dir);
    return files;
}

void expectDetectableOrNone(uint32_t type, const std::string& what) {
    if (type == 0) return;
    const ListTypeInfo& row = edlb::listTypeInfo(type);
    EXPECT_EQ(row.value, type) << what;
    EXPECT_TRUE(row.detectable) << what << " gave " << type;
}

// Whatever a file holds, opening it gives a type the table marks detectable, or fails.
TEST(DetectionProbes, OpeningYieldsOnlyDetectableTypes) {
    const std::vector<std::string> files = filesUnder(edlbtest::dataPath(""));
    ASSERT_GT(files.size(), 100u);
    std::set<uint32_t> seen;
    for (const std::string& path : files) {
        const uint32_t type = openForReading(path).type;
        expectDetectableOrNone(type, path);
        seen.insert(type);
    }
    // The test data holds lists of every detectable type.
    size_t count = 0;
    const ListTypeInfo* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].detectable) {
            EXPECT_EQ(seen.count(rows[i].value), 1u) << rows[i].shortName;
        }
    }

    std::mt19937 random(20260412);
    edlbtest::TempDir dir;
    for (int n = 0; n < 200; ++n) {
        std::string bytes(1 + random() % 600, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        const std::string path = dir.write(n % 10 == 0 ? "random.csv" : "random.edl", bytes);
        expectDetectableOrNone(openForReading(path).type, "random bytes");
    }
}

// A list written as any type and opened again gives the type the table says it reads back
// as, read by that type's reader; a type read back as nothing cannot be opened.
TEST(DetectionProbes, WrittenListsReadBackAsTheTableSays) {
    size_t count = 0;
    const ListTypeInfo* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) {
        const ListTypeInfo& row = rows[i];
        SCOPED_TRACE(row.shortName);
        edlbtest::TempDir dir;
        const std::string path = dir.file("list.edl");
        EdlList out;
        edlInitEdlListStruct(&out);
        out.dwListType = row.value;
        out.dwTcMode = EDL_TC_NDF;
        std::snprintf(out.szTitle, sizeof out.szTitle, "%s", "Harbour cut");
        tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &out);
        ASSERT_NE(h, nullptr);
        std::unique_ptr<EdlLineVB> event(new EdlLineVB());
        event->dwVideoTracks = 1;
        event->chEditType = 'C';
        event->dwSrcIn = 108000, event->dwSrcOut = 108120, event->dwRecOut = 120;
        std::snprintf(event->achReel, sizeof event->achReel, "%s", "HARB01");
        std::snprintf(event->achClipName, sizeof event->achClipName, "%s", "Shot");
        EXPECT_EQ(edlWriteLineVB(h, event.get()), 0u);
        EXPECT_EQ(edlClose(h), 0);

        const Opened opened = openForReading(path);
        EXPECT_EQ(opened.type, row.readsBackAs);
        if (row.readsBackAs != 0) {
            EXPECT_EQ(opened.reader, edlb::listTypeInfo(row.readsBackAs).reader);
        }
    }
}

}  // namespace
