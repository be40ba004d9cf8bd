// Event lists read end to end through edlOpen / edlReadLine / edlClose.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/handle.h"
#include "parse/classify.h"
#include "support/test_support.h"

namespace {

using edlbtest::dataPath;

// An event record with its own text buffers, so one read never changes another's texts.
struct Event {
    EdlLine line{};
    char clip[EDL_CLIPNAME_SIZE] = {};
    char name[EDL_NAME_SIZE] = {};
    char comment[EDL_COMMENT_SIZE] = {};
    char reel[EDL_REEL_SIZE] = {};
    char raw[EDL_LINE_SIZE] = {};
    Event() {
        line.szClipName = clip;
        line.szName = name;
        line.szComment = comment;
        line.szReel = reel;
        line.szLine = raw;
    }
};

// What one event must hold, field by field.
struct Want {
    uint32_t editNum;
    const char* reel;
    uint32_t video;
    uint32_t audio;
    char editType;
    uint32_t wipeCode;
    uint32_t effectLen;
    const char* effectText;
    uint32_t srcIn, srcOut, recIn, recOut;
    const char* clip;
    const char* name;
    const char* comment;
    const char* line;
    uint32_t present;
    bool drop;
};

constexpr uint32_t kTimes = EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT;
constexpr uint32_t kBase = kTimes | EDL_P_TRACKS | EDL_P_REEL | EDL_P_EDIT_NUMBER;
constexpr uint32_t kCut = kBase | EDL_P_EFFECT | EDL_P_EFFECT_NUMBER;

void expectEvent(const Event& got, const Want& want, uint32_t listTag = 0) {
    EXPECT_EQ(got.line.dwEditNum, want.editNum);
    EXPECT_STREQ(got.reel, want.reel);
    EXPECT_EQ(got.line.dwVideoTracks, want.video);
    EXPECT_EQ(got.line.dwAudioTracks, want.audio);
    EXPECT_EQ(got.line.chEditType, want.editType);
    EXPECT_EQ(got.line.dwWipeCode, want.wipeCode);
    EXPECT_EQ(got.line.dwEffectLen, want.effectLen);
    EXPECT_STREQ(got.line.szEffectText, want.effectText);
    EXPECT_EQ(got.line.dwSrcIn, want.srcIn);
    EXPECT_EQ(got.line.dwSrcOut, want.srcOut);
    EXPECT_EQ(got.line.dwRecIn, want.recIn);
    EXPECT_EQ(got.line.dwRecOut, want.recOut);
    EXPECT_STREQ(got.clip, want.clip);
    EXPECT_STREQ(got.name, want.name);
    EXPECT_STREQ(got.comment, want.comment);
    EXPECT_STREQ(got.raw, want.line);
    EXPECT_EQ(got.line.dwPresent, want.present);
    EXPECT_EQ((got.line.dwLineFlags & EDL_LINE_DROP_FRAME) != 0, want.drop);
    EXPECT_EQ(got.line.dwTrackMask, 65520u);
    EXPECT_EQ(got.line.dwListTag, listTag);
    EXPECT_EQ(got.line.dwEffect, 0u);
}

// Marks follow the source times whenever a line gave them.
void expectMarksFollowSource(const Event& got) {
    EXPECT_EQ(got.line.dwMarkIn, got.line.dwSrcIn);
    EXPECT_EQ(got.line.dwMarkOut, got.line.dwSrcOut);
}

class Reader {
public:
    explicit Reader(const std::string& path, uint32_t flags = 0, uint32_t flags2 = 0,
                    const char* defReel = "") {
        edlInitEdlListStruct(&list_);
        list_.dwFlags = flags;
        list_.dwFlags2 = flags2;
        std::strcpy(list_.szDefReel, defReel);
        handle_ = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list_);
    }
    ~Reader() {
        if (handle_ != nullptr) edlClose(handle_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    tagKvEdlHandle* handle() { return handle_; }
    const EdlList& list() const { return list_; }
    uint32_t read(Event* event) { return edlReadLine(handle_, &event->line); }

private:
    EdlList list_{};
    tagKvEdlHandle* handle_ = nullptr;
};

// Reads every event; the two results after the last event are checked by the callers.
std::vector<Event> readEvents(Reader& reader, uint32_t* end) {
    std::vector<Event> events;
    for (int guard = 0; guard < 1000; ++guard) {
        events.emplace_back();
        Event& event = events.back();
        // Record texts point at the vector's storage; fix them after a reallocation.
        event.line.szClipName = event.clip;
        event.line.szName = event.name;
        event.line.szComment = event.comment;
        event.line.szReel = event.reel;
        event.line.szLine = event.raw;
        const uint32_t result = reader.read(&event);
        if (result != EDL_OK) {
            events.pop_back();
            *end = result;
            return events;
        }
    }
    *end = 0xDEADu;
    return events;
}

// 01:00:00:00 and friends as non-drop frame counts, at 30 frames a second.
constexpr uint32_t ndf(uint32_t h, uint32_t m, uint32_t s, uint32_t f = 0) {
    return ((h * 60 + m) * 60 + s) * 30 + f;
}
// Drop-frame counts: two frame numbers skipped each minute but every tenth.
constexpr uint32_t df(uint32_t h, uint32_t m, uint32_t s, uint32_t f = 0) {
    return ndf(h, m, s, f) - 2 * ((h * 60 + m) - (h * 60 + m) / 10);
}

TEST(EventReader, Cmx3600ListWithCutsDissolveWipeKeyAudioAndNotes) {
    Reader reader(dataPath("cmx/cmx3600_mixed_events.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    EXPECT_EQ(reader.list().dwListType, static_cast<uint32_t>(EDLTYPE_GENERIC));
    EXPECT_EQ(reader.list().dwTcMode & 0xFF, EDL_TC_NDF);

    const Want want[] = {
        {1, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(1, 0, 0), ndf(1, 0, 5), ndf(2, 0, 0),
         ndf(2, 0, 5), "01000000", "", "after event one",
         "001  AX       V     C        01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00", kCut,
         false},
        // The two lines of a dissolve are two events.
        {2, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(1, 0, 10), ndf(1, 0, 10), ndf(2, 0, 5),
         ndf(2, 0, 5), "", "", "",
         "002  AX       V     C        01:00:10:00 01:00:10:00 02:00:05:00 02:00:05:00", kCut,
         false},
        {2, "BB", 1, 0, 'D', 30, 0, "", ndf(1, 0, 20), ndf(1, 0, 25), ndf(2, 0, 5), ndf(2, 0, 10),
         "", "", "", "002  BB       V     D    030 01:00:20:00 01:00:25:00 02:00:05:00 02:00:10:00",
         kCut, false},
        {3, "CC", 1, 0, 'W', 1, 15, "", ndf(1, 0, 30), ndf(1, 0, 32), ndf(2, 0, 10), ndf(2, 0, 12),
         "", "", "", "003  CC       V     W001 015 01:00:30:00 01:00:32:00 02:00:10:00 02:00:12:00",
         kCut | EDL_P_EFFECT_FIELDS, false},
        {4, "DD", 1, 0, 'K', 0, 0, "B", ndf(1, 0, 40), ndf(1, 0, 41), ndf(2, 0, 12), ndf(2, 0, 13),
         "01004000", "", "KEY BACKGROUND",
         "004  DD       V     K    B   01:00:40:00 01:00:41:00 02:00:12:00 02:00:13:00",
         kBase | EDL_P_EFFECT | EDL_P_KEY, false},
        {5, "EE", 0, 3, 'C', 0xFFFFFFFF, 0, "", ndf(1, 0, 50), ndf(1, 0, 51), ndf(2, 0, 13),
         ndf(2, 0, 14), "aA001C004", "MIXED EVENTS\\aA001C004", "FROM CLIP NAME: A001C004",
         "005  EE       A     C        01:00:50:00 01:00:51:00 02:00:13:00 02:00:14:00",
         kCut | EDL_P_CLIP_NAME | EDL_P_FILE_NAME, false},
        {6, "FF", 1, 3, 'C', 0xFFFFFFFF, 0, "", ndf(1, 1, 0), ndf(1, 1, 2), ndf(2, 0, 14),
         ndf(2, 0, 16), "s12A", "MIXED EVENTS\\s12A", "shot 12A",
         "006  FF       AA/V  C        01:01:00:00 01:01:02:00 02:00:14:00 02:00:16:00",
         kCut | EDL_P_CLIP_NAME | EDL_P_FILE_NAME, false},
        {7, "A009", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(1, 2, 0), ndf(1, 2, 1), ndf(2, 0, 16),
         ndf(2, 0, 17), "01020000", "A009", "FINAL CUT PRO REEL: A009",
         "007  GG       V     C        01:02:00:00 01:02:01:00 02:00:16:00 02:00:17:00",
         kCut | EDL_P_FILE_NAME, false},
        {8, "HH", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(1, 3, 0), ndf(1, 3, 1), ndf(2, 0, 17),
         ndf(2, 0, 18), "Take12", "", "cut",
         "008  HH       V     C        01:03:00:00 01:03:01:00 02:00:17:00 02:00:18:00 * cut ; "
         "Take12",
         kCut | EDL_P_CLIP_NAME, false},
    };
    uint32_t end = 0;
    const std::vector<Event> events = readEvents(reader, &end);
    ASSERT_EQ(events.size(), std::size(want));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(want[i].line);
        expectEvent(events[i], want[i]);
        expectMarksFollowSource(events[i]);
        EXPECT_EQ(events[i].line.lAudioOffset, 0);
    }
    EXPECT_EQ(end, EDL_END_OF_LIST);
    Event after;
    EXPECT_EQ(reader.read(&after), EDL_END_OF_LIST);
}

TEST(EventReader, EffectFieldsNeverSwallowTheEventTimes) {
    Reader reader(dataPath("cmx/effect_fields.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    const uint32_t s = ndf(1, 0, 0), so = ndf(1, 0, 5), r = ndf(2, 0, 0), ro = ndf(2, 0, 5);
    const Want want[] = {
        // A lone V is video 1, so the C after it is read as the edit type.
        {1, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", s, so, r, ro, "", "", "",
         "001  AX  V  C  01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00", kCut, false},
        // The number after D is the wipe code; the four times stay in place.
        {2, "BB", 1, 0, 'D', 30, 0, "", s, so, r, ro, "", "", "",
         "002  BB  V1  D 030 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00", kCut, false},
        {3, "BB", 1, 0, 'D', 30, 0, "", s, so, r, ro, "", "", "",
         "003  BB  V  D  030 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00", kCut, false},
        {4, "CC", 1, 0, 'W', 1, 30, "", s, so, r, ro, "", "", "",
         "004  CC  V  W 001 030 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00",
         kCut | EDL_P_EFFECT_FIELDS, false},
        // A timecode length is taken only when the event's four times follow it.
        {5, "DD", 1, 0, 'D', 30, 30, "", s, so, r, ro, "", "", "",
         "005  DD  V  D 030 00:00:01:00 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00",
         kCut | EDL_P_EFFECT_FIELDS, false},
        // A key directly followed by the times has no key text.
        {6, "EE", 1, 0, 'K', 0, 0, "", s, so, r, ro, "", "", "",
         "006  EE  V  K 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00",
         kBase | EDL_P_EFFECT | EDL_P_KEY, false},
        // A dissolve without its number keeps its first time.
        {7, "FF", 1, 0, 'D', 0, 0, "", s, so, r, ro, "", "", "",
         "007  FF  V  D 01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00", kBase | EDL_P_EFFECT,
         false},
        // A wipe that ends the line; the next line has no number, so it is a comment.
        {8, "GG", 1, 0, 'W', 0, 0, "", s, so, r, ro, "01000000", "", "01:00:00:00 01:00:05:00",
         "008  GG  V  01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00 W",
         kBase | EDL_P_EFFECT | EDL_P_EFFECT_FIELDS, false},
    };
    uint32_t end = 0;
    const std::vector<Event> events = readEvents(reader, &end);
    ASSERT_EQ(events.size(), std::size(want));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(want[i].line);
        expectEvent(events[i], want[i]);
    }
    EXPECT_EQ(end, EDL_END_OF_LIST);
}

TEST(EventReader, FcmLinesBetweenEventsRebuildTheTimecodeWord) {
    Reader reader(dataPath("cmx/fcm_changes_drop_frame.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    struct Step {
        Want want;
        uint32_t tcFlags;
        uint32_t curMode;
    } steps[] = {
        {{1, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", df(1, 0, 0), df(1, 0, 5), df(2, 0, 0), df(2, 0, 5),
          "", "", "", "001  AX  V  C  01:00:00;00 01:00:05;00 02:00:00;00 02:00:05;00", kCut, true},
         0x30104,
         EDL_TC_DF},
        // The comment after the FCM line belongs to the event that follows it.
        {{2, "BX", 0, 2, 'C', 0xFFFFFFFF, 0, "", ndf(1, 0, 0), ndf(1, 0, 5), ndf(2, 0, 5),
          ndf(2, 0, 10), "01000000", "", "before event two",
          "002  BX  A2  C  01:00:00:00 01:00:05:00 02:00:05:00 02:00:10:00", kCut, false},
         0x30102,
         EDL_TC_NDF},
        {{3, "CX", 1, 1, 'C', 0xFFFFFFFF, 0, "", 36000 * 25, 36001 * 25, 7210 * 25, 7211 * 25, "",
          "", "", "003  CX  V1A1  C  10:00:00:00 10:00:01:00 02:00:10:00 02:00:11:00", kCut, false},
         0x30108,
         EDL_TC_PAL},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.want.line);
        Event event;
        ASSERT_EQ(reader.read(&event), EDL_OK);
        expectEvent(event, step.want);
        EXPECT_EQ(reader.handle()->dwTcFlags, step.tcFlags);
        EXPECT_EQ(reader.handle()->list.dwCurTcMode, step.curMode);
    }
    Event event;
    EXPECT_EQ(reader.read(&event), EDL_END_OF_LIST);
}

TEST(EventReader, LineEndsAndBlankLinesGiveTheSameEvents) {
    const Want want[] = {
        {1, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", df(1, 0, 0), df(1, 0, 1), df(1, 0, 0), df(1, 0, 1),
         "01000000", "", "first note",
         "001  AX  V  C  01:00:00:00 01:00:01:00 01:00:00:00 01:00:01:00", kCut, true},
        {2, "BX", 1, 0, 'C', 0xFFFFFFFF, 0, "", df(1, 0, 1), df(1, 0, 2), df(1, 0, 1), df(1, 0, 2),
         "01000100", "", "second note",
         "002  BX  V  C  01:00:01:00 01:00:02:00 01:00:01:00 01:00:02:00", kCut, true},
    };
    for (const char* file : {"cmx/line_ends_crlf.edl", "cmx/line_ends_cr.edl",
                             "cmx/line_ends_lf.edl", "cmx/line_ends_lf_no_final_break.edl"}) {
        SCOPED_TRACE(file);
        Reader reader(dataPath(file));
        ASSERT_NE(reader.handle(), nullptr);
        uint32_t end = 0;
        const std::vector<Event> events = readEvents(reader, &end);
        ASSERT_EQ(events.size(), std::size(want));
        for (size_t i = 0; i < events.size(); ++i) expectEvent(events[i], want[i]);
        EXPECT_EQ(end, EDL_END_OF_LIST);
    }
}

TEST(EventReader, DsListTakesClipNamesAndFilesFromItsSourceTable) {
    Reader reader(dataPath("ds/ds_source_table.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    EXPECT_EQ(reader.list().dwListType, static_cast<uint32_t>(EDLTYPE_DS));
    const Want want[] = {
        {0, "001", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(1, 0, 0), ndf(1, 0, 10), 0, ndf(0, 0, 10),
         "clipLo", "C:\\media\\clipLongName.mov",
         "FileName: C:\\media\\clipLongName.movabout clip one",
         "000 clipLo V      C        01:00:00:00 01:00:10:00 00:00:00:00 00:00:10:00",
         kCut | EDL_P_CLIP_NAME | EDL_P_FILE_NAME, false},
        {1, "001", 1, 0, 'C', 0xFFFFFFFF, 0, "", ndf(0, 0, 5), ndf(0, 0, 6), ndf(0, 0, 10),
         ndf(0, 0, 11), "ab", "/x/y/ab.mxf", "FileName: /x/y/ab.mxf",
         "001 ab     V      C        00:00:05:00 00:00:06:00 00:00:10:00 00:00:11:00",
         kCut | EDL_P_CLIP_NAME | EDL_P_FILE_NAME, false},
        // No entry for the key: the clip name and the generic reel stay.
        {2, "001", 0, 1, 'C', 0xFFFFFFFF, 0, "", ndf(0, 0, 7), ndf(0, 0, 8), ndf(0, 0, 11),
         ndf(0, 0, 12), "zz", "", "",
         "002 zz     A1     C        00:00:07:00 00:00:08:00 00:00:11:00 00:00:12:00",
         kCut | EDL_P_CLIP_NAME, false},
    };
    uint32_t end = 0;
    const std::vector<Event> events = readEvents(reader, &end);
    ASSERT_EQ(events.size(), std::size(want));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(want[i].line);
        expectEvent(events[i], want[i]);
    }
    EXPECT_EQ(end, EDL_END_OF_LIST);
}

TEST(EventReader, LibraryClipListReadsBackNamesTimesCommentsAndFiles) {
    Reader reader(dataPath("xjt/xjt_clip_list.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    EXPECT_EQ(reader.list().dwListType, static_cast<uint32_t>(EDLTYPE_XJT_CLIP));
    constexpr uint32_t kClipEvent =
        EDL_P_CLIP_EVENT | EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_CLIP_NAME | EDL_P_LINE_COMMENT;
    const Want want[] = {
        {0, "", 1, 0xFFFFFFFF, 'C', 0, 0, "", 0, 300, 0, 0, "CLIP1", "f.avi", ";a comment",
         "* Clip: 'CLIP1' 00:00:00;00 00:00:10;00 ;a comment ; f.avi", kClipEvent | EDL_P_FILE_NAME,
         true},
        // Written with no comment and no name.
        {0, "", 1, 0xFFFFFFFF, 'C', 0, 0, "", 0, 300, 0, 0, "CLIP2", "", "",
         "* Clip: 'CLIP2' 00:00:00:00 00:00:10:00 ; ", kClipEvent, true},
        {0, "", 1, 0xFFFFFFFF, 'C', 0, 0, "", df(0, 1, 0), df(0, 1, 5), 0, 0, "CLIP3",
         "/media/clip3.mov", "", "* Clip: 'CLIP3' 00:01:00;00 00:01:05;00 ; ; /media/clip3.mov",
         kClipEvent | EDL_P_FILE_NAME, true},
        // A comment with no name keeps its text and the clip's name.
        {0, "", 1, 0xFFFFFFFF, 'C', 0, 0, "", df(0, 2, 0), df(0, 2, 1), 0, 0, "CLIP4", "",
         ";note only", "* Clip: 'CLIP4' 00:02:00;00 00:02:01;00 ;note only ", kClipEvent, true},
        {0, "", 1, 0xFFFFFFFF, 'C', 0, 0, "", df(0, 3, 0), df(0, 3, 1), 0, 0, "NOQUOTE", "", "",
         "* Clip: NOQUOTE 00:03:00;00 00:03:01;00 ;", kClipEvent, true},
    };
    uint32_t end = 0;
    const std::vector<Event> events = readEvents(reader, &end);
    ASSERT_EQ(events.size(), std::size(want));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(want[i].line);
        expectEvent(events[i], want[i]);
        // Clip lines set no marks.
        EXPECT_EQ(events[i].line.dwMarkIn, 0u);
        EXPECT_EQ(events[i].line.dwMarkOut, 0u);
    }
    EXPECT_EQ(end, EDL_END_OF_LIST);
}

TEST(EventReader, SmpteFrameCodeList) {
    Reader reader(dataPath("smpte/smpte_frame_code.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    EXPECT_EQ(reader.list().dwListType, static_cast<uint32_t>(EDLTYPE_SMPTE_4CH));
    const Want want[] = {
        {1, "AX", 1, 0, 'C', 0xFFFFFFFF, 0, "", df(1, 0, 0), df(1, 0, 5), df(1, 0, 0), df(1, 0, 5),
         "", "", "", "001  AX       V     C        01:00:00:00 01:00:05:00 01:00:00:00 01:00:05:00",
         kCut, true},
        {2, "BX", 0, 1, 'C', 0xFFFFFFFF, 0, "", df(1, 0, 5), df(1, 0, 6), df(1, 0, 5), df(1, 0, 6),
         "", "", "", "002  BX       A1    C        01:00:05:00 01:00:06:00 01:00:05:00 01:00:06:00",
         kCut, true},
    };
    uint32_t end = 0;
    const std::vector<Event> events = readEvents(reader, &end);
    ASSERT_EQ(events.size(), std::size(want));
    for (size_t i = 0; i < events.size(); ++i) expectEvent(events[i], want[i]);
    // The last event was finished by the failed read at the end of the file.
    EXPECT_EQ(end, EDL_END_OF_LIST);
}

TEST(EventReader, RecordDefaultsFollowTheRecorderPosition) {
    Reader reader(dataPath("cmx/record_defaults.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    ASSERT_EQ(edlSetRecorderIn(reader.handle(), ndf(2, 0, 0)), 0u);
    constexpr uint32_t kTracksAndCut =
        EDL_P_TRACKS | EDL_P_REEL | EDL_P_EDIT_NUMBER | EDL_P_EFFECT | EDL_P_EFFECT_NUMBER;
    struct Step {
        uint32_t recIn, recOut, recorder, present;
    } steps[] = {
        // No record times: placed at the recorder, which moves on.
        {ndf(2, 0, 0), ndf(2, 0, 5), ndf(2, 0, 5), kTracksAndCut | EDL_P_SRC_IN | EDL_P_SRC_OUT},
        // A record in of zero counts as missing.
        {ndf(2, 0, 5), ndf(2, 0, 7), ndf(2, 0, 7),
         kTracksAndCut | EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN},
        // Complete record times leave the recorder alone.
        {ndf(3, 0, 0), ndf(3, 0, 1), ndf(2, 0, 7), kTracksAndCut | kTimes},
        // A record out before the record in is rebuilt from the source length.
        {ndf(3, 0, 0), ndf(3, 0, 1), ndf(3, 0, 1), kTracksAndCut | kTimes},
    };
    for (const Step& step : steps) {
        Event event;
        ASSERT_EQ(reader.read(&event), EDL_OK);
        SCOPED_TRACE(event.raw);
        EXPECT_EQ(event.line.dwRecIn, step.recIn);
        EXPECT_EQ(event.line.dwRecOut, step.recOut);
        EXPECT_EQ(reader.handle()->dwRecorderIn, step.recorder);
        EXPECT_EQ(event.line.dwPresent, step.present);
    }
    Event event;
    EXPECT_EQ(reader.read(&event), EDL_END_OF_LIST);
}

TEST(EventReader, ListFlagsChangeWhatIsRead) {
    const uint32_t s = df(1, 0, 0), so = df(1, 0, 5), r = df(2, 0, 0), ro = df(2, 0, 5);
    struct Case {
        const char* what;
        uint32_t flags;
        uint32_t flags2;
        uint32_t srcIn, srcOut, markIn, markOut, recIn, recOut;
        const char* clip;
        const char* comment;
        const char* reel1;
        const char* reel2;
        uint32_t timesPresent;
    } cases[] = {
        {"none", 0, 0, s, so, s, so, r, ro, "01000000", "plain comment", "AX", "", kTimes},
        {"no record times", EDL_LF_NO_RECORD_TC, 0, s, so, s, so, 0, 150, "01000000",
         "plain comment", "AX", "", EDL_P_SRC_IN | EDL_P_SRC_OUT},
        {"no source times", EDL_LF_NO_SOURCE_TC, 0, 0, 0, 0, 0, r, ro, "00000000", "plain comment",
         "AX", "", EDL_P_REC_IN | EDL_P_REC_OUT},
        {"swap", EDL_LF_SWAP_SRC_REC, 0, r, ro, s, so, s, so, "02000000", "plain comment", "AX", "",
         kTimes},
        {"no comment analysis", EDL_LF_NO_COMMENTS, 0, s, so, s, so, r, ro, "", "plain comment",
         "AX", "", kTimes},
        {"default reel", 0, EDL_LF2_DEFAULT_REEL, s, so, s, so, r, ro, "01000000", "plain comment",
         "AX", "DEFREEL", kTimes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reader reader(dataPath("cmx/plain_cmx_flags.edl"), c.flags, c.flags2, "DEFREEL");
        ASSERT_NE(reader.handle(), nullptr);
        ASSERT_EQ(reader.list().dwListType, static_cast<uint32_t>(EDLTYPE_XJT_LIST));
        EXPECT_EQ(reader.handle()->list.dwFlags, c.flags);
        Event first;
        ASSERT_EQ(reader.read(&first), EDL_OK);
        EXPECT_EQ(first.line.dwSrcIn, c.srcIn);
        EXPECT_EQ(first.line.dwSrcOut, c.srcOut);
        EXPECT_EQ(first.line.dwMarkIn, c.markIn);
        EXPECT_EQ(first.line.dwMarkOut, c.markOut);
        EXPECT_EQ(first.line.dwRecIn, c.recIn);
        EXPECT_EQ(first.line.dwRecOut, c.recOut);
        EXPECT_EQ(first.line.lAudioOffset, 10);
        EXPECT_STREQ(first.clip, c.clip);
        EXPECT_STREQ(first.comment, c.comment);
        EXPECT_STREQ(first.reel, c.reel1);
        EXPECT_EQ(first.line.dwPresent & (kTimes | EDL_P_AUDIO_OFFSET),
                  c.timesPresent | EDL_P_AUDIO_OFFSET);
        EXPECT_TRUE(first.line.dwLineFlags & EDL_LINE_DROP_FRAME);
        Event second;
        ASSERT_EQ(reader.read(&second), EDL_OK);
        EXPECT_EQ(second.line.dwEditNum, 2u);
        EXPECT_STREQ(second.reel, c.reel2);
        EXPECT_EQ(second.line.dwPresent & EDL_P_REEL, 0u);
        EXPECT_EQ(reader.read(&second), EDL_END_OF_LIST);
    }
}

TEST(EventReader, ListTagAndDropFlagAreTakenFromTheList) {
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwUserTag = 0xABCD;
    tagKvEdlHandle* handle =
        edlOpen(dataPath("smpte/smpte_frame_code.edl").c_str(), nullptr, EDL_OPEN_READ, &list);
    ASSERT_NE(handle, nullptr);
    Event event;
    event.line.dwLineFlags = EDL_LINE_UNQUOTED;
    ASSERT_EQ(edlReadLine(handle, &event.line), EDL_OK);
    EXPECT_EQ(event.line.dwListTag, 0xABCDu);
    // Only the drop-frame bit is the reader's; the caller's other bits stay.
    EXPECT_EQ(event.line.dwLineFlags, EDL_LINE_UNQUOTED | EDL_LINE_DROP_FRAME);
    EXPECT_EQ(edlClose(handle), 0u);
}

TEST(EventReaderEnd, CommentsOnlyEndWithNoLineOrEndOfList) {
    struct Case {
        const char* file;
        uint32_t first;
    } cases[] = {
        // The last line ends with a line break: the next read finds no line.
        {"ds/ds_comments_only.edl", EDL_NO_LINE},
        // The last line reached the end of the file already.
        {"ds/ds_comments_only_no_final_break.edl", EDL_END_OF_LIST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Reader reader(dataPath(c.file));
        ASSERT_NE(reader.handle(), nullptr);
        Event event;
        EXPECT_EQ(reader.read(&event), c.first);
        EXPECT_EQ(reader.read(&event), EDL_END_OF_LIST);
    }
}

TEST(EventReaderEnd, ListsWithoutEventsDoNotOpen) {
    EdlList list;
    for (const char* file : {"cmx/comments_only.edl", "cmx/empty.edl"}) {
        SCOPED_TRACE(file);
        edlInitEdlListStruct(&list);
        EXPECT_EQ(edlOpen(dataPath(file).c_str(), nullptr, EDL_OPEN_READ, &list), nullptr);
    }
}

TEST(EventReaderEnd, BadHandlesAndDirections) {
    Event event;
    EXPECT_EQ(edlReadLine(nullptr, &event.line), EDL_BAD_ARGUMENT);

    edlbtest::TempDir dir;
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = EDLTYPE_CMX3600;
    list.dwFlags = EDL_LF_NO_HEADER;
    tagKvEdlHandle* writing = edlOpen(dir.file("out.edl").c_str(), nullptr, EDL_OPEN_WRITE, &list);
    ASSERT_NE(writing, nullptr);
    EXPECT_EQ(edlReadLine(writing, &event.line), EDL_WRONG_DIRECTION);
    EXPECT_EQ(edlReadLine(writing, nullptr), EDL_BAD_ARGUMENT);
    char* buffer = writing->pszLineBuf;
    writing->pszLineBuf = nullptr;
    EXPECT_EQ(edlReadLine(writing, &event.line), EDL_NO_LINE_BUFFER);
    writing->pszLineBuf = buffer;
    EXPECT_EQ(edlClose(writing), 0u);
}

TEST(EventReaderEnd, NullTextPointerResetsTheRecordToTheSharedBuffers) {
    Reader reader(dataPath("smpte/smpte_frame_code.edl"));
    ASSERT_NE(reader.handle(), nullptr);
    char own[EDL_REEL_SIZE] = "untouched";
    EdlLine event{};
    event.szReel = own;
    ASSERT_EQ(edlReadLine(reader.handle(), &event), EDL_OK);
    EdlLine shared;
    edlInitEdlLineStruct(&shared);
    // Packed pointer fields are copied out before they are compared.
    const char* readReel = event.szReel;
    const char* sharedReel = shared.szReel;
    EXPECT_EQ(readReel, sharedReel);
    EXPECT_STREQ(own, "untouched");
}

// Reading allocates nothing: with every private allocation failing, the same events come.
TEST(EventReaderMalformed, ReadingNeedsNoAllocation) {
    Reader normal(dataPath("cmx/cmx3600_mixed_events.edl"));
    Reader starved(dataPath("cmx/cmx3600_mixed_events.edl"));
    ASSERT_NE(normal.handle(), nullptr);
    ASSERT_NE(starved.handle(), nullptr);
    uint32_t normalEnd = 0;
    const std::vector<Event> expected = readEvents(normal, &normalEnd);
    struct FailAllocations {
        FailAllocations() { edlb::g_failPrivateAllocations = true; }
        ~FailAllocations() { edlb::g_failPrivateAllocations = false; }
    } failing;
    uint32_t starvedEnd = 0;
    const std::vector<Event> events = readEvents(starved, &starvedEnd);
    EXPECT_EQ(starvedEnd, normalEnd);
    ASSERT_EQ(events.size(), expected.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_STREQ(events[i].raw, expected[i].raw);
        EXPECT_STREQ(events[i].comment, expected[i].comment);
        EXPECT_STREQ(events[i].clip, expected[i].clip);
        EXPECT_EQ(events[i].line.dwPresent, expected[i].line.dwPresent);
        EXPECT_EQ(events[i].line.dwRecOut, expected[i].line.dwRecOut);
    }
}

// Regression: a comment start on an event line whose comment is already full must still
// end the fields, or the comment's words become the reel.
TEST(EventReaderMalformed, FullCommentStillEndsTheFieldsOfAnEventLine) {
    const std::string bytes =
        "TITLE: FULL\nFCM: NON-DROP FRAME\n"
        "001  AX  V  C  01:00:00:00 01:00:01:00 02:00:00:00 02:00:01:00\n"
        "FCM: NON-DROP FRAME\n* " +
        std::string(4000, 'c') + "\n* " + std::string(4000, 'd') +
        "\n"
        "002  BX  V  C  01:00:01:00 01:00:02:00 02:00:01:00 02:00:02:00"
        " * 77 ZZ 03:00:00:00\n";
    edlbtest::TempDir dir;
    Reader reader(dir.write("full.edl", bytes));
    ASSERT_NE(reader.handle(), nullptr);
    Event first;
    ASSERT_EQ(reader.read(&first), EDL_OK);
    Event second;
    ASSERT_EQ(reader.read(&second), EDL_OK);
    EXPECT_EQ(second.line.dwEditNum, 2u);
    EXPECT_STREQ(second.reel, "BX");
    EXPECT_EQ(second.line.lAudioOffset, 0);
    EXPECT_EQ(second.line.dwPresent & EDL_P_AUDIO_OFFSET, 0u);
    EXPECT_EQ(std::string(second.comment), std::string(4000, 'c') + std::string(607, 'd'));
    EXPECT_EQ(reader.read(&second), EDL_END_OF_LIST);
}

// A literal with NUL bytes inside, all of it.
template <size_t N>
std::string withNul(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Bytes no list should contain: the reader must read them to the end within its buffers.
TEST(EventReaderMalformed, HostileInputIsReadToTheEndWithinEveryCapacity) {
    std::string bytes = "TITLE: BAD\n";
    bytes += "\x01\x02\xff\xfe\x80 garbage \x7f\n";
    bytes += withNul("001  AX  V  C  01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00 * a\0b\n");
    bytes += "002  " + std::string(200, 'R') + "  V  K " + std::string(200, 'k') +
             " 01:00:00:00 01:00:05:00\n";
    bytes += "003  BX  V  C  " + std::string(200, '9') + ":00:00:00 01:00:00:00 02:00:00:00\n";
    bytes += "004 " + std::string(100000, 'x') + " 01:00:00:00 01:00:05:00\n";
    for (int i = 0; i < 3; ++i) bytes += "* " + std::string(4000, 'c') + "\n";
    bytes += "005  " + std::string(4000, ' ') + "V 01:00:00:00 01:00:05:00 ; shot\n";
    bytes += "FROM CLIP NAME:\n* FROM CLIP NAME:\n;FROM CLIP NAME:\n";
    bytes += withNul("006  \0\0\0 V C 01:00:00:00 01:00:01:00\n");
    bytes += "007  CX  V  D 999999999999999999999 99999999999 01:00:00:00 01:00:0";
    edlbtest::TempDir dir;
    Reader reader(dir.write("hostile.edl", bytes));
    ASSERT_NE(reader.handle(), nullptr);

    uint32_t result = 0;
    int events = 0;
    std::vector<uint32_t> editNumbers;
    for (int guard = 0; guard < 10000; ++guard) {
        Event event;
        result = reader.read(&event);
        if (result != EDL_OK) break;
        ++events;
        editNumbers.push_back(event.line.dwEditNum);
        EXPECT_LE(std::strlen(event.reel), 64u);
        EXPECT_LE(std::strlen(event.clip), 10u);
        EXPECT_LE(std::strlen(event.name), 4098u);
        EXPECT_LE(std::strlen(event.comment), 4608u);
        EXPECT_LE(std::strlen(event.raw), 4608u);
        EXPECT_LE(std::strlen(event.line.szEffectText), 63u);
        for (const char* text : {event.reel, event.clip, event.comment, event.name}) {
            for (const char* p = text; *p != '\0'; ++p) {
                EXPECT_GE(static_cast<unsigned char>(*p), 32u);
            }
        }
    }
    EXPECT_EQ(result, EDL_END_OF_LIST);
    EXPECT_EQ(events, 5);
    // The 100 KB line and the line cut by a NUL carry no event; the truncated last one does.
    EXPECT_EQ(editNumbers, (std::vector<uint32_t>{1, 2, 3, 5, 7}));
}

TEST(EventReaderMalformed, LongFieldsAreCutToTheirCapacity) {
    edlbtest::TempDir dir;
    const std::string line = "001  " + std::string(100, 'R') + "  V  K " + std::string(100, 'k') +
                             " 01:00:00:00 01:00:05:00";
    Reader reader(dir.write("long.edl", line + "\n"));
    ASSERT_NE(reader.handle(), nullptr);
    Event event;
    ASSERT_EQ(reader.read(&event), EDL_OK);
    EXPECT_EQ(std::string(event.reel), std::string(63, 'R'));
    EXPECT_EQ(std::string(event.line.szEffectText), std::string(63, 'k'));
    EXPECT_EQ(std::string(event.raw), line);
    EXPECT_EQ(event.line.chEditType, 'K');
}

}  // namespace
