#include "store/sort_users.h"

#include "store/record_file.h"
#include "store/records.h"
#include "store/store_error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tolvane::store {

void sortUsers(const DataFolder& folder)
{
    try {
        constexpr std::size_t kLength = UserRecord::kLength;
        RecordFile file(folder.pathOf<UserRecord>(), kLength);
        const RecordFile::WriterLock writer(file);
        const std::string all = file.readAllRaw();
        const std::size_t n = all.size() / kLength;
        if (n < 2)
            return;

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
            return;

        RecordFile::SoleHold hold(file);
        if (hold.held()) {
            file.replaceContents(hold, sorted);
            return;
        }
        // Another workstation has the file open and would keep writing into a replaced file, so rewrite it in
        // place record by record: that workstation may see a partly sorted list for a moment.
        for (std::size_t i = 0; i < n; ++i) {
            if (order[i] != i)
                file.writeRaw(static_cast<std::int32_t>(i + 1), std::string_view(sorted).substr(i * kLength, kLength));
        }
    } catch (const StoreError&) {
        // Sorting is a convenience; a failure leaves the file as it stands.
    }
}

} // namespace tolvane::store
