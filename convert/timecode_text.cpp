#include "timecode_text.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "list_type_names.h"
#include "services/timecode.h"

namespace edlbtool {
namespace {

const ModeInfo* const kModes = edlb::kTcModes;
constexpr size_t kModeCount = sizeof edlb::kTcModes / sizeof edlb::kTcModes[0];

// "23.976 DF", "23.976-df" and "23.976df" are one spelling.
constexpr const char* kModePassedOver = " \t-_";

// Whether folded is the mode's name or one of the blank-separated words of its spellings.
bool isSpelling(const ModeInfo& mode, const std::string& folded) {
    if (foldedName(mode.name, kModePassedOver) == folded) return true;
    for (const char* word = mode.spellings; *word != '\0';) {
        const size_t wordLength = std::strcspn(word, " ");
        if (foldedName(std::string(word, wordLength), kModePassedOver) == folded) return true;
        word += wordLength;
        word += std::strspn(word, " ");
    }
    return false;
}

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
    const std::string folded = foldedName(text, kModePassedOver);
    for (size_t i = 0; i < kModeCount && !folded.empty(); ++i) {
        if (isSpelling(kModes[i], folded)) return &kModes[i];
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

unsigned listMode(uint32_t tcMode) {
    const unsigned mode = tcMode & EDL_TCF_MODE_MASK;
    return mode != 0 ? mode : EDL_TC_DF;
}

size_t timecodeChars(uint32_t frames, unsigned mode, char (&text)[16]) {
    tc2String(frames,
              (mode & EDL_TCF_MODE_MASK) | EDL_TCF_BASE | EDL_TCF_SEPARATORS | EDL_TCF_DROP_MARK,
              text);
    return std::strlen(text);
}

std::string timecodeText(uint32_t frames, unsigned mode) {
    char text[16];
    return std::string(text, timecodeChars(frames, mode, text));
}

bool parseLabel(const std::string& text, unsigned mode, TcLabel& label) {
    uint32_t fields[4] = {0, 0, 0, 0};
    size_t count = 0, digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            // Two digits a field, three or more for the hours only.
            if (++digits > (count == 0 ? 5u : 2u)) return false;
            fields[count] = fields[count] * 10u + static_cast<uint32_t>(c - '0');
        } else if (std::strchr(":;.,", c) != nullptr && digits > 0 && count < 3) {
            ++count;
            digits = 0;
        } else {
            return false;
        }
    }
    if (count != 3 || digits == 0) return false;
    if (fields[1] > 59 || fields[2] > 59 || fields[3] >= modeInfo(mode).fps) return false;
    label = {fields[0], fields[1], fields[2], fields[3]};
    return true;
}

bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames) {
    TcLabel label{};
    if (!parseLabel(text, mode, label)) return false;
    frames = tcFramesOf(label, mode);
    return true;
}

uint32_t relabel(uint32_t frames, unsigned from, unsigned to) {
    const ModeInfo& source = modeInfo(from);
    const ModeInfo& target = modeInfo(to);
    if (source.fps == target.fps && source.dropped == target.dropped) return frames;
    TcLabel label = tcLabelOf(frames, from);
    label.frames = static_cast<uint32_t>(uint64_t{label.frames} * target.fps / source.fps);
    return tcFramesOf(tcCountedLabel(label, to), to);
}

int64_t rescale(int64_t frames, unsigned from, unsigned to) {
    const int64_t source = modeInfo(from).fps;
    const int64_t target = modeInfo(to).fps;
    if (source == target) return frames;
    const int64_t scaled = frames * target;
    return (scaled >= 0 ? scaled + source / 2 : scaled - source / 2) / source;
}

}  // namespace edlbtool
