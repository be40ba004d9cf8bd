// Canonical text of list records and events, for tests that compare what a reader returns
// with an expected file kept next to the input list.
#ifndef EDLBRIDGE_TESTS_EVENT_DUMP_H
#define EDLBRIDGE_TESTS_EVENT_DUMP_H

#include <cstdint>
#include <string>

#include "edlbridge.h"

namespace edlbtest {

// Texts are quoted; bytes below 32, the quote, the backslash and bytes from 127 up are
// written as \xNN so the expected files stay plain, stable text.
std::string quoted(const char* text);

// The fields of a list record that readers fill, one "name: value" line each.
std::string describeList(const EdlList& list);

// Every field of an event, one "name: value" line each; empty texts and zero numbers are
// written too, so an expected file shows that a field was left alone.
std::string describeEvent(const EdlLine& event);

// How a list is opened for a dump.
struct DumpOptions {
    uint32_t listType = EDLTYPE_NONE;  // a preset that changes reading (5: clip lines)
    uint32_t flags = 0;
    uint32_t flags2 = 0;
    uint32_t userTag = 0;
    const char* defaultReel = "";
    uint32_t recorderIn = 0;
    bool inlineRecords = false;  // read through EdlLineVB instead of EdlLine
};

// Opens path for reading, then describes the list record and every event up to the end,
// and the result code that ended the list ("open: failed" when edlOpen returns null).
std::string dumpList(const std::string& path, const DumpOptions& options = DumpOptions());

// Compares dumpList(input) with the file expected through matchesExpected, which writes the
// file instead when EDLBRIDGE_UPDATE_EXPECTED is set (see expected_output.h). Returns an
// empty string when they match, else a description of the first differing line.
std::string compareWithExpected(const std::string& input, const std::string& expected,
                                const DumpOptions& options = DumpOptions());

}  // namespace edlbtest

#endif
