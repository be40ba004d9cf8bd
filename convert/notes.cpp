#include "notes.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "timecode_text.h"

namespace edlbtool {
namespace {

// OTIO's marker colours; a picture draws a flag of no colour orange.
const MarkerColour kMarkerColours[] = {
    {"PINK", "#f1b6da"},    {"RED", "#d7191c"},   {"ORANGE", "#fd8d3c"}, {"YELLOW", "#f2c500"},
    {"GREEN", "#1a9641"},   {"CYAN", "#00a6ca"},  {"BLUE", "#2c7bb6"},   {"PURPLE", "#7b3294"},
    {"MAGENTA", "#d01c8b"}, {"BLACK", "#202020"}, {"WHITE", "#ffffff"},
};

// A word of one spelling and the OTIO colour it stands for. A colour's first row in a
// spelling is the word written for it; the editing system and the finishing system have
// eight colours, so OTIO's other three are written as their nearest, listed after the
// eight so that reading those words gives the colour they name first.
struct ColourWord {
    ColourSpelling spelling;
    const char* word;
    const char* colour;
};

const ColourWord kColourWords[] = {
    {ColourSpelling::Editing, "red", "RED"},
    {ColourSpelling::Editing, "green", "GREEN"},
    {ColourSpelling::Editing, "blue", "BLUE"},
    {ColourSpelling::Editing, "cyan", "CYAN"},
    {ColourSpelling::Editing, "magenta", "MAGENTA"},
    {ColourSpelling::Editing, "yellow", "YELLOW"},
    {ColourSpelling::Editing, "black", "BLACK"},
    {ColourSpelling::Editing, "white", "WHITE"},
    {ColourSpelling::Editing, "magenta", "PINK"},
    {ColourSpelling::Editing, "yellow", "ORANGE"},
    {ColourSpelling::Editing, "magenta", "PURPLE"},
    {ColourSpelling::Bookmark, "0", "RED"},
    {ColourSpelling::Bookmark, "1", "GREEN"},
    {ColourSpelling::Bookmark, "2", "BLUE"},
    {ColourSpelling::Bookmark, "3", "CYAN"},
    {ColourSpelling::Bookmark, "4", "MAGENTA"},
    {ColourSpelling::Bookmark, "5", "YELLOW"},
    {ColourSpelling::Bookmark, "6", "BLACK"},
    {ColourSpelling::Bookmark, "7", "WHITE"},
    {ColourSpelling::Bookmark, "4", "PINK"},
    {ColourSpelling::Bookmark, "5", "ORANGE"},
    {ColourSpelling::Bookmark, "4", "PURPLE"},
    // The grading system has sixteen colours and no black: its darkest stands for it.
    {ColourSpelling::Grading, "ResolveColorRed", "RED"},
    {ColourSpelling::Grading, "ResolveColorPink", "PINK"},
    {ColourSpelling::Grading, "ResolveColorSand", "ORANGE"},
    {ColourSpelling::Grading, "ResolveColorYellow", "YELLOW"},
    {ColourSpelling::Grading, "ResolveColorGreen", "GREEN"},
    {ColourSpelling::Grading, "ResolveColorCyan", "CYAN"},
    {ColourSpelling::Grading, "ResolveColorBlue", "BLUE"},
    {ColourSpelling::Grading, "ResolveColorPurple", "PURPLE"},
    {ColourSpelling::Grading, "ResolveColorFuchsia", "MAGENTA"},
    {ColourSpelling::Grading, "ResolveColorCocoa", "BLACK"},
    {ColourSpelling::Grading, "ResolveColorCream", "WHITE"},
    {ColourSpelling::Grading, "ResolveColorRose", "PINK"},
    {ColourSpelling::Grading, "ResolveColorLavender", "PURPLE"},
    {ColourSpelling::Grading, "ResolveColorSky", "CYAN"},
    {ColourSpelling::Grading, "ResolveColorMint", "GREEN"},
    {ColourSpelling::Grading, "ResolveColorLemon", "YELLOW"},
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

bool beginsNoCase(const std::string& text, const char* keyword) {
    return strncasecmp(text.c_str(), keyword, std::strlen(keyword)) == 0;
}

std::string nextWord(const std::string& text, size_t& at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    const size_t start = at;
    while (at < text.size() && !isBlank(text[at])) ++at;
    const std::string result = text.substr(start, at - start);
    while (at < text.size() && isBlank(text[at])) ++at;
    return result;
}

const MarkerColour* markerColour(const std::string& word) {
    for (const MarkerColour& colour : kMarkerColours) {
        if (strcasecmp(colour.name, word.c_str()) == 0) return &colour;
    }
    return nullptr;
}

std::string colourName(const std::string& word, ColourSpelling spelling) {
    for (const ColourWord& row : kColourWords) {
        if (row.spelling == spelling && strcasecmp(row.word, word.c_str()) == 0) return row.colour;
    }
    const MarkerColour* colour = markerColour(word);
    return colour != nullptr ? colour->name : word;
}

std::string colourWord(const std::string& colour, ColourSpelling spelling) {
    const MarkerColour* known = markerColour(colour);
    if (known == nullptr) return colour;
    if (spelling == ColourSpelling::Otio) return known->name;
    for (const ColourWord& row : kColourWords) {
        if (row.spelling == spelling && std::strcmp(row.colour, known->name) == 0) return row.word;
    }
    return known->name;
}

bool parseLocNote(const std::string& note, unsigned mode, LocNote& out) {
    if (!beginsNoCase(note, "LOC:")) return false;
    out = LocNote();
    size_t at = 4;
    out.timed = parseTimecode(nextWord(note, at), mode, out.frames);
    if (!out.timed) at = 4;
    const size_t rest = at;
    out.colourWord = nextWord(note, at);
    out.colour = markerColour(out.colourWord);
    if (out.colour == nullptr) {
        out.colourWord.clear();
        at = rest;
    }
    out.text = trimmed(note.substr(at));
    // The marker's fields: "|M:" and "|D:" at the start of the text or after a blank.
    const auto fieldAt = [&](const char* key, size_t from) {
        for (size_t i = out.text.find(key, from); i != std::string::npos;
             i = out.text.find(key, i + 1)) {
            if (i == 0 || isBlank(out.text[i - 1])) return i;
        }
        return std::string::npos;
    };
    const size_t nameAt = fieldAt("|M:", 0);
    if (nameAt == std::string::npos) return true;
    out.fielded = true;
    out.comment = trimmed(out.text.substr(0, nameAt));
    const size_t lengthAt = fieldAt("|D:", nameAt + 3);
    out.name = trimmed(out.text.substr(nameAt + 3, lengthAt == std::string::npos
                                                       ? std::string::npos
                                                       : lengthAt - nameAt - 3));
    if (lengthAt != std::string::npos) {
        const std::string count = trimmed(out.text.substr(lengthAt + 3));
        char* end = nullptr;
        const unsigned long frames = std::strtoul(count.c_str(), &end, 10);
        if (!count.empty() && std::isdigit(static_cast<unsigned char>(count[0])) != 0 &&
            *end == '\0' && frames <= UINT32_MAX) {
            out.duration = static_cast<uint32_t>(frames);
        }
    }
    return true;
}

std::string locText(const std::string& name, const std::string& comment, uint32_t duration) {
    if (comment.empty() && duration <= 1) return name;
    std::string text = comment.empty() ? std::string() : comment + " ";
    text += "|M:" + name;
    if (duration > 0) text += " |D:" + std::to_string(duration);
    return text;
}

bool parseM2(const std::string& note, M2Note& out) {
    if (!beginsNoCase(note, "M2") || note.size() < 3 || !isBlank(note[2])) return false;
    size_t at = 2;
    out.reel = nextWord(note, at);
    const std::string speed = nextWord(note, at);
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

}  // namespace edlbtool
