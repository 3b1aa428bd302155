#include "engine/modem_test.h"

#include "engine/serial_messages.h"
#include "engine/tap_block.h"
#include "store/store_error.h"
#include "store/text.h"

#include <exception>
#include <utility>

namespace tolvane::engine {
namespace {

constexpr int kInternalError = 51;
// The modem test's port runs at the serial control's own default settings.
constexpr const char* kTestSettings = "9600,N,8,1";

// Every step after the open carries on when the line fails, as the test always did.
template <class Step> void ignoringLineErrors(Step step)
{
    try {
        step();
    } catch (const SerialError&) {
    }
}

// The numeric value of the port text's last character ("COMM3" is 3); 0, an invalid port, otherwise.
int portOf(std::string_view commText)
{
    const std::string text = store::rtrim(commText);
    if (text.empty() || text.back() < '0' || text.back() > '9')
        return 0;
    return text.back() - '0';
}

} // namespace

ModemTest::ModemTest(SerialLine& line, Pacer& pacer, ModemTestView& view, std::function<bool()> portBusy)
    : m_line(line)
    , m_pacer(pacer)
    , m_view(view)
    , m_portBusy(std::move(portBusy))
{
}

ModemTest::Outcome ModemTest::run(std::string_view commText, std::string_view commands)
{
    m_view.setProgress(std::string(kLabel));
    m_view.setTesting(true);
    m_view.messageBox("This test may take as long as 1 minute... click ok and wait for results.");

    Outcome outcome = openPort(commText);
    if (outcome != Outcome::PortFailed) {
        ignoringLineErrors([&] { m_line.discardInput(); });
        ignoringLineErrors([&] { m_line.setDtr(true); });
        m_pacer.sleepMs(kSettleMs);
        // A CR in the command box would send what follows it as a second command.
        ignoringLineErrors([&] { m_line.write(store::rtrim(blankControlCharacters(commands)) + '\r'); });
        ignoringLineErrors([&] { m_line.discardInput(); });
        outcome = poll();
        closePort();
    }
    m_view.setTesting(false);
    return outcome;
}

ModemTest::Outcome ModemTest::openPort(std::string_view commText)
{
    int failure = 0;
    // The box just shown let the window run: a paging call may have taken the port meanwhile.
    if (m_portBusy && m_portBusy()) {
        failure = kPortAlreadyOpen;
    } else {
        try {
            m_line.setPortNumber(portOf(commText));
            m_line.setSettings(kTestSettings);
            m_line.open();
        } catch (const SerialError& error) {
            failure = error.number();
        } catch (const store::StoreError& error) {
            // PORTS.DAT cannot be read: the box says which file and why.
            m_view.messageBox(generalErrorMessage(error.number(), "Tolvane", error.what()));
            return Outcome::PortFailed;
        } catch (const std::exception&) {
            failure = kInternalError;
        }
    }
    if (failure == 0)
        return Outcome::Ok;
    m_view.messageBox(modemTestOpenMessage(failure, commText));
    return Outcome::PortFailed;
}

ModemTest::Outcome ModemTest::poll()
{
    std::string label(kLabel);
    std::string answer;
    for (int round = 1;; ++round) {
        m_pacer.yield();
        if (round > kMaxPolls) {
            m_view.messageBox("Modem or Comm port not responding...");
            return Outcome::NoAnswer;
        }
        m_pacer.sleepMs(kPollMs);
        // Past half the wait the dots start again, so the label never grows wider than the window.
        label = round == kMaxPolls / 2 ? std::string(kLabel) + '.' : label + '.';
        m_view.setProgress(label);
        ignoringLineErrors([&] { answer += m_line.readAll(); });
        // A modem or a line that floods is still given its whole wait, in bounded memory.
        if (answer.size() > kReadLimit)
            answer.erase(0, answer.size() - kReadLimit);

        // The answer accumulates over the polls, so a reply split between two reads is still found.
        if (answer.find("OK") != std::string::npos) {
            m_view.messageBox(" Modem commands checked... OK");
            return Outcome::Ok;
        }
        if (answer.find("ERROR") != std::string::npos) {
            m_view.messageBox("Error occured while initializing your modem choose another modem or use the USER "
                              "DEFINED type and try again.");
            m_view.beep();
            return Outcome::ModemError;
        }
        if (answer.find("NO CARRIER") != std::string::npos) {
            m_view.messageBox("Phone is off the hook");
            m_view.beep();
            return Outcome::NoCarrier;
        }
    }
}

void ModemTest::closePort()
{
    try {
        m_line.close();
    } catch (const SerialError&) {
        m_view.messageBox("Comm port already closed... OK");
    }
}

} // namespace tolvane::engine
