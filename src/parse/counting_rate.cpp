// The counting rate of a list read for interchange: what its "FCM:" lines and timecodes say,
// and the rate a host gives.
#include <cstdlib>
#include <cstring>

#include "core/handle.h"
#include "core/tc_modes.h"
#include "parse/reader.h"

namespace edlb {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The first number of text ("25", "23.976") in hundredths, 0 when there is none.
uint32_t firstRate(const char* text) {
    while (*text != '\0' && !isDigit(*text)) ++text;
    if (*text == '\0') return 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (value <= 0 || value > 1000) return 0;
    return static_cast<uint32_t>(value * 100 + 0.5);
}

bool saysNonDrop(const char* line) {
    return std::strstr(line, "NON") != nullptr || std::strstr(line, "non") != nullptr ||
           std::strstr(line, "Non") != nullptr || std::strstr(line, "NDF") != nullptr;
}

bool saysDrop(const char* line) {
    return !saysNonDrop(line) && (std::strstr(line, "DROP") != nullptr ||
                                  std::strstr(line, "drop") != nullptr ||
                                  std::strstr(line, "Drop") != nullptr ||
                                  std::strstr(line, "DF") != nullptr);
}

}  // namespace

uint32_t interchangeFcmMode(const EdlList& list, const char* line, uint32_t documentedMode) {
    // The rate a line names, after its keyword: 23.976 and 23.98 are one rate.
    const char* text = line + (line[0] == '*' ? 4 : 3);
    uint32_t named = firstRate(text);
    if (named == 2398 || named == 2397) named = 2398;
    uint32_t mode = modeAtRate(named, saysDrop(line));
    if (named == 2997 || named == 5994) mode = modeAtRate(named, !saysNonDrop(line));
    if (mode == 0) mode = documentedMode;
    if (list.dwReserved != 0) {
        const uint32_t given = modeAtRate(list.dwReserved, tcMode(mode).dropFrame);
        if (given != 0) mode = given;
    }
    return mode;
}

void settleCountingRate(EdlList& list) {
    const uint32_t given = list.dwReserved == 0
                               ? 0
                               : modeAtRate(list.dwReserved, tcMode(list.dwTcMode).dropFrame);
    if (given != 0) {
        list.dwTcMode = list.dwCurTcMode = given;
        list.dwFrameRate = list.dwReserved;
    } else if ((list.dwFlags2 & EDL_LF2_CSV) != 0 ||
               ((list.dwFlags & EDL_LF_COLUMN_LIST) == 0 &&
                list.dwListType != EDLTYPE_LOG_EXCHANGE)) {
        // A log's heading names its rate; a CSV log has none and counts in its mode.
        list.dwFrameRate = tcMode(list.dwTcMode).frameRate;
    }
}

uint32_t modeOfSeparators(const char* line) {
    for (const char* p = std::strchr(line, ';'); p != nullptr; p = std::strchr(p + 1, ';')) {
        if (p > line && isDigit(p[-1]) && isDigit(p[1])) return EDL_TC_DF;
    }
    return EDL_TC_NDF;
}

}  // namespace edlb
