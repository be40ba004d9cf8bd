// The options of one command, read with CLI11 in the syntax the tool has always taken:
//   --name VALUE and --name=VALUE (-o VALUE and -o=VALUE), the next argument being the value
//   whatever it looks like; flags only as themselves; '-' an operand (standard input); any
//   other argument that begins with '-' an unknown option; with endsOptions, '--' makes
//   every later argument an operand.
// The arguments are looked at in order and the first problem is the one reported, so a
// command's option functions (and the checks of its operands) see them in that order.
#ifndef EDLBRIDGE_TOOLS_COMMAND_LINE_H
#define EDLBRIDGE_TOOLS_COMMAND_LINE_H

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace edlbcli {

// A usage error found while the arguments are read; reason follows the command's name.
struct UsageError {
    std::string reason;
};

// What a command takes besides its options.
struct Operands {
    size_t most = static_cast<size_t>(-1);  // the operand after that many is tooMany
    const char* tooMany = "";
    bool endsOptions = false;    // '--' ends the options (detect, diff)
    bool noArguments = false;    // types: every argument is "unexpected argument 'ARG'"
};

// What a command's CommandLine defines, for the shell completion scripts.
struct OptionInfo {
    std::vector<std::string> names;  // "-o", "--output"
    bool takesValue = false;
    std::string values;              // the words a value can be, blank-separated; "" any
};
struct CommandInfo {
    std::string name;
    std::vector<OptionInfo> options;
};

// While a sink is set, CommandLine::parse records the command's options into it and ends
// the command (with kOk) before any argument is read. Null sets it off.
void describeInto(std::vector<CommandInfo>* sink);

class CommandLine {
public:
    // help is printed, and the command does not run, when -h or --help comes first.
    CommandLine(const char* command, const char* help, Operands operands = Operands());
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // names: "--legacy" or "-o,--output".
    void flag(const char* names, bool& value);
    // set receives the value where the option stands among the arguments, the last one when
    // the option is repeated; it throws UsageError for a value it refuses.
    void option(const char* names, std::function<void(const std::string&)> set);
    // The value is kept for the command to check once every argument is read.
    void option(const char* names, std::string& value, bool& given);
    // The words the value of the option spelled name can be, blank-separated, for completion.
    void values(const std::string& name, const std::string& words);

    // Reads args (those after the command's name). Nothing when the command is to run;
    // else its exit status, the help or the usage error printed.
    std::optional<int> parse(const std::vector<std::string>& args);

    // The operands, in order.
    const std::vector<std::string>& operands() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// '-' names standard input, which can be read once.
bool readsStandardInputTwice(const std::vector<std::string>& names);

}  // namespace edlbcli

#endif
