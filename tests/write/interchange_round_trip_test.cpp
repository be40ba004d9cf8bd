// Lists read and written for interchange come back whole: CMX 3600 -> CMX 3600,
// CMX 3600 -> log exchange -> CMX 3600 and log exchange -> CMX 3600 -> log exchange keep
// event numbers, reels, tracks, transitions, times, clip names, file names and notes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace {

using Events = std::vector<std::unique_ptr<EdlLineVB>>;

struct List {
    EdlList record;
    Events events;
};

List readList(const std::string& path) {
    List out;
    edlInitEdlListStruct(&out.record);
    out.record.dwFlags = EDL_LF_INTERCHANGE;
    tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &out.record);
    if (h == nullptr) return out;
    for (;;) {
        auto event = std::make_unique<EdlLineVB>();
        std::memset(event.get(), 0, sizeof *event);
        if (edlReadLineVB(h, event.get()) != EDL_OK) break;
        out.events.push_back(std::move(event));
    }
    edlClose(h);
    return out;
}

// Writes the events as a list of type, in the timecode mode and with the title they were
// read with, and reads the written list back.
List writeAndRead(const List& from, uint32_t type, const edlbtest::TempDir& dir,
                  const std::string& name) {
    EdlList record;
    edlInitEdlListStruct(&record);
    record.dwListType = type;
    record.dwFlags = EDL_LF_INTERCHANGE;
    record.dwTcMode = from.record.dwTcMode;
    std::memcpy(record.szTitle, from.record.szTitle, sizeof record.szTitle);
    const std::string path = dir.file(name);
    tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &record);
    EXPECT_NE(h, nullptr) << path;
    if (h == nullptr) return List{};
    for (const auto& event : from.events) {
        EdlLineVB copy = *event;  // the writer trims the caller's texts
        EXPECT_EQ(edlWriteLineVB(h, &copy), EDL_OK);
    }
    EXPECT_EQ(edlClose(h), 0u);
    return readList(path);
}

// What must come back, one line per event. Wipe codes and lengths belong to transitions, and
// record times to lists that give them (a CMX list lays events without them end to end).
std::vector<std::string> describe(const List& list, bool withRecord) {
    std::vector<std::string> lines;
    for (const auto& e : list.events) {
        const bool transition = e->chEditType == 'D' || e->chEditType == 'W' || e->chEditType == 'K';
        std::string text = "edit " + std::to_string(e->dwEditNum) + " reel '" + e->achReel +
                           "' V" + std::to_string(e->dwVideoTracks) + " A" +
                           std::to_string(e->dwAudioTracks) + " " + std::string(1, e->chEditType);
        if (transition) {
            text += " wipe " + std::to_string(e->dwWipeCode) + " length " +
                    std::to_string(e->dwEffectLen) + " '" + e->szEffectText + "'";
        }
        text += " src " + std::to_string(e->dwSrcIn) + "-" + std::to_string(e->dwSrcOut);
        if (withRecord) text += " rec " + std::to_string(e->dwRecIn) + "-" + std::to_string(e->dwRecOut);
        text += std::string(" clip '") + e->achClipName + "' name '" + e->achName + "'" +
                ((e->dwPresent & EDL_P_FILE_NAME) != 0 ? " (file)" : "") + " notes '" +
                e->achComment + "'";
        lines.push_back(text);
    }
    return lines;
}

struct Source {
    const char* path;   // under tests/data
    bool log;           // a log-exchange list
    bool withRecord;    // the list gives record times
};

const Source kSources[] = {
    {"interchange/avid_notes_crlf.edl", false, true},
    {"interchange/avid_notes_cr.edl", false, true},
    {"interchange/six_digit_tabs.edl", false, true},
    {"../../examples/lists/harbour_cut.edl", false, true},
    {"columns/ale_interchange_columns.ale", true, true},
    {"columns/ale_fps_23976.ale", true, false},
    {"columns/ale_fps_25.ale", true, false},
    {"columns/ale_fps_2997_semicolons.ale", true, false},
    {"columns/ale_fps_30_over_drop.ale", true, false},
    {"columns/ale_fps_5994.ale", true, false},
    {"columns/ale_fps_60.ale", true, false},
};

class RoundTrips : public testing::TestWithParam<Source> {};

TEST_P(RoundTrips, EveryFieldComesBack) {
    const Source& source = GetParam();
    const List original = readList(edlbtest::dataPath(source.path));
    ASSERT_FALSE(original.events.empty()) << source.path;
    const std::vector<std::string> expected = describe(original, source.withRecord);
    edlbtest::TempDir dir;
    if (!source.log) {
        const List cmx = writeAndRead(original, EDLTYPE_CMX3600, dir, "again.edl");
        EXPECT_EQ(cmx.record.dwTcMode, original.record.dwTcMode);
        EXPECT_EQ(describe(cmx, true), expected) << "CMX 3600 -> CMX 3600";
        const List log = writeAndRead(original, EDLTYPE_LOG_EXCHANGE, dir, "log.ale");
        EXPECT_EQ(log.record.dwListType, uint32_t{EDLTYPE_LOG_EXCHANGE});
        const List back = writeAndRead(log, EDLTYPE_CMX3600, dir, "back.edl");
        EXPECT_EQ(describe(back, true), expected) << "CMX 3600 -> log exchange -> CMX 3600";
    } else {
        const List log = writeAndRead(original, EDLTYPE_LOG_EXCHANGE, dir, "again.ale");
        EXPECT_EQ(log.record.dwTcMode, original.record.dwTcMode);
        EXPECT_EQ(describe(log, source.withRecord), expected) << "log exchange -> log exchange";
        const List cmx = writeAndRead(original, EDLTYPE_CMX3600, dir, "cmx.edl");
        EXPECT_EQ(cmx.record.dwTcMode, original.record.dwTcMode);
        const List back = writeAndRead(cmx, EDLTYPE_LOG_EXCHANGE, dir, "back.ale");
        EXPECT_EQ(describe(back, source.withRecord), expected)
            << "log exchange -> CMX 3600 -> log exchange";
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, RoundTrips, testing::ValuesIn(kSources),
                         [](const testing::TestParamInfo<Source>& info) {
                             std::string name = info.param.path;
                             name = name.substr(name.find_last_of('/') + 1);
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// Every CMX-like type written for interchange has the same columns; a CSV log converted once
// stays as it is through further conversions.
TEST(RoundTripsCsv, CsvLogThroughCmxTypesStaysWhole) {
    edlbtest::TempDir dir;
    List csvList = readList(edlbtest::dataPath("csv/csv_interchange_notes.csv"));
    ASSERT_EQ(csvList.events.size(), 2u);
    const List first = writeAndRead(csvList, EDLTYPE_CMX3600, dir, "first.edl");
    const std::vector<std::string> expected = describe(first, true);
    for (uint32_t type : {7u, 8u, 9u, 10u, 11u, 13u, 14u, 15u, 19u, 250u, 251u}) {
        SCOPED_TRACE(type);
        const List again = writeAndRead(first, type, dir, "again" + std::to_string(type) + ".edl");
        EXPECT_EQ(describe(again, true), expected);
    }
}

}  // namespace
