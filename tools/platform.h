// What the command line needs from the system beyond standard C++: the same behaviour on
// Linux, macOS and Windows.
#ifndef EDLBRIDGE_TOOLS_PLATFORM_H
#define EDLBRIDGE_TOOLS_PLATFORM_H

#include <string>

namespace edlbtool {

// The characters after which a file's own name begins: on Windows a backslash and the colon
// of a drive letter too ("C:\lists\cut.edl", "C:cut.edl"); elsewhere they belong to names.
#if defined(_WIN32)
constexpr const char* kDirectoryEnds = "/\\:";
#else
constexpr const char* kDirectoryEnds = "/";
#endif

// Standard output and standard error carry bytes unchanged: on Windows they would turn each
// LF into CR LF, and a list written to standard output must come out byte for byte.
void useBinaryStandardStreams();

// Both paths name one existing file (through links and different spellings).
bool sameFile(const std::string& a, const std::string& b);

// Creates an empty file of a new name in the system's temporary folder and gives its path;
// empty, with the reason in error, when none can be made.
std::string makeTemporaryFile(std::string& error);

// The text of an errno value. The common ones read the same on every system, so messages
// (and the tests that compare them) do not depend on the C library's wording.
std::string errorText(int error);

}  // namespace edlbtool

#endif
