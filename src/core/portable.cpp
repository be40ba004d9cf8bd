#include "core/portable.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace edlb {

#if defined(_WIN32)

int readByteUnlocked(FILE* stream) { return _getc_nolock(stream); }

int64_t tellFile(FILE* stream) { return _ftelli64(stream); }

bool seekFile(FILE* stream, int64_t offset) {
    // The 64-bit seek that mingw-w64 provides goes through fsetpos, which not every runtime
    // makes clear the end-of-file mark as a seek must. Clearing it here leaves a write error
    // reported, since the error mark is cleared only when it was not set.
    const bool failedBefore = std::ferror(stream) != 0;
    if (_fseeki64(stream, offset, SEEK_SET) != 0) return false;
    if (!failedBefore) std::clearerr(stream);
    return true;
}

PathKind pathKind(const char* path) {
    // The runtime's stat refuses a directory written with a trailing separator; the
    // attributes of the file system do not.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::File;
}

bool currentDirectory(char* out, size_t size, char drive) {
    int number = 0;  // 0 is the current drive, 1 is A:
    if (drive >= 'a' && drive <= 'z') number = drive - 'a' + 1;
    if (drive >= 'A' && drive <= 'Z') number = drive - 'A' + 1;
    if (drive != '\0' && number == 0) return false;
    const int limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    return _getdcwd(number, out, limit) != nullptr;
}

#else

int readByteUnlocked(FILE* stream) { return getc_unlocked(stream); }

int64_t tellFile(FILE* stream) { return ftello(stream); }

bool seekFile(FILE* stream, int64_t offset) {
    return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

PathKind pathKind(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0) return PathKind::None;
    return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

bool currentDirectory(char* out, size_t size, char drive) {
    return drive == '\0' && ::getcwd(out, size) != nullptr;
}

#endif

}  // namespace edlb
