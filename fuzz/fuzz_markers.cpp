// Marker lists and grades: the readers of every marker form and of ASC CDL values over
// arbitrary bytes. A marker list that reads is written in each form, and its JSON must read
// back into as many markers. Grade notes go into a log's column form and back.
#include <cstdlib>
#include <string>
#include <vector>

#include "cdl.h"
#include "markers.h"

using namespace edlbtool;

namespace {

// The JSON of a list reads back into as many markers.
void readBack(const MarkerList& list) {
    MarkerList again;
    if (!markersFromJson(markerText(list, MarkerFormat::Json), list.mode, again).empty() ||
        again.markers.size() != list.markers.size()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    markerKind(text);
    for (MarkerKind kind : {MarkerKind::Editing, MarkerKind::Bookmarks, MarkerKind::Review}) {
        MarkerList list;
        if (!parseMarkerList(text, kind, 0, list).empty()) continue;
        for (MarkerFormat format : {MarkerFormat::Editing, MarkerFormat::Bookmarks,
                                    MarkerFormat::Grading, MarkerFormat::Loc, MarkerFormat::Review}) {
            markerText(list, format);
        }
        readBack(list);
    }
    MarkerList list;
    markersFromJson(text, 0, list);
    MarkerRow marker;
    parseGradingNote(text, marker);
    Cdl cdl;
    parseSop(text, cdl);
    parseSat(text, cdl);
    std::vector<GradedShot> shots;
    if (cdlFromJson(text, shots).empty()) cccDocument(shots);
    // Grade notes taken into a log's column form and back settle at once.
    std::string notes = text;
    putCdlNotesInForm(notes, true);
    putCdlNotesInForm(notes, false);
    std::string again = notes;
    putCdlNotesInForm(again, true);
    putCdlNotesInForm(again, false);
    if (again != notes) std::abort();
    cdlNamesIn(text);
    return 0;
}
