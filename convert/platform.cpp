// What the platform layer's implementations share.
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace edlbtool {

std::string errorText(int error) {
    switch (error) {
    case ENOENT: return "No such file or directory";
    case EACCES: return "Permission denied";
    case EEXIST: return "File exists";
    case ENOTDIR: return "Not a directory";
    case EISDIR: return "Is a directory";
    case ENAMETOOLONG: return "File name too long";
    case ENOSPC: return "No space left on device";
    case EROFS: return "Read-only file system";
    default: return std::strerror(error);
    }
}

bool sameFile(const std::string& a, const std::string& b) {
    return platform::sameFile(platform::fileId(a), platform::fileId(b));
}

namespace platform {
namespace {

// The handler may only touch memory that is complete before a slot is marked used, so the
// names live in fixed buffers. Each call that writes a timeline or a list through '-o -'
// keeps a few temporary files, and hosts may run such calls on several threads at once.
constexpr size_t kSlots = 32;
constexpr size_t kSlotBytes = 4200;
char gSlotPaths[kSlots][kSlotBytes];
// Whether a slot's path is a file to remove. Slots are taken and given back under gSlotLock;
// the handler reads only these flags, which need no lock.
std::atomic<bool> gSlotUsed[kSlots];
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the slots");
std::mutex gSlotLock;
bool gHandlersInstalled = false;

extern "C" void removeAndReraise(int signal) {
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i].load(std::memory_order_acquire)) detail::removeFileInHandler(gSlotPaths[i]);
    }
    // The default action then ends the program as the signal would have.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void removeOnSignal(const std::string& path) {
    if (path.size() >= kSlotBytes) return;
    const std::lock_guard<std::mutex> lock(gSlotLock);
    if (!gHandlersInstalled) {
        gHandlersInstalled = true;
        detail::installSignalHandlers(removeAndReraise);
    }
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i].load(std::memory_order_relaxed)) continue;
        std::memcpy(gSlotPaths[i], path.c_str(), path.size() + 1);
        gSlotUsed[i].store(true, std::memory_order_release);
        return;
    }
}

void forgetOnSignal(const std::string& path) {
    const std::lock_guard<std::mutex> lock(gSlotLock);
    for (size_t i = 0; i < kSlots; ++i) {
        if (gSlotUsed[i].load(std::memory_order_relaxed) && path == gSlotPaths[i]) {
            gSlotUsed[i].store(false, std::memory_order_release);
            return;
        }
    }
}

void removeFailedOutput(const std::string& path) {
    if (fileStatus(path).kind == FileKind::Regular) std::remove(path.c_str());
}

std::string writeTextFile(const std::string& path, const std::string& text) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return "cannot create: " + errorText(errno);
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (written && closed) return std::string();
    removeFailedOutput(path);
    return "write failed";
}

std::string TempFile::create(const std::string& suffix) {
    release();
    const std::string reason = createTempFile(path_, suffix);
    if (reason.empty()) removeOnSignal(path_);
    return reason;
}

void TempFile::release() {
    if (path_.empty()) return;
    std::remove(path_.c_str());
    forgetOnSignal(path_);
    path_.clear();
}

}  // namespace platform
}  // namespace edlbtool
