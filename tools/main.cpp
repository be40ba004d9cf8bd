// edlbridge: the command line over the edlbridge library.
#include "diff.h"
#include "list_reader.h"
#include "list_type_names.h"
#include "otio.h"
#include "platform.h"
#include "render.h"
#include "timecode_text.h"
#include "timeline.h"

#include <edlbridge.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace {

using edlbtool::DumpFormat;
using edlbtool::EventRow;
using edlbtool::ListData;
using edlbtool::ListInfo;
using edlbtool::ListReader;
using edlbtool::ListSource;
using edlbtool::ListWriter;
namespace platform = edlbtool::platform;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kMainHelp[] =
    "Usage: edlbridge COMMAND [ARGS]\n"
    "Reads edit decision lists and logs, and writes them in other dialects.\n"
    "\n"
    "Commands:\n"
    "  types                 list every list type with its extensions and forms\n"
    "  detect FILE... [--format text|json]\n"
    "                        show the type, title, timecode mode and event count of lists\n"
    "  dump FILE [--format table|json|csv]\n"
    "                        show every event of a list\n"
    "  convert IN... --to TYPE [-o OUT | -d DIR] [--fcm MODE] [--title TEXT] [--quiet]\n"
    "                        write lists in another dialect\n"
    "  diff OLD NEW [--format table|json] [--all]\n"
    "                        list what changed from one cut to the next\n"
    "  timeline LIST [-o OUT.svg|OUT.html] [--diff OLD] [--quiet]\n"
    "                        draw a cut: one lane per track over record time\n"
    "\n"
    "A list named '-' is read from standard input; pipes and FIFOs are read like files.\n"
    "\n"
    "Options:\n"
    "  -h, --help            show this help, or a command's help after the command\n"
    "  --version             show the version\n"
    "  --legacy              read and write with the library's documented derivations\n"
    "                        instead of keeping what lists say (detect, dump, convert)\n"
    "\n"
    "Exit status: 0 success, 1 a file failed, 2 bad usage; diff: 0 the cuts are the same,\n"
    "1 they differ or a list could not be read, 2 bad usage.\n";

const char kTypesHelp[] =
    "Usage: edlbridge types\n"
    "Lists every list type: value, name, default and alternative extension, whether\n"
    "reading a file can yield it, whether convert writes it, and the header and event\n"
    "line forms the library writes for it.\n";

const char kDetectHelp[] =
    "Usage: edlbridge detect [--legacy] [--format text|json] FILE...\n"
    "For each file: the list type the library detects (value and name), the title, the\n"
    "timecode mode, the column line of column and CSV lists, and the number of events.\n"
    "--format json prints a JSON array with one object of these fields per file.\n"
    "Files that cannot be read are reported on standard error; the others are still\n"
    "shown, and the exit status is 1. A FILE of '-' is standard input.\n";

const char kDumpHelp[] =
    "Usage: edlbridge dump FILE [--format table|json|csv] [--legacy]\n"
    "One row per event: edit number, reel, tracks, edit type with wipe code and length,\n"
    "source in/out, record in/out and marks as timecode text in the list's mode and as\n"
    "frames, audio offset, clip name, name and comment. The default format is table.\n"
    "The clip name is the whole name the list gives; JSON adds the list's frame rate and,\n"
    "per event, the source file (null when none), the notes (one per line) and the raw\n"
    "line. --legacy reads with the library's documented derivations (ten-character clip\n"
    "names, comments run together) and shows what they give. A FILE of '-' is standard\n"
    "input. Events are printed as they are read; the table reads the list twice, first\n"
    "to size its columns.\n";

const char kConvertHelp[] =
    "Usage: edlbridge convert IN... --to TYPE [-o OUT | -d DIR] [--fcm MODE] [--title TEXT]\n"
    "                         [--quiet] [--legacy]\n"
    "Reads each IN and writes its events as a list of TYPE (a value or a name from\n"
    "'edlbridge types', such as cmx3600, ale, ds or flex).\n"
    "\n"
    "  --to TYPE      the list type to write, or otio for an OpenTimelineIO timeline\n"
    "                 (IN may be a timeline too: a .otio name, or JSON with OTIO_SCHEMA)\n"
    "  -o, --output OUT\n"
    "                 the file to write, for one IN; '-' writes to standard output.\n"
    "                 Default: IN's name without directory and extension, with TYPE's\n"
    "                 default extension, in the current directory\n"
    "  -d, --directory DIR\n"
    "                 write each list into DIR under that default name\n"
    "  --fcm MODE     timecode mode of the written list: film, ndf, df, pal, pal50,\n"
    "                 df5994, ntsc60, hundredths, 23.98, 23.98df or a mode value.\n"
    "                 Timecodes keep their hours, minutes and seconds; frame numbers\n"
    "                 are scaled to the new rate. Default: the mode of IN\n"
    "  --title TEXT   title of the written list. Default: the title of IN\n"
    "  --quiet        print no 'wrote ...' line for each list written\n"
    "  --legacy       read and write with the library's documented derivations and\n"
    "                 dialect bytes instead of keeping every note, name and number\n"
    "\n"
    "An IN of '-' is standard input and needs -o. A list that fails is reported on\n"
    "standard error and nothing is written for it; the others are still converted, and\n"
    "the exit status is 1. No list is written over one of the INs.\n";

const char kDiffHelp[] =
    "Usage: edlbridge diff OLD NEW [--format table|json] [--all]\n"
    "Lists what changed from the cut OLD to the cut NEW, in record order of NEW: events\n"
    "added, removed, replaced, trimmed (head and tail change in frames), moved (record\n"
    "in change in frames) or given another transition; --all lists unchanged ones too.\n"
    "\n"
    "An event of NEW matches an event of OLD with the same clip name when both have one,\n"
    "else the same reel, on a track they share, whose source range overlaps its own;\n"
    "each OLD event matches one NEW event at most, the one with the larger source\n"
    "overlap, then the nearer record position. An unmatched NEW event where an unmatched\n"
    "OLD event was on the same track replaced it; other unmatched events were added or\n"
    "removed. A record of no length followed by a transition of the same edit number is\n"
    "the outgoing side of that transition and is not compared. Lists of other timecode modes\n"
    "compare by timecode: OLD's timecodes are carried into NEW's mode as 'convert --fcm'\n"
    "carries them, and frames count in NEW's mode.\n"
    "\n"
    "Exit status: 0 the cuts are the same, 1 they differ (or a list could not be read,\n"
    "then with an error on standard error and nothing on standard output), 2 bad usage.\n";

const char kTimelineHelp[] =
    "Usage: edlbridge timeline LIST [-o OUT] [--format svg|html] [--diff OLD] [--quiet]\n"
    "Draws the cut LIST: one lane per track over record time under a timecode ruler,\n"
    "each event a box from record in to record out labelled with its edit number and\n"
    "clip name (or reel) and coloured by reel, transitions over the heads of the boxes\n"
    "they lead into, 'LOC:' notes as flags, gaps hatched. The SVG needs no scripts,\n"
    "fonts or other files; the HTML page holds the same SVG beside a table of events.\n"
    "\n"
    "  -o, --output OUT  the file to write; '-' writes to standard output. The format\n"
    "                    follows its extension (.svg, .html or .htm). Default: LIST's\n"
    "                    name without directory and extension, with '.svg'\n"
    "  --format svg|html the format, whatever the name\n"
    "  --diff OLD        mark the boxes added, replaced, trimmed, moved or with another\n"
    "                    transition since the cut OLD (as 'edlbridge diff OLD LIST')\n"
    "  --quiet           print no 'wrote ...' line\n";

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

// '-' names standard input, which can be read once.
bool readsStandardInputTwice(const std::vector<std::string>& names) {
    size_t count = 0;
    for (const std::string& name : names) count += name == "-";
    return count > 1;
}

int commandDetect(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool endOfOptions = false;
    bool legacy = false;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!endOfOptions && isHelp(arg)) return writeAll(stdout, kDetectHelp) ? kOk : kFailed;
        if (!endOfOptions && arg == "--legacy") {
            legacy = true;
        } else if (!endOfOptions && matchesOption(arg, "--format")) {
            std::string value;
            if (!optionValue(args, i, "--format", value)) {
                return usageError("detect", "--format needs a value");
            }
            if (value != "text" && value != "json") {
                return usageError("detect", "no such format '" + value + "'");
            }
            json = value == "json";
        } else if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            return usageError("detect", "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return usageError("detect", "no file given");
    if (readsStandardInputTwice(files)) {
        return usageError("detect", "standard input can be read only once");
    }
    int status = kOk;
    size_t shown = 0;
    if (json && !writeAll(stdout, "[")) return kFailed;
    for (const std::string& file : files) {
        // Counting is reading: one event at a time, whatever the length of the list.
        ListSource source;
        ListReader reader;
        std::string reason = source.open(file);
        if (reason.empty()) reason = reader.open(source, legacy);
        if (reason.empty()) {
            EventRow row;
            while (reader.next(row)) {
            }
            reason = reader.reason();
        }
        if (!reason.empty()) {
            report(file, reason);
            status = kFailed;
            continue;
        }
        const std::string text =
            json ? (shown == 0 ? "\n" : ",\n") +
                       edlbtool::renderDetectJson(reader.info(), reader.count())
                 : (shown == 0 ? "" : "\n") + edlbtool::renderDetect(reader.info(), reader.count());
        ++shown;
        if (!writeAll(stdout, text)) return kFailed;
    }
    if (json && !writeAll(stdout, shown == 0 ? "]\n" : "\n]\n")) return kFailed;
    return status;
}

// The table sizes its columns on a first reading and prints on a second.
int dumpTable(const ListSource& source, bool legacy) {
    ListReader reader;
    std::string reason = reader.open(source, legacy);
    std::vector<size_t> widths;
    edlbtool::widenColumns(widths, edlbtool::tableHeaderRow());
    EventRow row;
    if (reason.empty()) {
        while (reader.next(row)) {
            edlbtool::widenColumns(widths, edlbtool::tableEventRow(reader.info(), row));
        }
        reason = reader.reason();
    }
    const size_t count = reader.count();
    ListReader second;
    if (reason.empty()) reason = second.open(source, legacy);
    if (!reason.empty()) {
        report(source.name(), reason);
        return kFailed;
    }
    const ListInfo& info = second.info();
    if (!writeAll(stdout, edlbtool::tableHead(info, count) +
                              edlbtool::tableLine(edlbtool::tableHeaderRow(), widths))) {
        return kFailed;
    }
    while (second.next(row)) {
        if (!writeAll(stdout, edlbtool::tableLine(edlbtool::tableEventRow(info, row), widths))) {
            return kFailed;
        }
    }
    if (!second.reason().empty()) {
        report(source.name(), second.reason());
        return kFailed;
    }
    return kOk;
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
    ListSource source;
    std::string reason = source.open(file);
    if (!reason.empty()) {
        report(file, reason);
        return kFailed;
    }
    if (format == DumpFormat::Table) return dumpTable(source, legacy);

    ListReader reader;
    reason = reader.open(source, legacy);
    if (!reason.empty()) {
        report(file, reason);
        return kFailed;
    }
    const ListInfo& info = reader.info();
    const bool json = format == DumpFormat::Json;
    if (!writeAll(stdout, json ? edlbtool::jsonDumpHead(info) : edlbtool::csvDumpHead())) {
        return kFailed;
    }
    EventRow row;
    while (reader.next(row)) {
        const std::string text = json ? edlbtool::jsonDumpEvent(info, row, reader.count() == 1)
                                      : edlbtool::csvDumpRow(info, row);
        if (!writeAll(stdout, text)) return kFailed;
    }
    // The list was valid when opened: a failure later leaves what was printed incomplete,
    // and says so.
    if (!reader.reason().empty()) {
        report(file, reader.reason());
        return kFailed;
    }
    if (json && !writeAll(stdout, edlbtool::jsonDumpTail(reader.count()))) return kFailed;
    return kOk;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of(edlbtool::kDirectoryEnds);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

// Copies a file to standard output.
bool copyToStdout(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    bool ok = true;
    char buffer[8192];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (std::fwrite(buffer, 1, count, stdout) != count) {
            ok = false;
            break;
        }
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    return ok;
}

// Streams the events of reader into a list at path; the failure is reported, naming the
// input or the output, and nothing is left at path.
bool streamList(ListReader& reader, const edlbtool::WriteOptions& options,
                const std::string& path, const std::string& shownOutput) {
    ListWriter writer;
    std::string reason = writer.open(reader.info(), options, path);
    if (!reason.empty()) {
        report(shownOutput, reason);
        return false;
    }
    EventRow row;
    while (reader.next(row)) {
        reason = writer.write(row);
        if (!reason.empty()) {
            report(shownOutput, reason);
            return false;
        }
    }
    if (!reader.reason().empty()) {
        writer.abandon();
        report(reader.info().path, reader.reason());
        return false;
    }
    reason = writer.close();
    if (!reason.empty()) {
        report(shownOutput, reason);
        return false;
    }
    return true;
}

// The library writes through a file name and standard output may be a pipe: the list is
// written to a temporary file, then copied.
int convertToStdout(ListReader& reader, const edlbtool::WriteOptions& options) {
    platform::TempFile temp;
    const std::string reason = temp.create();
    if (!reason.empty()) {
        report("-", reason);
        return kFailed;
    }
    if (!streamList(reader, options, temp.path(), "-")) return kFailed;
    if (!copyToStdout(temp.path())) {
        report("-", "cannot copy the written list to standard output");
        return kFailed;
    }
    return kOk;
}

struct ConvertRun {
    edlbtool::WriteOptions options;
    const edlbtool::TypeName* type = nullptr;  // null: an OpenTimelineIO timeline
    bool legacy = false, quiet = false;
    std::vector<platform::FileId> inputs;  // no list is written over one of these
    std::vector<std::pair<platform::FileId, std::string>> written;  // output, from which IN
};

// No list is written over an input, or over a list this run has written already.
bool mayWrite(const std::string& output, const ConvertRun& run) {
    const platform::FileId target = platform::fileId(output);
    for (const platform::FileId& id : run.inputs) {
        if (platform::sameFile(id, target)) {
            report(output, "would overwrite the input list");
            return false;
        }
    }
    for (const auto& [id, from] : run.written) {
        if (platform::sameFile(id, target)) {
            report(output, "would overwrite the list just written from " + from);
            return false;
        }
    }
    return true;
}

void reportWritten(const std::string& input, const std::string& output, size_t events,
                   ConvertRun& run) {
    run.written.push_back({platform::fileId(output), input});
    if (!run.quiet) {
        std::printf("wrote %s (%s, %zu events)\n", output.c_str(),
                    run.type != nullptr ? run.type->name : edlbtool::kOtioTypeName, events);
    }
}

// A timeline is read and written whole: its events are placed by their neighbours.
int convertTimeline(const std::string& input, const std::string& output, ConvertRun& run) {
    ListData data;
    std::vector<std::string> warnings;
    std::string reason = edlbtool::readAnyList(input, data, run.legacy, warnings);
    if (!reason.empty()) {
        report(input, reason);
        return kFailed;
    }
    if (output != "-" && !mayWrite(output, run)) return kFailed;
    // Warnings of reading a timeline, then of writing one.
    for (const std::string& warning : warnings) report(input, warning);
    warnings.clear();
    if (run.type == nullptr) {
        reason = edlbtool::writeOtio(data, run.options, output, warnings);
        for (const std::string& warning : warnings) report(input, warning);
    } else if (output == "-") {
        platform::TempFile temp;
        reason = temp.create();
        if (reason.empty()) reason = edlbtool::writeList(data, run.options, temp.path());
        if (reason.empty() && !copyToStdout(temp.path())) {
            reason = "cannot copy the written list to standard output";
        }
    } else {
        reason = edlbtool::writeList(data, run.options, output);
    }
    if (!reason.empty()) {
        report(output, reason);
        return kFailed;
    }
    if (output != "-") reportWritten(input, output, data.events.size(), run);
    return kOk;
}

int convertOne(const std::string& input, const std::string& output, ConvertRun& run) {
    if (run.type == nullptr || (input != "-" && edlbtool::isOtioFile(input))) {
        return convertTimeline(input, output, run);
    }
    ListSource source;
    ListReader reader;
    std::string reason = source.open(input);
    if (reason.empty()) reason = reader.open(source, run.legacy);
    if (!reason.empty()) {
        report(input, reason);
        return kFailed;
    }
    if (output == "-") return convertToStdout(reader, run.options);
    if (!mayWrite(output, run)) return kFailed;
    if (!streamList(reader, run.options, output, output)) return kFailed;
    reportWritten(input, output, reader.count(), run);
    return kOk;
}

int commandConvert(const std::vector<std::string>& args) {
    std::vector<std::string> inputs;
    std::string output, directory, typeText, modeText, title;
    bool haveOutput = false, haveDirectory = false, haveType = false, haveMode = false;
    bool haveTitle = false;
    ConvertRun run;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isHelp(arg)) return writeAll(stdout, kConvertHelp) ? kOk : kFailed;
        if (arg == "--legacy" || arg == "--quiet") {
            (arg == "--legacy" ? run.legacy : run.quiet) = true;
            continue;
        }
        struct {
            const char* name;
            std::string* value;
            bool* seen;
        } const options[] = {{"--to", &typeText, &haveType},
                             {"-o", &output, &haveOutput},
                             {"--output", &output, &haveOutput},
                             {"-d", &directory, &haveDirectory},
                             {"--directory", &directory, &haveDirectory},
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
        inputs.push_back(arg);
    }
    if (inputs.empty()) return usageError("convert", "no input list given");
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
    run.type = type;
    run.options.listType = toOtio ? static_cast<unsigned>(EDLTYPE_NONE) : type->value;
    if (haveMode) {
        const edlbtool::ModeInfo* mode = edlbtool::findMode(modeText);
        if (mode == nullptr) return usageError("convert", "no such timecode mode '" + modeText + "'");
        run.options.tcMode = mode->value;
    }
    run.options.setTitle = haveTitle;
    run.options.title = title;
    run.options.legacy = run.legacy;
    if (haveOutput && haveDirectory) return usageError("convert", "-o and -d exclude each other");
    if (haveOutput && output.empty()) return usageError("convert", "-o needs a file name");
    if (haveOutput && inputs.size() > 1) {
        return usageError("convert", "-o names one output; give -d DIR for several lists");
    }
    if (haveDirectory && directory.empty()) return usageError("convert", "-d needs a directory");
    if (haveDirectory && platform::fileStatus(directory).kind != platform::FileKind::Directory) {
        return usageError("convert", "no such directory '" + directory + "'");
    }
    if (readsStandardInputTwice(inputs)) {
        return usageError("convert", "standard input can be read only once");
    }
    for (const std::string& input : inputs) {
        if (input == "-" && !haveOutput) {
            return usageError("convert", "a list read from standard input needs -o OUT");
        }
    }
    std::string extension =
        toOtio ? std::string(edlbtool::kOtioTypeName) : edlbtool::defaultExtension(type->value);
    // A wildcard extension (the media log's "pl*") makes a poor file name.
    if (extension.find('*') != std::string::npos) {
        extension = edlbtool::alternativeExtension(type->value);
    }
    for (const std::string& input : inputs) run.inputs.push_back(platform::fileId(input));

    int status = kOk;
    for (const std::string& input : inputs) {
        std::string target = output;
        if (!haveOutput) {
            target = baseName(input) + "." + extension;
            if (haveDirectory) {
                const bool ended = std::strchr(edlbtool::kDirectoryEnds, directory.back()) != nullptr;
                target = directory + (ended ? "" : "/") + target;
            }
        }
        if (convertOne(input, target, run) != kOk) status = kFailed;
    }
    return status;
}

enum class DiffFormat { Table, Json };

int commandDiff(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    DiffFormat format = DiffFormat::Table;
    bool all = false, endOfOptions = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!endOfOptions && isHelp(arg)) return writeAll(stdout, kDiffHelp) ? kOk : kFailed;
        if (!endOfOptions && arg == "--all") {
            all = true;
        } else if (!endOfOptions && matchesOption(arg, "--format")) {
            std::string value;
            if (!optionValue(args, i, "--format", value)) {
                return usageError("diff", "--format needs a value");
            }
            if (value != "table" && value != "json") {
                return usageError("diff", "no such format '" + value + "'");
            }
            format = value == "json" ? DiffFormat::Json : DiffFormat::Table;
        } else if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            return usageError("diff", "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return usageError("diff", "give two lists, OLD and NEW");
    if (readsStandardInputTwice(files)) {
        return usageError("diff", "standard input can be read only once");
    }
    ListData oldList, newList;
    ListData* lists[] = {&oldList, &newList};
    for (size_t i = 0; i < 2; ++i) {
        const std::string reason = edlbtool::readList(files[i], *lists[i]);
        if (!reason.empty()) {
            report(files[i], reason);
            return kFailed;
        }
    }
    const edlbtool::DiffResult result = edlbtool::diffLists(oldList, newList);
    const std::string text = format == DiffFormat::Json
                                 ? edlbtool::renderDiffJson(oldList, newList, result, all)
                                 : edlbtool::renderDiffTable(oldList, newList, result, all);
    if (!writeAll(stdout, text)) return kFailed;
    return result.same() ? kOk : kFailed;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int commandTimeline(const std::vector<std::string>& args) {
    std::string list, output, oldName, formatText;
    bool haveList = false, haveOutput = false, haveOld = false, haveFormat = false;
    bool quiet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isHelp(arg)) return writeAll(stdout, kTimelineHelp) ? kOk : kFailed;
        if (arg == "--quiet") {
            quiet = true;
            continue;
        }
        struct {
            const char* name;
            std::string* value;
            bool* seen;
        } const options[] = {{"-o", &output, &haveOutput},
                             {"--output", &output, &haveOutput},
                             {"--format", &formatText, &haveFormat},
                             {"--diff", &oldName, &haveOld}};
        bool matched = false;
        for (const auto& option : options) {
            if (!matchesOption(arg, option.name)) continue;
            if (!optionValue(args, i, option.name, *option.value)) {
                return usageError("timeline", std::string(option.name) + " needs a value");
            }
            *option.seen = true;
            matched = true;
            break;
        }
        if (matched) continue;
        if (arg.size() > 1 && arg[0] == '-') {
            return usageError("timeline", "unknown option '" + arg + "'");
        }
        if (haveList) return usageError("timeline", "only one list can be drawn");
        list = arg;
        haveList = true;
    }
    if (!haveList) return usageError("timeline", "no list given");
    if (haveOutput && output.empty()) return usageError("timeline", "-o needs a file name");
    bool html = false;
    if (haveFormat) {
        if (formatText != "svg" && formatText != "html") {
            return usageError("timeline", "no such format '" + formatText + "'");
        }
        html = formatText == "html";
    } else if (haveOutput && output != "-") {
        if (endsWith(output, ".html") || endsWith(output, ".htm")) {
            html = true;
        } else if (!endsWith(output, ".svg")) {
            return usageError("timeline", "cannot tell the format of '" + output +
                                              "': name it .svg or .html, or give --format");
        }
    }
    if (haveOld && readsStandardInputTwice({list, oldName})) {
        return usageError("timeline", "standard input can be read only once");
    }
    if (!haveOutput) {
        if (list == "-") {
            return usageError("timeline", "a list read from standard input needs -o OUT");
        }
        output = baseName(list) + (html ? ".html" : ".svg");
    }

    ListData newList, oldList;
    std::string reason = edlbtool::readList(list, newList);
    if (!reason.empty()) {
        report(list, reason);
        return kFailed;
    }
    edlbtool::DiffResult result;
    edlbtool::TimelineChanges changes;
    if (haveOld) {
        reason = edlbtool::readList(oldName, oldList);
        if (!reason.empty()) {
            report(oldName, reason);
            return kFailed;
        }
        result = edlbtool::diffLists(oldList, newList);
        changes.oldList = &oldList;
        changes.result = &result;
    }
    const std::string text = html ? edlbtool::renderTimelineHtml(newList, changes)
                                  : edlbtool::renderTimelineSvg(newList, changes);
    if (output == "-") return writeAll(stdout, text) ? kOk : kFailed;
    const platform::FileId target = platform::fileId(output);
    for (const std::string& input : {list, oldName}) {
        if (!input.empty() && platform::sameFile(platform::fileId(input), target)) {
            report(output, "would overwrite the input list");
            return kFailed;
        }
    }
    reason = platform::writeTextFile(output, text);
    if (!reason.empty()) {
        report(output, reason);
        return kFailed;
    }
    if (!quiet) {
        std::printf("wrote %s (%s, %zu events)\n", output.c_str(), html ? "html" : "svg",
                    newList.events.size());
    }
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
    if (command == "diff") return commandDiff(args);
    if (command == "timeline") return commandTimeline(args);
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
