// Shared pieces of the fuzz targets: input bytes become a list file, lists are read to the end.
#ifndef EDLBRIDGE_FUZZ_SUPPORT_H
#define EDLBRIDGE_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "edlbridge.h"

namespace fuzz {

// A file in memory-backed storage, private to this process, named with the given suffix.
std::string writeInput(const uint8_t* data, size_t size, const char* suffix);

// Opens path for reading and reads every event through an inline-buffer record. Returns the
// number of events read; stops after a bound so that no input can make it run forever.
unsigned readAll(const std::string& path, EdlList* list = nullptr);

// Reads path with the documented derivations, for interchange, and for interchange at a
// counting rate given in the list record.
void readBothWays(const std::string& path);

}  // namespace fuzz

#endif
