#include "testkit/vector_queue.h"

namespace tolvane::testkit {

std::string VectorQueue::entry(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_entries[static_cast<std::size_t>(index)];
}

void VectorQueue::replace(int index, const std::string& entry)
{
    if (index < 0 || index >= count())
        return;
    m_entries[static_cast<std::size_t>(index)] = entry;
}

} // namespace tolvane::testkit
