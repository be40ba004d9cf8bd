// The options of every command that reads a list: the counting rate (--rate FPS) and the
// record time a log without record times starts at (--record-start TC).
#ifndef EDLBRIDGE_TOOLS_READING_OPTIONS_H
#define EDLBRIDGE_TOOLS_READING_OPTIONS_H

#include <edlconvert.h>

#include <cstdint>
#include <string>

namespace edlbcli {

class CommandLine;

struct ReadingOptions {
    uint32_t rate = 0;  // hundredths of a frame per second; 0: the rate the list names
    std::string recordStart;
    bool haveRecordStart = false;

    // Adds --rate and --record-start to the command's options.
    void addTo(CommandLine& line);
    // Puts them into the library's options.
    void applyTo(edlcOptions& options) const;
};

}  // namespace edlbcli

#endif
