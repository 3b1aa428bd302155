#pragma once

#include "store/data_folder.h"
#include "store/records.h"

#include <cstdint>
#include <string>
#include <string_view>

// The directory editor's writes, each done under the file's writer lock so that what it checks still holds
// when it writes: another workstation, or a sort, may have moved or replaced the records since the operator
// saw them. A record is named by what the operator saw (ShownRecord), never by its list row alone.
namespace tolvane::store {

inline constexpr std::string_view kDirectoryChanged
    = "The directory changed while this was shown (a sort, or a change at another workstation). Nothing was "
      "written; the list now shows the directory as it stands.";
inline constexpr std::string_view kNothingSaved = " Nothing was saved.";

// A record as the operator saw it: its number then, and the bytes that tell it from the others (a user's name
// and pager ID, a company's or a group's name).
struct ShownRecord {
    std::int32_t number = 0;
    std::string identity;
};
ShownRecord shownUser(std::int32_t number, const UserRecord& user);
ShownRecord shownCompany(std::int32_t number, const TerminalRecord& company);
ShownRecord shownGroup(std::int32_t number, const GroupRecord& group);

enum class EditStatus {
    Written,
    Refused, // a rule of the directory: a name that exists, the tenth group
    Changed, // the shown record is no longer where it was shown: kDirectoryChanged
    Unreachable, // the shared folder cannot be reached: "The shared directory ... cannot be reached. Nothing was
                 // saved."
    Failed, // the file could not be read or written: the error's number and text
};

struct EditResult {
    EditStatus status = EditStatus::Failed;
    std::string message; // empty when written
    bool written() const { return status == EditStatus::Written; }
};

// Appends a user, company or group; refused when its name is taken (compared as the lookups compare: all
// 25 characters, letter case included), or for an eleventh group.
EditResult saveUser(const DataFolder& folder, const UserRecord& user);
EditResult saveCompany(const DataFolder& folder, const TerminalRecord& company);
EditResult saveGroup(const DataFolder& folder, const GroupRecord& group);

// Overwrites the shown record, after checking it is still there; a new name is refused when another record
// has it.
EditResult updateUser(const DataFolder& folder, const ShownRecord& shown, const UserRecord& user);
EditResult updateCompany(const DataFolder& folder, const ShownRecord& shown, const TerminalRecord& company);

// The groups tab's click: the first user whose UserName equals `userName` over all 25 characters joins (member)
// or leaves the shown group (character k of its GroupFlags). Under USERS.DAT's writer lock, which a group delete
// holds too, the group must still be the one at its number and the user must still be there (Changed otherwise).
EditResult setMembership(const DataFolder& folder, const ShownRecord& group, std::string_view userName, bool member);

// The text of a failure that carries no message of its own, for a folder that may have gone meanwhile.
EditResult failedEdit(const DataFolder& folder, const std::exception& error);

} // namespace tolvane::store
