// Path services. Paths may come from lists written on other systems, so both '/' and '\'
// separate and a drive letter is recognised; every result is cut to its buffer.
#include "services/utility.h"

#include <cstring>

#include "core/portable.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool hasDrive(const char* path) {
    const char c = path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

// Copies length bytes of text into out (kKvPathMax bytes), cut to fit; null out skips.
void putPart(char* out, const char* text, size_t length) {
    if (out == nullptr) return;
    if (length > kKvPathMax - 1) length = kKvPathMax - 1;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

// Appends text to out (capacity bytes, already terminated at used), cut to fit.
size_t append(char* out, size_t capacity, size_t used, const char* text, size_t length) {
    if (used + 1 >= capacity) return used;
    const size_t room = capacity - 1 - used;
    if (length > room) length = room;
    std::memcpy(out + used, text, length);
    used += length;
    out[used] = '\0';
    return used;
}

edlb::PathKind kindOf(const char* path) {
    return path != nullptr && *path != '\0' ? edlb::pathKind(path) : edlb::PathKind::None;
}

}  // namespace

void kvOSSplitPath(const char* path, char* drive, char* directory, char* name,
                   char* extension) {
    if (path == nullptr) path = "";
    const char* rest = path;
    if (hasDrive(path)) rest = path + 2;
    putPart(drive, path, size_t(rest - path));

    // The directory runs up to and including the last separator.
    const char* file = rest;
    for (const char* p = rest; *p != '\0'; ++p) {
        if (isSeparator(*p)) file = p + 1;
    }
    putPart(directory, rest, size_t(file - rest));

    // The extension starts at the last dot of the file name, unless that dot begins it.
    const size_t fileLength = std::strlen(file);
    const char* dot = std::strrchr(file, '.');
    if (dot == nullptr || dot == file) dot = file + fileLength;
    putPart(name, file, size_t(dot - file));
    putPart(extension, dot, size_t(file + fileLength - dot));
}

void kvOSMakePath(char* out, const char* drive, const char* directory, const char* name,
                  const char* extension) {
    if (out == nullptr) return;
    out[0] = '\0';
    size_t used = 0;
    if (drive != nullptr) used = append(out, kKvPathMax, used, drive, std::strlen(drive));
    if (directory != nullptr && *directory != '\0') {
        const size_t length = std::strlen(directory);
        used = append(out, kKvPathMax, used, directory, length);
        if (!isSeparator(directory[length - 1])) used = append(out, kKvPathMax, used, "/", 1);
    }
    if (name != nullptr) used = append(out, kKvPathMax, used, name, std::strlen(name));
    if (extension != nullptr) append(out, kKvPathMax, used, extension, std::strlen(extension));
}

void kvOSFullPath(char* out, const char* path, size_t size) {
    if (out == nullptr || size == 0) return;
    out[0] = '\0';
    if (path == nullptr) path = "";
    size_t used = 0;
    const bool absolute = isSeparator(path[0]) || (hasDrive(path) && isSeparator(path[2]));
    if (!absolute) {
        // "D:name" is relative to drive D's own current directory where drives have one.
        const char drive = edlb::kDriveRelativePaths && hasDrive(path) ? path[0] : '\0';
        // A directory deeper than the buffer cannot be named within size anyway; leave the
        // path relative then rather than guess.
        char cwd[kKvPathMax];
        if (edlb::currentDirectory(cwd, sizeof cwd, drive)) {
            used = append(out, size, used, cwd, std::strlen(cwd));
            if (used == 0 || !isSeparator(out[used - 1])) used = append(out, size, used, "/", 1);
            if (drive != '\0') path += 2;
        }
    }
    append(out, size, used, path, std::strlen(path));
}

void kvOSFixSeparators(char* path) {
    if (path == nullptr) return;
    for (char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') *p = '/';
    }
}

int kvOSFileExists(const char* path) { return kindOf(path) == edlb::PathKind::File ? 1 : 0; }

int kvOSFileIsDir(const char* path) { return kindOf(path) == edlb::PathKind::Directory ? 1 : 0; }
