#pragma once

#include <string>
#include <string_view>

namespace tolvane::platform {

// What each numbered serial-line failure means, in one table, so every message about the port reads alike.
std::string_view serialErrorText(int number);

// The failure's meaning followed by what the system said about it, for the error's description.
std::string serialErrorDescription(int number, std::string_view detail);

} // namespace tolvane::platform
