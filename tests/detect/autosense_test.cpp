// List detection, driven by tests/data/detect/detection.tsv.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/handle.h"
#include "parse/case_table.h"
#include "parse/classify.h"

namespace {

using namespace edlbtest;

// A table input: "@name" is tests/data/detect/name, anything else the bytes of a new file.
std::string inputFile(const edlbtest::TempDir& dir, const std::string& input) {
    return input[0] == '@' ? dataPath("detect/" + input.substr(1)) : dir.write("input", input);
}

std::string describeMap(const EdlList& list) {
    std::string out = "map=" + std::to_string(list.dwHasColumnMap);
    for (int i = 0; i < 16 && list.adwColumns[i] != 0; ++i) out += " " + hex(list.adwColumns[i]);
    return out;
}

std::string describeSources(tagKvEdlHandle* h) {
    std::string out = " sources=[";
    for (void* e = kv_ListHead(&h->sources); e != nullptr; e = kv_ListNext(e)) {
        out += q(static_cast<EdlSourceEntry*>(e)->szSourceName) + "=" + q(static_cast<EdlSourceEntry*>(e)->szSourceValue) + " ";
    }
    return out + "]";
}

// The next line the event reader would get.
std::string nextLine(tagKvEdlHandle* h) {
    return getLine(h, h->pszLineBuf, edlb::kLineLimit) ? q(h->pszLineBuf) : "<none>";
}

// A reading handle built the way edlOpen builds it, without running detection, so that
// edlAutoSense can be called on it directly. edlClose releases it.
struct SenseHandle {
    explicit SenseHandle(const std::string& path, uint32_t flags = 0) : h(new tagKvEdlHandle()) {
        kv_ListInit(&h->sources);
        h->dwReading = 1;
        h->pszLineBuf = static_cast<char*>(KvAlloc(edlb::kLineBufferSize));
        h->pFile = std::fopen(path.c_str(), "rb");
        edlInitEdlListStruct(&h->list);
        h->list.dwFlags = flags;
        h->dwTcFlags = 0x30104;
    }
    ~SenseHandle() { edlClose(h); }
    tagKvEdlHandle* h;
};

// Opening a list succeeds exactly when detection finds a type.
void expectOpenAgrees(const std::string& path, int type) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* h = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    EXPECT_EQ(h != nullptr, type != 256) << path;
    if (h != nullptr) edlClose(h);
}

const std::map<std::string, edlbtest::Runner> kDetection = {
    // input, list flags, timecode word before, list type preset, title before, first column
    {"sense", [](const Args& a) {
         edlbtest::TempDir dir;
         const std::string path = inputFile(dir, a[0]);
         SenseHandle s(path, num(a[1]));
         EdlList& list = s.h->list;
         if (!a[2].empty()) s.h->dwTcFlags = num(a[2]);
         list.dwListType = a[3].empty() ? list.dwListType : num(a[3]);
         std::strcpy(list.szTitle, a[4].c_str());
         if (!a[5].empty()) list.dwHasColumnMap = 1, list.adwColumns[0] = num(a[5]);
         const int type = edlAutoSense(s.h);
         if (a[3].empty() && a[5].empty()) expectOpenAgrees(path, type);
         const std::string fields = "type=" + std::to_string(type) + " title=" + q(list.szTitle) + " tc=" + hex(list.dwTcMode) +
                "/" + hex(list.dwCurTcMode) + " flags=" + hex(list.dwFlags) + " word=" + hex(s.h->dwTcFlags) +
                " rate=" + std::to_string(list.dwFrameRate) + " kHz=" + std::to_string(list.dwAudioKHz) + " " +
                describeMap(list) + " columns=" + q(list.szColumnLine) + describeSources(s.h) +
                " at=" + std::to_string(s.h->lLineStart) + "/" + std::to_string(s.h->dwLineEnd);
         return fields + " next=" + nextLine(s.h);  // reading the line moves the position
     }},
    // Through edlOpen: input, timecode mode, list flags; the caller's record and the handle's agree.
    {"open", [](const Args& a) {
         edlbtest::TempDir dir;
         EdlList list;
         edlInitEdlListStruct(&list);
         list.dwTcMode = num(a[1]), list.dwFlags = num(a[2]);
         tagKvEdlHandle* h = edlOpen(inputFile(dir, a[0]).c_str(), nullptr, EDL_OPEN_READ, &list);
         if (h == nullptr) return std::string("open: failed");
         const bool same = h->list.dwListType == list.dwListType && h->list.dwFlags == list.dwFlags &&
                           h->list.dwTcMode == list.dwTcMode;
         const std::string out = "type=" + std::to_string(list.dwListType) + " flags=" + hex(list.dwFlags) + " tc=" +
                                 hex(list.dwTcMode) + "/" + hex(list.dwCurTcMode) + " word=" + hex(h->dwTcFlags) +
                                 (same ? "" : " handle differs") + " title=" + q(list.szTitle) + " tape=" + q(list.szTape) +
                                 " list=" + q(list.szListName) + " " + describeMap(list) + describeSources(h) +
                                 " next=";
         const std::string next = nextLine(h);
         edlClose(h);
         return out + next;
     }},
    {"type_line", [](const Args& a) {
         auto line = edlbtest::writable(a[0]);
         return std::to_string(edlLineIsXJTClipType(nullptr, line.data()) != 0) + " " +
                std::to_string(edlLineIsXJTListType(nullptr, line.data()) != 0);
     }},
};

TEST(Detection, Table) { edlbtest::checkTable("detect/detection.tsv", kDetection); }

TEST(Detection, RandomBytesAreReadWithinTheirLimits) {
    std::mt19937 random(20261206);
    std::string binary(65536, '\0');
    for (char& c : binary) c = static_cast<char>(random() & 0xFF);
    edlbtest::TempDir dir;
    const std::string path = dir.write("binary", binary);
    SenseHandle s(path, EDL_LF_BLACK_NOT_EVENT);
    const int type = edlAutoSense(s.h);
    EXPECT_LE(std::strlen(s.h->list.szTitle), 4121u);
    EXPECT_EQ(s.h->list.dwFlags, EDL_LF_BLACK_NOT_EVENT);
    expectOpenAgrees(path, type);
}

TEST(Detection, RefusesHandlesItCannotRead) {
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

TEST(Detection, FailedSourceEntryAllocationFailsDetection) {
    SenseHandle s(dataPath("detect/ds_sources.edl"), EDL_LF_BLACK_NOT_EVENT);
    edlb::g_failPrivateAllocations = true;
    EXPECT_EQ(edlAutoSense(s.h), 256);
    EXPECT_EQ(kv_ListCount(&s.h->sources), 0u);
    EXPECT_EQ(s.h->list.dwFlags, EDL_LF_BLACK_NOT_EVENT);
    EdlList list;
    edlInitEdlListStruct(&list);
    EXPECT_EQ(edlOpen(dataPath("detect/ds_sources.edl").c_str(), nullptr, EDL_OPEN_READ, &list), nullptr);
    edlb::g_failPrivateAllocations = false;
}

}  // namespace
