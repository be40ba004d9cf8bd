// Closing lines. Placeholder until the closing lines land.
#include "core/handle.h"
#include "write/write.h"

void edlWriteTrailer(tagKvEdlHandle*) {}
