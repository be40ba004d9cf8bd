// Reading a whole list through the library's exported functions, and writing one.
#ifndef EDLBRIDGE_TOOLS_LIST_READER_H
#define EDLBRIDGE_TOOLS_LIST_READER_H

#include <edlbridge.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace edlbtool {

// One event with its texts copied out of the record it was read into.
struct EventRow {
    uint32_t editNumber = 0;
    uint32_t srcIn = 0, srcOut = 0, recIn = 0, recOut = 0, markIn = 0, markOut = 0;
    int32_t audioOffset = 0;
    uint32_t videoTracks = 0, audioTracks = 0;
    char editType = 'C';
    uint32_t wipeCode = 0, effectLength = 0;
    uint32_t lineFlags = 0, present = 0;
    std::string reel, clipName, name, comment, effectText, line;
};

struct ListData {
    std::string path;
    EdlList list{};  // the list record as edlOpen left it
    bool interchange = false;  // read with the interchange flag
    std::vector<EventRow> events;
};

// Reads every event of path, for interchange unless legacy is set. Returns an empty text on
// success, else the reason.
std::string readList(const std::string& path, ListData& out, bool legacy = false);

struct WriteOptions {
    unsigned listType = EDLTYPE_GENERIC;
    unsigned tcMode = 0;  // 0: the mode of the list read
    bool setTitle = false;
    std::string title;
    bool legacy = false;  // write the documented dialect bytes instead of interchange
};

// An event's whole clip name as a list read for interchange gives it: the name in szName
// when that is no file name, else the clip name of its notes, else its ten-character clip
// name.
std::string fullClipName(const EventRow& event);

// The media file an event names (empty when none), and its notes, one per line.
std::string sourceFile(const EventRow& event);
std::vector<std::string> noteLines(const EventRow& event);

// Writes data as a list of another type into path. Empty text on success, else the reason;
// a list that could not be written completely is removed.
std::string writeList(const ListData& data, const WriteOptions& options, const std::string& path);

// Copies text into a buffer of size bytes, cut to fit and terminated.
void copyText(char* buffer, size_t size, const std::string& text);

}  // namespace edlbtool

#endif
