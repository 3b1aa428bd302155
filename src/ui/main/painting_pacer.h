#pragma once

#include "engine/pacer.h"

namespace tolvane::ui {

// The pacer a paging call gets from the main window. Before each blocking pause (the four seconds before
// the modem is initialised, the numeric sender's waits, the hang-up steps) it paints what the call has
// just shown, so the status panel, the lamp and the connection log are current while the call waits.
// Only the window's own pending repaints run: no input, no timers, nothing the operator could start.
class PaintingPacer final : public engine::Pacer {
public:
    explicit PaintingPacer(engine::Pacer& inner)
        : m_inner(inner)
    {
    }

    void sleepMs(int ms) override;
    void yield() override { m_inner.yield(); }
    void pauseYielding(int ms) override { m_inner.pauseYielding(ms); }
    long long nowMs() override { return m_inner.nowMs(); }

private:
    engine::Pacer& m_inner;
};

} // namespace tolvane::ui
