// What the timeline writer and reader share: the metadata key, the notes they turn into markers
// and time warps, and the rule by which a clip's place gives an event's times.
#ifndef EDLBRIDGE_TOOLS_OTIO_COMMON_H
#define EDLBRIDGE_TOOLS_OTIO_COMMON_H

#include <cstdint>
#include <string>

namespace edlbtool {
namespace otio {

// Everything an event has that OTIO has no field for lives under this metadata key.
constexpr const char kKey[] = "edlbridge";
// The one media reference a clip written here has.
constexpr const char kDefaultMedia[] = "DEFAULT_MEDIA";

// Larger time scalars are no speed an edit uses, and would overflow the frame arithmetic: the
// reader refuses them, and the writer keeps such an event's source out in metadata instead.
constexpr double kMaxScalar = 1000.0;

inline bool isTransition(char editType) {
    return editType == 'D' || editType == 'W' || editType == 'K';
}

// Reels that name black rather than a source: their events are gaps in a timeline.
bool isBlackReel(const std::string& reel);

// 'HH:MM:SS:FF' (any of ':' ';' '.' ',' between the fields) as frames in mode.
bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames);

// A "LOC:" note: 'LOC: 01:00:01:02 YELLOW  053_CSC_0750 // text'. The colour is the word
// after the timecode when it is one of OTIO's marker colours (upper case), else empty, and
// the name is the rest of the line.
struct LocNote {
    uint32_t frames = 0;
    std::string color, name;
};
bool parseLoc(const std::string& note, unsigned mode, LocNote& out);

// The marker colours of OTIO; null when word (any case) is none of them.
const char* markerColor(const std::string& word);

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

// The source out a reader gives a clip of length frames from sourceIn under a time warp of
// scalar (1 without one): the source advances length * scalar frames, rounded.
int64_t derivedSourceOut(int64_t sourceIn, int64_t length, double scalar);

// Ends of a note line without its blanks.
std::string trimmed(const std::string& text);

}  // namespace otio
}  // namespace edlbtool

#endif
