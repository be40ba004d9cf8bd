// CSV header reader. Placeholder until the reader lands.
#include "core/handle.h"

extern "C" EDLBRIDGE_API int csvReadColumnLine(tagKvEdlHandle*, EdlLine*) { return EDL_NO_LINE; }
