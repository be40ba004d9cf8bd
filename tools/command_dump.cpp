// edlbridge dump: every event of lists as tables, JSON or CSV.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "warnings.h"
#include "reading_options.h"

#include <edlconvert.h>

#include <cstring>

namespace edlbcli {
namespace {

struct FormatName {
    const char* name;
    uint32_t format;
};

constexpr FormatName kDumpFormats[] = {
    {"table", EDLC_FORMAT_TABLE}, {"json", EDLC_FORMAT_JSON}, {"csv", EDLC_FORMAT_CSV}};

// Several lists on standard output: tables one after another with an empty line between
// them, JSON objects as the elements of one array (indented by two spaces, as detect
// prints its array). What separates a list from the one before is written with its first
// byte, so that a list that cannot be opened leaves nothing behind.
class DumpOutput {
public:
    DumpOutput(bool several, bool json) : json_(several && json) {}

    // Before each list.
    void begin() { started_ = false; }
    // After the last: the array's end.
    bool finish() { return !json_ || writeOut(shown_ == 0 ? "[]\n" : "\n]\n"); }

    static int write(void* context, const char* bytes, size_t size) {
        return static_cast<DumpOutput*>(context)->put(bytes, size) ? 0 : 1;
    }

private:
    bool put(const char* bytes, size_t size) {
        if (!started_ && size > 0) {
            started_ = true;
            const char* separator = json_ ? (shown_ == 0 ? "[\n" : ",\n") : (shown_ == 0 ? "" : "\n");
            ++shown_;
            lineStart_ = true;
            held_ = false;
            if (!writeOut(separator)) return false;
        }
        if (!json_) return writeToStdout(nullptr, bytes, size) == 0;
        // The line end of a JSON text is held back: the object's last one gives way to the
        // array's comma or end.
        std::string out;
        for (size_t i = 0; i < size; ++i) {
            if (held_) out += '\n';
            held_ = bytes[i] == '\n';
            if (held_) {
                lineStart_ = true;
                continue;
            }
            if (lineStart_) out += "  ";
            lineStart_ = false;
            out += bytes[i];
        }
        return writeOut(out);
    }

    bool json_;
    bool started_ = false, lineStart_ = true, held_ = false;
    size_t shown_ = 0;
};

}  // namespace

int commandDump(const std::vector<std::string>& args) {
    uint32_t format = EDLC_FORMAT_TABLE;
    bool legacy = false, quiet = false, verbose = false;
    Operands files;
    files.endsOptions = true;
    CommandLine line("dump", kDumpHelp, files);
    line.flag("--legacy", legacy);
    line.flag("--quiet", quiet);
    line.flag("--verbose", verbose);
    ReadingOptions reading;
    reading.addTo(line);
    line.option("--format", [&format](const std::string& value) {
        for (const FormatName& known : kDumpFormats) {
            if (value == known.name) {
                format = known.format;
                return;
            }
        }
        throw UsageError{"no such format '" + value + "'"};
    });
    line.values("--format", "table json csv");
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    const std::vector<std::string>& names = line.operands();
    if (names.empty()) return usageError("dump", "no file given");
    if (readsStandardInputTwice(names)) {
        return usageError("dump", "standard input can be read only once");
    }
    if (names.size() > 1 && format == EDLC_FORMAT_CSV) {
        return usageError("dump", "--format csv takes one file; give table or json for several");
    }
    DumpOutput output(names.size() > 1, format == EDLC_FORMAT_JSON);
    edlcOptions options = stdoutOptions(legacy ? EDLC_LEGACY : 0u, format);
    reading.applyTo(options);
    options.write = DumpOutput::write;
    options.writeContext = &output;
    WarningReport warnings(verbosityOf(quiet, verbose));
    options.warn = WarningReport::warn;
    options.warnContext = &warnings;
    // Events are printed as they are read: a failure after the first leaves that list's text
    // incomplete, and the report says why. The other lists are still dumped.
    int result = kOk;
    for (const std::string& name : names) {
        options.name = name.c_str();
        output.begin();
        warnings.begin(name);
        warnings.release();
        edlcStatus status;
        const uint32_t code = edlcDump(name.c_str(), &options, &status);
        warnings.end();
        if (code == EDLC_E_OUTPUT) return kFailed;
        if (code != EDLC_OK) {
            reportStatus(status, name);
            result = kFailed;
        }
    }
    return output.finish() ? result : kFailed;
}

}  // namespace edlbcli
