// The system calls of the command line, with the standard library's folder tests.
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace edlbcli {

void useBinaryStandardStreams() {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

// The error_code overloads: a name that cannot be looked at is no folder, not an exception.
// Names are the system's narrow names, as edlconvert opens them.
bool isDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

std::string makeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    if (isDirectory(path)) return std::string();
    // The standard libraries report a file in the way with different codes and texts: the
    // nearest folder or file that exists says it the same everywhere.
    for (std::filesystem::path at(path); !at.empty(); at = at.parent_path()) {
        std::error_code statusError;
        const auto status = std::filesystem::status(at, statusError);
        if (std::filesystem::exists(status)) {
            if (!std::filesystem::is_directory(status)) return "Not a directory";
            break;
        }
        if (at == at.parent_path()) break;
    }
    if (error == std::errc::permission_denied) return "Permission denied";
    if (error == std::errc::read_only_file_system) return "Read-only file system";
    if (error == std::errc::no_space_on_device) return "No space left on device";
    return error ? error.message() : "File exists";
}

bool standardErrorIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

size_t terminalWidth() {
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(columns, &end, 10);
        if (end != columns && *end == '\0' && value >= 20 && value <= 10000) return value;
    }
#if defined(_WIN32)
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    }
#else
    winsize size{};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20) {
        return size.ws_col;
    }
#endif
    return 80;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of(kDirectoryEnds);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string pathIn(const std::string& directory, const std::string& name) {
    const bool ended = !directory.empty() && std::strchr(kDirectoryEnds, directory.back()) != nullptr;
    return directory + (ended ? "" : "/") + name;
}

}  // namespace edlbcli
