// The calls of the conversion library that differ between operating systems: what kind of
// file a name is, whether two names are one file, temporary files, removing those when a
// signal ends the program, and error texts. platform_posix.cpp implements them with POSIX
// calls, platform_windows.cpp with Windows ones, platform.cpp what both share; no other file
// of the library includes a system header for them.
#ifndef EDLBRIDGE_CONVERT_PLATFORM_H
#define EDLBRIDGE_CONVERT_PLATFORM_H

#include <cstdint>
#include <string>

namespace edlbtool {

// The characters after which a file's own name begins: on Windows a backslash and the colon
// of a drive letter too ("C:\\lists\\cut.edl", "C:cut.edl"); elsewhere they belong to names.
#if defined(_WIN32)
constexpr const char* kDirectoryEnds = "/\\:";
#else
constexpr const char* kDirectoryEnds = "/";
#endif

// The text of an errno value. The common ones read the same on every system, so messages
// (and the tests that compare them) do not depend on the C library's wording.
std::string errorText(int error);

// Both paths name one existing file (through links and different spellings).
bool sameFile(const std::string& a, const std::string& b);

namespace platform {

enum class FileKind {
    Missing,    // no such file, or it cannot be looked at (error says why)
    Regular,
    Directory,
    Stream,     // a pipe, FIFO or socket: it can be read once, from the start
    Other,      // a device or anything else
};

struct FileStatus {
    FileKind kind = FileKind::Missing;
    int error = 0;      // the errno value when kind is Missing
    uint64_t size = 0;  // bytes, for regular files
};

FileStatus fileStatus(const std::string& path);

// Identifies a file whatever name or link reaches it; valid is false when there is none.
struct FileId {
    bool valid = false;
    uint64_t device = 0, inode = 0;
};
FileId fileId(const std::string& path);
inline bool sameFile(const FileId& a, const FileId& b) {
    return a.valid && b.valid && a.device == b.device && a.inode == b.inode;
}

// Creates an empty file that only this user can read, in TMPDIR or the system's temporary
// directory, its name ending in suffix, and puts its name into path. Empty text on success,
// else the reason.
std::string createTempFile(std::string& path, const std::string& suffix = std::string());

// Removes what a failed write left at path: only a regular file the write made, never the
// device or pipe an output names ("-o /dev/full" must not take /dev/full away).
void removeFailedOutput(const std::string& path);

// Writes text into path (created, or emptied first); a write that fails leaves nothing
// behind (removeFailedOutput). Empty text on success, else the reason.
std::string writeTextFile(const std::string& path, const std::string& text);

// A signal that ends the program (interrupt, hang-up, termination, a closed pipe) removes
// the files named here first. forget drops a name again.
void removeOnSignal(const std::string& path);
void forgetOnSignal(const std::string& path);

// What each system's implementation gives the shared bookkeeping of removeOnSignal: it
// installs handler for the signals that end the program (leaving ignored ones ignored), and
// removes a file from inside that handler with an async-signal-safe call.
namespace detail {
void installSignalHandlers(void (*handler)(int));
void removeFileInHandler(const char* path);
}  // namespace detail

// A temporary file that is removed when the object goes, or by a signal before that.
class TempFile {
public:
    TempFile() = default;
    ~TempFile() { release(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Empty text on success, else the reason. The name ends in suffix.
    std::string create(const std::string& suffix = std::string());
    const std::string& path() const { return path_; }
    void release();

private:
    std::string path_;
};

}  // namespace platform
}  // namespace edlbtool

#endif
