// Windows implementation of platform.h.
#include "platform.h"

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace edlbtool {

namespace platform {
namespace {

// The volume and the file's index on it identify a file, as device and inode do elsewhere.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

namespace detail {

void installSignalHandlers(void (*handler)(int)) {
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, handler);
}

void removeFileInHandler(const char* path) { DeleteFileA(path); }

}  // namespace detail

FileStatus fileStatus(const std::string& path) {
    FileStatus status;
    struct _stat64 info;
    if (path.empty()) {
        status.error = ENOENT;
        return status;
    }
    // The C runtime's stat refuses a folder named with a trailing separator ("./", "out\\")
    // unless it is a drive's root.
    std::string name = path;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\') &&
           !(name.size() == 3 && name[1] == ':')) {
        name.pop_back();
    }
    if (_stat64(name.c_str(), &info) != 0) {
        status.error = errno;
        return status;
    }
    if ((info.st_mode & _S_IFMT) == _S_IFREG) {
        status.kind = FileKind::Regular;
        status.size = static_cast<uint64_t>(info.st_size);
    } else if ((info.st_mode & _S_IFMT) == _S_IFDIR) {
        status.kind = FileKind::Directory;
    } else if ((info.st_mode & _S_IFMT) == _S_IFIFO) {
        status.kind = FileKind::Stream;
    } else {
        status.kind = FileKind::Other;
    }
    return status;
}

FileId fileId(const std::string& path) {
    FileId id;
    BY_HANDLE_FILE_INFORMATION info;
    if (!path.empty() && fileIdentity(path, info)) {
        id.valid = true;
        id.device = info.dwVolumeSerialNumber;
        id.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    return id;
}

std::string createTempFile(std::string& path, const std::string& suffix) {
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > sizeof folder - 1) {
        return "cannot create a temporary file: no temporary folder";
    }
    // A name no other process holds: the process, a counter, and the clock.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "edlbridge-%lu-%u-%lu",
                      static_cast<unsigned long>(GetCurrentProcessId()), counter++,
                      static_cast<unsigned long>(GetTickCount()));
        const std::string candidate = std::string(folder) + name + suffix;
        const HANDLE file = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            path = candidate;
            return std::string();
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return "cannot create a temporary file in the temporary folder";
}

}  // namespace platform
}  // namespace edlbtool

#endif
