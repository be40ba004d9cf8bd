// The change list between two cuts: which events of NEW were added, which of OLD removed,
// which replaced, trimmed, moved or given another transition.
//
// Matching: an event of NEW matches an event of OLD with the same clip name when both have
// one, else the same reel, on a track they share, whose source range overlaps its own. Each
// OLD event matches at most one NEW event; among several candidates the larger source
// overlap wins, then the nearer record position. OLD's timecodes are first carried into
// NEW's timecode mode the way "convert --fcm" carries them (same hours, minutes and seconds,
// frame numbers scaled), so lists of other rates compare by timecode.
#ifndef EDLBRIDGE_TOOLS_DIFF_H
#define EDLBRIDGE_TOOLS_DIFF_H

#include "list_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace edlbtool {

// Kinds of change, as bits: a matched event can be trimmed and moved at once.
enum ChangeKind : unsigned {
    kAdded = 1u << 0,       // in NEW only
    kRemoved = 1u << 1,     // in OLD only
    kReplaced = 1u << 2,    // NEW's event takes the record place of an unmatched OLD event
    kTrimmed = 1u << 3,     // source in or out changed
    kMoved = 1u << 4,       // record in changed
    kTransition = 1u << 5,  // edit type, wipe pattern or transition length changed
    kUnchanged = 1u << 6,
};
constexpr unsigned kChangeKindCount = 7;

// The name of bit i of ChangeKind ("added", ...), and a set of kinds as "trimmed+moved".
const char* changeName(unsigned bit);
std::string changeText(unsigned kinds);

constexpr size_t kNoEvent = static_cast<size_t>(-1);

struct DiffRow {
    unsigned kinds = 0;
    size_t newIndex = kNoEvent, oldIndex = kNoEvent;  // into each list's events
    // Matched events: source in, source out and record in of NEW less OLD's, in frames of
    // NEW's timecode mode.
    int64_t head = 0, tail = 0, move = 0;
};

struct DiffResult {
    // Record order of NEW; an event only OLD has sits where it was in OLD's record time.
    std::vector<DiffRow> rows;
    size_t counts[kChangeKindCount] = {};  // per kind, by bit number
    bool same() const;
};

// The outgoing record of a transition: no record length, and the next record is a
// transition (dissolve, wipe or key) with the same edit number. It names what the
// transition leaves, not a shot of its own, so it is neither compared nor drawn as a box.
bool isTransitionLead(const std::vector<EventRow>& events, size_t index);

// Length of an event's transition in frames: a dissolve's number ("D 030"), or the length
// after a wipe's or key's pattern ("W001 015"); 0 for a cut.
uint32_t transitionFrames(const EventRow& event);
// "cut", "dissolve 30", "wipe 001 15", "key 10".
std::string transitionText(const EventRow& event);

DiffResult diffLists(const ListData& oldList, const ListData& newList);

// The change list as a table, or as one JSON object. Unchanged events are listed only with
// all set.
std::string renderDiffTable(const ListData& oldList, const ListData& newList,
                            const DiffResult& result, bool all);
std::string renderDiffJson(const ListData& oldList, const ListData& newList,
                           const DiffResult& result, bool all);

}  // namespace edlbtool

#endif
