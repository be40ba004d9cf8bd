// The edlbridge program itself: exit status, standard output and standard error for good
// and bad usage and for files it cannot read.
#include "run_tool.h"
#include "support/test_support.h"

#include <edlbridge.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using edlbtest::RunResult;
using edlbtest::runTool;

std::string toolData() { return edlbtest::dataPath("tools"); }

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* err;  // the whole of standard error
};

TEST(ToolCli, BadUsageExitsWithTwoAndOneLineOnStandardError) {
    const std::string see = " (see 'edlbridge --help')\n";
    const UsageCase cases[] = {
        {"unknown command", {"frobnicate"}, 2, "edlbridge: frobnicate: no such command"},
        {"detect without files", {"detect"}, 2, "edlbridge: detect: no file given"},
        {"detect, unknown option", {"detect", "--fast", "a.edl"}, 2,
         "edlbridge: detect: unknown option '--fast'"},
        {"dump without file", {"dump"}, 2, "edlbridge: dump: no file given"},
        {"dump, two files", {"dump", "a.edl", "b.edl"}, 2,
         "edlbridge: dump: only one file can be dumped"},
        {"dump, unknown format", {"dump", "a.edl", "--format", "xml"}, 2,
         "edlbridge: dump: no such format 'xml'"},
        {"dump, format without value", {"dump", "a.edl", "--format"}, 2,
         "edlbridge: dump: --format needs a value"},
        {"convert without type", {"convert", "a.edl"}, 2,
         "edlbridge: convert: --to TYPE is required"},
        {"convert without input", {"convert", "--to", "cmx3600"}, 2,
         "edlbridge: convert: no input list given"},
        {"convert, bad type name", {"convert", "a.edl", "--to", "cmx9999"}, 2,
         "edlbridge: convert: no such list type 'cmx9999'"},
        {"convert, type value without dialect", {"convert", "a.edl", "--to=47"}, 2,
         "edlbridge: convert: no such list type '47'"},
        {"convert, a type that is only read", {"convert", "a.edl", "--to", "csv"}, 2,
         "edlbridge: convert: list type 'csv' cannot be written"},
        {"convert, bad timecode mode", {"convert", "a.edl", "--to", "ds", "--fcm", "31"}, 2,
         "edlbridge: convert: no such timecode mode '31'"},
        {"convert, empty output name", {"convert", "a.edl", "--to", "ds", "-o", ""}, 2,
         "edlbridge: convert: -o needs a file name"},
        {"types with an argument", {"types", "all"}, 2,
         "edlbridge: types: unexpected argument 'all'"},
    };
    for (const UsageCase& c : cases) {
        const RunResult result = runTool(c.args, toolData());
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.err, std::string(c.err) + see) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
    }
}

TEST(ToolCli, FilesThatCannotBeReadExitWithOneAndNameTheFile) {
    const UsageCase cases[] = {
        {"missing file", {"detect", "missing.edl"}, 1,
         "edlbridge: missing.edl: cannot open: No such file or directory\n"},
        {"a directory", {"dump", "."}, 1, "edlbridge: .: cannot open: is a directory\n"},
        {"not a regular file", {"dump", "/dev/null"}, 1,
         "edlbridge: /dev/null: cannot open: not a regular file\n"},
        {"only comment lines", {"dump", "comments_only.edl", "--format=json"}, 1,
         "edlbridge: comments_only.edl: not a list edlbridge can read\n"},
        {"a refused batch list", {"convert", "premiere_refused.txt", "--to", "cmx3600"}, 1,
         "edlbridge: premiere_refused.txt: not a list edlbridge can read\n"},
        {"every file is reported", {"detect", "missing.edl", "comments_only.edl"}, 1,
         "edlbridge: missing.edl: cannot open: No such file or directory\n"
         "edlbridge: comments_only.edl: not a list edlbridge can read\n"},
        {"a name too long for the library", {"detect", std::string(4200, 'x')}, 1,
         nullptr},
    };
    for (const UsageCase& c : cases) {
        const RunResult result = runTool(c.args, toolData());
        EXPECT_EQ(result.status, c.status) << c.what;
        if (c.err != nullptr) {
            EXPECT_EQ(result.err, c.err) << c.what;
        } else {
            // One line that names the file (here: too long for the system as well).
            EXPECT_EQ(result.err.find("edlbridge: xxx"), 0u) << c.what;
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << c.what;
        }
        EXPECT_EQ(result.out, "") << c.what;
    }
}

TEST(ToolCli, HelpAndVersion) {
    struct HelpCase {
        std::vector<std::string> args;
        const char* firstLine;
    } const cases[] = {
        {{"--help"}, "Usage: edlbridge COMMAND [ARGS]\n"},
        {{"-h"}, "Usage: edlbridge COMMAND [ARGS]\n"},
        {{"types", "--help"}, "Usage: edlbridge types\n"},
        {{"detect", "-h"}, "Usage: edlbridge detect FILE...\n"},
        {{"dump", "--help"}, "Usage: edlbridge dump FILE [--format table|json|csv]\n"},
        {{"convert", "--help"},
         "Usage: edlbridge convert IN --to TYPE [-o OUT] [--fcm MODE] [--title TEXT]\n"},
    };
    for (const HelpCase& c : cases) {
        const RunResult result = runTool(c.args, toolData());
        EXPECT_EQ(result.status, 0) << c.args[0];
        EXPECT_EQ(result.out.substr(0, std::string(c.firstLine).size()), c.firstLine);
        EXPECT_EQ(result.err, "");
    }
    const RunResult version = runTool({"--version"}, toolData());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("edlbridge ") + EDLBRIDGE_VERSION_STRING + "\n");

    // Without a command the overview goes to standard error: it is a usage error.
    const RunResult bare = runTool({}, toolData());
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_EQ(bare.err.substr(0, 31), "Usage: edlbridge COMMAND [ARGS]");
}

TEST(ToolCli, TypesTableHasOneRowPerListType) {
    const RunResult result = runTool({"types"}, toolData());
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.out, edlbtest::readFile(edlbtest::dataPath("tools/types.txt")));
}

}  // namespace
