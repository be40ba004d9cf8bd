/* A C host: reads a list and prints its events through the C-linkage functions.
 *
 *   read_list_c FILE
 *
 * The record is set up by edlInitEdlLineStruct, so its texts live in the library's shared
 * static buffers: each event's texts are printed (or copied out) before the next read. */
#include <edlbridge.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    static EdlList list; /* large: keep it off the stack */
    EdlLine event;
    tagKvEdlHandle* handle;
    uint32_t result;
    unsigned count = 0;
    char reel[EDL_REEL_SIZE];

    if (argc != 2) {
        fprintf(stderr, "usage: read_list_c FILE\n");
        return 2;
    }
    edlInitEdlListStruct(&list);
    handle = edlOpen(argv[1], NULL, EDL_OPEN_READ, &list);
    if (handle == NULL) {
        fprintf(stderr, "read_list_c: %s: not a list edlbridge can read\n", argv[1]);
        return 1;
    }
    printf("type %u, timecode mode 0x%02X, title '%s'\n", (unsigned)list.dwListType,
           (unsigned)(list.dwTcMode & 0xFFu), list.szTitle);
    for (;;) {
        edlInitEdlLineStruct(&event);
        result = edlReadLine(handle, &event);
        if (result != EDL_OK) break;
        /* A copy survives the next read; the pointer's text does not. */
        strncpy(reel, event.szReel, sizeof reel - 1);
        reel[sizeof reel - 1] = '\0';
        ++count;
        printf("%3u  %-8s %c  src %u-%u  rec %u-%u  clip '%s'  comment '%s'\n",
               (unsigned)event.dwEditNum, reel, event.chEditType ? event.chEditType : '?',
               (unsigned)event.dwSrcIn, (unsigned)event.dwSrcOut, (unsigned)event.dwRecIn,
               (unsigned)event.dwRecOut, event.szClipName, event.szComment);
    }
    edlClose(handle);
    if (result != EDL_END_OF_LIST && result != EDL_NO_LINE) {
        fprintf(stderr, "read_list_c: %s: read failed (0x%X)\n", argv[1], (unsigned)result);
        return 1;
    }
    printf("%u events\n", count);
    return 0;
}
