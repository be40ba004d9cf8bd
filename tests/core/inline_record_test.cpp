#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace {

constexpr size_t kTexts = offsetof(EdlLineVB, achClipName);

// The five text buffers of a record as (start, size).
std::vector<std::pair<char*, size_t>> buffersOf(EdlLineVB& record) {
    return {{record.achClipName, sizeof record.achClipName},
            {record.achName, sizeof record.achName},
            {record.achComment, sizeof record.achComment},
            {record.achReel, sizeof record.achReel},
            {record.achLine, sizeof record.achLine}};
}

// What every read begins with: each buffer cleared but for its last byte.
void clearAsDocumented(EdlLineVB& record) {
    for (const auto& buffer : buffersOf(record)) std::memset(buffer.first, 0, buffer.second - 1);
}

tagKvEdlHandle* openList(const std::string& path, bool interchange) {
    EdlList list;
    edlInitEdlListStruct(&list);
    if (interchange) list.dwFlags |= EDL_LF_INTERCHANGE;
    return edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
}

// Every list under tests/data the library opens.
std::vector<std::string> testLists() {
    std::vector<std::string> paths;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(edlbtest::dataPath(""))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".expected") continue;
        paths.push_back(entry.path().string());
    }
    return paths;
}

// Reads path through two handles: one into a record the test leaves alone between reads
// but for touch, one into a record cleared whole before every read. Each read must leave
// both records' texts byte for byte alike. Gives the events compared.
size_t compareReads(const std::string& path, bool interchange,
                    const std::function<void(EdlLineVB&)>& touch) {
    tagKvEdlHandle* kept = openList(path, interchange);
    tagKvEdlHandle* fresh = openList(path, interchange);
    if (kept == nullptr || fresh == nullptr) {
        if (kept != nullptr) edlClose(kept);
        if (fresh != nullptr) edlClose(fresh);
        return 0;
    }
    auto reused = std::make_unique<EdlLineVB>();
    auto cleared = std::make_unique<EdlLineVB>();
    std::memset(reused.get(), 0x5A, sizeof *reused);
    std::memset(cleared.get(), 0x5A, sizeof *cleared);
    size_t events = 0;
    for (;;) {
        touch(*reused);
        touch(*cleared);
        clearAsDocumented(*cleared);
        const uint32_t a = edlReadLineVB(kept, reused.get());
        const uint32_t b = edlReadLineVB(fresh, cleared.get());
        EXPECT_EQ(a, b) << path << " event " << events;
        EXPECT_EQ(0, std::memcmp(reinterpret_cast<const char*>(reused.get()) + kTexts,
                                 reinterpret_cast<const char*>(cleared.get()) + kTexts,
                                 sizeof *reused - kTexts))
            << path << (interchange ? " (interchange)" : " (documented)") << " event "
            << events;
        if (a != EDL_OK || b != EDL_OK || ++events > 100000) break;
    }
    edlClose(kept);
    edlClose(fresh);
    return events;
}

// A record read into again gives what a record cleared whole gives, whatever the host did
// to its texts in between, for every test list, read either way.
TEST(InlineRecord, ReusedRecordReadsAsACleanOne) {
    struct Touch {
        const char* what;
        std::function<void(EdlLineVB&)> apply;
    };
    const Touch touches[] = {
        {"nothing", [](EdlLineVB&) {}},
        {"a long comment copied in",
         [](EdlLineVB& r) { std::memset(r.achComment, 'c', 3000); r.achComment[3000] = '\0'; }},
        {"a reel filling its buffer unterminated",
         [](EdlLineVB& r) { std::memset(r.achReel, 'R', sizeof r.achReel); }},
        {"a name and a line one byte longer than before",
         [](EdlLineVB& r) {
             // Before the first read the record holds no terminator.
             const auto length = [](const char* text, size_t size) {
                 return static_cast<size_t>(std::find(text, text + size, '\0') - text);
             };
             const size_t name = length(r.achName, sizeof r.achName);
             const size_t line = length(r.achLine, sizeof r.achLine);
             if (name + 1 < sizeof r.achName) r.achName[name] = 'n';
             if (line + 1 < sizeof r.achLine) r.achLine[line] = 'l';
         }},
        {"a short clip name", [](EdlLineVB& r) { std::strcpy(r.achClipName, "AB"); }},
        // What a record on the stack finds after other calls used that memory: bytes far
        // past its texts, with zeros between.
        {"bytes left deep in the buffers",
         [](EdlLineVB& r) {
             r.achComment[2000] = 'x';
             r.achLine[sizeof r.achLine - 2] = 'y';
             r.achName[1000] = 'z';
         }},
    };
    // Texts that end in blanks, which the trim cuts off, before shorter ones.
    edlbtest::TempDir dir;
    std::vector<std::string> lists = testLists();
    lists.push_back(dir.write(
        "trailing.edl",
        "TITLE: TRAILING   \r\nFCM: NON-DROP FRAME\r\n\r\n"
        "001  LONGREEL01 AA/V  C        01:00:00:00 01:00:02:00 00:00:10:00 00:00:12:00     \r\n"
        "* FROM CLIP NAME: A_LONG_CLIP_NAME_TAKE_12.MOV      \r\n"
        "* a note that runs on for a while\t\t   \r\n"
        "002  R2 V C 01:00:02:00 01:00:03:00 00:00:12:00 00:00:13:00\r"
        "* B.MOV\r"
        "003  R3   A   C   01:00:03:00 01:00:04:00 00:00:13:00 00:00:14:00  \n"
        "* FROM CLIP NAME: C  \n"));
    size_t events = 0;
    for (const std::string& path : lists) {
        for (const Touch& touch : touches) {
            SCOPED_TRACE(touch.what);
            events += compareReads(path, true, touch.apply);
            events += compareReads(path, false, touch.apply);
        }
    }
    // The lists hold events of every kind: the comparison is not vacuous.
    EXPECT_GT(events, 1000u);
}

// One record read through two handles in turn: what one handle's list left in it counts
// when the other reads into it again.
TEST(InlineRecord, RecordSharedByTwoHandles) {
    const std::string longNames = edlbtest::dataPath("interchange/avid_notes_lf.edl");
    const std::string shortNames = edlbtest::dataPath("cmx/cmx3600_mixed_events.edl");
    tagKvEdlHandle* a = openList(shortNames, true);
    tagKvEdlHandle* b = openList(longNames, true);
    tagKvEdlHandle* check = openList(shortNames, true);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(check, nullptr);
    auto shared = std::make_unique<EdlLineVB>();
    auto clean = std::make_unique<EdlLineVB>();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(edlReadLineVB(a, shared.get()), EDL_OK);
        ASSERT_EQ(edlReadLineVB(check, clean.get()), EDL_OK);
        EXPECT_EQ(0, std::memcmp(reinterpret_cast<const char*>(shared.get()) + kTexts,
                                 reinterpret_cast<const char*>(clean.get()) + kTexts,
                                 sizeof *shared - kTexts))
            << "event " << i;
        if (edlReadLineVB(b, shared.get()) != EDL_OK) break;
    }
    edlClose(a);
    edlClose(b);
    edlClose(check);
}

// Bytes after a text are zero up to the buffer's last byte, which a read never touches.
TEST(InlineRecord, FirstReadClearsAllButTheLastByte) {
    edlbtest::TempDir dir;
    const std::string path = dir.write(
        "one.edl", "TITLE: ONE\r\nFCM: NON-DROP FRAME\r\n\r\n"
                   "001  TAPE7    V     C        01:00:00:00 01:00:02:00 00:00:10:00 00:00:12:00\r\n"
                   "* FROM CLIP NAME: SHOT_ONE.MOV\r\n");
    tagKvEdlHandle* handle = openList(path, true);
    ASSERT_NE(handle, nullptr);
    auto record = std::make_unique<EdlLineVB>();
    std::memset(record.get(), 0xCD, sizeof *record);
    ASSERT_EQ(edlReadLineVB(handle, record.get()), EDL_OK);
    EXPECT_STREQ(record->achReel, "TAPE7");
    EXPECT_STREQ(record->achComment, "FROM CLIP NAME: SHOT_ONE.MOV");
    EXPECT_STREQ(record->achLine,
                 "001  TAPE7    V     C        01:00:00:00 01:00:02:00 00:00:10:00 00:00:12:00");
    for (const auto& buffer : buffersOf(*record)) {
        const size_t length = std::strlen(buffer.first);
        for (size_t i = length; i + 1 < buffer.second; ++i) {
            ASSERT_EQ(buffer.first[i], '\0') << "byte " << i << " after '" << buffer.first << "'";
        }
    }
    // The reel, the name and the line stop short of their buffers' last bytes.
    EXPECT_EQ(static_cast<unsigned char>(record->achReel[sizeof record->achReel - 1]), 0xCD);
    EXPECT_EQ(static_cast<unsigned char>(record->achName[sizeof record->achName - 1]), 0xCD);
    EXPECT_EQ(static_cast<unsigned char>(record->achLine[sizeof record->achLine - 1]), 0xCD);
    edlClose(handle);
}

}  // namespace
