#pragma once

#include "engine/pacer.h"

namespace tolvane::platform {

// Real time for the engine. Paging runs on the user-interface thread: yield lets pending window events
// run once (so the cancel command and other windows stay usable), sleeps block as the engine asks.
class QtPacer final : public engine::Pacer {
public:
    void sleepMs(int ms) override;
    void yield() override;
    void pauseYielding(int ms) override;
};

} // namespace tolvane::platform
