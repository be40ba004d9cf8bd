// List type detection. Placeholder until detection lands.
#include "core/handle.h"

EDLBRIDGE_API int edlAutoSense(tagKvEdlHandle*) { return EDL_DETECT_FAILED; }
EDLBRIDGE_API int edlLineIsXJTClipType(tagKvEdlHandle*, char*) { return 0; }
EDLBRIDGE_API int edlLineIsXJTListType(tagKvEdlHandle*, char*) { return 0; }
