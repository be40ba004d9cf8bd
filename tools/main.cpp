// edlbridge: the command line over the edlbridge library.
#include "list_reader.h"
#include "list_type_names.h"
#include "otio.h"
#include "platform.h"
#include "render.h"
#include "timecode_text.h"

#include <edlbridge.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

using edlbtool::DumpFormat;
using edlbtool::ListData;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kMainHelp[] =
    "Usage: edlbridge COMMAND [ARGS]\n"
    "Reads edit decision lists and logs, and writes them in other dialects.\n"
    "\n"
    "Commands:\n"
    "  types                 list every list type with its extensions and forms\n"
    "  detect FILE...        show the type, title, timecode mode and event count of lists\n"
    "  dump FILE [--format table|json|csv]\n"
    "                        show every event of a list\n"
    "  convert IN --to TYPE [-o OUT] [--fcm MODE] [--title TEXT]\n"
    "                        write a list in another dialect\n"
    "\n"
    "Options:\n"
    "  -h, --help            show this help, or a command's help after the command\n"
    "  --version             show the version\n"
    "  --legacy              read and write with the library's documented derivations\n"
    "                        instead of keeping what lists say (detect, dump, convert)\n"
    "\n"
    "Exit status: 0 success, 1 a file failed, 2 bad usage.\n";

const char kTypesHelp[] =
    "Usage: edlbridge types\n"
    "Lists every list type: value, name, default and alternative extension, whether\n"
    "reading a file can yield it, whether convert writes it, and the header and event\n"
    "line forms the library writes for it.\n";

const char kDetectHelp[] =
    "Usage: edlbridge detect [--legacy] FILE...\n"
    "For each file: the list type the library detects (value and name), the title, the\n"
    "timecode mode, the column line of column and CSV lists, and the number of events.\n"
    "Files that cannot be read are reported on standard error; the others are still\n"
    "shown, and the exit status is 1.\n";

const char kDumpHelp[] =
    "Usage: edlbridge dump FILE [--format table|json|csv] [--legacy]\n"
    "One row per event: edit number, reel, tracks, edit type with wipe code and length,\n"
    "source in/out, record in/out and marks as timecode text in the list's mode and as\n"
    "frames, audio offset, clip name, name and comment. The default format is table.\n"
    "The clip name is the whole name the list gives; JSON adds the list's frame rate and,\n"
    "per event, the source file (null when none), the notes (one per line) and the raw\n"
    "line. --legacy reads with the library's documented derivations (ten-character clip\n"
    "names, comments run together) and shows what they give.\n";

const char kConvertHelp[] =
    "Usage: edlbridge convert IN --to TYPE [-o OUT] [--fcm MODE] [--title TEXT] [--legacy]\n"
    "Reads IN and writes its events as a list of TYPE (a value or a name from\n"
    "'edlbridge types', such as cmx3600, ale, ds or flex).\n"
    "\n"
    "  --to TYPE      the list type to write, or otio for an OpenTimelineIO timeline\n"
    "                 (IN may be a timeline too: a .otio name, or JSON with OTIO_SCHEMA)\n"
    "  -o, --output OUT\n"
    "                 the file to write; '-' writes to standard output. Default: IN's\n"
    "                 name without directory and extension, with TYPE's default\n"
    "                 extension, in the current directory\n"
    "  --fcm MODE     timecode mode of the written list: film, ndf, df, pal, pal50,\n"
    "                 df5994, ntsc60, hundredths, 23.98, 23.98df or a mode value.\n"
    "                 Timecodes keep their hours, minutes and seconds; frame numbers\n"
    "                 are scaled to the new rate. Default: the mode of IN\n"
    "  --title TEXT   title of the written list. Default: the title of IN\n"
    "  --legacy       read and write with the library's documented derivations and\n"
    "                 dialect bytes instead of keeping every note, name and number\n";

// Errors are one line on standard error: the program, what failed, and why.
void report(const std::string& subject, const std::string& reason) {
    std::fprintf(stderr, "edlbridge: %s: %s\n", subject.c_str(), reason.c_str());
}

int usageError(const std::string& subject, const std::string& reason) {
    report(subject, reason + " (see 'edlbridge --help')");
    return kUsage;
}

bool isHelp(const std::string& arg) { return arg == "-h" || arg == "--help"; }

bool writeAll(FILE* stream, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

// Splits "--name=value" and "--name value"; returns false when the value is missing.
bool optionValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
                 std::string& value) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
        arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

bool matchesOption(const std::string& arg, const std::string& name) {
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

int commandTypes(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (isHelp(arg)) return writeAll(stdout, kTypesHelp) ? kOk : kFailed;
        return usageError("types", "unexpected argument '" + arg + "'");
    }
    return writeAll(stdout, edlbtool::renderTypes() + edlbtool::renderOtioType()) ? kOk : kFailed;
}

int commandDetect(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool endOfOptions = false;
    bool legacy = false;
    for (const std::string& arg : args) {
        if (!endOfOptions && isHelp(arg)) return writeAll(stdout, kDetectHelp) ? kOk : kFailed;
        if (!endOfOptions && arg == "--legacy") {
            legacy = true;
        } else if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            return usageError("detect", "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return usageError("detect", "no file given");
    int status = kOk;
    bool first = true;
    for (const std::string& file : files) {
        ListData data;
        const std::string reason = edlbtool::readList(file, data, legacy);
        if (!reason.empty()) {
            report(file, reason);
            status = kFailed;
            continue;
        }
        const std::string text = (first ? "" : "\n") + edlbtool::renderDetect(data);
        first = false;
        if (!writeAll(stdout, text)) return kFailed;
    }
    return status;
}

int commandDump(const std::vector<std::string>& args) {
    std::string file;
    bool haveFile = false;
    DumpFormat format = DumpFormat::Table;
    bool legacy = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isHelp(arg)) return writeAll(stdout, kDumpHelp) ? kOk : kFailed;
        if (arg == "--legacy") {
            legacy = true;
        } else if (matchesOption(arg, "--format")) {
            std::string value;
            if (!optionValue(args, i, "--format", value)) {
                return usageError("dump", "--format needs a value");
            }
            if (value == "table") {
                format = DumpFormat::Table;
            } else if (value == "json") {
                format = DumpFormat::Json;
            } else if (value == "csv") {
                format = DumpFormat::Csv;
            } else {
                return usageError("dump", "no such format '" + value + "'");
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("dump", "unknown option '" + arg + "'");
        } else if (haveFile) {
            return usageError("dump", "only one file can be dumped");
        } else {
            file = arg;
            haveFile = true;
        }
    }
    if (!haveFile) return usageError("dump", "no file given");
    ListData data;
    const std::string reason = edlbtool::readList(file, data, legacy);
    if (!reason.empty()) {
        report(file, reason);
        return kFailed;
    }
    return writeAll(stdout, edlbtool::renderDump(data, format)) ? kOk : kFailed;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of(edlbtool::kDirectoryEnds);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

// Writes to a temporary file, then copies it to standard output: the library writes
// through a file name, and standard output may be a pipe.
int convertToStdout(const ListData& data, const edlbtool::WriteOptions& options) {
    std::string error;
    const std::string path = edlbtool::makeTemporaryFile(error);
    if (path.empty()) {
        report("-", "cannot create a temporary file: " + error);
        return kFailed;
    }
    const std::string reason = edlbtool::writeList(data, options, path);
    if (!reason.empty()) {
        std::remove(path.c_str());
        report("-", reason);
        return kFailed;
    }
    int status = kOk;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        report("-", "cannot read back the written list");
        status = kFailed;
    } else {
        char buffer[8192];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
            if (std::fwrite(buffer, 1, count, stdout) != count) {
                status = kFailed;
                break;
            }
        }
        std::fclose(in);
    }
    std::remove(path.c_str());
    return status;
}

int commandConvert(const std::vector<std::string>& args) {
    std::string input, output, typeText, modeText, title;
    bool haveInput = false, haveOutput = false, haveType = false, haveMode = false;
    bool haveTitle = false;
    bool legacy = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isHelp(arg)) return writeAll(stdout, kConvertHelp) ? kOk : kFailed;
        if (arg == "--legacy") {
            legacy = true;
            continue;
        }
        struct {
            const char* name;
            std::string* value;
            bool* seen;
        } const options[] = {{"--to", &typeText, &haveType},
                             {"-o", &output, &haveOutput},
                             {"--output", &output, &haveOutput},
                             {"--fcm", &modeText, &haveMode},
                             {"--title", &title, &haveTitle}};
        bool matched = false;
        for (const auto& option : options) {
            if (!matchesOption(arg, option.name)) continue;
            if (!optionValue(args, i, option.name, *option.value)) {
                return usageError("convert", std::string(option.name) + " needs a value");
            }
            *option.seen = true;
            matched = true;
            break;
        }
        if (matched) continue;
        if (arg.size() > 1 && arg[0] == '-') {
            return usageError("convert", "unknown option '" + arg + "'");
        }
        if (haveInput) return usageError("convert", "only one input list can be converted");
        input = arg;
        haveInput = true;
    }
    if (!haveInput) return usageError("convert", "no input list given");
    if (!haveType) return usageError("convert", "--to TYPE is required");
    // An OpenTimelineIO timeline is a target of the tool's own, not a list type.
    const bool toOtio = edlbtool::isOtioType(typeText);
    const edlbtool::TypeName* type = toOtio ? nullptr : edlbtool::findTypeName(typeText);
    if (!toOtio && type == nullptr) {
        return usageError("convert", "no such list type '" + typeText + "'");
    }
    if (!toOtio && !type->writable) {
        return usageError("convert", "list type '" + typeText + "' cannot be written");
    }
    edlbtool::WriteOptions options;
    options.listType = toOtio ? static_cast<unsigned>(EDLTYPE_NONE) : type->value;
    if (haveMode) {
        const edlbtool::ModeInfo* mode = edlbtool::findMode(modeText);
        if (mode == nullptr) return usageError("convert", "no such timecode mode '" + modeText + "'");
        options.tcMode = mode->value;
    }
    options.setTitle = haveTitle;
    options.title = title;
    options.legacy = legacy;
    if (!haveOutput && toOtio) {
        output = baseName(input) + "." + edlbtool::kOtioTypeName;
    } else if (!haveOutput) {
        std::string extension = edlbtool::defaultExtension(type->value);
        // A wildcard extension (the media log's "pl*") makes a poor file name.
        if (extension.find('*') != std::string::npos) {
            extension = edlbtool::alternativeExtension(type->value);
        }
        output = baseName(input) + "." + extension;
    }
    if (output.empty()) return usageError("convert", "-o needs a file name");

    ListData data;
    std::vector<std::string> warnings;
    std::string reason = edlbtool::readAnyList(input, data, legacy, warnings);
    if (!reason.empty()) {
        report(input, reason);
        return kFailed;
    }
    if (output != "-" && edlbtool::sameFile(input, output)) {
        report(output, "would overwrite the input list");
        return kFailed;
    }
    // Warnings of reading a timeline, then of writing one.
    for (const std::string& warning : warnings) report(input, warning);
    warnings.clear();
    if (toOtio) {
        reason = edlbtool::writeOtio(data, options, output, warnings);
        for (const std::string& warning : warnings) report(input, warning);
    } else if (output == "-") {
        return convertToStdout(data, options);
    } else {
        reason = edlbtool::writeList(data, options, output);
    }
    if (!reason.empty()) {
        report(output, reason);
        return kFailed;
    }
    if (output == "-") return kOk;
    std::printf("wrote %s (%s, %zu events)\n", output.c_str(),
                toOtio ? edlbtool::kOtioTypeName : type->name, data.events.size());
    return kOk;
}

int run(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (args.empty()) {
        std::fputs(kMainHelp, stderr);
        return kUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (isHelp(command)) return writeAll(stdout, kMainHelp) ? kOk : kFailed;
    if (command == "--version") {
        std::printf("edlbridge %s\n", EDLBRIDGE_VERSION_STRING);
        return kOk;
    }
    if (command == "types") return commandTypes(args);
    if (command == "detect") return commandDetect(args);
    if (command == "dump") return commandDump(args);
    if (command == "convert") return commandConvert(args);
    return usageError(command, "no such command");
}

}  // namespace

int main(int argc, char** argv) {
    edlbtool::useBinaryStandardStreams();
    // Nothing may escape as a crash: memory exhaustion becomes a failed run.
    try {
        const int status = run(argc, argv);
        if (std::fflush(stdout) != 0) return kFailed;
        return status;
    } catch (const std::exception& error) {
        report("error", error.what());
    } catch (...) {
        report("error", "unexpected failure");
    }
    return kFailed;
}
