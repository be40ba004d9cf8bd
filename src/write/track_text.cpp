// The track field of an event line, spelled the way each dialect spells it.
#include <cstring>

#include "core/handle.h"
#include "core/list_types.h"

namespace {

// Each thread gets its own text, valid until that thread's next call.
thread_local char t_trackText[68];
// Writable by design: hosts may change what later calls return.
char g_timecodeText[25] = "DROP FRAME";

void append(char*& out, const char* piece) {
    while (*piece != '\0') *out++ = *piece++;
}

}  // namespace

EDLBRIDGE_API char* edlEditType(edlListTypes listType, unsigned int video, unsigned int audio) {
    static const char* const kVideo[8] = {"V1", "V2", "V3", "V4", "V5", "V6", "V7", "V8"};
    static const char* const kAudio[16] = {"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8",
                                           "A9", "A10", "A11", "A12", "A13", "A14", "A15", "A16"};
    char* out = t_trackText;
    const bool v1 = (video & 1) != 0;
    const bool a1 = (audio & 1) != 0;
    const bool a2 = (audio & 2) != 0;
    switch (edlb::listTypeInfo(static_cast<uint32_t>(listType)).tracks) {
        case edlb::TrackGroup::G1:
            for (int k = 0; k < 8; ++k) {
                if (video & (1u << k)) append(out, kVideo[k]);
            }
            for (int k = 0; k < 16; ++k) {
                if (audio & (1u << k)) append(out, kAudio[k]);
            }
            break;
        case edlb::TrackGroup::G2:
            break;
        case edlb::TrackGroup::G3:
            if (!a1 && !a2) {
                append(out, "V");
            } else {
                append(out, a1 && a2 ? "AA" : (a1 ? "A1" : "A2"));
                if (v1) append(out, "/V");
            }
            break;
        case edlb::TrackGroup::G4:
            append(out, (v1 && (a1 || a2)) ? "AV" : ((a1 || a2) ? "A" : "V"));
            break;
        case edlb::TrackGroup::G5:
            if (a1 || a2) {
                append(out, "A");
                if (a1) append(out, "1");
                if (a2) append(out, "2");
                if (listType == EDLTYPE_SMPTE_4CH) {
                    if (audio & 4) append(out, "3");
                    if (audio & 8) append(out, "4");
                }
            }
            if (v1) append(out, "V");
            break;
        case edlb::TrackGroup::G6:
            append(out, v1 ? "V" : " ");
            append(out, a1 ? "A1" : "  ");
            append(out, a2 ? "A2" : "  ");
            break;
        case edlb::TrackGroup::G7:
            if (v1) append(out, "V");
            for (int k = 0; k < 4; ++k) {
                if (audio & (1u << k)) append(out, kAudio[k]);
            }
            break;
    }
    *out = '\0';
    return t_trackText;
}

EDLBRIDGE_API char* edlGetTimecodeText(unsigned int) { return g_timecodeText; }
