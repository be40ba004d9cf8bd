// Detection alone: open and close.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::writeInput(data, size, ".edl");
    EdlList list;
    edlInitEdlListStruct(&list);
    if (tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, 0, &list)) {
        if (list.dwListType == EDL_DETECT_FAILED) __builtin_trap();
        edlClose(handle);
    }
    return 0;
}
