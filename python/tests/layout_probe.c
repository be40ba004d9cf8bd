/* Prints the layout of the records the Python module declares, as the headers give it:
 * "RECORD FIELD OFFSET SIZE" per field, and "RECORD - 0 SIZE" for the whole record. */
#include <stddef.h>
#include <stdio.h>

#include "edlbridge.h"
#include "edlconvert.h"

#define FIELD(record, name)                                                          \
    printf("%s %s %zu %zu\n", #record, #name, offsetof(record, name),               \
           sizeof(((record*)0)->name))

/* One line per field of every record, in declaration order: the function is as long as the
 * records are, and reads best as one list. */
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

    printf("edlcStatus - 0 %zu\n", sizeof(edlcStatus));
    FIELD(edlcStatus, code);
    FIELD(edlcStatus, which);
    FIELD(edlcStatus, message);

    printf("edlcListType - 0 %zu\n", sizeof(edlcListType));
    FIELD(edlcListType, value);
    FIELD(edlcListType, name);
    FIELD(edlcListType, enumerator);
    FIELD(edlcListType, dialect);
    FIELD(edlcListType, extension);
    FIELD(edlcListType, altExtension);
    FIELD(edlcListType, headerForm);
    FIELD(edlcListType, eventForm);
    FIELD(edlcListType, readsBackAs);
    FIELD(edlcListType, detected);
    FIELD(edlcListType, written);

    printf("edlcTcMode - 0 %zu\n", sizeof(edlcTcMode));
    FIELD(edlcTcMode, value);
    FIELD(edlcTcMode, name);
    FIELD(edlcTcMode, description);
    FIELD(edlcTcMode, fps);
    FIELD(edlcTcMode, dropped);
    FIELD(edlcTcMode, dropFrame);
    FIELD(edlcTcMode, frameRate);

    printf("edlcOptions - 0 %zu\n", sizeof(edlcOptions));
    FIELD(edlcOptions, flags);
    FIELD(edlcOptions, format);
    FIELD(edlcOptions, listType);
    FIELD(edlcOptions, tcMode);
    FIELD(edlcOptions, title);
    FIELD(edlcOptions, name);
    FIELD(edlcOptions, otherName);
    FIELD(edlcOptions, write);
    FIELD(edlcOptions, writeContext);
    FIELD(edlcOptions, warn);
    FIELD(edlcOptions, warnContext);
    FIELD(edlcOptions, guard);
    FIELD(edlcOptions, guardContext);
    FIELD(edlcOptions, progress);
    FIELD(edlcOptions, progressContext);
    FIELD(edlcOptions, recordStart);

    printf("edlcChange - 0 %zu\n", sizeof(edlcChange));
    FIELD(edlcChange, kinds);
    FIELD(edlcChange, newIndex);
    FIELD(edlcChange, oldIndex);
    FIELD(edlcChange, head);
    FIELD(edlcChange, tail);
    FIELD(edlcChange, move);
    return 0;
}
