// The records library alone on a list, for the tool-level table:
//   "edlbridge_core_list read LIST" reads every event with edlReadLine into a record whose
//   texts are the host's own buffers;
//   "edlbridge_core_list read-inline LIST" reads them with edlReadLineVB into a record that
//   carries its texts, as the command line does (that entry clears the record's 13 KB of
//   text buffers before each read);
//   "edlbridge_core_list copy LIST OUT TYPE" also writes each event into a list of TYPE as
//   it is read, through the inline-buffer entries, as the command line does.
// All read and write for interchange, as the command line does. Prints "events=N" on
// standard error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "edlbridge.h"

int main(int argc, char** argv) {
    const bool copy = argc == 5 && std::strcmp(argv[1], "copy") == 0;
    const bool inline_ = argc == 3 && std::strcmp(argv[1], "read-inline") == 0;
    const bool read = argc == 3 && std::strcmp(argv[1], "read") == 0;
    if (!copy && !inline_ && !read) {
        std::fprintf(stderr, "usage: %s read LIST | read-inline LIST | copy LIST OUT TYPE\n",
                     argv[0]);
        return 2;
    }
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwFlags |= EDL_LF_INTERCHANGE;
    tagKvEdlHandle* in = edlOpen(argv[2], nullptr, EDL_OPEN_READ, &list);
    if (in == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    tagKvEdlHandle* out = nullptr;
    if (copy) {
        EdlList written = list;
        written.dwListType = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
        out = edlOpen(argv[3], nullptr, EDL_OPEN_WRITE, &written);
        if (out == nullptr) {
            std::fprintf(stderr, "cannot write %s\n", argv[3]);
            return 1;
        }
    }
    std::unique_ptr<EdlLineVB> event(new EdlLineVB());
    size_t events = 0;
    if (read) {
        // The texts go to the host's buffers: here, those of the inline record.
        EdlLine line{};
        line.szClipName = event->achClipName;
        line.szName = event->achName;
        line.szComment = event->achComment;
        line.szReel = event->achReel;
        line.szLine = event->achLine;
        while (edlReadLine(in, &line) == EDL_OK) ++events;
    } else {
        while (edlReadLineVB(in, event.get()) == EDL_OK) {
            ++events;
            if (out != nullptr) edlWriteLineVB(out, event.get());
        }
    }
    edlClose(in);
    if (out != nullptr) edlClose(out);
    std::fprintf(stderr, "events=%zu\n", events);
    return 0;
}
