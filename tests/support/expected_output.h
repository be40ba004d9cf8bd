// Expected outputs kept under tests/data, and the one way to regenerate them: run the tests
// with EDLBRIDGE_UPDATE_EXPECTED set, then read every changed line with `git diff` before
// committing (tests/README.md says which files were checked by hand against their inputs).
#ifndef EDLBRIDGE_TESTS_SUPPORT_EXPECTED_OUTPUT_H
#define EDLBRIDGE_TESTS_SUPPORT_EXPECTED_OUTPUT_H

#include <string>

namespace edlbtest {

// True when the environment variable EDLBRIDGE_UPDATE_EXPECTED is set, to any value (even
// empty or 0): expected files are then written from what the code gives.
bool updatingExpected();

// Whether the file at path holds exactly actual. When updating, actual is written to path
// first, so the answer is false only when the file could not be written. expected, when
// given, receives the file's bytes (empty when it cannot be read), so that each test shows a
// difference its own way.
//
//     std::string expected;
//     if (!matchesExpected(dataPath("cmx/cut.expected"), dump, &expected)) { /* show it */ }
bool matchesExpected(const std::string& path, const std::string& actual,
                     std::string* expected = nullptr);

}  // namespace edlbtest

#endif
