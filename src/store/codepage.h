#pragma once

#include <string>
#include <string_view>

// The data files and the wire carry Windows-1252; the user interface and the command line speak UTF-8.
// These functions are the only crossing between them.
namespace tolvane::store {

// A character with no Windows-1252 form, or a malformed UTF-8 sequence, becomes "?".
std::string utf8ToCp1252(std::string_view utf8);
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string cp1252ToUtf8(std::string_view cp1252);

// For a terminal, from UTF-8: each CR LF or lone CR a line break (the text after a CR would overwrite the line
// before it), LF and tab kept, and every other control character shown instead of sent: "^[" for ESC, "^?" for
// DEL, "\x9b" for a C1 control. Text from files and peers must never clear the screen or move the cursor.
std::string visibleControls(std::string_view utf8);
// The same for Windows-1252 text: converted to UTF-8 first.
std::string terminalText(std::string_view cp1252);

} // namespace tolvane::store
