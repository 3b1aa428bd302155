#pragma once

#include "store/data_folder.h"

#include <array>
#include <cstdint>
#include <string>

namespace tolvane::store {

// A fingerprint of USERS.DAT, GROUP.DAT and TERMINAL.DAT as they stand in the folder of this moment, so that a
// window can tell when another workstation changed them. Taken from each file's content, read afresh (a network
// share's cached file attributes may lag behind another client's write; an open revalidates them), without
// locking the files or creating a missing one.
struct DirectoryState {
    bool reachable = false;
    std::string sharedFolder;
    std::array<std::uint64_t, 3> files {};
    bool operator==(const DirectoryState&) const = default;
};

DirectoryState directoryState(const DataFolder& folder);

} // namespace tolvane::store
