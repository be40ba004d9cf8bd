// Peak memory of reading a generated list: "edlbridge_peak_memory cmx|ale|csv EVENTS".
// Run it for 1,000 and for 1,000,000 events: the two peaks should not differ by more than
// about a megabyte, because reading keeps one line and one event at a time.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "edlbridge.h"
#include "list_generator.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s cmx|ale|csv EVENTS\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    const size_t count = std::strtoull(argv[2], nullptr, 10);
    const std::string path = "/tmp/edlbridge-peak-" + std::to_string(getpid()) +
                             (kind == "csv" ? ".csv" : ".edl");
    if (kind == "cmx") {
        benchlists::writeCmx3600(path, count);
    } else if (kind == "ale") {
        benchlists::writeLogExchange(path, count);
    } else if (kind == "csv") {
        benchlists::writeCsv(path, count);
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    EdlList list;
    edlInitEdlListStruct(&list);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    size_t events = 0;
    if (handle != nullptr) {
        auto event = std::make_unique<EdlLineVB>();
        while (edlReadLineVB(handle, event.get()) == 0) ++events;
        edlClose(handle);
    }
    std::remove(path.c_str());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s events=%zu peak_rss_kb=%ld\n", kind.c_str(), events, usage.ru_maxrss);
    return handle != nullptr ? 0 : 1;
}
