// Event line reader. Placeholder until the reader lands.
#include "core/handle.h"

extern "C" EDLBRIDGE_API uint32_t edlReadLine(tagKvEdlHandle* handle, EdlLine*) {
    return handle == nullptr ? EDL_BAD_ARGUMENT : EDL_END_OF_LIST;
}
