#include "testkit/virtual_pacer.h"

namespace tolvane::testkit {

void VirtualPacer::sleepMs(int ms)
{
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

} // namespace tolvane::testkit
