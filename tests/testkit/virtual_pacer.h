#pragma once

#include "engine/pacer.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace tolvane::testkit {

// Milliseconds since the test began. Only the pacer moves it, so a test never waits for real.
class VirtualClock {
public:
    long long now() const { return m_now; }
    void advance(long long ms) { m_now += ms; }

private:
    long long m_now = 0;
};

// The engine's pauses advance the virtual clock; each yield runs an optional hook, the place where a
// test acts "while the call is waiting" (press cancel, force a hang-up...).
class VirtualPacer : public engine::Pacer {
public:
    explicit VirtualPacer(VirtualClock& clock)
        : m_clock(clock)
    {
    }

    void sleepMs(int ms) override { m_clock.advance(std::max(ms, 0)); }
    void yield() override
    {
        if (m_hook)
            m_hook();
    }
    void pauseYielding(int ms) override
    {
        m_yieldingPauses.push_back(ms);
        yield();
        sleepMs(ms);
    }
    long long nowMs() override { return m_clock.now(); }

    // Called on every yield (pauseYielding counts as one).
    void setYieldHook(std::function<void()> hook) { m_hook = std::move(hook); }
    // The half-second style pauses that keep the interface running.
    const std::vector<int>& yieldingPauses() const { return m_yieldingPauses; }

private:
    VirtualClock& m_clock;
    std::function<void()> m_hook;
    std::vector<int> m_yieldingPauses;
};

} // namespace tolvane::testkit
