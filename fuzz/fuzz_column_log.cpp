// Column logs: the input follows a "Heading" line, so the header scan and the column
// reader see every byte.
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes = "Heading\n";
    bytes.append(reinterpret_cast<const char*>(data), size);
    fuzz::readBothWays(fuzz::writeInput(reinterpret_cast<const uint8_t*>(bytes.data()),
                                   bytes.size(), ".ale"));
    return 0;
}
