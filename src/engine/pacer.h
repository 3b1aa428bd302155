#pragma once

#include <chrono>

namespace tolvane::engine {

// Time as the engine spends it. Tests advance a virtual clock; the program sleeps and processes
// window events for real.
class Pacer {
public:
    virtual ~Pacer() = default;

    // Blocks for ms milliseconds without letting the user interface run.
    virtual void sleepMs(int ms) = 0;
    // Lets pending user-interface events run once.
    virtual void yield() = 0;
    // Keeps the user interface running for about ms milliseconds (the half-second pause before a call).
    virtual void pauseYielding(int ms) = 0;
    // A monotonic clock in milliseconds, for waits that keep their limits in time rather than in rounds.
    // A pacer with a clock of its own (a virtual one) must say so here.
    virtual long long nowMs()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace tolvane::engine
