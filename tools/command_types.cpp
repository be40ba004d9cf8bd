// edlbridge types: the catalogue of list types.
#include "command_line.h"
#include "commands.h"
#include "output.h"

#include <edlconvert.h>

namespace edlbcli {

int commandTypes(const std::vector<std::string>& args) {
    Operands none;
    none.noArguments = true;
    CommandLine line("types", kTypesHelp, none);
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    const edlcOptions options = stdoutOptions(0, EDLC_FORMAT_TABLE);
    edlcStatus status;
    if (edlcWriteTypes(&options, &status) == EDLC_OK) return kOk;
    reportStatus(status, "types");
    return kFailed;
}

}  // namespace edlbcli
