#include "dispatch/call_queue.h"

#include <algorithm>

namespace tolvane::dispatch {

void CallQueue::useRun(EntryList& list, const std::vector<int>& run)
{
    m_list = &list;
    m_order.clear();
    if (run.empty())
        return;
    const int first = run.front();
    m_order.reserve(static_cast<std::size_t>(list.count()));
    for (int index = 0; index < first; ++index)
        m_order.push_back(index);
    m_order.insert(m_order.end(), run.begin(), run.end());
    for (int index = first; index < list.count(); ++index) {
        if (!std::binary_search(run.begin(), run.end(), index))
            m_order.push_back(index);
    }
}

} // namespace tolvane::dispatch
