// Helpers of the writer tests: list records, event records with their own buffers, and
// whole-file comparison that shows the first differing byte.
#ifndef EDLBRIDGE_TESTS_WRITE_SUPPORT_H
#define EDLBRIDGE_TESTS_WRITE_SUPPORT_H

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "edlbridge.h"

namespace writetest {

struct ListSetup {
    uint32_t type;
    uint32_t mode = 4;
    uint32_t flags = 0;
    uint32_t flags2 = 0;
    const char* title = "";
    const char* tape = "";
    const char* defReel = "";
    const char* listName = "";
    uint32_t frameRate = 2997;
    uint32_t audioKHz = 44;
};

inline EdlList makeList(const ListSetup& setup) {
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = setup.type;
    list.dwTcMode = setup.mode;
    list.dwFlags = setup.flags;
    list.dwFlags2 = setup.flags2;
    list.dwFrameRate = setup.frameRate;
    list.dwAudioKHz = setup.audioKHz;
    std::snprintf(list.szTitle, sizeof list.szTitle, "%s", setup.title);
    std::snprintf(list.szTape, sizeof list.szTape, "%s", setup.tape);
    std::snprintf(list.szDefReel, sizeof list.szDefReel, "%s", setup.defReel);
    std::snprintf(list.szListName, sizeof list.szListName, "%s", setup.listName);
    return list;
}

// One event as a test describes it; a null text stands for a null pointer.
struct EventFields {
    uint32_t srcIn = 0, srcOut = 0, recIn = 0, recOut = 0;
    uint32_t video = 1, audio = 0;
    const char* reel = nullptr;
    const char* clip = nullptr;
    const char* name = nullptr;
    const char* comment = nullptr;
    char edit = 'C';
    uint32_t wipe = 0, effectLen = 0;
    uint32_t lineFlags = 0, present = 0;
};

// An event record whose texts live in buffers of the static buffers' sizes.
struct OwnedEvent {
    EdlLine line{};
    char reel[EDL_REEL_SIZE] = {};
    char clip[EDL_CLIPNAME_SIZE] = {};
    char name[EDL_NAME_SIZE] = {};
    char comment[EDL_COMMENT_SIZE] = {};
    char raw[EDL_LINE_SIZE] = {};

    explicit OwnedEvent(const EventFields& fields) {
        line.dwSrcIn = fields.srcIn;
        line.dwSrcOut = fields.srcOut;
        line.dwRecIn = fields.recIn;
        line.dwRecOut = fields.recOut;
        line.dwVideoTracks = fields.video;
        line.dwAudioTracks = fields.audio;
        line.chEditType = fields.edit;
        line.dwWipeCode = fields.wipe;
        line.dwEffectLen = fields.effectLen;
        line.dwLineFlags = fields.lineFlags;
        line.dwPresent = fields.present;
        line.szReel = attach(reel, sizeof reel, fields.reel);
        line.szClipName = attach(clip, sizeof clip, fields.clip);
        line.szName = attach(name, sizeof name, fields.name);
        line.szComment = attach(comment, sizeof comment, fields.comment);
        line.szLine = raw;
    }
    // A record to read into: every text pointer at its own buffer.
    OwnedEvent() {
        line.szReel = reel;
        line.szClipName = clip;
        line.szName = name;
        line.szComment = comment;
        line.szLine = raw;
    }
    OwnedEvent(const OwnedEvent&) = delete;
    OwnedEvent& operator=(const OwnedEvent&) = delete;

    static char* attach(char* buffer, size_t size, const char* text) {
        if (text == nullptr) return nullptr;
        std::snprintf(buffer, size, "%s", text);
        return buffer;
    }
};

// Writes a whole list: open, the events, close. Returns the close result.
inline uint32_t writeList(const std::string& path, const ListSetup& setup,
                          const std::vector<EventFields>& events) {
    EdlList list = makeList(setup);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &list);
    if (handle == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return 0xBADu;
    }
    for (const EventFields& fields : events) {
        OwnedEvent event(fields);
        EXPECT_EQ(edlWriteLine(handle, &event.line), 0u);
    }
    return edlClose(handle);
}

// Compares bytes and names the first difference, which a plain string compare of files
// full of CRLF hides.
inline ::testing::AssertionResult sameBytes(const std::string& expected,
                                            const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    auto around = [i](const std::string& s) {
        const size_t from = i > 20 ? i - 20 : 0;
        std::string out;
        for (char c : s.substr(from, 50)) {
            if (c == '\r') out += "\\r";
            else if (c == '\n') out += "\\n";
            else out += c;
        }
        return out;
    };
    return ::testing::AssertionFailure()
           << "first difference at byte " << i << " (sizes " << expected.size() << " and "
           << actual.size() << ")\n  expected: ..." << around(expected)
           << "\n  actual:   ..." << around(actual);
}

}  // namespace writetest

#endif
