// CSV logs and XFile3 exports: a ".csv" name sends the file to the CSV readers.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::readBothWays(fuzz::writeInput(data, size, ".csv"));
    return 0;
}
