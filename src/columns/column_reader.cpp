// Column list reader. Placeholder until the reader lands.
#include "core/handle.h"

EDLBRIDGE_API int edlReadColumnLine(tagKvEdlHandle*, EdlLine*) { return EDL_NO_LINE; }
