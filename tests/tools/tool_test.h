// Helpers of the command-line tests: running the program, tab-separated case files and
// golden files.
#ifndef EDLBRIDGE_TESTS_TOOLS_TOOL_TEST_H
#define EDLBRIDGE_TESTS_TOOLS_TOOL_TEST_H

#include "support/expected_output.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace edlbtest {

struct RunResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out, err;
};

#if defined(_WIN32)
// One argument of a Windows command line, quoted so that the C runtime's parser gives it
// back unchanged: backslashes are literal unless they precede a quote.
inline std::string quoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string quoted = "\"";
    for (size_t i = 0;; ++i) {
        size_t backslashes = 0;
        for (; i < arg.size() && arg[i] == '\\'; ++i) ++backslashes;
        if (i == arg.size()) {
            quoted.append(2 * backslashes, '\\');
            break;
        }
        if (arg[i] == '"') {
            quoted.append(2 * backslashes + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        quoted += arg[i];
    }
    return quoted + "\"";
}

// Runs the tool in directory with args, its standard streams redirected to files. Standard
// input is the file input names, else empty.
inline RunResult runTool(std::vector<std::string> args, const std::string& directory,
                         const std::string& input = "NUL") {
    TempDir capture;
    const std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
    const std::string program = EDLBRIDGE_CLI;
    std::string commandLine = quoteArgument(program);
    for (const std::string& arg : args) commandLine += " " + quoteArgument(arg);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE in = open(input, GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = open(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = open(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    bool started = false;
    DWORD startError = 0;
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
        // A start that fails is tried again: what is tested is the program, not the start.
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, directory.c_str(), &startup, &process) != 0;
            if (!started) startError = GetLastError();
        }
    } else {
        startError = GetLastError();
    }
    for (HANDLE handle : {in, out, err}) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    if (!started) return {-1, "", "cannot start " + program + ": error " + std::to_string(startError)};
    DWORD status = 0;
    const bool exited = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process.hProcess, &status) != 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!exited) return {-1, "", "no exit status of " + program};
    return {static_cast<int>(status), readFile(outPath), readFile(errPath)};
}
#else
// Runs program (the first of args) in directory with the other args; no shell, so arguments
// need no quoting. Standard input is the file input names, else empty.
inline RunResult runProgram(std::vector<std::string> args, const std::string& directory,
                            const std::string& input = "/dev/null") {
    TempDir capture;
    const std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open(input.c_str(), O_RDONLY);
        if (out >= 0 && err >= 0 && in >= 0 && dup2(in, 0) >= 0 && dup2(out, 1) >= 0 && dup2(err, 2) >= 0 &&
            chdir(directory.c_str()) == 0) {
            execv(argv[0], argv.data());
        }
        _exit(127);
    }
    int status = 0;
    const bool exited = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    return {exited ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
}

// Runs the tool in directory with args.
inline RunResult runTool(std::vector<std::string> args, const std::string& directory,
                         const std::string& input = "/dev/null") {
    args.insert(args.begin(), EDLBRIDGE_CLI);
    return runProgram(std::move(args), directory, input);
}
#endif

// Table cells write bytes a line cannot hold as \n \r \t \\ and \xNN.
inline std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (text[++i] == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i] == 't' ? '\t' : text[i];
        }
    }
    return out;
}

// Empty fields are kept: an empty cell is an empty text.
inline std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == separator) fields.emplace_back(); else fields.back() += c;
    }
    return fields;
}

// The rows of a tab-separated file under tests/data, without blank lines and '#' comments.
inline std::vector<std::vector<std::string>> readTable(const std::string& relative) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(readFile(dataPath(relative)));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') rows.push_back(split(line, '\t'));
    }
    return rows;
}

// Compares text with a golden file under tests/data; EDLBRIDGE_UPDATE_EXPECTED=1 writes the
// file instead (to be read by hand before it is committed).
inline void expectGolden(const std::string& relative, const std::string& text) {
    std::string expected;
    matchesExpected(dataPath(relative), text, &expected);
    ASSERT_FALSE(expected.empty()) << "no golden file " << relative;
    EXPECT_EQ(text, expected) << relative;
}

}  // namespace edlbtest

#endif
