#include "store/sort_users.h"

#include "store/record_file.h"
#include "store/records.h"
#include "store/store_error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tolvane::store {

SortOutcome sortUsers(const DataFolder& folder)
{
    try {
        constexpr std::size_t kLength = UserRecord::kLength;
        RecordFile file(folder.pathOf<UserRecord>(), kLength);
        const RecordFile::WriterLock writer(file);
        const std::string all = file.readAllRaw();
        const std::size_t n = all.size() / kLength;
        if (n < 2)
            return SortOutcome::Done;

        // The same order as a bubble sort that swaps only on "less than": stable, by unsigned byte value.
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&all](std::size_t a, std::size_t b) {
            return std::memcmp(all.data() + a * kLength, all.data() + b * kLength, 25) < 0;
        });
        std::string sorted;
        sorted.reserve(all.size());
        for (const std::size_t i : order)
            sorted.append(all, i * kLength, kLength);
        if (sorted == all)
            return SortOutcome::Done;

        // Another workstation holding the file would keep writing into a replaced one, and a rewrite in place
        // cut short by a crash would leave users twice and others lost: refused, it changes nothing.
        RecordFile::SoleHold hold(file);
        if (!hold.held())
            return SortOutcome::InUse;
        file.replaceContents(hold, sorted);
    } catch (const StoreError&) {
        // Sorting is a convenience; a failure leaves the file as it stands.
    }
    return SortOutcome::Done;
}

} // namespace tolvane::store
