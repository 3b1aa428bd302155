#include "store/compaction.h"

#include "store/directory_edits.h"
#include "store/record_file.h"
#include "store/records.h"
#include "store/store_error.h"
#include "store/text.h"

#include <optional>

namespace tolvane::store {
namespace {

struct DeleteTexts {
    const char* onlyRecord;
    const char* inUse;
};

constexpr DeleteTexts kUserTexts {
    "You cannot delete the only user, You must add another user before deleting this one",
    "Can not delete user when file is opened by another user"
};
constexpr DeleteTexts kTerminalTexts {
    "You cannot delete the terminal, You must add another terminal before deleting this one",
    "Can not delete record while other users have the file open"
};
constexpr DeleteTexts kGroupTexts {
    "You cannot delete the only group, You must add another group before deleting this one",
    "Can not delete group while other users have the file open"
};
// QUICK.DAT belongs to one workstation, so only this workstation's other running copy can hold it.
constexpr DeleteTexts kCannedTexts {
    "You cannot delete the only message, You must add another message before deleting this one",
    "Can not delete message while other users have the file open"
};

DeleteResult refused(DeleteStatus status, std::string message)
{
    return DeleteResult { status, std::move(message) };
}

// "Error # 61: cannot write ... (USERS.DAT is unchanged)"; the note says what the failure left behind.
DeleteResult failed(const StoreError& error, const std::string& note)
{
    return refused(
        DeleteStatus::Failed, "Error # " + std::to_string(error.number()) + ": " + error.what() + " (" + note + ")");
}

// The refusals that come before anything is written, with the file's writer lock held.
std::optional<DeleteResult> checkDeletable(
    const RecordFile& file, std::int32_t k, const DeleteTexts& texts, std::string_view identity)
{
    const std::int32_t count = file.count();
    if (!identity.empty() && (k < 1 || k > count || !file.readRaw(k).starts_with(identity)))
        return refused(DeleteStatus::Changed, std::string(kDirectoryChanged));
    if (count == 1)
        return refused(DeleteStatus::OnlyRecord, texts.onlyRecord);
    if (k < 1 || k > count)
        return refused(DeleteStatus::NoSuchRecord,
            "There is no record " + std::to_string(k) + " in " + file.path().filename().string()
                + " to delete; it holds " + std::to_string(count) + ".");
    return std::nullopt;
}

// A share that is gone is said in words, checked before an open could create a file in its bare mount point,
// and again after a failure, which may be the share dropping in the middle.
DeleteResult unreachable(const DataFolder& folder)
{
    return refused(DeleteStatus::Unreachable, folder.unreachableText() + std::string(kNothingSaved));
}

template <class Delete> DeleteResult inReachableFolder(const DataFolder& folder, const Delete& remove)
{
    if (!folder.directoryReachable())
        return unreachable(folder);
    DeleteResult result = remove();
    return result.status == DeleteStatus::Failed && !folder.directoryReachable() ? unreachable(folder) : result;
}

std::string withoutRecord(const std::string& all, std::size_t length, std::int32_t k)
{
    std::string out = all;
    out.erase(static_cast<std::size_t>(k - 1) * length, length);
    return out;
}

DeleteResult deleteRecord(const std::filesystem::path& path, std::size_t length, std::int32_t k,
    const DeleteTexts& texts, std::string_view identity = {})
{
    try {
        RecordFile file(path, length);
        const RecordFile::WriterLock writer(file);
        if (auto refusal = checkDeletable(file, k, texts, identity))
            return *refusal;
        const std::string remaining = withoutRecord(file.readAllRaw(), length, k);
        RecordFile::SoleHold hold(file);
        if (!hold.held())
            return refused(DeleteStatus::InUse, texts.inUse);
        file.replaceContents(hold, remaining);
        return DeleteResult { DeleteStatus::Deleted, {} };
    } catch (const StoreError& error) {
        return failed(error, path.filename().string() + " is unchanged");
    }
}

} // namespace

std::string flagsWithoutGroup(std::string_view flags, std::int32_t k)
{
    const std::string full = fixedText(flags, 10);
    const auto cut = static_cast<std::size_t>(k < 1 ? 0 : (k > 11 ? 11 : k));
    const std::string before = rtrim(std::string_view(full).substr(0, cut > 0 ? cut - 1 : 0));
    const std::string after = cut <= full.size() ? rtrim(std::string_view(full).substr(cut)) : std::string();
    return fixedText(before + after + "0", 10);
}

DeleteResult deleteUser(const DataFolder& folder, std::int32_t k, std::string_view identity)
{
    return inReachableFolder(folder,
        [&] { return deleteRecord(folder.pathOf<UserRecord>(), UserRecord::kLength, k, kUserTexts, identity); });
}

DeleteResult deleteTerminal(const DataFolder& folder, std::int32_t k, std::string_view identity)
{
    return inReachableFolder(folder, [&] {
        return deleteRecord(folder.pathOf<TerminalRecord>(), TerminalRecord::kLength, k, kTerminalTexts, identity);
    });
}

DeleteResult deleteCannedMessage(const DataFolder& folder, std::int32_t k)
{
    return deleteRecord(folder.pathOf<CannedRecord>(), CannedRecord::kLength, k, kCannedTexts);
}

namespace {

DeleteResult deleteGroupIn(const DataFolder& folder, std::int32_t k, std::string_view identity)
{
    const std::filesystem::path usersPath = folder.pathOf<UserRecord>();
    const std::filesystem::path groupsPath = folder.pathOf<GroupRecord>();
    const std::string usersName = usersPath.filename().string();
    try {
        // Always users before groups, so two deletes never wait on each other.
        RecordFile users(usersPath, UserRecord::kLength);
        RecordFile groups(groupsPath, GroupRecord::kLength);
        const RecordFile::WriterLock usersWriter(users);
        const RecordFile::WriterLock groupsWriter(groups);
        if (auto refusal = checkDeletable(groups, k, kGroupTexts, identity))
            return *refusal;

        const std::string remainingGroups = withoutRecord(groups.readAllRaw(), GroupRecord::kLength, k);
        const std::string oldUsers = users.readAllRaw();
        std::string allUsers = oldUsers;
        constexpr std::size_t kFlagsOffset = 150;
        for (std::size_t at = 0; at + UserRecord::kLength <= allUsers.size(); at += UserRecord::kLength)
            allUsers.replace(
                at + kFlagsOffset, 10, flagsWithoutGroup(std::string_view(allUsers).substr(at + kFlagsOffset, 10), k));

        RecordFile::SoleHold usersHold(users);
        RecordFile::SoleHold groupsHold(groups);
        if (!usersHold.held() || !groupsHold.held())
            return refused(DeleteStatus::InUse, kGroupTexts.inUse);
        // Every scratch file is written before the first rename, the old users among them: should the
        // groups rename fail (a share dropping between the two), the old users go back, or every
        // membership above group k would point one group lower while the group is still there.
        RecordFile::Replacement newUsers(users, usersHold, allUsers);
        RecordFile::Replacement newGroups(groups, groupsHold, remainingGroups);
        RecordFile::Replacement usersBack(users, usersHold, oldUsers);
        newUsers.commit();
        try {
            newGroups.commit();
        } catch (const StoreError& error) {
            try {
                usersBack.commit();
            } catch (const StoreError&) {
                return failed(
                    error, usersName + " could not be put back: memberships above the group now point one group lower");
            }
            throw;
        }
        return DeleteResult { DeleteStatus::Deleted, {} };
    } catch (const StoreError& error) {
        return failed(error, usersName + " and " + groupsPath.filename().string() + " are unchanged");
    }
}

} // namespace

DeleteResult deleteGroup(const DataFolder& folder, std::int32_t k, std::string_view identity)
{
    // Only the check before: after a failure the group delete's own message says what it left behind.
    return folder.directoryReachable() ? deleteGroupIn(folder, k, identity) : unreachable(folder);
}

} // namespace tolvane::store
