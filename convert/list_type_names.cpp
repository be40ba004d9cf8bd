#include "list_type_names.h"

#include <edlbridge.h>

#include <cstdlib>
#include <strings.h>

namespace edlbtool {
namespace {

// Header forms, by what the first lines of a written list look like.
constexpr const char* kNoHeader = "none";
constexpr const char* kCmx = "cmx";
constexpr const char* kEdtColumns = "edit-columns";
constexpr const char* kSmpte = "smpte";

// Event line forms.
constexpr const char* kShortReel = "short-reel";
constexpr const char* kFullReel = "full-reel";
constexpr const char* kNumbered = "cmx-numbered";

const TypeName kTypes[] = {
    {1, "xjt-list", "EDLTYPE_XJT_LIST", "edlbridge event list", "xjt-list", kFullReel, true, true},
    {2, "xjt-clip", "EDLTYPE_XJT_CLIP", "edlbridge clip list", "xjt-clip", "clip", true, true},
    {3, "type3", "EDLTYPE_3", "header-less CMX-like text list", kNoHeader, kShortReel, false, true},
    {4, "type4", "EDLTYPE_4", "header-less CMX-like list", kNoHeader, kShortReel, false, true},
    {5, "ale", "EDLTYPE_LOG_EXCHANGE", "tab-delimited log exchange list", "log-exchange", kShortReel, true, true},
    {6, "framegrab", "EDLTYPE_FRAMEGRAB_LOG", "frame-grab column log", "framegrab-columns", kShortReel, false, true},
    {7, "cmx3600", "EDLTYPE_CMX3600", "CMX 3600", kCmx, kNumbered, false, true},
    {8, "cmx3400a", "EDLTYPE_CMX3400A", "CMX 3400A", kCmx, kNumbered, false, true},
    {9, "cmx3400", "EDLTYPE_CMX3400", "CMX 3400", kCmx, kNumbered, false, true},
    {10, "cmx340", "EDLTYPE_CMX340", "CMX 340", kCmx, kNumbered, false, true},
    {11, "cmx", "EDLTYPE_CMX", "CMX", kCmx, kNumbered, false, true},
    {12, "type12", "EDLTYPE_12", "header-less list, A/V tracks", kNoHeader, kShortReel, false, true},
    {13, "cmxlike13", "EDLTYPE_CMXLIKE_13", "generic CMX-like list", kCmx, kShortReel, false, true},
    {14, "cmxlike14", "EDLTYPE_CMXLIKE_14", "generic CMX-like list", kCmx, kShortReel, false, true},
    {15, "cmxlike15", "EDLTYPE_CMXLIKE_15", "generic CMX-like list", kCmx, kShortReel, false, true},
    {16, "type16", "EDLTYPE_16", "CMX-like list without tracks", kCmx, kShortReel, false, true},
    {17, "type17", "EDLTYPE_17", "header-less list without tracks", kNoHeader, kShortReel, false, true},
    {18, "emc", "EDLTYPE_EMC", "EMC list", kNoHeader, kShortReel, false, true},
    {19, "cmxlike19", "EDLTYPE_CMXLIKE_19", "generic CMX-like list", kCmx, kShortReel, false, true},
    {20, "smpte2", "EDLTYPE_SMPTE_2CH", "SMPTE FRAME CODE list, 2 audio channels", kSmpte, "smpte", false, true},
    {21, "smpte4", "EDLTYPE_SMPTE_4CH", "SMPTE FRAME CODE list, 4 audio channels", kSmpte, "smpte", true, true},
    {22, "premiere", "EDLTYPE_PREMIERE_BATCH", "Premiere batch list (OLEDB)", "batch-list", kShortReel, false, true},
    {23, "medialog", "EDLTYPE_MEDIA_LOG", "Media 100 style log", "media-log", kShortReel, true, true},
    {24, "smpte-titled", "EDLTYPE_SMPTE_TITLED", "SMPTE FRAME CODE list with TITLE:", kSmpte, kShortReel, false, true},
    {25, "omf", "EDLTYPE_OMF", "OMF-named CMX-like list", kCmx, kShortReel, false, true},
    {26, "type26", "EDLTYPE_26", "header-less list, A/V tracks", kNoHeader, kShortReel, false, true},
    {27, "edt27", "EDLTYPE_EDT_27", "edit-column log", kEdtColumns, kShortReel, false, true},
    {28, "edt28", "EDLTYPE_EDT_28", "edit-column log", kEdtColumns, kShortReel, false, true},
    {29, "edt29", "EDLTYPE_EDT_29", "edit-column log", kEdtColumns, kShortReel, false, true},
    {30, "edt30", "EDLTYPE_EDT_30", "edit-column log", kEdtColumns, kShortReel, false, true},
    {31, "edt31", "EDLTYPE_EDT_31", "edit-column log", kEdtColumns, kShortReel, false, true},
    {32, "edt32", "EDLTYPE_EDT_32", "edit-column log", kEdtColumns, kShortReel, false, true},
    {33, "edt33", "EDLTYPE_EDT_33", "edit-column log", kEdtColumns, kShortReel, false, true},
    {34, "cmxlike34", "EDLTYPE_CMXLIKE_34", "generic CMX-like list", kCmx, kShortReel, false, true},
    {35, "cmxlike35", "EDLTYPE_CMXLIKE_35", "generic CMX-like list", kCmx, kShortReel, false, true},
    {36, "type36", "EDLTYPE_36", "header-less text list", kNoHeader, kShortReel, false, true},
    {37, "type37", "EDLTYPE_37", "header-less text list", kNoHeader, kShortReel, false, true},
    {38, "type38", "EDLTYPE_38", "header-less text list, numbered tracks", kNoHeader, kShortReel, false, true},
    {39, "type39", "EDLTYPE_39", "header-less text list, numbered tracks", kNoHeader, kShortReel, false, true},
    {40, "fieldnames", "EDLTYPE_FIELD_NAMES", "\"Field Names\" log", "field-names", kShortReel, false, true},
    {41, "reelclip", "EDLTYPE_REEL_CLIP_LOG", "Reel/Clip/Track column log", "reel-clip-columns", kShortReel, false, true},
    {42, "flex", "EDLTYPE_FLEX", "FLEx film transfer log", "flex", "flex", false, true},
    {43, "flex-aaton", "EDLTYPE_FLEX_AATON", "FLEx film transfer log, Aaton", "flex", "flex", false, true},
    {44, "shortcmx", "EDLTYPE_SHORT_CMX", "short CMX-like list with comment block", "short-cmx", "short-cmx", false, true},
    {45, "ds", "EDLTYPE_DS", "\"*DS\" list with source table", "ds", "ds", true, true},
    // A CSV log is read, never written: the library writes type 46 as a CMX-like list.
    {46, "csv", "EDLTYPE_CSV", "CSV log or EVS XFile3 export", kCmx, kFullReel, true, false},
    {250, "generic250", "EDLTYPE_GENERIC_250", "generic CMX-like list", kCmx, kFullReel, false, true},
    {251, "generic", "EDLTYPE_GENERIC", "generic CMX-like list", kCmx, kFullReel, true, true},
    {256, "none", "EDLTYPE_NONE", "no list type", kCmx, kFullReel, false, false},
};

}  // namespace

const TypeName* typeNames(size_t* count) {
    *count = sizeof kTypes / sizeof kTypes[0];
    return kTypes;
}

const TypeName* typeByValue(unsigned value) {
    for (const TypeName& row : kTypes) {
        if (row.value == value) return &row;
    }
    return nullptr;
}

const TypeName* findTypeName(const std::string& text) {
    if (text.empty()) return nullptr;
    if (text.find_first_not_of("0123456789") == std::string::npos) {
        // Long digit runs must not wrap around onto a valid value.
        if (text.size() > 6) return nullptr;
        return typeByValue(static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10)));
    }
    for (const TypeName& row : kTypes) {
        if (strcasecmp(row.name, text.c_str()) == 0 ||
            strcasecmp(row.enumerator, text.c_str()) == 0) {
            return &row;
        }
    }
    return nullptr;
}

std::string defaultExtension(unsigned value) {
    char extension[8] = {0};
    char alternative[8] = {0};
    edlDefExtension(static_cast<int>(value), extension, alternative);
    return extension;
}

std::string alternativeExtension(unsigned value) {
    char extension[8] = {0};
    char alternative[8] = {0};
    edlDefExtension(static_cast<int>(value), extension, alternative);
    return alternative;
}

}  // namespace edlbtool
