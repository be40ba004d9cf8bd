// Event lists: detection and the event reader over arbitrary bytes, read as
// documented and for interchange.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::readBothWays(fuzz::writeInput(data, size, ".edl"));
    return 0;
}
