// What the platform layer's implementations share.
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
