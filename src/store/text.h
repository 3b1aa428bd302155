#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Helpers for the fixed-width, blank-padded Windows-1252 text the data files and queue entries carry.
namespace tolvane::store {

// Pads with blanks or cuts to exactly `width` bytes.
std::string fixedText(std::string_view text, std::size_t width);

// Removes trailing blanks (0x20 only: NUL padding of never-written records is kept, as it is data).
std::string rtrim(std::string_view text);
std::string ltrim(std::string_view text);
std::string trim(std::string_view text);

// A number as the system shows it in texts: a leading blank for values that are not negative (" 3", "-1").
std::string numberText(long value);

} // namespace tolvane::store
