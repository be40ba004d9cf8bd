#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/handle.h"
#include "parse/classify.h"
#include "support/test_support.h"

namespace {

using edlbtest::dataPath;

const char kEvent[] = "001  AX       V     C        01:00:00:00 01:00:05:00 01:00:00:00 01:00:05:00";
const uint32_t kDefaultMap[10] = {0x20000000, 0x80000, 0x20000, 0x1000, 0x1, 0x2,
                                  0x4,        0x8,     0x10000000, 0};

// A reading handle built the way edlOpen builds it, without running detection, so that
// edlAutoSense can be called on it directly. edlClose releases it.
struct SenseHandle {
    explicit SenseHandle(const std::string& path, uint32_t flags = 0) {
        h = new tagKvEdlHandle();
        kv_ListInit(&h->sources);
        h->dwReading = 1;
        h->pszLineBuf = static_cast<char*>(KvAlloc(edlb::kLineBufferSize));
        h->pFile = std::fopen(path.c_str(), "rb");
        edlInitEdlListStruct(&h->list);
        h->list.dwFlags = flags;
        h->dwTcFlags = 0x30104;
    }
    ~SenseHandle() { edlClose(h); }
    SenseHandle(const SenseHandle&) = delete;
    SenseHandle& operator=(const SenseHandle&) = delete;

    // The next line the event reader would get.
    std::string nextLine() {
        return getLine(h, h->pszLineBuf, edlb::kLineLimit) ? std::string(h->pszLineBuf)
                                                            : std::string("<none>");
    }
    std::vector<std::pair<std::string, std::string>> sources() const {
        std::vector<std::pair<std::string, std::string>> out;
        for (void* e = kv_ListHead(&h->sources); e != nullptr; e = kv_ListNext(e)) {
            auto* entry = static_cast<EdlSourceEntry*>(e);
            out.emplace_back(entry->szSourceName, entry->szSourceValue);
        }
        return out;
    }
    tagKvEdlHandle* h;
};

// A string literal with its embedded NUL bytes.
template <size_t N>
std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

bool hasDefaultMap(const EdlList& list) {
    return list.dwHasColumnMap == 1 &&
           std::memcmp(list.adwColumns, kDefaultMap, sizeof(kDefaultMap)) == 0;
}

TEST(AutoSense, ListTypeOfEachKindOfList) {
    struct Case {
        const char* file;
        int type;
        const char* title;
        uint32_t tcMode;
        bool defaultMap;
        const char* next;  // the line the reader starts with
    } cases[] = {
        {"xjt_list_type_line.edl", 1, "", 4, false, kEvent},
        {"xjt_clip_type_line.edl", 2, "", 4, false, "* Clip: 'Shot' 00:00:00:00 00:00:30:00"},
        {"xjt_list_type_lower_case.edl", 1, "", 4, false, kEvent},
        // A product name in any other mix of cases decides nothing; the title line does.
        {"xjt_mixed_case_product_name.edl", 251, "Mixed", 4, true, kEvent},
        {"xjt_list_then_smpte_frame_code.edl", 1, "", 4, true, kEvent},
        {"cmx_title_fcm.edl", 251, "Reel One", 2, true, kEvent},
        {"cmx_plain.edl", 1, "", 4, true, kEvent},
        {"smpte_frame_code.edl", 21, "", 4, true, kEvent},
        {"smpte_frame_code_titled.edl", 251, "Framed", 4, true, kEvent},
        {"comments_only.edl", 256, "", 4, false, "<none>"},
        {"premiere_batch_list.txt", 256, "", 4, false, kEvent},
        {"oledb_batch_list.txt", 256, "", 4, false, kEvent},
        {"media_100_log.txt", 23, " Reel Seven", 4, true, kEvent},
    };
    for (const Case& c : cases) {
        SenseHandle s(dataPath(std::string("detect/") + c.file));
        ASSERT_NE(s.h->pFile, nullptr) << c.file;
        EXPECT_EQ(edlAutoSense(s.h), c.type) << c.file;
        EXPECT_STREQ(s.h->list.szTitle, c.title) << c.file;
        EXPECT_EQ(s.h->list.dwTcMode, c.tcMode) << c.file;
        EXPECT_EQ(s.h->list.dwCurTcMode, c.tcMode == 4 ? 0u : c.tcMode) << c.file;
        EXPECT_EQ(hasDefaultMap(s.h->list), c.defaultMap) << c.file;
        if (!c.defaultMap) {
            EXPECT_EQ(s.h->list.dwHasColumnMap, 0u) << c.file;
        }
        EXPECT_EQ(s.h->list.dwFlags, 0u) << c.file;
        EXPECT_EQ(s.nextLine(), c.next) << c.file;
    }
}

TEST(AutoSense, DsListCollectsItsSourcesAndRewinds) {
    SenseHandle s(dataPath("detect/ds_sources.edl"));
    EXPECT_EQ(edlAutoSense(s.h), 45);
    EXPECT_STREQ(s.h->list.szTitle, "DS list");
    EXPECT_EQ(s.h->list.dwTcMode, 4u);
    EXPECT_EQ(s.h->dwTcFlags, 4u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"AX", "C:\\media\\ax one.avi"}, {"BB", "/media/bb=2.mov"}};
    EXPECT_EQ(s.sources(), expected);
    EXPECT_EQ(s.h->lLineStart, 0);
    EXPECT_EQ(s.h->dwLineEnd, 0);
    EXPECT_EQ(s.nextLine(), "TITLE: DS list");
}

TEST(AutoSense, DsSourceNameAndValueAreCutToTheirFields) {
    edlbtest::TempDir dir;
    const std::string name(4170, 'n');
    const std::string value(4170, 'v');
    SenseHandle s(dir.write("wide.edl", "*DS type=source " + name + "=x\r\n*DS type=source a=" +
                                            value + "\r\n"));
    EXPECT_EQ(edlAutoSense(s.h), 45);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {std::string(4095, 'n'), "x"}, {"a", std::string(4095, 'v')}};
    EXPECT_EQ(s.sources(), expected);
}

TEST(AutoSense, DsHeaderFrameRateSetsTheTimecodeWord) {
    struct Case {
        const char* attributes;
        uint32_t before;
        uint32_t after;
    } cases[] = {
        {"frame-rate=30 fcm=drop-frame", 0x30104, 4},
        {"frame-rate=30 fcm=non-drop-frame", 0x30104, 2},
        {"frame-rate=60", 0x30104, 2},
        {"frame-rate=29.97", 0x30104, 4},
        {"frame-rate=24 fcm=drop-frame", 0x30104, 0x80},
        {"frame-rate=24 fcm=non-drop-frame", 0x30104, 1},
        {"frame-rate=24", 0x30104, 1},
        {"frame-rate=23", 0x30104, 0x80},
        {"frame-rate=23 fcm=non-drop-frame", 0x30104, 1},
        {"frame-rate=25 fcm=drop-frame", 0x30104, 8},
        {"frame-rate=50 fcm=non-drop-frame", 0x30104, 8},
        {"frame-rate=99999999999999999999999", 0x30104, 4},
        {"fcm=drop-frame", 0, 4},
        {"fcm=non-drop-frame", 0, 2},
        {"fcm=drop-frame", 0x30104, 0x30104},
        {"fcm=drop-frame", 1, 0x80},
        {"major=1 minor=0", 0x30104, 0x30104},
        // non-drop-frame is only looked for after "fcm=".
        {"non-drop-frame frame-rate=30 fcm=x", 0x30104, 4},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write(
            "rate.edl", std::string("*DS type=header ") + c.attributes + "\r\n" + kEvent + "\r\n");
        SenseHandle s(path);
        s.h->dwTcFlags = c.before;
        EXPECT_EQ(edlAutoSense(s.h), 45) << c.attributes;
        EXPECT_EQ(s.h->dwTcFlags, c.after) << c.attributes;
    }
}

TEST(AutoSense, LogExchangeHeaderIsHarvestedUpToData) {
    SenseHandle s(dataPath("detect/log_exchange_header.ale"), 0x2000);
    EXPECT_EQ(edlAutoSense(s.h), 5);
    EXPECT_EQ(s.h->list.dwFlags, 0xC0002000u);
    EXPECT_EQ(s.h->list.dwTcMode, 2u);
    EXPECT_EQ(s.h->list.dwFrameRate, 2500u);
    EXPECT_EQ(s.h->list.dwAudioKHz, 48u);
    EXPECT_STREQ(s.h->list.szColumnLine, "Name\tTracks\tStart\tEnd");
    EXPECT_EQ(s.h->list.dwHasColumnMap, 0u);
    EXPECT_EQ(s.nextLine(), "clip1\tV\t01:00:00:00\t01:00:01:00");
}

TEST(AutoSense, LogExchangeHeaderLines) {
    const std::string tail = "Data\r\nrow\r\n";
    struct Case {
        std::string body;  // after the "Heading" line
        uint32_t flags;
        uint32_t tcMode;
        uint32_t frameRate;
        uint32_t audio;
        const char* columns;
    } cases[] = {
        {tail, 0x80000000, 2, 2997, 44, ""},
        {"FIELD_DELIM\tCOMMAS\r\n" + tail, 0, 2, 2997, 44, ""},
        {"VIDEO_FORMAT\tNTSC DROP\r\n" + tail, 0x80000000, 4, 2997, 44, ""},
        {"VIDEO_FORMAT\tFILM\r\n" + tail, 0x80000000, 1, 2997, 44, ""},
        {"VIDEO_FORMAT\tPAL\r\n" + tail, 0x80000000, 8, 2997, 44, ""},
        {"VIDEO_FORMAT\tHD\r\n" + tail, 0x80000000, 2, 2997, 44, ""},
        {"AUDIO_FORMAT\t48\r\n" + tail, 0x80000000, 2, 2997, 44, ""},
        {"AUDIO_FORMAT\t32kHz\r\n" + tail, 0x80000000, 2, 2997, 32, ""},
        {"AUDIO_FORMAT\t22 khz 11\r\n" + tail, 0x80000000, 2, 2997, 22, ""},
        {"FPS\t29.97\r\n" + tail, 0x80000000, 2, 2997, 44, ""},
        {"FPS\t24\r\n" + tail, 0x80000000, 2, 2400, 44, ""},
        {"FPS\t30\r\n" + tail, 0x80000000, 2, 3000, 44, ""},
        {"Column\r\n\r\n\r\n\r\nA\tB\r\n" + tail, 0xC0000000, 2, 2997, 44, "A\tB"},
        {"Column\r\n\r\n\r\n\r\n\r\n\r\nA\tB\r\n" + tail, 0xC0000000, 2, 2997, 44, "A\tB"},
        // The sixth line after "Column" is taken even when empty.
        {"COLUMN\r\n\r\n\r\n\r\n\r\n\r\n\r\nA\tB\r\n" + tail, 0xC0000000, 2, 2997, 44, ""},
        // Nothing after "Column": the list has no column line.
        {"Column\r\n", 0x80000000, 2, 2997, 44, ""},
        {"Column\r\n\r\n", 0x80000000, 2, 2997, 44, ""},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        SenseHandle s(dir.write("log.ale", "Heading\r\n" + c.body));
        EXPECT_EQ(edlAutoSense(s.h), 5) << c.body;
        EXPECT_EQ(s.h->list.dwFlags, c.flags) << c.body;
        EXPECT_EQ(s.h->list.dwTcMode, c.tcMode) << c.body;
        EXPECT_EQ(s.h->list.dwFrameRate, c.frameRate) << c.body;
        EXPECT_EQ(s.h->list.dwAudioKHz, c.audio) << c.body;
        EXPECT_STREQ(s.h->list.szColumnLine, c.columns) << c.body;
    }
}

TEST(AutoSense, ColumnLineIsCutToItsField) {
    edlbtest::TempDir dir;
    const std::string names(4195, 'n');
    SenseHandle s(dir.write("wide.ale", "Heading\r\nColumn\r\n" + names + "\r\nData\r\n"));
    EXPECT_EQ(edlAutoSense(s.h), 5);
    EXPECT_EQ(std::string(s.h->list.szColumnLine), std::string(4096, 'n'));
}

TEST(AutoSense, MediaLineTitleNeverReadsPastTheLine) {
    struct Case {
        std::string line;
        std::string title;
    } cases[] = {
        {"Media 100 file: x", " x"},
        {"Media 100 filex", ""},
        {"Media 100 file", ""},
        {"Media 100 file:", ""},
        {"Media 100 file:ab", "ab"},
        {"Media 100 no name", "before"},
        {"Media 100 file: \x01\xff", " !!"},
        {"Media 100 file:" + std::string(4170, 't'), std::string(4121, 't')},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        // The line ends the file: a read past its end would meet bytes of no line.
        SenseHandle s(dir.write("media.txt", c.line));
        std::strcpy(s.h->list.szTitle, "before");
        EXPECT_EQ(edlAutoSense(s.h), 23) << c.line.substr(0, 20);
        EXPECT_EQ(std::string(s.h->list.szTitle), c.title) << c.line.substr(0, 20);
        EXPECT_TRUE(hasDefaultMap(s.h->list));
    }
}

TEST(AutoSense, BlackFlagIsClearedDuringTheScanAndRestoredOnEveryWayOut) {
    struct Case {
        const char* file;
        int type;
    } cases[] = {
        {"cmx_black_event_first.edl", 1},  {"premiere_batch_list.txt", 256},
        {"log_exchange_header.ale", 5},    {"ds_sources.edl", 45},
        {"comments_only.edl", 256},        {"media_100_log.txt", 23},
    };
    for (const Case& c : cases) {
        SenseHandle s(dataPath(std::string("detect/") + c.file), 0x2000);
        EXPECT_EQ(edlAutoSense(s.h), c.type) << c.file;
        EXPECT_EQ(s.h->list.dwFlags & 0x2000u, 0x2000u) << c.file;
    }
    // The black event line is the first event, not a comment before it.
    SenseHandle s(dataPath("detect/cmx_black_event_first.edl"), 0x2000);
    edlAutoSense(s.h);
    EXPECT_EQ(s.nextLine().substr(0, 8), "002  BL ");
}

TEST(AutoSense, ExistingColumnMapIsKept) {
    SenseHandle s(dataPath("detect/cmx_plain.edl"));
    s.h->list.dwHasColumnMap = 1;
    s.h->list.adwColumns[0] = 0x8;
    EXPECT_EQ(edlAutoSense(s.h), 1);
    EXPECT_EQ(s.h->list.adwColumns[0], 0x8u);
    EXPECT_EQ(s.h->list.adwColumns[1], 0u);
}

TEST(AutoSense, ClipLinesOfALogListEndTheScan) {
    edlbtest::TempDir dir;
    SenseHandle s(dir.write("log.txt", "Tape one 00:00:00:00 00:00:01:00\r\n"));
    s.h->list.dwListType = EDLTYPE_LOG_EXCHANGE;
    EXPECT_EQ(edlAutoSense(s.h), 1);
    EXPECT_TRUE(hasDefaultMap(s.h->list));
    EXPECT_EQ(s.nextLine(), "Tape one 00:00:00:00 00:00:01:00");
}

TEST(AutoSense, RefusesHandlesItCannotRead) {
    EXPECT_EQ(edlAutoSense(nullptr), 256);
    SenseHandle s(dataPath("detect/cmx_plain.edl"));
    char* buffer = s.h->pszLineBuf;
    s.h->pszLineBuf = nullptr;
    EXPECT_EQ(edlAutoSense(s.h), 256);
    s.h->pszLineBuf = buffer;
    s.h->dwReading = 0;
    EXPECT_EQ(edlAutoSense(s.h), 256);
    s.h->dwReading = 1;
}

TEST(AutoSense, FailedSourceEntryAllocationFailsDetection) {
    {
        SenseHandle s(dataPath("detect/ds_sources.edl"), 0x2000);
        edlb::g_failPrivateAllocations = true;
        EXPECT_EQ(edlAutoSense(s.h), 256);
        edlb::g_failPrivateAllocations = false;
        EXPECT_EQ(kv_ListCount(&s.h->sources), 0u);
        EXPECT_EQ(s.h->list.dwFlags, 0x2000u);
    }
    EdlList list;
    edlInitEdlListStruct(&list);
    edlb::g_failPrivateAllocations = true;
    EXPECT_EQ(edlOpen(dataPath("detect/ds_sources.edl").c_str(), nullptr, 0, &list), nullptr);
    edlb::g_failPrivateAllocations = false;
}

TEST(AutoSense, TypeLinePredicates) {
    struct Case {
        const char* line;
        int clip;
        int list;
    } cases[] = {
        {"Type: BrimvelXJTClip", 1, 0},       {"TYPE: BRIMVELXJTCLIP", 1, 0},
        {"type:brimvelxjtclip", 1, 0},        {"Type: BrimvelXJTList", 0, 1},
        {"type: x BRIMVELXJTLIST", 0, 1},     {"Type: BrimvelXjtList", 0, 0},
        {"Type BrimvelXJTList", 0, 0},        {"* Type: BrimvelXJTList", 0, 0},
        {"Type: BrimvelXJTClip BrimvelXJTList", 1, 1},
    };
    for (const Case& c : cases) {
        std::vector<char> line(c.line, c.line + std::strlen(c.line) + 1);
        EXPECT_EQ(edlLineIsXJTClipType(nullptr, line.data()) != 0, c.clip != 0) << c.line;
        EXPECT_EQ(edlLineIsXJTListType(nullptr, line.data()) != 0, c.list != 0) << c.line;
    }
}

TEST(AutoSense, LaterTypeLineWins) {
    edlbtest::TempDir dir;
    SenseHandle s(dir.write("two.edl", "TITLE: t\r\nType: BrimvelXJTList\r\nType: BrimvelXJTClip\r\n" +
                                           std::string(kEvent) + "\r\n"));
    EXPECT_EQ(edlAutoSense(s.h), 2);
    SenseHandle both(dir.write("both.edl", "Type: BrimvelXJTClip BrimvelXJTList\r\n" +
                                               std::string(kEvent) + "\r\n"));
    EXPECT_EQ(edlAutoSense(both.h), 1);
}

// ---- Through edlOpen ----

TEST(OpenForReading, DetectedTypeFlagsAndTimecodeWord) {
    struct Case {
        const char* file;
        uint32_t tcMode;
        uint32_t flags;
        uint32_t type;
        uint32_t flagsAfter;
        uint32_t tcModeAfter;
        uint32_t tcFlags;
    } cases[] = {
        {"xjt_list_type_line.edl", 4, 0x2008, 1, 0x2008, 4, 0x70104},
        {"xjt_clip_type_line.edl", 4, 0x8, 2, 0x8, 4, 0x70104},
        {"cmx_plain.edl", 4, 0x8, 1, 0x8, 4, 0x70104},
        {"cmx_title_fcm.edl", 4, 0x40002009, 251, 0x40000001, 2, 0x30102},
        {"smpte_frame_code.edl", 8, 0, 21, 0, 8, 0x30108},
        {"media_100_log.txt", 0, 0x806, 23, 0, 4, 0x30104},
        {"ds_sources.edl", 8, 0xE, 45, 0, 4, 0x30104},
        {"log_exchange_header.ale", 4, 0x2000, 5, 0x40000000, 2, 0x30102},
    };
    for (const Case& c : cases) {
        EdlList list;
        edlInitEdlListStruct(&list);
        list.dwTcMode = c.tcMode;
        list.dwFlags = c.flags;
        tagKvEdlHandle* h = edlOpen(dataPath(std::string("detect/") + c.file).c_str(), nullptr,
                                    0, &list);
        ASSERT_NE(h, nullptr) << c.file;
        EXPECT_EQ(list.dwListType, c.type) << c.file;
        EXPECT_EQ(list.dwFlags, c.flagsAfter) << c.file;
        EXPECT_EQ(list.dwTcMode, c.tcModeAfter) << c.file;
        EXPECT_EQ(list.dwCurTcMode, c.tcModeAfter) << c.file;
        EXPECT_EQ(h->dwTcFlags, c.tcFlags) << c.file;
        EXPECT_EQ(h->list.dwListType, list.dwListType) << c.file;
        EXPECT_EQ(h->list.dwFlags, list.dwFlags) << c.file;
        EXPECT_EQ(h->list.dwTcMode, list.dwTcMode) << c.file;
        EXPECT_EQ(edlClose(h), 0u) << c.file;
    }
}

TEST(OpenForReading, HarvestedHeaderReachesTheCaller) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(dataPath("detect/cmx_title_fcm.edl").c_str(), nullptr, 0, &list);
    ASSERT_NE(h, nullptr);
    EXPECT_STREQ(list.szTitle, "Reel One");
    EXPECT_EQ(list.dwTcMode, 2u);
    EXPECT_TRUE(hasDefaultMap(list));
    EXPECT_STREQ(list.szTape, "");
    EXPECT_STREQ(list.szListName, "");
    ASSERT_EQ(getLine(h, h->pszLineBuf, edlb::kLineLimit), 1u);
    EXPECT_STREQ(h->pszLineBuf, kEvent);
    edlClose(h);

    edlInitEdlListStruct(&list);
    h = edlOpen(dataPath("detect/ds_sources.edl").c_str(), nullptr, 0, &list);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(list.dwListType, 45u);
    EXPECT_EQ(kv_ListCount(&h->sources), 2u);
    edlClose(h);
}

TEST(OpenForReading, UnrecognisedListsGiveNoHandle) {
    for (const char* file : {"comments_only.edl", "premiere_batch_list.txt", "oledb_batch_list.txt"}) {
        EdlList list;
        edlInitEdlListStruct(&list);
        EXPECT_EQ(edlOpen(dataPath(std::string("detect/") + file).c_str(), nullptr, 0, &list),
                  nullptr)
            << file;
    }
}

TEST(OpenForReading, MalformedInputDoesNotCrash) {
    std::mt19937 random(20261206);
    std::string binary(65536, '\0');
    for (char& c : binary) c = static_cast<char>(random() & 0xFF);
    const std::string nulMidLine = bytes("TITLE: a\0b\r\n") +
                                   bytes("001 AX V C 01:00:00:00\0 01:00:05:00\r\n") +
                                   kEvent;  // the last line has no line end
    const std::string longLine = std::string(100 * 1024, 'x') + "\r\n" + kEvent + "\r\n";
    const std::string longTitle = "TITLE: " + std::string(100 * 1024, 'y') + "\r\n" + kEvent;
    const std::string truncated = "TITLE: cut\r\n001  AX  V  C  01:0";

    struct Case {
        const char* name;
        const std::string* bytes;
        int type;  // -1: any type detection may give
        std::string title;
    } cases[] = {
        {"binary", &binary, -1, ""},
        {"nul_mid_line", &nulMidLine, 251, "a"},
        {"long_line", &longLine, 1, ""},
        {"long_title", &longTitle, 251, std::string(4121, 'y')},
        {"truncated", &truncated, 251, "cut"},
    };
    edlbtest::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write(c.name, *c.bytes);
        SenseHandle s(path, 0x2000);
        const int type = edlAutoSense(s.h);
        if (c.type >= 0) {
            EXPECT_EQ(type, c.type) << c.name;
            EXPECT_EQ(std::string(s.h->list.szTitle), c.title) << c.name;
        }
        EXPECT_LE(std::strlen(s.h->list.szTitle), 4121u) << c.name;
        EXPECT_EQ(s.h->list.dwFlags & 0x2000u, 0x2000u) << c.name;

        EdlList list;
        edlInitEdlListStruct(&list);
        tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, 0, &list);
        EXPECT_EQ(h != nullptr, type != 256) << c.name;
        if (h != nullptr) edlClose(h);
    }
}

}  // namespace
