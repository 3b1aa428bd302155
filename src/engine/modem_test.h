#pragma once

#include "engine/pacer.h"
#include "engine/serial_line.h"

#include <functional>
#include <string>
#include <string_view>

namespace tolvane::engine {

// What the modem test shows: the window's save and test buttons, its "TESTING" label and its boxes.
class ModemTestView {
public:
    virtual ~ModemTestView() = default;

    // Running: the save and test buttons are disabled and the progress label is shown; afterwards the
    // buttons are enabled again and the label hidden.
    virtual void setTesting(bool running) = 0;
    virtual void setProgress(const std::string& label) = 0;
    virtual void messageBox(const std::string& text) = 0;
    virtual void beep() = 0;
};

// The configuration window's modem test: opens the chosen port on a line of its own, sends the modem's
// command string and waits up to 40 polls of 250 ms for "OK", "ERROR" or "NO CARRIER". Like a paging call it
// runs on the user-interface thread, blocking in the pacer's sleeps and yielding once per poll.
class ModemTest {
public:
    enum class Outcome { Ok, ModemError, NoCarrier, NoAnswer, PortFailed };

    static constexpr int kSettleMs = 2000;
    static constexpr int kPollMs = 250;
    static constexpr int kMaxPolls = 40;
    static constexpr std::string_view kLabel = "TESTING";

    // `portBusy` says whether a paging call holds the modem port at this moment; a test is then refused
    // as a port already open, without a second open.
    ModemTest(SerialLine& line, Pacer& pacer, ModemTestView& view, std::function<bool()> portBusy = {});

    // commText is the port box's text ("COMM2": the port is its last digit); commands the modem command box.
    Outcome run(std::string_view commText, std::string_view commands);

private:
    Outcome openPort(std::string_view commText);
    Outcome poll();
    void closePort();

    SerialLine& m_line;
    Pacer& m_pacer;
    ModemTestView& m_view;
    std::function<bool()> m_portBusy;
};

} // namespace tolvane::engine
