#include "core/list_types.h"

#include <cstdlib>

#include "core/portable.h"

namespace edlb {
namespace {

using H = HeaderFamily;
using B = EventForm;
using G = TrackGroup;
using X = Closing;
using R = ReaderKind;
using P = Probe;
using I = InterchangeForm;

constexpr const char* kGeneric = "REM  Format: generic (CMX Like)%s";
constexpr const char* kCmx340 = "REM  Format: CMX 340%s";

// Header forms, by what the first lines of a written list look like.
constexpr const char* kNoHeader = "none";
constexpr const char* kCmxHeader = "cmx";
constexpr const char* kEdtColumns = "edit-columns";
constexpr const char* kSmpteHeader = "smpte";

// Event line forms.
constexpr const char* kShortReel = "short-reel";
constexpr const char* kFullReel = "full-reel";
constexpr const char* kNumbered = "cmx-numbered";

// Value, enumerator, short name, description, header, format line, events, tracks,
// closing, extension, alternative, read back as, detectable; then reader, probe,
// interchange form, header form, event form.
constexpr ListTypeInfo kRows[] = {
    {1, "EDLTYPE_XJT_LIST", "xjt-list", "edlbridge event list", H::A1, kGeneric, B::B1Full, G::G1, X::None, "edl", "log", 1, true,
     R::EventLines, P::OwnListLine, I::None, "xjt-list", kFullReel},
    {2, "EDLTYPE_XJT_CLIP", "xjt-clip", "edlbridge clip list", H::A2, kGeneric, B::B5, G::G1, X::None, "edl", "log", 2, true,
     R::EventLines, P::OwnClipLine, I::None, "xjt-clip", "clip"},
    {3, "EDLTYPE_3", "type3", "header-less CMX-like text list", H::None, nullptr, B::B1Short, G::G2, X::None, "txt", "*", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {4, "EDLTYPE_4", "type4", "header-less CMX-like list", H::None, nullptr, B::B1Short, G::G2, X::None, "edl", "txt", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {5, "EDLTYPE_LOG_EXCHANGE", "ale", "tab-delimited log exchange list", H::D5, nullptr, B::B1Short, G::G7, X::None, "alg", "ale", 5, true,
     R::ColumnRows, P::HeadingLine, I::LogExchange, "log-exchange", kShortReel},
    {6, "EDLTYPE_FRAMEGRAB_LOG", "framegrab", "frame-grab column log", H::D6, nullptr, B::B1Short, G::G7, X::None, "cbi", "", 1, false,
     R::EventLines, P::None, I::None, "framegrab-columns", kShortReel},
    {7, "EDLTYPE_CMX3600", "cmx3600", "CMX 3600", H::C, "REM  Format: CMX 3400A / 3600%s", B::B2, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kNumbered},
    {8, "EDLTYPE_CMX3400A", "cmx3400a", "CMX 3400A", H::C, "REM  Format: CMX 3400A%s", B::B2, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kNumbered},
    {9, "EDLTYPE_CMX3400", "cmx3400", "CMX 3400", H::C, "REM  Format: CMX 3400%s", B::B2, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kNumbered},
    {10, "EDLTYPE_CMX340", "cmx340", "CMX 340", H::C, kCmx340, B::B2, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kNumbered},
    {11, "EDLTYPE_CMX", "cmx", "CMX", H::C, "REM  Format: CMX%s", B::B2, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kNumbered},
    {12, "EDLTYPE_12", "type12", "header-less list, A/V tracks", H::None, nullptr, B::B1Short, G::G4, X::None, "log", "edl", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {13, "EDLTYPE_CMXLIKE_13", "cmxlike13", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {14, "EDLTYPE_CMXLIKE_14", "cmxlike14", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {15, "EDLTYPE_CMXLIKE_15", "cmxlike15", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {16, "EDLTYPE_16", "type16", "CMX-like list without tracks", H::C, kCmx340, B::B1Short, G::G2, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::None, kCmxHeader, kShortReel},
    {17, "EDLTYPE_17", "type17", "header-less list without tracks", H::None, nullptr, B::B1Short, G::G2, X::None, "log", "edl", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {18, "EDLTYPE_EMC", "emc", "EMC list", H::None, nullptr, B::B1Short, G::G2, X::None, "emc", "log", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {19, "EDLTYPE_CMXLIKE_19", "cmxlike19", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {20, "EDLTYPE_SMPTE_2CH", "smpte2", "SMPTE FRAME CODE list, 2 audio channels", H::E, nullptr, B::B3, G::G5, X::None, "edl", "log", 21, false,
     R::EventLines, P::None, I::None, kSmpteHeader, "smpte"},
    {21, "EDLTYPE_SMPTE_4CH", "smpte4", "SMPTE FRAME CODE list, 4 audio channels", H::E, nullptr, B::B3, G::G5, X::None, "edl", "log", 21, true,
     R::EventLines, P::FrameCodeLine, I::None, kSmpteHeader, "smpte"},
    {22, "EDLTYPE_PREMIERE_BATCH", "premiere", "Premiere batch list (OLEDB)", H::D22, nullptr, B::B1Short, G::G1, X::None, "odb", "", 0, false,
     R::Refused, P::BatchListLine, I::None, "batch-list", kShortReel},
    {23, "EDLTYPE_MEDIA_LOG", "medialog", "Media 100 style log", H::D23, nullptr, B::B1Short, G::G6, X::None, "pl*", "log", 251, true,
     R::EventLines, P::MediaLogLine, I::None, "media-log", kShortReel},
    {24, "EDLTYPE_SMPTE_TITLED", "smpte-titled", "SMPTE FRAME CODE list with TITLE:", H::E, nullptr, B::B1Short, G::G4, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::None, kSmpteHeader, kShortReel},
    {25, "EDLTYPE_OMF", "omf", "OMF-named CMX-like list", H::C, kCmx340, B::B1Short, G::G2, X::None, "omf", "omfi", 251, false,
     R::EventLines, P::None, I::None, kCmxHeader, kShortReel},
    {26, "EDLTYPE_26", "type26", "header-less list, A/V tracks", H::None, nullptr, B::B1Short, G::G4, X::None, "log", "edl", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {27, "EDLTYPE_EDT_27", "edt27", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {28, "EDLTYPE_EDT_28", "edt28", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {29, "EDLTYPE_EDT_29", "edt29", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {30, "EDLTYPE_EDT_30", "edt30", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {31, "EDLTYPE_EDT_31", "edt31", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {32, "EDLTYPE_EDT_32", "edt32", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {33, "EDLTYPE_EDT_33", "edt33", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false,
     R::EventLines, P::None, I::None, kEdtColumns, kShortReel},
    {34, "EDLTYPE_CMXLIKE_34", "cmxlike34", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G6, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {35, "EDLTYPE_CMXLIKE_35", "cmxlike35", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G6, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kShortReel},
    {36, "EDLTYPE_36", "type36", "header-less text list", H::None, nullptr, B::B1Short, G::G6, X::None, "txt", "*", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {37, "EDLTYPE_37", "type37", "header-less text list", H::None, nullptr, B::B1Short, G::G6, X::None, "txt", "*", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {38, "EDLTYPE_38", "type38", "header-less text list, numbered tracks", H::None, nullptr, B::B1Short, G::G1, X::None, "txt", "*", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {39, "EDLTYPE_39", "type39", "header-less text list, numbered tracks", H::None, nullptr, B::B1Short, G::G1, X::None, "txt", "*", 1, false,
     R::EventLines, P::None, I::None, kNoHeader, kShortReel},
    {40, "EDLTYPE_FIELD_NAMES", "fieldnames", "\"Field Names\" log", H::D40, nullptr, B::B1Short, G::G6, X::None, "scx", "log", 1, false,
     R::EventLines, P::None, I::None, "field-names", kShortReel},
    {41, "EDLTYPE_REEL_CLIP_LOG", "reelclip", "Reel/Clip/Track column log", H::D41, nullptr, B::B1Short, G::G6, X::None, "log", "edl", 1, false,
     R::EventLines, P::None, I::None, "reel-clip-columns", kShortReel},
    {42, "EDLTYPE_FLEX", "flex", "FLEx film transfer log", H::F, nullptr, B::B4, G::G2, X::None, "flx", "flex", 1, false,
     R::EventLines, P::None, I::None, "flex", "flex"},
    {43, "EDLTYPE_FLEX_AATON", "flex-aaton", "FLEx film transfer log, Aaton", H::F, nullptr, B::B4, G::G2, X::None, "flx", "flex", 1, false,
     R::EventLines, P::None, I::None, "flex", "flex"},
    {44, "EDLTYPE_SHORT_CMX", "shortcmx", "short CMX-like list with comment block", H::G44, nullptr, B::B6, G::G3, X::FillerBlock, "edl", "log", 251, false,
     R::EventLines, P::None, I::None, "short-cmx", "short-cmx"},
    {45, "EDLTYPE_DS", "ds", "\"*DS\" list with source table", H::G45, nullptr, B::B7, G::G7, X::DsSources, "edl", "log", 45, true,
     R::EventLines, P::DsLine, I::None, "ds", "ds"},
    {46, "EDLTYPE_CSV", "csv", "CSV log or EVS XFile3 export", H::C, kCmx340, B::B1Full, G::G7, X::None, "edl", "log", 251, true,
     R::CsvRows, P::CsvName, I::None, kCmxHeader, kFullReel},
    {250, "EDLTYPE_GENERIC_250", "generic250", "generic CMX-like list", H::C, kGeneric, B::B1Full, G::G6, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::CmxEvents, kCmxHeader, kFullReel},
    {251, "EDLTYPE_GENERIC", "generic", "generic CMX-like list", H::C, kGeneric, B::B1Full, G::G6, X::None, "edl", "log", 251, true,
     R::EventLines, P::TitleOrFcm, I::CmxEvents, kCmxHeader, kFullReel},
    {256, "EDLTYPE_NONE", "none", "no list type", H::C, kCmx340, B::B1Full, G::G6, X::None, "edl", "log", 251, false,
     R::EventLines, P::None, I::None, kCmxHeader, kFullReel},
};

constexpr ListTypeInfo kFallback = {0, "", "", "no dialect of its own", H::C, kCmx340, B::B1Full, G::G7, X::None, "edl", "log", 251, false,
                                     R::EventLines, P::None, I::None, kCmxHeader, kFullReel};

constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];

constexpr const ListTypeInfo* rowOfValue(uint32_t value) {
    for (const ListTypeInfo& row : kRows) {
        if (row.value == value) return &row;
    }
    return nullptr;
}

// Detection and the table agree. A type detection yields (a ".csv" name included) has a
// probe; a row with a probe is one detection yields, or one it refuses: read back as
// nothing and read by no reader. Every type reads back as a type detection yields, and a
// type detection never yields is read by the reader of the type it reads back as.
constexpr bool agreesWithDetection(const ListTypeInfo& row) {
    const bool refused = row.readsBackAs == 0;
    if (refused != (row.reader == ReaderKind::Refused)) return false;
    if (static_cast<size_t>(row.probe) >= kProbeCount) return false;
    if (row.detectable && row.probe == Probe::None) return false;
    if (row.probe != Probe::None && !row.detectable && !refused) return false;
    if (refused) return !row.detectable;
    const ListTypeInfo* back = rowOfValue(row.readsBackAs);
    if (back == nullptr || !back->detectable) return false;
    return row.detectable || back->reader == row.reader;
}

constexpr bool rowsAgreeWithDetection() {
    for (const ListTypeInfo& row : kRows) {
        if (!agreesWithDetection(row)) return false;
    }
    return agreesWithDetection(kFallback);
}
static_assert(rowsAgreeWithDetection(), "a row's probe, reader and read-back type disagree");

// Each probe but None belongs to exactly one row, whose index this table holds.
struct ProbeIndex {
    size_t row[kProbeCount];
    size_t rowsWith[kProbeCount];
};

constexpr ProbeIndex indexProbes() {
    ProbeIndex index{};
    for (size_t i = 0; i < kRowCount; ++i) {
        const size_t probe = static_cast<size_t>(kRows[i].probe);
        index.row[probe] = i;
        ++index.rowsWith[probe];
    }
    return index;
}

constexpr ProbeIndex kByProbe = indexProbes();

constexpr bool eachProbeOnOneRow() {
    for (size_t probe = 1; probe < kProbeCount; ++probe) {
        if (kByProbe.rowsWith[probe] != 1) return false;
    }
    return true;
}
static_assert(eachProbeOnOneRow(), "a probe belongs to no row or to several");

}  // namespace

// Every read looks its list's row up: the values up to 256 find theirs by index (the first
// row of a value, as the search finds it).
struct ValueIndex {
    static constexpr uint32_t kLimit = 257;
    const ListTypeInfo* row[kLimit];
};

constexpr ValueIndex indexValues() {
    ValueIndex index{};
    for (uint32_t value = 0; value < ValueIndex::kLimit; ++value) {
        const ListTypeInfo* row = rowOfValue(value);
        index.row[value] = row != nullptr ? row : &kFallback;
    }
    return index;
}

constexpr ValueIndex kByValue = indexValues();

const ListTypeInfo& listTypeInfo(uint32_t value) {
    if (value < ValueIndex::kLimit) return *kByValue.row[value];
    const ListTypeInfo* row = rowOfValue(value);
    return row != nullptr ? *row : kFallback;
}

const ListTypeInfo* listTypeRows(size_t* count) {
    *count = sizeof kRows / sizeof kRows[0];
    return kRows;
}

const ListTypeInfo& listTypeWithProbe(Probe probe) {
    const size_t index = static_cast<size_t>(probe);
    if (index == 0 || index >= kProbeCount) return kFallback;
    return kRows[kByProbe.row[index]];
}

const ListTypeInfo* findListType(const char* nameOrValue) {
    if (nameOrValue == nullptr || *nameOrValue == '\0') return nullptr;
    char* end = nullptr;
    long number = std::strtol(nameOrValue, &end, 10);
    bool numeric = *end == '\0';
    for (const ListTypeInfo& row : kRows) {
        if (numeric ? static_cast<long>(row.value) == number
                    : (strcasecmp(row.shortName, nameOrValue) == 0 ||
                       strcasecmp(row.enumerator, nameOrValue) == 0)) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace edlb
