#pragma once

#include "store/data_folder.h"

#include <filesystem>
#include <string>

// The scratch files a replacement writes beside the file it replaces. A process killed before its rename leaves
// one behind; nothing reads it, but it would fill a shared folder over time.
namespace tolvane::store {

// "TEMP.DAT.<host>.<process>.XXXXXX", for mkostemp: whose scratch file it is, so that a start can tell the ones
// its own host's dead processes left behind.
std::string scratchFilePattern();

// Removes the scratch files (TEMP.DAT.*) that replacements left behind: those of this host whose process is gone,
// and any other older than an hour (another host's processes cannot be seen from here). Every replacement does
// it in its own folder; a start does it in the program folder and the shared folder.
void removeAbandonedScratchFiles(const std::filesystem::path& folder);
void removeAbandonedScratchFiles(const DataFolder& folder);

} // namespace tolvane::store
