#include "diff.h"

#include "json_writer.h"
#include "render.h"
#include "timecode_text.h"

#include <algorithm>
#include <cstring>

namespace edlbtool {
namespace {

const char* const kChangeNames[kChangeKindCount] = {"added", "removed", "replaced", "trimmed",
                                                    "moved", "transition", "unchanged"};

// A range of frames [in, end); an empty one still covers its first frame, so that events of
// logs without out points can match.
struct Range {
    uint32_t in = 0, end = 0;
};
Range rangeOf(uint32_t in, uint32_t out) { return {in, out > in ? out : in + 1}; }

uint32_t overlapOf(const Range& a, const Range& b) {
    const uint32_t start = std::max(a.in, b.in), end = std::min(a.end, b.end);
    return end > start ? end - start : 0;
}

uint32_t distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

bool tracksMeet(const CutEvent& a, const CutEvent& b) {
    if ((a.videoTracks | a.audioTracks) == 0 && (b.videoTracks | b.audioTracks) == 0) return true;
    return (a.videoTracks & b.videoTracks) != 0 || (a.audioTracks & b.audioTracks) != 0;
}

// One list as the comparison sees it: its times in NEW's mode (OLD's relabelled when its
// mode counts otherwise, kept apart only then), and which events take part.
class Side {
public:
    Side(const CutList& list, unsigned toMode) : list(list) {
        const unsigned fromMode = listMode(list.list.dwTcMode);
        const ModeInfo& from = modeInfo(fromMode);
        const ModeInfo& to = modeInfo(toMode);
        if (from.fps == to.fps && from.dropped == to.dropped) return;
        moved_.reserve(list.events.size());
        for (const CutEvent& e : list.events) {
            moved_.push_back({relabel(e.srcIn, fromMode, toMode), relabel(e.srcOut, fromMode, toMode),
                              relabel(e.recIn, fromMode, toMode), relabel(e.recOut, fromMode, toMode)});
        }
    }
    size_t size() const { return list.events.size(); }
    const CutEvent& event(size_t i) const { return list.events[i]; }
    uint32_t srcIn(size_t i) const { return moved_.empty() ? event(i).srcIn : moved_[i].srcIn; }
    uint32_t srcOut(size_t i) const { return moved_.empty() ? event(i).srcOut : moved_[i].srcOut; }
    uint32_t recIn(size_t i) const { return moved_.empty() ? event(i).recIn : moved_[i].recIn; }
    uint32_t recOut(size_t i) const { return moved_.empty() ? event(i).recOut : moved_[i].recOut; }
    Range source(size_t i) const { return rangeOf(srcIn(i), srcOut(i)); }
    Range record(size_t i) const { return rangeOf(recIn(i), recOut(i)); }
    bool takesPart(size_t i) const { return !isTransitionLead(list.events, i); }

    const CutList& list;

private:
    struct Times {
        uint32_t srcIn, srcOut, recIn, recOut;
    };
    std::vector<Times> moved_;
};

uint32_t hashOf(const char* text) {
    uint32_t hash = 2166136261u;
    for (; *text != '\0'; ++text) {
        hash ^= static_cast<unsigned char>(*text);
        hash *= 16777619u;
    }
    return hash;
}

// OLD's events by the hash of a text (reel or clip name), then by source in: those of one
// text sit together in source order. reach is the longest source range among the events of
// the same hash up to this one, so a search for overlaps looking back from the first event
// that starts too late stops where nothing before can reach.
struct Entry {
    uint32_t hash, in, id, reach;
};

using TextOf = const char* (CutList::*)(const CutEvent&) const;

class Index {
public:
    Index(const Side& olds, TextOf text, bool withEmpty) : olds_(olds), text_(text) {
        for (size_t i = 0; i < olds.size(); ++i) {
            const char* key = (olds.list.*text)(olds.event(i));
            if (!olds.takesPart(i) || (!withEmpty && *key == '\0')) continue;
            const Range source = olds.source(i);
            entries_.push_back({hashOf(key), source.in, static_cast<uint32_t>(i), source.end - source.in});
        }
        std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            if (a.hash != b.hash) return a.hash < b.hash;
            if (a.in != b.in) return a.in < b.in;
            return a.id < b.id;
        });
        for (size_t i = 1; i < entries_.size(); ++i) {
            if (entries_[i].hash == entries_[i - 1].hash) {
                entries_[i].reach = std::max(entries_[i].reach, entries_[i - 1].reach);
            }
        }
    }

    // Calls take(old index) for every OLD event of key whose source range overlaps source.
    template <typename Take>
    void overlapping(const char* key, const Range& source, Take&& take) const {
        const uint32_t hash = hashOf(key);
        const auto first = std::lower_bound(entries_.begin(), entries_.end(), hash,
                                            [](const Entry& e, uint32_t h) { return e.hash < h; });
        // The first entry of the key that starts at or after the end of the source range.
        auto at = std::partition_point(first, entries_.end(), [&](const Entry& e) {
            return e.hash == hash && e.in < source.end;
        });
        while (at != first) {
            --at;
            if (uint64_t{at->in} + at->reach <= source.in) break;
            if (std::strcmp((olds_.list.*text_)(olds_.event(at->id)), key) != 0) continue;
            take(at->id);
        }
    }

private:
    const Side& olds_;
    TextOf text_;
    std::vector<Entry> entries_;
};

struct Candidate {
    uint32_t overlap, recordDistance, oldIndex, newIndex;
};

// Larger overlap first, then nearer record position, then list order: the same pairs come
// out whatever order they were found in.
bool better(const Candidate& a, const Candidate& b) {
    if (a.overlap != b.overlap) return a.overlap > b.overlap;
    if (a.recordDistance != b.recordDistance) return a.recordDistance < b.recordDistance;
    if (a.oldIndex != b.oldIndex) return a.oldIndex < b.oldIndex;
    return a.newIndex < b.newIndex;
}

void assign(std::vector<Candidate>& candidates, std::vector<uint32_t>& oldFor,
            std::vector<uint32_t>& newFor) {
    std::sort(candidates.begin(), candidates.end(), better);
    for (const Candidate& c : candidates) {
        if (oldFor[c.newIndex] != kNoEvent || newFor[c.oldIndex] != kNoEvent) continue;
        oldFor[c.newIndex] = c.oldIndex;
        newFor[c.oldIndex] = c.newIndex;
    }
}

// Which OLD event each NEW event matched (kNoEvent: none), the reverse, and which NEW events
// replaced the OLD event they matched.
struct Matches {
    std::vector<uint32_t> oldFor, newFor;
    std::vector<bool> replaced;
};

// Unmatched events of NEW that sit where unmatched events of OLD sat, on a track they
// share: those were replaced.
void pairReplaced(const Side& olds, const Side& news, Matches& m) {
    std::vector<uint32_t> open;
    uint64_t longest = 0;
    for (size_t i = 0; i < olds.size(); ++i) {
        if (!olds.takesPart(i) || m.newFor[i] != kNoEvent) continue;
        open.push_back(static_cast<uint32_t>(i));
        const Range record = olds.record(i);
        longest = std::max<uint64_t>(longest, record.end - record.in);
    }
    std::stable_sort(open.begin(), open.end(),
                     [&](uint32_t a, uint32_t b) { return olds.record(a).in < olds.record(b).in; });
    std::vector<Candidate> candidates;
    for (size_t n = 0; n < news.size(); ++n) {
        if (!news.takesPart(n) || m.oldFor[n] != kNoEvent) continue;
        const Range record = news.record(n);
        size_t i = std::partition_point(open.begin(), open.end(), [&](uint32_t id) {
                       return olds.record(id).in < record.end;
                   }) - open.begin();
        while (i-- > 0) {
            const Range old = olds.record(open[i]);
            if (uint64_t{old.in} + longest <= record.in) break;
            const uint32_t overlap = overlapOf(old, record);
            if (overlap == 0 || !tracksMeet(olds.event(open[i]), news.event(n))) continue;
            candidates.push_back({overlap, distance(olds.recIn(open[i]), news.recIn(n)), open[i],
                                  static_cast<uint32_t>(n)});
        }
    }
    assign(candidates, m.oldFor, m.newFor);
    for (const Candidate& c : candidates) {
        if (m.oldFor[c.newIndex] == c.oldIndex) m.replaced[c.newIndex] = true;
    }
}

Matches match(const Side& olds, const Side& news) {
    std::vector<Candidate> candidates;
    {
        const Index byReel(olds, &CutList::reel, true), byClip(olds, &CutList::clip, false);
        for (size_t n = 0; n < news.size(); ++n) {
            if (!news.takesPart(n)) continue;
            const CutEvent& e = news.event(n);
            const Range source = news.source(n);
            auto collect = [&](bool onlyWithoutClip) {
                return [&, onlyWithoutClip](uint32_t o) {
                    if (onlyWithoutClip && *olds.list.clip(olds.event(o)) != '\0') return;
                    const uint32_t overlap = overlapOf(olds.source(o), source);
                    if (overlap == 0 || !tracksMeet(olds.event(o), e)) return;
                    candidates.push_back({overlap, distance(olds.recIn(o), news.recIn(n)), o,
                                          static_cast<uint32_t>(n)});
                };
            };
            const char* clip = news.list.clip(e);
            // Clip names decide where both lists give one; the reel where either has none.
            if (*clip != '\0') byClip.overlapping(clip, source, collect(false));
            byReel.overlapping(news.list.reel(e), source, collect(*clip != '\0'));
        }
    }
    Matches m{std::vector<uint32_t>(news.size(), kNoEvent),
              std::vector<uint32_t>(olds.size(), kNoEvent), std::vector<bool>(news.size(), false)};
    assign(candidates, m.oldFor, m.newFor);
    std::vector<Candidate>().swap(candidates);
    pairReplaced(olds, news, m);
    return m;
}

// The change row of NEW's event n.
DiffRow compared(const Side& olds, const Side& news, size_t n, const Matches& matches,
                 unsigned oldMode, unsigned newMode) {
    DiffRow row;
    row.newIndex = static_cast<uint32_t>(n);
    row.oldIndex = matches.oldFor[n];
    if (row.oldIndex == kNoEvent) {
        row.kinds = kAdded;
        return row;
    }
    if (matches.replaced[n]) {
        row.kinds = kReplaced;
        return row;
    }
    const size_t o = row.oldIndex;
    const CutEvent& oe = olds.event(o);
    const CutEvent& ne = news.event(n);
    row.head = int64_t{news.srcIn(n)} - olds.srcIn(o);
    row.tail = int64_t{news.srcOut(n)} - olds.srcOut(o);
    row.move = int64_t{news.recIn(n)} - olds.recIn(o);
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

std::string signedFrames(int64_t value) {
    if (value == 0) return "0";
    return (value > 0 ? "+" : "") + std::to_string(value);
}

std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string listLine(const char* label, const CutList& data) {
    return std::string(label) + escapeControls(data.path) + " (" + typeLabel(data.list.dwListType) +
           ", " + modeLabel(data.list.dwTcMode) + ", " + std::to_string(data.events.size()) +
           " events)\n";
}

// Matched events with another transition say what it was; replaced ones what they replaced.
std::string detailOf(const DiffRow& row, const CutList& oldList, const CutList& newList) {
    if (row.oldIndex == kNoEvent || row.newIndex == kNoEvent) return std::string();
    const CutEvent& o = oldList.events[row.oldIndex];
    if ((row.kinds & kReplaced) != 0) {
        const std::string clip = oldList.clip(o);
        return "was " + std::string(oldList.reel(o)) + (clip.empty() ? std::string() : " " + clip);
    }
    if ((row.kinds & kTransition) != 0) {
        return transitionText(o) + " -> " + transitionText(newList.events[row.newIndex]);
    }
    return std::string();
}

// The cells of a row of the table.
void tableCells(const DiffRow& row, const CutList& oldList, const CutList& newList, Row& cells) {
    // Removed events are shown as OLD has them, the others as NEW has them.
    const bool fromNew = row.newIndex != kNoEvent;
    const CutList& list = fromNew ? newList : oldList;
    const CutEvent& e = list.events[fromNew ? row.newIndex : row.oldIndex];
    const bool matched = fromNew && row.oldIndex != kNoEvent && (row.kinds & kReplaced) == 0;
    const unsigned mode = list.list.dwTcMode;
    cells = {changeText(row.kinds),
             fromNew ? std::to_string(e.editNumber) : "-",
             row.oldIndex != kNoEvent ? std::to_string(oldList.events[row.oldIndex].editNumber)
                                      : "-",
             orDash(trackText(e.videoTracks, e.audioTracks)),
             timecodeText(e.recIn, mode),
             timecodeText(e.recOut, mode),
             matched ? signedFrames(row.head) : "-",
             matched ? signedFrames(row.tail) : "-",
             matched ? signedFrames(row.move) : "-",
             orDash(escapeControls(list.reel(e))),
             orDash(escapeControls(list.clip(e))),
             orDash(escapeControls(detailOf(row, oldList, newList)))};
}

void listSummary(JsonWriter& json, const CutList& data) {
    json.beginObject();
    json.member("file", data.path);
    json.member("list_type", data.list.dwListType);
    json.member("timecode_mode", data.list.dwTcMode & 0xFFu);
    json.member("timecode_mode_name", modeInfo(data.list.dwTcMode).name);
    json.member("events", uint64_t{data.events.size()});
    json.endObject();
}

void eventJson(JsonWriter& json, const CutList& data, uint32_t index) {
    if (index == kNoEvent) {
        json.null();
        return;
    }
    const CutEvent& e = data.events[index];
    const unsigned mode = data.list.dwTcMode;
    json.beginObject();
    json.member("edit", e.editNumber);
    json.member("reel", data.reel(e));
    json.member("clip_name", data.clip(e));
    json.member("tracks", trackText(e.videoTracks, e.audioTracks));
    json.key("edit_type");
    json.value(&e.editType, e.editType != '\0' ? 1 : 0);
    json.member("transition_frames", transitionFrames(e));
    const std::pair<const char*, uint32_t> times[] = {
        {"src_in", e.srcIn}, {"src_out", e.srcOut}, {"rec_in", e.recIn}, {"rec_out", e.recOut}};
    for (const auto& [key, frames] : times) {
        json.key(key, std::strlen(key));
        json.beginObject();
        char label[16];
        json.key("timecode");
        json.value(label, timecodeChars(frames, mode, label));
        json.member("frames", frames);
        json.endObject();
    }
    json.endObject();
}

void nullOr(JsonWriter& json, bool given, int64_t value) {
    if (given) {
        json.value(value);
    } else {
        json.null();
    }
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

DiffResult diffLists(const CutList& oldList, const CutList& newList) {
    const unsigned newMode = listMode(newList.list.dwTcMode);
    const unsigned oldMode = listMode(oldList.list.dwTcMode);
    const Side olds(oldList, newMode), news(newList, newMode);
    const Matches matches = match(olds, news);
    DiffResult result;
    std::vector<DiffRow>& rows = result.rows;
    for (size_t n = 0; n < news.size(); ++n) {
        if (news.takesPart(n)) rows.push_back(compared(olds, news, n, matches, oldMode, newMode));
    }
    for (size_t o = 0; o < olds.size(); ++o) {
        if (!olds.takesPart(o) || matches.newFor[o] != kNoEvent) continue;
        DiffRow row;
        row.kinds = kRemoved;
        row.oldIndex = static_cast<uint32_t>(o);
        rows.push_back(row);
    }
    // Record in (NEW's mode), then NEW's events before OLD's, then list order.
    auto time = [&](const DiffRow& row) {
        return row.newIndex != kNoEvent ? news.recIn(row.newIndex) : olds.recIn(row.oldIndex);
    };
    std::sort(rows.begin(), rows.end(), [&](const DiffRow& a, const DiffRow& b) {
        const uint32_t ta = time(a), tb = time(b);
        if (ta != tb) return ta < tb;
        const bool newA = a.newIndex != kNoEvent, newB = b.newIndex != kNoEvent;
        if (newA != newB) return newA;
        return (newA ? a.newIndex : a.oldIndex) < (newB ? b.newIndex : b.oldIndex);
    });
    for (const DiffRow& row : rows) {
        for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
            if ((row.kinds & (1u << bit)) != 0) ++result.counts[bit];
        }
    }
    return result;
}

void renderDiffTable(const CutList& oldList, const CutList& newList, const DiffResult& result,
                     bool all, PieceSink& out) {
    out << listLine("old: ", oldList) + listLine("new: ", newList);
    std::string counts;
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        if ((1u << bit) == kUnchanged || result.counts[bit] == 0) continue;
        counts += (counts.empty() ? "" : ", ") + std::to_string(result.counts[bit]) + " " +
                  kChangeNames[bit];
    }
    out << "changes: " + (counts.empty() ? std::string("none") : counts) + "\n";
    out << "unchanged: " + std::to_string(result.counts[6]) + "\n";
    // The columns are measured on a first pass over the rows and printed on a second.
    const Row header = {"CHANGE", "NEW", "OLD", "TRACKS", "REC IN", "REC OUT", "HEAD", "TAIL",
                        "MOVE", "REEL", "CLIP NAME", "DETAIL"};
    std::vector<size_t> widths;
    widenColumns(widths, header);
    Row cells;
    bool any = false;
    for (const DiffRow& row : result.rows) {
        if (row.kinds == kUnchanged && !all) continue;
        tableCells(row, oldList, newList, cells);
        widenColumns(widths, cells);
        any = true;
    }
    if (!any) return;
    out << "HEAD, TAIL and MOVE in frames of new's timecode mode\n\n";
    appendTableLine(out.text(), header, widths);
    for (const DiffRow& row : result.rows) {
        if (row.kinds == kUnchanged && !all) continue;
        tableCells(row, oldList, newList, cells);
        appendTableLine(out.text(), cells, widths);
        out.flushSome();
    }
}

void renderDiffJson(const CutList& oldList, const CutList& newList, const DiffResult& result,
                    bool all, PieceSink& out) {
    JsonWriter json(out.text());
    json.beginObject();
    json.key("old");
    listSummary(json, oldList);
    json.key("new");
    listSummary(json, newList);
    json.member("same", result.same());
    json.key("summary");
    json.beginObject();
    for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
        json.key(kChangeNames[bit], std::strlen(kChangeNames[bit]));
        json.value(uint64_t{result.counts[bit]});
    }
    json.endObject();
    json.key("changes");
    json.beginArray();
    for (const DiffRow& row : result.rows) {
        if (row.kinds == kUnchanged && !all) continue;
        json.beginObject();
        json.key("change");
        json.beginArray();
        for (unsigned bit = 0; bit < kChangeKindCount; ++bit) {
            if ((row.kinds & (1u << bit)) != 0) json.value(kChangeNames[bit]);
        }
        json.endArray();
        json.key("new");
        eventJson(json, newList, row.newIndex);
        json.key("old");
        eventJson(json, oldList, row.oldIndex);
        const bool matched =
            row.newIndex != kNoEvent && row.oldIndex != kNoEvent && (row.kinds & kReplaced) == 0;
        json.key("head");
        nullOr(json, matched, row.head);
        json.key("tail");
        nullOr(json, matched, row.tail);
        json.key("move");
        nullOr(json, matched, row.move);
        json.endObject();
        json.flush();
        out.flushSome();
    }
    json.endArray();
    json.endObject();
    json.flush();
    out << "\n";
}

}  // namespace edlbtool
