#include "otio_common.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "timecode_text.h"

namespace edlbtool {
namespace otio {
namespace {

const char* const kColors[] = {"PINK", "RED",    "ORANGE",  "YELLOW", "GREEN", "CYAN",
                               "BLUE", "PURPLE", "MAGENTA", "BLACK",  "WHITE"};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next blank-separated word of text from at, and at moved past it and the blanks after.
std::string word(const std::string& text, size_t& at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    const size_t start = at;
    while (at < text.size() && !isBlank(text[at])) ++at;
    const std::string result = text.substr(start, at - start);
    while (at < text.size() && isBlank(text[at])) ++at;
    return result;
}

bool beginsNoCase(const std::string& text, const char* keyword) {
    return strncasecmp(text.c_str(), keyword, std::strlen(keyword)) == 0;
}

}  // namespace

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

bool isBlackReel(const std::string& reel) {
    return strcasecmp(reel.c_str(), "BL") == 0 || strcasecmp(reel.c_str(), "BLK") == 0 ||
           strcasecmp(reel.c_str(), "BLACK") == 0;
}

bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames) {
    unsigned fields[4] = {0, 0, 0, 0};
    size_t count = 0, digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            // Two digits a field, three or more for the hours only.
            if (++digits > (count == 0 ? 5u : 2u)) return false;
            fields[count] = fields[count] * 10u + static_cast<unsigned>(c - '0');
        } else if (std::strchr(":;.,", c) != nullptr && digits > 0 && count < 3) {
            ++count;
            digits = 0;
        } else {
            return false;
        }
    }
    if (count != 3 || digits == 0) return false;
    const ModeInfo& info = modeInfo(mode);
    if (fields[1] > 59 || fields[2] > 59 || fields[3] >= info.fps) return false;
    frames = framesOf(Label{fields[0], fields[1], fields[2], fields[3]}, mode);
    return true;
}

const char* markerColor(const std::string& word) {
    for (const char* color : kColors) {
        if (strcasecmp(color, word.c_str()) == 0) return color;
    }
    return nullptr;
}

bool parseLoc(const std::string& note, unsigned mode, LocNote& out) {
    if (!beginsNoCase(note, "LOC:")) return false;
    size_t at = 4;
    if (!parseTimecode(word(note, at), mode, out.frames)) return false;
    const size_t rest = at;
    const char* color = markerColor(word(note, at));
    if (color != nullptr) {
        out.color = color;
    } else {
        out.color.clear();
        at = rest;
    }
    out.name = trimmed(note.substr(at));
    return true;
}

bool parseM2(const std::string& note, M2Note& out) {
    if (!beginsNoCase(note, "M2") || note.size() < 3 || !isBlank(note[2])) return false;
    size_t at = 2;
    out.reel = word(note, at);
    const std::string speed = word(note, at);
    if (out.reel.empty() || speed.empty()) return false;
    char* end = nullptr;
    out.speed = std::strtod(speed.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(out.speed);
}

std::string m2Line(const std::string& reel, double speed, uint32_t sourceIn, unsigned mode) {
    char text[160];
    std::snprintf(text, sizeof text, "M2   %-8s       %05.1f                %s", reel.c_str(),
                  speed, timecodeText(sourceIn, mode).c_str());
    return text;
}

int64_t derivedSourceOut(int64_t sourceIn, int64_t length, double scalar) {
    return sourceIn + static_cast<int64_t>(std::llround(static_cast<double>(length) * scalar));
}

}  // namespace otio
}  // namespace edlbtool
