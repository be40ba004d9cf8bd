// Helpers shared by the test programs: temporary files and test data paths.
#ifndef EDLBRIDGE_TESTS_SUPPORT_H
#define EDLBRIDGE_TESTS_SUPPORT_H

#include <string>

namespace edlbtest {

// Path of a file under tests/data.
std::string dataPath(const std::string& relative);

// Whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

// A directory under the system's temporary directory, removed with its content at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to name inside the directory and returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

}  // namespace edlbtest

#endif
