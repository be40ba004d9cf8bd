#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace {

// Each thread writes its own list through an inline-buffer record, reads it back through
// another, and checks every event: nothing a thread sees may come from another thread.
bool writeAndReadBack(const std::string& path, int thread, std::string* failure) {
    constexpr int kEvents = 200;
    auto event = std::make_unique<EdlLineVB>();
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = EDLTYPE_XJT_LIST;
    list.dwTcMode = EDL_TC_PAL;
    std::snprintf(list.szTitle, sizeof list.szTitle, "THREAD %d", thread);
    tagKvEdlHandle* out = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &list);
    if (out == nullptr) return *failure = "cannot create " + path, false;
    for (int i = 0; i < kEvents; ++i) {
        std::memset(event.get(), 0, sizeof *event);
        event->dwSrcIn = static_cast<uint32_t>(1000 * thread + i);
        event->dwSrcOut = event->dwSrcIn + 25;
        event->dwRecIn = static_cast<uint32_t>(90000 + 25 * i);
        event->dwRecOut = event->dwRecIn + 25;
        event->dwVideoTracks = 1;
        event->dwAudioTracks = static_cast<uint32_t>(1 + (thread + i) % 3);
        std::snprintf(event->achReel, sizeof event->achReel, "T%dR%d", thread, i);
        std::snprintf(event->achComment, sizeof event->achComment, "thread %d event %d", thread, i);
        if (edlWriteLineVB(out, event.get()) != 0) return *failure = "write failed", false;
        const char* tracks = edlEditType(EDLTYPE_XJT_LIST, 1, event->dwAudioTracks);
        const std::string expected = std::string("V1") + ((event->dwAudioTracks & 1) ? "A1" : "") +
                                     ((event->dwAudioTracks & 2) ? "A2" : "");
        if (expected != tracks) return *failure = "track text from another thread", false;
    }
    if (edlClose(out) != 0) return *failure = "close failed", false;

    EdlList readList;
    edlInitEdlListStruct(&readList);
    tagKvEdlHandle* in = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &readList);
    if (in == nullptr) return *failure = "cannot open " + path, false;
    int count = 0;
    while (edlReadLineVB(in, event.get()) == 0) {
        char reel[32];
        std::snprintf(reel, sizeof reel, "T%dR%d", thread, count);
        if (std::strcmp(event->achReel, reel) != 0 ||
            event->dwSrcIn != static_cast<uint32_t>(1000 * thread + count) ||
            event->dwRecIn != static_cast<uint32_t>(90000 + 25 * count)) {
            edlClose(in);
            return *failure = std::string("event ") + std::to_string(count) + " read reel " +
                              event->achReel, false;
        }
        ++count;
    }
    edlClose(in);
    if (count != kEvents) return *failure = "read " + std::to_string(count) + " events", false;
    return true;
}

TEST(Threads, EightThreadsReadAndWriteTheirOwnLists) {
    edlbtest::TempDir dir;
    std::vector<std::thread> threads;
    std::vector<std::string> failures(8);
    std::atomic<int> passed{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const std::string path = dir.file("thread" + std::to_string(t) + ".edl");
            for (int round = 0; round < 3; ++round) {
                if (!writeAndReadBack(path, t, &failures[t])) return;
            }
            ++passed;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
    EXPECT_EQ(passed.load(), 8);
}

}  // namespace
