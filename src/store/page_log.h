#pragma once

#include "store/data_folder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// LOG.DAT in the program folder: one record per page, the text in double quotes, then CR LF.
namespace tolvane::store {

// Appends `"` text `"` CR LF in one write, so lines from two processes never interleave; a write the disk cuts
// short is taken back. Throws StoreError.
void appendLogLine(const DataFolder& folder, std::string_view text);

// Every record's text in order. A record runs from its opening quote to the closing quote that is
// followed by CR LF, so quotes and CR LF inside the text survive. A log that cannot be read (not a regular
// file, no permission) reads as empty.
std::vector<std::string> readLog(const DataFolder& folder);

// The records that begin at byte `offset` or later (from the start when the log is shorter now).
std::vector<std::string> readLogFrom(const DataFolder& folder, std::uint64_t offset);

// The log's length in bytes; 0 when there is none.
std::uint64_t logLength(const DataFolder& folder);

// Clears the whole log by deleting the file. False when there was nothing to delete or it could not be
// deleted; the viewer then keeps its list.
bool clearLog(const DataFolder& folder);

} // namespace tolvane::store
