#include "render.h"

#include "display_width.h"
#include "list_type_names.h"
#include "timecode_text.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <vector>

namespace edlbtool {
namespace {

using Json = nlohmann::ordered_json;

std::string number(uint64_t value) { return std::to_string(value); }

// Wipe code and effect length are printed as the writers print them, as signed numbers.
std::string signedText(uint32_t value) { return std::to_string(static_cast<int32_t>(value)); }

std::string editTypeText(char editType) {
    if (editType == '\0') return "";
    return escapeControls(std::string(1, editType));
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

Row tableEventRow(const ListInfo& info, const EventRow& event) {
    const unsigned mode = info.list.dwTcMode;
    Row row = {number(event.editNumber), escapeControls(event.reel),
               trackText(event.videoTracks, event.audioTracks), editTypeText(event.editType),
               signedText(event.wipeCode), signedText(event.effectLength)};
    for (const Timecodes& timecode : kTimecodes) {
        row.push_back(timecodeText(event.*timecode.field, mode));
        row.push_back(number(event.*timecode.field));
    }
    row.push_back(std::to_string(event.audioOffset));
    row.push_back(escapeControls(clipNameOf(info, event)));
    row.push_back(escapeControls(event.name));
    row.push_back(escapeControls(event.comment));
    // An empty cell would shift the eye to the next column.
    for (std::string& cell : row) {
        if (cell.empty()) cell = "-";
    }
    return row;
}

std::string trackText(uint32_t video, uint32_t audio) {
    std::string out;
    // Runs of three or more tracks are written as ranges: the readers default to every
    // audio track, and thirty-two names would bury the rest of the row.
    auto add = [&out](char kind, uint32_t mask) {
        unsigned bit = 0;
        while (bit < 32) {
            if ((mask & (1u << bit)) == 0) {
                ++bit;
                continue;
            }
            unsigned last = bit;
            while (last + 1 < 32 && (mask & (1u << (last + 1))) != 0) ++last;
            const std::string first = kind + std::to_string(bit + 1);
            if (!out.empty()) out += ' ';
            if (last - bit >= 2) {
                out += first + "-" + kind + std::to_string(last + 1);
            } else {
                out += first;
                if (last != bit) out += std::string(" ") + kind + std::to_string(last + 1);
            }
            bit = last + 1;
        }
    };
    add('V', video);
    add('A', audio);
    return out;
}

std::string escapeControls(const std::string& text) {
    std::string out;
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
    return out;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
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
    for (const Row& row : rows) out += tableLine(row, widths);
    return out;
}

// Columns are as wide as their widest cell shows on a terminal (displayWidth), not as its
// bytes count.
void widenColumns(std::vector<size_t>& widths, const Row& row) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t i = 0; i < row.size(); ++i) {
        const size_t width = displayWidth(row[i]);
        if (width > widths[i]) widths[i] = width;
    }
}

std::string tableLine(const Row& row, const std::vector<size_t>& widths) {
    std::string out;
    for (size_t i = 0; i < row.size(); ++i) {
        out += row[i];
        if (i + 1 < row.size()) {
            const size_t shown = displayWidth(row[i]);
            const size_t width = i < widths.size() && widths[i] > shown ? widths[i] : shown;
            out += std::string(width - shown + 2, ' ');
        }
    }
    return out + '\n';
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

}  // namespace

std::string renderDetect(const ListInfo& info, size_t count) {
    std::string out = listLines(info);
    const std::string columns = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    if (!columns.empty()) out += "column line: " + escapeControls(columns) + "\n";
    out += "events: " + number(count) + "\n";
    return out;
}

std::string renderDetect(const ListData& data) { return renderDetect(data, data.events.size()); }

std::string renderDetectJson(const ListInfo& info, size_t count) {
    Json list = listObject(info);
    list["column_line"] = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    list["events"] = count;
    return indented(dumpJson(list), 2);
}

std::string jsonDumpHead(const ListInfo& info) {
    Json list = listObject(info);
    if (info.interchange) list["frame_rate"] = info.list.dwFrameRate / 100.0;
    list["column_line"] = fixedText(info.list.szColumnLine, sizeof info.list.szColumnLine);
    // The object without its closing brace: the events follow as its last member.
    std::string text = dumpJson(list);
    text.erase(text.size() - 2);
    return text + ",\n  \"events\": [";
}

std::string jsonDumpEvent(const ListInfo& info, const EventRow& event, bool first) {
    const unsigned mode = info.list.dwTcMode;
    Json item;
    item["edit"] = event.editNumber;
    item["reel"] = event.reel;
    item["tracks"] = trackText(event.videoTracks, event.audioTracks);
    item["video_tracks"] = event.videoTracks;
    item["audio_tracks"] = event.audioTracks;
    item["edit_type"] = editTypeText(event.editType);
    item["wipe_code"] = static_cast<int32_t>(event.wipeCode);
    item["effect_length"] = static_cast<int32_t>(event.effectLength);
    for (const Timecodes& timecode : kTimecodes) {
        item[timecode.key] = {{"timecode", timecodeText(event.*timecode.field, mode)},
                              {"frames", event.*timecode.field}};
    }
    item["audio_offset"] = event.audioOffset;
    item["clip_name"] = clipNameOf(info, event);
    item["name"] = event.name;
    item["comment"] = event.comment;
    if (info.interchange) {
        const std::string file = sourceFile(event);
        item["source_file"] = file.empty() ? Json(nullptr) : Json(file);
        item["notes"] = noteLines(event);
        item["raw_line"] = event.line;
    }
    return (first ? "\n" : ",\n") + indented(dumpJson(item), 4);
}

std::string jsonDumpTail(size_t count) { return count == 0 ? "]\n}\n" : "\n  ]\n}\n"; }

std::string csvDumpHead() {
    std::string out = "edit,reel,tracks,edit_type,wipe_code,effect_length";
    for (const Timecodes& timecode : kTimecodes) {
        out += std::string(",") + timecode.key + "," + timecode.key + "_frames";
    }
    return out + ",audio_offset,clip_name,name,comment\n";
}

std::string csvDumpRow(const ListInfo& info, const EventRow& event) {
    const unsigned mode = info.list.dwTcMode;
    Row row = {number(event.editNumber), event.reel,
               trackText(event.videoTracks, event.audioTracks),
               event.editType != '\0' ? std::string(1, event.editType) : std::string(),
               signedText(event.wipeCode), signedText(event.effectLength)};
    for (const Timecodes& timecode : kTimecodes) {
        row.push_back(timecodeText(event.*timecode.field, mode));
        row.push_back(number(event.*timecode.field));
    }
    row.push_back(std::to_string(event.audioOffset));
    row.push_back(clipNameOf(info, event));
    row.push_back(event.name);
    row.push_back(event.comment);
    std::string out;
    for (size_t i = 0; i < row.size(); ++i) out += (i ? "," : "") + csvField(row[i]);
    return out + '\n';
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
                out += jsonDumpEvent(data, data.events[i], i == 0);
            }
            return out + jsonDumpTail(data.events.size());
        case DumpFormat::Csv:
            out = csvDumpHead();
            for (const EventRow& event : data.events) out += csvDumpRow(data, event);
            return out;
        case DumpFormat::Table: break;
    }
    std::vector<Row> rows{tableHeaderRow()};
    for (const EventRow& event : data.events) rows.push_back(tableEventRow(data, event));
    return tableHead(data, data.events.size()) + renderColumns(rows);
}

}  // namespace edlbtool
