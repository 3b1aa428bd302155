#pragma once

#include <filesystem>
#include <string>

namespace tolvane::app {

// Makes sure the program folder exists and can be written; on failure returns a message for the operator.
std::string prepareProgramFolder(const std::filesystem::path& folder);

} // namespace tolvane::app
