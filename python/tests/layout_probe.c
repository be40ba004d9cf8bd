/* Prints the layout of the records the Python module declares, as the header gives it:
 * "RECORD FIELD OFFSET SIZE" per field, and "RECORD - 0 SIZE" for the whole record. */
#include <stddef.h>
#include <stdio.h>

#include "edlbridge.h"

#define FIELD(record, name)                                                          \
    printf("%s %s %zu %zu\n", #record, #name, offsetof(record, name),               \
           sizeof(((record*)0)->name))

int main(void) {
    printf("EdlList - 0 %zu\n", sizeof(EdlList));
    FIELD(EdlList, dwListType);
    FIELD(EdlList, dwFlags);
    FIELD(EdlList, dwFlags2);
    FIELD(EdlList, dwTcMode);
    FIELD(EdlList, dwCurTcMode);
    FIELD(EdlList, dwFrameRate);
    FIELD(EdlList, dwAudioKHz);
    FIELD(EdlList, dwHasColumnMap);
    FIELD(EdlList, adwColumns);
    FIELD(EdlList, szTitle);
    FIELD(EdlList, szTape);
    FIELD(EdlList, dwUserTag);
    FIELD(EdlList, szDefReel);
    FIELD(EdlList, dwReserved);
    FIELD(EdlList, szListName);
    FIELD(EdlList, szColumnLine);

    printf("EdlLineVB - 0 %zu\n", sizeof(EdlLineVB));
    FIELD(EdlLineVB, dwSrcIn);
    FIELD(EdlLineVB, dwSrcOut);
    FIELD(EdlLineVB, dwMarkIn);
    FIELD(EdlLineVB, dwMarkOut);
    FIELD(EdlLineVB, lAudioOffset);
    FIELD(EdlLineVB, dwEditNum);
    FIELD(EdlLineVB, dwVideoTracks);
    FIELD(EdlLineVB, dwAudioTracks);
    FIELD(EdlLineVB, dwEffect);
    FIELD(EdlLineVB, szClipName);
    FIELD(EdlLineVB, szName);
    FIELD(EdlLineVB, szComment);
    FIELD(EdlLineVB, szReel);
    FIELD(EdlLineVB, qwReserved2);
    FIELD(EdlLineVB, dwLineFlags);
    FIELD(EdlLineVB, dwPresent);
    FIELD(EdlLineVB, dwRecIn);
    FIELD(EdlLineVB, dwRecOut);
    FIELD(EdlLineVB, chEditType);
    FIELD(EdlLineVB, dwWipeCode);
    FIELD(EdlLineVB, dwEffectLen);
    FIELD(EdlLineVB, szEffectText);
    FIELD(EdlLineVB, dwTrackMask);
    FIELD(EdlLineVB, dwListTag);
    FIELD(EdlLineVB, szLine);
    FIELD(EdlLineVB, bXFile3);
    FIELD(EdlLineVB, achClipName);
    FIELD(EdlLineVB, achName);
    FIELD(EdlLineVB, achComment);
    FIELD(EdlLineVB, achReel);
    FIELD(EdlLineVB, achLine);
    return 0;
}
