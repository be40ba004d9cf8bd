// edlbridge completion bash|zsh: the shell completion scripts, made from the options each
// command's CommandLine defines (the same definitions that read its arguments), so that
// they name every command and option the tool takes. Not listed in the help: the build
// runs it to make the scripts the package installs.
#include "command_line.h"
#include "commands.h"
#include "output.h"

#include <edlconvert.h>

namespace edlbcli {
namespace {

// The words of a value list; "@types" and "@modes" stand for the library's catalogue.
std::string valueWords(const std::string& values) {
    std::string words;
    const auto add = [&words](const char* word) { words += (words.empty() ? "" : " ") + std::string(word); };
    if (values == "@types") {
        edlcListType type;
        for (size_t i = 0; edlcListTypeAt(i, &type); ++i) {
            if (type.written) add(type.name);
        }
        add("otio");
        return words;
    }
    if (values == "@modes") {
        edlcTcMode mode;
        for (size_t i = 0; edlcTcModeAt(i, &mode); ++i) add(mode.name);
        return words;
    }
    return values;
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : separator) + word;
    return out;
}

bool namesDirectory(const OptionInfo& option) {
    for (const std::string& name : option.names) {
        if (name == "--directory") return true;
    }
    return false;
}

std::string bashScript(const std::vector<CommandInfo>& commands) {
    std::vector<std::string> names;
    for (const CommandInfo& command : commands) names.push_back(command.name);
    std::string out =
        "# bash completion for edlbridge, made by 'edlbridge completion bash'\n"
        "_edlbridge() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        "    COMPREPLY=()\n"
        "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
        "        COMPREPLY=($(compgen -W \"" + joined(names, " ") + " --help --version\" -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    case ${COMP_WORDS[1]} in\n";
    for (const CommandInfo& command : commands) {
        std::vector<std::string> options;
        out += "    " + command.name + ")\n        case $prev in\n";
        for (const OptionInfo& option : command.options) {
            options.insert(options.end(), option.names.begin(), option.names.end());
            if (!option.takesValue) continue;
            const std::string words = valueWords(option.values);
            const std::string reply = !words.empty()     ? "compgen -W \"" + words + "\" -- \"$cur\""
                                      : namesDirectory(option) ? std::string("compgen -d -- \"$cur\"")
                                                               : std::string("compgen -f -- \"$cur\"");
            out += "        " + joined(option.names, "|") + ") COMPREPLY=($(" + reply + ")); return;;\n";
        }
        out += "        esac\n"
               "        if [[ $cur == -* ]]; then\n"
               "            COMPREPLY=($(compgen -W \"" + joined(options, " ") + "\" -- \"$cur\"))\n"
               "        else\n"
               "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
               "        fi\n"
               "        ;;\n";
    }
    out += "    esac\n"
           "}\n"
           "complete -o filenames -F _edlbridge edlbridge\n";
    return out;
}

std::string zshScript(const std::vector<CommandInfo>& commands) {
    std::vector<std::string> names;
    for (const CommandInfo& command : commands) names.push_back(command.name);
    std::string out =
        "#compdef edlbridge\n"
        "# zsh completion for edlbridge, made by 'edlbridge completion zsh'\n"
        "_edlbridge() {\n"
        "    if (( CURRENT == 2 )); then\n"
        "        compadd -- " + joined(names, " ") + " --help --version\n"
        "        return\n"
        "    fi\n"
        "    local command=$words[2]\n"
        "    shift words\n"
        "    (( CURRENT-- ))\n"
        "    case $command in\n";
    for (const CommandInfo& command : commands) {
        out += "    " + command.name + ")\n        _arguments";
        for (const OptionInfo& option : command.options) {
            for (const std::string& name : option.names) {
                out += " \\\n            '" + name;
                if (option.takesValue) {
                    const std::string words = valueWords(option.values);
                    out += !words.empty()          ? ":value:(" + words + ")"
                           : namesDirectory(option) ? std::string(":directory:_files -/")
                                                    : std::string(":file:_files");
                }
                out += "'";
            }
        }
        out += " \\\n            '*:file:_files'\n        ;;\n";
    }
    out += "    esac\n"
           "}\n"
           "_edlbridge \"$@\"\n";
    return out;
}

}  // namespace

int commandCompletion(const std::vector<std::string>& args, const Command* commands, size_t count) {
    if (args.size() != 1 || (args[0] != "bash" && args[0] != "zsh")) {
        return usageError("completion", "give the shell: bash or zsh");
    }
    std::vector<CommandInfo> described;
    describeInto(&described);
    for (size_t i = 0; i < count; ++i) commands[i].run({});
    describeInto(nullptr);
    return writeOut(args[0] == "bash" ? bashScript(described) : zshScript(described)) ? kOk : kFailed;
}

}  // namespace edlbcli
