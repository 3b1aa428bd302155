#pragma once

#include "store/data_folder.h"

namespace tolvane::store {

// Puts USERS.DAT into ascending order of the full 25-byte UserName, compared byte by byte (so upper case
// before lower case), keeping users with equal names in their order. Errors are ignored: a file that cannot
// be read or written is left as it was. The caller re-runs its start-up sequence afterwards.
void sortUsers(const DataFolder& folder);

} // namespace tolvane::store
