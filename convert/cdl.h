// ASC CDL: the slope, offset, power and saturation a grade carries through a cut ("ASC_SOP"
// and "ASC_SAT" notes of CMX lists, ASC_SOP and ASC_SAT columns of logs), written as one
// ASC CDL XML file per graded event (.cdl, .cc) or one collection per cut (.ccc). Values
// are kept as the list writes them, every digit; they are checked to be numbers.
#ifndef EDLBRIDGE_CONVERT_CDL_H
#define EDLBRIDGE_CONVERT_CDL_H

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "list_reader.h"

namespace edlbtool {

class JsonOut;

struct Cdl {
    std::string slope[3], offset[3], power[3];
    std::string saturation;
    bool hasSop = false, hasSat = false;
};

// '(1.5 1.0 0.9)(0.1 -0.2 0.0)(1.0 1.1 0.95)', with or without blanks between and inside
// the groups; false unless three groups of three numbers.
bool parseSop(const std::string& text, Cdl& out);
// One number; false for anything else.
bool parseSat(const std::string& text, Cdl& out);

// The grade of an event: its "ASC_SOP" and "ASC_SAT" notes, in any order, or the ASC_SOP and
// ASC_SAT cells of its log line under the list's column line. False when it has neither.
bool cdlOfEvent(const ListInfo& info, const EventRow& event, Cdl& out);
// The same with the event's log cells given (a CSV log keeps none in the event).
bool cdlOfEvent(const ListInfo& info, const EventRow& event, const std::vector<std::string>& cells,
                Cdl& out);

// True for an "ASC_SOP" or "ASC_SAT" note that reads as one.
bool isCdlNote(const std::string& note);

// The grade notes in the form a list written for interchange keeps them: a log's column
// notes "ASC_SOP: (...)(...)(...)" and "ASC_SAT: 0.9" (the log writer puts their values
// into the ASC_SOP and ASC_SAT columns) when asColumns, else a CMX list's "ASC_SOP (...)"
// and "ASC_SAT 0.9". Values stay as written; the other notes, and grade notes whose values
// are no grade, are left alone. notes holds one note a line.
void putCdlNotesInForm(std::string& notes, bool asColumns);

// Which of the grade's keywords ("ASC_SOP", "ASC_SAT", in any case) a text holds anywhere:
// a list whose events carry grades names them, so a log written from it gets their columns.
struct CdlNames {
    bool sop = false, sat = false;
};
CdlNames cdlNamesIn(const std::string& text);
// The same for the file at path, read in pieces; none when it cannot be read.
CdlNames cdlNamesInFile(const std::string& path);

// A clip's "cdl" metadata in a timeline, as OTIO's CMX 3600 adapter keeps it, written into
// an open object: "cdl": {"asc_sop": {"slope": [r, g, b], "offset": [...], "power": [...]},
// "asc_sat": s}, values as numbers; the part the grade lacks is left out.
void writeCdlMetadata(JsonOut& out, const Cdl& cdl);
// The notes such metadata stands for ("ASC_SOP (1.5 1 0.9)(0 0 0)(1 1 1)", "ASC_SAT 0.9"),
// each number as JSON writes it; none for a part of another shape.
std::vector<std::string> cdlNotes(const nlohmann::json& metadata);

// A graded event with the id its file is named and identified by.
struct GradedShot {
    Cdl cdl;
    std::string id;
    uint32_t event = 0;
    std::string clip, reel;
};

enum class CdlId { Clip, Reel, Event };
enum class CdlFormat { Cdl, Cc, Ccc, Json };

// By the names the command line takes.
bool findCdlId(const std::string& name, CdlId& out);
bool findCdlFormat(const std::string& name, CdlFormat& out);

// The cells of a CSV log's rows, one row per event, read again from the file at path:
// CSV events keep no raw line. Empty when data is no CSV log, or its rows and events do
// not pair up.
std::vector<std::vector<std::string>> csvLogCells(const std::string& path, const ListData& data);

// The graded events of a list, identified by clip name, reel or event number (the event
// number where the clip name or reel is empty); an id met before gets "_2", "_3", ...
// cells, when given, are the log cells of each event (csvLogCells).
std::vector<GradedShot> gradedShots(const ListData& data, CdlId id,
                                    const std::vector<std::vector<std::string>>& cells = {});

// Gives the ids of shots "_2", "_3", ... where they repeat one met before.
void makeIdsUnique(std::vector<GradedShot>& shots);

// One correction as a .cdl (ColorDecisionList) or .cc (ColorCorrection) document; every
// shot as one .ccc (ColorCorrectionCollection); every shot as JSON {"corrections": [...]}
// with the values as numbers.
std::string cdlDocument(const GradedShot& shot, CdlFormat format);
std::string cccDocument(const std::vector<GradedShot>& shots);
std::string cdlJson(const std::vector<GradedShot>& shots);

// Reads the JSON cdlJson writes (id, slope, offset, power, saturation, event, clip, reel).
// Empty text on success, else the reason.
std::string cdlFromJson(const std::string& text, std::vector<GradedShot>& out);

// Writes shots into dir: one file per shot named by its id (.cdl, .cc), or one .ccc named
// name. files receives the paths written. Empty text on success, else the reason; what was
// written before a failure stays.
std::string writeCdlFiles(const std::vector<GradedShot>& shots, CdlFormat format,
                          const std::string& dir, const std::string& name,
                          std::vector<std::string>& files);

}  // namespace edlbtool

#endif
