#pragma once

#include "simulator/line_simulator.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane::simulator::testing {

using namespace std::chrono_literals;

// Drives a LineSimulator on virtual time, as a client on the other end of the line would.
class SimulatorHarness {
public:
    explicit SimulatorHarness(SimulatorOptions options = quickOptions())
        : m_simulator(std::make_unique<LineSimulator>(std::move(options)))
    {
    }
    // The quick options with a few changed.
    explicit SimulatorHarness(const std::function<void(SimulatorOptions&)>& change)
        : SimulatorHarness(changed(change))
    {
    }

    // Round numbers the tests can reason about.
    static SimulatorOptions quickOptions()
    {
        SimulatorOptions options;
        options.replyDelay = 40ms;
        options.connectDelay = 2000ms;
        options.commaPause = 2000ms;
        options.escapeGuard = 1000ms;
        return options;
    }

    // Writes `bytes` now, then lets `wait` pass and returns what came back meanwhile.
    std::string send(std::string_view bytes, Millis wait = 200ms)
    {
        m_simulator->receive(bytes, m_now);
        return pass(wait);
    }

    std::string pass(Millis wait)
    {
        m_now += wait;
        m_simulator->advance(m_now);
        return m_simulator->takeOutput();
    }

    // Dials and wakes the terminal; returns its prompt.
    std::string connect()
    {
        send("ATDT5550142\r", 2100ms);
        return send("\r");
    }

    // Dials and logs on; the terminal is then waiting for the first block.
    void logOn(std::string_view logOnLine = "\x1bPG1\r")
    {
        connect();
        send(logOnLine);
    }

    LineSimulator& simulator() { return *m_simulator; }
    Millis now() const { return m_now; }

private:
    static SimulatorOptions changed(const std::function<void(SimulatorOptions&)>& change)
    {
        auto options = quickOptions();
        change(options);
        return options;
    }

    std::unique_ptr<LineSimulator> m_simulator;
    Millis m_now { 0 };
};

} // namespace tolvane::simulator::testing
