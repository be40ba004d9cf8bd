#include "cdl.h"

#include "json_out.h"
#include "notes.h"
#include "platform.h"
#include "text_rows.h"
#include "timeline.h"

#include <nlohmann/json.hpp>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace edlbtool {
namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char kNamespace[] = "urn:ASC:CDL:v1.01";
constexpr const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

// A decimal number as lists write them: a sign, digits with at most one point, an exponent.
bool isNumber(const std::string& text) {
    if (text.empty() || text.size() > 64) return false;
    const char* start = text.c_str();
    char* end = nullptr;
    std::strtod(start, &end);
    if (end != start + text.size()) return false;
    // strtod also takes "inf", "nan" and hexadecimal numbers, which no grade holds.
    return text.find_first_not_of("0123456789+-.eE") == std::string::npos;
}

// Numbers separated by blanks, as many as fit into count; false unless exactly count.
bool readNumbers(const std::string& text, std::string* out, size_t count) {
    size_t at = 0, found = 0;
    for (;;) {
        const std::string word = nextWord(text, at);
        if (word.empty()) return found == count;
        if (found == count || !isNumber(word)) return false;
        out[found++] = word;
    }
}

// The text after keyword at the start of note, and the blanks or ':' after it.
bool afterKeyword(const std::string& note, const char* keyword, std::string& rest) {
    if (!beginsNoCase(note, keyword)) return false;
    size_t at = std::strlen(keyword);
    if (at < note.size() && note[at] != '(' && note[at] != ':' && !isBlankChar(note[at])) return false;
    if (at < note.size() && note[at] == ':') ++at;
    rest = trimmed(note.substr(at));
    return true;
}

std::string joined(const std::string (&values)[3]) {
    return values[0] + " " + values[1] + " " + values[2];
}

// The ColorCorrection element at indent, with the namespace when it stands alone.
std::string correction(const GradedShot& shot, const std::string& indent, bool withNamespace) {
    const std::string in = indent + "    ";
    std::string text = indent + "<ColorCorrection id=\"" + xmlText(shot.id) + "\"" +
                       (withNamespace ? std::string(" xmlns=\"") + kNamespace + "\"" : "") + ">\n";
    if (shot.cdl.hasSop) {
        text += in + "<SOPNode>\n";
        text += in + "    <Slope>" + joined(shot.cdl.slope) + "</Slope>\n";
        text += in + "    <Offset>" + joined(shot.cdl.offset) + "</Offset>\n";
        text += in + "    <Power>" + joined(shot.cdl.power) + "</Power>\n";
        text += in + "</SOPNode>\n";
    }
    if (shot.cdl.hasSat) {
        text += in + "<SatNode>\n" + in + "    <Saturation>" + shot.cdl.saturation +
                "</Saturation>\n" + in + "</SatNode>\n";
    }
    return text + indent + "</ColorCorrection>\n";
}

// A file name for an id: characters no file system takes in a name become '_'.
std::string fileNameOf(const std::string& id) {
    std::string name = id;
    for (char& c : name) {
        if (std::strchr("/\\:*?\"<>|", c) != nullptr || static_cast<unsigned char>(c) < 32) c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = "_" + name;
    return name;
}

std::string pathIn(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return std::strchr(kDirectoryEnds, dir.back()) != nullptr ? dir + name : dir + "/" + name;
}

// A JSON number for a value kept as text; JSON has no "1." or ".5", so those are read.
OrderedJson numberOf(const std::string& text) {
    const OrderedJson parsed = OrderedJson::parse(text, nullptr, false);
    if (!parsed.is_discarded() && parsed.is_number()) return parsed;
    return std::strtod(text.c_str(), nullptr);
}

OrderedJson triple(const std::string (&values)[3]) {
    return OrderedJson::array({numberOf(values[0]), numberOf(values[1]), numberOf(values[2])});
}

// A JSON number back as text: an integer as it stands, else the shortest text that reads
// back as the same double.
template <typename JsonValue>
bool textOfNumber(const JsonValue& value, std::string& out) {
    if (!value.is_number()) return false;
    out = value.dump();
    return isNumber(out);
}

template <typename JsonValue>
bool readTriple(const JsonValue& object, const char* key, std::string (&out)[3]) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array() || found->size() != 3) return false;
    for (size_t i = 0; i < 3; ++i) {
        if (!textOfNumber((*found)[i], out[i])) return false;
    }
    return true;
}

}  // namespace

bool parseSop(const std::string& text, Cdl& out) {
    std::string groups[3];
    size_t at = 0;
    for (std::string& group : groups) {
        while (at < text.size() && isBlankChar(text[at])) ++at;
        if (at >= text.size() || text[at] != '(') return false;
        const size_t close = text.find(')', at);
        if (close == std::string::npos) return false;
        group = text.substr(at + 1, close - at - 1);
        at = close + 1;
    }
    if (!trimmed(text.substr(at)).empty()) return false;
    Cdl read = out;
    if (!readNumbers(groups[0], read.slope, 3) || !readNumbers(groups[1], read.offset, 3) ||
        !readNumbers(groups[2], read.power, 3)) {
        return false;
    }
    read.hasSop = true;
    out = read;
    return true;
}

bool parseSat(const std::string& text, Cdl& out) {
    const std::string value = trimmed(text);
    if (!isNumber(value)) return false;
    out.saturation = value;
    out.hasSat = true;
    return true;
}

// The list's column names: tab-separated, else comma-separated.
std::vector<std::string> columnNames(const ListInfo& info, bool& tabs) {
    const std::string columns(info.list.szColumnLine,
                              strnlen(info.list.szColumnLine, sizeof info.list.szColumnLine));
    tabs = columns.find('\t') != std::string::npos;
    if (tabs) return splitFields(columns, '\t');
    const std::vector<std::vector<std::string>> rows = csvRows(columns, false);
    return rows.empty() ? std::vector<std::string>() : rows[0];
}

bool cdlOfEvent(const ListInfo& info, const EventRow& event, Cdl& out) {
    bool tabs = false;
    const std::vector<std::string> names = columnNames(info, tabs);
    std::vector<std::string> cells;
    // A log keeps its cells in the event's line, under the list's column line.
    if (!names.empty() && !event.line.empty()) {
        const std::vector<std::vector<std::string>> rows = csvRows(event.line, false);
        cells = tabs ? splitFields(event.line, '\t') : rows.empty() ? cells : rows[0];
    }
    return cdlOfEvent(info, event, cells, out);
}

bool cdlOfEvent(const ListInfo& info, const EventRow& event, const std::vector<std::string>& cells,
                Cdl& out) {
    out = Cdl();
    for (const std::string& line : noteLines(event)) {
        const std::string note = trimmed(line);
        std::string rest;
        if (afterKeyword(note, "ASC_SOP", rest)) {
            parseSop(rest, out);
        } else if (afterKeyword(note, "ASC_SAT", rest)) {
            parseSat(rest, out);
        }
    }
    bool tabs = false;
    const std::vector<std::string> names = columnNames(info, tabs);
    for (size_t i = 0; i < names.size() && i < cells.size(); ++i) {
        const std::string name = trimmed(names[i]);
        if (strcasecmp(name.c_str(), "ASC_SOP") == 0) parseSop(cells[i], out);
        if (strcasecmp(name.c_str(), "ASC_SAT") == 0) parseSat(cells[i], out);
    }
    return out.hasSop || out.hasSat;
}

std::vector<std::vector<std::string>> csvLogCells(const std::string& path, const ListData& data) {
    std::vector<std::vector<std::string>> cells;
    if (data.list.dwListType != EDLTYPE_CSV || path == "-") return cells;
    bool tabs = false;
    const std::vector<std::string> names = columnNames(data, tabs);
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr || names.empty()) {
        if (in != nullptr) std::fclose(in);
        return cells;
    }
    std::string text;
    char buffer[16384];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, count);
    std::fclose(in);
    // The rows after the header are the events, one each.
    std::vector<std::vector<std::string>> rows = csvRows(withoutByteOrderMark(text), false);
    size_t header = 0;
    while (header < rows.size() && rows[header] != names) ++header;
    if (header >= rows.size() || rows.size() - header - 1 != data.events.size()) return cells;
    cells.assign(rows.begin() + static_cast<long>(header) + 1, rows.end());
    return cells;
}

bool isCdlNote(const std::string& note) {
    Cdl cdl;
    std::string rest;
    const std::string text = trimmed(note);
    return (afterKeyword(text, "ASC_SOP", rest) && parseSop(rest, cdl)) ||
           (afterKeyword(text, "ASC_SAT", rest) && parseSat(rest, cdl));
}

// Whether text holds "ASC_S" in any case: a note without it is no grade, and the notes of
// nearly every event are passed over at this cost.
static bool mayHoldGrade(const std::string& text) {
    for (size_t at = text.find('_', 3); at != std::string::npos && at + 1 < text.size();
         at = text.find('_', at + 1)) {
        if ((text[at + 1] | 0x20) == 's' && (text[at - 3] | 0x20) == 'a' &&
            (text[at - 2] | 0x20) == 's' && (text[at - 1] | 0x20) == 'c') {
            return true;
        }
    }
    return false;
}

void putCdlNotesInForm(std::string& notes, bool asColumns) {
    if (!mayHoldGrade(notes)) return;
    std::string out;
    bool changed = false;
    size_t start = 0;
    while (start <= notes.size()) {
        size_t end = notes.find('\n', start);
        if (end == std::string::npos) end = notes.size();
        const std::string line = notes.substr(start, end - start);
        std::string note = line;
        const std::string text = trimmed(line);
        Cdl cdl;
        std::string rest;
        for (const bool sop : {true, false}) {
            const char* keyword = sop ? "ASC_SOP" : "ASC_SAT";
            if (!afterKeyword(text, keyword, rest)) continue;
            const bool grade = sop ? parseSop(rest, cdl) : parseSat(rest, cdl);
            const bool columnForm = text.size() > 7 && text[7] == ':';
            // A column note keeps the column's spelling; a CMX note gets the keyword's.
            if (grade && columnForm != asColumns) {
                note = (columnForm ? text.substr(0, 7) : std::string(keyword)) +
                       (asColumns ? ": " : " ") + rest;
            }
        }
        changed = changed || note != line;
        out += note;
        if (end < notes.size()) out += '\n';
        start = end + 1;
    }
    if (changed) notes = out;
}

CdlNames cdlNamesIn(const std::string& text) {
    CdlNames names;
    for (size_t at = text.find('_', 3); at != std::string::npos && at + 3 < text.size();
         at = text.find('_', at + 1)) {
        if (strncasecmp(text.c_str() + at - 3, "ASC", 3) != 0) continue;
        if (strncasecmp(text.c_str() + at + 1, "SOP", 3) == 0) names.sop = true;
        if (strncasecmp(text.c_str() + at + 1, "SAT", 3) == 0) names.sat = true;
    }
    return names;
}

CdlNames cdlNamesInFile(const std::string& path) {
    CdlNames names;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return names;
    // Each piece begins with the last bytes of the one before, so that a keyword cut
    // between two pieces is still found.
    constexpr size_t kPiece = 64 * 1024, kKeep = 6;
    std::string piece;
    std::vector<char> buffer(kPiece);
    size_t count;
    while (!(names.sop && names.sat) && (count = std::fread(buffer.data(), 1, kPiece, in)) > 0) {
        piece.erase(0, piece.size() > kKeep ? piece.size() - kKeep : 0);
        piece.append(buffer.data(), count);
        const CdlNames found = cdlNamesIn(piece);
        names.sop = names.sop || found.sop;
        names.sat = names.sat || found.sat;
    }
    std::fclose(in);
    return names;
}

void writeCdlMetadata(JsonOut& out, const Cdl& cdl) {
    const auto numbers = [&out](const char* key, const std::string (&values)[3]) {
        out.key(key).beginArray();
        for (const std::string& value : values) out.real(std::strtod(value.c_str(), nullptr));
        out.end();
    };
    out.key("cdl").beginObject();
    if (cdl.hasSop) {
        out.key("asc_sop").beginObject();
        numbers("slope", cdl.slope);
        numbers("offset", cdl.offset);
        numbers("power", cdl.power);
        out.end();
    }
    if (cdl.hasSat) out.key("asc_sat").real(std::strtod(cdl.saturation.c_str(), nullptr));
    out.end();
}

std::vector<std::string> cdlNotes(const nlohmann::json& metadata) {
    std::vector<std::string> notes;
    if (!metadata.is_object()) return notes;
    Cdl cdl;
    const auto sop = metadata.find("asc_sop");
    if (sop != metadata.end() && sop->is_object() && readTriple(*sop, "slope", cdl.slope) &&
        readTriple(*sop, "offset", cdl.offset) && readTriple(*sop, "power", cdl.power)) {
        notes.push_back("ASC_SOP (" + joined(cdl.slope) + ")(" + joined(cdl.offset) + ")(" +
                        joined(cdl.power) + ")");
    }
    const auto sat = metadata.find("asc_sat");
    if (sat != metadata.end() && textOfNumber(*sat, cdl.saturation)) {
        notes.push_back("ASC_SAT " + cdl.saturation);
    }
    return notes;
}

bool findCdlId(const std::string& name, CdlId& out) {
    if (name == "clip") out = CdlId::Clip;
    else if (name == "reel") out = CdlId::Reel;
    else if (name == "event") out = CdlId::Event;
    else return false;
    return true;
}

bool findCdlFormat(const std::string& name, CdlFormat& out) {
    if (name == "cdl") out = CdlFormat::Cdl;
    else if (name == "cc") out = CdlFormat::Cc;
    else if (name == "ccc") out = CdlFormat::Ccc;
    else if (name == "json") out = CdlFormat::Json;
    else return false;
    return true;
}

void makeIdsUnique(std::vector<GradedShot>& shots) {
    std::set<std::string> taken;
    for (GradedShot& shot : shots) {
        std::string id = shot.id;
        for (unsigned n = 2; taken.count(id) != 0; ++n) id = shot.id + "_" + std::to_string(n);
        shot.id = id;
        taken.insert(id);
    }
}

std::vector<GradedShot> gradedShots(const ListData& data, CdlId id,
                                    const std::vector<std::vector<std::string>>& cells) {
    std::vector<GradedShot> shots;
    for (size_t i = 0; i < data.events.size(); ++i) {
        const EventRow& event = data.events[i];
        GradedShot shot;
        const bool graded = i < cells.size() ? cdlOfEvent(data, event, cells[i], shot.cdl)
                                             : cdlOfEvent(data, event, shot.cdl);
        if (!graded) continue;
        // Logs number no events: their place in the list stands for the number.
        shot.event = event.editNumber != 0 ? event.editNumber : static_cast<uint32_t>(i + 1);
        shot.clip = clipNameOf(data, event);
        shot.reel = event.reel;
        shot.id = id == CdlId::Clip ? shot.clip : id == CdlId::Reel ? shot.reel : std::string();
        if (trimmed(shot.id).empty()) {
            char number[16];
            std::snprintf(number, sizeof number, "%03u", static_cast<unsigned>(shot.event));
            shot.id = number;
        }
        shots.push_back(shot);
    }
    makeIdsUnique(shots);
    return shots;
}

std::string cdlDocument(const GradedShot& shot, CdlFormat format) {
    if (format == CdlFormat::Cc) return kXmlHead + correction(shot, "", true);
    return std::string(kXmlHead) + "<ColorDecisionList xmlns=\"" + kNamespace + "\">\n" +
           "    <ColorDecision>\n" + correction(shot, "        ", false) +
           "    </ColorDecision>\n</ColorDecisionList>\n";
}

std::string cccDocument(const std::vector<GradedShot>& shots) {
    std::string text = std::string(kXmlHead) + "<ColorCorrectionCollection xmlns=\"" + kNamespace + "\">\n";
    for (const GradedShot& shot : shots) text += correction(shot, "    ", false);
    return text + "</ColorCorrectionCollection>\n";
}

std::string cdlJson(const std::vector<GradedShot>& shots) {
    OrderedJson list = OrderedJson::array();
    for (const GradedShot& shot : shots) {
        OrderedJson entry{{"id", shot.id}, {"event", shot.event}, {"clip", shot.clip},
                          {"reel", shot.reel}};
        if (shot.cdl.hasSop) {
            entry["slope"] = triple(shot.cdl.slope);
            entry["offset"] = triple(shot.cdl.offset);
            entry["power"] = triple(shot.cdl.power);
        }
        if (shot.cdl.hasSat) entry["saturation"] = numberOf(shot.cdl.saturation);
        list.push_back(entry);
    }
    const OrderedJson root{{"corrections", list}};
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

std::string cdlFromJson(const std::string& text, std::vector<GradedShot>& out) {
    out.clear();
    const OrderedJson root = OrderedJson::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return "not a JSON object";
    const auto list = root.find("corrections");
    if (list == root.end() || !list->is_array()) return "no \"corrections\" array";
    for (size_t i = 0; i < list->size(); ++i) {
        const OrderedJson& entry = (*list)[i];
        const std::string where = "correction " + std::to_string(i + 1) + ": ";
        if (!entry.is_object()) return where + "not an object";
        GradedShot shot;
        const auto id = entry.find("id");
        if (id == entry.end() || !id->is_string() || id->get<std::string>().empty()) {
            return where + "no id";
        }
        shot.id = id->get<std::string>();
        const bool sop = entry.contains("slope") || entry.contains("offset") || entry.contains("power");
        if (sop) {
            if (!readTriple(entry, "slope", shot.cdl.slope) ||
                !readTriple(entry, "offset", shot.cdl.offset) ||
                !readTriple(entry, "power", shot.cdl.power)) {
                return where + "slope, offset and power need three numbers each";
            }
            shot.cdl.hasSop = true;
        }
        const auto saturation = entry.find("saturation");
        if (saturation != entry.end()) {
            if (!textOfNumber(*saturation, shot.cdl.saturation)) return where + "saturation is no number";
            shot.cdl.hasSat = true;
        }
        if (!shot.cdl.hasSop && !shot.cdl.hasSat) return where + "no values";
        out.push_back(shot);
    }
    makeIdsUnique(out);
    return std::string();
}

std::string writeCdlFiles(const std::vector<GradedShot>& shots, CdlFormat format,
                          const std::string& dir, const std::string& name,
                          std::vector<std::string>& files) {
    if (format == CdlFormat::Ccc) {
        const std::string path = pathIn(dir, fileNameOf(name) + ".ccc");
        const std::string reason = platform::writeTextFile(path, cccDocument(shots));
        if (!reason.empty()) return path + ": " + reason;
        files.push_back(path);
        return std::string();
    }
    const std::string extension = format == CdlFormat::Cc ? ".cc" : ".cdl";
    // Ids are unique, but two may still give one file name: those get a number too.
    std::set<std::string> used;
    for (const GradedShot& shot : shots) {
        const std::string base = fileNameOf(shot.id);
        std::string file = base;
        for (unsigned n = 2; used.count(file) != 0; ++n) file = base + "_" + std::to_string(n);
        used.insert(file);
        const std::string path = pathIn(dir, file + extension);
        const std::string reason = platform::writeTextFile(path, cdlDocument(shot, format));
        if (!reason.empty()) return path + ": " + reason;
        files.push_back(path);
    }
    return std::string();
}

}  // namespace edlbtool
