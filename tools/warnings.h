// The warnings of a list on standard error, so that one odd list cannot flood the terminal:
// the first few of each kind, then one line with the count of the rest; every one with
// --verbose; one line per kind with its count under --quiet.
#ifndef EDLBRIDGE_TOOLS_WARNINGS_H
#define EDLBRIDGE_TOOLS_WARNINGS_H

#include <cstddef>
#include <string>
#include <vector>

namespace edlbcli {

enum class Verbosity { Quiet, Normal, Verbose };

// --verbose shows every warning, whatever --quiet says.
inline Verbosity verbosityOf(bool quiet, bool verbose) {
    return verbose ? Verbosity::Verbose : quiet ? Verbosity::Quiet : Verbosity::Normal;
}

// The kind of a warning: its text with each run of digits as '#' and each quoted text as
// "..." ("event 2 (edit 2) overlaps ..." and "event 9 (edit 9) overlaps ..." are one kind).
std::string warningKind(const std::string& message);

class WarningReport {
public:
    // Warnings shown in full per kind under Normal.
    static constexpr size_t kShownPerKind = 3;

    explicit WarningReport(Verbosity verbosity) : verbosity_(verbosity) {}

    // A new list, named subject in the lines; its warnings are held until release().
    void begin(const std::string& subject);
    // One warning of the list.
    void add(const std::string& message);
    // The list's output is allowed: what was held is shown, later warnings as they come.
    void release();
    // The list failed or its output was refused: its warnings are not shown.
    void drop();
    // The list is done: the counts of what was not shown.
    void end();

    // An edlcWarnFn whose context is a WarningReport.
    static void warn(void* context, const char* message);

private:
    struct Kind {
        std::string text;
        std::string first;  // the first message of the kind
        size_t count = 0;
        size_t shown = 0;
    };
    void show(Kind& kind, const std::string& message);

    Verbosity verbosity_;
    std::string subject_;
    std::vector<Kind> kinds_;     // in the order they first came
    std::vector<std::pair<size_t, std::string>> held_;  // kind index and message
    bool released_ = false;
};

}  // namespace edlbcli

#endif
