// What the command line needs of the system beyond edlconvert: binary standard streams and
// the names of files and folders.
#ifndef EDLBRIDGE_TOOLS_PLATFORM_H
#define EDLBRIDGE_TOOLS_PLATFORM_H

#include <cstddef>
#include <string>

namespace edlbcli {

// The characters after which a file's own name begins: on Windows a backslash and the colon
// of a drive letter too ("C:\\lists\\cut.edl", "C:cut.edl"); elsewhere they belong to names.
#if defined(_WIN32)
constexpr const char* kDirectoryEnds = "/\\:";
#else
constexpr const char* kDirectoryEnds = "/";
#endif

// Standard output and standard error carry bytes unchanged: on Windows they would turn each
// LF into CR LF, and a list written to standard output must come out byte for byte.
void useBinaryStandardStreams();

// path names a folder (through links); false for anything else and for names that cannot be
// looked at.
bool isDirectory(const std::string& path);

// path names something that exists (through links).
bool exists(const std::string& path);

// Creates the folder path and the folders above it that do not exist; an empty text when it
// exists as a folder afterwards, else why not ("File exists" for a file of that name).
std::string makeDirectories(const std::string& path);

// Standard error is a terminal (where a progress line may be shown).
bool standardErrorIsTerminal();

// The columns of the terminal standard output shows on: COLUMNS when it holds a number,
// else the terminal's own width, else (not a terminal) 80.
size_t terminalWidth();

// The file's own name without its folder and its extension: "lists/cut.v2.edl" gives
// "cut.v2". A name that is all extension (".edl") keeps it.
std::string baseName(const std::string& path);

// name inside directory, with a separator between them unless directory ends in one.
std::string pathIn(const std::string& directory, const std::string& name);

}  // namespace edlbcli

#endif
