// Rules of the event writer that reach beyond the bytes of one line: changes to the
// caller's record, texts cut to their buffers, line-buffer bounds, write failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "write/write_support.h"

namespace {

using writetest::EventFields;
using writetest::ListSetup;
using writetest::OwnedEvent;

ListSetup bare(uint32_t type, uint32_t mode = EDL_TC_PAL) {
    ListSetup s;
    s.type = type;
    s.mode = mode;
    s.flags = EDL_LF_NO_HEADER;
    return s;
}

// An open writing handle on a temporary file, closed at the end of the test.
class Writer {
public:
    explicit Writer(const ListSetup& setup, const char* path = nullptr) {
        path_ = path != nullptr ? path : dir_.file("out.edl");
        EdlList list = writetest::makeList(setup);
        handle_ = edlOpen(path_.c_str(), nullptr, EDL_OPEN_WRITE, &list);
    }
    ~Writer() {
        if (handle_ != nullptr) edlClose(handle_);
    }
    tagKvEdlHandle* handle() const { return handle_; }
    uint32_t close() {
        const uint32_t result = edlClose(handle_);
        handle_ = nullptr;
        return result;
    }
    std::string bytes() const { return edlbtest::readFile(path_); }

private:
    edlbtest::TempDir dir_;
    std::string path_;
    tagKvEdlHandle* handle_ = nullptr;
};

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        out.push_back(bytes.substr(start, end - start));
    }
    if (start < bytes.size()) out.push_back(bytes.substr(start));
    return out;
}

TEST(DurationRule, OutPointBelowInPointIsALength) {
    Writer w(bare(EDLTYPE_XJT_LIST));
    ASSERT_NE(w.handle(), nullptr);
    EventFields fields;
    fields.srcIn = 50;
    fields.srcOut = 10;
    fields.recIn = 100;
    fields.recOut = 20;
    OwnedEvent event(fields);
    ASSERT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
    EXPECT_EQ(event.line.dwSrcOut, 60u);
    EXPECT_EQ(event.line.dwRecOut, 120u);
    EXPECT_EQ(event.line.dwSrcIn, 50u);
    EXPECT_EQ(event.line.dwRecIn, 100u);

    fields.srcIn = fields.srcOut = 75;
    fields.recIn = fields.recOut = 90000;
    OwnedEvent equal(fields);
    ASSERT_EQ(edlWriteLine(w.handle(), &equal.line), 0u);
    EXPECT_EQ(equal.line.dwSrcOut, 75u);
    EXPECT_EQ(equal.line.dwRecOut, 90000u);
    ASSERT_EQ(w.close(), 0u);
    const auto written = lines(w.bytes());
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[0], "000     V1 C        00:00:02:00 00:00:02:10 00:00:04:00 00:00:04:20");
    EXPECT_EQ(written[2], "001     V1 C        00:00:03:00 00:00:03:00 01:00:00:00 01:00:00:00");
}

TEST(TextLimits, LongTextsAreCutInTheCallersBuffers) {
    Writer w(bare(EDLTYPE_XJT_LIST));
    ASSERT_NE(w.handle(), nullptr);
    char clip[32] = "ABCDEFGHIJKL";
    std::string name(5000, 'n');
    std::string comment(5000, 'c');
    EdlLine line{};
    line.szClipName = clip;
    line.szName = name.data();
    line.szComment = comment.data();
    ASSERT_EQ(edlWriteLine(w.handle(), &line), 0u);
    EXPECT_STREQ(clip, "ABCDEFGHIJ");
    EXPECT_EQ(std::strlen(name.c_str()), 4098u);
    EXPECT_EQ(std::strlen(comment.c_str()), 4608u);
}

// A text that fills its buffer to the last byte, without a terminator, is read no further.
TEST(TextLimits, UnterminatedCallerBuffersAreReadWithinTheirSize) {
    Writer w(bare(EDLTYPE_XJT_LIST));
    ASSERT_NE(w.handle(), nullptr);
    EventFields fields;
    OwnedEvent event(fields);
    std::memset(event.reel, 'R', sizeof event.reel);
    std::memset(event.clip, 'K', sizeof event.clip);
    event.line.szReel = event.reel;
    event.line.szClipName = event.clip;
    ASSERT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
    EXPECT_EQ(std::string(event.clip), std::string(10, 'K'));
    ASSERT_EQ(w.close(), 0u);
    const auto written = lines(w.bytes());
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].substr(0, 5 + 64 + 1), "000  " + std::string(64, 'R') + " ");
    EXPECT_EQ(written[1], "; ; " + std::string(10, 'K'));
}

// A note line built from a long comment and a long name fits the line buffer with its line
// end: the comment gives way first.
TEST(LineBuffer, LongNoteLineCutsTheCommentFirst) {
    const std::string comment(4608, 'c');
    const std::string name(4098, 'n');
    struct Row {
        uint32_t type;
        std::string lead;    // what stands before the comment
        std::string prefix;  // lines before the note line
    };
    for (const Row& row : {Row{EDLTYPE_XJT_LIST, "; ", ""}, Row{EDLTYPE_CMX3600, "* ", ""},
                           Row{EDLTYPE_SMPTE_4CH, "* ", ""}, Row{EDLTYPE_3, "; ", ""}}) {
        Writer w(bare(row.type));
        ASSERT_NE(w.handle(), nullptr);
        EventFields fields;
        fields.comment = comment.c_str();
        fields.name = name.c_str();
        OwnedEvent event(fields);
        ASSERT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
        ASSERT_EQ(w.close(), 0u);
        const auto written = lines(w.bytes());
        ASSERT_GE(written.size(), 2u) << row.type;
        const std::string& note = written[1];
        // 4196 bytes with the line end: lead, comment, a blank, "; ", the whole name.
        const size_t commentRoom = 4196 - 2 - row.lead.size() - 1 - 2 - name.size();
        EXPECT_EQ(note, row.lead + comment.substr(0, commentRoom) + " ; " + name) << row.type;
        EXPECT_EQ(note.size() + 2, 4196u);
        EXPECT_EQ(std::strlen(event.comment), 4608u) << "the caller's comment is only cut to its limit";
    }
}

TEST(LineBuffer, LongClipLineCutsTheComment) {
    Writer w(bare(EDLTYPE_XJT_CLIP));
    ASSERT_NE(w.handle(), nullptr);
    const std::string comment(4608, 'c');
    const std::string name(4098, 'n');
    EventFields fields;
    fields.srcOut = 250;
    fields.clip = "CLIP1";
    fields.comment = comment.c_str();
    fields.name = name.c_str();
    fields.present = EDL_P_CLIP_EVENT;
    OwnedEvent event(fields);
    ASSERT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
    ASSERT_EQ(w.close(), 0u);
    const std::string head = "\r\n* Clip: 'CLIP1' 00:00:00:00 00:00:10:00 ;";
    const size_t commentRoom = 4196 - head.size() - 1 - 2 - name.size();
    EXPECT_EQ(w.bytes(), head + comment.substr(0, commentRoom) + " ; " + name);
}

TEST(LineBuffer, SourceValueIsCutTo4095Characters) {
    Writer w(bare(EDLTYPE_DS));
    ASSERT_NE(w.handle(), nullptr);
    const std::string name = "/m/" + std::string(4095, 'v') + ".mov";  // 4102 > 4098: cut
    EventFields fields;
    fields.name = name.c_str();
    OwnedEvent event(fields);
    ASSERT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
    ASSERT_EQ(std::strlen(event.name), 4098u);
    ASSERT_EQ(w.close(), 0u);
    const auto written = lines(w.bytes());
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0].substr(0, 11), "000 vvvvvv ");
    EXPECT_EQ(written[1], "*DS type=source vvvvvv=" + name.substr(0, 4095));
    EXPECT_EQ(written[2], "");
}

TEST(Results, WrongHandleOrRecord) {
    EventFields fields;
    OwnedEvent event(fields);
    EXPECT_EQ(edlWriteLine(nullptr, &event.line), EDL_NO_LINE_BUFFER);
    Writer w(bare(EDLTYPE_XJT_LIST));
    ASSERT_NE(w.handle(), nullptr);
    EXPECT_EQ(edlWriteLine(w.handle(), nullptr), EDL_BAD_ARGUMENT);
    ASSERT_EQ(w.close(), 0u);
    EXPECT_EQ(w.bytes(), "");
}

// Write failures are not lost: the close reports them.
TEST(WriteFailure, FullDeviceIsReportedAtClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (uint32_t type : {EDLTYPE_CMX3600, EDLTYPE_XJT_LIST, EDLTYPE_DS, EDLTYPE_SHORT_CMX,
                          EDLTYPE_LOG_EXCHANGE}) {
        ListSetup s;
        s.type = type;
        Writer w(s, "/dev/full");
        ASSERT_NE(w.handle(), nullptr) << type;
        for (int i = 0; i < 3; ++i) {
            EventFields fields;
            fields.name = "/a/b.mov";
            OwnedEvent event(fields);
            EXPECT_EQ(edlWriteLine(w.handle(), &event.line), 0u);
        }
        EXPECT_NE(w.close(), 0u) << "list type " << type;
    }
}

TEST(InlineRecord, TextsAreTrimmedInTheCallersRecord) {
    Writer w(bare(EDLTYPE_XJT_LIST));
    ASSERT_NE(w.handle(), nullptr);
    EdlLineVB record{};
    record.dwSrcOut = 250;
    record.dwRecIn = 90000;
    record.dwRecOut = 90250;
    record.dwVideoTracks = 1;
    std::strcpy(record.achReel, "REEL01  ");
    std::strcpy(record.achClipName, "A         ");
    std::strcpy(record.achComment, "note \t ");
    // Arbitrary pointers are replaced by the record's own buffers.
    record.szReel = reinterpret_cast<char*>(0x10);
    ASSERT_EQ(edlWriteLineVB(w.handle(), &record), 0u);
    EXPECT_STREQ(record.achReel, "REEL01");
    EXPECT_STREQ(record.achClipName, "A");
    EXPECT_STREQ(record.achComment, "note");

    EdlLineVB whole{};
    std::strcpy(whole.achReel, "R2");
    std::strcpy(whole.achClipName, "ABCDEFGHIJ");
    ASSERT_EQ(edlWriteLineVB(w.handle(), &whole), 0u);
    ASSERT_EQ(w.close(), 0u);
    const auto written = lines(w.bytes());
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[0], "000  REEL01 V1 C        00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00");
    EXPECT_EQ(written[1], "; note ; A");
    EXPECT_EQ(written[2], "001  R2  C        00:00:00:00 00:00:00:00 00:00:00:00 00:00:00:00");
    EXPECT_EQ(written[3], "; ; ABCDEFGHIJ");
}

}  // namespace
