// An OpenTimelineIO timeline as events. Each track is flattened into pieces placed in
// record time (otio_read_tracks.cpp), then the pieces of one event on several tracks are
// joined into one event (otio_read_events.cpp). This file reads the timeline around them,
// its JSON and its times.
#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "list_type_names.h"
#include "otio.h"
#include "otio_reader.h"
#include "platform.h"
#include "timecode_text.h"

namespace edlbtool {
namespace otio {

[[noreturn]] void fail(const std::string& reason) {
    throw Failure{reason};
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::pair<std::string, long> splitSchema(const std::string& schema) {
    const size_t dot = schema.rfind('.');
    if (dot == std::string::npos || dot + 1 == schema.size()) return {schema, 0};
    char* end = nullptr;
    const long version = std::strtol(schema.c_str() + dot + 1, &end, 10);
    if (*end != '\0' || version <= 0) return {schema, 0};
    return {schema.substr(0, dot), version};
}

const Json& requireObject(const Json& value, const std::string& path) {
    if (!value.is_object()) fail("not an object at " + path);
    return value;
}

std::string schemaOf(const Json& object, const std::string& path) {
    requireObject(object, path);
    const auto it = object.find("OTIO_SCHEMA");
    if (it == object.end() || !it->is_string()) fail("missing OTIO_SCHEMA at " + path);
    return it->get<std::string>();
}

void unknownSchema(const std::string& schema, const std::string& path) {
    fail("unknown OTIO schema " + quoted(schema) + " at " + path);
}

const Json* field(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

const Json* listField(const Json& object, const char* key, const std::string& path) {
    const Json* value = field(object, key);
    if (value != nullptr && !value->is_array()) {
        fail(std::string(key) + " is not a list at " + path);
    }
    return value;
}

std::string entryPath(const std::string& path, const char* key, size_t index) {
    return path + "." + key + "[" + std::to_string(index) + "]";
}

std::string text(const Json& object, const char* key, const std::string& path) {
    const Json* value = field(object, key);
    if (value == nullptr) return std::string();
    if (!value->is_string()) fail(std::string(key) + " is not a text at " + path);
    return value->get<std::string>();
}

double number(const Json& object, const char* key, const std::string& path) {
    const Json* value = field(object, key);
    if (value == nullptr) fail("missing " + std::string(key) + " at " + path);
    if (!value->is_number()) fail(std::string(key) + " is not a number at " + path);
    return value->get<double>();
}

bool enabled(const Json& item) {
    const Json* value = field(item, "enabled");
    return value == nullptr || !value->is_boolean() || value->get<bool>();
}

double nominalRate(double rate) {
    const double whole = std::round(rate);
    if (std::fabs(rate - whole) < 0.001) return whole;
    const double ntsc = std::round(rate * 1.001);
    if (std::fabs(rate - ntsc / 1.001) < 0.005) return ntsc;
    return rate;
}

bool isNtscRate(double rate) {
    return nominalRate(rate) != rate && std::fabs(rate - std::round(rate)) >= 0.001;
}

namespace {

// A schema named in a time or a range must be the one expected.
void expectSchema(const Json& object, const char* expected, const std::string& path) {
    const Json* schema = field(object, "OTIO_SCHEMA");
    if (schema != nullptr && (!schema->is_string() || schema->get<std::string>() != expected)) {
        unknownSchema(schema->is_string() ? schema->get<std::string>() : "?", path);
    }
}

}  // namespace

int64_t Clock::frames(const Json& time, const std::string& path) const {
    requireObject(time, path);
    expectSchema(time, "RationalTime.1", path);
    const double rate = number(time, "rate", path);
    const double value = number(time, "value", path);
    if (!(rate > 0)) fail("rate is zero or negative at " + path);
    const double fps = modeInfo(mode_).fps;
    const double nominal = nominalRate(rate);
    const double count = nominal == fps ? value : value * fps / nominal;
    if (!std::isfinite(count) || std::fabs(count) > 4.0 * kMaxFrames)
        fail("time out of range at " + path);
    return static_cast<int64_t>(std::llround(count));
}

bool Clock::range(const Json& object, const char* key, const std::string& path, Range& out) const {
    const Json* value = field(object, key);
    if (value == nullptr) return false;
    const std::string where = path + "." + key;
    requireObject(*value, where);
    expectSchema(*value, "TimeRange.1", where);
    const Json* start = field(*value, "start_time");
    const Json* duration = field(*value, "duration");
    if (start == nullptr) fail("missing start_time at " + where);
    if (duration == nullptr) fail("missing duration at " + where);
    out.start = frames(*start, where + ".start_time");
    out.duration = frames(*duration, where + ".duration");
    if (out.duration < 0) fail("negative duration at " + where);
    return true;
}

Range Clock::requiredRange(const Json& object, const std::string& path) const {
    Range r;
    if (!range(object, "source_range", path, r)) fail("missing source_range at " + path);
    return r;
}

}  // namespace otio

namespace {

using otio::Json;

// The reader keeps the whole file in memory.
constexpr uint64_t kMaxFileSize = 256ull * 1024 * 1024;

// Nesting counted on the raw bytes, so that no parser ever recurses that deep.
bool nestedTooDeep(const std::string& text) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > otio::kMaxDepth) return true;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return false;
}

// The list record of a timeline: ours keeps the list type; the rest is the mode and title.
void fillListRecord(const Json& root, const Json* mine, unsigned mode, EdlList& list) {
    std::memset(&list, 0, sizeof list);
    edlInitEdlListStruct(&list);
    int64_t type = 0;
    list.dwListType = otio::mdInteger(mine, "list_type", type) && type > 0 && type <= 0xFFFF &&
                              typeByValue(static_cast<unsigned>(type)) != nullptr
                          ? static_cast<uint32_t>(type)
                          : static_cast<uint32_t>(EDLTYPE_GENERIC);
    list.dwFlags |= EDL_LF_INTERCHANGE;
    list.dwTcMode = list.dwCurTcMode = mode;
    list.dwFrameRate = modeInfo(mode).frameRate;
    copyText(list.szTitle, sizeof list.szTitle, otio::text(root, "name", "the timeline"));
}

void readTimeline(const Json& root, const std::string& name, ListData& out,
                  std::vector<std::string>& warnings) {
    using otio::fail;
    if (!root.is_object()) fail("not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")");
    const auto schema = root.find("OTIO_SCHEMA");
    if (schema == root.end() || !schema->is_string()) {
        fail("not an OTIO timeline (no \"OTIO_SCHEMA\": \"Timeline.1\")");
    }
    const auto [family, version] = otio::splitSchema(schema->get<std::string>());
    if (family != "Timeline" || version < 1 || version > 2) {
        fail("not an OTIO timeline (its schema is " + otio::quoted(schema->get<std::string>()) +
             ")");
    }
    const Json* mine = otio::ours(root);
    const otio::Clock clock(otio::timelineMode(root, mine, warnings));

    int64_t start = 0;
    if (const Json* global = otio::field(root, "global_start_time")) {
        start = clock.frames(*global, "global_start_time");
    }
    const Json* tracks = otio::field(root, "tracks");
    if (tracks == nullptr) fail("missing tracks");
    const std::string stackSchema = otio::schemaOf(*tracks, "tracks");
    if (otio::splitSchema(stackSchema) != std::make_pair(std::string("Stack"), 1L)) {
        otio::unknownSchema(stackSchema, "tracks");
    }
    const std::vector<otio::Track> flat = otio::readTracks(*tracks, start, clock, warnings);
    std::vector<EventRow> events = otio::buildEvents(flat, clock.mode(), warnings);
    // An empty list would pass for a converted timeline; a timeline we can place nothing of
    // (its clips in tracks of a kind we do not read, say) must not.
    if (events.empty()) fail("no clips in the timeline");

    fillListRecord(root, mine, clock.mode(), out.list);
    out.path = name;
    out.interchange = true;
    out.events = std::move(events);
}

std::string lineAndColumn(const std::string& text, size_t byte) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::string readOtioText(const std::string& text, const std::string& name, ListData& out,
                         std::vector<std::string>& warnings) {
    out.path = name;
    out.interchange = true;
    out.events.clear();
    if (nestedTooDeep(text)) return "not an OTIO timeline: JSON nested deeper than 64 levels";
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error& error) {
        return "not JSON (syntax error at " + lineAndColumn(text, error.byte) + ")";
    } catch (const Json::exception&) {
        // Valid JSON this reader cannot hold: a number beyond the range of a double.
        return "not JSON this tool can read (a number out of range)";
    }
    std::vector<std::string> found;
    try {
        readTimeline(root, name, out, found);
    } catch (const otio::Failure& failure) {
        out.events.clear();
        return failure.reason;
    } catch (const Json::exception& error) {
        out.events.clear();
        return std::string("not a readable OTIO timeline (") + error.what() + ")";
    }
    warnings.insert(warnings.end(), found.begin(), found.end());
    return std::string();
}

std::string readOtio(const std::string& path, ListData& out, std::vector<std::string>& warnings) {
    out.path = path;
    out.events.clear();
    const platform::FileStatus status = platform::fileStatus(path);
    switch (status.kind) {
        case platform::FileKind::Missing: return "cannot open: " + errorText(status.error);
        case platform::FileKind::Directory: return "cannot open: is a directory";
        case platform::FileKind::Stream:
        case platform::FileKind::Other: return "cannot open: not a regular file";
        case platform::FileKind::Regular: break;
    }
    if (status.size > kMaxFileSize) return "cannot read: larger than 256 MB";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "cannot open: " + errorText(errno);
    std::string text(static_cast<size_t>(status.size), '\0');
    const size_t got = std::fread(&text[0], 1, text.size(), file);
    std::fclose(file);
    text.resize(got);
    return readOtioText(text, path, out, warnings);
}

bool isOtioFile(const std::string& path) {
    const std::string suffix = ".otio";
    if (path.size() >= suffix.size() &&
        strcasecmp(path.c_str() + path.size() - suffix.size(), suffix.c_str()) == 0) {
        return true;
    }
    if (platform::fileStatus(path).kind != platform::FileKind::Regular) return false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    // The key is looked for in the first 64 KB; OTIO writes it first in every object.
    std::string head(65536, '\0');
    head.resize(std::fread(&head[0], 1, head.size(), file));
    std::fclose(file);
    size_t first = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    first = head.find_first_not_of(" \t\r\n", first);
    return first != std::string::npos && head[first] == '{' &&
           head.find("\"OTIO_SCHEMA\"") != std::string::npos;
}

}  // namespace edlbtool
