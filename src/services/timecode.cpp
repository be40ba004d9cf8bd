// Timecode conversion: text to frame count and back, in every timecode mode of the list
// record. All frame arithmetic is unsigned 32-bit and wraps, like the frame counts the
// readers and writers carry.
#include "services/timecode.h"

#include <cstdint>
#include <cstring>

#include "core/tc_modes.h"

namespace {

constexpr unsigned kFlagDropMarker = EDL_TCF_DROP_MARK;
constexpr unsigned kFlagSeparated = EDL_TCF_SEPARATORS;
constexpr unsigned kFlagWrap24 = EDL_TCF_WRAP24;

// How one mode counts: nominal frames per second, frame numbers skipped at the start of each
// minute not divisible by ten, and whether its text carries the drop-frame marker.
struct Counting {
    uint32_t fps;
    uint32_t drop;
    bool marker;
};

constexpr Counting countingOf(unsigned mode) {
    const edlb::TcMode& row = edlb::tcMode(mode);
    return {row.fps, row.dropped, row.dropFrame};
}

// Looked up for every conversion, so the 256 modes are tabled once.
struct CountingTable {
    Counting entries[256];
    constexpr CountingTable() : entries() {
        for (unsigned mode = 0; mode < 256; ++mode) entries[mode] = countingOf(mode);
    }
};
constexpr CountingTable kCounting;

const Counting& countingFor(unsigned flags) { return kCounting.entries[flags & 0xFFu]; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Field values in order hours, minutes, seconds, frames; false for a text that is no
// timecode. Every timecode token of every list passes through here, so the separated form
// is read in one pass.
bool parseFields(const char* text, uint32_t fields[4]) {
    if (fullTimecodeFields(text, fields)) return true;
    uint32_t values[4] = {0, 0, 0, 0};
    int count = 0;
    uint32_t value = 0;
    const char* p = text;
    for (;; ++p) {
        const char c = *p;
        if (isDigit(c)) {
            value = value * 10u + uint32_t(c - '0');
        } else if (isTimecodeSeparator(c)) {
            if (count == 3) return false;  // a fifth field
            values[count++] = value;
            value = 0;
        } else if (c == '\0') {
            break;
        } else {
            return false;
        }
    }
    if (count > 0) {
        // Separated: the fields are placed from the right.
        values[count] = value;
        const int shift = 3 - count;
        for (int i = 0; i < 4; ++i) fields[i] = i < shift ? 0 : values[i - shift];
        return true;
    }
    // Bare digits: two per field from the right, whatever is left over is the hours.
    fields[0] = fields[1] = fields[2] = fields[3] = 0;
    size_t pos = static_cast<size_t>(p - text);
    for (int field = 3; field >= 0 && pos > 0; --field) {
        const size_t start = (field == 0 || pos < 2) ? 0 : pos - 2;
        uint32_t digits = 0;
        for (size_t i = start; i < pos; ++i) digits = digits * 10u + uint32_t(text[i] - '0');
        fields[field] = digits;
        pos = start;
    }
    return true;
}

// Frames in 24 hours of the mode, for wrapping the hours.
uint32_t framesPerDay(const Counting& c) {
    uint32_t perTenMinutes = c.fps * 600u - c.drop * 9u;
    return perTenMinutes * 6u * 24u;
}

void putDigits(char*& out, uint64_t value, int minDigits) {
    // Nearly every field is two digits.
    if (minDigits == 2 && value < 100) {
        *out++ = char('0' + value / 10u);
        *out++ = char('0' + value % 10u);
        return;
    }
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10u);
        value /= 10u;
    } while (value != 0 && n < int(sizeof digits));
    while (n < minDigits) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
}

}  // namespace

TcLabel tcLabelOf(uint32_t frames, unsigned modeOrFlags) {
    const Counting& c = countingFor(modeOrFlags);
    // Widened so that adding the skipped frame numbers back cannot wrap.
    uint64_t count = frames;
    if (c.drop != 0) {
        const uint64_t perMinute = c.fps * 60u - c.drop;
        const uint64_t perTenMinutes = perMinute * 10u + c.drop;
        const uint64_t blocks = count / perTenMinutes;
        const uint64_t rest = count % perTenMinutes;
        count += 9u * c.drop * blocks;
        if (rest > c.drop) count += c.drop * ((rest - c.drop) / perMinute);
    }
    const uint64_t totalSeconds = count / c.fps;
    // At most 2^33 frame numbers at 24 or more a second: the hours fit in 32 bits.
    return {static_cast<uint32_t>(totalSeconds / 3600u),
            static_cast<uint32_t>((totalSeconds / 60u) % 60u),
            static_cast<uint32_t>(totalSeconds % 60u), static_cast<uint32_t>(count % c.fps)};
}

TcLabel tcCountedLabel(TcLabel label, unsigned modeOrFlags) {
    const Counting& c = countingFor(modeOrFlags);
    if (c.drop != 0 && label.seconds == 0 && label.minutes % 10u != 0 && label.frames < c.drop) {
        label.frames = c.drop;
    }
    return label;
}

int tc2Frame(const char* text, unsigned flags, unsigned* frames) {
    uint32_t fields[4];
    if (text == nullptr || !parseFields(text, fields)) {
        if (frames != nullptr) *frames = 0;
        return 1;
    }
    const uint32_t total = tcFramesOf({fields[0], fields[1], fields[2], fields[3]}, flags);
    if (frames != nullptr) *frames = total;
    return 0;
}

void tc2String(unsigned frames, unsigned flags, char* out) {
    if (out == nullptr) return;
    const Counting c = countingFor(flags);
    if ((flags & kFlagWrap24) != 0) frames %= framesPerDay(c);
    const TcLabel label = tcLabelOf(frames, flags);

    // At most five hour digits (2^32 frames at 24 per second), so 14 characters.
    char* p = out;
    const bool separated = (flags & kFlagSeparated) != 0;
    putDigits(p, label.hours, 2);
    if (separated) *p++ = ':';
    putDigits(p, label.minutes, 2);
    if (separated) *p++ = ':';
    putDigits(p, label.seconds, 2);
    if (separated) *p++ = (c.marker && (flags & kFlagDropMarker) != 0) ? ';' : ':';
    putDigits(p, label.frames, 2);
    *p = '\0';
}
