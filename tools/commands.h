// The commands of edlbridge, each given the arguments after its name; each returns the exit
// status.
#ifndef EDLBRIDGE_TOOLS_COMMANDS_H
#define EDLBRIDGE_TOOLS_COMMANDS_H

#include <string>
#include <vector>

namespace edlbcli {

int commandTypes(const std::vector<std::string>& args);
int commandDetect(const std::vector<std::string>& args);
int commandDump(const std::vector<std::string>& args);
int commandConvert(const std::vector<std::string>& args);
int commandDiff(const std::vector<std::string>& args);
int commandTimeline(const std::vector<std::string>& args);
int commandMarkers(const std::vector<std::string>& args);
int commandCdl(const std::vector<std::string>& args);

}  // namespace edlbcli

#endif
