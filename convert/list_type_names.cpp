#include "list_type_names.h"

#include <edlbridge.h>

#include <cctype>
#include <cstring>

namespace edlbtool {
namespace {

// The names people give the common targets, by the short name they stand for.
struct TypeAlias {
    const char* alias;
    const char* shortName;
};

constexpr TypeAlias kTypeAliases[] = {
    {"edl", "cmx3600"},       {"cmx3600edl", "cmx3600"}, {"avidlog", "ale"},
    {"logexchange", "ale"},   {"avidale", "ale"},        {"flx", "flex"},
    {"flexlog", "flex"},      {"aaton", "flex-aaton"},   {"smpte", "smpte2"},
    {"premierebatch", "premiere"},
};

// "CMX 3600", "cmx-3600" and "cmx3600" are one name.
constexpr const char* kTypePassedOver = " \t-_.";

const TypeName* findFolded(const std::string& text) {
    const std::string folded = foldedName(text, kTypePassedOver);
    if (folded.empty()) return nullptr;
    size_t count = 0;
    const TypeName* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) {
        if (foldedName(rows[i].shortName, kTypePassedOver) == folded) return &rows[i];
    }
    for (const TypeAlias& alias : kTypeAliases) {
        if (folded == alias.alias) return edlb::findListType(alias.shortName);
    }
    return nullptr;
}

}  // namespace

std::string foldedName(const std::string& text, const char* passedOver) {
    std::string out;
    for (char c : text) {
        if (std::strchr(passedOver, c) != nullptr) continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

const TypeName* typeNames(size_t* count) { return edlb::listTypeRows(count); }

const TypeName* typeByValue(unsigned value) {
    size_t count = 0;
    const TypeName* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].value == value) return &rows[i];
    }
    return nullptr;
}

const TypeName* findTypeName(const std::string& text) {
    // Every name begins with a letter. Signs, blanks and long digit runs are no type value,
    // whatever a number parser makes of them.
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits ? text.size() > 6 : !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return nullptr;
    }
    if (const TypeName* exact = edlb::findListType(text.c_str())) return exact;
    return digits ? nullptr : findFolded(text);
}

bool convertWrites(const TypeName& row) {
    return row.reader != edlb::ReaderKind::CsvRows && row.value != EDLTYPE_NONE;
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
