#include "core/list_types.h"

#include <cstdlib>

#include "core/portable.h"

namespace edlb {
namespace {

using H = HeaderFamily;
using B = EventForm;
using G = TrackGroup;
using X = Closing;

constexpr const char* kGeneric = "REM  Format: generic (CMX Like)%s";
constexpr const char* kCmx340 = "REM  Format: CMX 340%s";

// Value, enumerator, short name, description, header, format line, events, tracks,
// closing, extension, alternative, read back as, detectable.
const ListTypeInfo kRows[] = {
    {1, "EDLTYPE_XJT_LIST", "xjt-list", "edlbridge event list", H::A1, kGeneric, B::B1Full, G::G1, X::None, "edl", "log", 1, true},
    {2, "EDLTYPE_XJT_CLIP", "xjt-clip", "edlbridge clip list", H::A2, kGeneric, B::B5, G::G1, X::None, "edl", "log", 2, true},
    {3, "EDLTYPE_3", "type3", "header-less CMX-like text list", H::None, nullptr, B::B1Short, G::G2, X::None, "txt", "*", 1, false},
    {4, "EDLTYPE_4", "type4", "header-less CMX-like list", H::None, nullptr, B::B1Short, G::G2, X::None, "edl", "txt", 1, false},
    {5, "EDLTYPE_LOG_EXCHANGE", "ale", "tab-delimited log exchange list", H::D5, nullptr, B::B1Short, G::G7, X::None, "alg", "ale", 5, true},
    {6, "EDLTYPE_FRAMEGRAB_LOG", "framegrab", "frame-grab column log", H::D6, nullptr, B::B1Short, G::G7, X::None, "cbi", "", 1, false},
    {7, "EDLTYPE_CMX3600", "cmx3600", "CMX 3600", H::C, "REM  Format: CMX 3400A / 3600%s", B::B2, G::G3, X::None, "edl", "log", 251, false},
    {8, "EDLTYPE_CMX3400A", "cmx3400a", "CMX 3400A", H::C, "REM  Format: CMX 3400A%s", B::B2, G::G3, X::None, "edl", "log", 251, false},
    {9, "EDLTYPE_CMX3400", "cmx3400", "CMX 3400", H::C, "REM  Format: CMX 3400%s", B::B2, G::G3, X::None, "edl", "log", 251, false},
    {10, "EDLTYPE_CMX340", "cmx340", "CMX 340", H::C, kCmx340, B::B2, G::G3, X::None, "edl", "log", 251, false},
    {11, "EDLTYPE_CMX", "cmx", "CMX", H::C, "REM  Format: CMX%s", B::B2, G::G3, X::None, "edl", "log", 251, false},
    {12, "EDLTYPE_12", "type12", "header-less list, A/V tracks", H::None, nullptr, B::B1Short, G::G4, X::None, "log", "edl", 1, false},
    {13, "EDLTYPE_CMXLIKE_13", "cmxlike13", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false},
    {14, "EDLTYPE_CMXLIKE_14", "cmxlike14", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false},
    {15, "EDLTYPE_CMXLIKE_15", "cmxlike15", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false},
    {16, "EDLTYPE_16", "type16", "CMX-like list without tracks", H::C, kCmx340, B::B1Short, G::G2, X::None, "edl", "log", 251, false},
    {17, "EDLTYPE_17", "type17", "header-less list without tracks", H::None, nullptr, B::B1Short, G::G2, X::None, "log", "edl", 1, false},
    {18, "EDLTYPE_EMC", "emc", "EMC list", H::None, nullptr, B::B1Short, G::G2, X::None, "emc", "log", 1, false},
    {19, "EDLTYPE_CMXLIKE_19", "cmxlike19", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G3, X::None, "edl", "log", 251, false},
    {20, "EDLTYPE_SMPTE_2CH", "smpte2", "SMPTE FRAME CODE list, 2 audio channels", H::E, nullptr, B::B3, G::G5, X::None, "edl", "log", 21, false},
    {21, "EDLTYPE_SMPTE_4CH", "smpte4", "SMPTE FRAME CODE list, 4 audio channels", H::E, nullptr, B::B3, G::G5, X::None, "edl", "log", 21, true},
    {22, "EDLTYPE_PREMIERE_BATCH", "premiere", "Premiere batch list (OLEDB)", H::D22, nullptr, B::B1Short, G::G1, X::None, "odb", "", 0, false},
    {23, "EDLTYPE_MEDIA_LOG", "medialog", "Media 100 style log", H::D23, nullptr, B::B1Short, G::G6, X::None, "pl*", "log", 251, true},
    {24, "EDLTYPE_SMPTE_TITLED", "smpte-titled", "SMPTE FRAME CODE list with TITLE:", H::E, nullptr, B::B1Short, G::G4, X::None, "edl", "log", 251, false},
    {25, "EDLTYPE_OMF", "omf", "OMF-named CMX-like list", H::C, kCmx340, B::B1Short, G::G2, X::None, "omf", "omfi", 251, false},
    {26, "EDLTYPE_26", "type26", "header-less list, A/V tracks", H::None, nullptr, B::B1Short, G::G4, X::None, "log", "edl", 1, false},
    {27, "EDLTYPE_EDT_27", "edt27", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {28, "EDLTYPE_EDT_28", "edt28", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {29, "EDLTYPE_EDT_29", "edt29", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {30, "EDLTYPE_EDT_30", "edt30", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {31, "EDLTYPE_EDT_31", "edt31", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {32, "EDLTYPE_EDT_32", "edt32", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {33, "EDLTYPE_EDT_33", "edt33", "edit-column log", H::D27, nullptr, B::B1Short, G::G6, X::None, "edl", "log", 1, false},
    {34, "EDLTYPE_CMXLIKE_34", "cmxlike34", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G6, X::None, "edl", "log", 251, false},
    {35, "EDLTYPE_CMXLIKE_35", "cmxlike35", "generic CMX-like list", H::C, kGeneric, B::B1Short, G::G6, X::None, "edl", "log", 251, false},
    {36, "EDLTYPE_36", "type36", "header-less text list", H::None, nullptr, B::B1Short, G::G6, X::None, "txt", "*", 1, false},
    {37, "EDLTYPE_37", "type37", "header-less text list", H::None, nullptr, B::B1Short, G::G6, X::None, "txt", "*", 1, false},
    {38, "EDLTYPE_38", "type38", "header-less text list, numbered tracks", H::None, nullptr, B::B1Short, G::G1, X::None, "txt", "*", 1, false},
    {39, "EDLTYPE_39", "type39", "header-less text list, numbered tracks", H::None, nullptr, B::B1Short, G::G1, X::None, "txt", "*", 1, false},
    {40, "EDLTYPE_FIELD_NAMES", "fieldnames", "\"Field Names\" log", H::D40, nullptr, B::B1Short, G::G6, X::None, "scx", "log", 1, false},
    {41, "EDLTYPE_REEL_CLIP_LOG", "reelclip", "Reel/Clip/Track column log", H::D41, nullptr, B::B1Short, G::G6, X::None, "log", "edl", 1, false},
    {42, "EDLTYPE_FLEX", "flex", "FLEx film transfer log", H::F, nullptr, B::B4, G::G2, X::None, "flx", "flex", 1, false},
    {43, "EDLTYPE_FLEX_AATON", "flex-aaton", "FLEx film transfer log, Aaton", H::F, nullptr, B::B4, G::G2, X::None, "flx", "flex", 1, false},
    {44, "EDLTYPE_SHORT_CMX", "shortcmx", "short CMX-like list with comment block", H::G44, nullptr, B::B6, G::G3, X::FillerBlock, "edl", "log", 251, false},
    {45, "EDLTYPE_DS", "ds", "\"*DS\" list with source table", H::G45, nullptr, B::B7, G::G7, X::DsSources, "edl", "log", 45, true},
    {46, "EDLTYPE_CSV", "csv", "CSV log or EVS XFile3 export", H::C, kCmx340, B::B1Full, G::G7, X::None, "edl", "log", 251, true},
    {250, "EDLTYPE_GENERIC_250", "generic250", "generic CMX-like list", H::C, kGeneric, B::B1Full, G::G6, X::None, "edl", "log", 251, false},
    {251, "EDLTYPE_GENERIC", "generic", "generic CMX-like list", H::C, kGeneric, B::B1Full, G::G6, X::None, "edl", "log", 251, true},
    {256, "EDLTYPE_NONE", "none", "no list type", H::C, kCmx340, B::B1Full, G::G6, X::None, "edl", "log", 251, false},
};

const ListTypeInfo kFallback = {0, "", "", "no dialect of its own", H::C, kCmx340, B::B1Full, G::G7, X::None, "edl", "log", 251, false};

}  // namespace

const ListTypeInfo& listTypeInfo(uint32_t value) {
    for (const ListTypeInfo& row : kRows) {
        if (row.value == value) return row;
    }
    return kFallback;
}

const ListTypeInfo* listTypeRows(size_t* count) {
    *count = sizeof kRows / sizeof kRows[0];
    return kRows;
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
