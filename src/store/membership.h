#pragma once

#include "store/data_folder.h"

#include <cstdint>
#include <string_view>

// Group membership lives in each user's GroupFlags: character k is "1" when the user belongs to group k.
namespace tolvane::store {

// Sets (member) or clears character `group` (1..10) of user record `user`'s flags and writes the record back.
// Returns false and writes nothing when either number is out of range.
bool setMembership(const DataFolder& folder, std::int32_t user, std::int32_t group, bool member);

// The groups editor's click: the first user whose UserName equals `userName` over all 25 characters (a shorter
// name is blank padded) gets the flag. Returns the user's record number, or 0 when no user matched.
std::int32_t setMembershipByName(const DataFolder& folder, std::string_view userName, std::int32_t group, bool member);

} // namespace tolvane::store
