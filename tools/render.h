// The texts the command line prints: the type table, detection summaries and event dumps.
#ifndef EDLBRIDGE_TOOLS_RENDER_H
#define EDLBRIDGE_TOOLS_RENDER_H

#include "list_reader.h"

#include <string>

namespace edlbtool {

enum class DumpFormat { Table, Json, Csv };

std::string renderTypes();
std::string renderDetect(const ListData& data);
std::string renderDump(const ListData& data, DumpFormat format);

// Track masks as 'V1 A1 A2', runs of three or more as 'A1-A8'; empty when none is set.
std::string trackText(uint32_t video, uint32_t audio);
// Control characters as C escapes, so that one value stays on one line.
std::string escapeControls(const std::string& text);
// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

}  // namespace edlbtool

#endif
