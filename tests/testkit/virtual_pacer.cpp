#include "testkit/virtual_pacer.h"

#include <numeric>

namespace tolvane::testkit {

void VirtualPacer::sleepMs(int ms)
{
    m_sleeps.push_back(ms);
    if (ms > 0)
        m_clock.advance(ms);
}

void VirtualPacer::yield()
{
    ++m_yields;
    if (m_hook)
        m_hook(m_yields);
}

void VirtualPacer::pauseYielding(int ms)
{
    m_yieldingPauses.push_back(ms);
    yield();
    if (ms > 0)
        m_clock.advance(ms);
}

long long VirtualPacer::totalSleptMs() const
{
    return std::accumulate(m_sleeps.begin(), m_sleeps.end(), 0LL);
}

} // namespace tolvane::testkit
