#pragma once

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
};

}  // namespace tolvane::engine
