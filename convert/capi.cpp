// The C interface of edlconvert: each exported function turns its arguments into the
// library's own types, runs one piece of work and turns the outcome into a result code and
// a message. No C++ exception leaves these functions.
#include <edlconvert.h>

#include "cdl.h"
#include "cut_list.h"
#include "diff.h"
#include "list_reader.h"
#include "list_type_names.h"
#include "markers.h"
#include "otio.h"
#include "platform.h"
#include "render.h"
#include "table_spool.h"
#include "timecode_text.h"
#include "timeline.h"

#include "core/list_types.h"
#include "services/timecode.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

using namespace edlbtool;

// An open list or timeline. A list is read one event at a time; a timeline is read whole
// when it is opened (by the reader), because its events are placed by their neighbours.
struct edlcList {
    ListSource source;
    ListReader reader;
    EdlLineVB record;  // the event last read from a list
};

struct edlcDiffResult {
    DiffResult result;
};

namespace {

uint32_t setStatus(edlcStatus* status, uint32_t code, uint32_t which, const std::string& text) {
    if (status != nullptr) {
        status->code = code;
        status->which = which;
        copyText(status->message, sizeof status->message, text);
    }
    return code;
}

uint32_t succeeded(edlcStatus* status) { return setStatus(status, EDLC_OK, EDLC_AT_NONE, ""); }

// Runs work, turning what it throws into a result code.
template <typename Work>
uint32_t guarded(edlcStatus* status, Work&& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return setStatus(status, EDLC_E_MEMORY, EDLC_AT_NONE, "out of memory");
    } catch (const std::exception& error) {
        return setStatus(status, EDLC_E_READ, EDLC_AT_NONE, error.what());
    } catch (...) {
        return setStatus(status, EDLC_E_READ, EDLC_AT_NONE, "unexpected failure");
    }
}

ReadOptions readOptionsOf(uint32_t flags, const char* recordStart = nullptr) {
    ReadOptions read((flags & EDLC_LEGACY) != 0);
    read.rate = EDLC_RATE_OF(flags);
    if (recordStart != nullptr) read.recordStart = recordStart;
    return read;
}

ReadOptions readOptionsOf(const edlcOptions* options) {
    return options == nullptr ? ReadOptions() : readOptionsOf(options->flags, options->recordStart);
}

// The host's output for texts, and for outputs named "-".
class Output {
public:
    explicit Output(const edlcOptions* options) : options_(options) {}
    bool available() const { return options_ != nullptr && options_->write != nullptr; }
    bool put(const std::string& text) {
        if (text.empty()) return true;
        return available() && options_->write(options_->writeContext, text.data(), text.size()) == 0;
    }
    // Copies a file through the host's write function.
    bool putFile(const std::string& path) {
        FILE* in = std::fopen(path.c_str(), "rb");
        if (in == nullptr) return false;
        bool ok = true;
        char buffer[8192];
        size_t count;
        while (ok && (count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
            ok = options_->write(options_->writeContext, buffer, count) == 0;
        }
        ok = ok && !std::ferror(in);
        std::fclose(in);
        return ok;
    }

private:
    const edlcOptions* options_;
};

uint32_t outputFailed(edlcStatus* status) {
    return setStatus(status, EDLC_E_OUTPUT, EDLC_AT_OUTPUT, "write failed");
}

uint32_t noOutput(edlcStatus* status) {
    return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no write function given");
}

void warnAll(const edlcOptions* options, std::vector<std::string>& warnings) {
    if (options != nullptr && options->warn != nullptr) {
        for (const std::string& warning : warnings) options->warn(options->warnContext, warning.c_str());
    }
    warnings.clear();
}

bool allowed(const edlcOptions* options, const std::string& output) {
    return options == nullptr || options->guard == nullptr ||
           options->guard(options->guardContext, output.c_str()) != 0;
}

// Opens a list for reading one event at a time; the reason on failure.
std::string openReader(const char* path, const edlcOptions* options, ListSource& source,
                       ListReader& reader) {
    std::string reason = source.open(path);
    if (reason.empty()) reason = reader.open(source, readOptionsOf(options));
    if (reason.empty() && options != nullptr && options->name != nullptr) {
        reader.showAs(options->name);
    }
    if (options != nullptr) reader.onProgress(options->progress, options->progressContext);
    return reason;
}

// Reads a whole list kept small, shown by name when one is given.
std::string readWhole(const char* path, const char* name, CutList& out,
                      const ReadOptions& read) {
    const std::string reason = readCut(path, out, read);
    if (name != nullptr) out.path = name;
    return reason;
}

// A sink handing text to the host's write function.
PieceSink hostSink(Output& output) {
    return PieceSink([&output](const char* bytes, size_t size) {
        return output.put(std::string(bytes, size));
    });
}

// Renders a text into a new file at path, piece by piece; a file that could not be written
// whole is removed again. Empty text on success, else the reason.
template <typename Render>
std::string renderToFile(const std::string& path, Render&& render) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "cannot create: " + errorText(errno);
    PieceSink sink([file](const char* bytes, size_t size) {
        return std::fwrite(bytes, 1, size, file) == size;
    });
    try {
        render(sink);
    } catch (...) {
        std::fclose(file);
        platform::removeFailedOutput(path);
        throw;
    }
    const bool written = sink.flush();
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return std::string();
    platform::removeFailedOutput(path);
    return "write failed";
}

void fillListType(const TypeName& row, edlcListType& out) {
    out.value = row.value;
    out.name = row.shortName;
    out.enumerator = row.enumerator;
    out.dialect = row.description;
    out.extension = row.extension;
    out.altExtension = row.altExtension;
    out.headerForm = row.headerForm;
    out.eventForm = row.eventForm;
    out.readsBackAs = row.readsBackAs;
    out.detected = row.detectable ? 1 : 0;
    out.written = convertWrites(row) ? 1 : 0;
}

void fillOtioType(edlcListType& out) {
    out.value = EDLC_TYPE_OTIO;
    out.name = kOtioTypeName;
    out.enumerator = "EDLC_TYPE_OTIO";
    out.dialect = "OpenTimelineIO timeline";
    out.extension = kOtioTypeName;
    out.altExtension = "";
    out.headerForm = "otio";
    out.eventForm = "otio";
    out.readsBackAs = EDLC_TYPE_OTIO;
    // edlcOpen and edlcConvert know a timeline by its name or its "OTIO_SCHEMA" key.
    out.detected = 1;
    out.written = 1;
}

void fillTcMode(const ModeInfo& row, edlcTcMode& out) {
    out.value = row.value;
    out.name = row.name;
    out.description = row.description;
    out.fps = row.fps;
    out.dropped = row.dropped;
    out.dropFrame = row.dropFrame ? 1 : 0;
    out.frameRate = row.frameRate;
}

WriteOptions writeOptionsOf(const edlcOptions& options) {
    WriteOptions out;
    out.listType = options.listType == EDLC_TYPE_OTIO ? static_cast<unsigned>(EDLTYPE_NONE)
                                                       : options.listType;
    out.tcMode = options.tcMode;
    out.setTitle = options.title != nullptr;
    if (out.setTitle) out.title = options.title;
    out.legacy = (options.flags & EDLC_LEGACY) != 0;
    out.reelWidth = (options.flags & EDLC_REEL_128) != 0 ? 128 : (options.flags & EDLC_REEL_32) != 0 ? 32 : 8;
    return out;
}

// Dump text is handed to the host in pieces of about this size.
constexpr size_t kDumpChunk = 64 * 1024;

// The table keeps its rows unpadded while the list is read once, then pads them to the
// widest cell of each column, under the list's summary and its count of events.
uint32_t dumpTable(const char* path, const edlcOptions* options, Output& output,
                   edlcStatus* status) {
    ListSource source;
    ListReader reader;
    reader.dropEventWarnings();
    std::string reason = openReader(path, options, source, reader);
    if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
    const ListInfo& info = reader.info();
    TableSpool spool;
    Row cells = tableHeaderRow();
    reason = spool.add(cells);
    EventRow row;
    while (reason.empty() && reader.next(row)) {
        tableEventRow(info, row, cells);
        reason = spool.add(cells);
    }
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    // A list that fails part way prints nothing, as one that cannot be opened.
    if (!reader.reason().empty()) {
        return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reader.reason());
    }
    if (!output.put(tableHead(info, reader.count()))) return outputFailed(status);
    reason = spool.replay([&output](const std::string& text) { return output.put(text); });
    if (reason == "write failed") return outputFailed(status);
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    return succeeded(status);
}

uint32_t dumpStream(const char* path, const edlcOptions* options, Output& output,
                    edlcStatus* status) {
    ListSource source;
    ListReader reader;
    reader.dropEventWarnings();
    const std::string reason = openReader(path, options, source, reader);
    if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
    const ListInfo& info = reader.info();
    const bool json = options->format == EDLC_FORMAT_JSON;
    std::string text = json ? jsonDumpHead(info) : csvDumpHead();
    EventRow row;
    while (reader.next(row)) {
        if (json) {
            jsonDumpEvent(text, info, row, reader.count() == 1);
        } else {
            csvDumpRow(text, info, row);
        }
        if (text.size() >= kDumpChunk) {
            if (!output.put(text)) return outputFailed(status);
            text.clear();
        }
    }
    if (!output.put(text)) return outputFailed(status);
    // The list was valid when opened: a failure later leaves what was written incomplete.
    if (!reader.reason().empty()) {
        return setStatus(status, EDLC_E_READ, EDLC_AT_INPUT, reader.reason());
    }
    if (json && !output.put(jsonDumpTail(reader.count()))) return outputFailed(status);
    return succeeded(status);
}

// Streams the events of reader into a list at path; a failure names the input or the
// output, and nothing is left at path.
// Events read before (held) go first.
uint32_t streamList(ListReader& reader, const WriteOptions& options, const std::string& path,
                    edlcStatus* status, const edlcOptions* host = nullptr,
                    const std::vector<EventRow>& held = {}) {
    ListWriter writer;
    std::string reason = writer.open(reader.info(), options, path);
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    for (const EventRow& row : held) {
        reason = writer.write(row);
        if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    }
    EventRow row;
    while (reader.next(row)) {
        reason = writer.write(row);
        if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    }
    std::vector<std::string> noticed = writer.takeWarnings();
    warnAll(host, noticed);
    if (!reader.reason().empty()) {
        writer.abandon();
        return setStatus(status, EDLC_E_READ, EDLC_AT_INPUT, reader.reason());
    }
    reason = writer.close();
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    return succeeded(status);
}

// The records library writes through a file name, and the host's output may be a pipe: a
// list for "-" is written to a temporary file, then copied.
template <typename WriteInto>
uint32_t throughTempFile(Output& output, edlcStatus* status, WriteInto&& writeInto) {
    platform::TempFile temp;
    const std::string reason = temp.create();
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    const uint32_t result = writeInto(temp.path());
    if (result != EDLC_OK) return result;
    if (!output.putFile(temp.path())) {
        return setStatus(status, EDLC_E_OUTPUT, EDLC_AT_OUTPUT,
                         "cannot copy the written list to standard output");
    }
    return succeeded(status);
}

// A timeline is written as the list is read: once for its tracks, once to write them (a
// timeline read is held by the reader).
uint32_t streamTimeline(const std::string& input, const std::string& output,
                        const edlcOptions& options, size_t* events, edlcStatus* status) {
    Output out(&options);
    ListSource source;
    ListReader reader;
    const std::string reason = openReader(input.c_str(), &options, source, reader);
    if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
    if (output != "-" && !allowed(&options, output)) {
        return setStatus(status, EDLC_E_REFUSED, EDLC_AT_OUTPUT, "");
    }
    // Warnings of reading a timeline, then of writing one.
    std::vector<std::string> warnings = reader.takeWarnings();
    warnAll(&options, warnings);
    const OtioStreamResult result = streamOtio(
        source, readOptionsOf(&options), writeOptionsOf(options), output,
        [&out](const char* bytes, size_t size) { return out.put(std::string(bytes, size)); },
        warnings);
    warnAll(&options, warnings);
    if (result.atInput) return setStatus(status, EDLC_E_READ, EDLC_AT_INPUT, result.reason);
    if (!result.reason.empty()) {
        return output == "-" ? outputFailed(status)
                             : setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, result.reason);
    }
    if (events != nullptr) *events = result.events;
    return succeeded(status);
}

uint32_t writeMarkerEdl(const ListReader& reader, std::vector<EventRow> events,
                        const std::string& output, const edlcOptions& options, edlcStatus* status);

uint32_t convertStream(const std::string& input, const std::string& output,
                       const edlcOptions& options, size_t* events, edlcStatus* status) {
    Output out(&options);
    ListSource source;
    ListReader reader;
    const std::string reason = openReader(input.c_str(), &options, source, reader);
    if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
    std::vector<std::string> warnings = reader.takeWarnings();
    warnAll(&options, warnings);
    WriteOptions writeOptions = writeOptionsOf(options);
    if (writeOptions.listType == EDLTYPE_LOG_EXCHANGE && !writeOptions.legacy) {
        const CdlNames grades = cdlNamesInFile(source.path());
        writeOptions.sopColumn = grades.sop;
        writeOptions.satColumn = grades.sat;
    }
    // A CMX 3600 list of markers is the grading system's marker EDL: events are held while
    // each is a marker, and the first that is none sends them on to the list writer.
    std::vector<EventRow> held;
    if (writeOptions.listType == EDLTYPE_CMX3600 && !writeOptions.legacy) {
        EventRow row;
        while (reader.next(row)) {
            held.push_back(row);
            if (!isMarkerEvent(row)) break;
        }
    }
    uint32_t result;
    if (!held.empty() && isMarkerEvent(held.back())) {
        result = writeMarkerEdl(reader, std::move(held), output, options, status);
    } else if (output == "-") {
        result = throughTempFile(out, status, [&](const std::string& path) {
            return streamList(reader, writeOptions, path, status, &options, held);
        });
    } else {
        if (!allowed(&options, output)) return setStatus(status, EDLC_E_REFUSED, EDLC_AT_OUTPUT, "");
        result = streamList(reader, writeOptions, output, status, &options, held);
    }
    // What the events read could not say.
    warnings = reader.takeWarnings();
    warnAll(&options, warnings);
    if (result == EDLC_OK && events != nullptr) *events = reader.count();
    return result;
}

// An event handed to the host holds what a row carries and nothing else: the fields and
// text pointers a row has no place for are cleared, as a record filled from a row has them.
void keepRowFields(EdlLineVB& event) {
    event.dwEffect = 0;
    event.dwTrackMask = 0;
    event.dwListTag = 0;
    event.bXFile3 = 0;
    event.szClipName = event.szName = event.szComment = event.szReel = event.szLine = nullptr;
}

bool validListTarget(uint32_t type) {
    if (type == EDLC_TYPE_OTIO) return true;
    const TypeName* row = typeByValue(type);
    return row != nullptr && convertWrites(*row);
}

}  // namespace

extern "C" {

size_t edlcListTypeCount(void) {
    size_t count = 0;
    typeNames(&count);
    return count;
}

int edlcListTypeAt(size_t index, edlcListType* out) {
    size_t count = 0;
    const TypeName* rows = typeNames(&count);
    if (out == nullptr || index >= count) return 0;
    fillListType(rows[index], *out);
    return 1;
}

int edlcFindListType(const char* text, edlcListType* out) {
    if (text == nullptr || out == nullptr) return 0;
    try {
        if (isOtioType(text)) {
            fillOtioType(*out);
            return 1;
        }
        const TypeName* row = findTypeName(text);
        if (row == nullptr) return 0;
        fillListType(*row, *out);
        return 1;
    } catch (...) {
        return 0;
    }
}

size_t edlcTcModeCount(void) {
    size_t count = 0;
    modes(&count);
    return count;
}

int edlcTcModeAt(size_t index, edlcTcMode* out) {
    size_t count = 0;
    const ModeInfo* rows = modes(&count);
    if (out == nullptr || index >= count) return 0;
    fillTcMode(rows[index], *out);
    return 1;
}

int edlcFindTcMode(const char* text, edlcTcMode* out) {
    if (text == nullptr || out == nullptr) return 0;
    try {
        const ModeInfo* row = findMode(text);
        if (row == nullptr) return 0;
        fillTcMode(*row, *out);
        return 1;
    } catch (...) {
        return 0;
    }
}

int edlcParseTimecode(const char* text, uint32_t mode, uint32_t* frames) {
    if (text == nullptr || frames == nullptr) return 0;
    try {
        // A label drop-frame counting skips would count as the label before it; a host asking
        // for a timecode's frames is told that no such label exists.
        TcLabel label{};
        if (!parseLabel(text, mode, label)) return 0;
        const TcLabel kept = tcCountedLabel(label, mode);
        if (kept.minutes != label.minutes || kept.seconds != label.seconds ||
            kept.frames != label.frames) {
            return 0;
        }
        *frames = tcFramesOf(label, mode);
        return 1;
    } catch (...) {
        return 0;
    }
}

size_t edlcFormatTimecode(uint32_t frames, uint32_t mode, char* buffer, size_t size) {
    try {
        const std::string text = timecodeText(frames, mode);
        if (buffer != nullptr && size > 0) copyText(buffer, size, text);
        return text.size();
    } catch (...) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return 0;
    }
}

uint32_t edlcRelabel(uint32_t frames, uint32_t fromMode, uint32_t toMode) {
    return relabel(frames, fromMode, toMode);
}

int64_t edlcRescale(int64_t frames, uint32_t fromMode, uint32_t toMode) {
    return rescale(frames, fromMode, toMode);
}

void edlcInitOptions(edlcOptions* options) {
    if (options == nullptr) return;
    std::memset(options, 0, sizeof *options);
    options->format = EDLC_FORMAT_TEXT;
    options->listType = EDLTYPE_GENERIC;
}

edlcList* edlcOpen(const char* path, uint32_t flags, edlcStatus* status) {
    if (path == nullptr) {
        setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_INPUT, "no list given");
        return nullptr;
    }
    edlcList* opened = nullptr;
    guarded(status, [&]() -> uint32_t {
        std::unique_ptr<edlcList> list(new edlcList());
        // A host reads what the library could not read from the events' flags: the reader
        // keeps no warnings for it, so a long list costs no more to read than a short one.
        list->reader.dropEventWarnings();
        std::string reason = list->source.open(path);
        if (reason.empty()) reason = list->reader.open(list->source, readOptionsOf(flags));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        opened = list.release();
        return succeeded(status);
    });
    return opened;
}

const EdlList* edlcListRecord(const edlcList* list) {
    if (list == nullptr) return nullptr;
    return &list->reader.info().list;
}

int edlcIsTimeline(const edlcList* list) {
    return list != nullptr && list->reader.info().isTimeline ? 1 : 0;
}

uint32_t edlcNext(edlcList* list, EdlLineVB* event, edlcStatus* status) {
    if (list == nullptr || event == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no list or no event record");
    }
    return guarded(status, [&]() -> uint32_t {
        if (list->reader.info().isTimeline) {
            EventRow row;
            if (list->reader.next(row)) {
                std::memset(event, 0, sizeof *event);
                fillRecord(row, *event);
                return succeeded(status);
            }
        } else if (list->reader.next(list->record)) {
            // Read into the list's own record: the host's keeps its event at the end.
            std::memcpy(event, &list->record, sizeof *event);
            keepRowFields(*event);
            return succeeded(status);
        }
        if (!list->reader.reason().empty()) {
            return setStatus(status, EDLC_E_READ, EDLC_AT_INPUT, list->reader.reason());
        }
        return setStatus(status, EDLC_END, EDLC_AT_NONE, "");
    });
}

size_t edlcEventCount(const edlcList* list) {
    if (list == nullptr) return 0;
    return list->reader.count();
}

void edlcClose(edlcList* list) { delete list; }

size_t edlcClipName(const edlcList* list, const EdlLineVB* event, char* buffer, size_t size) {
    if (list == nullptr || event == nullptr) return 0;
    try {
        EventRow row;
        fillRow(*event, row);
        const std::string name = clipNameOf(list->reader.info(), row);
        if (buffer != nullptr && size > 0) copyText(buffer, size, name);
        return name.size();
    } catch (...) {
        return 0;
    }
}

size_t edlcSourceFile(const EdlLineVB* event, char* buffer, size_t size) {
    if (event == nullptr) return 0;
    try {
        EventRow row;
        fillRow(*event, row);
        const std::string file = sourceFile(row);
        if (buffer != nullptr && size > 0) copyText(buffer, size, file);
        return file.size();
    } catch (...) {
        return 0;
    }
}

uint32_t edlcWriteTypes(const edlcOptions* options, edlcStatus* status) {
    return guarded(status, [&]() -> uint32_t {
        Output output(options);
        if (!output.available()) return noOutput(status);
        if (!output.put(renderTypes() + renderOtioType())) return outputFailed(status);
        return succeeded(status);
    });
}

uint32_t edlcDetect(const char* path, const edlcOptions* options, edlcStatus* status) {
    if (path == nullptr) return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_INPUT, "no list given");
    return guarded(status, [&]() -> uint32_t {
        Output output(options);
        if (!output.available()) return noOutput(status);
        // Counting is reading: one event at a time, whatever the length of the list.
        ListSource source;
        ListReader reader;
        reader.dropEventWarnings();
        std::string reason = openReader(path, options, source, reader);
        if (reason.empty()) {
            EventRow row;
            while (reader.next(row)) {
            }
            reason = reader.reason();
        }
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        const std::string text = options->format == EDLC_FORMAT_JSON
                                     ? renderDetectJson(reader.info(), reader.count())
                                     : renderDetect(reader.info(), reader.count());
        return output.put(text) ? succeeded(status) : outputFailed(status);
    });
}

uint32_t edlcDump(const char* path, const edlcOptions* options, edlcStatus* status) {
    if (path == nullptr) return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_INPUT, "no list given");
    return guarded(status, [&]() -> uint32_t {
        Output output(options);
        if (!output.available()) return noOutput(status);
        switch (options->format) {
            case EDLC_FORMAT_TABLE: return dumpTable(path, options, output, status);
            case EDLC_FORMAT_JSON:
            case EDLC_FORMAT_CSV: return dumpStream(path, options, output, status);
            default: return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such format");
        }
    });
}

uint32_t edlcConvert(const char* input, const char* output, const edlcOptions* options,
                     size_t* events, edlcStatus* status) {
    if (input == nullptr || output == nullptr || options == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no input, output or options");
    }
    if (!validListTarget(options->listType)) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "list type cannot be written");
    }
    if (options->tcMode != 0 && findMode(std::to_string(options->tcMode)) == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such timecode mode");
    }
    if (std::strcmp(output, "-") == 0 && !Output(options).available()) return noOutput(status);
    if (events != nullptr) *events = 0;
    return guarded(status, [&]() -> uint32_t {
        const std::string in = input;
        if (options->listType == EDLC_TYPE_OTIO) {
            return streamTimeline(in, output, *options, events, status);
        }
        return convertStream(in, output, *options, events, status);
    });
}

edlcDiffResult* edlcDiffLists(const char* oldPath, const char* newPath, uint32_t flags,
                              edlcStatus* status) {
    if (oldPath == nullptr || newPath == nullptr) {
        setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "two lists are needed");
        return nullptr;
    }
    edlcDiffResult* made = nullptr;
    guarded(status, [&]() -> uint32_t {
        CutList oldList, newList;
        std::string reason = readCut(oldPath, oldList, readOptionsOf(flags));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_OTHER, reason);
        reason = readCut(newPath, newList, readOptionsOf(flags));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        std::unique_ptr<edlcDiffResult> result(new edlcDiffResult);
        result->result = diffLists(oldList, newList);
        if ((flags & EDLC_ALL) == 0) {
            std::vector<DiffRow>& rows = result->result.rows;
            rows.erase(std::remove_if(rows.begin(), rows.end(),
                                      [](const DiffRow& row) { return row.kinds == kUnchanged; }),
                       rows.end());
        }
        made = result.release();
        return succeeded(status);
    });
    return made;
}

size_t edlcDiffCount(const edlcDiffResult* result) {
    return result != nullptr ? result->result.rows.size() : 0;
}

int edlcDiffAt(const edlcDiffResult* result, size_t index, edlcChange* out) {
    if (result == nullptr || out == nullptr || index >= result->result.rows.size()) return 0;
    const DiffRow& row = result->result.rows[index];
    out->kinds = row.kinds;
    out->newIndex = row.newIndex == kNoEvent ? -1 : static_cast<int64_t>(row.newIndex);
    out->oldIndex = row.oldIndex == kNoEvent ? -1 : static_cast<int64_t>(row.oldIndex);
    out->head = row.head;
    out->tail = row.tail;
    out->move = row.move;
    return 1;
}

int edlcDiffSame(const edlcDiffResult* result) {
    return result != nullptr && result->result.same() ? 1 : 0;
}

void edlcDiffFree(edlcDiffResult* result) { delete result; }

const char* edlcChangeName(uint32_t kind) {
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        if (kind == (1u << bit)) return changeName(bit);
    }
    return nullptr;
}

uint32_t edlcDiff(const char* oldPath, const char* newPath, const edlcOptions* options, int* same,
                  edlcStatus* status) {
    if (oldPath == nullptr || newPath == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "two lists are needed");
    }
    return guarded(status, [&]() -> uint32_t {
        Output output(options);
        if (!output.available()) return noOutput(status);
        CutList oldList, newList;
        std::string reason = readWhole(oldPath, options->otherName, oldList, readOptionsOf(options));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_OTHER, reason);
        reason = readWhole(newPath, options->name, newList, readOptionsOf(options));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        const DiffResult result = diffLists(oldList, newList);
        const bool all = (options->flags & EDLC_ALL) != 0;
        PieceSink sink = hostSink(output);
        if (options->format == EDLC_FORMAT_JSON) {
            renderDiffJson(oldList, newList, result, all, sink);
        } else {
            renderDiffTable(oldList, newList, result, all, sink);
        }
        if (!sink.flush()) return outputFailed(status);
        if (same != nullptr) *same = result.same() ? 1 : 0;
        return succeeded(status);
    });
}

uint32_t edlcTimeline(const char* path, const char* oldPath, const char* output,
                      const edlcOptions* options, size_t* events, edlcStatus* status) {
    if (path == nullptr || output == nullptr || options == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no list, output or options");
    }
    if (options->format != EDLC_FORMAT_SVG && options->format != EDLC_FORMAT_HTML) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such format");
    }
    return guarded(status, [&]() -> uint32_t {
        Output out(options);
        const std::string target = output;
        if (target == "-" && !out.available()) return noOutput(status);
        CutList newList, oldList;
        std::string reason = readWhole(path, options->name, newList, readOptionsOf(options));
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        DiffResult result;
        TimelineChanges changes;
        if (oldPath != nullptr) {
            reason = readWhole(oldPath, options->otherName, oldList, readOptionsOf(options));
            if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_OTHER, reason);
            result = diffLists(oldList, newList);
            changes.oldList = &oldList;
            changes.result = &result;
        }
        auto render = [&](PieceSink& sink) {
            if (options->format == EDLC_FORMAT_HTML) {
                renderTimelineHtml(newList, changes, sink);
            } else {
                renderTimelineSvg(newList, changes, sink);
            }
        };
        if (target == "-") {
            PieceSink sink = hostSink(out);
            render(sink);
            if (!sink.flush()) return outputFailed(status);
        } else {
            if (!allowed(options, target)) return setStatus(status, EDLC_E_REFUSED, EDLC_AT_OUTPUT, "");
            reason = renderToFile(target, render);
            if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
        }
        if (events != nullptr) *events = newList.events.size();
        return succeeded(status);
    });
}

int edlcSameFile(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return 0;
    if (std::strcmp(a, "-") == 0 || std::strcmp(b, "-") == 0) return 0;
    try {
        return platform::sameFile(platform::fileId(a), platform::fileId(b)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"

namespace {

// Text for an output file, or for "-" through the host's write function.
uint32_t putOutput(const std::string& text, const std::string& output, const edlcOptions* options,
                   edlcStatus* status) {
    Output out(options);
    if (output == "-") return out.put(text) ? succeeded(status) : outputFailed(status);
    if (!allowed(options, output)) return setStatus(status, EDLC_E_REFUSED, EDLC_AT_OUTPUT, "");
    const std::string reason = platform::writeTextFile(output, text);
    if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    return succeeded(status);
}

// The markers of events, every event reader had, as the grading system's marker EDL.
uint32_t writeMarkerEdl(const ListReader& reader, std::vector<EventRow> events,
                        const std::string& output, const edlcOptions& options, edlcStatus* status) {
    if (!reader.reason().empty()) return setStatus(status, EDLC_E_READ, EDLC_AT_INPUT, reader.reason());
    ListData data;
    static_cast<ListInfo&>(data) = reader.info();
    data.events = std::move(events);
    MarkerList list;
    markersOfList(data, list);
    moveMarkers(list, options.tcMode);
    if (options.title != nullptr) list.title = options.title;
    return putOutput(markerText(list, MarkerFormat::Grading), output, &options, status);
}

bool markerFormatOf(uint32_t format, MarkerFormat& out) {
    switch (format) {
        case EDLC_FORMAT_JSON: out = MarkerFormat::Json; return true;
        case EDLC_FORMAT_AVID: out = MarkerFormat::Editing; return true;
        case EDLC_FORMAT_CSV: out = MarkerFormat::Bookmarks; return true;
        case EDLC_FORMAT_EDL: out = MarkerFormat::Grading; return true;
        case EDLC_FORMAT_LOC: out = MarkerFormat::Loc; return true;
        case EDLC_FORMAT_NOTES: out = MarkerFormat::Review; return true;
        default: return false;
    }
}

bool cdlFormatOf(uint32_t format, CdlFormat& out) {
    switch (format) {
        case EDLC_FORMAT_CDL: out = CdlFormat::Cdl; return true;
        case EDLC_FORMAT_CC: out = CdlFormat::Cc; return true;
        case EDLC_FORMAT_CCC: out = CdlFormat::Ccc; return true;
        case EDLC_FORMAT_JSON: out = CdlFormat::Json; return true;
        default: return false;
    }
}

// The checks edlcMarkers and edlcWriteMarkers share; EDLC_OK when the call may go on.
uint32_t checkMarkerCall(const char* input, const char* output, const edlcOptions* options,
                         MarkerFormat& format, size_t* count, edlcStatus* status) {
    if (count != nullptr) *count = 0;
    if (input == nullptr || output == nullptr || options == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no input, output or options");
    }
    if (!markerFormatOf(options->format, format)) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such format");
    }
    if (options->tcMode != 0 && findMode(std::to_string(options->tcMode)) == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such timecode mode");
    }
    if (std::strcmp(output, "-") == 0 && !Output(options).available()) return noOutput(status);
    return EDLC_OK;
}

uint32_t putMarkers(const MarkerList& markers, MarkerFormat format, const char* output,
                    const edlcOptions* options, size_t* count, edlcStatus* status) {
    const uint32_t result = putOutput(markerText(markers, format), output, options, status);
    if (result == EDLC_OK && count != nullptr) *count = markers.markers.size();
    return result;
}

// The checks edlcCdl and edlcWriteCdl share.
uint32_t checkCdlCall(const char* input, const char* directory, const edlcOptions* options,
                      CdlFormat& format, size_t* count, edlcStatus* status) {
    if (count != nullptr) *count = 0;
    if (input == nullptr || options == nullptr) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no input or options");
    }
    if (!cdlFormatOf(options->format, format)) {
        return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no such format");
    }
    if (format == CdlFormat::Json ? !Output(options).available() : directory == nullptr) {
        return format == CdlFormat::Json
                   ? noOutput(status)
                   : setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_NONE, "no directory given");
    }
    return EDLC_OK;
}

// The name of a collection: the host's, else the list's file name without its extension.
std::string collectionName(const edlcOptions* options, const std::string& path) {
    std::string name = options->name != nullptr ? options->name : path;
    const size_t slash = name.find_last_of(kDirectoryEnds);
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() || name == "-" ? std::string("grades") : name;
}

uint32_t putGrades(const std::vector<GradedShot>& shots, CdlFormat format, const char* directory,
                   const std::string& name, const edlcOptions* options, size_t* count,
                   edlcStatus* status) {
    if (format == CdlFormat::Json) {
        if (!Output(options).put(cdlJson(shots))) return outputFailed(status);
    } else {
        if (!allowed(options, directory)) return setStatus(status, EDLC_E_REFUSED, EDLC_AT_OUTPUT, "");
        std::vector<std::string> files;
        const std::string reason = writeCdlFiles(shots, format, directory, name, files);
        if (!reason.empty()) return setStatus(status, EDLC_E_WRITE, EDLC_AT_OUTPUT, reason);
    }
    if (count != nullptr) *count = shots.size();
    return succeeded(status);
}

}  // namespace

extern "C" {

uint32_t edlcMarkers(const char* path, const char* output, const edlcOptions* options,
                     size_t* count, edlcStatus* status) {
    MarkerFormat format;
    const uint32_t checked = checkMarkerCall(path, output, options, format, count, status);
    if (checked != EDLC_OK) return checked;
    return guarded(status, [&]() -> uint32_t {
        MarkerList markers;
        std::vector<std::string> warnings;
        const std::string reason = readMarkers(path, options->tcMode, markers, warnings);
        warnAll(options, warnings);
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        return putMarkers(markers, format, output, options, count, status);
    });
}

uint32_t edlcWriteMarkers(const char* json, const char* output, const edlcOptions* options,
                          size_t* count, edlcStatus* status) {
    MarkerFormat format;
    const uint32_t checked = checkMarkerCall(json, output, options, format, count, status);
    if (checked != EDLC_OK) return checked;
    return guarded(status, [&]() -> uint32_t {
        MarkerList markers;
        const std::string reason = markersFromJson(json, options->tcMode, markers);
        if (!reason.empty()) return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_INPUT, reason);
        return putMarkers(markers, format, output, options, count, status);
    });
}

uint32_t edlcCdl(const char* path, const char* directory, const edlcOptions* options,
                 size_t* count, edlcStatus* status) {
    CdlFormat format;
    const uint32_t checked = checkCdlCall(path, directory, options, format, count, status);
    if (checked != EDLC_OK) return checked;
    return guarded(status, [&]() -> uint32_t {
        ListData data;
        std::vector<std::string> warnings;
        const std::string reason = readList(path, data, readOptionsOf(options), &warnings);
        warnAll(options, warnings);
        if (!reason.empty()) return setStatus(status, EDLC_E_OPEN, EDLC_AT_INPUT, reason);
        const CdlId id = (options->flags & EDLC_ID_EVENT) != 0  ? CdlId::Event
                         : (options->flags & EDLC_ID_REEL) != 0 ? CdlId::Reel
                                                                : CdlId::Clip;
        return putGrades(gradedShots(data, id, csvLogCells(path, data)), format, directory,
                         collectionName(options, path),
                         options, count, status);
    });
}

uint32_t edlcWriteCdl(const char* json, const char* directory, const edlcOptions* options,
                      size_t* count, edlcStatus* status) {
    CdlFormat format;
    const uint32_t checked = checkCdlCall(json, directory, options, format, count, status);
    if (checked != EDLC_OK) return checked;
    return guarded(status, [&]() -> uint32_t {
        std::vector<GradedShot> shots;
        const std::string reason = cdlFromJson(json, shots);
        if (!reason.empty()) return setStatus(status, EDLC_E_ARGUMENT, EDLC_AT_INPUT, reason);
        return putGrades(shots, format, directory, collectionName(options, "grades"), options,
                         count, status);
    });
}

}  // extern "C"
