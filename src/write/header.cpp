// List headers. Placeholder until the header writer lands.
#include "core/handle.h"
#include "write/write.h"

void edlWriteHeader(tagKvEdlHandle*) {}
