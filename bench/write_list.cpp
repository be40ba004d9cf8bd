// Writes a generated list for measuring the command line: "edlbridge_write_list
// cmx|cmx-revised|ale|csv EVENTS PATH".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "list_generator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s cmx|cmx-revised|ale|csv EVENTS PATH\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    const size_t count = std::strtoull(argv[2], nullptr, 10);
    size_t bytes = 0;
    if (kind == "cmx" || kind == "cmx-revised") {
        bytes = benchlists::writeCmx3600(argv[3], count, kind == "cmx-revised");
    } else if (kind == "ale") {
        bytes = benchlists::writeLogExchange(argv[3], count);
    } else if (kind == "csv") {
        bytes = benchlists::writeCsv(argv[3], count);
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    return bytes != 0 ? 0 : 1;
}
