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
};

// The row of a list type. Values without a dialect of their own (0, 47 to 249, 252 to 255,
// above 256) get a fallback row: the header of list type 10, the full-reel event line and
// the track text of group G7.
const ListTypeInfo& listTypeInfo(uint32_t value);

// Every catalogued row, in value order (the fallback row is not among them).
const ListTypeInfo* listTypeRows(size_t* count);

// Looks a type up by short name or enumerator (any case) or by decimal value; null when
// nothing matches.
const ListTypeInfo* findListType(const char* nameOrValue);

}  // namespace edlb

#endif
