// edlbridge: the command line over edlconvert. It reads the options, asks the library for the
// work and prints what comes back; every command is a file of its own.
#include "commands.h"
#include "output.h"
#include "platform.h"

#include <edlconvert.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace edlbcli;

constexpr Command kCommands[] = {
    {"types", commandTypes},     {"detect", commandDetect}, {"dump", commandDump},
    {"convert", commandConvert}, {"diff", commandDiff},     {"timeline", commandTimeline},
    {"markers", commandMarkers}, {"cdl", commandCdl},
};

int run(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (args.empty()) {
        std::fputs(kMainHelp, stderr);
        return kUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "-h" || command == "--help") return writeOut(kMainHelp) ? kOk : kFailed;
    if (command == "--version") {
        std::printf("edlbridge %s\n", EDLCONVERT_VERSION_STRING);
        return kOk;
    }
    // Not in the help: the build makes the installed completion scripts with it.
    if (command == "completion") {
        return commandCompletion(args, kCommands, sizeof kCommands / sizeof kCommands[0]);
    }
    for (const Command& known : kCommands) {
        if (command == known.name) return known.run(args);
    }
    return usageError(command, "no such command");
}

}  // namespace

int main(int argc, char** argv) {
    useBinaryStandardStreams();
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
