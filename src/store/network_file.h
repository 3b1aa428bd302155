#pragma once

#include "store/data_folder.h"

#include <filesystem>
#include <string>
#include <string_view>

// NETWORK.DAT: one line, the shared folder in double quotes, then CR LF; an empty pair of quotes means
// the workstation keeps its directory in its own program folder.
namespace tolvane::store {

// The value between the quotes of the first line. A line without quotes gives its text without surrounding
// blanks; quotes inside the value survive (the value runs to the last quote of the line); later lines are
// ignored. A missing file throws StoreError 53, an empty one (no bytes at all) StoreError 62; one that is not a
// regular file or is too large, or a value holding a NUL (the path would end there), StoreError 75.
std::string readNetworkFile(const std::filesystem::path& path);

// Replaces the file with `"` folder `"` CR LF, atomically. Throws StoreError when it cannot be written.
void writeNetworkFile(const std::filesystem::path& path, std::string_view folder);

// The network setup command's rule: the folder (ending in "/") of a chosen file named USERS.DAT in any mix of
// case, or empty for anything else (a cancelled dialog gives an empty name, and so an empty folder).
std::string sharedFolderFromChosenFile(std::string_view chosenFile);

// The rest of the command: NETWORK.DAT in the program folder gets the folder the chosen file gives, and so
// does `folder`. Returns that folder. Throws StoreError when NETWORK.DAT cannot be written (then nothing changed).
std::string applyNetworkSetup(DataFolder& folder, std::string_view chosenFile);
// The same for a folder (empty: the program folder's own directory).
void useSharedFolder(DataFolder& folder, std::string sharedFolder);

// Makes `sharedFolder` a shared directory: USERS.DAT, GROUP.DAT and TERMINAL.DAT written there, either copies of
// the directory `from` uses now or empty. Refused, with the text to show, when the folder already holds one of
// them or cannot be written; empty text when created. USERS.DAT, which marks a folder as a shared directory, is
// written last and only beside the other two, so a failure never leaves a folder that passes for one.
enum class NewShare { CopyDirectory, Empty };
std::string createSharedDirectory(const DataFolder& from, const std::filesystem::path& sharedFolder, NewShare content);

} // namespace tolvane::store
