// edlbridge markers: the markers of a marker list, list or timeline in another marker format.
#include "command_line.h"
#include "commands.h"
#include "output.h"

#include <edlconvert.h>

#include <cstdio>

namespace edlbcli {
namespace {

struct FormatName {
    const char* name;
    uint32_t format;
};

constexpr FormatName kMarkerFormats[] = {
    {"json", EDLC_FORMAT_JSON}, {"avid", EDLC_FORMAT_AVID}, {"csv", EDLC_FORMAT_CSV},
    {"edl", EDLC_FORMAT_EDL},   {"loc", EDLC_FORMAT_LOC},   {"notes", EDLC_FORMAT_NOTES}};

// A frame rate as editors write it, or a timecode mode's name; 0 when none.
uint32_t rateOption(const std::string& text) {
    edlcTcMode mode;
    return edlcFindTcMode(text.c_str(), &mode) != 0 ? mode.value : 0u;
}

}  // namespace

int commandMarkers(const std::vector<std::string>& args) {
    uint32_t format = EDLC_FORMAT_JSON, mode = 0;
    std::string output = "-";
    bool haveOutput = false;
    Operands file;
    file.most = 1;
    file.tooMany = "only one list can be read";
    CommandLine line("markers", kMarkersHelp, file);
    line.option("--format", [&format](const std::string& value) {
        for (const FormatName& known : kMarkerFormats) {
            if (value == known.name) {
                format = known.format;
                return;
            }
        }
        throw UsageError{"no such format '" + value + "'"};
    });
    line.option("-o,--output", output, haveOutput);
    line.option("--rate", [&mode](const std::string& value) {
        mode = rateOption(value);
        if (mode == 0) throw UsageError{"no such rate '" + value + "'"};
    });
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    if (line.operands().empty()) return usageError("markers", "no list given");
    if (haveOutput && output.empty()) return usageError("markers", "-o needs a file name");
    const std::string& name = line.operands().front();
    edlcOptions options = stdoutOptions(0u, format);
    options.tcMode = mode;
    size_t count = 0;
    edlcStatus status;
    if (edlcMarkers(name.c_str(), output.c_str(), &options, &count, &status) != EDLC_OK) {
        reportStatus(status, name, std::string(), output);
        return kFailed;
    }
    if (output != "-") std::printf("wrote %s (%zu markers)\n", output.c_str(), count);
    return kOk;
}

}  // namespace edlbcli
