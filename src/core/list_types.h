// The catalogue of list types: one row per dialect, looked up by every layer that treats
// dialects differently (headers, event lines, track text, closing lines, extensions).
#ifndef EDLBRIDGE_CORE_LIST_TYPES_H
#define EDLBRIDGE_CORE_LIST_TYPES_H

#include <cstddef>
#include <cstdint>

namespace edlb {

enum class HeaderFamily {
    None,
    A1,   // own list header, then C
    A2,   // own clip header, then C
    C,    // CMX-like header with a format line
    D5,   // log-exchange header
    D6,   // frame-grab column line
    D22,  // batch-list header
    D23,  // log header
    D27,  // edit-column line
    D40,  // field-names header
    D41,  // reel-clip column header
    E,    // "SMPTE FRAME CODE" title header
    F,    // film-log header
    G44,  // short CMX header
    G45,  // "*DS" header
};

enum class EventForm { B1Short, B1Full, B2, B3, B4, B5, B6, B7 };

enum class TrackGroup { G1, G2, G3, G4, G5, G6, G7 };

enum class Closing { None, FillerBlock, DsSources };

// The reader that takes the events of a list read as the type. Two list flags can still
// route a read elsewhere (see readerOf in core/readers.h).
enum class ReaderKind : uint8_t {
    EventLines,  // CMX-like event lines, clip lines and their notes
    ColumnRows,  // tab-separated rows under the column line of a log-exchange list
    CsvRows,     // comma-separated rows of a CSV log or an XFile3 export
    Refused,     // none: opening such a list for reading fails
};

// How detection recognises a list of the type. The name probe decides before any line is
// read; detection tries the line probes on each line of the head in the order it gives
// (src/detect/autosense.cpp), which also says why.
enum class Probe : uint8_t {
    None,           // detection never yields the type
    CsvName,        // a file name ending in ".csv"
    OwnClipLine,    // a "Type:" line naming the library's own clip list
    OwnListLine,    // a "Type:" line naming the library's own event list
    DsLine,         // a line beginning "*DS type="
    TitleOrFcm,     // a "TITLE" or "FCM" line, unless a later line decides otherwise
    FrameCodeLine,  // a line holding "SMPTE FRAME CODE", when no other line decides
    HeadingLine,    // a line beginning "Heading"
    BatchListLine,  // a batch list's "[Adobe Premiere" or "\"OLEDB" line
    MediaLogLine,   // a line naming "Media" and "100"
};

// The number of probes, None included; MediaLogLine stays the last enumerator.
constexpr size_t kProbeCount = static_cast<size_t>(Probe::MediaLogLine) + 1;

// What a list of the type is written as when the list flag EDL_LF_INTERCHANGE is set.
enum class InterchangeForm : uint8_t {
    None,         // the documented dialect bytes
    CmxEvents,    // CMX-style event lines in the standard columns, with every note
    LogExchange,  // a tab-delimited log-exchange list
};

struct ListTypeInfo {
    uint32_t value;
    const char* enumerator;  // the enumerator of edlListTypes
    const char* shortName;   // the name hosts and the command line use
    const char* description;
    HeaderFamily header;
    const char* formatLine;  // family C: the "REM  Format:" line, "%s" filled with CRLF
    EventForm events;
    TrackGroup tracks;
    Closing closing;
    const char* extension;
    const char* altExtension;
    uint32_t readsBackAs;    // the type detection gives a list written as this type; 0: refused
    bool detectable;         // detection (or a ".csv" name) can yield this type
    ReaderKind reader;       // detectable types: the reader of their events; the others: the
                             // reader of the type they read back as
    Probe probe;             // how detection recognises the type
    InterchangeForm interchange;  // what the list flag EDL_LF_INTERCHANGE writes
    // The header and the event-line form a written list has, as the command line names them
    // ("cmx", "short-reel", ...): one text per header family and per event form.
    const char* headerForm;
    const char* eventForm;
};

// The row of a list type. Values without a dialect of their own (0, 47 to 249, 252 to 255,
// above 256) get a fallback row: the header of list type 10, the full-reel event line and
// the track text of group G7.
const ListTypeInfo& listTypeInfo(uint32_t value);

// Every catalogued row, in value order (the fallback row is not among them).
const ListTypeInfo* listTypeRows(size_t* count);

// The row a probe recognises: every probe but None belongs to exactly one row (the table
// asserts it). None gives the fallback row.
const ListTypeInfo& listTypeWithProbe(Probe probe);

// Looks a type up by short name or enumerator (any case) or by decimal value; null when
// nothing matches.
const ListTypeInfo* findListType(const char* nameOrValue);

}  // namespace edlb

#endif
