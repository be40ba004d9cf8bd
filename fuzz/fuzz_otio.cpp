// OpenTimelineIO timelines: the timeline reader over arbitrary bytes, as a stream from memory
// and from a file, which must agree. A timeline it reads is written again, and what it
// writes must read back into as many events.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "otio.h"

namespace {

// The same bytes read from a file: the same reason, or as many events.
void readFromFile(const std::string& text, const std::string& reason, size_t events) {
    static const std::string path = "/tmp/fuzz-otio-" + std::to_string(getpid()) + ".otio";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) return;
    edlbtool::ListData list;
    std::vector<std::string> warnings;
    const std::string fromFile = edlbtool::readOtio(path, list, warnings);
    std::remove(path.c_str());
    if (fromFile != reason || list.events.size() != events) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    edlbtool::ListData list;
    std::vector<std::string> warnings;
    const std::string reason = edlbtool::readOtioText(text, "fuzz.otio", list, warnings);
    readFromFile(text, reason, list.events.size());
    if (!reason.empty()) return 0;
    const std::string written = edlbtool::otioText(list, edlbtool::WriteOptions(), warnings);
    edlbtool::ListData again;
    if (!edlbtool::readOtioText(written, "again.otio", again, warnings).empty()) std::abort();
    if (again.events.size() != list.events.size()) std::abort();
    return 0;
}
