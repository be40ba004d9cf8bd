#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace {

struct Input {
    std::string name;
    std::string bytes;
};

std::string repeat(const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

std::vector<Input> malformedInputs() {
    std::string binary(65536, '\0');
    uint32_t seed = 12345;
    for (char& c : binary) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    const std::string event = "001  AX  V  C  01:00:00:00 01:00:05:00 02:00:00:00 02:00:05:00";
    std::string keywords;
    for (const char* k : {"TITLE:", "FCM:", "*FCM", "Heading", "FIELD_DELIM", "VIDEO_FORMAT",
                          "AUDIO_FORMAT", "FPS", "Column", "Data", "*DS type=", "*DS type=source ",
                          "*DS type=header ", "* FROM CLIP NAME:", "FINAL CUT PRO REEL:",
                          "SMPTE FRAME CODE", "Type:", "* Clip:", "clip:", "; clip:", "Media 100 file"}) {
        keywords += std::string(k) + "\n" + event + "\n";
    }
    std::string limits;
    for (size_t n : {63u, 64u, 65u}) limits += "001 " + std::string(n, 'R') + " V C 01:00:00:00 01:00:01:00\n";
    for (size_t n : {8u, 9u, 4097u, 4098u, 4099u}) limits += event + "\n* x ; " + std::string(n, 'n') + "\n";
    for (size_t n : {4194u, 4195u, 4196u}) limits += event + "\n*" + std::string(n, 'c') + "\n";
    limits += repeat("* " + std::string(1000, 'k') + "\n", 6) + event + "\n";
    return {
        {"binary", binary},
        {"nul_mid_line", "TITLE: A\0B\n" + event.substr(0, 20) + std::string(3, '\0') + event.substr(20) + "\n"},
        {"line_100k", event + "\n* " + std::string(100 * 1024, 'x') + "\n" + event + "\n"},
        {"line_10m", std::string(10 * 1024 * 1024, 'y') + "\n" + event + "\n"},
        {"commas", "Clip ID,TC In,TC Out\n" + std::string(10000, ',') + "\n"},
        {"truncated", "TITLE: T\nFCM: DROP FRAME\n" + event + "\n" + event.substr(0, 40)},
        {"cr_only", "TITLE: T\r" + event + "\r* note\r" + event + "\r"},
        {"mixed_ends", "TITLE: T\r\n" + event + "\n* note\r" + event + "\r\n\r\n\n" + event},
        {"digits_200", "001  AX  V  C  " + std::string(200, '9') + ":00 01:00:05:00 " + std::string(200, '1') + " 02:00:05:00\n"},
        {"keywords_alone", keywords},
        {"field_limits", "TITLE: " + std::string(4125, 't') + "\n" + limits},
    };
}

// Reads a list to its end and checks every event's texts stay within their capacities.
void readToEnd(const std::string& path, bool inlineRecords, const std::string& what) {
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    if (handle == nullptr) return;  // refused is a clear end result too
    EXPECT_LE(std::strlen(list.szTitle), 4121u) << what;
    auto vb = std::make_unique<EdlLineVB>();
    EdlLine line;
    edlInitEdlLineStruct(&line);
    uint32_t result = 0;
    int events = 0;
    for (; events < 20000; ++events) {
        result = inlineRecords ? edlReadLineVB(handle, vb.get()) : edlReadLine(handle, &line);
        if (result != 0) break;
        EdlLine shared;  // the inline record's fixed fields, its texts pointing at its buffers
        std::memcpy(&shared, vb.get(), offsetof(EdlLine, bXFile3) + 1);
        const EdlLine& e = inlineRecords ? shared : line;
        EXPECT_LE(std::strlen(e.szClipName), 10u) << what;
        EXPECT_LE(std::strlen(e.szReel), 64u) << what;
        EXPECT_LE(std::strlen(e.szName), 4098u) << what;
        EXPECT_LE(std::strlen(e.szComment), 4608u) << what;
        EXPECT_LE(std::strlen(e.szLine), 4608u) << what;
        EXPECT_LE(strnlen(e.szEffectText, 64), 63u) << what;
    }
    EXPECT_TRUE(result == EDL_END_OF_LIST || result == EDL_NO_LINE) << what << " ended with " << result;
    EXPECT_EQ(edlClose(handle), 0u) << what;
}

TEST(Malformed, EveryReaderReadsToAClearEnd) {
    edlbtest::TempDir dir;
    for (const Input& input : malformedInputs()) {
        // The same bytes as an event list, as a CSV log and as the rows of a column log.
        const std::string asEdl = dir.write(input.name + ".edl", input.bytes);
        const std::string asCsv = dir.write(input.name + ".csv", input.bytes);
        const std::string asAle = dir.write(input.name + ".ale",
                                            "Heading\nColumn\nName\tTracks\tStart\tEnd\tComments\nData\n" + input.bytes);
        for (bool inlineRecords : {false, true}) {
            for (const std::string& path : {asEdl, asCsv, asAle}) readToEnd(path, inlineRecords, path);
        }
    }
}

}  // namespace
