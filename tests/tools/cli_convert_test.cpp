// The edlbridge program converting a list: into every writable type (compared with golden
// files checked against the input), to standard output, with its default output name and
// its options, and never over its own input.
#include "core/list_types.h"
#include "list_type_names.h"
#include "run_tool.h"
#include "support/test_support.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

using edlbtest::RunResult;
using edlbtest::runTool;

std::string toolData() { return edlbtest::dataPath("tools"); }
std::string golden(const std::string& name) {
    return edlbtest::readFile(edlbtest::dataPath("tools/golden/" + name));
}

const char kCmx[] = "cmx_title_fcm_dissolve.edl";

TEST(ToolConvert, WritesEveryWritableType) {
    size_t count = 0;
    const edlbtool::TypeName* types = edlbtool::typeNames(&count);
    size_t converted = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!types[i].writable) continue;
        SCOPED_TRACE(types[i].name);
        edlbtest::TempDir out;
        const std::string target = out.file("list.out");
        const RunResult result =
            runTool({"convert", kCmx, "--to", types[i].name, "-o", target}, toolData());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, "wrote " + target + " (" + types[i].name + ", 5 events)\n");
        EXPECT_EQ(edlbtest::readFile(target),
                  golden(std::string("convert/cmx_title_fcm_dissolve.") + types[i].name));
        ++converted;
    }
    EXPECT_EQ(converted, 47u);
}

TEST(ToolConvert, StandardOutputDefaultNameAndOverwriteGuard) {
    edlbtest::TempDir work;
    const std::string input = edlbtest::dataPath(std::string("tools/") + kCmx);
    const std::string expected = golden("convert/cmx_title_fcm_dissolve.ds");

    // "-o -" prints the list itself and nothing else.
    RunResult result = runTool({"convert", input, "--to", "ds", "-o", "-"}, work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
    result = runTool({"convert", "--to=ds", "--output=-", input}, work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected);

    // Without -o: the input's base name with the type's extension, in the current directory.
    result = runTool({"convert", input, "--to", "ds"}, work.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "wrote cmx_title_fcm_dissolve.edl (ds, 5 events)\n");
    EXPECT_EQ(edlbtest::readFile(work.file("cmx_title_fcm_dissolve.edl")), expected);
    result = runTool({"convert", input, "--to", "flex"}, work.path());
    EXPECT_EQ(result.out, "wrote cmx_title_fcm_dissolve.flx (flex, 5 events)\n");
    // The media log's default extension holds a '*': the alternative is used.
    result = runTool({"convert", input, "--to", "medialog"}, work.path());
    EXPECT_EQ(result.out, "wrote cmx_title_fcm_dissolve.log (medialog, 5 events)\n");

    // Converting a list into its own file name would destroy it: refused, list unchanged.
    const std::string original = edlbtest::readFile(input);
    const std::string copy = work.write("cut.edl", original);
    result = runTool({"convert", "cut.edl", "--to", "cmx3600"}, work.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "edlbridge: cut.edl: would overwrite the input list\n");
    EXPECT_EQ(edlbtest::readFile(copy), original);

    // An output that cannot be created names the output.
    result = runTool({"convert", input, "--to", "ds", "-o", "no/such/dir/x.edl"}, work.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "edlbridge: no/such/dir/x.edl: cannot create: No such file or directory\n");
}

TEST(ToolConvert, TitleAndTimecodeModeOptions) {
    edlbtest::TempDir work;
    const std::string input = edlbtest::dataPath(std::string("tools/") + kCmx);
    RunResult result = runTool({"convert", input, "--to", "cmx3600", "--title", "NEW NAME",
                                "--fcm", "df", "-o", "df.edl"},
                               work.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(edlbtest::readFile(work.file("df.edl")),
              golden("convert/cmx_title_fcm_dissolve.cmx3600.df_titled"));

    // Read back, the new list carries the title, the mode, and the same labels.
    result = runTool({"dump", "df.edl", "--format", "json"}, work.path());
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["title"], "NEW NAME");
    EXPECT_EQ(json["timecode_mode"], 4);
    ASSERT_EQ(json["events"].size(), 5u);
    EXPECT_EQ(json["events"][0]["src_in"]["timecode"], "01:00:00;00");
    EXPECT_EQ(json["events"][0]["src_in"]["frames"], 107892);
    EXPECT_EQ(json["events"][1]["src_out"]["timecode"], "02:10:03;12");
}

TEST(ToolConvert, WrittenListsReadBackAsTheCatalogueSays) {
    size_t count = 0;
    const edlbtool::TypeName* types = edlbtool::typeNames(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!types[i].writable) continue;
        SCOPED_TRACE(types[i].name);
        const std::string file = std::string("convert/cmx_title_fcm_dissolve.") + types[i].name;
        const RunResult result = runTool({"detect", file}, toolData() + "/golden");
        const uint32_t readsBackAs = edlb::listTypeInfo(types[i].value).readsBackAs;
        if (readsBackAs == 0) {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, "edlbridge: " + file + ": not a list edlbridge can read\n");
            continue;
        }
        EXPECT_EQ(result.status, 0) << result.err;
        const edlbtool::TypeName* back = edlbtool::typeByValue(readsBackAs);
        ASSERT_NE(back, nullptr);
        EXPECT_NE(result.out.find("type: " + std::to_string(readsBackAs) + " " + back->name + "\n"),
                  std::string::npos)
            << result.out;
    }
}

}  // namespace
