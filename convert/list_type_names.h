// The list types as the conversion library offers them: the rows of the records library's
// own table (names, forms, extensions, what reading can yield), and which of them convert
// writes. Nothing here repeats a row.
#ifndef EDLBRIDGE_CONVERT_LIST_TYPE_NAMES_H
#define EDLBRIDGE_CONVERT_LIST_TYPE_NAMES_H

#include <cstddef>
#include <string>

#include "core/list_types.h"

namespace edlbtool {

using TypeName = edlb::ListTypeInfo;

// text in lower case without the characters of passedOver: the one spelling in which a
// user's name of a type or mode is compared.
std::string foldedName(const std::string& text, const char* passedOver);

// Every row, in value order.
const TypeName* typeNames(size_t* count);

// The row of a value; null when the library has no dialect of that value.
const TypeName* typeByValue(unsigned value);

// Looks a type up by decimal value (digits only), short name or enumerator (any case), then
// by the short name or a common alias ("edl" for cmx3600) written with blanks, '-', '_' or
// '.' anywhere ("CMX 3600"); null when none.
const TypeName* findTypeName(const std::string& text);

// Convert writes every dialect that writes itself: not a CSV log, whose type the library
// writes as a CMX-like list, and not "no list type".
bool convertWrites(const TypeName& row);

// The default and alternative extensions the library gives the type.
std::string defaultExtension(unsigned value);
std::string alternativeExtension(unsigned value);

}  // namespace edlbtool

#endif
