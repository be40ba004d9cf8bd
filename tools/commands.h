// The commands of edlbridge, each given the arguments after its name; each returns the exit
// status.
#ifndef EDLBRIDGE_TOOLS_COMMANDS_H
#define EDLBRIDGE_TOOLS_COMMANDS_H

#include <cstddef>
#include <string>
#include <vector>

namespace edlbcli {

// A command: its name and what runs it with the arguments after the name.
struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

int commandTypes(const std::vector<std::string>& args);
int commandDetect(const std::vector<std::string>& args);
int commandDump(const std::vector<std::string>& args);
int commandConvert(const std::vector<std::string>& args);
int commandDiff(const std::vector<std::string>& args);
int commandTimeline(const std::vector<std::string>& args);
int commandMarkers(const std::vector<std::string>& args);
int commandCdl(const std::vector<std::string>& args);

// The shell completion scripts of the commands (bash or zsh), made from their options.
int commandCompletion(const std::vector<std::string>& args, const Command* commands, size_t count);

}  // namespace edlbcli

#endif
