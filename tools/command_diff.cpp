// edlbridge diff: what changed from one cut to the next.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "reading_options.h"

#include <edlconvert.h>

namespace edlbcli {

int commandDiff(const std::vector<std::string>& args) {
    uint32_t format = EDLC_FORMAT_TABLE;
    bool all = false;
    Operands lists;
    lists.endsOptions = true;
    CommandLine line("diff", kDiffHelp, lists);
    line.flag("--all", all);
    ReadingOptions reading;
    reading.addTo(line);
    line.option("--format", [&format](const std::string& value) {
        if (value != "table" && value != "json") throw UsageError{"no such format '" + value + "'"};
        format = value == "json" ? EDLC_FORMAT_JSON : EDLC_FORMAT_TABLE;
    });
    line.values("--format", "table json");
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    const std::vector<std::string>& names = line.operands();
    if (names.size() != 2) return usageError("diff", "give two lists, OLD and NEW");
    if (readsStandardInputTwice(names)) {
        return usageError("diff", "standard input can be read only once");
    }
    const std::string& oldName = names[0];
    const std::string& newName = names[1];
    edlcOptions options = stdoutOptions(all ? EDLC_ALL : 0u, format);
    reading.applyTo(options);
    options.name = newName.c_str();
    options.otherName = oldName.c_str();
    // Both lists are read before anything is printed: a list that fails leaves standard
    // output empty. The exit status says whether the cuts differ.
    int same = 0;
    edlcStatus status;
    if (edlcDiff(oldName.c_str(), newName.c_str(), &options, &same, &status) != EDLC_OK) {
        reportStatus(status, newName, oldName);
        return kFailed;
    }
    return same ? kOk : kFailed;
}

}  // namespace edlbcli
