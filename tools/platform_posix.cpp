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
namespace {

// The handler may only touch memory that is complete before a slot is marked used, so the
// names live in fixed buffers. Two files are ever open at once (a spooled input and the
// output of '-o -'); four slots leave room.
constexpr size_t kSlots = 4;
constexpr size_t kSlotBytes = 4200;
char gSlotPaths[kSlots][kSlotBytes];
volatile std::sig_atomic_t gSlotUsed[kSlots];
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void removeAndReraise(int signal) {
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i] != 0) unlink(gSlotPaths[i]);
    }
    // The default action then ends the program as the signal would have.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : kSignals) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        sigaction(signal, nullptr, &action);
        // A signal the caller chose to ignore stays ignored (nohup, a shell's background job).
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_handler = removeAndReraise;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace

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

void removeOnSignal(const std::string& path) {
    if (path.size() >= kSlotBytes) return;
    installHandlers();
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i] != 0) continue;
        std::memcpy(gSlotPaths[i], path.c_str(), path.size() + 1);
        gSlotUsed[i] = 1;
        return;
    }
}

void forgetOnSignal(const std::string& path) {
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i] != 0 && path == gSlotPaths[i]) {
            gSlotUsed[i] = 0;
            return;
        }
    }
}

}  // namespace platform

void useBinaryStandardStreams() {}

}  // namespace edlbtool

#endif
