#pragma once

#include <filesystem>
#include <string>

namespace tolvane::app {

// Makes sure the program folder exists and can be written; on failure returns a message for the operator.
std::string prepareProgramFolder(const std::filesystem::path& folder);

// The program folder of a start without --data-dir. A folder of the executable's that already holds data
// files is used as it stands (a portable copy); an installed program's folder is no place for data, so
// each user gets the per-user folder the desktop entry uses too, and the shell and the menu share one set of
// files. An executable folder that cannot be found counts as installed.
std::filesystem::path defaultProgramFolder(const std::filesystem::path& executableFolder);

// A folder an installation put the program into: under the system's own trees, the bin folder of a prefix
// the desktop entry was installed under (~/.local included), or a folder this user cannot write.
bool isSystemFolder(const std::filesystem::path& folder);

// ${XDG_DATA_HOME:-~/.local/share}/tolvane; empty when no home folder is known.
std::filesystem::path perUserDataFolder();

} // namespace tolvane::app
