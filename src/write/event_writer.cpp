// Event line writer. Placeholder until the writer lands.
#include "core/handle.h"

extern "C" EDLBRIDGE_API uint32_t edlWriteLine(tagKvEdlHandle*, EdlLine*) { return EDL_NO_LINE_BUFFER; }
