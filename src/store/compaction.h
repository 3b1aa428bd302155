#pragma once

#include "store/data_folder.h"

#include <cstdint>
#include <string>
#include <string_view>

// Deleting a record rewrites its file without it, so record numbers stay dense. The editors show the
// message of a refused delete themselves; these functions only report it.
namespace tolvane::store {

enum class DeleteStatus {
    Deleted,
    OnlyRecord, // the file holds one record: the last one is never deleted
    NoSuchRecord, // k lies outside 1..count (a list that is out of date, or an empty file)
    InUse, // another workstation has the file open
    Changed, // record k no longer begins with the identity the operator saw
    Unreachable, // the shared folder cannot be reached
    Failed, // the file could not be read or replaced; nothing changed
};

struct DeleteResult {
    DeleteStatus status = DeleteStatus::Failed;
    // Empty when deleted; otherwise the text to show, exactly as the editors show it.
    std::string message;

    bool deleted() const { return status == DeleteStatus::Deleted; }
};

// Each deletes record k (1-based) of its file at its usual place. With an `identity` (ShownRecord's, see
// store/directory_edits.h) record k must still begin with it, checked under the writer lock: a sort or another
// workstation may have moved the record the operator chose.
DeleteResult deleteUser(const DataFolder& folder, std::int32_t k, std::string_view identity = {});
DeleteResult deleteTerminal(const DataFolder& folder, std::int32_t k, std::string_view identity = {});
DeleteResult deleteCannedMessage(const DataFolder& folder, std::int32_t k);
// Deletes group k and removes character k from every user's GroupFlags (appending "0"), so the flags keep
// naming the right groups. Both files are held alone before either is written, so a refusal changes nothing,
// and a failure between the two renames puts the old USERS.DAT back.
DeleteResult deleteGroup(const DataFolder& folder, std::int32_t k, std::string_view identity = {});

// The flags of a user after group k is deleted: characters 1..k-1, then k+1..10 (each part without its
// trailing blanks), then "0", padded or cut to 10.
std::string flagsWithoutGroup(std::string_view flags, std::int32_t k);

} // namespace tolvane::store
