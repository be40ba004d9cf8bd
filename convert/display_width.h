// The columns a text takes on a terminal: tables are padded by what the eye sees, not by
// bytes, so that names in UTF-8 keep the columns after them in line.
#ifndef EDLBRIDGE_CONVERT_DISPLAY_WIDTH_H
#define EDLBRIDGE_CONVERT_DISPLAY_WIDTH_H

#include <cstddef>
#include <string_view>

namespace edlbtool {

// UTF-8 characters take one column, East Asian wide and fullwidth ones (and emoji) two,
// combining marks and zero-width characters none. A byte that begins no valid UTF-8
// character (a Latin-1 name) takes one column, as a terminal shows it as one replacement
// character.
size_t displayWidth(std::string_view text);

}  // namespace edlbtool

#endif
