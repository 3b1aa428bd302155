#pragma once

#include "engine/page_queue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::dispatch {

// A list of queue entries kept in ascending order of the whole entry, compared byte by byte (so case
// matters and all pages of one company column always stand together). Used for the page queue and the
// scheduled list.
class EntryList : public engine::PageQueue {
public:
    EntryList() = default;
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;

    // Puts the entry at its sorted place (after equal entries) and returns its index.
    int insert(std::string entry);
    // Out of range does nothing.
    void removeAt(int index);

    int count() const override;
    // Empty text when the index is out of range.
    std::string entry(int index) const override;
    // Changes the entry in place and does not re-sort: a run in progress reads the list by index.
    void replace(int index, const std::string& entry) override;
    void clear() override;

    const std::vector<std::string>& entries() const { return m_entries; }

    // Grows each time the list is emptied, so a walk over the list notices that it was emptied under it.
    std::uint64_t clearCount() const { return m_clearCount; }

private:
    std::vector<std::string> m_entries;
    std::uint64_t m_clearCount = 0;
};

} // namespace tolvane::dispatch
