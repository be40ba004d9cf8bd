// A whole list kept small, for the commands that compare or draw every event of it at once
// (the change list and the picture): per event only the numbers they use, the reel and the
// clip name in one pool of texts, and the few "LOC:" notes apart.
#ifndef EDLBRIDGE_TOOLS_CUT_LIST_H
#define EDLBRIDGE_TOOLS_CUT_LIST_H

#include "list_reader.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace edlbtool {

struct CutEvent {
    uint32_t editNumber = 0;
    uint32_t srcIn = 0, srcOut = 0, recIn = 0, recOut = 0;
    uint32_t videoTracks = 0, audioTracks = 0;
    uint32_t wipeCode = 0, effectLength = 0;
    uint32_t reel = 0, clip = 0;  // where the reel and the clip name begin in the pool
    char editType = 'C';
};

// Kept in blocks: a long list grows without copying what it holds.
using CutEvents = std::deque<CutEvent>;

// A "LOC:" note line of the event at index event.
struct CutNote {
    uint32_t event;
    std::string line;
};

class CutList : public ListInfo {
public:
    CutList();
    CutEvents events;
    std::vector<CutNote> locNotes;  // in event order

    // Adds an event as read; its clip name as clipNameOf gives it.
    void add(const EventRow& row);
    const char* reel(const CutEvent& event) const { return texts_.data() + event.reel; }
    const char* clip(const CutEvent& event) const { return texts_.data() + event.clip; }

private:
    uint32_t keep(const std::string& text);

    std::string texts_;  // each text ended by a NUL; an empty one at 0
    std::unordered_map<std::string, uint32_t> reels_;
};

// Reads every event of the list or timeline named name (standard input for '-') for
// interchange, at the rate options give; at most about four million events. Empty text on success, else the reason.
std::string readCut(const std::string& name, CutList& out, const ReadOptions& options = {});

// The outgoing record of a transition: no record length, and the next record is a
// transition (dissolve, wipe or key) with the same edit number. It names what the
// transition leaves, not a shot of its own, so it is neither compared nor drawn as a box.
bool isTransitionLead(const CutEvents& events, size_t index);

}  // namespace edlbtool

#endif
