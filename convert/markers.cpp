#include "markers.h"

#include "notes.h"
#include "text_rows.h"
#include "timecode_text.h"

#include <nlohmann/json.hpp>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace edlbtool {
namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr const char kBookmarksLine[] = "Timeline Bookmarks";
constexpr const char kBookmarksHeader[] = "Date, Time, Position, Description, Colour, Type, TimeCode";
constexpr const char kReviewHeader[] = "Comment,Commenter,Timecode In,Timecode Out,Frame";
constexpr const char kLineEnd[] = "\r\n";

// MarkerRow lists are short; one larger than this is no marker list anyone exported.
constexpr size_t kMaxMarkerFile = 64u * 1024u * 1024u;

// A marker as its list gives it, before the list's mode is known.
struct RawMarker {
    MarkerRow marker;
    std::string in, out;  // timecode texts
    std::string frame;    // a frame number, where the list gives no timecode
    size_t line = 0;
};

bool isTrackWord(const std::string& word) {
    size_t digits = 0;
    if (word.size() >= 2 && (word[0] == 'V' || word[0] == 'A')) digits = 1;
    if (word.size() >= 3 && word.compare(0, 2, "TC") == 0) digits = 2;
    if (digits == 0) return false;
    return std::all_of(word.begin() + static_cast<long>(digits), word.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool readCount(const std::string& text, uint32_t& value) {
    const std::string digits = trimmed(text);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
    return true;
}

bool looksLikeTimecode(const std::string& text) {
    TcLabel label{};
    return parseLabel(trimmed(text), EDL_TC_HUNDREDTHS, label);
}

// The column of header named by one of names (any case), or -1.
int columnOf(const std::vector<std::string>& header, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        for (size_t i = 0; i < header.size(); ++i) {
            if (strcasecmp(trimmed(header[i]).c_str(), name) == 0) return static_cast<int>(i);
        }
    }
    return -1;
}

std::string cell(const std::vector<std::string>& row, int column) {
    return column >= 0 && static_cast<size_t>(column) < row.size() ? row[static_cast<size_t>(column)]
                                                                  : std::string();
}

bool isReviewHeader(const std::vector<std::string>& header) {
    return columnOf(header, {"Comment"}) >= 0 &&
           (columnOf(header, {"Commenter"}) >= 0 || columnOf(header, {"Frame"}) >= 0) &&
           columnOf(header, {"Timecode In", "Timecode", "Frame"}) >= 0;
}

bool isEditingLine(const std::string& line) {
    const std::vector<std::string> fields = splitFields(line, '\t');
    return fields.size() >= 5 && looksLikeTimecode(fields[1]) && isTrackWord(fields[2]);
}

std::string lineError(size_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

std::string readEditing(const std::vector<std::string>& lines, std::vector<RawMarker>& out) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (trimmed(lines[i]).empty()) continue;
        if (!isEditingLine(lines[i])) return lineError(i + 1, "not a marker line");
        const std::vector<std::string> fields = splitFields(lines[i], '\t');
        RawMarker raw;
        raw.line = i + 1;
        raw.marker.name = fields[0];
        raw.in = trimmed(fields[1]);
        raw.marker.track = fields[2];
        raw.marker.colour = colourName(trimmed(fields[3]), ColourSpelling::Editing);
        raw.marker.comment = fields[4];
        if (fields.size() > 5 && !readCount(fields[5], raw.marker.duration)) raw.marker.duration = 1;
        out.push_back(raw);
    }
    return std::string();
}

std::string readBookmarks(const std::vector<std::vector<std::string>>& rows,
                          std::vector<RawMarker>& out) {
    size_t at = 0;
    if (at < rows.size() && rows[at].size() == 1 && trimmed(rows[at][0]) == kBookmarksLine) ++at;
    if (at >= rows.size()) return "no bookmark header";
    const std::vector<std::string>& header = rows[at++];
    const int position = columnOf(header, {"Position"});
    const int timecode = columnOf(header, {"TimeCode"});
    if (position < 0 && timecode < 0) return "no TimeCode or Position column";
    const int date = columnOf(header, {"Date"}), time = columnOf(header, {"Time"});
    const int description = columnOf(header, {"Description"});
    const int colour = columnOf(header, {"Colour", "Color"}), type = columnOf(header, {"Type"});
    for (; at < rows.size(); ++at) {
        const std::vector<std::string>& row = rows[at];
        RawMarker raw;
        raw.line = at + 1;
        raw.in = trimmed(cell(row, timecode));
        raw.frame = cell(row, position);
        raw.marker.comment = cell(row, description);
        raw.marker.colour = colourName(trimmed(cell(row, colour)), ColourSpelling::Bookmark);
        raw.marker.date = cell(row, date);
        raw.marker.time = cell(row, time);
        raw.marker.type = cell(row, type);
        out.push_back(raw);
    }
    return std::string();
}

std::string readReview(const std::vector<std::vector<std::string>>& rows,
                       std::vector<RawMarker>& out) {
    if (rows.empty() || !isReviewHeader(rows[0])) return "no review-note header";
    const std::vector<std::string>& header = rows[0];
    const int comment = columnOf(header, {"Comment"}), commenter = columnOf(header, {"Commenter"});
    const int in = columnOf(header, {"Timecode In", "Timecode"});
    const int outColumn = columnOf(header, {"Timecode Out"}), frame = columnOf(header, {"Frame"});
    for (size_t at = 1; at < rows.size(); ++at) {
        const std::vector<std::string>& row = rows[at];
        RawMarker raw;
        raw.line = at + 1;
        raw.in = trimmed(cell(row, in));
        raw.out = trimmed(cell(row, outColumn));
        raw.frame = cell(row, frame);
        raw.marker.comment = cell(row, comment);
        raw.marker.name = cell(row, commenter);
        out.push_back(raw);
    }
    return std::string();
}

// The mode of a list that names none, from its timecodes.
unsigned guessMode(const std::vector<std::string>& timecodes) {
    uint32_t highest = 0;
    for (const std::string& text : timecodes) {
        if (text.find(';') != std::string::npos) return EDL_TC_DF;
        TcLabel label{};
        if (parseLabel(text, EDL_TC_HUNDREDTHS, label)) highest = std::max(highest, label.frames);
    }
    return highest >= 30 ? EDL_TC_NTSC60 : EDL_TC_NDF;
}

std::string placeMarkers(std::vector<RawMarker>& raws, unsigned mode, MarkerList& out) {
    if (mode == 0) {
        std::vector<std::string> timecodes;
        for (const RawMarker& raw : raws) timecodes.push_back(raw.in);
        mode = guessMode(timecodes);
    }
    out.mode = mode;
    for (RawMarker& raw : raws) {
        MarkerRow& marker = raw.marker;
        if (!raw.in.empty()) {
            if (!parseTimecode(raw.in, mode, marker.frames)) {
                return lineError(raw.line, "'" + raw.in + "' is no timecode of the list's rate");
            }
        } else if (!readCount(raw.frame, marker.frames)) {
            return lineError(raw.line, "no timecode");
        }
        uint32_t end = 0;
        if (!raw.out.empty() && parseTimecode(raw.out, mode, end) && end > marker.frames) {
            marker.duration = end - marker.frames;
        }
        out.markers.push_back(marker);
    }
    return std::string();
}

std::string trackOf(const EventRow& event) {
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((event.videoTracks >> bit) & 1u) return "V" + std::to_string(bit + 1);
    }
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((event.audioTracks >> bit) & 1u) return "A" + std::to_string(bit + 1);
    }
    return std::string();
}

// Texts of one line: line ends and tabs of a comment become spaces.
std::string oneLine(const std::string& text) {
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; },
                    ' ');
    return line;
}

// The colour a marker is written with: its own, else the colour the form gives markers by
// default (the editing and finishing systems red, the grading system blue).
std::string colourOf(const MarkerRow& marker, ColourSpelling spelling) {
    if (spelling == ColourSpelling::Grading && !marker.gradingColour.empty() &&
        colourName(marker.gradingColour, spelling) == marker.colour) {
        return marker.gradingColour;
    }
    const char* fallback = spelling == ColourSpelling::Grading ? "BLUE" : "RED";
    return colourWord(marker.colour.empty() ? std::string(fallback) : marker.colour, spelling);
}

std::string csvField(const std::string& text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

std::string jsonText(const MarkerList& list) {
    OrderedJson markers = OrderedJson::array();
    for (const MarkerRow& marker : list.markers) {
        markers.push_back(OrderedJson{{"timecode", timecodeText(marker.frames, list.mode)},
                                      {"frames", marker.frames},
                                      {"track", marker.track},
                                      {"colour", marker.colour},
                                      {"name", marker.name},
                                      {"comment", marker.comment},
                                      {"duration", marker.duration}});
    }
    const OrderedJson root{{"markers", markers}};
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

std::string editingText(const MarkerList& list) {
    std::string text;
    for (const MarkerRow& marker : list.markers) {
        text += oneLine(marker.name) + "\t" + timecodeText(marker.frames, list.mode) + "\t" +
                (marker.track.empty() ? std::string("V1") : marker.track) + "\t" +
                colourOf(marker, ColourSpelling::Editing) + "\t" + oneLine(marker.comment) +
                "\t" + std::to_string(marker.duration) + kLineEnd;
    }
    return text;
}

std::string bookmarksText(const MarkerList& list) {
    std::string text = std::string(kBookmarksLine) + kLineEnd + kBookmarksHeader + kLineEnd;
    for (const MarkerRow& marker : list.markers) {
        text += csvField(marker.date) + ", " + csvField(marker.time) + ", " +
                std::to_string(marker.frames) + ", " + csvField(marker.comment) + ", " +
                csvField(colourOf(marker, ColourSpelling::Bookmark)) + ", " +
                csvField(marker.type) + ", " + timecodeText(marker.frames, list.mode) + kLineEnd;
    }
    return text;
}

std::string gradingText(const MarkerList& list) {
    std::string text = "TITLE: " + oneLine(list.title.empty() ? std::string("Markers") : list.title) +
                       kLineEnd + trimmed(modeInfo(list.mode).fcm) + kLineEnd + kLineEnd;
    size_t number = 0;
    for (const MarkerRow& marker : list.markers) {
        const std::string in = timecodeText(marker.frames, list.mode);
        const std::string out = timecodeText(marker.frames + 1, list.mode);
        char line[160];
        std::snprintf(line, sizeof line, "%03zu  001      V     C        %s %s %s %s  ", ++number,
                      in.c_str(), out.c_str(), in.c_str(), out.c_str());
        // The system writes the note with a blank before its fields when it has no comment.
        const std::string note = gradingNote(marker);
        text += line + std::string(kLineEnd) + (marker.comment.empty() ? " " : "") + note + kLineEnd +
                kLineEnd;
    }
    return text;
}

std::string locText(const MarkerList& list) {
    std::string text;
    for (const MarkerRow& marker : list.markers) {
        char colour[64];
        std::snprintf(colour, sizeof colour, "%-7s",
                      colourOf(marker, ColourSpelling::Otio).c_str());
        const std::string words = oneLine(marker.comment.empty() ? marker.name : marker.comment);
        // A marker without a text ends at its colour.
        text += trimmed("* LOC: " + timecodeText(marker.frames, list.mode) + " " + colour + " " +
                        words) +
                kLineEnd;
    }
    return text;
}

std::string reviewText(const MarkerList& list) {
    std::string text = std::string(kReviewHeader) + kLineEnd;
    for (const MarkerRow& marker : list.markers) {
        const std::string out =
            marker.duration > 1 ? timecodeText(marker.frames + marker.duration, list.mode) : "";
        text += csvField(marker.comment) + "," + csvField(marker.name) + "," +
                timecodeText(marker.frames, list.mode) + "," + out + "," +
                std::to_string(marker.frames) + kLineEnd;
    }
    return text;
}

}  // namespace

MarkerKind markerKind(const std::string& text) {
    const std::string body = withoutByteOrderMark(text);
    const std::vector<std::string> lines = splitLines(body.substr(0, 8192));
    size_t first = 0;
    while (first < lines.size() && trimmed(lines[first]).empty()) ++first;
    if (first >= lines.size()) return MarkerKind::None;
    const std::string& line = lines[first];
    if (trimmed(line) == kBookmarksLine || beginsNoCase(line, "Date, Time, Position")) {
        return MarkerKind::Bookmarks;
    }
    if (isEditingLine(line)) return MarkerKind::Editing;
    const std::vector<std::vector<std::string>> rows = csvRows(line, false);
    if (!rows.empty() && isReviewHeader(rows[0])) return MarkerKind::Review;
    return MarkerKind::None;
}

std::string parseMarkerList(const std::string& text, MarkerKind kind, unsigned mode,
                            MarkerList& out) {
    out = MarkerList();
    const std::string body = withoutByteOrderMark(text);
    std::vector<RawMarker> raws;
    std::string reason;
    switch (kind) {
        case MarkerKind::Editing: reason = readEditing(splitLines(body), raws); break;
        case MarkerKind::Bookmarks: reason = readBookmarks(csvRows(body, true), raws); break;
        case MarkerKind::Review: reason = readReview(csvRows(body, false), raws); break;
        case MarkerKind::None: return "not a marker list";
    }
    if (!reason.empty()) return reason;
    return placeMarkers(raws, mode, out);
}

bool readMarkerFile(const std::string& path, unsigned mode, MarkerList& out, std::string& reason) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    std::string text;
    char buffer[16384];
    size_t count;
    bool probed = false;
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        text.append(buffer, count);
        if (!probed) {
            // Only the start of a file says whether it is a marker list.
            if (markerKind(text) == MarkerKind::None) {
                std::fclose(in);
                return false;
            }
            probed = true;
        }
        if (text.size() > kMaxMarkerFile) {
            std::fclose(in);
            reason = "marker list too long";
            return true;
        }
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    const MarkerKind kind = markerKind(text);
    if (kind == MarkerKind::None) return false;
    reason = failed ? std::string("cannot read") : parseMarkerList(text, kind, mode, out);
    return true;
}

bool parseGradingNote(const std::string& note, MarkerRow& out) {
    const size_t colourAt = note.find("|C:");
    if (colourAt == std::string::npos) return false;
    out.comment = trimmed(note.substr(0, colourAt));
    const std::string fields = note.substr(colourAt + 3);
    const size_t nameAt = fields.find("|M:");
    size_t durationAt = fields.rfind("|D:");
    if (durationAt != std::string::npos && nameAt != std::string::npos && durationAt < nameAt) {
        durationAt = std::string::npos;
    }
    const size_t colourEnd = std::min(nameAt, durationAt);
    out.gradingColour = trimmed(fields.substr(0, colourEnd));
    out.colour = colourName(out.gradingColour, ColourSpelling::Grading);
    out.name.clear();
    if (nameAt != std::string::npos) {
        const size_t end = durationAt == std::string::npos ? fields.size() : durationAt;
        out.name = trimmed(fields.substr(nameAt + 3, end - nameAt - 3));
    }
    out.duration = 1;
    if (durationAt != std::string::npos) readCount(fields.substr(durationAt + 3), out.duration);
    return true;
}

std::string gradingNote(const MarkerRow& marker) {
    const std::string comment = oneLine(marker.comment);
    return (comment.empty() ? std::string() : comment + " ") + "|C:" +
           oneLine(colourOf(marker, ColourSpelling::Grading)) +
           " |M:" + oneLine(marker.name) + " |D:" + std::to_string(marker.duration);
}

void markersOfList(const ListData& data, MarkerList& out) {
    out = MarkerList();
    out.mode = listMode(data.list.dwTcMode);
    out.title = data.list.szTitle;
    for (const EventRow& event : data.events) {
        const std::string track = trackOf(event);
        for (const std::string& line : noteLines(event)) {
            const std::string note = trimmed(line);
            MarkerRow marker;
            marker.frames = event.recIn;
            marker.track = track;
            LocNote loc;
            if (parseGradingNote(note, marker)) {
                out.markers.push_back(marker);
            } else if (parseLocNote(note, out.mode, loc)) {
                if (loc.timed) marker.frames = loc.frames;
                if (loc.colour != nullptr) marker.colour = loc.colour->name;
                marker.comment = loc.fielded ? loc.comment : loc.text;
                if (loc.fielded) marker.name = loc.name;
                if (loc.duration > 0) marker.duration = loc.duration;
                out.markers.push_back(marker);
            }
        }
    }
}

void markerEvents(const MarkerList& list, ListData& out) {
    out.events.clear();
    out.interchange = true;
    std::memset(&out.list, 0, sizeof out.list);
    edlInitEdlListStruct(&out.list);
    out.list.dwListType = EDLTYPE_CMX3600;
    out.list.dwFlags |= EDL_LF_INTERCHANGE;
    out.list.dwTcMode = list.mode;
    out.list.dwFrameRate = modeInfo(list.mode).frameRate;
    copyText(out.list.szTitle, sizeof out.list.szTitle, list.title);
    uint32_t number = 0;
    for (const MarkerRow& marker : list.markers) {
        EventRow row;
        row.editNumber = ++number;
        row.reel = "001";
        row.srcIn = row.recIn = marker.frames;
        row.srcOut = row.recOut = marker.frames + std::max<uint32_t>(marker.duration, 1);
        const std::string track = marker.track.empty() ? std::string("V1") : marker.track;
        const unsigned index = static_cast<unsigned>(std::strtoul(track.c_str() + 1, nullptr, 10));
        const uint32_t bit = index >= 1 && index <= 32 ? 1u << (index - 1) : 1u;
        (track[0] == 'A' ? row.audioTracks : row.videoTracks) = bit;
        row.comment = gradingNote(marker);
        row.present = EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN | EDL_P_REC_OUT | EDL_P_TRACKS |
                      EDL_P_REEL | EDL_P_EDIT_NUMBER;
        if (modeInfo(list.mode).dropFrame) row.lineFlags |= EDL_LINE_DROP_FRAME;
        out.events.push_back(row);
    }
}

std::string readMarkers(const std::string& path, unsigned mode, MarkerList& out,
                        std::vector<std::string>& warnings) {
    ListSource source;
    std::string reason = source.open(path);
    if (!reason.empty()) return reason;
    if (readMarkerFile(source.path(), mode, out, reason)) return reason;
    ListData data;
    reason = readList(source.path(), data, false, &warnings);
    if (!reason.empty()) return reason;
    markersOfList(data, out);
    moveMarkers(out, mode);
    return std::string();
}

void moveMarkers(MarkerList& list, unsigned mode) {
    if (mode == 0 || mode == list.mode) return;
    for (MarkerRow& marker : list.markers) {
        marker.frames = relabel(marker.frames, list.mode, mode);
        marker.duration = static_cast<uint32_t>(std::max<int64_t>(rescale(marker.duration, list.mode, mode), 1));
    }
    list.mode = mode;
}

bool isMarkerEvent(const EventRow& event) {
    bool marker = false, other = false;
    MarkerRow row;
    forEachNoteLine(event, [&](const char* line, size_t length) {
        const std::string note = trimmed(std::string(line, length));
        if (note.empty()) return;
        (parseGradingNote(note, row) ? marker : other) = true;
    });
    return marker && !other;
}

bool findMarkerFormat(const std::string& name, MarkerFormat& out) {
    static const struct {
        const char* name;
        MarkerFormat format;
    } kFormats[] = {{"json", MarkerFormat::Json},      {"avid", MarkerFormat::Editing},
                    {"csv", MarkerFormat::Bookmarks},  {"edl", MarkerFormat::Grading},
                    {"loc", MarkerFormat::Loc},        {"notes", MarkerFormat::Review}};
    for (const auto& known : kFormats) {
        if (name == known.name) {
            out = known.format;
            return true;
        }
    }
    return false;
}

std::string markerText(const MarkerList& list, MarkerFormat format) {
    switch (format) {
        case MarkerFormat::Json: return jsonText(list);
        case MarkerFormat::Editing: return editingText(list);
        case MarkerFormat::Bookmarks: return bookmarksText(list);
        case MarkerFormat::Grading: return gradingText(list);
        case MarkerFormat::Loc: return locText(list);
        case MarkerFormat::Review: return reviewText(list);
    }
    return std::string();
}

std::string markersFromJson(const std::string& text, unsigned mode, MarkerList& out) {
    out = MarkerList();
    const OrderedJson root = OrderedJson::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return "not a JSON object";
    const auto list = root.find("markers");
    if (list == root.end() || !list->is_array()) return "no \"markers\" array";
    std::vector<RawMarker> raws;
    const auto textOf = [](const OrderedJson& object, const char* key) {
        const auto found = object.find(key);
        return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    for (size_t i = 0; i < list->size(); ++i) {
        const OrderedJson& entry = (*list)[i];
        if (!entry.is_object()) return "marker " + std::to_string(i + 1) + ": not an object";
        RawMarker raw;
        raw.line = i + 1;
        raw.in = textOf(entry, "timecode");
        const auto frames = entry.find("frames");
        if (frames != entry.end() && frames->is_number_unsigned()) {
            raw.frame = std::to_string(frames->get<uint64_t>());
        }
        raw.marker.track = textOf(entry, "track");
        raw.marker.colour = colourName(textOf(entry, "colour"), ColourSpelling::Otio);
        raw.marker.name = textOf(entry, "name");
        raw.marker.comment = textOf(entry, "comment");
        const auto duration = entry.find("duration");
        if (duration != entry.end() && duration->is_number_unsigned() &&
            duration->get<uint64_t>() <= UINT32_MAX) {
            raw.marker.duration = duration->get<uint32_t>();
        }
        raws.push_back(raw);
    }
    std::string reason = placeMarkers(raws, mode, out);
    if (!reason.empty()) reason.replace(0, 4, "marker");
    return reason;
}

}  // namespace edlbtool
