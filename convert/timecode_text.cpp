#include "timecode_text.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace edlbtool {
namespace {

const ModeInfo* const kModes = edlb::kTcModes;
constexpr size_t kModeCount = sizeof edlb::kTcModes / sizeof edlb::kTcModes[0];

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
    // Values the library does not know count like non-drop 30.
    const ModeInfo& info = edlb::tcMode(mode);
    return edlb::isKnownTcMode(mode) ? info : edlb::tcMode(EDL_TC_NDF);
}

const ModeInfo* modes(size_t* count) {
    *count = kModeCount;
    return kModes;
}

const ModeInfo* findMode(const std::string& text) {
    if (text.empty() || text.size() > 16) return nullptr;
    for (size_t i = 0; i < kModeCount; ++i) {
        if (strcasecmp(kModes[i].name, text.c_str()) == 0) return &kModes[i];
    }
    for (const Alias& alias : kAliases) {
        if (strcasecmp(alias.text, text.c_str()) == 0) return &modeInfo(alias.value);
    }
    // Mode values as the list record holds them: "4", "0x44".
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || text[0] == '-' || text[0] == '+') return nullptr;
    for (size_t i = 0; i < kModeCount; ++i) {
        if (kModes[i].value == value) return &kModes[i];
    }
    return nullptr;
}

Label labelOf(uint32_t frames, unsigned mode) {
    const ModeInfo& info = modeInfo(mode);
    uint64_t n = frames;
    if (info.dropped != 0) {
        // Add back the frame numbers skipped so far, then count as if none were.
        const uint64_t perTen = info.fps * 600u - 9u * info.dropped;
        const uint64_t perMinute = info.fps * 60u - info.dropped;
        const uint64_t tens = n / perTen;
        const uint64_t rest = n % perTen;
        n += 9u * info.dropped * tens;
        if (rest > info.dropped) n += info.dropped * ((rest - info.dropped) / perMinute);
    }
    Label label;
    label.frames = static_cast<unsigned>(n % info.fps);
    n /= info.fps;
    label.seconds = static_cast<unsigned>(n % 60);
    n /= 60;
    label.minutes = static_cast<unsigned>(n % 60);
    label.hours = n / 60;
    return label;
}

uint32_t framesOf(const Label& label, unsigned mode) {
    const ModeInfo& info = modeInfo(mode);
    const uint64_t minutes = label.hours * 60u + label.minutes;
    uint64_t n = (minutes * 60u + label.seconds) * info.fps + label.frames;
    if (info.dropped != 0) n -= info.dropped * (minutes - minutes / 10u);
    return static_cast<uint32_t>(n);
}

std::string timecodeText(uint32_t frames, unsigned mode) {
    const Label label = labelOf(frames, mode);
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u%c%02u",
                  static_cast<unsigned long long>(label.hours), label.minutes, label.seconds,
                  modeInfo(mode).dropFrame ? ';' : ':', label.frames);
    return text;
}

uint32_t relabel(uint32_t frames, unsigned from, unsigned to) {
    const ModeInfo& source = modeInfo(from);
    const ModeInfo& target = modeInfo(to);
    if (source.fps == target.fps && source.dropped == target.dropped) return frames;
    Label label = labelOf(frames, from);
    label.frames = static_cast<unsigned>(uint64_t{label.frames} * target.fps / source.fps);
    // Drop-frame counting has no labels for the first frame numbers of most minutes.
    if (target.dropped != 0 && label.seconds == 0 && label.minutes % 10 != 0 &&
        label.frames < target.dropped) {
        label.frames = target.dropped;
    }
    return framesOf(label, to);
}

int64_t rescale(int64_t frames, unsigned from, unsigned to) {
    const int64_t source = modeInfo(from).fps;
    const int64_t target = modeInfo(to).fps;
    if (source == target) return frames;
    const int64_t scaled = frames * target;
    return (scaled >= 0 ? scaled + source / 2 : scaled - source / 2) / source;
}

}  // namespace edlbtool
