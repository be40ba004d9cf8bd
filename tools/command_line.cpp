// CLI11 under the tool's syntax (command_line.h). CLI11 matches the option names, hands
// their values over and keeps every other argument, in order, in App::remaining(), which the
// option functions look through before they run. The spellings CLI11 would read otherwise
// than the tool ("-ofile", "-o=file", "--legacy=1", "-5") are rewritten before it sees them.
#include "command_line.h"

#include "output.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <utility>

namespace edlbcli {
namespace {

// An argument the tool refuses as an option reaches CLI11 as this mark followed by its index
// in State::refused: an option name no command has, which CLI11 keeps among the remaining
// arguments as it stands (where "-ofile" would have become -o's value, "-5" an operand).
const char kRefusedMark[] = "--\x1f";
constexpr size_t kRefusedMarkSize = sizeof kRefusedMark - 1;

// Thrown by the help flag where it stands, so that later arguments are not looked at.
struct HelpRequested {};

std::vector<CommandInfo>* describing = nullptr;

}  // namespace

void describeInto(std::vector<CommandInfo>* sink) { describing = sink; }

struct CommandLine::State {
    State(const char* command, const char* help, Operands rules)
        : command(command), help(help), rules(rules), app(std::string(), command) {}

    void addNames(const char* spelled, bool takesValue);
    std::vector<std::string> prepare(const std::vector<std::string>& args);
    void checkRemaining();

    std::string command;
    const char* help;
    Operands rules;
    CLI::App app;
    std::map<std::string, bool> names;  // every spelling of an option: true when it takes a value
    std::vector<OptionInfo> defined;    // the options in the order they were defined
    std::vector<std::string> refused;   // the arguments handed over as kRefusedMark and index
    std::string valueMissing;           // the option that ends the arguments without a value
    std::vector<std::string> operands;
    size_t checked = 0;                 // remaining arguments looked through so far
    bool optionsEnded = false;
};

void CommandLine::State::addNames(const char* spelled, bool takesValue) {
    defined.push_back(OptionInfo{{}, takesValue, std::string()});
    std::string name;
    for (const char* c = spelled;; ++c) {
        if (*c != ',' && *c != '\0') {
            name += *c;
            continue;
        }
        names[name] = takesValue;
        defined.back().names.push_back(name);
        name.clear();
        if (*c == '\0') break;
    }
}

// What CLI11 is given: exact option names and their values as they are, "NAME=VALUE" as
// NAME and VALUE (CLI11 would take the next argument for an empty "--title="), other
// arguments that begin with '-' as refused marks, and from '--' on everything unchanged.
std::vector<std::string> CommandLine::State::prepare(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            out.push_back(arg);
            continue;
        }
        if (arg == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        const auto exact = names.find(arg);
        if (exact != names.end()) {
            out.push_back(arg);
            if (exact->second && i + 1 < args.size()) out.push_back(args[++i]);
            else if (exact->second) valueMissing = arg;
            continue;
        }
        const size_t equals = arg.find('=');
        const auto named = equals == std::string::npos ? names.end() : names.find(arg.substr(0, equals));
        if (named != names.end() && named->second) {
            out.push_back(named->first);
            out.push_back(arg.substr(equals + 1));
            continue;
        }
        out.push_back(kRefusedMark + std::to_string(refused.size()));
        refused.push_back(arg);
    }
    return out;
}

// Looks through the arguments CLI11 has kept since the last look: the first unknown option,
// unexpected argument or operand too many is the usage error.
void CommandLine::State::checkRemaining() {
    const std::vector<std::string> rest = app.remaining();
    for (; checked < rest.size(); ++checked) {
        std::string arg = rest[checked];
        bool option = false;
        if (!optionsEnded && arg == "--") {
            if (rules.endsOptions) {
                optionsEnded = true;
                continue;
            }
            option = true;
        } else if (!optionsEnded && arg.compare(0, kRefusedMarkSize, kRefusedMark) == 0) {
            arg = refused.at(std::stoul(arg.substr(kRefusedMarkSize)));
            option = true;
        }
        if (rules.noArguments) throw UsageError{"unexpected argument '" + arg + "'"};
        if (option) throw UsageError{"unknown option '" + arg + "'"};
        if (operands.size() == rules.most) throw UsageError{rules.tooMany};
        operands.push_back(arg);
    }
}

CommandLine::CommandLine(const char* command, const char* help, Operands operands)
    : state_(std::make_unique<State>(command, help, operands)) {
    State* state = state_.get();
    state->app.set_help_flag();
    state->app.allow_extras();
    // On Windows CLI11 would take "/o" or "/to:ds" for options; there they are operands.
    state->app.allow_windows_style_options(false);
    state->app.add_flag_callback("-h,--help", [state] {
        state->checkRemaining();
        throw HelpRequested();
    })->trigger_on_parse();
    state->addNames("-h,--help", false);
}

CommandLine::~CommandLine() = default;

void CommandLine::flag(const char* names, bool& value) {
    state_->app.add_flag(names, value);
    state_->addNames(names, false);
}

void CommandLine::option(const char* names, std::function<void(const std::string&)> set) {
    State* state = state_.get();
    state->app
        .add_option_function<std::string>(names,
                                          [state, set](const std::string& value) {
                                              state->checkRemaining();
                                              set(value);
                                          })
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    state->addNames(names, true);
}

void CommandLine::option(const char* names, std::string& value, bool& given) {
    option(names, [&value, &given](const std::string& text) {
        value = text;
        given = true;
    });
}

void CommandLine::values(const std::string& names, const std::string& words) {
    for (OptionInfo& option : state_->defined) {
        if (std::find(option.names.begin(), option.names.end(), names) != option.names.end()) {
            option.values = words;
        }
    }
}

std::optional<int> CommandLine::parse(const std::vector<std::string>& args) {
    State& state = *state_;
    if (describing != nullptr) {
        describing->push_back(CommandInfo{state.command, state.defined});
        return kOk;
    }
    std::vector<std::string> prepared = state.prepare(args);
    std::reverse(prepared.begin(), prepared.end());  // CLI11 takes the last element first
    try {
        try {
            state.app.parse(prepared);
        } catch (const CLI::ArgumentMismatch&) {
            if (state.valueMissing.empty()) throw;
            // The option without a value ends the arguments: those before it come first.
            state.checkRemaining();
            throw UsageError{state.valueMissing + " needs a value"};
        }
        state.checkRemaining();
    } catch (const HelpRequested&) {
        return writeOut(state.help) ? kOk : kFailed;
    } catch (const UsageError& error) {
        return usageError(state.command, error.reason);
    } catch (const CLI::ParseError& error) {
        // Not expected: prepare leaves CLI11 nothing else to refuse.
        return usageError(state.command, error.what());
    }
    return std::nullopt;
}

const std::vector<std::string>& CommandLine::operands() const { return state_->operands; }

bool readsStandardInputTwice(const std::vector<std::string>& names) {
    return std::count(names.begin(), names.end(), "-") > 1;
}

}  // namespace edlbcli
