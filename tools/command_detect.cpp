// edlbridge detect: the type, title, timecode mode, column line and events of each list.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "reading_options.h"
#include "platform.h"
#include "warnings.h"

#include <edlconvert.h>

#include <nlohmann/json.hpp>

namespace edlbcli {
namespace {

struct DetectRun {
    bool json = false;
    uint32_t flags = 0;
    Verbosity verbosity = Verbosity::Normal;
    const ReadingOptions* reading = nullptr;
    size_t width = 80;  // columns a text line may take
    size_t shown = 0;   // summaries printed
    int status = kOk;
};

// The JSON object of a file that could not be read: its name and the reason, indented as
// the library indents a summary within the array. Bytes that are no UTF-8 become U+FFFD.
std::string failureObject(const std::string& file, const std::string& reason) {
    nlohmann::ordered_json object;
    object["file"] = file;
    object["error"] = reason;
    std::string text = object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string out = "  ";
    for (char c : text) {
        out += c;
        if (c == '\n') out += "  ";
    }
    return out;
}

// One printed piece of an escaped column line: a character (a whole UTF-8 sequence) or an
// escape ("\t", "\\", "\x1F").
size_t pieceLength(const std::string& text, size_t at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c == '\\' && at + 1 < text.size()) return text[at + 1] == 'x' ? 4 : 2;
    size_t length = 1;
    while (c >= 0xC0 && at + length < text.size() &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// The "column line: " line of a text summary as it fits width columns: whole when it fits,
// else the columns that fit, "..." and the number of columns. Columns are separated by
// tabs (shown as "\t"), else by commas outside double quotes.
std::string fittedColumnLine(const std::string& line, size_t width) {
    static const std::string kLabel = "column line: ";
    const std::string columns = line.substr(kLabel.size());
    const bool tabs = columns.find("\\t") != std::string::npos;
    struct Piece {
        size_t end;      // bytes of columns up to the end of the piece
        size_t shown;    // columns of the terminal up to the end of the piece
        bool separator;  // the piece separates two columns
    };
    std::vector<Piece> pieces;
    bool quoted = false;
    size_t shown = 0;
    for (size_t at = 0; at < columns.size();) {
        const size_t length = pieceLength(columns, at);
        const std::string piece = columns.substr(at, length);
        if (!tabs && piece == "\"") quoted = !quoted;
        at += length;
        shown += piece[0] == '\\' ? length : 1;
        pieces.push_back({at, shown, tabs ? piece == "\\t" : piece == "," && !quoted});
    }
    if (kLabel.size() + shown <= width) return line;
    size_t count = 1;
    for (const Piece& piece : pieces) count += piece.separator;
    const std::string tail = "... (" + std::to_string(count) + " columns)";
    // The columns up to the last separator that leaves room for the tail.
    size_t keep = 0;
    for (const Piece& piece : pieces) {
        if (kLabel.size() + piece.shown + tail.size() > width) break;
        if (piece.separator) keep = piece.end;
    }
    return kLabel + columns.substr(0, keep) + tail;
}

// A text summary with its column line fitted to width.
std::string fitted(const std::string& summary, size_t width) {
    std::string out;
    for (size_t at = 0; at < summary.size();) {
        size_t end = summary.find('\n', at);
        end = end == std::string::npos ? summary.size() : end + 1;
        std::string line = summary.substr(at, end - at);
        const bool ended = !line.empty() && line.back() == '\n';
        if (ended) line.pop_back();
        if (line.compare(0, 13, "column line: ") == 0) line = fittedColumnLine(line, width);
        out += line + (ended ? "\n" : "");
        at = end;
    }
    return out;
}

// Prints the summary of one list, or reports why it has none; false when standard output
// failed. A summary is printed whole, once the list has been read to its end. A file that
// fails is reported on standard error and, in JSON, is an object with its error.
bool detectOne(const std::string& file, DetectRun& run) {
    std::string summary;
    edlcOptions options;
    edlcInitOptions(&options);
    options.flags = run.flags;
    if (run.reading != nullptr) run.reading->applyTo(options);
    options.format = run.json ? EDLC_FORMAT_JSON : EDLC_FORMAT_TEXT;
    options.name = file.c_str();
    options.write = appendToText;
    options.writeContext = &summary;
    WarningReport warnings(run.verbosity);
    warnings.begin(file);
    warnings.release();
    options.warn = WarningReport::warn;
    options.warnContext = &warnings;
    edlcStatus status;
    const uint32_t code = edlcDetect(file.c_str(), &options, &status);
    warnings.end();
    if (code != EDLC_OK) {
        reportStatus(status, file);
        run.status = kFailed;
        if (!run.json || status.code == EDLC_E_OUTPUT) return true;
        summary = failureObject(file, status.message);
    } else if (!run.json) {
        summary = fitted(summary, run.width);
    }
    // Objects of the JSON array are separated by a comma, text summaries by an empty line.
    const char* separator = run.json ? (run.shown == 0 ? "\n" : ",\n") : (run.shown == 0 ? "" : "\n");
    ++run.shown;
    return writeOut(separator + summary);
}

}  // namespace

int commandDetect(const std::vector<std::string>& args) {
    DetectRun run;
    bool legacy = false, quiet = false, verbose = false;
    Operands files;
    files.endsOptions = true;
    CommandLine line("detect", kDetectHelp, files);
    line.flag("--legacy", legacy);
    line.flag("--quiet", quiet);
    line.flag("--verbose", verbose);
    ReadingOptions reading;
    reading.addTo(line);
    line.option("--format", [&run](const std::string& value) {
        if (value != "text" && value != "json") throw UsageError{"no such format '" + value + "'"};
        run.json = value == "json";
    });
    line.values("--format", "text json");
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    const std::vector<std::string>& names = line.operands();
    if (names.empty()) return usageError("detect", "no file given");
    if (readsStandardInputTwice(names)) {
        return usageError("detect", "standard input can be read only once");
    }
    run.flags = legacy ? EDLC_LEGACY : 0u;
    run.verbosity = verbosityOf(quiet, verbose);
    run.reading = &reading;
    run.width = terminalWidth();
    if (run.json && !writeOut("[")) return kFailed;
    for (const std::string& file : names) {
        if (!detectOne(file, run)) return kFailed;
    }
    if (run.json && !writeOut(run.shown == 0 ? "]\n" : "\n]\n")) return kFailed;
    return run.status;
}

}  // namespace edlbcli
