#include "reading_options.h"

#include "command_line.h"

namespace edlbcli {
namespace {

struct RateName {
    const char* text;
    uint32_t hundredths;  // 0: no timecode mode counts at it
};

constexpr RateName kRates[] = {
    {"23.976", 2398}, {"23.98", 2398}, {"24", 2400},   {"25", 2500},   {"29.97", 2997},
    {"30", 3000},     {"47.952", 0},   {"48", 0},      {"50", 5000},   {"59.94", 5994},
    {"60", 6000},
};

}  // namespace

void ReadingOptions::addTo(CommandLine& line) {
    line.option("--rate", [this](const std::string& value) {
        for (const RateName& known : kRates) {
            if (value != known.text) continue;
            if (known.hundredths == 0) {
                throw UsageError{"no timecode counts at " + value + " fps"};
            }
            rate = known.hundredths;
            return;
        }
        throw UsageError{"no such rate '" + value +
                         "' (23.976, 24, 25, 29.97, 30, 50, 59.94 or 60)"};
    });
    line.option("--record-start", recordStart, haveRecordStart);
}

void ReadingOptions::applyTo(edlcOptions& options) const {
    options.flags |= EDLC_RATE(rate);
    options.recordStart = haveRecordStart ? recordStart.c_str() : nullptr;
}

}  // namespace edlbcli
