// Notes of events that timelines and pictures read: "LOC:" notes (a timeline's markers, a
// picture's flags) and "M2" notes (the speed of a time warp), with the text helpers note
// lines are read with.
#ifndef EDLBRIDGE_TOOLS_NOTES_H
#define EDLBRIDGE_TOOLS_NOTES_H

#include <cstdint>
#include <string>

namespace edlbtool {

// A note line without the blanks (spaces, tabs) at its ends.
std::string trimmed(const std::string& text);

// True when text begins with keyword, in any case.
bool beginsNoCase(const std::string& text, const char* keyword);

// The next blank-separated word of text from at; at moves past it and the blanks after it.
std::string nextWord(const std::string& text, size_t& at);

// A marker colour: its name as OTIO spells it, and the fill a picture gives its flag.
struct MarkerColour {
    const char* name;
    const char* fill;
};

// The colour word names (any case); null when it is none of OTIO's marker colours.
const MarkerColour* markerColour(const std::string& word);

// The ways marker lists write a colour: OTIO's names, the editing system's marker colour
// words ("red"), the finishing system's bookmark codes ("0" to "7") and the grading
// system's words ("ResolveColorBlue"). One table maps them all through OTIO's names.
enum class ColourSpelling { Otio, Editing, Bookmark, Grading };

// A colour word of a list as OTIO's name: the spelling's own words first, then OTIO's
// names, in any case; the word as written when the table knows neither.
std::string colourName(const std::string& word, ColourSpelling spelling);

// The word spelling gives a colour (an OTIO name or a colour kept as written): its own
// word for that colour, or the nearest one it has; a colour the table does not know is
// written as it stands.
std::string colourWord(const std::string& colour, ColourSpelling spelling);

// A "LOC:" note: 'LOC: 01:00:01:02 YELLOW  053_CSC_0750 // text'. The timecode is the first
// word when it reads as one in the list's mode; the colour the word after it (the first
// word without a timecode) when that names a marker colour; the text the rest of the line.
struct LocNote {
    bool timed = false;
    uint32_t frames = 0;
    const MarkerColour* colour = nullptr;
    std::string colourWord;  // the colour as the note spells it
    std::string text;
    // A marker's own name and length after its comment, as a timeline's marker with a
    // comment or a length is written: 'LOC: 01:00:05:00 RED check focus |M:FOCUS |D:12'
    // (comment 'check focus', name 'FOCUS', 12 frames). Without them the text is all.
    bool fielded = false;
    std::string comment, name;
    uint32_t duration = 0;
};
// The text of a "LOC:" note for a marker: its name alone, or its comment with its name and
// length (none when duration is 0) when it has a comment or lasts more than a frame.
std::string locText(const std::string& name, const std::string& comment, uint32_t duration);
// False when note is no "LOC:" note.
bool parseLocNote(const std::string& note, unsigned mode, LocNote& out);

// An "M2" note: 'M2   B001C001       048.0                09:00:00:00' (reel, speed in
// frames per second, source in).
struct M2Note {
    std::string reel;
    double speed = 0;
};
bool parseM2(const std::string& note, M2Note& out);

// The note a time warp is kept as: the M2 line of reel at speed frames per second from
// sourceIn.
std::string m2Line(const std::string& reel, double speed, uint32_t sourceIn, unsigned mode);

}  // namespace edlbtool

#endif
