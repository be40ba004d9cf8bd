// POSIX implementation of platform.h.
#include "platform.h"

#if !defined(_WIN32)

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace edlbtool {
namespace platform {
namespace detail {

void installSignalHandlers(void (*handler)(int)) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        sigaction(signal, nullptr, &action);
        // A signal the caller chose to ignore stays ignored (nohup, a shell's background job).
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(signal, &action, nullptr);
    }
}

void removeFileInHandler(const char* path) { unlink(path); }

}  // namespace detail

FileStatus fileStatus(const std::string& path) {
    FileStatus status;
    struct stat info;
    if (path.empty()) {
        status.error = ENOENT;
        return status;
    }
    if (stat(path.c_str(), &info) != 0) {
        status.error = errno;
        return status;
    }
    if (S_ISREG(info.st_mode)) {
        status.kind = FileKind::Regular;
        status.size = static_cast<uint64_t>(info.st_size);
    } else if (S_ISDIR(info.st_mode)) {
        status.kind = FileKind::Directory;
    } else if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
        status.kind = FileKind::Stream;
    } else {
        status.kind = FileKind::Other;
    }
    return status;
}

FileId fileId(const std::string& path) {
    FileId id;
    struct stat info;
    if (!path.empty() && stat(path.c_str(), &info) == 0) {
        id.valid = true;
        id.device = static_cast<uint64_t>(info.st_dev);
        id.inode = static_cast<uint64_t>(info.st_ino);
    }
    return id;
}

std::string createTempFile(std::string& path, const std::string& suffix) {
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory != nullptr && *directory ? directory : "/tmp") +
                          "/edlbridge-XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return "cannot create a temporary file: " + errorText(errno);
    close(fd);
    path = name.data();
    return std::string();
}

}  // namespace platform

}  // namespace edlbtool

#endif
