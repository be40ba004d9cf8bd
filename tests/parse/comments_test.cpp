// Comment gathering, clip names and file names derived from an event's comment.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/handle.h"
#include "parse/reader.h"

namespace {

// An event record with its own text buffers, so tests never share the library's statics.
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

struct HandleDeleter {
    void operator()(tagKvEdlHandle* handle) const {
        while (kv_ListCount(&handle->sources) != 0) {
            delete static_cast<EdlSourceEntry*>(kv_ListRemoveTail(&handle->sources));
        }
        kv_ListClose(&handle->sources);
        delete handle;
    }
};
using HandlePtr = std::unique_ptr<tagKvEdlHandle, HandleDeleter>;

// A reading handle with no file: the comment rules only look at the list record.
HandlePtr makeHandle(const char* title = "") {
    HandlePtr handle(new tagKvEdlHandle());
    kv_ListInit(&handle->sources);
    edlInitEdlListStruct(&handle->list);
    std::strcpy(handle->list.szTitle, title);
    handle->list.dwTcMode = EDL_TC_NDF;
    handle->dwTcFlags = 0x30102;  // non-drop, separated, 24-hour wrap
    handle->dwReading = 1;
    return handle;
}

void addSource(tagKvEdlHandle* handle, const char* name, const char* value) {
    auto* entry = new EdlSourceEntry();
    std::strcpy(entry->szSourceName, name);
    std::strcpy(entry->szSourceValue, value);
    kv_ListAddTail(&handle->sources, entry);
}

TEST(CommentLines, MarkersAndLeadingSpacesAreDroppedAndPiecesJoinDirectly) {
    Event event;
    uint32_t length = 0;
    edlb::appendCommentLine(&event.line, "; first", &length);
    edlb::appendCommentLine(&event.line, "*   second", &length);
    edlb::appendCommentLine(&event.line, "   third;x", &length);
    edlb::appendCommentLine(&event.line, "REM *kept", &length);
    EXPECT_STREQ(event.comment, "firstsecondthird;xREM *kept");
    EXPECT_EQ(length, std::strlen(event.comment));
}

TEST(CommentLines, ControlBytesBecomeExclamationMarks) {
    Event event;
    uint32_t length = 0;
    edlb::appendCommentLine(&event.line,
                            "* a\x01"
                            "b\xff"
                            "c",
                            &length);
    EXPECT_STREQ(event.comment, "a!b!c");
}

TEST(CommentLines, Comment_is_cut_at_its_capacity_and_takes_nothing_after) {
    Event event;
    uint32_t length = 0;
    const std::string piece(4000, 'x');
    edlb::appendCommentLine(&event.line, piece.c_str(), &length);
    edlb::appendCommentLine(&event.line, ("*" + std::string(4000, 'y')).c_str(), &length);
    EXPECT_EQ(length, 8000u);
    edlb::appendCommentLine(&event.line, "* never", &length);
    edlb::appendCommentText(&event.line, "never", &length);
    // Room for 4608 characters minus those already there, terminator included.
    ASSERT_EQ(std::strlen(event.comment), 4607u);
    EXPECT_EQ(std::string(event.comment).substr(0, 4000), piece);
    EXPECT_EQ(std::string(event.comment).substr(4000), std::string(607, 'y'));
    EXPECT_EQ(event.comment[4608], '\0');
}

struct AnalysisCase {
    const char* comment;
    uint32_t video;
    uint32_t audio;
    const char* title;
    uint32_t presentBefore;
    const char* clipBefore;
    const char* wantComment;
    const char* wantClip;
    const char* wantName;
    uint32_t wantPresent;
};

constexpr uint32_t kClip = EDL_P_CLIP_NAME;
constexpr uint32_t kFile = EDL_P_FILE_NAME;
constexpr uint32_t kLineComment = EDL_P_LINE_COMMENT;

const AnalysisCase kAnalysisCases[] = {
    // A trailing file name after the last ';'.
    {"take one ; C:\\Share\\ClipNameFile.avi", 1, 0, "", 0, "", "take one", "01000000",
     "C:\\Share\\ClipNameFile.avi", kFile},
    // A short plain word is a clip name; with a dot, or nine characters, a file name.
    {"good ; Take12", 1, 0, "", 0, "", "good", "Take12", "", kClip},
    {"good ; take.12", 1, 0, "", 0, "", "good", "01000000", "take.12", kFile},
    {"good ; LongName12", 1, 0, "", 0, "", "good", "01000000", "LongName12", kFile},
    {"good ; a/b", 1, 0, "", 0, "", "good", "01000000", "a/b", kFile},
    {"X;abc", 1, 0, "", 0, "", "X", "abc", "", kClip},
    {"; abc", 1, 0, "", 0, "", "", "abc", "", kClip},
    {"a;\t;b", 1, 0, "", 0, "", "a", "b", "", kClip},
    // Nothing after the last ';' names nothing; an earlier clip name stays.
    {"kept ; ", 1, 0, "", kClip, "CLIP1", "kept", "CLIP1", "", kClip},
    {";", 1, 0, "", kClip, "CLIP1", "", "CLIP1", "", kClip},
    // A clip line's own ';' marker separates nothing.
    {";note only", 1, 0, "", kClip | kLineComment, "CLIP4", ";note only", "CLIP4", "",
     kClip | kLineComment},
    {";a comment ; f.avi", 1, 0, "", kClip | kLineComment, "CLIP1", ";a comment", "CLIP1", "f.avi",
     kClip | kLineComment | kFile},
    // "shot": ten characters after it, the first replaced by the track letter.
    {"shot 12A", 1, 0, "Show", 0, "", "shot 12A", "v12A", "Show\\v12A", kClip | kFile},
    {"Shot 0123456789AB", 0, 2, "", 0, "", "Shot 0123456789AB", "a012345678", "a012345678",
     kClip | kFile},
    {"SHOT", 1, 1, "", 0, "", "SHOT", "", "", kClip | kFile},
    // "FROM CLIP NAME:": the last nine characters of the comment.
    {"FROM CLIP NAME: A001C003", 1, 3, "", 0, "", "FROM CLIP NAME: A001C003", "sA001C003",
     "sA001C003", kClip | kFile},
    {"FROM CLIP NAME: AB", 0, 1, "Show", 0, "", "FROM CLIP NAME: AB", "aNAME: AB",
     "Show\\aNAME: AB", kClip | kFile},
    {"from clip name:   z.mov ; /media/z.mov", 0, 0, "", 0, "", "from clip name:   z.mov",
     "s   z.mov", "z.mov", kClip | kFile},
    // Nothing found: the source in becomes the clip name, without the clip name bit.
    {"just words", 1, 0, "", 0, "", "just words", "01000000", "", 0},
    {"trailing controls\x01\x02\xff", 1, 0, "", 0, "", "trailing controls", "01000000", "", 0},
    // An empty comment leaves everything as it was.
    {"", 1, 0, "", 0, "", "", "", "", 0},
};

TEST(CommentAnalysis, TableOfComments) {
    for (const AnalysisCase& c : kAnalysisCases) {
        SCOPED_TRACE(c.comment);
        HandlePtr handle = makeHandle(c.title);
        Event event;
        std::strcpy(event.comment, c.comment);
        std::strcpy(event.clip, c.clipBefore);
        event.line.dwVideoTracks = c.video;
        event.line.dwAudioTracks = c.audio;
        event.line.dwPresent = c.presentBefore;
        event.line.dwSrcIn = 108000;  // 01:00:00:00 non-drop
        edlb::analyseComment(handle.get(), &event.line);
        EXPECT_STREQ(event.comment, c.wantComment);
        EXPECT_STREQ(event.clip, c.wantClip);
        EXPECT_STREQ(event.name, c.wantName);
        EXPECT_EQ(event.line.dwPresent, c.wantPresent);
    }
}

TEST(CommentAnalysis, ShotAtTheVeryEndOfAFullCommentReadsNothingBeyondIt) {
    HandlePtr handle = makeHandle();
    Event event;
    std::string text(4604, 'x');
    text += "shot";
    std::strcpy(event.comment, text.c_str());
    event.line.dwVideoTracks = 1;
    edlb::analyseComment(handle.get(), &event.line);
    EXPECT_STREQ(event.clip, "");
    EXPECT_EQ(std::strlen(event.comment), 4608u);
}

TEST(CommentAnalysis, NamesAreCutToTheirCapacity) {
    HandlePtr handle = makeHandle(std::string(4121, 'T').c_str());
    Event event;
    std::strcpy(event.comment, "shot 1");
    event.line.dwVideoTracks = 1;
    edlb::analyseComment(handle.get(), &event.line);
    EXPECT_STREQ(event.clip, "v1");
    ASSERT_EQ(std::strlen(event.name), 4098u);
    EXPECT_EQ(std::string(event.name).substr(4090), "TTTTTTTT");

    Event file;
    const std::string longName = "x ; /" + std::string(5000, 'n');
    std::strncpy(file.comment, longName.c_str(), 4608);
    edlb::analyseComment(handle.get(), &file.line);
    EXPECT_EQ(std::strlen(file.name), 4098u);
    EXPECT_STREQ(file.comment, "x");
}

TEST(NoteRule, FinalCutProReelInTheCommentNamesMediaAndReel) {
    Event event;
    std::strcpy(event.comment, "FINAL CUT PRO REEL:  A001 REPLACED");
    std::strcpy(event.clip, "clip");
    edlb::applyNoteRule(&event.line);
    EXPECT_STREQ(event.name, "A001 REPLACEDclip");
    EXPECT_STREQ(event.reel, "A001");
    EXPECT_EQ(event.line.dwPresent, EDL_P_REEL | EDL_P_FILE_NAME);

    Event lower;
    std::strcpy(lower.comment, "x final cut pro reel: b2");
    edlb::applyNoteRule(&lower.line);
    EXPECT_STREQ(lower.name, "b2");
    EXPECT_STREQ(lower.reel, "b2");
}

TEST(NoteRule, WithoutTheKeywordInTheCommentNothingChanges) {
    Event event;
    std::strcpy(event.comment, "a note");
    std::strcpy(event.reel, "AX");
    edlb::applyNoteRule(&event.line);
    EXPECT_STREQ(event.name, "");
    EXPECT_STREQ(event.reel, "AX");
    EXPECT_EQ(event.line.dwPresent, 0u);
}

TEST(NoteRule, LongReelWordIsCutToTheReelCapacity) {
    Event event;
    const std::string text = "FINAL CUT PRO REEL: " + std::string(200, 'R');
    std::strcpy(event.comment, text.c_str());
    edlb::applyNoteRule(&event.line);
    EXPECT_EQ(std::string(event.reel), std::string(64, 'R'));
    EXPECT_EQ(std::string(event.name), std::string(200, 'R'));
}

TEST(SourceTable, ReelKeyBecomesClipNameAndNamesTheMediaFile) {
    HandlePtr handle = makeHandle();
    addSource(handle.get(), "ab", "/x/y/ab.mxf");
    addSource(handle.get(), "CAM1", "C:\\media\\cam1.mov");
    Event event;
    std::strcpy(event.reel, "CAM1");
    std::strcpy(event.comment, "earlier");
    uint32_t length = 7;
    edlb::lookupSource(handle.get(), &event.line, &length);
    EXPECT_STREQ(event.clip, "CAM1");
    EXPECT_STREQ(event.reel, "001");
    EXPECT_STREQ(event.name, "C:\\media\\cam1.mov");
    EXPECT_STREQ(event.comment, "FileName: C:\\media\\cam1.mov");
    EXPECT_EQ(length, std::strlen(event.comment));
    EXPECT_EQ(event.line.dwPresent, EDL_P_CLIP_NAME | EDL_P_FILE_NAME);
    // Comment lines read afterwards go after the file name.
    edlb::appendCommentLine(&event.line, "* later", &length);
    EXPECT_STREQ(event.comment, "FileName: C:\\media\\cam1.movlater");
}

TEST(SourceTable, LookupCases) {
    struct Case {
        bool withTable;
        const char* reel;
        const char* clip;
        const char* wantReel;
        const char* wantClip;
        const char* wantName;
        uint32_t wantPresent;
    } cases[] = {
        // No table: nothing happens.
        {false, "ab", "", "ab", "", "", 0},
        // Neither reel nor clip name: nothing to look up.
        {true, "", "", "", "", "", 0},
        // Case matters; no match keeps the derived clip name.
        {true, "AB", "", "001", "AB", "", EDL_P_CLIP_NAME},
        // A clip name already there is the key; the reel stays.
        {true, "R9", "ab", "R9", "ab", "/x/y/ab.mxf", EDL_P_FILE_NAME},
        // A long reel gives a clip name of ten characters.
        {true, "abcdefghijklmnop", "", "001", "abcdefghij", "", EDL_P_CLIP_NAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reel);
        HandlePtr handle = makeHandle();
        if (c.withTable) addSource(handle.get(), "ab", "/x/y/ab.mxf");
        Event event;
        std::strcpy(event.reel, c.reel);
        std::strcpy(event.clip, c.clip);
        uint32_t length = 0;
        edlb::lookupSource(handle.get(), &event.line, &length);
        EXPECT_STREQ(event.reel, c.wantReel);
        EXPECT_STREQ(event.clip, c.wantClip);
        EXPECT_STREQ(event.name, c.wantName);
        EXPECT_EQ(event.line.dwPresent, c.wantPresent);
    }
}

}  // namespace
