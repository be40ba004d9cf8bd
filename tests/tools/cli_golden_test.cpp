// The edlbridge program reading sample lists: its output compared with golden files that
// were checked against the lists by hand.
#include "run_tool.h"
#include "support/test_support.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using edlbtest::RunResult;
using edlbtest::runTool;

std::string toolData() { return edlbtest::dataPath("tools"); }
std::string golden(const std::string& name) {
    return edlbtest::readFile(edlbtest::dataPath("tools/golden/" + name));
}

const char kCmx[] = "cmx_title_fcm_dissolve.edl";
const char kAle[] = "ale_pal_log.ale";
const char kCsv[] = "csv_clip_log.csv";

TEST(ToolGolden, DetectAndDumpPrintWhatTheGoldenFilesHold) {
    struct Case {
        std::vector<std::string> args;
        const char* golden;
    } const cases[] = {
        {{"detect", kCmx, kAle, kCsv}, "detect.txt"},
        {{"dump", kCmx}, "cmx_title_fcm_dissolve.table.txt"},
        {{"dump", kCmx, "--format", "json"}, "cmx_title_fcm_dissolve.json"},
        {{"dump", "--format=csv", kCmx}, "cmx_title_fcm_dissolve.csv"},
        {{"dump", kAle, "--format", "table"}, "ale_pal_log.table.txt"},
        {{"dump", kAle, "--format", "json"}, "ale_pal_log.json"},
        {{"dump", kAle, "--format", "csv"}, "ale_pal_log.csv"},
        {{"dump", kCsv}, "csv_clip_log.table.txt"},
        {{"dump", kCsv, "--format", "json"}, "csv_clip_log.json"},
        {{"dump", kCsv, "--format", "csv"}, "csv_clip_log.csv"},
    };
    for (const Case& c : cases) {
        const RunResult result = runTool(c.args, toolData());
        EXPECT_EQ(result.status, 0) << c.golden;
        EXPECT_EQ(result.err, "") << c.golden;
        EXPECT_EQ(result.out, golden(c.golden)) << c.golden;
    }
}

TEST(ToolGolden, JsonDumpParsesAndAgreesWithDetect) {
    struct Case {
        const char* list;
        unsigned type;
        size_t events;
    } const cases[] = {{kCmx, 251, 5}, {kAle, 5, 3}, {kCsv, 46, 2}};
    for (const Case& c : cases) {
        const RunResult result = runTool({"dump", c.list, "--format", "json"}, toolData());
        ASSERT_EQ(result.status, 0) << c.list;
        nlohmann::json json;
        ASSERT_NO_THROW(json = nlohmann::json::parse(result.out)) << c.list;
        EXPECT_EQ(json["list_type"], c.type) << c.list;
        ASSERT_TRUE(json["events"].is_array()) << c.list;
        EXPECT_EQ(json["events"].size(), c.events) << c.list;
        for (const nlohmann::json& event : json["events"]) {
            for (const char* key : {"src_in", "src_out", "rec_in", "rec_out", "mark_in", "mark_out"}) {
                ASSERT_TRUE(event[key]["frames"].is_number_unsigned()) << c.list << " " << key;
                EXPECT_EQ(event[key]["timecode"].get<std::string>().size(), 11u) << c.list;
            }
            EXPECT_TRUE(event["reel"].is_string()) << c.list;
            EXPECT_TRUE(event["audio_offset"].is_number_integer()) << c.list;
        }
    }
}

TEST(ToolSamples, TheBundledListsAreReadable) {
    const std::string lists = std::string(EDLBRIDGE_EXAMPLE_LISTS);
    for (const char* list : {"harbour_cut.edl", "harbour_log.ale"}) {
        const RunResult result = runTool({"detect", list}, lists);
        EXPECT_EQ(result.status, 0) << list << ": " << result.err;
        EXPECT_NE(result.out.find("events: "), std::string::npos) << list;
        EXPECT_EQ(result.out.find("events: 0\n"), std::string::npos) << list;
    }
}

}  // namespace
