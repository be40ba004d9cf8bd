// The command line's option syntax where the manifest (tests/data/tools/cases.txt) does not
// look: spellings taken and refused, the first of several problems, values that look like
// options, '--', and repeated options. Every expectation is written by hand.
#include "tool_test.h"

#include <string>
#include <vector>

namespace {

using edlbtest::readFile;
using edlbtest::RunResult;
using edlbtest::runTool;

struct OptionCase {
    const char* name;
    std::vector<std::string> args;  // run in tests/data/tools
    int status;
    const char* out;
    const char* err;
};

std::string usage(const std::string& command, const std::string& reason) {
    return "edlbridge: " + command + ": " + reason + " (see 'edlbridge --help')\n";
}

const OptionCase kCases[] = {
    // Arguments that begin with '-' and are no option's exact name (or NAME=VALUE of an
    // option that takes a value) are unknown options, never values or operands.
    {"number_is_an_unknown_option", {"detect", "-5"}, 2, "", "unknown option '-5'"},
    {"value_joined_to_short_option", {"convert", "-ofile", "a.edl", "--to", "ds"}, 2, "", "unknown option '-ofile'"},
    {"flag_given_a_value", {"detect", "--legacy=1", "a.edl"}, 2, "", "unknown option '--legacy=1'"},
    {"help_given_a_value", {"detect", "--help=1"}, 2, "", "unknown option '--help=1'"},
    {"short_flags_run_together", {"detect", "-hx"}, 2, "", "unknown option '-hx'"},
    {"three_dashes", {"detect", "---x", "a.edl"}, 2, "", "unknown option '---x'"},
    // dump, like detect, takes '--' for the end of the options: "-" after it is a file.
    {"double_dash_of_dump", {"dump", "--", "-", "-"}, 2, "", "standard input can be read only once"},
    {"double_dash_of_convert", {"convert", "--", "a.edl", "--to", "ds"}, 2, "", "unknown option '--'"},
    {"double_dash_of_types", {"types", "--"}, 2, "", "unexpected argument '--'"},
    {"option_of_types", {"types", "--legacy"}, 2, "", "unexpected argument '--legacy'"},
    {"operand_before_help_of_types", {"types", "x", "-h"}, 2, "", "unexpected argument 'x'"},
    // The first problem in the order of the arguments is the one reported.
    {"second_file_before_bad_format", {"dump", "a.edl", "b.edl", "--format", "xml"}, 2, "", "no such format 'xml'"},
    {"bad_format_before_second_file", {"dump", "a.edl", "--format", "xml", "b.edl"}, 2, "", "no such format 'xml'"},
    {"unknown_option_before_help", {"detect", "--fast", "-h"}, 2, "", "unknown option '--fast'"},
    {"unknown_option_before_missing_value", {"convert", "a.edl", "--fast", "--to"}, 2, "", "unknown option '--fast'"},
    {"second_list_before_bad_format", {"timeline", "a.edl", "b.edl", "--format", "pdf"}, 2, "", "only one list can be drawn"},
    // timeline checks its format once every argument is read, after the list.
    {"timeline_format_after_list", {"timeline", "--format", "pdf"}, 2, "", "no list given"},
    // An option that ends the arguments without its value is named as it was spelled.
    {"missing_value_long", {"convert", "a.edl", "--to"}, 2, "", "--to needs a value"},
    {"missing_value_short", {"convert", "a.edl", "--to", "ds", "-o"}, 2, "", "-o needs a value"},
    {"missing_value_long_spelling", {"timeline", "a.edl", "--output"}, 2, "", "--output needs a value"},
    // The argument after an option is its value, whatever it looks like.
    {"help_as_a_value", {"dump", "a.edl", "--format", "-h"}, 2, "", "no such format '-h'"},
    {"flag_as_a_value", {"convert", "a.edl", "--to", "--legacy"}, 2, "", "no such list type '--legacy'"},
    {"double_dash_as_a_value", {"convert", "a.edl", "--to", "ds", "--fcm", "--"}, 2, "", "no such timecode mode '--'"},
};

class OptionCases : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionCases, ReportTheFirstProblem) {
    const OptionCase& c = GetParam();
    const RunResult result = runTool(c.args, edlbtest::dataPath("tools"));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, usage(c.args[0], c.err));
}

INSTANTIATE_TEST_SUITE_P(Syntax, OptionCases, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Help where it comes first, even before an unknown option.
TEST(ToolOptions, HelpBeforeAnUnknownOption) {
    const RunResult result = runTool({"detect", "-h", "--fast"}, edlbtest::dataPath("tools"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, readFile(edlbtest::dataPath("tools/golden/help_detect.txt")));
}

// "-o=OUT" and "-d=DIR" are "-o OUT" and "-d DIR".
TEST(ToolOptions, ShortOptionsTakeAValueAfterAnEqualsSign) {
    const std::string list = edlbtest::dataPath("tools/cmx_title_fcm_dissolve.edl");
    const std::string flex = readFile(edlbtest::dataPath("tools/golden/convert/cmx_title_fcm_dissolve.flex"));
    ASSERT_FALSE(flex.empty());
    edlbtest::TempDir tmp;
    RunResult result = runTool({"convert", list, "--to", "flex", "-o=cut.flx", "--legacy"}, tmp.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "wrote cut.flx (flex, 5 events)\n");
    EXPECT_EQ(readFile(tmp.file("cut.flx")), flex);

    result = runTool({"convert", list, "--to", "flex", "-d=.", "--legacy"}, tmp.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "wrote ./cmx_title_fcm_dissolve.flx (flex, 5 events)\n");
    EXPECT_EQ(readFile(tmp.file("cmx_title_fcm_dissolve.flx")), flex);
}

// "--title=" is an empty title, not "--title" waiting for the next argument: the list keeps
// its events and loses the title "HARBOUR CUT" it was read with.
TEST(ToolOptions, EmptyValueAfterAnEqualsSign) {
    for (const std::vector<std::string>& title : {std::vector<std::string>{"--title="},
                                                  std::vector<std::string>{"--title", ""}}) {
        std::vector<std::string> args = {"convert", "cmx_title_fcm_dissolve.edl", "--to", "cmx3600"};
        args.insert(args.end(), title.begin(), title.end());
        args.insert(args.end(), {"-o", "-"});
        const RunResult result = runTool(args, edlbtest::dataPath("tools"));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out.compare(0, 21, "FCM: NON-DROP FRAME\r\n"), 0) << result.out;
        EXPECT_EQ(result.out.find("TITLE:"), std::string::npos);
        EXPECT_NE(result.out.find("\r\n001  HARB01 "), std::string::npos);
    }
}

// After '--' every argument of detect and diff is a file, even one spelled like an option.
TEST(ToolOptions, DoubleDashEndsTheOptionsOfDetectAndDiff) {
    const std::string data = edlbtest::dataPath("tools");
    RunResult result = runTool({"detect", "--", "-h"}, data);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "edlbridge: -h: cannot open: No such file or directory\n");

    result = runTool({"detect", "--format", "json", "--", "--format"}, data);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "[\n  {\n    \"file\": \"--format\",\n"
              "    \"error\": \"cannot open: No such file or directory\"\n  }\n]\n");
    EXPECT_EQ(result.err, "edlbridge: --format: cannot open: No such file or directory\n");

    result = runTool({"diff", "--", "-a", "-b"}, data);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "edlbridge: -a: cannot open: No such file or directory\n");
}

// A repeated option: the last value counts.
TEST(ToolOptions, TheLastOfARepeatedOptionCounts) {
    const RunResult result = runTool({"detect", "--format", "json", "--format", "text", "cmx_title_fcm_dissolve.edl"},
                                     edlbtest::dataPath("tools"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "file: cmx_title_fcm_dissolve.edl\ntype: 251 generic\ntitle: HARBOUR CUT\n"
              "timecode mode: 0x02 ndf (non-drop frame, 30 fps)\nevents: 5\n"
              "rate: 29.97 fps (assumed)\n  frame numbers never pass 12: a list counted at 24 or 25 fps needs --rate 24 or --rate 25\n");
}

}  // namespace
