// edlbridge cdl: one ASC CDL file per graded event of a list, or one collection.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "platform.h"
#include "reading_options.h"

#include <edlconvert.h>

#include <cstdio>
#include <functional>

namespace edlbcli {
namespace {

struct NamedValue {
    const char* name;
    uint32_t value;
};

constexpr NamedValue kCdlFormats[] = {
    {"cdl", EDLC_FORMAT_CDL}, {"cc", EDLC_FORMAT_CC}, {"ccc", EDLC_FORMAT_CCC}};
constexpr NamedValue kCdlIds[] = {{"clip", 0u}, {"reel", EDLC_ID_REEL}, {"event", EDLC_ID_EVENT}};

// An option whose value is one of names.
template <size_t N>
std::function<void(const std::string&)> oneOf(const NamedValue (&names)[N], uint32_t& out,
                                              const char* what) {
    return [&names, &out, what](const std::string& value) {
        for (const NamedValue& known : names) {
            if (value == known.name) {
                out = known.value;
                return;
            }
        }
        throw UsageError{std::string("no such ") + what + " '" + value + "'"};
    };
}

}  // namespace

int commandCdl(const std::vector<std::string>& args) {
    uint32_t format = EDLC_FORMAT_CDL, id = 0;
    std::string directory;
    bool haveDirectory = false;
    Operands file;
    file.most = 1;
    file.tooMany = "only one list can be read";
    CommandLine line("cdl", kCdlHelp, file);
    line.option("-d,--directory", directory, haveDirectory);
    line.option("--format", oneOf(kCdlFormats, format, "format"));
    line.option("--id", oneOf(kCdlIds, id, "id"));
    ReadingOptions reading;
    reading.addTo(line);
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    if (line.operands().empty()) return usageError("cdl", "no list given");
    if (!haveDirectory || directory.empty()) return usageError("cdl", "-d DIR is needed");
    if (!isDirectory(directory)) return usageError("cdl", "no such directory '" + directory + "'");
    const std::string& name = line.operands().front();
    edlcOptions options = stdoutOptions(id, format);
    reading.applyTo(options);
    size_t count = 0;
    edlcStatus status;
    if (edlcCdl(name.c_str(), directory.c_str(), &options, &count, &status) != EDLC_OK) {
        reportStatus(status, name, std::string(), directory);
        return kFailed;
    }
    std::printf("wrote %zu grades into %s\n", count, directory.c_str());
    return kOk;
}

}  // namespace edlbcli
