#include "diff.h"

#include "render.h"
#include "timecode_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace edlbtool {
namespace {

using Json = nlohmann::ordered_json;

const char* const kChangeNames[kChangeKindCount] = {"added", "removed", "replaced", "trimmed",
                                                    "moved", "transition", "unchanged"};

// A range of frames [in, end); an empty one still covers its first frame, so that events of
// logs without out points can match.
struct Range {
    uint32_t in = 0, end = 0;
};
Range rangeOf(uint32_t in, uint32_t out) { return {in, out > in ? out : in + 1}; }

uint64_t overlapOf(const Range& a, const Range& b) {
    const uint32_t start = std::max(a.in, b.in), end = std::min(a.end, b.end);
    return end > start ? end - start : 0;
}

uint64_t distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

bool tracksMeet(const EventRow& a, const EventRow& b) {
    if ((a.videoTracks | a.audioTracks) == 0 && (b.videoTracks | b.audioTracks) == 0) return true;
    return (a.videoTracks & b.videoTracks) != 0 || (a.audioTracks & b.audioTracks) != 0;
}

// One event as the comparison sees it: times in NEW's mode, and its names.
struct Compared {
    const EventRow* event = nullptr;
    Range source, record;
    uint32_t srcIn = 0, srcOut = 0, recIn = 0;
    std::string clip;
    bool takesPart = false;
};

std::vector<Compared> prepare(const ListData& data, unsigned toMode) {
    const unsigned fromMode = listMode(data.list.dwTcMode);
    std::vector<Compared> out(data.events.size());
    for (size_t i = 0; i < data.events.size(); ++i) {
        const EventRow& e = data.events[i];
        Compared& c = out[i];
        c.event = &e;
        c.srcIn = relabel(e.srcIn, fromMode, toMode);
        c.srcOut = relabel(e.srcOut, fromMode, toMode);
        c.recIn = relabel(e.recIn, fromMode, toMode);
        c.source = rangeOf(c.srcIn, c.srcOut);
        c.record = rangeOf(c.recIn, relabel(e.recOut, fromMode, toMode));
        c.clip = clipNameOf(data, e);
        c.takesPart = !isTransitionLead(data.events, i);
    }
    return out;
}

// OLD events of one reel or clip name, by source in, with the longest source range among
// them: a search for overlaps looks back from the first that starts too late only that far.
struct Group {
    std::vector<size_t> events;
    uint64_t longest = 0;
};

struct Candidate {
    uint64_t overlap, recordDistance;
    size_t oldIndex, newIndex;
};

void collect(const Group& group, const std::vector<Compared>& olds, const Compared& n,
             size_t newIndex, bool onlyWithoutClip, std::vector<Candidate>& out) {
    const auto& ids = group.events;
    // The first OLD event that starts at or after the end of n's source range.
    size_t i = std::partition_point(ids.begin(), ids.end(), [&](size_t id) {
                   return olds[id].source.in < n.source.end;
               }) - ids.begin();
    while (i-- > 0) {
        const Compared& o = olds[ids[i]];
        if (uint64_t{o.source.in} + group.longest <= n.source.in) break;
        if (onlyWithoutClip && !o.clip.empty()) continue;
        const uint64_t overlap = overlapOf(o.source, n.source);
        if (overlap == 0 || !tracksMeet(*o.event, *n.event)) continue;
        out.push_back({overlap, distance(o.recIn, n.recIn), ids[i], newIndex});
    }
}

void addTo(std::unordered_map<std::string, Group>& groups, const std::string& key, size_t index,
           const Compared& c) {
    Group& group = groups[key];
    group.events.push_back(index);
    group.longest = std::max<uint64_t>(group.longest, c.source.end - c.source.in);
}

void sortGroups(std::unordered_map<std::string, Group>& groups, const std::vector<Compared>& olds) {
    for (auto& entry : groups) {
        std::stable_sort(entry.second.events.begin(), entry.second.events.end(),
                         [&](size_t a, size_t b) { return olds[a].source.in < olds[b].source.in; });
    }
}

// Larger overlap first, then nearer record position, then list order: the same pairs come
// out whatever order the hash maps held them in.
bool better(const Candidate& a, const Candidate& b) {
    if (a.overlap != b.overlap) return a.overlap > b.overlap;
    if (a.recordDistance != b.recordDistance) return a.recordDistance < b.recordDistance;
    if (a.oldIndex != b.oldIndex) return a.oldIndex < b.oldIndex;
    return a.newIndex < b.newIndex;
}

void assign(std::vector<Candidate>& candidates, std::vector<size_t>& oldFor,
            std::vector<size_t>& newFor) {
    std::sort(candidates.begin(), candidates.end(), better);
    for (const Candidate& c : candidates) {
        if (oldFor[c.newIndex] != kNoEvent || newFor[c.oldIndex] != kNoEvent) continue;
        oldFor[c.newIndex] = c.oldIndex;
        newFor[c.oldIndex] = c.newIndex;
    }
}

// Unmatched events of NEW that sit where unmatched events of OLD sat, on a track they
// share: those were replaced.
void pairReplaced(const std::vector<Compared>& olds, const std::vector<Compared>& news,
                  std::vector<size_t>& oldFor, std::vector<size_t>& newFor,
                  std::vector<bool>& replaced) {
    std::vector<size_t> open;
    uint64_t longest = 0;
    for (size_t i = 0; i < olds.size(); ++i) {
        if (!olds[i].takesPart || newFor[i] != kNoEvent) continue;
        open.push_back(i);
        longest = std::max<uint64_t>(longest, olds[i].record.end - olds[i].record.in);
    }
    std::stable_sort(open.begin(), open.end(),
                     [&](size_t a, size_t b) { return olds[a].record.in < olds[b].record.in; });
    std::vector<Candidate> candidates;
    for (size_t n = 0; n < news.size(); ++n) {
        if (!news[n].takesPart || oldFor[n] != kNoEvent) continue;
        size_t i = std::partition_point(open.begin(), open.end(), [&](size_t id) {
                       return olds[id].record.in < news[n].record.end;
                   }) - open.begin();
        while (i-- > 0) {
            const Compared& o = olds[open[i]];
            if (uint64_t{o.record.in} + longest <= news[n].record.in) break;
            const uint64_t overlap = overlapOf(o.record, news[n].record);
            if (overlap == 0 || !tracksMeet(*o.event, *news[n].event)) continue;
            candidates.push_back({overlap, distance(o.recIn, news[n].recIn), open[i], n});
        }
    }
    assign(candidates, oldFor, newFor);
    for (const Candidate& c : candidates) {
        if (oldFor[c.newIndex] == c.oldIndex) replaced[c.newIndex] = true;
    }
}

// Which OLD event each NEW event matched (kNoEvent: none), the reverse, and which NEW events
// replaced the OLD event they matched.
struct Matches {
    std::vector<size_t> oldFor, newFor;
    std::vector<bool> replaced;
};

Matches match(const std::vector<Compared>& olds, const std::vector<Compared>& news) {
    std::unordered_map<std::string, Group> byReel, byClip;
    for (size_t i = 0; i < olds.size(); ++i) {
        if (!olds[i].takesPart) continue;
        addTo(byReel, olds[i].event->reel, i, olds[i]);
        if (!olds[i].clip.empty()) addTo(byClip, olds[i].clip, i, olds[i]);
    }
    sortGroups(byReel, olds);
    sortGroups(byClip, olds);

    std::vector<Candidate> candidates;
    for (size_t n = 0; n < news.size(); ++n) {
        const Compared& c = news[n];
        if (!c.takesPart) continue;
        const auto reel = byReel.find(c.event->reel);
        if (!c.clip.empty()) {
            // Clip names decide where both lists give one; the reel where either has none.
            const auto clip = byClip.find(c.clip);
            if (clip != byClip.end()) collect(clip->second, olds, c, n, false, candidates);
            if (reel != byReel.end()) collect(reel->second, olds, c, n, true, candidates);
        } else if (reel != byReel.end()) {
            collect(reel->second, olds, c, n, false, candidates);
        }
    }
    Matches m{std::vector<size_t>(news.size(), kNoEvent),
              std::vector<size_t>(olds.size(), kNoEvent), std::vector<bool>(news.size(), false)};
    assign(candidates, m.oldFor, m.newFor);
    pairReplaced(olds, news, m.oldFor, m.newFor, m.replaced);
    return m;
}

// The change row of NEW's event n.
DiffRow compared(const std::vector<Compared>& olds, const std::vector<Compared>& news, size_t n,
                 const Matches& matches, unsigned oldMode, unsigned newMode) {
    DiffRow row;
    row.newIndex = n;
    row.oldIndex = matches.oldFor[n];
    if (row.oldIndex == kNoEvent) {
        row.kinds = kAdded;
        return row;
    }
    if (matches.replaced[n]) {
        row.kinds = kReplaced;
        return row;
    }
    const Compared& o = olds[row.oldIndex];
    const EventRow& oe = *o.event;
    const EventRow& ne = *news[n].event;
    row.head = int64_t{news[n].srcIn} - o.srcIn;
    row.tail = int64_t{news[n].srcOut} - o.srcOut;
    row.move = int64_t{news[n].recIn} - o.recIn;
    if (row.head != 0 || row.tail != 0) row.kinds |= kTrimmed;
    if (row.move != 0) row.kinds |= kMoved;
    const bool pattern = ne.editType == 'W' && ne.wipeCode != oe.wipeCode;
    if (ne.editType != oe.editType || pattern ||
        transitionFrames(ne) != rescale(transitionFrames(oe), oldMode, newMode)) {
        row.kinds |= kTransition;
    }
    if (row.kinds == 0) row.kinds = kUnchanged;
    return row;
}

// A row with its sort keys: record in (NEW's mode), then NEW's events before OLD's, then list
// order.
struct Keyed {
    uint32_t time;
    int side;
    size_t index;
    DiffRow row;
};

std::string signedFrames(int64_t value) {
    if (value == 0) return "0";
    return (value > 0 ? "+" : "") + std::to_string(value);
}

std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string listLine(const char* label, const ListData& data) {
    return std::string(label) + escapeControls(data.path) + " (" + typeLabel(data.list.dwListType) +
           ", " + modeLabel(data.list.dwTcMode) + ", " + std::to_string(data.events.size()) +
           " events)\n";
}

// Matched events with another transition say what it was; replaced ones what they replaced.
std::string detailOf(const DiffRow& row, const ListData& oldList, const ListData& newList) {
    if (row.oldIndex == kNoEvent || row.newIndex == kNoEvent) return std::string();
    const EventRow& o = oldList.events[row.oldIndex];
    if ((row.kinds & kReplaced) != 0) {
        const std::string clip = clipNameOf(oldList, o);
        return "was " + o.reel + (clip.empty() ? std::string() : " " + clip);
    }
    if ((row.kinds & kTransition) != 0) {
        return transitionText(o) + " -> " + transitionText(newList.events[row.newIndex]);
    }
    return std::string();
}

Json listSummary(const ListData& data) {
    Json list;
    list["file"] = data.path;
    list["list_type"] = data.list.dwListType;
    list["timecode_mode"] = data.list.dwTcMode & 0xFFu;
    list["timecode_mode_name"] = modeInfo(data.list.dwTcMode).name;
    list["events"] = data.events.size();
    return list;
}

Json eventJson(const ListData& data, size_t index) {
    if (index == kNoEvent) return Json(nullptr);
    const EventRow& e = data.events[index];
    const unsigned mode = data.list.dwTcMode;
    Json item;
    item["edit"] = e.editNumber;
    item["reel"] = e.reel;
    item["clip_name"] = clipNameOf(data, e);
    item["tracks"] = trackText(e.videoTracks, e.audioTracks);
    item["edit_type"] = e.editType != '\0' ? std::string(1, e.editType) : std::string();
    item["transition_frames"] = transitionFrames(e);
    const std::pair<const char*, uint32_t> times[] = {
        {"src_in", e.srcIn}, {"src_out", e.srcOut}, {"rec_in", e.recIn}, {"rec_out", e.recOut}};
    for (const auto& [key, frames] : times) {
        item[key] = {{"timecode", timecodeText(frames, mode)}, {"frames", frames}};
    }
    return item;
}

}  // namespace

const char* changeName(unsigned bit) { return bit < kChangeKindCount ? kChangeNames[bit] : "?"; }

std::string changeText(unsigned kinds) {
    std::string out;
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        if ((kinds & (1u << bit)) == 0) continue;
        if (!out.empty()) out += '+';
        out += kChangeNames[bit];
    }
    return out;
}

bool DiffResult::same() const {
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        if ((1u << bit) != kUnchanged && counts[bit] != 0) return false;
    }
    return true;
}

bool isTransitionLead(const std::vector<EventRow>& events, size_t index) {
    const EventRow& e = events[index];
    // Logs without record times hold nothing but records of no length, often all numbered
    // 0: only a transition after it makes a record a lead.
    return e.recIn == e.recOut && index + 1 < events.size() &&
           events[index + 1].editNumber == e.editNumber && isTransition(events[index + 1].editType);
}

uint32_t transitionFrames(const EventRow& event) {
    if (!isTransition(event.editType)) return 0;
    if (event.effectLength != 0 && event.effectLength != 0xFFFFFFFFu) return event.effectLength;
    // A dissolve's only number is its length; the readers keep it where a wipe's pattern goes.
    if (event.editType == 'D' && event.wipeCode != 0xFFFFFFFFu) return event.wipeCode;
    return 0;
}

std::string transitionText(const EventRow& event) {
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

DiffResult diffLists(const ListData& oldList, const ListData& newList) {
    const unsigned newMode = listMode(newList.list.dwTcMode);
    const unsigned oldMode = listMode(oldList.list.dwTcMode);
    const std::vector<Compared> olds = prepare(oldList, newMode);
    const std::vector<Compared> news = prepare(newList, newMode);
    const Matches matches = match(olds, news);
    std::vector<Keyed> keyed;
    for (size_t n = 0; n < news.size(); ++n) {
        if (!news[n].takesPart) continue;
        keyed.push_back({news[n].recIn, 0, n, compared(olds, news, n, matches, oldMode, newMode)});
    }
    for (size_t o = 0; o < olds.size(); ++o) {
        if (!olds[o].takesPart || matches.newFor[o] != kNoEvent) continue;
        DiffRow row;
        row.kinds = kRemoved;
        row.oldIndex = o;
        keyed.push_back({olds[o].recIn, 1, o, row});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.time != b.time) return a.time < b.time;
        if (a.side != b.side) return a.side < b.side;
        return a.index < b.index;
    });
    DiffResult result;
    for (const Keyed& k : keyed) {
        for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
            if ((k.row.kinds & (1u << bit)) != 0) ++result.counts[bit];
        }
        result.rows.push_back(k.row);
    }
    return result;
}

std::string renderDiffTable(const ListData& oldList, const ListData& newList,
                            const DiffResult& result, bool all) {
    std::string out = listLine("old: ", oldList) + listLine("new: ", newList);
    std::string counts;
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        if ((1u << bit) == kUnchanged || result.counts[bit] == 0) continue;
        counts += (counts.empty() ? "" : ", ") + std::to_string(result.counts[bit]) + " " +
                  kChangeNames[bit];
    }
    out += "changes: " + (counts.empty() ? std::string("none") : counts) + "\n";
    out += "unchanged: " + std::to_string(result.counts[6]) + "\n";
    std::vector<Row> rows;
    rows.push_back({"CHANGE", "NEW", "OLD", "TRACKS", "REC IN", "REC OUT", "HEAD", "TAIL", "MOVE",
                    "REEL", "CLIP NAME", "DETAIL"});
    for (const DiffRow& row : result.rows) {
        if (row.kinds == kUnchanged && !all) continue;
        // Removed events are shown as OLD has them, the others as NEW has them.
        const bool fromNew = row.newIndex != kNoEvent;
        const ListData& list = fromNew ? newList : oldList;
        const EventRow& e = list.events[fromNew ? row.newIndex : row.oldIndex];
        const bool matched = fromNew && row.oldIndex != kNoEvent && (row.kinds & kReplaced) == 0;
        const unsigned mode = list.list.dwTcMode;
        rows.push_back({changeText(row.kinds),
                        fromNew ? std::to_string(e.editNumber) : "-",
                        row.oldIndex != kNoEvent
                            ? std::to_string(oldList.events[row.oldIndex].editNumber)
                            : "-",
                        orDash(trackText(e.videoTracks, e.audioTracks)),
                        timecodeText(e.recIn, mode), timecodeText(e.recOut, mode),
                        matched ? signedFrames(row.head) : "-",
                        matched ? signedFrames(row.tail) : "-",
                        matched ? signedFrames(row.move) : "-", orDash(escapeControls(e.reel)),
                        orDash(escapeControls(clipNameOf(list, e))),
                        orDash(escapeControls(detailOf(row, oldList, newList)))});
    }
    if (rows.size() == 1) return out;
    return out + "HEAD, TAIL and MOVE in frames of new's timecode mode\n\n" + renderColumns(rows);
}

std::string renderDiffJson(const ListData& oldList, const ListData& newList,
                           const DiffResult& result, bool all) {
    Json doc;
    doc["old"] = listSummary(oldList);
    doc["new"] = listSummary(newList);
    doc["same"] = result.same();
    Json summary;
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        summary[kChangeNames[bit]] = result.counts[bit];
    }
    doc["summary"] = summary;
    Json changes = Json::array();
    for (const DiffRow& row : result.rows) {
        if (row.kinds == kUnchanged && !all) continue;
        Json item;
        Json kinds = Json::array();
        for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
            if ((row.kinds & (1u << bit)) != 0) kinds.push_back(kChangeNames[bit]);
        }
        item["change"] = kinds;
        item["new"] = eventJson(newList, row.newIndex);
        item["old"] = eventJson(oldList, row.oldIndex);
        const bool matched =
            row.newIndex != kNoEvent && row.oldIndex != kNoEvent && (row.kinds & kReplaced) == 0;
        item["head"] = matched ? Json(row.head) : Json(nullptr);
        item["tail"] = matched ? Json(row.tail) : Json(nullptr);
        item["move"] = matched ? Json(row.move) : Json(nullptr);
        changes.push_back(item);
    }
    doc["changes"] = changes;
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace edlbtool
