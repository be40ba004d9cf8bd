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

#include "cut_list.h"
#include "text_sink.h"

#include <cstdint>
#include <cstdio>
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

constexpr uint32_t kNoEvent = UINT32_MAX;

struct DiffRow {
    unsigned kinds = 0;
    uint32_t newIndex = kNoEvent, oldIndex = kNoEvent;  // into each list's events
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

// Length of an event's transition in frames: a dissolve's number ("D 030"), or the length
// after a wipe's or key's pattern ("W001 015"); 0 for a cut.
template <typename Event>
uint32_t transitionFrames(const Event& event) {
    if (!isTransition(event.editType)) return 0;
    if (event.effectLength != 0 && event.effectLength != 0xFFFFFFFFu) return event.effectLength;
    // A dissolve's only number is its length; the readers keep it where a wipe's pattern goes.
    if (event.editType == 'D' && event.wipeCode != 0xFFFFFFFFu) return event.wipeCode;
    return 0;
}

// "cut", "dissolve 30", "wipe 001 15", "key 10".
template <typename Event>
std::string transitionText(const Event& event) {
    const std::string frames = std::to_string(transitionFrames(event));
    switch (event.editType) {
        case 'D': return "dissolve " + frames;
        case 'K': return "key " + frames;
        case 'W': {
            char pattern[16];
            std::snprintf(pattern, sizeof pattern, "%03u", event.wipeCode % 1000u);
            return std::string("wipe ") + pattern + " " + frames;
        }
        default: return "cut";
    }
}

DiffResult diffLists(const CutList& oldList, const CutList& newList);

// The change list as a table, or as one JSON object. Unchanged events are listed only with
// all set.
void renderDiffTable(const CutList& oldList, const CutList& newList, const DiffResult& result,
                     bool all, PieceSink& out);
void renderDiffJson(const CutList& oldList, const CutList& newList, const DiffResult& result,
                    bool all, PieceSink& out);

}  // namespace edlbtool

#endif
