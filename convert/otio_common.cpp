#include "otio_common.h"

#include <strings.h>

#include <cmath>

#include "timecode_text.h"

namespace edlbtool {
namespace otio {

bool isBlackReel(const std::string& reel) {
    return strcasecmp(reel.c_str(), "BL") == 0 || strcasecmp(reel.c_str(), "BLK") == 0 ||
           strcasecmp(reel.c_str(), "BLACK") == 0;
}

bool parseTimecode(const std::string& text, unsigned mode, uint32_t& frames) {
    return edlbtool::parseTimecode(text, mode, frames);
}

int64_t derivedSourceOut(int64_t sourceIn, int64_t length, double scalar) {
    return sourceIn + static_cast<int64_t>(std::llround(static_cast<double>(length) * scalar));
}

std::string locatorNote(uint32_t frames, unsigned mode, const std::string& colourWord,
                        const std::string& name) {
    std::string note = "LOC: " + timecodeText(frames, mode) + " " + colourWord;
    if (name.empty()) return note;
    if (colourWord.size() < 7) note.append(7 - colourWord.size(), ' ');
    return note + " " + name;
}

}  // namespace otio
}  // namespace edlbtool
