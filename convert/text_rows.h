// Lines, fields and CSV rows of whole texts that lists around a cut come in: any line end
// (LF, CRLF, CR), a UTF-8 byte order mark at the start passed over.
#ifndef EDLBRIDGE_CONVERT_TEXT_ROWS_H
#define EDLBRIDGE_CONVERT_TEXT_ROWS_H

#include <string>
#include <vector>

namespace edlbtool {

// text without the UTF-8 byte order mark it may begin with.
std::string withoutByteOrderMark(const std::string& text);

// The lines of text, without their ends; a last line without an end counts too.
std::vector<std::string> splitLines(const std::string& text);

// The fields of a line between separators, as they stand.
std::vector<std::string> splitFields(const std::string& line, char separator);

// The rows of comma-separated text. A field in double quotes may hold commas, line ends and
// doubled quotes; outside them any line end ends a row, and empty lines are passed over.
// spaced: the blanks after a comma are no part of the field (", " between fields).
std::vector<std::vector<std::string>> csvRows(const std::string& text, bool spaced);

}  // namespace edlbtool

#endif
