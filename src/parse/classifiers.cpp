// Line and token classifiers. Placeholder until the classifiers land.
#include "core/handle.h"

EDLBRIDGE_API int edlLineIsAud(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsClip(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsComment(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsEdit(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsFcm(tagKvEdlHandle*, char*, unsigned int d, unsigned int* m) {
    *m = d;
    return 0;
}
EDLBRIDGE_API int edlLineIsGpi(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsM2(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsMS(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsSwitcher(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsTitle(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlTokEditType(tagKvEdlHandle*, char*, unsigned int*, unsigned int*) { return 0; }
EDLBRIDGE_API int edlTokEffectType(tagKvEdlHandle*, char*, char*, unsigned int*, int* a, int* b) {
    *a = *b = 0;
    return 0;
}
EDLBRIDGE_API int edlTokIsComment(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlTokIsNumeric(tagKvEdlHandle*, char*, unsigned int*) { return 0; }
EDLBRIDGE_API int edlTokIsSrc(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlTokIsTimecode(tagKvEdlHandle*, char*, unsigned int*, unsigned int*) { return 0; }
