// edlbridge convert: lists and timelines written as another list type or as a timeline.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "platform.h"
#include "warnings.h"
#include "reading_options.h"

#include <edlconvert.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <utility>

namespace edlbcli {
namespace {

struct ConvertRequest {
    std::vector<std::string> inputs;
    std::string output, directory, typeText, modeText, title;
    bool haveOutput = false, haveDirectory = false, haveType = false, haveMode = false;
    bool haveTitle = false, legacy = false, quiet = false, verbose = false;
    Verbosity verbosity = Verbosity::Normal;
    uint32_t reelFlags = 0;  // EDLC_REEL_32, EDLC_REEL_128
    ReadingOptions reading;
};

// What the request resolves to.
struct ConvertTarget {
    edlcListType type{};
    uint32_t tcMode = 0;  // 0 keeps the mode read
    std::string extension;
};

std::optional<int> readArguments(const std::vector<std::string>& args, ConvertRequest& request) {
    CommandLine line("convert", kConvertHelp);
    line.flag("--legacy", request.legacy);
    line.flag("--quiet", request.quiet);
    line.flag("--verbose", request.verbose);
    line.option("--to", request.typeText, request.haveType);
    line.option("-o,--output", request.output, request.haveOutput);
    line.option("-d,--directory", request.directory, request.haveDirectory);
    line.option("--fcm", request.modeText, request.haveMode);
    line.option("--title", request.title, request.haveTitle);
    request.reading.addTo(line);
    line.option("--reel-width", [&request](const std::string& value) {
        if (value != "8" && value != "32" && value != "128") {
            throw UsageError{"no such reel width '" + value + "' (8, 32 or 128)"};
        }
        request.reelFlags = value == "32" ? EDLC_REEL_32 : value == "128" ? EDLC_REEL_128 : 0u;
    });
    line.values("--reel-width", "8 32 128");
    line.values("--to", "@types");
    line.values("--fcm", "@modes");
    if (const std::optional<int> exit = line.parse(args)) return exit;
    request.inputs = line.operands();
    request.verbosity = verbosityOf(request.quiet, request.verbose);
    return std::nullopt;
}

// The edits that turn a into b (letters in any case): insertions, deletions, substitutions
// and swaps of two neighbours.
size_t editDistance(const std::string& a, const std::string& b) {
    const auto same = [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    };
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// "; did you mean A, B or C?" for the written types nearest to text: those a few edits away
// or beginning with its first three letters, at most three, fewest edits first, then in
// value order; nothing when none is near.
std::string nearestTypes(const std::string& text) {
    std::vector<std::pair<size_t, std::string>> near;
    const auto consider = [&near, &text](const char* name) {
        const size_t distance = editDistance(text, name);
        const bool samePrefix = text.size() >= 3 && editDistance(text.substr(0, 3), std::string(name).substr(0, 3)) == 0;
        if (distance <= std::max<size_t>(1, text.size() / 3) || samePrefix) near.emplace_back(distance, name);
    };
    edlcListType row;
    for (size_t i = 0; edlcListTypeAt(i, &row); ++i) {
        if (row.written) consider(row.name);
    }
    consider("otio");
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (near.size() > 3) near.resize(3);
    std::string out;
    for (size_t i = 0; i < near.size(); ++i) {
        out += (i == 0 ? "; did you mean " : i + 1 == near.size() ? " or " : ", ") + near[i].second;
    }
    return near.empty() ? out : out + "?";
}

// The type and mode named; nothing when both are known, else the usage error's status.
std::optional<int> resolveTarget(const ConvertRequest& request, ConvertTarget& target) {
    const std::string& type = request.typeText;
    if (!edlcFindListType(type.c_str(), &target.type)) {
        return usageError("convert", "no such list type '" + type + "'" + nearestTypes(type));
    }
    const bool timeline = target.type.value == EDLC_TYPE_OTIO;
    if (!timeline && !target.type.written) {
        return usageError("convert", "list type '" + type + "' cannot be written");
    }
    if (request.haveMode) {
        edlcTcMode mode;
        if (!edlcFindTcMode(request.modeText.c_str(), &mode)) {
            return usageError("convert", "no such timecode mode '" + request.modeText + "'");
        }
        target.tcMode = mode.value;
    }
    target.extension = timeline ? "otio" : target.type.extension;
    // A wildcard extension (the media log's "pl*") makes a poor file name.
    if (target.extension.find('*') != std::string::npos) target.extension = target.type.altExtension;
    // Editing systems' import dialogs offer logs as ".ale", the alternative of type 5.
    if (!timeline && target.type.value == EDLTYPE_LOG_EXCHANGE) target.extension = target.type.altExtension;
    return std::nullopt;
}

// Where the lists go: -o for one, -d for several, the current folder by default.
std::optional<int> checkOutputs(const ConvertRequest& request) {
    if (request.haveOutput && request.haveDirectory) {
        return usageError("convert", "-o and -d exclude each other");
    }
    if (request.haveOutput && request.output.empty()) {
        return usageError("convert", "-o needs a file name");
    }
    if (request.haveOutput && request.inputs.size() > 1) {
        return usageError("convert", "-o names one output; give -d DIR for several lists");
    }
    if (request.haveDirectory && request.directory.empty()) {
        return usageError("convert", "-d needs a directory");
    }
    if (readsStandardInputTwice(request.inputs)) {
        return usageError("convert", "standard input can be read only once");
    }
    for (const std::string& input : request.inputs) {
        if (input == "-" && !request.haveOutput) {
            return usageError("convert", "a list read from standard input needs -o OUT");
        }
    }
    return std::nullopt;
}

// The checks after the arguments are read, in the order the tool has always made them.
std::optional<int> checkRequest(const ConvertRequest& request, ConvertTarget& target) {
    if (request.inputs.empty()) return usageError("convert", "no input list given");
    if (!request.haveType) return usageError("convert", "--to TYPE is required");
    if (const std::optional<int> exit = resolveTarget(request, target)) return exit;
    return checkOutputs(request);
}

// One run over the INs: what the guard and the warnings need to know.
class ConvertRun {
public:
    ConvertRun(const ConvertRequest& request, const ConvertTarget& target);
    // Converts input into output; false when it failed (and was reported).
    bool convert(const std::string& input, const std::string& output);

private:
    static int guard(void* context, const char* output);
    static void progress(void* context, size_t events);
    // "[3/120] IN" in a batch, else "IN".
    std::string progressLabel() const;
    std::string refusal() const;

    const ConvertRequest& request_;
    const ConvertTarget& target_;
    edlcOptions options_;
    // No list is written over an IN that existed when the run began, nor over a list the run
    // has written (with the IN it came from).
    std::vector<bool> existed_;
    std::vector<std::pair<std::string, std::string>> written_;
    const std::string* input_ = nullptr;
    size_t index_ = 0, started_ = 0;  // the IN being converted, and how many have begun
    const std::string* output_ = nullptr;
    // Warnings wait until the output is allowed: a list that cannot be read, or an output
    // that is refused, is reported alone.
    WarningReport warnings_;
};

ConvertRun::ConvertRun(const ConvertRequest& request, const ConvertTarget& target)
    : request_(request), target_(target), warnings_(request.verbosity) {
    options_ = stdoutOptions((request.legacy ? EDLC_LEGACY : 0u) | request.reelFlags, EDLC_FORMAT_TEXT);
    request.reading.applyTo(options_);
    options_.listType = target.type.value;
    options_.tcMode = target.tcMode;
    options_.title = request.haveTitle ? request.title.c_str() : nullptr;
    options_.warn = WarningReport::warn;
    options_.warnContext = &warnings_;
    options_.guard = guard;
    options_.guardContext = this;
    options_.progress = progress;
    options_.progressContext = this;
    for (const std::string& input : request.inputs) existed_.push_back(exists(input));
}

std::string ConvertRun::refusal() const {
    if (*output_ == "-") return std::string();
    for (size_t i = 0; i < request_.inputs.size(); ++i) {
        if (existed_[i] && edlcSameFile(request_.inputs[i].c_str(), output_->c_str())) {
            return "would overwrite the input list";
        }
    }
    for (const auto& [list, from] : written_) {
        if (edlcSameFile(list.c_str(), output_->c_str())) {
            return "would overwrite the list just written from " + from;
        }
    }
    return std::string();
}

// The guard and the warnings are called from inside the library: nothing may be thrown back
// through its C interface.
int ConvertRun::guard(void* context, const char*) {
    ConvertRun& run = *static_cast<ConvertRun*>(context);
    try {
        const std::string refusal = run.refusal();
        if (refusal.empty()) {
            run.warnings_.release();
            return 1;
        }
        run.warnings_.drop();
        report(*run.output_, refusal);
    } catch (const std::exception&) {
    }
    return 0;
}

std::string ConvertRun::progressLabel() const {
    const size_t total = request_.inputs.size();
    if (total < 2) return *input_;
    return "[" + std::to_string(index_ + 1) + "/" + std::to_string(total) + "] " + *input_;
}

void ConvertRun::progress(void* context, size_t events) {
    const ConvertRun& run = *static_cast<const ConvertRun*>(context);
    try {
        showProgress(run.progressLabel() + ": " + std::to_string(events) + " events read");
    } catch (const std::exception&) {
    }
}

bool ConvertRun::convert(const std::string& input, const std::string& output) {
    input_ = &input;
    index_ = started_++;
    if (request_.inputs.size() > 1) showProgress(progressLabel());
    output_ = &output;
    warnings_.begin(input);
    size_t events = 0;
    edlcStatus status;
    const uint32_t code = edlcConvert(input.c_str(), output.c_str(), &options_, &events, &status);
    if (code == EDLC_OK || (code != EDLC_E_REFUSED && status.which != EDLC_AT_INPUT)) {
        warnings_.release();
        warnings_.end();
    } else {
        warnings_.drop();
    }
    if (code != EDLC_OK) {
        // A list written to standard output that cannot be copied there says so.
        if (code == EDLC_E_OUTPUT) report(output, status.message);
        else reportStatus(status, input, std::string(), output);
        return false;
    }
    clearProgress();
    if (output == "-") return true;
    written_.emplace_back(output, input);
    if (!request_.quiet) reportWritten(output, target_.type.name, events);
    return true;
}

// The output of input: -o, else its own name with the type's extension, in -d's folder or
// the current one.
std::string outputOf(const std::string& input, const ConvertRequest& request,
                     const ConvertTarget& target) {
    if (request.haveOutput) return request.output;
    const std::string name = baseName(input) + "." + target.extension;
    return request.haveDirectory ? pathIn(request.directory, name) : name;
}

}  // namespace

int commandConvert(const std::vector<std::string>& args) {
    ConvertRequest request;
    if (const std::optional<int> exit = readArguments(args, request)) return *exit;
    ConvertTarget target;
    if (const std::optional<int> exit = checkRequest(request, target)) return *exit;
    // -d's folder, and the folders above it, are made when they do not exist.
    if (request.haveDirectory) {
        const std::string why = makeDirectories(request.directory);
        if (!why.empty()) {
            report(request.directory, "cannot create the directory: " + why);
            return kFailed;
        }
    }
    // A list that fails is reported and the others are still converted.
    // A progress line only on a terminal, never with --quiet.
    enableProgress(!request.quiet && standardErrorIsTerminal());
    ConvertRun run(request, target);
    int status = kOk;
    for (const std::string& input : request.inputs) {
        if (!run.convert(input, outputOf(input, request, target))) status = kFailed;
    }
    clearProgress();
    return status;
}

}  // namespace edlbcli
