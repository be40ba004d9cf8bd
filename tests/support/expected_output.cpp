#include "support/expected_output.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <utility>

#include "support/test_support.h"

namespace edlbtest {
namespace {

// Several cases may share one expected file, and CTest runs them in parallel: the new text
// is written beside the file under a name of its own and then replaces the file in one step,
// so a case reading the file back never sees it half written.
void writeExpected(const std::string& path, const std::string& text) {
    const std::string staged = path + ".updating-" + std::to_string(std::random_device{}());
    {
        std::ofstream out(staged, std::ios::binary);
        out << text;
    }
    std::error_code error;
    std::filesystem::rename(staged, path, error);
    if (error) {
        std::filesystem::remove(staged, error);
        std::ofstream(path, std::ios::binary) << text;
    }
}

}  // namespace

bool updatingExpected() { return std::getenv("EDLBRIDGE_UPDATE_EXPECTED") != nullptr; }

bool matchesExpected(const std::string& path, const std::string& actual, std::string* expected) {
    // Read back after writing: a file that could not be written fails like a difference.
    if (updatingExpected()) writeExpected(path, actual);
    std::string text = readFile(path);
    const bool same = text == actual;
    if (expected != nullptr) *expected = std::move(text);
    return same;
}

}  // namespace edlbtest
