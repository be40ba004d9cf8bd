#include "timeline.h"

#include "notes.h"
#include "render.h"
#include "timecode_text.h"

#include "services/timecode.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>
#include <vector>

namespace edlbtool {
namespace {

// Layout in pixels. The time axis is 24 pixels a second, kept between 720 and 7200 pixels
// wide: a short cut is not a smear, a feature not a mile.
constexpr double kLabelWidth = 64, kRightMargin = 16, kTitleHeight = 46, kRulerHeight = 28;
constexpr double kLaneHeight = 44, kBoxInset = 4, kLegendHeight = 30, kBottomMargin = 8;
constexpr double kPixelsPerSecond = 24, kMinWidth = 720, kMaxWidth = 7200;
constexpr double kMinTickSpacing = 110;  // room for a timecode label
constexpr double kTickLabelWidth = 76;
constexpr size_t kMaxTicks = 2000;

const char* const kGapPattern = "edlb-gap";

// One decimal, rounded as printf's "%.1f" rounds (the exact value, half to even).
std::string num(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1).ptr;
    return std::string(text, end);
}

struct Lane {
    char kind;  // 'V', 'A', or '-' for events without tracks
    unsigned track;
    std::string name() const {
        return kind == '-' ? std::string("--") : kind + std::to_string(track);
    }
};

// Video lanes from the highest track down, then audio from A1, as editing systems stack them.
std::vector<Lane> lanesOf(const CutList& list, const std::vector<bool>& drawn) {
    uint32_t video = 0, audio = 0;
    bool none = false;
    for (size_t i = 0; i < list.events.size(); ++i) {
        if (!drawn[i]) continue;
        const CutEvent& e = list.events[i];
        video |= e.videoTracks;
        audio |= e.audioTracks;
        none = none || (e.videoTracks | e.audioTracks) == 0;
    }
    std::vector<Lane> lanes;
    for (unsigned bit = 32; bit-- > 0;) {
        if ((video & (1u << bit)) != 0) lanes.push_back({'V', bit + 1});
    }
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((audio & (1u << bit)) != 0) lanes.push_back({'A', bit + 1});
    }
    if (none) lanes.push_back({'-', 0});
    return lanes;
}

bool onLane(const CutEvent& e, const Lane& lane) {
    switch (lane.kind) {
        case 'V': return (e.videoTracks & (1u << (lane.track - 1))) != 0;
        case 'A': return (e.audioTracks & (1u << (lane.track - 1))) != 0;
        default: return (e.videoTracks | e.audioTracks) == 0;
    }
}

struct Axis {
    uint32_t start = 0, end = 1;
    double width = kMinWidth;
    double x(uint32_t frame) const {
        return kLabelWidth + (static_cast<double>(frame) - start) * width / (end - start);
    }
};

Axis axisOf(const CutList& list, const std::vector<bool>& drawn, unsigned fps) {
    Axis axis;
    bool any = false;
    for (size_t i = 0; i < list.events.size(); ++i) {
        if (!drawn[i]) continue;
        const CutEvent& e = list.events[i];
        const uint32_t out = std::max(e.recIn, e.recOut);
        axis.start = any ? std::min(axis.start, e.recIn) : e.recIn;
        axis.end = any ? std::max(axis.end, out) : out;
        any = true;
    }
    if (!any) axis.start = 0;
    // Nothing but events without length still needs an axis: one second of it.
    if (axis.end <= axis.start) axis.end = axis.start + fps;
    const double seconds = static_cast<double>(axis.end - axis.start) / fps;
    axis.width = std::min(kMaxWidth, std::max(kMinWidth, seconds * kPixelsPerSecond));
    return axis;
}

// Ticks at whole seconds of timecode, as far apart as the labels need.
std::vector<uint32_t> ticksOf(const Axis& axis, unsigned mode) {
    const ModeInfo& info = modeInfo(mode);
    const double pixelsPerSecond = axis.width * info.fps / (axis.end - axis.start);
    static const uint64_t kSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
    uint64_t step = 0;
    for (uint64_t candidate : kSteps) {
        if (candidate * pixelsPerSecond >= kMinTickSpacing) {
            step = candidate;
            break;
        }
    }
    if (step == 0) {
        step = 3600 * static_cast<uint64_t>(std::ceil(kMinTickSpacing / (3600 * pixelsPerSecond)));
    }
    const TcLabel first = tcLabelOf(axis.start, mode);
    uint64_t seconds = (uint64_t{first.hours} * 60 + first.minutes) * 60 + first.seconds;
    if (first.frames != 0) ++seconds;
    seconds = (seconds + step - 1) / step * step;
    std::vector<uint32_t> ticks;
    for (; ticks.size() < kMaxTicks; seconds += step) {
        const TcLabel label{static_cast<uint32_t>(seconds / 3600),
                            static_cast<uint32_t>(seconds / 60 % 60),
                            static_cast<uint32_t>(seconds % 60), 0};
        const uint64_t frame = tcFramesOf(tcCountedLabel(label, mode), mode);
        if (frame > axis.end || frame < axis.start) break;
        ticks.push_back(static_cast<uint32_t>(frame));
    }
    return ticks;
}

uint32_t fnv1a(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string hexColour(double r, double g, double b) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<unsigned>(std::lround(r * 255)),
                  static_cast<unsigned>(std::lround(g * 255)),
                  static_cast<unsigned>(std::lround(b * 255)));
    return text;
}

// The stroke and the words of each kind of change, most telling first.
struct ChangeStyle {
    unsigned kind;
    const char* colour;
    const char* dash;
};
const ChangeStyle kChangeStyles[] = {
    {kAdded, "#1a9641", ""},      {kReplaced, "#7b3294", ""},
    {kTrimmed, "#e66101", ""},    {kMoved, "#2166ac", "6 3"},
    {kTransition, "#8c510a", "2 2"},
};

const ChangeStyle* styleOf(unsigned kinds) {
    for (const ChangeStyle& style : kChangeStyles) {
        if ((kinds & style.kind) != 0) return &style;
    }
    return nullptr;
}

std::string classesOf(unsigned kinds) {
    std::string text = changeText(kinds & ~kUnchanged);
    for (char& c : text) {
        if (c == '+') c = ' ';
    }
    return text;
}

std::string signedFrames(int64_t value) { return (value > 0 ? "+" : "") + std::to_string(value); }

// What a box says of its change: "added", "head +12, tail -3", "moved +30", ...
std::string changeLine(const DiffRow& row, const TimelineChanges& changes) {
    if ((row.kinds & kAdded) != 0) return "added";
    if ((row.kinds & kReplaced) != 0) {
        const CutEvent& old = changes.oldList->events[row.oldIndex];
        const std::string clip = changes.oldList->clip(old);
        return "replaced, was " + (clip.empty() ? std::string(changes.oldList->reel(old)) : clip);
    }
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    if ((row.kinds & kTrimmed) != 0) {
        if (row.head != 0) add("head " + signedFrames(row.head));
        if (row.tail != 0) add("tail " + signedFrames(row.tail));
    }
    if ((row.kinds & kMoved) != 0) add("moved " + signedFrames(row.move));
    if ((row.kinds & kTransition) != 0) add("transition");
    return out;
}

std::string nameOf(const CutList& list, const CutEvent& e) {
    const std::string clip = list.clip(e);
    return clip.empty() ? std::string(list.reel(e)) : clip;
}

std::string editLabel(const CutEvent& e) {
    char text[16];
    std::snprintf(text, sizeof text, "%03u", e.editNumber);
    return text;
}

// The fill of a flag whose note names no colour.
const char* const kNoColourFill = "#f07c00";

const char* fillOf(const std::string& colour) {
    const MarkerColour* row = markerColour(colour);
    return row != nullptr ? row->fill : kNoColourFill;
}

// An SVG written piece by piece.
class Svg {
public:
    explicit Svg(PieceSink& out) : out_(out) {}
    void line(const std::string& text) {
        out_.text() += text;
        out_.text() += '\n';
        out_.flushSome();
    }

private:
    PieceSink& out_;
};

struct Picture {
    const CutList& list;
    const TimelineChanges& changes;
    unsigned mode;
    std::vector<bool> drawn;
    std::vector<Lane> lanes;
    Axis axis;
    std::vector<const DiffRow*> rowOf;  // NEW's event index to its change row
    double width = 0, height = 0;

    double laneTop(size_t lane) const { return kTitleHeight + kRulerHeight + lane * kLaneHeight; }
    // An event's reel colour, worked out once a reel (the list keeps each reel once).
    const std::string& colourOf(const CutEvent& e) const {
        auto known = colours.find(e.reel);
        if (known == colours.end()) known = colours.emplace(e.reel, reelColour(list.reel(e))).first;
        return known->second;
    }
    mutable std::unordered_map<uint32_t, std::string> colours{};
};

std::string titleOf(const CutList& list) {
    const std::string title = fixedText(list.list.szTitle, sizeof list.list.szTitle);
    return title.empty() ? list.path : title;
}

void drawHead(Svg& svg, const Picture& p) {
    svg.line("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(p.width) + "\" height=\"" +
             num(p.height) + "\" viewBox=\"0 0 " + num(p.width) + " " + num(p.height) +
             "\" font-family=\"sans-serif\" font-size=\"11\">");
    svg.line("<title>" + xmlText(titleOf(p.list)) + "</title>");
    svg.line(std::string("<defs><pattern id=\"") + kGapPattern +
             "\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
             "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#ffffff\"/>"
             "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#c8c8c8\" stroke-width=\"3\"/>"
             "</pattern></defs>");
    svg.line("<rect class=\"background\" width=\"" + num(p.width) + "\" height=\"" + num(p.height) +
             "\" fill=\"#ffffff\"/>");
    svg.line("<text x=\"8\" y=\"18\" font-size=\"14\" font-weight=\"bold\">" +
             xmlText(titleOf(p.list)) + "</text>");
    const ModeInfo& info = modeInfo(p.mode);
    svg.line("<text x=\"8\" y=\"36\" fill=\"#555555\">" +
             xmlText(p.list.path + " - " + info.name + " (" + info.description + ") - " +
                     std::to_string(p.list.events.size()) + " events - record " +
                     timecodeText(p.axis.start, p.mode) + " to " +
                     timecodeText(p.axis.end, p.mode)) +
             "</text>");
}

void drawRuler(Svg& svg, const Picture& p) {
    const double top = kTitleHeight, bottom = kTitleHeight + kRulerHeight;
    const double lanesBottom = p.laneTop(p.lanes.size());
    svg.line("<g class=\"ruler\">");
    svg.line("<line x1=\"" + num(kLabelWidth) + "\" y1=\"" + num(bottom) + "\" x2=\"" +
             num(kLabelWidth + p.axis.width) + "\" y2=\"" + num(bottom) +
             "\" stroke=\"#888888\"/>");
    for (uint32_t tick : ticksOf(p.axis, p.mode)) {
        const std::string x = num(p.axis.x(tick));
        svg.line("<line x1=\"" + x + "\" y1=\"" + num(bottom) + "\" x2=\"" + x + "\" y2=\"" +
                 num(lanesBottom) + "\" stroke=\"#e2e2e2\"/>");
        svg.line("<line x1=\"" + x + "\" y1=\"" + num(top + 16) + "\" x2=\"" + x + "\" y2=\"" +
                 num(bottom) + "\" stroke=\"#888888\"/>");
        // A label that would run off the right edge is left out; its tick stays.
        if (p.axis.x(tick) + kTickLabelWidth > p.width) continue;
        svg.line("<text class=\"tick\" x=\"" + num(p.axis.x(tick) + 3) + "\" y=\"" +
                 num(top + 13) + "\" fill=\"#444444\">" + timecodeText(tick, p.mode) + "</text>");
    }
    svg.line("</g>");
}

void drawLanes(Svg& svg, const Picture& p) {
    for (size_t i = 0; i < p.lanes.size(); ++i) {
        const double top = p.laneTop(i);
        svg.line("<g class=\"lane\" data-lane=\"" + p.lanes[i].name() + "\"><rect x=\"" +
                 num(kLabelWidth) + "\" y=\"" + num(top) + "\" width=\"" + num(p.axis.width) +
                 "\" height=\"" + num(kLaneHeight) +
                 "\" fill=\"#f3f3f3\" stroke=\"#dddddd\"/><text x=\"10\" y=\"" +
                 num(top + kLaneHeight / 2 + 4) + "\" font-size=\"13\" font-weight=\"bold\">" +
                 p.lanes[i].name() + "</text></g>");
    }
}

// Stretches of a lane before its last event that no event covers.
void drawGaps(Svg& svg, const Picture& p) {
    for (size_t lane = 0; lane < p.lanes.size(); ++lane) {
        std::vector<std::pair<uint32_t, uint32_t>> spans;
        for (size_t i = 0; i < p.list.events.size(); ++i) {
            const CutEvent& e = p.list.events[i];
            if (p.drawn[i] && onLane(e, p.lanes[lane])) {
                spans.push_back({e.recIn, std::max(e.recIn, e.recOut)});
            }
        }
        std::sort(spans.begin(), spans.end());
        uint32_t covered = p.axis.start;
        for (const auto& [in, out] : spans) {
            if (in > covered) {
                const double top = p.laneTop(lane) + kBoxInset;
                svg.line("<rect class=\"gap\" data-lane=\"" + p.lanes[lane].name() + "\" x=\"" +
                         num(p.axis.x(covered)) + "\" y=\"" + num(top) + "\" width=\"" +
                         num(p.axis.x(in) - p.axis.x(covered)) + "\" height=\"" +
                         num(kLaneHeight - 2 * kBoxInset) + "\" fill=\"url(#" + kGapPattern +
                         ")\"><title>gap " + timecodeText(covered, p.mode) + " to " +
                         timecodeText(in, p.mode) + " (" + std::to_string(in - covered) +
                         " frames)</title></rect>");
            }
            covered = std::max(covered, out);
        }
    }
}

// Where a transition ends on the record side, within its event.
uint32_t transitionEnd(const CutEvent& e) {
    const uint32_t length = e.recOut > e.recIn ? e.recOut - e.recIn : 0;
    return e.recIn + std::min(transitionFrames(e), length);
}

// What hovering a box shows: edit and name, reel, tracks and transition, the times, and
// the change when comparing.
std::string boxTip(const Picture& p, const CutEvent& e, const std::string& change) {
    std::string tip = editLabel(e) + " " + nameOf(p.list, e) + "\nreel " + p.list.reel(e) + ", " +
                      trackText(e.videoTracks, e.audioTracks) + ", " + transitionText(e) +
                      "\nsource " + timecodeText(e.srcIn, p.mode) + " to " +
                      timecodeText(e.srcOut, p.mode) + "\nrecord " +
                      timecodeText(e.recIn, p.mode) + " to " + timecodeText(e.recOut, p.mode);
    if (!change.empty()) tip += "\n" + change;
    return tip;
}

// An event's box on each of its lanes.
struct Box {
    double x0 = 0, x1 = 0;
    std::string classes, stroke, tip, label;
};

Box boxOf(const Picture& p, size_t i) {
    const CutEvent& e = p.list.events[i];
    const DiffRow* row = p.rowOf.empty() ? nullptr : p.rowOf[i];
    const ChangeStyle* style = row != nullptr ? styleOf(row->kinds) : nullptr;
    const std::string clip = p.list.clip(e);
    const std::string change = row != nullptr ? changeLine(*row, p.changes) : std::string();
    Box box;
    box.tip = boxTip(p, e, change);
    // A box of no length is drawn a pixel and a half wide, inside the time area.
    box.x0 = p.axis.x(e.recIn);
    box.x1 = std::max(p.axis.x(std::max(e.recIn, e.recOut)), box.x0 + 1.5);
    if (box.x1 > kLabelWidth + p.axis.width) {
        box.x0 -= box.x1 - (kLabelWidth + p.axis.width);
        box.x1 = kLabelWidth + p.axis.width;
    }
    // A label starts after the transition that covers the head of the box.
    const double labelX = p.axis.x(transitionEnd(e)) - box.x0 + 4;
    box.label = "<text x=\"" + num(labelX) + "\" y=\"14\">" +
                xmlText(editLabel(e) + " " + nameOf(p.list, e)) + "</text>";
    // The second line: what changed when comparing, else the reel under a clip name.
    const std::string second = !change.empty() ? change : (clip.empty() ? "" : p.list.reel(e));
    if (!second.empty()) {
        box.label += "<text x=\"" + num(labelX) + "\" y=\"29\" fill=\"#333333\">" +
                     xmlText(second) + "</text>";
    }
    box.classes = "event";
    if (row != nullptr && row->kinds != kUnchanged) box.classes += " " + classesOf(row->kinds);
    box.stroke = "#555555\" stroke-width=\"1";
    if (style != nullptr) {
        box.stroke = std::string(style->colour) + "\" stroke-width=\"3";
        if (*style->dash) box.stroke += std::string("\" stroke-dasharray=\"") + style->dash;
    }
    return box;
}

void drawBoxes(Svg& svg, const Picture& p) {
    for (size_t i = 0; i < p.list.events.size(); ++i) {
        if (!p.drawn[i]) continue;
        const CutEvent& e = p.list.events[i];
        const Box box = boxOf(p, i);
        for (size_t lane = 0; lane < p.lanes.size(); ++lane) {
            if (!onLane(e, p.lanes[lane])) continue;
            const double y = p.laneTop(lane) + kBoxInset, h = kLaneHeight - 2 * kBoxInset;
            svg.line("<g class=\"" + box.classes + "\" data-lane=\"" + p.lanes[lane].name() +
                     "\" data-edit=\"" + std::to_string(e.editNumber) + "\">");
            svg.line("<title>" + xmlText(box.tip) + "</title>");
            svg.line("<rect x=\"" + num(box.x0) + "\" y=\"" + num(y) + "\" width=\"" +
                     num(box.x1 - box.x0) + "\" height=\"" + num(h) + "\" rx=\"3\" fill=\"" +
                     p.colourOf(e) + "\" stroke=\"" + box.stroke + "\"/>");
            // The nested svg clips the label to its box.
            svg.line("<svg x=\"" + num(box.x0) + "\" y=\"" + num(y) + "\" width=\"" +
                     num(box.x1 - box.x0) + "\" height=\"" + num(h) + "\">" + box.label +
                     "</svg>");
            svg.line("</g>");
        }
    }
}

// A transition is drawn over the head of the event it leads into: the outgoing shot (the
// lead record, else the event that ends there) fades from full height to nothing.
// The drawn events by record out (then by place in the list), built when a transition
// first needs it: four bytes an event.
class EndIndex {
public:
    explicit EndIndex(const Picture& p) : p_(p) {}

    // The last drawn event before event i whose record out is frame; null when none is.
    const CutEvent* lastEndingAt(uint32_t frame, size_t i) {
        const auto& events = p_.list.events;
        if (order_.empty()) build();
        const auto key = [&events](uint32_t index) {
            return std::make_pair(events[index].recOut, index);
        };
        auto at = std::lower_bound(order_.begin(), order_.end(), std::make_pair(frame, uint32_t(i)),
                                   [&key](uint32_t index, const std::pair<uint32_t, uint32_t>& k) {
                                       return key(index) < k;
                                   });
        if (at == order_.begin() || events[*(at - 1)].recOut != frame) return nullptr;
        return &events[*(at - 1)];
    }

private:
    void build() {
        const auto& events = p_.list.events;
        for (size_t j = 0; j < events.size(); ++j) {
            if (p_.drawn[j]) order_.push_back(static_cast<uint32_t>(j));
        }
        std::stable_sort(order_.begin(), order_.end(), [&events](uint32_t a, uint32_t b) {
            return events[a].recOut < events[b].recOut;
        });
    }

    const Picture& p_;
    std::vector<uint32_t> order_;
};

void drawTransitions(Svg& svg, const Picture& p) {
    const auto& events = p.list.events;
    EndIndex ends(p);
    for (size_t i = 0; i < events.size(); ++i) {
        const CutEvent& e = events[i];
        if (!p.drawn[i] || transitionEnd(e) == e.recIn) continue;
        // The event the transition comes from: the one just before it, or the last before
        // it that ends where it begins.
        const CutEvent* from = nullptr;
        if (i > 0 && isTransitionLead(events, i - 1)) {
            from = &events[i - 1];
        } else {
            from = ends.lastEndingAt(e.recIn, i);
        }
        const std::string fromName = from != nullptr ? nameOf(p.list, *from) : std::string();
        const double x0 = p.axis.x(e.recIn), x1 = p.axis.x(transitionEnd(e));
        for (size_t lane = 0; lane < p.lanes.size(); ++lane) {
            if (!onLane(e, p.lanes[lane])) continue;
            const double top = p.laneTop(lane) + kBoxInset;
            const double bottom = top + kLaneHeight - 2 * kBoxInset;
            svg.line("<g class=\"transition\" data-lane=\"" + p.lanes[lane].name() + "\"><title>" +
                     xmlText(transitionText(e) + (fromName.empty() ? "" : " from " + fromName) +
                             " to " + nameOf(p.list, e)) +
                     "</title><polygon points=\"" + num(x0) + "," + num(top) + " " + num(x1) +
                     "," + num(top) + " " + num(x0) + "," + num(bottom) + "\" fill=\"" +
                     (from != nullptr ? p.colourOf(*from) : std::string("#bbbbbb")) +
                     "\" stroke=\"#333333\" stroke-width=\"0.8\"/></g>");
        }
    }
}

void drawMarkers(Svg& svg, const Picture& p) {
    for (const CutNote& note : p.list.locNotes) {
        if (!p.drawn[note.event]) continue;
        const CutEvent& e = p.list.events[note.event];
        size_t lane = 0;
        while (lane < p.lanes.size() && !onLane(e, p.lanes[lane])) ++lane;
        if (lane == p.lanes.size()) continue;
        {
            Marker marker;
            if (!parseMarker(note.line, e, p.mode, marker)) continue;
            const double x = p.axis.x(marker.frame), top = p.laneTop(lane);
            svg.line("<g class=\"marker\" data-lane=\"" + p.lanes[lane].name() + "\"><title>" +
                     xmlText("marker " + timecodeText(marker.frame, p.mode) +
                             (marker.colour.empty() ? "" : " " + marker.colour) +
                             (marker.text.empty() ? "" : ": " + marker.text)) +
                     "</title><line x1=\"" + num(x) + "\" y1=\"" + num(top + 1) + "\" x2=\"" +
                     num(x) + "\" y2=\"" + num(top + kLaneHeight - 1) +
                     "\" stroke=\"#202020\" stroke-width=\"1.5\"/><polygon points=\"" + num(x) +
                     "," + num(top + 1) + " " + num(x + 11) + "," + num(top + 5) + " " + num(x) +
                     "," + num(top + 9) + "\" fill=\"" + fillOf(marker.colour) +
                     "\" stroke=\"#202020\" stroke-width=\"0.8\"/></g>");
        }
    }
}

void drawLegend(Svg& svg, const Picture& p) {
    if (p.changes.result == nullptr) return;
    const double y = p.laneTop(p.lanes.size()) + 10;
    double x = 8;
    svg.line("<g class=\"legend\">");
    for (const ChangeStyle& style : kChangeStyles) {
        unsigned bit = 0;
        while ((1u << bit) != style.kind) ++bit;
        svg.line("<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"14\" height=\"12\" "
                 "fill=\"#ffffff\" stroke=\"" + style.colour + "\" stroke-width=\"3\"" +
                 (*style.dash ? std::string(" stroke-dasharray=\"") + style.dash + "\"" : "") +
                 "/><text x=\"" + num(x + 20) + "\" y=\"" + num(y + 10) + "\">" +
                 changeName(bit) + " " + std::to_string(p.changes.result->counts[bit]) +
                 "</text>");
        x += 120;
    }
    svg.line("<text x=\"" + num(x) + "\" y=\"" + num(y + 10) + "\" fill=\"#555555\">removed " +
             std::to_string(p.changes.result->counts[1]) + " (only in " +
             xmlText(p.changes.oldList->path) + ")</text>");
    svg.line("</g>");
}

Picture layout(const CutList& list, const TimelineChanges& changes) {
    Picture p{list, changes, 0, {}, {}, {}, {}, 0, 0};
    p.mode = listMode(list.list.dwTcMode);
    p.drawn.resize(list.events.size());
    for (size_t i = 0; i < list.events.size(); ++i) p.drawn[i] = !isTransitionLead(list.events, i);
    p.lanes = lanesOf(list, p.drawn);
    p.axis = axisOf(list, p.drawn, modeInfo(p.mode).fps);
    if (changes.result != nullptr) {
        p.rowOf.assign(list.events.size(), nullptr);
        for (const DiffRow& row : changes.result->rows) {
            if (row.newIndex != kNoEvent) p.rowOf[row.newIndex] = &row;
        }
    }
    p.width = kLabelWidth + p.axis.width + kRightMargin;
    p.height = p.laneTop(p.lanes.size()) + (changes.result != nullptr ? kLegendHeight : 0) +
               kBottomMargin;
    return p;
}

void svgOf(const Picture& p, PieceSink& out) {
    Svg svg(out);
    drawHead(svg, p);
    drawRuler(svg, p);
    drawLanes(svg, p);
    drawGaps(svg, p);
    drawBoxes(svg, p);
    drawTransitions(svg, p);
    drawMarkers(svg, p);
    drawLegend(svg, p);
    svg.line("</svg>");
}

std::string cell(const std::string& text) { return "<td>" + xmlText(text) + "</td>"; }

std::string tableRowOf(const CutList& list, const CutEvent& e, bool changeColumn,
                       const std::string& change, const std::string& rowClass) {
    const unsigned mode = list.list.dwTcMode;
    std::string out = "<tr" + (rowClass.empty() ? "" : " class=\"" + rowClass + "\"") + ">";
    out += cell(editLabel(e));
    out += "<td><span class=\"swatch\" style=\"background:" + reelColour(list.reel(e)) +
           "\"></span>" + xmlText(list.reel(e)) + "</td>";
    out += cell(list.clip(e)) + cell(trackText(e.videoTracks, e.audioTracks)) +
           cell(transitionText(e)) + cell(timecodeText(e.srcIn, mode)) +
           cell(timecodeText(e.srcOut, mode)) + cell(timecodeText(e.recIn, mode)) +
           cell(timecodeText(e.recOut, mode));
    if (changeColumn) out += cell(change);
    return out + "</tr>\n";
}

}  // namespace

std::string xmlText(const std::string& text) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                case '"': out += "&quot;"; break;
                case '\'': out += "&#39;"; break;
                default:
                    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') out += kReplacement;
                    else out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        // A UTF-8 sequence: its length from the lead byte, then continuation bytes, no
        // overlong forms, no surrogates, nothing past U+10FFFF, and no U+FFFE or U+FFFF.
        size_t length = c >= 0xF8 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        uint32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0Fu : c & 0x1Fu;
        bool valid = length != 0 && i + length <= n;
        for (size_t k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
        if (valid) {
            out.append(text, i, length);
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

std::string reelColour(const std::string& reel) {
    if (reel.empty()) return "#cccccc";
    // A hue from the reel's name, so a reel keeps its colour from one cut to the next.
    const double hue = fnv1a(reel) % 360;
    const double saturation = 0.55, lightness = 0.72;
    const double chroma = (1 - std::fabs(2 * lightness - 1)) * saturation;
    const double h = hue / 60;
    const double second = chroma * (1 - std::fabs(std::fmod(h, 2) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
        case 0: r = chroma, g = second; break;
        case 1: r = second, g = chroma; break;
        case 2: g = chroma, b = second; break;
        case 3: g = second, b = chroma; break;
        case 4: r = second, b = chroma; break;
        default: r = chroma, b = second; break;
    }
    const double m = lightness - chroma / 2;
    return hexColour(r + m, g + m, b + m);
}

bool parseMarker(const std::string& note, const CutEvent& event, unsigned mode, Marker& out) {
    LocNote loc;
    if (!parseLocNote(note, mode, loc)) return false;
    out = Marker();
    out.frame = event.recIn;
    if (loc.timed) {
        if (loc.frames >= event.recIn && loc.frames <= event.recOut) {
            out.frame = loc.frames;
        } else if (loc.frames >= event.srcIn && loc.frames <= event.srcOut) {
            out.frame = event.recIn + (loc.frames - event.srcIn);
        }
    }
    if (loc.colour != nullptr) out.colour = loc.colour->name;
    out.text = loc.text;
    return true;
}

void renderTimelineSvg(const CutList& list, const TimelineChanges& changes, PieceSink& out) {
    svgOf(layout(list, changes), out);
}

void renderTimelineHtml(const CutList& list, const TimelineChanges& changes, PieceSink& out) {
    const Picture p = layout(list, changes);
    const bool comparing = changes.result != nullptr;
    out <<
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>" +
        xmlText(titleOf(list)) + "</title>\n<style>\n"
        "body { font-family: sans-serif; margin: 16px; color: #202020; }\n"
                ".page { display: flex; flex-wrap: wrap; gap: 16px; align-items: flex-start; }\n"
        ".timeline { overflow-x: auto; max-width: 100%; }\n"
        "table { border-collapse: collapse; font-size: 12px; }\n"
        "th, td { border: 1px solid #cccccc; padding: 2px 6px; text-align: left;\n"
        "  white-space: nowrap; }\n"
        "th { background: #eeeeee; }\n"
        ".swatch { display: inline-block; width: 10px; height: 10px; margin-right: 4px;\n"
        "  border: 1px solid #555555; }\n"
        "tr.added td { background: #e6f4ea; }\n"
        "tr.replaced td { background: #f1e6f5; }\n"
        "tr.removed td { background: #fbe9e9; color: #777777; }\n"
        "</style>\n</head>\n<body>\n<div class=\"page\">\n<div class=\"timeline\">\n";
    svgOf(p, out);
    out << std::string("</div>\n<table class=\"events\">\n<tr><th>EDIT</th><th>REEL</th>"
        "<th>CLIP NAME</th><th>TRACKS</th><th>TRANSITION</th><th>SRC IN</th><th>SRC OUT</th>"
        "<th>REC IN</th><th>REC OUT</th>") +
        (comparing ? "<th>CHANGE</th>" : "") + "</tr>\n";
    for (size_t i = 0; i < list.events.size(); ++i) {
        const DiffRow* row = p.rowOf.empty() ? nullptr : p.rowOf[i];
        std::string change, rowClass;
        if (row != nullptr && row->kinds != kUnchanged) {
            change = changeLine(*row, changes);
            rowClass = classesOf(row->kinds);
        }
        out << tableRowOf(list, list.events[i], comparing, change, rowClass);
    }
    if (comparing) {
        for (const DiffRow& row : changes.result->rows) {
            if ((row.kinds & kRemoved) == 0) continue;
            out << tableRowOf(*changes.oldList, changes.oldList->events[row.oldIndex], true,
                              "removed", "removed");
        }
    }
    out << "</table>\n</div>\n</body>\n</html>\n";
}

}  // namespace edlbtool
