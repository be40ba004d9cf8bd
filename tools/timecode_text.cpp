#include "timecode_text.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace edlbtool {
namespace {

const ModeInfo kModes[] = {
    {0x01, "film", "film, 24 fps", 24, 0, false},
    {0x02, "ndf", "non-drop frame, 30 fps", 30, 0, false},
    {0x04, "df", "drop frame, 29.97 fps", 30, 2, true},
    {0x08, "pal", "PAL, 25 fps", 25, 0, false},
    {0x10, "pal50", "50 fps", 50, 0, false},
    {0x20, "df5994", "drop frame, 59.94 fps", 60, 4, true},
    {0x40, "ntsc60", "60 fps", 60, 0, false},
    {0x44, "hundredths", "hundredths of a second", 100, 0, false},
    {0x80, "23.98", "23.98 fps, counted like 24", 24, 0, false},
    {0x84, "23.98df", "23.98 fps, counted like 24, drop-frame marker", 24, 0, true},
};

// Other spellings a user may type for --fcm.
struct Alias {
    const char* text;
    unsigned value;
};
const Alias kAliases[] = {
    {"24", 0x01},         {"non-drop", 0x02}, {"nondrop", 0x02},  {"30", 0x02},
    {"drop", 0x04},       {"29.97", 0x04},    {"25", 0x08},       {"50", 0x10},
    {"59.94", 0x20},      {"60", 0x40},       {"100", 0x44},      {"2398", 0x80},
    {"2398df", 0x84},
};

}  // namespace

const ModeInfo& modeInfo(unsigned mode) {
    for (const ModeInfo& info : kModes) {
        if (info.value == (mode & 0xFFu)) return info;
    }
    return kModes[1];
}

const ModeInfo* modes(size_t* count) {
    *count = sizeof kModes / sizeof kModes[0];
    return kModes;
}

const ModeInfo* findMode(const std::string& text) {
    if (text.empty() || text.size() > 16) return nullptr;
    for (const ModeInfo& info : kModes) {
        if (strcasecmp(info.name, text.c_str()) == 0) return &info;
    }
    for (const Alias& alias : kAliases) {
        if (strcasecmp(alias.text, text.c_str()) == 0) return &modeInfo(alias.value);
    }
    // Mode values as the list record holds them: "4", "0x44".
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || text[0] == '-' || text[0] == '+') return nullptr;
    for (const ModeInfo& info : kModes) {
        if (info.value == value) return &info;
    }
    return nullptr;
}

Label labelOf(uint32_t frames, unsigned mode) {
    const ModeInfo& info = modeInfo(mode);
    uint64_t n = frames;
    if (info.dropped != 0) {
        // Add back the frame numbers skipped so far, then count as if none were.
        const uint64_t perTen = info.base * 600u - 9u * info.dropped;
        const uint64_t perMinute = info.base * 60u - info.dropped;
        const uint64_t tens = n / perTen;
        const uint64_t rest = n % perTen;
        n += 9u * info.dropped * tens;
        if (rest > info.dropped) n += info.dropped * ((rest - info.dropped) / perMinute);
    }
    Label label;
    label.frames = static_cast<unsigned>(n % info.base);
    n /= info.base;
    label.seconds = static_cast<unsigned>(n % 60);
    n /= 60;
    label.minutes = static_cast<unsigned>(n % 60);
    label.hours = n / 60;
    return label;
}

uint32_t framesOf(const Label& label, unsigned mode) {
    const ModeInfo& info = modeInfo(mode);
    const uint64_t minutes = label.hours * 60u + label.minutes;
    uint64_t n = (minutes * 60u + label.seconds) * info.base + label.frames;
    if (info.dropped != 0) n -= info.dropped * (minutes - minutes / 10u);
    return static_cast<uint32_t>(n);
}

std::string timecodeText(uint32_t frames, unsigned mode) {
    const Label label = labelOf(frames, mode);
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u%c%02u",
                  static_cast<unsigned long long>(label.hours), label.minutes, label.seconds,
                  modeInfo(mode).dropMark ? ';' : ':', label.frames);
    return text;
}

uint32_t relabel(uint32_t frames, unsigned from, unsigned to) {
    const ModeInfo& source = modeInfo(from);
    const ModeInfo& target = modeInfo(to);
    if (source.base == target.base && source.dropped == target.dropped) return frames;
    Label label = labelOf(frames, from);
    label.frames = static_cast<unsigned>(uint64_t{label.frames} * target.base / source.base);
    // Drop-frame counting has no labels for the first frame numbers of most minutes.
    if (target.dropped != 0 && label.seconds == 0 && label.minutes % 10 != 0 &&
        label.frames < target.dropped) {
        label.frames = target.dropped;
    }
    return framesOf(label, to);
}

int64_t rescale(int64_t frames, unsigned from, unsigned to) {
    const int64_t source = modeInfo(from).base;
    const int64_t target = modeInfo(to).base;
    if (source == target) return frames;
    const int64_t scaled = frames * target;
    return (scaled >= 0 ? scaled + source / 2 : scaled - source / 2) / source;
}

}  // namespace edlbtool
