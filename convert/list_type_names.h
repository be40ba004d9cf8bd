// The command line's own table of list types: names, header and event forms, and whether
// reading a file can yield the type. Extensions come from the library (edlDefExtension).
#ifndef EDLBRIDGE_TOOLS_LIST_TYPE_NAMES_H
#define EDLBRIDGE_TOOLS_LIST_TYPE_NAMES_H

#include <cstddef>
#include <string>

namespace edlbtool {

struct TypeName {
    unsigned value;          // a value of edlListTypes
    const char* name;        // short name used on the command line
    const char* enumerator;  // the enumerator in edlbridge.h
    const char* description;
    const char* header;      // the header the library writes for the type
    const char* events;      // the form of its event lines
    bool detectable;         // reading a file can yield this type
    bool writable;           // convert accepts it as a target
};

// Every row, in value order.
const TypeName* typeNames(size_t* count);

// The row of a value; null when the library has no dialect of that value.
const TypeName* typeByValue(unsigned value);

// Looks a type up by decimal value, short name or enumerator (any case); null when none.
const TypeName* findTypeName(const std::string& text);

// The default and alternative extensions the library gives the type.
std::string defaultExtension(unsigned value);
std::string alternativeExtension(unsigned value);

}  // namespace edlbtool

#endif
