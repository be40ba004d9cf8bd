// Runs the edlbridge program for the tests and captures what it prints.
#ifndef EDLBRIDGE_TESTS_TOOLS_RUN_TOOL_H
#define EDLBRIDGE_TESTS_TOOLS_RUN_TOOL_H

#include <string>
#include <vector>

namespace edlbtest {

struct RunResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out, err;
};

// Runs the tool in directory with args; no shell, so arguments need no quoting.
RunResult runTool(const std::vector<std::string>& args, const std::string& directory);

}  // namespace edlbtest

#endif
