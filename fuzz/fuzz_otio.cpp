// OpenTimelineIO timelines: the tool's timeline reader over arbitrary bytes. A timeline it
// reads is written again, and what it writes must read back into as many events.
#include <cstdlib>
#include <string>
#include <vector>

#include "otio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    edlbtool::ListData list;
    std::vector<std::string> warnings;
    if (!edlbtool::readOtioText(text, "fuzz.otio", list, warnings).empty()) return 0;
    const std::string written = edlbtool::otioText(list, edlbtool::WriteOptions(), warnings);
    edlbtool::ListData again;
    if (!edlbtool::readOtioText(written, "again.otio", again, warnings).empty()) std::abort();
    if (again.events.size() != list.events.size()) std::abort();
    return 0;
}
