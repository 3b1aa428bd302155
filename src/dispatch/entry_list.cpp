#include "dispatch/entry_list.h"

#include <algorithm>

namespace tolvane::dispatch {

int EntryList::insert(std::string entry)
{
    // std::string compares through char_traits<char>, which orders bytes as unsigned values.
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), entry);
    const auto index = at - m_entries.begin();
    m_entries.insert(at, std::move(entry));
    return static_cast<int>(index);
}

void EntryList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    m_entries.erase(m_entries.begin() + index);
}

int EntryList::count() const
{
    return static_cast<int>(m_entries.size());
}

std::string EntryList::entry(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_entries[static_cast<std::size_t>(index)];
}

void EntryList::replace(int index, const std::string& entry)
{
    if (index < 0 || index >= count())
        return;
    m_entries[static_cast<std::size_t>(index)] = entry;
}

void EntryList::clear()
{
    m_entries.clear();
    ++m_clearCount;
}

} // namespace tolvane::dispatch
