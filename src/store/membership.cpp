#include "store/membership.h"

#include "store/record_file.h"
#include "store/records.h"
#include "store/text.h"

namespace tolvane::store {
namespace {

constexpr std::size_t kFlagsOffset = 150;

// With the writer lock held, so no other workstation's append or sort moves records under the change.
bool setFlag(RecordFile& file, std::int32_t user, std::int32_t group, bool member)
{
    if (user < 1 || user > file.count() || group < 1 || group > 10)
        return false;
    std::string record = file.readRaw(user);
    record[kFlagsOffset + static_cast<std::size_t>(group - 1)] = member ? '1' : '0';
    file.writeRaw(user, record);
    return true;
}

} // namespace

bool setMembership(const DataFolder& folder, std::int32_t user, std::int32_t group, bool member)
{
    RecordFile file(folder.pathOf<UserRecord>(), UserRecord::kLength);
    const RecordFile::WriterLock writer(file);
    return setFlag(file, user, group, member);
}

std::int32_t setMembershipByName(const DataFolder& folder, std::string_view userName, std::int32_t group, bool member)
{
    if (group < 1 || group > 10)
        return 0;
    const std::string wanted = fixedText(userName, 25);
    RecordFile file(folder.pathOf<UserRecord>(), UserRecord::kLength);
    const RecordFile::WriterLock writer(file);
    const std::string all = file.readAllRaw();
    for (std::size_t at = 0; at + UserRecord::kLength <= all.size(); at += UserRecord::kLength) {
        if (std::string_view(all).substr(at, 25) == wanted) {
            const auto n = static_cast<std::int32_t>(at / UserRecord::kLength) + 1;
            return setFlag(file, n, group, member) ? n : 0;
        }
    }
    return 0;
}

} // namespace tolvane::store
