// The texts the command line prints: the type table, detection summaries and event dumps.
// Dumps come in pieces (a head, one piece per event, a tail) so that a list of any length
// is printed while it is read; renderDump puts the pieces of a whole list together.
#ifndef EDLBRIDGE_TOOLS_RENDER_H
#define EDLBRIDGE_TOOLS_RENDER_H

#include "list_reader.h"

#include <string>
#include <string_view>
#include <vector>

namespace edlbtool {

enum class DumpFormat { Table, Json, Csv };

using Row = std::vector<std::string>;

std::string renderTypes();

// The detection summary of a list of count events, as text and as one JSON object
// (indented to sit in an array).
std::string renderDetect(const ListInfo& info, size_t count);
std::string renderDetect(const ListData& data);
std::string renderDetectJson(const ListInfo& info, size_t count);

// Each piece of a dump is appended to out.
// JSON: one object with the list's fields and an "events" array.
std::string jsonDumpHead(const ListInfo& info);
void jsonDumpEvent(std::string& out, const ListInfo& info, const EventRow& event, bool first);
std::string jsonDumpTail(size_t count);

// CSV: a header row, then one row per event.
std::string csvDumpHead();
void csvDumpRow(std::string& out, const ListInfo& info, const EventRow& event);

// Table: every column as wide as its widest cell, so every row is measured before any is
// printed (TableSpool keeps them meanwhile), under the list's summary.
Row tableHeaderRow();
// The cells of one event; row is overwritten, its strings' room reused.
void tableEventRow(const ListInfo& info, const EventRow& event, Row& row);
void widenColumns(std::vector<size_t>& widths, const Row& row);
std::string tableHead(const ListInfo& info, size_t count);
// The columns a cell takes.
size_t cellWidth(std::string_view text);
// One cell of a table line, width columns wide: the cell, then (unless it is the line's
// last) blanks up to the width of its column and two more.
void appendTableCell(std::string& out, std::string_view cell, size_t width, size_t column,
                     bool last);
// One row padded to the widths; the last cell is not padded.
void appendTableLine(std::string& out, const Row& row, const std::vector<size_t>& widths);
// Rows as a table, each column as wide as its widest cell.
std::string renderColumns(const std::vector<Row>& rows);

std::string renderDump(const ListData& data, DumpFormat format);

// Track masks as 'V1 A1 A2', runs of three or more as 'A1-A8'; empty when none is set.
std::string trackText(uint32_t video, uint32_t audio);
void appendTrackText(std::string& out, uint32_t video, uint32_t audio);
// Control characters as C escapes, so that one value stays on one line.
std::string escapeControls(const std::string& text);
void appendEscaped(std::string& out, const std::string& text);
// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);
void appendCsvField(std::string& out, const std::string& text);
// A text of a fixed-size buffer, up to its terminator or the end of the buffer.
std::string fixedText(const char* text, size_t size);
// "251 generic"; "0x02 ndf (non-drop frame, 30 fps)".
std::string typeLabel(uint32_t value);
std::string modeLabel(uint32_t mode);

}  // namespace edlbtool

#endif
