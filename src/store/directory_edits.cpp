#include "store/directory_edits.h"

#include "store/directory_rules.h"
#include "store/record_file.h"
#include "store/store_error.h"
#include "store/text.h"

#include <functional>

namespace tolvane::store {
namespace {

// Every directory record begins with its 25-character name.
constexpr std::size_t kNameWidth = 25;
constexpr std::size_t kFlagsOffset = 150;

EditResult result(EditStatus status, std::string message = {})
{
    return EditResult { status, std::move(message) };
}

EditResult changed()
{
    return result(EditStatus::Changed, std::string(kDirectoryChanged));
}

std::string_view recordAt(std::string_view all, std::size_t length, std::int32_t n)
{
    return all.substr(static_cast<std::size_t>(n - 1) * length, length);
}

std::int32_t countOf(std::string_view all, std::size_t length)
{
    return static_cast<std::int32_t>(all.size() / length);
}

bool stillShown(std::string_view all, std::size_t length, const ShownRecord& shown)
{
    return !shown.identity.empty() && shown.number >= 1 && shown.number <= countOf(all, length)
        && recordAt(all, length, shown.number).starts_with(shown.identity);
}

// The number of the first record named `name` (all 25 characters), other than `except`; 0 when there is none.
std::int32_t recordNamed(std::string_view all, std::size_t length, std::string_view name, std::int32_t except = 0)
{
    const std::string wanted = fixedText(name, kNameWidth);
    for (std::int32_t n = 1; n <= countOf(all, length); ++n) {
        if (n != except && recordAt(all, length, n).substr(0, kNameWidth) == wanted)
            return n;
    }
    return 0;
}

// "A user named Bob Baker already exists."
EditResult nameTaken(std::string_view kind, std::string_view name)
{
    return result(EditStatus::Refused, "A " + std::string(kind) + " named " + shownText(name) + " already exists.");
}

// Runs `edit` with the file's writer lock held, so nobody else writes between its check and its write.
EditResult withWriterLock(const DataFolder& folder, const std::filesystem::path& path, std::size_t length,
    const std::function<EditResult(RecordFile&)>& edit)
{
    // Checked first: opening a file in the bare mount point of a share that is gone would create it there.
    if (!folder.directoryReachable())
        return result(EditStatus::Unreachable, folder.unreachableText() + std::string(kNothingSaved));
    try {
        RecordFile file(path, length);
        const RecordFile::WriterLock writer(file);
        return edit(file);
    } catch (const std::exception& error) {
        return failedEdit(folder, error);
    }
}

template <class Record> EditResult save(const DataFolder& folder, const Record& record, std::string_view kind)
{
    const std::string bytes = record.encode();
    return withWriterLock(folder, folder.pathOf<Record>(), Record::kLength, [&](RecordFile& file) {
        if (recordNamed(file.readAllRaw(), Record::kLength, bytes.substr(0, kNameWidth)) != 0)
            return nameTaken(kind, bytes.substr(0, kNameWidth));
        file.appendRaw(bytes);
        return result(EditStatus::Written);
    });
}

template <class Record>
EditResult update(const DataFolder& folder, const ShownRecord& shown, const Record& record, std::string_view kind)
{
    const std::string bytes = record.encode();
    const std::string_view name = std::string_view(bytes).substr(0, kNameWidth);
    return withWriterLock(folder, folder.pathOf<Record>(), Record::kLength, [&](RecordFile& file) {
        const std::string all = file.readAllRaw();
        if (!stillShown(all, Record::kLength, shown))
            return changed();
        // Only a new name is checked: a file written before names were kept apart may hold one twice.
        const bool renamed = recordAt(all, Record::kLength, shown.number).substr(0, kNameWidth) != name;
        if (renamed && recordNamed(all, Record::kLength, name, shown.number) != 0)
            return nameTaken(kind, name);
        file.writeRaw(shown.number, bytes);
        return result(EditStatus::Written);
    });
}

} // namespace

ShownRecord shownUser(std::int32_t number, const UserRecord& user)
{
    // Name and pager ID: the file may hold a name twice.
    return ShownRecord { number, user.encode().substr(0, 125) };
}

ShownRecord shownCompany(std::int32_t number, const TerminalRecord& company)
{
    return ShownRecord { number, company.encode().substr(0, kNameWidth) };
}

ShownRecord shownGroup(std::int32_t number, const GroupRecord& group)
{
    return ShownRecord { number, group.encode().substr(0, kNameWidth) };
}

EditResult saveUser(const DataFolder& folder, const UserRecord& user)
{
    return save(folder, user, "user");
}

EditResult saveCompany(const DataFolder& folder, const TerminalRecord& company)
{
    return save(folder, company, "paging company");
}

EditResult saveGroup(const DataFolder& folder, const GroupRecord& group)
{
    const std::string bytes = group.encode();
    return withWriterLock(folder, folder.pathOf<GroupRecord>(), GroupRecord::kLength, [&](RecordFile& file) {
        const std::string all = file.readAllRaw();
        // Counted under the lock: an eleventh group would have no flag in the user records.
        if (!canAddGroup(countOf(all, GroupRecord::kLength)))
            return result(EditStatus::Refused, std::string(kGroupLimitReached));
        if (recordNamed(all, GroupRecord::kLength, bytes.substr(0, kNameWidth)) != 0)
            return nameTaken("group", bytes.substr(0, kNameWidth));
        file.appendRaw(bytes);
        return result(EditStatus::Written);
    });
}

EditResult updateUser(const DataFolder& folder, const ShownRecord& shown, const UserRecord& user)
{
    return update(folder, shown, user, "user");
}

EditResult updateCompany(const DataFolder& folder, const ShownRecord& shown, const TerminalRecord& company)
{
    return update(folder, shown, company, "paging company");
}

EditResult setMembership(const DataFolder& folder, const ShownRecord& group, std::string_view userName, bool member)
{
    if (group.number < 1 || group.number > kMaxGroups)
        return changed();
    return withWriterLock(folder, folder.pathOf<UserRecord>(), UserRecord::kLength, [&](RecordFile& users) {
        // A group delete takes USERS.DAT's writer lock first, so no group moves while this one is held.
        const std::string groups = RecordFile(folder.pathOf<GroupRecord>(), GroupRecord::kLength).readAllRaw();
        const std::int32_t n = recordNamed(users.readAllRaw(), UserRecord::kLength, userName);
        if (!stillShown(groups, GroupRecord::kLength, group) || n == 0)
            return changed();
        std::string record = users.readRaw(n);
        record[kFlagsOffset + static_cast<std::size_t>(group.number - 1)] = member ? '1' : '0';
        users.writeRaw(n, record);
        return result(EditStatus::Written);
    });
}

EditResult failedEdit(const DataFolder& folder, const std::exception& error)
{
    if (!folder.directoryReachable() || dynamic_cast<const DirectoryUnreachable*>(&error))
        return result(EditStatus::Unreachable, folder.unreachableText() + std::string(kNothingSaved));
    const auto* storeError = dynamic_cast<const StoreError*>(&error);
    // 51: an internal error, for failures that carry no number of their own.
    return result(EditStatus::Failed,
        "Error # " + std::to_string(storeError ? storeError->number() : 51) + ": " + error.what()
            + std::string(kNothingSaved));
}

} // namespace tolvane::store
