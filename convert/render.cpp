#include "render.h"

#include "display_width.h"
#include "json_writer.h"
#include "list_type_names.h"
#include "timecode_text.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace edlbtool {
namespace {

using Json = nlohmann::ordered_json;

std::string number(uint64_t value) { return std::to_string(value); }

template <typename Integer>
void appendNumber(std::string& out, Integer value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, static_cast<size_t>(end - text));
}

void appendTimecode(std::string& out, uint32_t frames, unsigned mode) {
    char text[16];
    out.append(text, timecodeChars(frames, mode, text));
}

// A cell of a row reused from one event to the next: its text replaced, its room kept.
std::string& cell(Row& row, size_t& at) {
    if (row.size() <= at) row.emplace_back();
    std::string& text = row[at++];
    text.clear();
    return text;
}

struct Timecodes {
    const char* key;
    uint32_t EventRow::*field;
};
const Timecodes kTimecodes[] = {
    {"src_in", &EventRow::srcIn},   {"src_out", &EventRow::srcOut},
    {"rec_in", &EventRow::recIn},   {"rec_out", &EventRow::recOut},
    {"mark_in", &EventRow::markIn}, {"mark_out", &EventRow::markOut},
};

// Lists are not always UTF-8: bytes that are no UTF-8 become U+FFFD instead of failing.
std::string dumpJson(const Json& value) {
    return value.dump(2, ' ', false, Json::error_handler_t::replace);
}

// A JSON text indented by spaces more, for a value nested that deep.
std::string indented(const std::string& text, size_t spaces) {
    const std::string pad(spaces, ' ');
    std::string out = pad;
    for (char c : text) {
        out += c;
        if (c == '\n') out += pad;
    }
    return out;
}

Json listObject(const ListInfo& info) {
    const unsigned mode = info.list.dwTcMode;
    const TypeName* type = typeByValue(info.list.dwListType);
    Json list;
    list["file"] = info.path;
    list["list_type"] = info.list.dwListType;
    list["list_type_name"] = type != nullptr ? type->shortName : "unknown";
    list["title"] = fixedText(info.list.szTitle, sizeof info.list.szTitle);
    list["timecode_mode"] = mode & 0xFFu;
    list["timecode_mode_name"] = modeInfo(mode).name;
    return list;
}

}  // namespace

Row tableHeaderRow() {
    Row header = {"EDIT", "REEL", "TRACKS", "TYPE", "WIPE", "LEN"};
    for (const Timecodes& timecode : kTimecodes) {
        std::string key = timecode.key;
        for (char& c : key) c = c == '_' ? ' ' : static_cast<char>(c - 32 * (c >= 'a' && c <= 'z'));
        header.push_back(key);
        header.push_back("FRAMES");
    }
    for (const char* tail : {"AUDIO OFFSET", "CLIP NAME", "NAME", "COMMENT"}) header.push_back(tail);
    return header;
}

void tableEventRow(const ListInfo& info, const EventRow& event, Row& row) {
    const unsigned mode = info.list.dwTcMode;
    size_t at = 0;
    appendNumber(cell(row, at), event.editNumber);
    appendEscaped(cell(row, at), event.reel);
    appendTrackText(cell(row, at), event.videoTracks, event.audioTracks);
    if (event.editType != '\0') appendEscaped(cell(row, at), std::string(1, event.editType));
    else cell(row, at);
    appendNumber(cell(row, at), static_cast<int32_t>(event.wipeCode));
    appendNumber(cell(row, at), static_cast<int32_t>(event.effectLength));
    for (const Timecodes& timecode : kTimecodes) {
        appendTimecode(cell(row, at), event.*timecode.field, mode);
        appendNumber(cell(row, at), event.*timecode.field);
    }
    appendNumber(cell(row, at), event.audioOffset);
    appendEscaped(cell(row, at), clipNameOf(info, event));
    appendEscaped(cell(row, at), event.name);
    appendEscaped(cell(row, at), event.comment);
    row.resize(at);
    // An empty cell would shift the eye to the next column.
    for (std::string& text : row) {
        if (text.empty()) text = "-";
    }
}

void appendTrackText(std::string& out, uint32_t video, uint32_t audio) {
    const size_t start = out.size();
    // Runs of three or more tracks are written as ranges: the readers default to every
    // audio track, and thirty-two names would bury the rest of the row.
    auto add = [&out, start](char kind, uint32_t mask) {
        unsigned bit = 0;
        while (bit < 32) {
            if ((mask & (1u << bit)) == 0) {
                ++bit;
                continue;
            }
            unsigned last = bit;
            while (last + 1 < 32 && (mask & (1u << (last + 1))) != 0) ++last;
            if (out.size() != start) out += ' ';
            out += kind;
            appendNumber(out, bit + 1);
            if (last != bit) {
                out += last - bit >= 2 ? '-' : ' ';
                out += kind;
                appendNumber(out, last + 1);
            }
            bit = last + 1;
        }
    };
    add('V', video);
    add('A', audio);
}

std::string trackText(uint32_t video, uint32_t audio) {
    std::string out;
    appendTrackText(out, video, audio);
    return out;
}

void appendEscaped(std::string& out, const std::string& text) {
    for (unsigned char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\\': out += "\\\\"; break;
            default:
                if (c < 32 || c == 127) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
}

std::string escapeControls(const std::string& text) {
    std::string out;
    appendEscaped(out, text);
    return out;
}

void appendCsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string csvField(const std::string& text) {
    std::string out;
    appendCsvField(out, text);
    return out;
}

std::string typeLabel(uint32_t value) {
    const TypeName* row = typeByValue(value);
    return number(value) + " " + (row != nullptr ? row->shortName : "unknown");
}

std::string modeLabel(uint32_t mode) {
    const ModeInfo& info = modeInfo(mode);
    char text[96];
    std::snprintf(text, sizeof text, "0x%02X %s (%s)", mode & 0xFFu, info.name,
                  info.description);
    return text;
}

std::string fixedText(const char* text, size_t size) {
    size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    return std::string(text, length);
}

std::string renderColumns(const std::vector<Row>& rows) {
    std::vector<size_t> widths;
    for (const Row& row : rows) widenColumns(widths, row);
    std::string out;
    for (const Row& row : rows) appendTableLine(out, row, widths);
    return out;
}

// Columns are as wide as their widest cell shows on a terminal (displayWidth), not as its
// bytes count; a cell of ASCII alone shows as many columns as it has bytes.
size_t cellWidth(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return displayWidth(text);
    }
    return text.size();
}

void widenColumns(std::vector<size_t>& widths, const Row& row) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t i = 0; i < row.size(); ++i) {
        const size_t width = cellWidth(row[i]);
        if (width > widths[i]) widths[i] = width;
    }
}

void appendTableCell(std::string& out, std::string_view cell, size_t width, size_t column,
                     bool last) {
    out += cell;
    if (!last) out.append((column > width ? column : width) - width + 2, ' ');
}

void appendTableLine(std::string& out, const Row& row, const std::vector<size_t>& widths) {
    for (size_t i = 0; i < row.size(); ++i) {
        appendTableCell(out, row[i], cellWidth(row[i]), i < widths.size() ? widths[i] : 0,
                        i + 1 == row.size());
    }
    out += '\n';
}

std::string renderTypes() {
    size_t count = 0;
    const TypeName* rows = typeNames(&count);
    std::vector<Row> table;
    table.push_back({"VALUE", "NAME", "EXT", "ALT", "DETECTED", "WRITES", "HEADER", "EVENTS",
                     "DESCRIPTION"});
    for (size_t i = 0; i < count; ++i) {
        const TypeName& row = rows[i];
        std::string alternative = alternativeExtension(row.value);
        table.push_back({number(row.value), row.shortName, defaultExtension(row.value),
                         alternative.empty() ? "-" : alternative, row.detectable ? "yes" : "no",
                         convertWrites(row) ? "yes" : "no", row.headerForm, row.eventForm,
                         row.description});
    }
    return renderColumns(table);
}

namespace {

// The lines that name a list in the detect report and over the dump table.
std::string listLines(const ListInfo& info) {
    return "file: " + escapeControls(info.path) + "\n" +
           "type: " + typeLabel(info.list.dwListType) + "\n" +
           "title: " + escapeControls(fixedText(info.list.szTitle, sizeof info.list.szTitle)) +
           "\n" + "timecode mode: " + modeLabel(info.list.dwTcMode) + "\n";
}

// The counting rate and where it comes from; an assumed rate says what the frame numbers
// leave open and how to give the rate.
std::string rateLine(const ListInfo& info) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g", info.list.dwFrameRate / 100.0);
    const std::string source = rateSource(info);
    std::string out = "rate: " + std::string(rate) + " fps (" +
                      (source == "given" ? "given" : source == "list" ? "read from the list" : "assumed") +
                      ")\n";
    if (source == "assumed" && info.highestFrame < 25) {
        out += info.highestFrame < 24
                   ? "  frame numbers never pass " + number(info.highestFrame) +
                         ": a list counted at 24 or 25 fps needs --rate 24 or --rate 25\n"
                   : "  frame numbers never pass 24: a list counted at 25 fps needs --rate 25\n";
    }
    return out;
}

}  // namespace

std::string renderDetect(const ListInfo& info, size_t count) {
    std::string out = listLines(info);
    const std::string columns = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    if (!columns.empty()) out += "column line: " + escapeControls(columns) + "\n";
    out += "events: " + number(count) + "\n";
    if (info.interchange) out += rateLine(info);
    return out;
}

std::string renderDetect(const ListData& data) { return renderDetect(data, data.events.size()); }

std::string renderDetectJson(const ListInfo& info, size_t count) {
    Json list = listObject(info);
    if (info.interchange) {
        list["frame_rate"] = info.list.dwFrameRate / 100.0;
        list["rate_source"] = rateSource(info);
    }
    list["column_line"] = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    list["events"] = count;
    return indented(dumpJson(list), 2);
}

std::string jsonDumpHead(const ListInfo& info) {
    Json list = listObject(info);
    if (info.interchange) {
        list["frame_rate"] = info.list.dwFrameRate / 100.0;
        list["rate_source"] = rateSource(info);
    }
    list["column_line"] = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    // The object without its closing brace: the events follow as its last member.
    std::string text = dumpJson(list);
    text.erase(text.size() - 2);
    return text + ",\n  \"events\": [";
}

void jsonDumpEvent(std::string& out, const ListInfo& info, const EventRow& event, bool first) {
    const unsigned mode = info.list.dwTcMode;
    out += first ? "\n    " : ",\n    ";
    JsonWriter json(out, 4);
    json.beginObject();
    json.member("edit", event.editNumber);
    json.member("reel", event.reel);
    json.key("tracks");
    std::string text;
    appendTrackText(text, event.videoTracks, event.audioTracks);
    json.value(text);
    json.member("video_tracks", event.videoTracks);
    json.member("audio_tracks", event.audioTracks);
    json.key("edit_type");
    text.clear();
    if (event.editType != '\0') appendEscaped(text, std::string(1, event.editType));
    json.value(text);
    json.member("wipe_code", static_cast<int32_t>(event.wipeCode));
    json.member("effect_length", static_cast<int32_t>(event.effectLength));
    for (const Timecodes& timecode : kTimecodes) {
        json.key(timecode.key, std::strlen(timecode.key));
        json.beginObject();
        json.key("timecode");
        char label[16];
        json.value(label, timecodeChars(event.*timecode.field, mode, label));
        json.member("frames", event.*timecode.field);
        json.endObject();
    }
    json.member("audio_offset", event.audioOffset);
    json.member("clip_name", clipNameOf(info, event));
    json.member("name", event.name);
    json.member("comment", event.comment);
    if (info.interchange) {
        json.key("source_file");
        if ((event.present & EDL_P_FILE_NAME) != 0 && !event.name.empty()) {
            json.value(event.name);
        } else {
            json.null();
        }
        json.key("notes");
        json.beginArray();
        forEachNoteLine(event, [&json](const char* line, size_t length) { json.value(line, length); });
        json.endArray();
        json.member("raw_line", event.line);
    }
    json.endObject();
}

std::string jsonDumpTail(size_t count) { return count == 0 ? "]\n}\n" : "\n  ]\n}\n"; }

std::string csvDumpHead() {
    std::string out = "edit,reel,tracks,edit_type,wipe_code,effect_length";
    for (const Timecodes& timecode : kTimecodes) {
        out += std::string(",") + timecode.key + "," + timecode.key + "_frames";
    }
    return out + ",audio_offset,clip_name,name,comment\n";
}

void csvDumpRow(std::string& out, const ListInfo& info, const EventRow& event) {
    const unsigned mode = info.list.dwTcMode;
    appendNumber(out, event.editNumber);
    out += ',';
    appendCsvField(out, event.reel);
    out += ',';
    appendTrackText(out, event.videoTracks, event.audioTracks);
    out += ',';
    if (event.editType != '\0') appendCsvField(out, std::string(1, event.editType));
    out += ',';
    appendNumber(out, static_cast<int32_t>(event.wipeCode));
    out += ',';
    appendNumber(out, static_cast<int32_t>(event.effectLength));
    for (const Timecodes& timecode : kTimecodes) {
        out += ',';
        appendTimecode(out, event.*timecode.field, mode);
        out += ',';
        appendNumber(out, event.*timecode.field);
    }
    out += ',';
    appendNumber(out, event.audioOffset);
    out += ',';
    appendCsvField(out, clipNameOf(info, event));
    out += ',';
    appendCsvField(out, event.name);
    out += ',';
    appendCsvField(out, event.comment);
    out += '\n';
}

std::string tableHead(const ListInfo& info, size_t count) {
    return listLines(info) + "events: " + number(count) + "\n\n";
}

std::string renderDump(const ListData& data, DumpFormat format) {
    std::string out;
    switch (format) {
        case DumpFormat::Json:
            out = jsonDumpHead(data);
            for (size_t i = 0; i < data.events.size(); ++i) {
                jsonDumpEvent(out, data, data.events[i], i == 0);
            }
            return out + jsonDumpTail(data.events.size());
        case DumpFormat::Csv:
            out = csvDumpHead();
            for (const EventRow& event : data.events) csvDumpRow(out, data, event);
            return out;
        case DumpFormat::Table: break;
    }
    std::vector<Row> rows{tableHeaderRow()};
    for (const EventRow& event : data.events) {
        rows.emplace_back();
        tableEventRow(data, event, rows.back());
    }
    return tableHead(data, data.events.size()) + renderColumns(rows);
}

}  // namespace edlbtool
