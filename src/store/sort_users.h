#pragma once

#include "store/data_folder.h"

#include <string_view>

namespace tolvane::store {

inline constexpr std::string_view kSortRefusedInUse
    = "Another workstation has the user list open; sort again when it is closed.";

enum class SortOutcome {
    Done, // sorted, already in order, or left as it was after an error
    InUse, // another copy holds the file: nothing was written (show kSortRefusedInUse)
};

// Puts USERS.DAT into ascending order of the full 25-byte UserName, compared byte by byte (so upper case
// before lower case), keeping users with equal names in their order. The file is replaced in one step, so a
// sort that dies part-way leaves the old order whole; while another copy has the file open it cannot be
// replaced, and the sort is refused. Other errors are ignored: a file that cannot be read or written is left as
// it was. After Done the caller re-runs its start-up sequence.
SortOutcome sortUsers(const DataFolder& folder);

} // namespace tolvane::store
