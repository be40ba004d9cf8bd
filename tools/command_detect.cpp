// edlbridge detect: the type, title, timecode mode, column line and events of each list.
#include "command_line.h"
#include "commands.h"
#include "output.h"

#include <edlconvert.h>

namespace edlbcli {
namespace {

struct DetectRun {
    bool json = false;
    uint32_t flags = 0;
    size_t shown = 0;  // summaries printed
    int status = kOk;
};

// Prints the summary of one list, or reports why it has none; false when standard output
// failed. A summary is printed whole, once the list has been read to its end, so that a list
// that fails leaves no separator behind.
bool detectOne(const std::string& file, DetectRun& run) {
    std::string summary;
    edlcOptions options;
    edlcInitOptions(&options);
    options.flags = run.flags;
    options.format = run.json ? EDLC_FORMAT_JSON : EDLC_FORMAT_TEXT;
    options.name = file.c_str();
    options.write = appendToText;
    options.writeContext = &summary;
    edlcStatus status;
    if (edlcDetect(file.c_str(), &options, &status) != EDLC_OK) {
        reportStatus(status, file);
        run.status = kFailed;
        return true;
    }
    // Objects of the JSON array are separated by a comma, text summaries by an empty line.
    const char* separator = run.json ? (run.shown == 0 ? "\n" : ",\n") : (run.shown == 0 ? "" : "\n");
    ++run.shown;
    return writeOut(separator + summary);
}

}  // namespace

int commandDetect(const std::vector<std::string>& args) {
    DetectRun run;
    bool legacy = false;
    Operands files;
    files.endsOptions = true;
    CommandLine line("detect", kDetectHelp, files);
    line.flag("--legacy", legacy);
    line.option("--format", [&run](const std::string& value) {
        if (value != "text" && value != "json") throw UsageError{"no such format '" + value + "'"};
        run.json = value == "json";
    });
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    const std::vector<std::string>& names = line.operands();
    if (names.empty()) return usageError("detect", "no file given");
    if (readsStandardInputTwice(names)) {
        return usageError("detect", "standard input can be read only once");
    }
    run.flags = legacy ? EDLC_LEGACY : 0u;
    if (run.json && !writeOut("[")) return kFailed;
    for (const std::string& file : names) {
        if (!detectOne(file, run)) return kFailed;
    }
    if (run.json && !writeOut(run.shown == 0 ? "]\n" : "\n]\n")) return kFailed;
    return run.status;
}

}  // namespace edlbcli
