#pragma once

#include "store/data_folder.h"

#include <cstdint>
#include <filesystem>

namespace tolvane::store {

// Writes the default record 1 of one data file, overwriting what record 1 held: kind 1 USERS.DAT and kind 2
// TERMINAL.DAT at their directory paths, kind 3 CONFIG.DAT in the program folder; any other kind does
// nothing. Throws StoreError when the file cannot be written.
void makeDataFiles(const DataFolder& folder, std::int16_t kind);

// First run: when the program folder holds none of NETWORK.DAT, CONFIG.DAT, USERS.DAT and TERMINAL.DAT,
// writes a working installation into it and returns true. A folder with any of the four is left alone,
// unless an installation there was cut short: then the files it lacks are written. Each file appears whole
// or not at all, NETWORK.DAT last, and a file that exists is never overwritten. Throws StoreError when the
// folder cannot be written.
bool installIfNew(const DataFolder& folder);

// Whether a folder holds data files of its own: any of NETWORK.DAT, CONFIG.DAT, USERS.DAT and TERMINAL.DAT.
bool holdsDataFiles(const std::filesystem::path& programFolder);

// Whether the directory at its directory paths is still what a first run wrote: the sample user and paging
// company, byte for byte, and no group. Any change the operator makes ends it.
bool holdsSampleDirectory(const DataFolder& folder);

} // namespace tolvane::store
