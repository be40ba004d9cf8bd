// A converting host: reads a list and writes its events as a list of another type.
//
//   convert_list IN OUT TYPE      (TYPE a list type value, e.g. 7 for CMX 3600)
//
// Two lists are open at once, so each side uses its own EdlLineVB record: the shared text
// buffers of edlInitEdlLineStruct would mix the texts of the two handles.
#include <edlbridge.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: convert_list IN OUT TYPE\n");
        return 2;
    }
    char* end = nullptr;
    const long type = std::strtol(argv[3], &end, 10);
    if (*end != '\0' || type < 1 || type > 256) {
        std::fprintf(stderr, "convert_list: no such list type '%s'\n", argv[3]);
        return 2;
    }

    std::unique_ptr<EdlList> in(new EdlList());
    edlInitEdlListStruct(in.get());
    tagKvEdlHandle* reader = edlOpen(argv[1], nullptr, EDL_OPEN_READ, in.get());
    if (reader == nullptr) {
        std::fprintf(stderr, "convert_list: %s: not a list edlbridge can read\n", argv[1]);
        return 1;
    }

    // The written list keeps the title and timecode mode of the list read.
    std::unique_ptr<EdlList> out(new EdlList());
    edlInitEdlListStruct(out.get());
    out->dwListType = static_cast<uint32_t>(type);
    out->dwTcMode = in->dwTcMode;
    std::memcpy(out->szTitle, in->szTitle, sizeof out->szTitle);
    tagKvEdlHandle* writer = edlOpen(argv[2], nullptr, EDL_OPEN_WRITE, out.get());
    if (writer == nullptr) {
        std::fprintf(stderr, "convert_list: %s: cannot create\n", argv[2]);
        edlClose(reader);
        return 1;
    }

    std::unique_ptr<EdlLineVB> event(new EdlLineVB());
    unsigned count = 0;
    uint32_t result;
    while ((result = edlReadLineVB(reader, event.get())) == EDL_OK) {
        if (edlWriteLineVB(writer, event.get()) != EDL_OK) break;
        ++count;
    }
    edlClose(reader);
    if (edlClose(writer) != 0) {
        std::fprintf(stderr, "convert_list: %s: write failed\n", argv[2]);
        return 1;
    }
    std::printf("wrote %s: %u events as list type %ld\n", argv[2], count, type);
    return 0;
}
