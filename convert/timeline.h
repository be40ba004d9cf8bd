// A picture of a cut: one lane per track over record time under a timecode ruler, a box per
// event and lane coloured by reel, transitions drawn over the boxes they join, "LOC:" notes
// as flags, gaps hatched. A self-contained SVG (no scripts, fonts or other files), or the
// same SVG in an HTML page beside a table of the events.
#ifndef EDLBRIDGE_TOOLS_TIMELINE_H
#define EDLBRIDGE_TOOLS_TIMELINE_H

#include "cut_list.h"
#include "diff.h"
#include "text_sink.h"

#include <string>

namespace edlbtool {

struct TimelineChanges {
    const CutList* oldList = nullptr;
    const DiffResult* result = nullptr;
};

// changes, when given, marks NEW's boxes added, replaced, trimmed, moved or with another
// transition, and adds a legend.
void renderTimelineSvg(const CutList& list, const TimelineChanges& changes, PieceSink& out);
void renderTimelineHtml(const CutList& list, const TimelineChanges& changes, PieceSink& out);

// Text for XML content and attribute values: markup characters as entities, and bytes that
// are no UTF-8, or characters XML 1.0 does not allow, as U+FFFD.
std::string xmlText(const std::string& text);

// A reel's colour, the same in every picture: '#rrggbb'.
std::string reelColour(const std::string& reel);

// A "LOC:" note of an event: where it points (record frames), its colour word and text.
struct Marker {
    uint32_t frame = 0;
    std::string colour, text;
};
// Reads "LOC: 01:00:02:10 RED text". A timecode outside the event's record range is taken
// as a source timecode when it falls in the source range; else, or without a timecode, the
// marker points at the event's record in. False when the line is no marker.
bool parseMarker(const std::string& note, const CutEvent& event, unsigned mode, Marker& out);

}  // namespace edlbtool

#endif
