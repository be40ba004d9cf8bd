// Marker lists: the markers editors, finishing and grading systems and review services
// exchange beside a cut, read and written in each one's own form, and the markers any list
// or timeline carries in its notes.
//
// The forms, in brief:
//  - the editing system's marker export: one marker a line, no header, tab-separated:
//    name (the user, unless renamed), timecode, track (V1, A2, ...), colour word, comment,
//    duration in frames;
//  - the finishing system's bookmarks: a "Timeline Bookmarks" line, the header
//    "Date, Time, Position, Description, Colour, Type, TimeCode" and one row a bookmark,
//    ", " between the fields, colours as codes 0 to 7;
//  - a review service's notes: CSV whose header names its columns (Comment, Commenter,
//    Timecode In, Timecode Out, Frame, in any order, among others);
//  - the grading system's marker EDL: one-frame events whose note reads
//    '<comment> |C:ResolveColorBlue |M:<name> |D:<duration>';
//  - "LOC:" notes of any cut: 'LOC: 01:00:01:02 YELLOW  text'.
// Marker lists opened as lists become one event a marker, its marker kept in its note in
// the grading system's form, so that converting one keeps every field.
#ifndef EDLBRIDGE_CONVERT_MARKERS_H
#define EDLBRIDGE_CONVERT_MARKERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "list_reader.h"

namespace edlbtool {

struct MarkerRow {
    uint32_t frames = 0;    // record time, in the list's mode
    uint32_t duration = 1;  // in frames
    std::string track;      // "V1", "A2"; empty when the list names none
    std::string colour;     // OTIO's name when the colour table knows it, else as written
    std::string name, comment;
    // A bookmark's date, time and type, kept to write it back.
    std::string date, time, type;
    // The grading system's colour word a marker was read with ("ResolveColorLemon"): its
    // sixteen colours are more than the table's, so the word is written back as read.
    std::string gradingColour;
};

struct MarkerList {
    unsigned mode = EDL_TC_NDF;
    std::string title;
    std::vector<MarkerRow> markers;
};

enum class MarkerKind { None, Editing, Bookmarks, Review };

// What kind of marker list text is, from its first lines; None for any other text.
MarkerKind markerKind(const std::string& text);

// Reads text, a marker list of kind, in mode (0: drop frame when a timecode has ';', 60 when
// a frame number passes 29, else non-drop 30). Empty text on success, else the reason.
std::string parseMarkerList(const std::string& text, MarkerKind kind, unsigned mode,
                            MarkerList& out);

// Reads the file at path when it is a marker list: false when it is none (out untouched);
// true when it is one, with reason empty on success.
bool readMarkerFile(const std::string& path, unsigned mode, MarkerList& out, std::string& reason);

// The grading system's marker note ('<comment> |C:<colour> |M:<name> |D:<duration>'): false
// when note has no "|C:" field.
bool parseGradingNote(const std::string& note, MarkerRow& out);
std::string gradingNote(const MarkerRow& marker);

// The markers the notes of a list's events give: grading notes, then "LOC:" notes, each at
// its event's record in (a "LOC:" note's own timecode when it has one), on its event's
// first track.
void markersOfList(const ListData& data, MarkerList& out);

// One event a marker: a cut on the marker's track from its time for its duration (one frame
// at least), source and record alike, named by the marker, with the marker in its note.
void markerEvents(const MarkerList& list, ListData& out);

// Reads the markers of any file: a marker list, or the notes of a list or timeline
// (moved into mode when it is not 0). Empty text on success, else the reason.
std::string readMarkers(const std::string& path, unsigned mode, MarkerList& out,
                        std::vector<std::string>& warnings);

// Moves the markers into mode (relabelled; durations rescaled, one frame at least); 0 or
// the list's own mode leaves them.
void moveMarkers(MarkerList& list, unsigned mode);

// True when an event is a marker of the grading system's marker EDL: its notes are grading
// notes ('|C:colour |M:name |D:duration') and nothing else. A list whose every event is
// one, and a marker list read as a list, is written as a CMX 3600 list in that system's own
// form (markerText, MarkerFormat::Grading), which it imports again.
bool isMarkerEvent(const EventRow& event);

enum class MarkerFormat { Json, Editing, Bookmarks, Grading, Loc, Review };

// By the name the command line takes: json, avid, csv, edl, loc, notes.
bool findMarkerFormat(const std::string& name, MarkerFormat& out);

// The list as text of format. JSON: {"markers": [...]}, one object a marker with timecode,
// frames, track, colour, name, comment and duration.
std::string markerText(const MarkerList& list, MarkerFormat format);

// Reads the JSON markerText writes (timecode or frames, the other fields optional) in mode.
// Empty text on success, else the reason.
std::string markersFromJson(const std::string& text, unsigned mode, MarkerList& out);

}  // namespace edlbtool

#endif
