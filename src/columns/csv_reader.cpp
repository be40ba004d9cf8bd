// CSV event reader. Placeholder until the reader lands.
#include "core/handle.h"

extern "C" EDLBRIDGE_API int csvReadLine(tagKvEdlHandle*, EdlLine*) { return -1; }
extern "C" EDLBRIDGE_API int csvDoXFileRec(tagKvEdlHandle*, EdlLine*) { return -1; }
