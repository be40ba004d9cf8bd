// edlbridge dump: every event of a list as a table, JSON or CSV.
#include "command_line.h"
#include "commands.h"
#include "output.h"

#include <edlconvert.h>

#include <cstring>

namespace edlbcli {
namespace {

struct FormatName {
    const char* name;
    uint32_t format;
};

constexpr FormatName kDumpFormats[] = {
    {"table", EDLC_FORMAT_TABLE}, {"json", EDLC_FORMAT_JSON}, {"csv", EDLC_FORMAT_CSV}};

}  // namespace

int commandDump(const std::vector<std::string>& args) {
    uint32_t format = EDLC_FORMAT_TABLE;
    bool legacy = false;
    Operands file;
    file.most = 1;
    file.tooMany = "only one file can be dumped";
    CommandLine line("dump", kDumpHelp, file);
    line.flag("--legacy", legacy);
    line.option("--format", [&format](const std::string& value) {
        for (const FormatName& known : kDumpFormats) {
            if (value == known.name) {
                format = known.format;
                return;
            }
        }
        throw UsageError{"no such format '" + value + "'"};
    });
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    if (line.operands().empty()) return usageError("dump", "no file given");
    const std::string& name = line.operands().front();
    edlcOptions options = stdoutOptions(legacy ? EDLC_LEGACY : 0u, format);
    options.name = name.c_str();
    // Events are printed as they are read: a failure after the first leaves the text
    // incomplete, and the report says why.
    edlcStatus status;
    if (edlcDump(name.c_str(), &options, &status) == EDLC_OK) return kOk;
    reportStatus(status, name);
    return kFailed;
}

}  // namespace edlbcli
