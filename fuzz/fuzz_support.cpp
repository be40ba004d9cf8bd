#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

std::string writeInput(const uint8_t* data, size_t size, const char* suffix) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = std::string(base) + "/edlbridge-fuzz-" + std::to_string(getpid()) + suffix;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size != 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

unsigned readAll(const std::string& path, EdlList* given) {
    EdlList local;
    EdlList* list = given != nullptr ? given : &local;
    if (given == nullptr) edlInitEdlListStruct(list);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, 0, list);
    if (handle == nullptr) return 0;
    auto event = std::make_unique<EdlLineVB>();
    unsigned events = 0;
    // Every read consumes at least one line, so the bound only guards against a reader
    // that stops making progress.
    for (unsigned reads = 0; reads < 100000; ++reads) {
        if (edlReadLineVB(handle, event.get()) != 0) break;
        ++events;
    }
    edlClose(handle);
    return events;
}

void readBothWays(const std::string& path) {
    readAll(path);
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwFlags = EDL_LF_INTERCHANGE;
    readAll(path, &list);
    // At a counting rate the host gives: FCM lines choose only drop or non-drop frame.
    edlInitEdlListStruct(&list);
    list.dwFlags = EDL_LF_INTERCHANGE;
    list.dwReserved = 2500;
    readAll(path, &list);
}

}  // namespace fuzz
