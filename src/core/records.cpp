// Record defaults, the shared default text buffers of event records, and exported data.
#include <cstring>

#include "core/handle.h"

extern "C" {
const char _CRLF_[3] = "\r\n";
uint32_t dwTokenRtn = 0;
}

namespace {

// One set for the whole process: every record set up by edlInitEdlLineStruct shares them.
char g_clipName[EDL_CLIPNAME_SIZE];
char g_name[EDL_NAME_SIZE];
char g_comment[EDL_COMMENT_SIZE];
char g_reel[EDL_REEL_SIZE];
char g_line[EDL_LINE_SIZE];

}  // namespace

extern "C" EDLBRIDGE_API void edlInitEdlListStruct(EdlList* list) {
    if (list == nullptr) return;
    list->dwListType = EDLTYPE_NONE;
    list->dwFlags = 0;
    list->dwFlags2 = 0;
    list->dwTcMode = EDL_TC_DF;
    list->dwFrameRate = 2997;
    list->dwAudioKHz = 44;
    list->dwHasColumnMap = 0;
    // The first 65 bytes of the column map: sixteen entries and the first byte of the last.
    std::memset(list->adwColumns, 0, 65);
    std::memset(list->szTitle, 0, sizeof list->szTitle);
    std::memset(list->szTape, 0, sizeof list->szTape);
    std::memset(list->szDefReel, 0, sizeof list->szDefReel);
    std::memset(list->szListName, 0, sizeof list->szListName);
    list->dwUserTag = 0;
    list->dwReserved = 0;
}

extern "C" EDLBRIDGE_API void edlInitEdlLineStruct(EdlLine* event) {
    if (event == nullptr) return;
    std::memset(event, 0, sizeof *event);
    event->szClipName = g_clipName;
    event->szName = g_name;
    event->szComment = g_comment;
    event->szReel = g_reel;
    event->szLine = g_line;
    std::memset(g_clipName, 0, sizeof g_clipName);
    std::memset(g_name, 0, sizeof g_name);
    std::memset(g_comment, 0, sizeof g_comment);
    std::memset(g_reel, 0, sizeof g_reel);
    std::memset(g_line, 0, sizeof g_line);
    event->bXFile3 = 0;
}
