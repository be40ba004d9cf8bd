#include "list_type_names.h"

#include <edlbridge.h>

#include <cctype>

namespace edlbtool {

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
    return edlb::findListType(text.c_str());
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
