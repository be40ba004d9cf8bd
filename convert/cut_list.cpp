#include "cut_list.h"

#include "notes.h"

namespace edlbtool {
namespace {

// Reels repeat from one event to the next and are kept once each, up to this many of them;
// clip names are mostly one to an event and kept as they come.
constexpr size_t kMaxSharedReels = 1u << 16;

}  // namespace

CutList::CutList() : texts_(1, '\0') {}

uint32_t CutList::keep(const std::string& text) {
    if (text.empty()) return 0;
    const uint32_t at = static_cast<uint32_t>(texts_.size());
    // A text holding a NUL ends there, as the C strings the readers give.
    texts_.append(text.c_str());
    texts_ += '\0';
    return at;
}

void CutList::add(const EventRow& row) {
    CutEvent event;
    event.editNumber = row.editNumber;
    event.srcIn = row.srcIn;
    event.srcOut = row.srcOut;
    event.recIn = row.recIn;
    event.recOut = row.recOut;
    event.videoTracks = row.videoTracks;
    event.audioTracks = row.audioTracks;
    event.wipeCode = row.wipeCode;
    event.effectLength = row.effectLength;
    event.editType = row.editType;
    const auto shared = reels_.find(row.reel);
    if (shared != reels_.end()) {
        event.reel = shared->second;
    } else {
        event.reel = keep(row.reel);
        if (reels_.size() < kMaxSharedReels) reels_.emplace(row.reel, event.reel);
    }
    const std::string clip = clipNameOf(*this, row);
    // The clip name of the event before is often the same (a transition and its lead).
    event.clip = !events.empty() && clip == this->clip(events.back()) ? events.back().clip : keep(clip);
    forEachNoteLine(row, [&](const char* line, size_t length) {
        const std::string note(line, length);
        if (beginsNoCase(note, "LOC:")) {
            locNotes.push_back({static_cast<uint32_t>(events.size()), note});
        }
    });
    events.push_back(event);
}

std::string readCut(const std::string& name, CutList& out, const ReadOptions& options) {
    out.events.clear();
    out.locNotes.clear();
    out.path = name;
    ListSource source;
    std::string reason = source.open(name);
    if (!reason.empty()) return reason;
    ListReader reader;
    reader.dropEventWarnings();
    ReadOptions interchange = options;
    interchange.legacy = false;
    reason = reader.open(source, interchange, kMaxListEvents);
    static_cast<ListInfo&>(out) = reader.info();
    if (!reason.empty()) return reason;
    EventRow row;
    while (reader.next(row)) out.add(row);
    return reader.reason();
}

bool isTransitionLead(const CutEvents& events, size_t index) {
    const CutEvent& e = events[index];
    // Logs without record times hold nothing but records of no length, often all numbered
    // 0: only a transition after it makes a record a lead.
    return e.recIn == e.recOut && index + 1 < events.size() &&
           events[index + 1].editNumber == e.editNumber && isTransition(events[index + 1].editType);
}

}  // namespace edlbtool
