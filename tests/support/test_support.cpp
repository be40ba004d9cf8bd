#include "support/test_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace edlbtest {

std::string dataPath(const std::string& relative) {
    return std::string(EDLBRIDGE_TEST_DATA) + "/" + relative;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TempDir::TempDir() {
    // A random name, taken only when no directory of that name exists yet (create_directory
    // creates it in the same step, so two programs cannot both get it). The path is written
    // with '/' on every system, like the paths the tests build from it.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "edlbridge-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        std::error_code error;
        if (std::filesystem::create_directory(base / name, error)) {
            path_ = (base / name).generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory in " + base.string());
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const std::string full = file(name);
    std::ofstream out(full, std::ios::binary);
    out << bytes;
    return full;
}

}  // namespace edlbtest
