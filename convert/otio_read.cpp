// An OpenTimelineIO timeline as events. The timeline is read as a stream
// (otio_read_stream.cpp), each track flattened into pieces placed in record time
// (otio_read_tracks.cpp), then the pieces of one event on several tracks are joined into one
// event (otio_read_events.cpp). This file reads the JSON values of items and their times, and
// knows a timeline by its name or its first bytes.
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

const Value& requireObject(const Value& value, const Where& path) {
    if (!value.is_object()) fail("not an object at " + path.text());
    return value;
}

std::string schemaOf(const Value& object, const Where& path) {
    requireObject(object, path);
    const Value* schema = object.find("OTIO_SCHEMA");
    if (schema == nullptr || !schema->is_string()) fail("missing OTIO_SCHEMA at " + path.text());
    return schema->string();
}

void unknownSchema(const std::string& schema, const std::string& path) {
    fail("unknown OTIO schema " + quoted(schema) + " at " + path);
}

const Value* field(const Value& object, const char* key) {
    const Value* value = object.find(key);
    return value == nullptr || value->is_null() ? nullptr : value;
}

const Value* listField(const Value& object, const char* key, const Where& path) {
    const Value* value = field(object, key);
    if (value != nullptr && !value->is_array()) {
        fail(std::string(key) + " is not a list at " + path.text());
    }
    return value;
}

std::string entryPath(const std::string& path, const char* key, size_t index) {
    return path + "." + key + "[" + std::to_string(index) + "]";
}

std::string text(const Value& object, const char* key, const Where& path) {
    const Value* value = field(object, key);
    if (value == nullptr) return std::string();
    if (!value->is_string()) fail(std::string(key) + " is not a text at " + path.text());
    return value->string();
}

double number(const Value& object, const char* key, const Where& path) {
    const Value* value = field(object, key);
    if (value == nullptr) fail("missing " + std::string(key) + " at " + path.text());
    if (!value->is_number()) fail(std::string(key) + " is not a number at " + path.text());
    return value->number();
}

bool enabled(const Value& item) {
    const Value* value = field(item, "enabled");
    return value == nullptr || !value->is_boolean() || value->boolean();
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

// A time or a range: an object whose schema, when it names one, is the one expected.
void expectObject(const Value& object, const char* expected, const Where& path) {
    if (!object.is_object()) fail("not an object at " + path.text());
    const Value* schema = field(object, "OTIO_SCHEMA");
    if (schema != nullptr && !(schema->is_string() && schema->equals(expected))) {
        unknownSchema(schema->is_string() ? schema->string() : "?", path.text());
    }
}

double numberAt(const Value& object, const char* key, const Where& path) {
    const Value* value = field(object, key);
    if (value == nullptr || !value->is_number()) return number(object, key, path);
    return value->number();
}

}  // namespace

int64_t Clock::frames(const Value& time, const Where& path) const {
    expectObject(time, "RationalTime.1", path);
    const double rate = numberAt(time, "rate", path);
    const double value = numberAt(time, "value", path);
    if (!(rate > 0)) fail("rate is zero or negative at " + path.text());
    const double fps = modeInfo(mode_).fps;
    const double nominal = nominalRate(rate);
    const double count = nominal == fps ? value : value * fps / nominal;
    if (!std::isfinite(count) || std::fabs(count) > 4.0 * kMaxFrames)
        fail("time out of range at " + path.text());
    return static_cast<int64_t>(std::llround(count));
}

bool Clock::range(const Value& object, const char* key, const Where& path, Range& out) const {
    const Value* value = field(object, key);
    if (value == nullptr) return false;
    const Where where(path, key);
    expectObject(*value, "TimeRange.1", where);
    const Value* start = field(*value, "start_time");
    const Value* duration = field(*value, "duration");
    if (start == nullptr) fail("missing start_time at " + where.text());
    if (duration == nullptr) fail("missing duration at " + where.text());
    out.start = frames(*start, Where(where, "start_time"));
    out.duration = frames(*duration, Where(where, "duration"));
    if (out.duration < 0) fail("negative duration at " + where.text());
    return true;
}

Range Clock::requiredRange(const Value& object, const std::string& path) const {
    Range r;
    if (!range(object, "source_range", path, r)) fail("missing source_range at " + path);
    return r;
}

}  // namespace otio

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
