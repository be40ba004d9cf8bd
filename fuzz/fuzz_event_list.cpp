// Event lists: detection and the event reader over arbitrary bytes.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::readAll(fuzz::writeInput(data, size, ".edl"));
    return 0;
}
