// The few C runtime calls whose spelling differs between the systems the library is built
// for (glibc, macOS, the Windows runtime). Every other call of the library is standard C or
// C++, so what is not here needs no care when porting.
#ifndef EDLBRIDGE_CORE_PORTABLE_H
#define EDLBRIDGE_CORE_PORTABLE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#if defined(_MSC_VER)
#include <string.h>
// Comparisons without regard to case keep their POSIX names in the library's sources.
inline int strcasecmp(const char* a, const char* b) { return _stricmp(a, b); }
inline int strncasecmp(const char* a, const char* b, size_t n) { return _strnicmp(a, b, n); }
#else
#include <strings.h>
#endif

namespace edlb {

// The next byte of a stream that no other thread uses, or EOF; no lock is taken per byte.
int readByteUnlocked(FILE* stream);

// Offsets of 64 bits everywhere: long, which fseek and ftell use, has 32 on Windows.
int64_t tellFile(FILE* stream);            // -1 on failure
bool seekFile(FILE* stream, int64_t offset);  // from the start of the file

enum class PathKind { None, File, Directory };
// What path names. "dir/" and "dir\" name a directory on every system.
PathKind pathKind(const char* path);

// Windows keeps a current directory per drive, and "D:name" is relative to drive D's.
// Elsewhere a colon is an ordinary character of a file name.
#if defined(_WIN32)
constexpr bool kDriveRelativePaths = true;
#else
constexpr bool kDriveRelativePaths = false;
#endif

// The current directory (of drive letter drive where kDriveRelativePaths holds; '\0' is the
// current drive) into out, size bytes. False when it cannot be had or does not fit.
bool currentDirectory(char* out, size_t size, char drive);

}  // namespace edlb

#endif
