/* The public header as a C11 host sees it: same layout, C-linkage entry points usable. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "edlbridge.h"

_Static_assert(sizeof(EdlList) == 8528, "EdlList size");
_Static_assert(offsetof(EdlList, szColumnLine) == 4429, "EdlList.szColumnLine");
_Static_assert(sizeof(EdlLine) == 188, "EdlLine size");
_Static_assert(offsetof(EdlLine, bXFile3) == 184, "EdlLine.bXFile3");
_Static_assert(sizeof(EdlLineVB) == 13580, "EdlLineVB size");
_Static_assert(offsetof(EdlLineVB, achLine) == 8969, "EdlLineVB.achLine");

int main(void) {
    EdlList list;
    EdlLine line;
    char extension[4];
    char alternative[5];
    edlInitEdlListStruct(&list);
    edlInitEdlLineStruct(&line);
    edlDefExtension(EDLTYPE_OMF, extension, alternative);
    if (list.dwListType != EDLTYPE_NONE || list.dwTcMode != EDL_TC_DF) return 1;
    if (line.szReel == NULL || line.szReel[0] != '\0') return 2;
    if (strcmp(extension, "omf") != 0 || strcmp(alternative, "omfi") != 0) return 3;
    if (strcmp(_CRLF_, "\r\n") != 0 || dwTokenRtn != 0) return 4;
    if (edlClose(NULL) != EDL_NO_HANDLE_CLOSE) return 5;
    puts("C host: ok");
    return 0;
}
