// The system calls of the command line, with the standard library's folder tests.
#include "platform.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
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
    if (!error) error = std::make_error_code(std::errc::file_exists);
    return error.message();
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
