// What the timeline writer and reader share: the metadata key, the names they give media and
// black, and the rule by which a clip's place gives an event's times. The notes they turn
// into markers and time warps are read in notes.h.
#ifndef EDLBRIDGE_TOOLS_OTIO_COMMON_H
#define EDLBRIDGE_TOOLS_OTIO_COMMON_H

#include <cstdint>
#include <string>

namespace edlbtool {
namespace otio {

// Everything an event has that OTIO has no field for lives under this metadata key.
constexpr const char kKey[] = "edlbridge";
// OTIO's CMX 3600 adapter keeps a clip's reel under this key, as {"reel": "A001"}: written
// beside ours so that its writer keeps our reels, and read when ours is not there.
constexpr const char kCmxKey[] = "cmx_3600";
// OTIO's log exchange adapter keeps a log's columns under this key ({"Tape": "A001", ...}).
constexpr const char kAleKey[] = "ALE";
// The one media reference a clip written here has.
constexpr const char kDefaultMedia[] = "DEFAULT_MEDIA";

// Larger time scalars are no speed an edit uses, and would overflow the frame arithmetic: the
// reader refuses them, and the writer keeps such an event's source out in metadata instead.
constexpr double kMaxScalar = 1000.0;

// Reels that name black rather than a source: their events are gaps in a timeline.
bool isBlackReel(const std::string& reel);

// 'HH:MM:SS:FF' (any of ':' ';' '.' ',' between the fields) as frames in mode: the timecode
// parser of timecode_text.h, which the timeline's "LOC:" notes are read with.
bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames);

// The source out a reader gives a clip of length frames from sourceIn under a time warp of
// scalar (1 without one): the source advances length * scalar frames, rounded.
int64_t derivedSourceOut(int64_t sourceIn, int64_t length, double scalar);

// What a clip written here leaves out of its metadata, because a reader rebuilds it:
//  - "event" (its place in the list, from 1) when it is the place of the clip before it on
//    its track plus one;
//  - "edit" when it is the edit number of the event before it in the list plus one; an event
//    without one has kNoEditNumber, but in a log, whose events a reader numbers;
//  - "wipe_code" when it is the wipe code of the event before it in the list (none before
//    the first), but for a dissolve whose length it holds;
//  - "notes" when they are, in order, "FROM CLIP NAME:" with the clip's name (when it has
//    one), the notes of its markers and the adapter's comments ("cmx_3600" "comments");
//  - a marker's "note" when it is locatorNote() of the marker;
//  - "video_tracks" and "audio_tracks": the tracks it is on, but "video_tracks": 0 for an
//    event that names no track.
constexpr int64_t kNoEditNumber = -1;

// The "LOC:" note of a marker at frames, in the layout editing systems write it: the colour
// word in seven columns, then the name ('LOC: 01:00:01:12 RED     VFX_010').
std::string locatorNote(uint32_t frames, unsigned mode, const std::string& colourWord,
                        const std::string& name);

}  // namespace otio
}  // namespace edlbtool

#endif
