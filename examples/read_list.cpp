// A C++ host: reads a list and prints its type, title and events.
//
//   read_list FILE
//
// Events are read into an EdlLineVB record, which carries its own text buffers; texts read
// through an EdlLine set up by edlInitEdlLineStruct live in buffers the library shares
// between all such records.
#include <edlbridge.h>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_list FILE\n");
        return 2;
    }
    EdlList list;
    edlInitEdlListStruct(&list);
    list.szColumnLine[0] = '\0';
    tagKvEdlHandle* handle = edlOpen(argv[1], nullptr, EDL_OPEN_READ, &list);
    if (handle == nullptr) {
        std::fprintf(stderr, "read_list: %s: not a list edlbridge can read\n", argv[1]);
        return 1;
    }
    std::printf("type %u, timecode mode 0x%02X, title '%s'\n", list.dwListType,
                list.dwTcMode & 0xFFu, list.szTitle);

    // The record is large (some 17 KB of text buffers): keep it off the stack.
    std::unique_ptr<EdlLineVB> event(new EdlLineVB());
    unsigned count = 0;
    uint32_t result;
    while ((result = edlReadLineVB(handle, event.get())) == EDL_OK) {
        ++count;
        std::printf("%3u  %-8s %c  src %u-%u  rec %u-%u  clip '%s'  comment '%s'\n",
                    event->dwEditNum, event->achReel, event->chEditType ? event->chEditType : '?',
                    event->dwSrcIn, event->dwSrcOut, event->dwRecIn, event->dwRecOut,
                    event->achClipName, event->achComment);
    }
    edlClose(handle);
    // The end of a list is EDL_END_OF_LIST, or EDL_NO_LINE for CSV lists.
    if (result != EDL_END_OF_LIST && result != EDL_NO_LINE) {
        std::fprintf(stderr, "read_list: %s: read failed (0x%X)\n", argv[1], result);
        return 1;
    }
    std::printf("%u events\n", count);
    return 0;
}
