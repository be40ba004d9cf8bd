// Column and CSV lists read case by case: tests/data/<family>/cases.txt names each case,
// its input list and how it is opened; <case>.expected holds the dump of what was read.
#ifndef EDLBRIDGE_TESTS_COLUMNS_LIST_CASES_H
#define EDLBRIDGE_TESTS_COLUMNS_LIST_CASES_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/handle.h"
#include "support/event_dump.h"
#include "support/expected_output.h"
#include "support/test_support.h"

namespace edlbtest {

// One manifest line: "name input [tc=N] [tag=N] [reel=TEXT] [rec=N] [place=I] [flags=N]
// [rate=N] [header] [refused] [unrouted]". flags are the list flags given to edlOpen, rate
// the host's counting rate in hundredths. place=I hands event I to csvDoXFileRec; header dumps what
// csvReadColumnLine gives a used event; refused: the list must not open; unrouted: no column
// line, so edlReadLine does not hand the list to the column reader.
struct ListCase {
    std::string family, name, input, reel;
    uint32_t tc = 0, tag = 0, rec = 0, place = 0, flags = 0, rate = 0;
    bool header = false, refused = false, unrouted = false;
};

inline void PrintTo(const ListCase& c, std::ostream* out) {
    *out << c.name;
}

inline std::vector<ListCase> loadCases(const std::string& family) {
    std::vector<ListCase> cases;
    std::ifstream in(dataPath(family + "/cases.txt"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        ListCase c;
        c.family = family;
        if (line.empty() || line[0] == '#' || !(words >> c.name >> c.input)) continue;
        for (std::string w; words >> w;) {
            const std::string value = w.substr(w.find('=') + 1);
            const uint32_t number = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
            if (w.rfind("tc=", 0) == 0) c.tc = number;
            if (w.rfind("tag=", 0) == 0) c.tag = number;
            if (w.rfind("rec=", 0) == 0) c.rec = number;
            if (w.rfind("place=", 0) == 0) c.place = number;
            if (w.rfind("flags=", 0) == 0) c.flags = number;
            if (w.rfind("rate=", 0) == 0) c.rate = number;
            if (w.rfind("reel=", 0) == 0) c.reel = value;
            c.header |= w == "header";
            c.refused |= w == "refused";
            c.unrouted |= w == "unrouted";
        }
        cases.push_back(c);
    }
    return cases;
}

// Fills every field a read must reset, so a field left alone shows in the dump; the first
// read of a list also gets no text buffers at all.
inline void soil(EdlLine& e, bool noTexts) {
    static char clip[EDL_CLIPNAME_SIZE], name[EDL_NAME_SIZE], comment[EDL_COMMENT_SIZE],
        reel[EDL_REEL_SIZE], line[EDL_LINE_SIZE];
    char* texts[5] = {clip, name, comment, reel, line};
    for (char* t : texts) std::strcpy(t, noTexts ? "" : "stale");
    e.szClipName = noTexts ? nullptr : clip;
    e.szName = noTexts ? nullptr : name;
    e.szComment = noTexts ? nullptr : comment;
    e.szReel = noTexts ? nullptr : reel;
    e.szLine = noTexts ? nullptr : line;
    e.dwSrcIn = e.dwSrcOut = e.dwMarkIn = e.dwMarkOut = e.dwRecIn = e.dwRecOut = 99;
    e.lAudioOffset = 3;
    e.dwEditNum = e.dwVideoTracks = e.dwAudioTracks = e.dwEffect = e.dwPresent = 5;
    e.dwWipeCode = e.dwEffectLen = e.dwTrackMask = e.dwListTag = 7;
    e.chEditType = 'W';
}

enum class Reader { Direct, Routed };

// Opens the case's list and dumps the list record, the handle's reading state, every event
// and the two results that end the list. Direct reads call the family's own reader the way
// edlReadLine does; routed reads go through edlReadLine.
inline std::string dumpCase(const ListCase& c, Reader reader) {
    const bool csv = c.family == "csv";
    // Zeroed first: the init leaves the top three bytes of the last column map entry alone,
    // and the dump prints the whole map.
    EdlList list{};
    edlInitEdlListStruct(&list);
    list.szColumnLine[0] = '\0';
    if (c.tc != 0) list.dwTcMode = c.tc;
    list.dwFlags = c.flags;
    if (c.rate != 0) list.dwReserved = c.rate;
    tagKvEdlHandle* h =
        edlOpen(dataPath(c.family + "/" + c.input).c_str(), nullptr, EDL_OPEN_READ, &list);
    if (h == nullptr) return "open: failed\n";
    std::ostringstream out;
    if (std::memcmp(&list, &h->list, sizeof list) != 0) out << "handle list differs\n";
    if (!c.reel.empty()) {
        h->list.dwFlags2 |= EDL_LF2_DEFAULT_REEL;
        std::snprintf(h->list.szDefReel, sizeof h->list.szDefReel, "%s", c.reel.c_str());
    }
    h->list.dwUserTag = c.tag;
    if (c.rec != 0) edlSetRecorderIn(h, c.rec);
    out << describeList(h->list) << "map:";
    for (uint32_t value : list.adwColumns) out << " " << std::hex << value << std::dec;
    out << "\ntc flags: " << std::hex << h->dwTcFlags << std::dec << "  xfile3: " << int(h->bXFile3)
        << "\n";
    EdlLine event;
    edlInitEdlLineStruct(&event);
    if (c.header) {
        soil(event, false);
        out << "-- header read: " << csvReadColumnLine(h, &event) << "\n" << describeEvent(event);
    }
    int result = 0;
    for (uint32_t index = 1; index < 1000; ++index) {
        soil(event, index == 1);
        if (csv && reader == Reader::Direct) {  // the CSV reader leaves the reset to its caller
            edlInitEdlLineStruct(&event);
            event.chEditType = 'C';
            event.dwTrackMask = 0xFFF0;
            event.dwListTag = c.tag;
        }
        if (reader == Reader::Routed) {
            result = static_cast<int>(edlReadLine(h, &event));
        } else {
            result = csv ? csvReadLine(h, &event) : edlReadColumnLine(h, &event);
        }
        if (result != 0) break;
        if (index == c.place) out << "-- placed: " << csvDoXFileRec(h, &event) << "\n";
        out << "-- event " << index << "\n" << describeEvent(event);
    }
    soil(event, false);
    const int again = csv ? csvReadLine(h, &event) : edlReadColumnLine(h, &event);
    out << "end: " << std::hex << result << " then " << again << std::dec
        << "  events: " << h->dwEventCount << "  recorder in: " << h->dwRecorderIn << "\n";
    edlClose(h);
    return out.str();
}

// The expected dump of a case; EDLBRIDGE_UPDATE_EXPECTED=1 writes it instead.
inline std::string expectedDump(const ListCase& c, const std::string& actual) {
    std::string expected;
    matchesExpected(dataPath(c.family + "/" + c.name + ".expected"), actual, &expected);
    return expected;
}

}  // namespace edlbtest

#endif
