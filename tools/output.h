// What the command line prints: its help texts, the one-line reports on standard error and
// the texts edlconvert writes to standard output.
#ifndef EDLBRIDGE_TOOLS_OUTPUT_H
#define EDLBRIDGE_TOOLS_OUTPUT_H

#include <edlconvert.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace edlbcli {

// Exit status: success, a file failed (diff: the cuts differ), bad usage.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

extern const char kMainHelp[];
extern const char kTypesHelp[];
extern const char kDetectHelp[];
extern const char kDumpHelp[];
extern const char kConvertHelp[];
extern const char kDiffHelp[];
extern const char kTimelineHelp[];
extern const char kMarkersHelp[];
extern const char kCdlHelp[];

// Errors are one line on standard error: "edlbridge: SUBJECT: REASON", the subject being the
// file as the command line names it, or the command for a usage error.
void report(const std::string& subject, const std::string& reason);

// A progress line on standard error, for a terminal: each call replaces the line shown
// (cut to the terminal's width); a report, a "wrote" line or text on standard output first
// clears it. Nothing is shown unless enableProgress(true) was called.
void enableProgress(bool enabled);
void showProgress(const std::string& text);
void clearProgress();

// Reports a usage error of subject (a command) and returns kUsage.
int usageError(const std::string& subject, const std::string& reason);

// Writes text to standard output; false when it could not be written.
bool writeOut(const std::string& text);

// "wrote OUT (KIND, N events)" on standard output, for each file a command writes.
void reportWritten(const std::string& output, const char* kind, size_t events);

// An edlcWriteFn onto standard output (the context is unused).
int writeToStdout(void* context, const char* bytes, size_t size);

// An edlcWriteFn appending to the std::string its context points at.
int appendToText(void* context, const char* bytes, size_t size);

// Options of a call whose texts go to standard output.
edlcOptions stdoutOptions(uint32_t flags, uint32_t format);

// The failure of an edlconvert call, reported on the file it concerns (status.which): input
// for the list read (NEW of diff and timeline), other for OLD, output for the file written.
// Nothing is reported when the tool's guard refused the output (the guard said why) or when
// standard output could not be written (the tool has always stopped there in silence).
void reportStatus(const edlcStatus& status, const std::string& input,
                  const std::string& other = std::string(),
                  const std::string& output = std::string());

}  // namespace edlbcli

#endif
