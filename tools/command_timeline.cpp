// edlbridge timeline: a picture of a cut as SVG or an HTML page.
#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "reading_options.h"
#include "platform.h"

#include <edlconvert.h>

namespace edlbcli {
namespace {

struct TimelineRequest {
    std::string list, output, oldName, format;
    bool haveOutput = false, haveOld = false, haveFormat = false, quiet = false;
    bool html = false;
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The format: --format, else the output's extension, SVG for standard output and the
// default name. Nothing when known, else the usage error's exit status.
std::optional<int> chooseFormat(TimelineRequest& request) {
    if (request.haveFormat) {
        if (request.format != "svg" && request.format != "html") {
            return usageError("timeline", "no such format '" + request.format + "'");
        }
        request.html = request.format == "html";
    } else if (request.haveOutput && request.output != "-") {
        if (endsWith(request.output, ".html") || endsWith(request.output, ".htm")) {
            request.html = true;
        } else if (!endsWith(request.output, ".svg")) {
            return usageError("timeline", "cannot tell the format of '" + request.output +
                                              "': name it .svg or .html, or give --format");
        }
    }
    return std::nullopt;
}

// The checks after the arguments are read, in the order the tool has always made them.
std::optional<int> checkRequest(TimelineRequest& request) {
    if (request.haveOutput && request.output.empty()) {
        return usageError("timeline", "-o needs a file name");
    }
    if (const std::optional<int> exit = chooseFormat(request)) return exit;
    if (request.haveOld && readsStandardInputTwice({request.list, request.oldName})) {
        return usageError("timeline", "standard input can be read only once");
    }
    if (!request.haveOutput) {
        if (request.list == "-") {
            return usageError("timeline", "a list read from standard input needs -o OUT");
        }
        request.output = baseName(request.list) + (request.html ? ".html" : ".svg");
    }
    return std::nullopt;
}

// No picture is written over one of the lists it is drawn from. Called from inside the
// library: nothing may be thrown back through its C interface.
int guardPicture(void* context, const char*) {
    const TimelineRequest& request = *static_cast<const TimelineRequest*>(context);
    if (request.output == "-") return 1;
    for (const std::string* input : {&request.list, &request.oldName}) {
        if (!input->empty() && edlcSameFile(input->c_str(), request.output.c_str())) {
            try {
                report(request.output, "would overwrite the input list");
            } catch (...) {
            }
            return 0;
        }
    }
    return 1;
}

}  // namespace

int commandTimeline(const std::vector<std::string>& args) {
    TimelineRequest request;
    Operands list;
    list.most = 1;
    list.tooMany = "only one list can be drawn";
    CommandLine line("timeline", kTimelineHelp, list);
    line.option("-o,--output", request.output, request.haveOutput);
    line.option("--format", request.format, request.haveFormat);
    line.option("--diff", request.oldName, request.haveOld);
    line.values("--format", "svg html");
    line.flag("--quiet", request.quiet);
    ReadingOptions reading;
    reading.addTo(line);
    if (const std::optional<int> exit = line.parse(args)) return *exit;
    if (line.operands().empty()) return usageError("timeline", "no list given");
    request.list = line.operands().front();
    if (const std::optional<int> exit = checkRequest(request)) return *exit;

    edlcOptions options = stdoutOptions(0, request.html ? EDLC_FORMAT_HTML : EDLC_FORMAT_SVG);
    reading.applyTo(options);
    options.name = request.list.c_str();
    options.otherName = request.haveOld ? request.oldName.c_str() : nullptr;
    options.guard = guardPicture;
    options.guardContext = &request;
    size_t events = 0;
    edlcStatus status;
    if (edlcTimeline(request.list.c_str(), request.haveOld ? request.oldName.c_str() : nullptr,
                     request.output.c_str(), &options, &events, &status) != EDLC_OK) {
        reportStatus(status, request.list, request.oldName, request.output);
        return kFailed;
    }
    if (!request.quiet && request.output != "-") {
        reportWritten(request.output, request.html ? "html" : "svg", events);
    }
    return kOk;
}

}  // namespace edlbcli
