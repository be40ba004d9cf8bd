// The edlbridge program itself, run on the cases of tests/data/tools/cases.txt (exit status,
// both streams, files written) and converting a sample list into every writable type.
#include "core/list_types.h"
#include "list_type_names.h"
#include "tool_test.h"

#include <edlbridge.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#if defined(__linux__)
#include <pty.h>
#endif
#include <unistd.h>
#endif

namespace {

using edlbtest::readFile;
using edlbtest::RunResult;
using edlbtest::runTool;
using edlbtest::split;

std::string toolData() { return edlbtest::dataPath("tools"); }

// The placeholders of the case file.
std::string expand(std::string text) {
    const std::pair<std::string, std::string> values[] = {
        {"$DATA", toolData()}, {"$LONG", std::string(4200, 'x')}, {"$VERSION", EDLBRIDGE_VERSION_STRING}};
    for (const auto& [name, value] : values) {
        for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    }
    return text;
}

class ToolCases : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ToolCases, StatusOutputErrorsAndFiles) {
    // name, where, args, status, stdout, stderr[, files]
    const std::vector<std::string>& c = GetParam();
    ASSERT_GE(c.size(), 6u);
#if defined(_WIN32)
    if (c[2].find("/dev/") != std::string::npos) GTEST_SKIP() << "Linux devices: " << c[2];
#endif
    edlbtest::TempDir tmp;
    const std::vector<std::string> where = split(c[1], '+');
    const std::string dir = where[0] == "tmp"        ? tmp.path()
                            : where[0] == "examples" ? EDLBRIDGE_EXAMPLE_LISTS
                                                     : toolData();
    for (size_t i = 1; i < where.size(); ++i) {
        const std::vector<std::string> copy = split(where[i], '=');
        tmp.write(copy[0], readFile(toolData() + "/" + copy.back()));
    }
    std::vector<std::string> args;
#if defined(_WIN32)
    std::string input = "NUL";
#else
    std::string input = "/dev/null";
#endif
    for (const std::string& arg : c[2].empty() ? std::vector<std::string>{} : split(c[2], ' ')) {
        if (arg[0] == '<') input = toolData() + "/" + arg.substr(1);
        else args.push_back(arg == "\"\"" ? "" : expand(edlbtest::unescape(arg)));
    }
#if !defined(_WIN32)
    // detect fits column lines to COLUMNS; the cases expect the width off a terminal.
    unsetenv("COLUMNS");
#endif
    const RunResult result = runTool(args, dir, input);
    EXPECT_EQ(result.status, std::stoi(c[3]));
    for (const auto& [want, got] : {std::make_pair(c[4], result.out), std::make_pair(c[5], result.err)}) {
        if (want[0] == '@') edlbtest::expectGolden("tools/" + want.substr(1), got);
        else EXPECT_EQ(got, want == "-" ? "" : expand(edlbtest::unescape(want)));
    }
    if (c[4].size() > 5 && c[4].compare(c[4].size() - 5, 5, ".json") == 0) {
        EXPECT_TRUE(nlohmann::json::accept(result.out));
    }
    for (const std::string& file : c.size() > 6 ? split(c[6], ' ') : std::vector<std::string>{}) {
        if (file[0] == '!') {
            EXPECT_NE(access((dir + "/" + file.substr(1)).c_str(), F_OK), 0) << file << " was written";
            continue;
        }
        const std::vector<std::string> pair = split(file, '=');
        const std::string expected = readFile(toolData() + "/" + pair.back());
        ASSERT_FALSE(expected.empty()) << pair.back();
        EXPECT_EQ(readFile(dir + "/" + pair[0]), expected) << pair[0];
    }
}

// The change list of diff as JSON, row by row against rows written by hand.
class DiffCases : public testing::TestWithParam<std::vector<std::string>> {};

std::string editOf(const nlohmann::json& side) {
    return side.is_null() ? "-" : std::to_string(side["edit"].get<unsigned>());
}

std::string framesOf(const nlohmann::json& value) {
    return value.is_null() ? "-" : std::to_string(value.get<int64_t>());
}

TEST_P(DiffCases, ChangesInRecordOrderOfNew) {
    // name, old, new, status, changes...
    const std::vector<std::string>& c = GetParam();
    ASSERT_GE(c.size(), 4u);
    const RunResult result = runTool({"diff", "--all", "--format", "json", c[1], c[2]}, toolData());
    EXPECT_EQ(result.status, std::stoi(c[3]));
    EXPECT_EQ(result.err, "");
    ASSERT_TRUE(nlohmann::json::accept(result.out)) << result.out;
    const nlohmann::json doc = nlohmann::json::parse(result.out);
    std::vector<std::string> rows;
    size_t changed = 0;
    for (const nlohmann::json& row : doc["changes"]) {
        std::string kinds;
        for (const nlohmann::json& kind : row["change"]) kinds += (kinds.empty() ? "" : "+") + kind.get<std::string>();
        changed += kinds != "unchanged";
        rows.push_back(kinds + " " + editOf(row["new"]) + " " + editOf(row["old"]) + " " + framesOf(row["head"]) + " " +
                       framesOf(row["tail"]) + " " + framesOf(row["move"]));
    }
    EXPECT_EQ(rows, std::vector<std::string>(c.begin() + 4, c.end()));
    EXPECT_EQ(doc["same"].get<bool>(), changed == 0);
}

INSTANTIATE_TEST_SUITE_P(Manifest, DiffCases, testing::ValuesIn(edlbtest::readTable("tools/diff_cases.txt")),
                         [](const auto& info) { return info.param[0]; });

#if !defined(_WIN32)
// Writes bytes into a FIFO once a reader has opened it; gives up after ten seconds, so a
// tool that never opens it fails the test instead of hanging it.
void writeWhenRead(const std::string& fifo, const std::string& bytes) {
    int fd = -1;
    for (int tries = 0; tries < 1000 && fd < 0; ++tries) {
        fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd < 0 && errno == ENXIO) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        else if (fd < 0) return;
    }
    if (fd < 0) return;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    close(fd);
}

// A FIFO is read like the file it carries: the table reads the list twice (sizing its
// columns first), so what came through the FIFO must have been kept.
TEST(ToolPipes, AFifoIsReadLikeTheFileItCarries) {
    std::signal(SIGPIPE, SIG_IGN);  // a tool that stops reading must not end the test
    edlbtest::TempDir tmp;
    const std::string fifo = tmp.file("cmx_title_fcm_dissolve.edl");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes = readFile(toolData() + "/cmx_title_fcm_dissolve.edl");
    std::thread writer([&] { writeWhenRead(fifo, bytes); });
    const RunResult result = runTool({"dump", "cmx_title_fcm_dissolve.edl", "--legacy"}, tmp.path());
    writer.join();
    EXPECT_EQ(result.status, 0) << result.err;
    edlbtest::expectGolden("tools/golden/cmx_title_fcm_dissolve.table.txt", result.out);
}

// What a shell's process substitution hands over: a pipe named by its descriptor.
TEST(ToolPipes, APipeNamedByItsDescriptorIsReadLikeAFile) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // Only the read end goes to the tool, or it would wait for its own writer to close.
    ASSERT_EQ(fcntl(fds[1], F_SETFD, FD_CLOEXEC), 0);
    const std::string bytes = readFile(toolData() + "/cmx_title_fcm_dissolve.edl");
    ASSERT_LT(bytes.size(), 4096u);  // fits the pipe: the writer never waits for the tool
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fds[1]);
    const RunResult result = runTool({"convert", "/dev/fd/" + std::to_string(fds[0]), "--to", "ds", "-o", "-", "--legacy"},
                                     toolData());
    close(fds[0]);
    EXPECT_EQ(result.status, 0) << result.err;
    edlbtest::expectGolden("tools/golden/convert/cmx_title_fcm_dissolve.ds", result.out);
}

// Whatever the tool writes (a list, a timeline, a drawing), a write that fails leaves no
// file behind, but never removes the device named as its output. The device, a copy of
// /dev/full, is made in a fresh folder so that a fault takes away only that node; where
// devices cannot be made the test is skipped.
TEST(ToolOutput, AFailedWriteKeepsTheDeviceItWroteTo) {
    edlbtest::TempDir tmp;
    const std::string full = tmp.file("full");
    if (mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) GTEST_SKIP() << "cannot make a device";
    const std::string list = toolData() + "/cmx_title_fcm_dissolve.edl";
    const std::vector<std::vector<std::string>> runs = {
        {"convert", list, "--to", "cmx3600", "-o", full},
        {"convert", list, "--to", "otio", "-o", full},
        {"timeline", list, "--format", "svg", "-o", full},
    };
    for (const std::vector<std::string>& args : runs) {
        const RunResult result = runTool(args, tmp.path());
        EXPECT_EQ(result.status, 1) << args[3];
        EXPECT_EQ(result.err, "edlbridge: " + full + ": write failed\n") << args[3];
        struct stat info {};
        ASSERT_EQ(stat(full.c_str(), &info), 0) << args[3] << ": the device was removed";
        EXPECT_TRUE(S_ISCHR(info.st_mode)) << args[3];
    }
}

#endif

INSTANTIATE_TEST_SUITE_P(Manifest, ToolCases, testing::ValuesIn(edlbtest::readTable("tools/cases.txt")),
                         [](const auto& info) { return info.param[0]; });

#if defined(_WIN32)
// A list named with a drive letter and backslashes: the default output takes the list's own
// name, in the current folder, and holds the bytes the same conversion writes to standard
// output, whose CR LF line ends stay as they are.
TEST(ToolOnWindows, BackslashPathsAndBinaryOutput) {
    const std::string slashed = toolData() + "/cmx_title_fcm_dissolve.edl";
    const std::string input = std::filesystem::absolute(slashed).make_preferred().string();
    ASSERT_EQ(input.substr(1, 2), ":\\") << input;
    edlbtest::TempDir tmp;
    const RunResult written = runTool({"convert", slashed, "--to", "ds", "-o", "-"}, tmp.path());
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.out.find("\r\n"), std::string::npos);
    EXPECT_EQ(written.out.find("\r\r\n"), std::string::npos);
    const RunResult result = runTool({"convert", input, "--to", "ds"}, tmp.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "wrote cmx_title_fcm_dissolve.edl (ds, 5 events)\n");
    EXPECT_EQ(readFile(tmp.file("cmx_title_fcm_dissolve.edl")), written.out);
}
#endif

// The converted list is byte for byte its golden file, and reading that file back gives the
// type the catalogue says, or is refused for types no reader knows.
TEST(ToolConvert, EveryWritableTypeMatchesItsGoldenAndReadsBackAsCatalogued) {
    size_t count = 0, converted = 0;
    const edlbtool::TypeName* types = edlbtool::typeNames(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!edlbtool::convertWrites(types[i])) continue;
        const std::string name = types[i].shortName;
        SCOPED_TRACE(name);
        ++converted;
        edlbtest::TempDir out;
        const std::string target = out.file("list.out");
        const std::string golden = "golden/convert/cmx_title_fcm_dissolve." + name;
        RunResult result = runTool({"convert", "cmx_title_fcm_dissolve.edl", "--to", name, "-o", target, "--legacy"}, toolData());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, "wrote " + target + " (" + name + ", 5 events)\n");
        edlbtest::expectGolden("tools/" + golden, readFile(target));

        // The catalogue says what the documented detection makes of the list.
        result = runTool({"detect", golden, "--legacy"}, toolData());
        const uint32_t back = edlb::listTypeInfo(types[i].value).readsBackAs;
        EXPECT_EQ(result.status, back == 0 ? 1 : 0) << result.err;
        if (back == 0) {
            EXPECT_EQ(result.err, "edlbridge: " + golden +
                                      ": not a list edlbridge can read: no event line, list header (TITLE, FCM, "
                                      "*DS), log heading or known column line found (see 'edlbridge types')\n");
        } else {
            ASSERT_NE(edlbtool::typeByValue(back), nullptr);
            const std::string line = "type: " + std::to_string(back) + " " + edlbtool::typeByValue(back)->shortName + "\n";
            EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
        }
    }
    EXPECT_EQ(converted, 47u);
}

// --verbose shows every warning. Each four-second event starts three seconds after the one
// before: events 2, 4, ... 12 overlap the event before them on V1 and on A1 ("B") by a
// second and go on a further track each, where they follow one another; the odd ones fit
// on the track itself. The tracks are written side by side, event by event.
TEST(ToolWarnings, VerboseShowsEveryOne) {
    edlbtest::TempDir tmp;
    const RunResult result =
        runTool({"convert", toolData() + "/otio/overlap_many.edl", "--to", "otio", "-o", "out.otio",
                 "--verbose", "--quiet"},
                tmp.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    std::string expected;
    for (int k = 2; k <= 12; k += 2) {
        for (const std::string track : {"V1", "A1"}) {
            expected += "edlbridge: " + toolData() + "/otio/overlap_many.edl: event " + std::to_string(k) +
                        " (edit " + std::to_string(k) + ") overlaps the event before it on " + track +
                        " by 30 frames: placed on a further " + track + " track\n";
        }
    }
    EXPECT_EQ(result.err, expected);
}

// A list of count one-second cuts, LF line ends.
std::string cutsList(size_t count) {
    std::string text = "TITLE: MANY\nFCM: NON-DROP FRAME\n\n";
    const auto tc = [](size_t s) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02zu:%02zu:%02zu:00", s / 3600 % 24, s / 60 % 60, s % 60);
        return std::string(buffer);
    };
    for (size_t k = 1; k <= count; ++k) {
        char line[128];
        std::snprintf(line, sizeof line, "%03zu  R%-6zu  V     C        %s %s %s %s\n", k % 1000, k % 100,
                      tc(k).c_str(), tc(k + 1).c_str(), tc(k).c_str(), tc(k + 1).c_str());
        text += line;
    }
    return text;
}

// Progress is for a terminal: with standard error in a file nothing but the reports is
// written there, for a batch and for a list long enough to be reported on.
TEST(ToolProgress, NoneWhenStandardErrorIsNoTerminal) {
    edlbtest::TempDir tmp;
    tmp.write("long.edl", cutsList(10000));
    tmp.write("short.edl", cutsList(3));
    const RunResult result = runTool({"convert", "long.edl", "short.edl", "--to", "ale", "-d", "out"}, tmp.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "wrote out/long.ale (ale, 10000 events)\nwrote out/short.ale (ale, 3 events)\n");
    EXPECT_EQ(result.err, "");
}

#if defined(__linux__)
// Runs the tool in directory with standard error (and output) on a pseudo-terminal; what
// the terminal received.
std::string runOnTerminal(std::vector<std::string> args, const std::string& directory) {
    std::string program = EDLBRIDGE_CLI;
    std::vector<char*> argv{program.data()};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (chdir(directory.c_str()) == 0) execv(argv[0], argv.data());
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t got; pid > 0 && (got = read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, static_cast<size_t>(got));
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    if (master >= 0) close(master);
    return seen;
}

TEST(ToolProgress, ShownOnATerminalAndClearedAgain) {
    edlbtest::TempDir tmp;
    tmp.write("long.edl", cutsList(9000));
    tmp.write("short.edl", cutsList(3));
    const std::string seen = runOnTerminal({"convert", "long.edl", "short.edl", "--to", "ale", "-d", "out"}, tmp.path());
    // The batch position, then the events read every 4096, each replacing the line.
    for (const char* line : {"\r[1/2] long.edl\x1b[K", "\r[1/2] long.edl: 4096 events read\x1b[K",
                             "\r[1/2] long.edl: 8192 events read\x1b[K", "\r[2/2] short.edl\x1b[K"}) {
        EXPECT_NE(seen.find(line), std::string::npos) << line << " not in " << seen;
    }
    // Cleared before each "wrote" line (the terminal shows LF as CR LF).
    EXPECT_NE(seen.find("\r\x1b[Kwrote out/long.ale (ale, 9000 events)\r\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("\r\x1b[Kwrote out/short.ale (ale, 3 events)\r\n"), std::string::npos) << seen;

    const std::string quiet =
        runOnTerminal({"convert", "long.edl", "short.edl", "--to", "ale", "-d", "quiet", "--quiet"}, tmp.path());
    EXPECT_EQ(quiet, "");
}
#endif

// The option names a help text mentions: "-o", "--format", ... (a '-' after a letter or
// digit, as in "CMX-like", begins none).
std::set<std::string> optionsIn(const std::string& help) {
    std::set<std::string> names;
    for (size_t i = 0; i + 1 < help.size(); ++i) {
        const auto letter = [&help](size_t at) { return at < help.size() && std::islower(static_cast<unsigned char>(help[at])); };
        if (help[i] != '-' || (i > 0 && (std::isalnum(static_cast<unsigned char>(help[i - 1])) || help[i - 1] == '-'))) continue;
        const size_t start = i;
        size_t at = i + 1;
        if (help[at] == '-') ++at;
        if (!letter(at)) continue;
        while (at < help.size() && (letter(at) || help[at] == '-')) ++at;
        names.insert(help.substr(start, at - start));
        i = at;
    }
    return names;
}

// The commands the main help lists, in its "Commands:" block.
std::vector<std::string> commandsInHelp() {
    const std::string help = runTool({"--help"}, toolData()).out;
    std::vector<std::string> commands;
    const size_t block = help.find("Commands:\n");
    std::istringstream lines(help.substr(block + 10, help.find("\n\n", block) - block - 10));
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line[2] != ' ') commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    return commands;
}

// Every command and its options, written from the help texts; pairs are one option.
const std::vector<std::pair<std::string, std::vector<std::vector<std::string>>>> kCommandOptions = {
    {"types", {{"-h", "--help"}}},
    {"detect", {{"-h", "--help"}, {"--legacy"}, {"--quiet"}, {"--verbose"}, {"--format"}, {"--rate"}, {"--record-start"}}},
    {"dump", {{"-h", "--help"}, {"--legacy"}, {"--quiet"}, {"--verbose"}, {"--format"}, {"--rate"}, {"--record-start"}}},
    {"convert", {{"-h", "--help"}, {"--legacy"}, {"--quiet"}, {"--verbose"}, {"--to"}, {"-o", "--output"},
                 {"-d", "--directory"}, {"--fcm"}, {"--title"}, {"--reel-width"}, {"--rate"}, {"--record-start"}}},
    {"diff", {{"-h", "--help"}, {"--all"}, {"--format"}, {"--rate"}, {"--record-start"}}},
    {"timeline", {{"-h", "--help"}, {"-o", "--output"}, {"--format"}, {"--diff"}, {"--quiet"}, {"--rate"},
                  {"--record-start"}}},
    {"markers", {{"-h", "--help"}, {"--format"}, {"-o", "--output"}, {"--rate"}}},
    {"cdl", {{"-h", "--help"}, {"-d", "--directory"}, {"--format"}, {"--id"}, {"--rate"}, {"--record-start"}}},
};

// The completion scripts name every command the main help lists and, for each, every
// spelling of its options and nothing else; the command's help, or the main help, names
// each option.
TEST(ToolCompletion, ScriptsNameEveryCommandAndOption) {
    std::vector<std::string> listed;
    for (const auto& [command, options] : kCommandOptions) listed.push_back(command);
    EXPECT_EQ(commandsInHelp(), listed);
    for (const char* shell : {"bash", "zsh"}) {
        SCOPED_TRACE(shell);
        const RunResult result = runTool({"completion", shell}, toolData());
        ASSERT_EQ(result.status, 0);
        ASSERT_EQ(result.err, "");
        const std::string& script = result.out;
        for (const auto& [command, options] : kCommandOptions) {
            SCOPED_TRACE(command);
            const size_t begin = script.find("\n    " + command + ")\n");
            ASSERT_NE(begin, std::string::npos);
            const std::string section = script.substr(begin, script.find("\n        ;;\n", begin) - begin);
            std::set<std::string> named = optionsIn(section);
            // What the bash script hands to compgen and complete besides option names.
            for (const char* word : {"-W", "-f", "-F"}) named.erase(word);
            if (command != "convert" && command != "cdl") named.erase("-d");
            std::set<std::string> expected;
            // The options of every reading command are in the main help.
            const std::set<std::string> inHelp =
                optionsIn(runTool({command, "--help"}, toolData()).out + runTool({"--help"}, toolData()).out);
            for (const std::vector<std::string>& option : options) {
                expected.insert(option.begin(), option.end());
                // -h and --help: the main help says every command takes them.
                const bool documented = option.front() == "-h" || std::any_of(option.begin(), option.end(),
                    [&inHelp](const std::string& name) { return inHelp.count(name) != 0; });
                EXPECT_TRUE(documented) << option.front() << " not in the help of " << command;
            }
            EXPECT_EQ(named, expected);
        }
    }
}

TEST(ToolCompletion, OnlyBashOrZsh) {
    const RunResult result = runTool({"completion", "fish"}, toolData());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "edlbridge: completion: give the shell: bash or zsh (see 'edlbridge --help')\n");
}

#if !defined(_WIN32)
// The bash script at work: what it offers for the words typed so far (the last one being
// completed).
std::string bashOffers(const std::string& script, const std::string& typed) {
    edlbtest::TempDir tmp;
    tmp.write("edlbridge.bash", script);
    tmp.write("run.sh", "source ./edlbridge.bash\nCOMP_WORDS=(" + typed +
                            ")\nCOMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))\n_edlbridge\necho \"${COMPREPLY[*]}\"\n");
    const RunResult result = edlbtest::runProgram({"/bin/bash", "run.sh"}, tmp.path());
    return result.out;
}

TEST(ToolCompletion, ScriptsAreValidShell) {
    for (const char* shell : {"bash", "zsh"}) {
        const std::string program = std::string("/bin/") + shell;
        if (access(program.c_str(), X_OK) != 0) continue;
        edlbtest::TempDir tmp;
        tmp.write("script", runTool({"completion", shell}, toolData()).out);
        const RunResult checked = edlbtest::runProgram({program, "-n", "script"}, tmp.path());
        EXPECT_EQ(checked.status, 0) << shell << ": " << checked.err;
    }
}

TEST(ToolCompletion, BashOffersCommandsOptionsAndValues) {
    if (access("/bin/bash", X_OK) != 0) GTEST_SKIP() << "no /bin/bash";
    const std::string script = runTool({"completion", "bash"}, toolData()).out;
    EXPECT_EQ(bashOffers(script, "edlbridge du"), "dump\n");
    EXPECT_EQ(bashOffers(script, "edlbridge --v"), "--version\n");
    EXPECT_EQ(bashOffers(script, "edlbridge dump --f"), "--format\n");
    EXPECT_EQ(bashOffers(script, "edlbridge dump x.edl --format j"), "json\n");
    EXPECT_EQ(bashOffers(script, "edlbridge convert x.edl --to cmx36"), "cmx3600\n");
    EXPECT_EQ(bashOffers(script, "edlbridge convert x.edl --to ot"), "otio\n");
    EXPECT_EQ(bashOffers(script, "edlbridge convert x.edl --fcm 23"), "23.98 23.98df\n");
    EXPECT_EQ(bashOffers(script, "edlbridge convert x.edl --v"), "--verbose\n");
    EXPECT_EQ(bashOffers(script, "edlbridge detect --format ''"), "text json\n");
}
#endif

}  // namespace
