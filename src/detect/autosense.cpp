// List type detection: reads the head of a list opened for reading until a line settles its
// dialect or the first event line is met, harvesting title, timecode mode, column layout and
// the source table on the way. Each line goes through the probes of the list-type table's
// rows in one order; the row a probe matches is the result.
#include <cstring>

#include "core/list_types.h"
#include "core/portable.h"
#include "core/text.h"
#include "detect/detect.h"
#include "detect/head_scans.h"
#include "parse/classify.h"
#include "parse/reader.h"

namespace {

bool begins(const char* text, const char* keyword, size_t n) {
    return edlb::beginsNoCase(text, keyword, n);
}

bool contains(const char* text, const char* word) { return std::strstr(text, word) != nullptr; }

// The title rule of detection: at most 4121 characters, control bytes and 0xFF become '!'.
void copyTitle(EdlList* list, const char* text) {
    uint32_t i = 0;
    for (; i < edlb::kTitleMax && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        list->szTitle[i] = (c < 32 || c == 255) ? '!' : static_cast<char>(c);
    }
    list->szTitle[i] = '\0';
}

// The column map of a CMX-style event line, in column order.
void writeDefaultColumnMap(EdlList* list) {
    static const uint32_t kMap[10] = {EDL_COL_EDIT_NUMBER, EDL_P_REEL,   EDL_P_TRACKS,
                                      EDL_P_EFFECT,        EDL_P_SRC_IN, EDL_P_SRC_OUT,
                                      EDL_P_REC_IN,        EDL_P_REC_OUT, EDL_P_LINE_COMMENT,
                                      0};
    list->dwHasColumnMap = 1;
    std::memcpy(list->adwColumns, kMap, sizeof(kMap));
}

// The state of one detection while it reads the head of a list.
struct Scan {
    tagKvEdlHandle* handle;
    EdlList& list;
    char* line;
    // What the deciding lines gave so far (null: nothing), and the type of a list whose
    // head decides nothing: the library's own event list, or a "SMPTE FRAME CODE" list.
    const edlb::ListTypeInfo* decided;
    const edlb::ListTypeInfo* undecided;
    bool columnDefaultsWanted;
    bool fcmSeen;  // an "FCM:" line named the timecode mode
};

// What a probe makes of a line.
enum class Verdict {
    Pass,      // the next probe looks at the line (this one may have noted a type)
    NextLine,  // the line is used up: detection reads the next one
    Settled,   // detection ends with the type decided, without the default column map
    HeadEnds,  // the line ends the head: detection ends with the type decided, else the
               // undecided one, and the default column map when it is wanted
};

using ProbeTest = Verdict (*)(Scan&, const edlb::ListTypeInfo&);

Verdict ownClipLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (edlLineIsXJTClipType(scan.handle, scan.line)) {
        scan.decided = &row;
        scan.columnDefaultsWanted = false;
    }
    return Verdict::Pass;
}

Verdict ownListLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (edlLineIsXJTListType(scan.handle, scan.line)) {
        scan.decided = &row;
        scan.columnDefaultsWanted = false;
    }
    return Verdict::Pass;
}

Verdict dsLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (!begins(scan.line, "*ds type=", 9)) return Verdict::Pass;
    scan.decided = edlb::scanDsList(scan.handle) ? &row : nullptr;
    return Verdict::Settled;
}

Verdict titleOrFcm(Scan& scan, const edlb::ListTypeInfo& row) {
    if (edlLineIsTitle(scan.handle, scan.line)) {
        if (scan.decided == nullptr) scan.decided = &row;
        return Verdict::NextLine;
    }
    EdlList& list = scan.list;
    if (edlLineIsFcm(scan.handle, scan.line, list.dwTcMode, &list.dwTcMode)) {
        if ((list.dwFlags & EDL_LF_INTERCHANGE) != 0) {
            list.dwTcMode = edlb::interchangeFcmMode(list, scan.line, list.dwTcMode);
        }
        list.dwCurTcMode = list.dwTcMode;
        scan.fcmSeen = true;
        if (scan.decided == nullptr) scan.decided = &row;
        return Verdict::NextLine;
    }
    return Verdict::Pass;
}

Verdict frameCodeLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (!contains(scan.line, "SMPTE FRAME CODE")) return Verdict::Pass;
    scan.undecided = &row;
    scan.columnDefaultsWanted = true;
    return Verdict::NextLine;
}

Verdict headingLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (!begins(scan.line, "Heading", 7)) return Verdict::Pass;
    edlb::scanLogHeading(scan.handle);
    scan.decided = &row;
    return Verdict::Settled;
}

// Premiere batch lists: their "[" section line naming Adobe Premiere, or an "OLEDB" line.
Verdict batchListLine(Scan& scan, const edlb::ListTypeInfo& row) {
    const char* line = scan.line;
    if ((line[0] == '[' && contains(line, "Adobe") && contains(line, "Premiere")) ||
        contains(line, "\"OLEDB")) {
        scan.decided = &row;
        return Verdict::Settled;
    }
    return Verdict::Pass;
}

Verdict mediaLogLine(Scan& scan, const edlb::ListTypeInfo& row) {
    if (!contains(scan.line, "Media") || !contains(scan.line, "100")) return Verdict::Pass;
    if (const char* file = std::strstr(scan.line, "file")) {
        // The title starts five characters on ("file: name"); a "file" that ends the line
        // leaves nothing to take.
        copyTitle(&scan.list, std::strlen(file) >= 5 ? file + 5 : "");
    }
    scan.decided = &row;
    return Verdict::HeadEnds;
}

// After every probe: an event or clip line is the first event, read again by the reader.
Verdict firstEvent(Scan& scan) {
    const bool interchange = (scan.list.dwFlags & EDL_LF_INTERCHANGE) != 0;
    bool event = interchange ? edlb::isInterchangeEventLine(scan.handle, scan.line)
                             : edlLineIsEdit(scan.handle, scan.line) != 0;
    if (!event && interchange && edlb::looksLikeEventLine(scan.line)) {
        // An event line wrapped onto two lines is the first event as well.
        char joined[edlb::kLineBufferSize];
        event = edlb::joinWrappedLine(scan.handle, scan.line, joined);
    }
    if (event) ungetline(scan.handle);
    if (edlLineIsClip(scan.handle, scan.line)) {
        ungetline(scan.handle);
        return Verdict::HeadEnds;
    }
    return event ? Verdict::HeadEnds : Verdict::NextLine;
}

// The line probes in the order detection tries them on each line of the head. The order
// is what settles a line that more than one probe would claim:
// - the library's own "Type:" lines come first, as they only note a type and let the same
//   line go on (a "Type:" line naming Media 100 is a log's); the clip line goes before
//   the list line, so a line naming both decides the list;
// - a "*DS type=" line ends detection whatever else it holds;
// - "TITLE" and "FCM" lines are used up before the tests of what a line contains: a title
//   naming "SMPTE FRAME CODE", "Heading" or "Media 100" is only a title;
// - a "SMPTE FRAME CODE" line is used up before the "Heading", batch-list and Media 100
//   tests;
// - a "Heading" line holding "OLEDB" is a log's heading, and an "OLEDB" line naming
//   Media 100 is refused;
// - whatever no probe claims is tested last for the first event line.
// A dialect detection learns is a row of the list-type table with a probe of its own, and
// that probe's test in its place here.
struct LineProbe {
    edlb::Probe probe;
    ProbeTest test;
};

constexpr LineProbe kLineProbes[] = {
    {edlb::Probe::OwnClipLine, ownClipLine},
    {edlb::Probe::OwnListLine, ownListLine},
    {edlb::Probe::DsLine, dsLine},
    {edlb::Probe::TitleOrFcm, titleOrFcm},
    {edlb::Probe::FrameCodeLine, frameCodeLine},
    {edlb::Probe::HeadingLine, headingLine},
    {edlb::Probe::BatchListLine, batchListLine},
    {edlb::Probe::MediaLogLine, mediaLogLine},
};

// Every probe but None and the name probe is tried on each line, once.
constexpr bool triesEveryLineProbeOnce() {
    for (size_t probe = 0; probe < edlb::kProbeCount; ++probe) {
        const bool lineProbe = probe != static_cast<size_t>(edlb::Probe::None) &&
                               probe != static_cast<size_t>(edlb::Probe::CsvName);
        size_t tries = 0;
        for (const LineProbe& entry : kLineProbes) {
            if (static_cast<size_t>(entry.probe) == probe) ++tries;
        }
        if (tries != (lineProbe ? 1u : 0u)) return false;
    }
    return true;
}
static_assert(triesEveryLineProbeOnce(), "a line probe is missing from the order or twice in it");

// The head of the list, line by line, through the probes. Without a line that settles or
// ends the head, detection ends at the end of the file with what was decided.
const edlb::ListTypeInfo* scanHead(tagKvEdlHandle* handle) {
    Scan scan{handle, handle->list, handle->pszLineBuf, nullptr,
              &edlb::listTypeInfo(EDLTYPE_XJT_LIST), true, false};
    while (getLine(handle, scan.line, edlb::kLineLimit)) {
        Verdict verdict = Verdict::Pass;
        for (const LineProbe& entry : kLineProbes) {
            verdict = entry.test(scan, edlb::listTypeWithProbe(entry.probe));
            if (verdict != Verdict::Pass) break;
        }
        if (verdict == Verdict::Pass) verdict = firstEvent(scan);
        if (verdict == Verdict::Settled) return scan.decided;
        if (verdict != Verdict::HeadEnds) continue;
        if (scan.columnDefaultsWanted && scan.list.dwHasColumnMap == 0) {
            writeDefaultColumnMap(&scan.list);
        }
        // Read for interchange, a list without an "FCM:" line counts as its timecodes are
        // written (unless the host chose a mode other than the default).
        EdlList& list = scan.list;
        if ((list.dwFlags & EDL_LF_INTERCHANGE) != 0 && !scan.fcmSeen &&
            list.dwTcMode == EDL_TC_DF) {
            list.dwTcMode = list.dwCurTcMode = edlb::modeOfSeparators(scan.line);
        }
        return scan.decided != nullptr ? scan.decided : scan.undecided;
    }
    return scan.decided;
}

bool namesProduct(const char* line, const char* a, const char* b, const char* c) {
    return begins(line, "type:", 5) &&
           (contains(line, a) || contains(line, b) || contains(line, c));
}

}  // namespace

EDLBRIDGE_API int edlLineIsXJTClipType(tagKvEdlHandle*, char* line) {
    return line != nullptr &&
           namesProduct(line, "BrimvelXJTClip", "brimvelxjtclip", "BRIMVELXJTCLIP");
}

EDLBRIDGE_API int edlLineIsXJTListType(tagKvEdlHandle*, char* line) {
    return line != nullptr &&
           namesProduct(line, "BrimvelXJTList", "brimvelxjtlist", "BRIMVELXJTLIST");
}

namespace edlb {

const ListTypeInfo* senseName(const char* fileName) {
    const size_t length = std::strlen(fileName);
    const bool csv = length >= 5 && strcasecmp(fileName + length - 4, ".csv") == 0;
    return csv ? &listTypeWithProbe(Probe::CsvName) : nullptr;
}

const ListTypeInfo* senseHead(tagKvEdlHandle* handle) {
    if (handle == nullptr || handle->pszLineBuf == nullptr || handle->pFile == nullptr ||
        handle->dwReading != 1) {
        return nullptr;
    }
    // Black events count as events while the list type is decided; the caller's choice is
    // back in force on every way out.
    const uint32_t blackBit = handle->list.dwFlags & EDL_LF_BLACK_NOT_EVENT;
    handle->list.dwFlags &= ~EDL_LF_BLACK_NOT_EVENT;
    const ListTypeInfo* row = scanHead(handle);
    handle->list.dwFlags = (handle->list.dwFlags & ~EDL_LF_BLACK_NOT_EVENT) | blackBit;
    // A probe can recognise a dialect the library does not read (a batch list): its type is
    // no detectable one, and the list is refused.
    return row != nullptr && row->detectable ? row : nullptr;
}

}  // namespace edlb

EDLBRIDGE_API int edlAutoSense(tagKvEdlHandle* handle) {
    const edlb::ListTypeInfo* row = edlb::senseHead(handle);
    return row != nullptr ? static_cast<int>(row->value) : EDL_DETECT_FAILED;
}
