#include "text_rows.h"

namespace edlbtool {

std::string withoutByteOrderMark(const std::string& text) {
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::vector<std::string> splitFields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

std::vector<std::vector<std::string>> csvRows(const std::string& text, bool spaced) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, fieldStart = true;
    const auto endRow = [&]() {
        row.push_back(field);
        field.clear();
        if (row.size() > 1 || !row[0].empty()) rows.push_back(row);
        row.clear();
        fieldStart = true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (fieldStart && spaced && (c == ' ' || c == '\t')) continue;
        if (fieldStart && c == '"') {
            quoted = true;
            fieldStart = false;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStart = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRow();
        } else {
            field += c;
            fieldStart = false;
        }
    }
    if (!field.empty() || !row.empty()) endRow();
    return rows;
}

}  // namespace edlbtool
