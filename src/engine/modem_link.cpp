#include "engine/modem_link.h"

#include "engine/call_context.h"
#include "engine/file_limits.h"
#include "engine/serial_messages.h"
#include "engine/tap_block.h"
#include "engine/wait_rounds.h"
#include "store/record_file.h"
#include "store/text.h"

#include <algorithm>

namespace tolvane::engine {

namespace {

// A stored text that goes to the modem as (part of) a command: a CR or other control character from a shared,
// pasted or hand-edited file would end the command early and hand the rest to the modem as a command of its own.
std::string commandField(std::string_view field)
{
    return fieldText(blankControlCharacters(field));
}

} // namespace

std::string lineSettingsText(const store::TerminalRecord& terminal)
{
    // Parity has no documented fallback; an unknown value reads as none, like the other fields do.
    const char* parity = terminal.Parity == 2 ? "E" : terminal.Parity == 3 ? "O" : "N";
    return std::to_string(terminal.Baud) + "," + parity + "," + (terminal.DataBits == 1 ? "7" : "8") + ","
        + (terminal.StopBits == 1 ? "1" : "2");
}

std::string dialString(const store::ConfigRecord& config, const store::TerminalRecord& terminal)
{
    std::string out = config.DialMethod == 1 ? "ATDT" : "ATDP";
    const std::string prefix = commandField(config.DialPrefix);
    if (prefix != "555")
        out += prefix;
    out += commandField(terminal.PhoneNumber);
    return out;
}

std::string initialisationString(
    const store::ModemRecord& modem, const store::AdvancedRecord& advanced, std::int16_t baud)
{
    const std::string speed = std::to_string(baud);
    const std::pair<const char*, const std::string*> bySpeed[] = {
        { "300", &advanced.ModemString300 },
        { "1200", &advanced.ModemString1200 },
        { "2400", &advanced.ModemString2400 },
        { "9600", &advanced.ModemString9600 },
        { "14400", &advanced.ModemString14400 },
        { "19200", &advanced.ModemString19200 },
    };
    for (const auto& [rate, text] : bySpeed)
        if (speed == rate && !commandField(*text).empty())
            return commandField(*text);
    return commandField(modem.ModemCommands);
}

std::int16_t retryLimit(const store::ConfigRecord& config)
{
    return clampedRetryAttempts(config.RetryAttempts);
}

ModemLink::Result ModemLink::connect(const store::TerminalRecord& terminal, const std::string& dialLine, bool numeric)
{
    for (;;) {
        store::ConfigRecord config;
        if (openPort(terminal, config) == Step::Ended)
            return Result::Ended;
        const Result ready = initialise(terminal, config, numeric);
        if (ready != Result::Connected || numeric)
            return ready;
        const Step dialled = dial(terminal, config, dialLine);
        if (dialled == Step::Ended)
            return Result::Ended;
        if (dialled == Step::Go)
            return Result::Connected;
        // Busy: the port is closed; open it again and redial the same number.
    }
}

ModemLink::Step ModemLink::openPort(const store::TerminalRecord& terminal, store::ConfigRecord& config)
{
    config = store::readRecordAt<store::ConfigRecord>(m_call.folder.pathOf<store::ConfigRecord>());
    const std::string settings = lineSettingsText(terminal);

    bool failed = false;
    try {
        m_call.line.setPortNumber(config.portNumber());
        m_call.line.setSettings(settings);
    } catch (const SerialError&) {
        failed = true;
    }
    m_call.log("Opening Comm Port: " + store::numberText(config.portNumber()));
    m_call.log(settings);

    if (!failed) {
        try {
            // A port left open by a refused forced hang-up is ours to reopen with the new settings.
            if (m_call.line.isOpen())
                m_call.line.close();
            m_call.line.open();
            m_call.line.setDtr(true);
        } catch (const SerialError&) {
            failed = true;
        }
    }
    // The modem's moment to settle after the port opens and DTR rises; kept under every pacing.
    m_call.pacer.sleepMs(250);
    m_call.view.refreshCommands();
    if (failed) {
        m_call.closePort();
        m_call.logFailure(CallFailure::PortNotAvailable);
        m_call.view.messageBox(portNotAvailableMessage(config.CommPort));
        return Step::Ended;
    }
    m_call.discardInput();
    m_call.receiveBuffer.clear();
    m_call.standardPause(4000);
    return Step::Go;
}

ModemLink::Result ModemLink::initialise(
    const store::TerminalRecord& terminal, const store::ConfigRecord& config, bool numeric)
{
    m_call.log("Initializing Modem...");
    m_call.progress("Initializing Modem...");
    // A modem index below 1 names no modem type: no commands.
    const auto modem = config.ModemIndex < 1
        ? store::ModemRecord {}
        : store::readRecordAt<store::ModemRecord>(m_call.folder.pathOf<store::ModemRecord>(), config.ModemIndex);
    const auto advanced = store::readRecordAt<store::AdvancedRecord>(m_call.folder.pathOf<store::AdvancedRecord>());
    const std::string init = initialisationString(modem, advanced, terminal.Baud);
    m_call.log(init);
    m_call.write(init + "\r");
    m_call.discardInput();
    m_call.receiveBuffer.clear();

    WaitRounds wait(m_call, 250);
    for (;;) {
        m_call.pacer.yield();
        wait.pullAndLog();
        for (std::size_t pos = 0; pos < m_call.scanPositions(); ++pos) {
            if (m_call.bufferHas(pos, "OK")) {
                m_call.log("Got OK");
                m_call.receiveBuffer.clear();
                m_call.progress("Modem Says OK...");
                return numeric ? Result::ModemReady : Result::Connected;
            }
            if (m_call.bufferHas(pos, "ERROR")) {
                m_call.logFailure(CallFailure::ModemNotReady);
                m_call.view.messageBox(
                    "Error occured while initializing your modem check initilizing string in modem setup");
                m_call.closePort();
                m_call.view.beep();
                m_call.status("MODEM ERROR...");
                return Result::Ended;
            }
            if (m_call.bufferHas(pos, "NO CARRIER")) {
                m_call.logFailure(CallFailure::NoCarrier);
                m_call.view.messageBox("Phone is off the hook");
                m_call.view.beep();
                m_call.closePort();
                m_call.status("NO CARRIER...");
                return Result::Ended;
            }
            if (m_call.state.cancelRequest) {
                m_call.cancelCall();
                return Result::Ended;
            }
        }
        // 51 rounds of 250 ms.
        wait.pause();
        if (wait.reached(51 * 250)) {
            m_call.logFailure(CallFailure::ModemNotReady);
            m_call.view.messageBox("Modem Did not Initialize properly. Check Phone Line, Modem Setup and make sure "
                                   "the comm port is not being used.");
            m_call.write(kHangUpLine);
            m_call.status("Modem Initialization Error");
            m_call.lamp(Lamp::Red);
            m_call.closePort();
            m_call.view.hideConnectionWindow();
            return Result::Ended;
        }
    }
}

ModemLink::Step ModemLink::dial(
    const store::TerminalRecord& terminal, const store::ConfigRecord& config, const std::string& dialLine)
{
    m_call.log("Dialing Number...");
    m_call.write(store::rtrim(dialLine) + "\r");
    m_call.progress("Dialing..." + store::fixedText(terminal.CompanyName, 25));
    m_call.log(store::rtrim(dialLine));
    m_call.receiveBuffer.clear();
    m_call.discardInput();
    m_call.log("Waiting for CONNECT");

    WaitRounds wait(m_call, 250);
    for (;;) {
        m_call.pacer.yield();
        m_call.pull();
        for (std::size_t pos = 0; pos < m_call.receiveBuffer.size(); ++pos) {
            if (m_call.bufferHas(pos, "CONNECT")) {
                m_call.log("Got Connect");
                m_call.progress("Connected...");
                return Step::Go;
            }
            if (m_call.bufferHas(pos, "NO CARRIER")) {
                m_call.logFailure(CallFailure::NoCarrier);
                m_call.log("Carrier was droped. Please try again.");
                m_call.view.messageBox("Carrier was droped");
                m_call.view.beep();
                m_call.closePort();
                m_call.status("Carrier was droped Message was not sent...");
                return Step::Ended;
            }
            if (m_call.bufferHas(pos, "NO DIAL")) {
                m_call.logFailure(CallFailure::NoDialTone);
                m_call.view.messageBox("NO DIAL TONE...");
                m_call.write(kHangUpLine);
                m_call.status("Dissconnected");
                m_call.lamp(Lamp::Red);
                m_call.closePort();
                m_call.view.hideConnectionWindow();
                return Step::Ended;
            }
            if (m_call.bufferHas(pos, "BUSY")) {
                if (m_busyCount != retryLimit(config)) {
                    m_call.write(kHangUpLine);
                    m_call.progress("BUSY... Retring");
                    m_call.closePort();
                    ++m_busyCount;
                    return Step::Busy;
                }
                m_call.logFailure(CallFailure::Busy);
                m_call.view.messageBox("PHONE NUMBER IS BUSY... PLEASE TRY AGAIN");
                m_call.write(kHangUpLine);
                m_call.progress("BUSY... Retring");
                m_call.closePort();
                return Step::Ended;
            }
        }
        // 150 rounds of 250 ms.
        wait.pause();
        if (wait.reached(150 * 250)) {
            m_call.logFailure(CallFailure::Unanswered);
            m_call.view.messageBox("THE PHONE WAS UN-ANSWERED AT PAGEING COMPANY... PLEASE TRY AGAIN");
            m_call.write(kHangUpLine);
            m_call.status("Dissconnected");
            m_call.lamp(Lamp::Red);
            m_call.closePort();
            return Step::Ended;
        }
        if (m_call.state.cancelRequest) {
            m_call.cancelCall();
            return Step::Ended;
        }
    }
}

void ModemLink::hangUp()
{
    if (m_call.pacing == Pacing::Standard) {
        m_call.write("+++");
        m_call.pacer.sleepMs(1000);
        m_call.write(kHangUpLine);
        m_call.pacer.sleepMs(1000);
    } else {
        promptHangUp();
    }
    m_call.discardInput();
    m_call.receiveBuffer.clear();
    m_call.view.hideConnectionWindow();
}

void ModemLink::promptHangUp()
{
    // The terminal drops the line after its goodbye, and a modem that says NO CARRIER is back in command
    // state: "+++" is then no escape and needs no guard. Otherwise the wait is the silence a Hayes modem
    // needs before "+++", and after it the modem's OK (or the guard time with a margin) before the
    // hang-up line, which would otherwise reach the terminal as data.
    const bool commandState = awaitModem({ "NO CARRIER" }, kEscapeGuardMs);
    m_call.receiveBuffer.clear();
    m_call.write("+++");
    if (!commandState) {
        awaitModem({ "OK", "NO CARRIER", "ERROR" }, kEscapeGuardMs + 250);
        m_call.receiveBuffer.clear();
    }
    m_call.write(kHangUpLine);
    awaitModem({ "OK", "NO CARRIER", "ERROR" }, 1000);
}

bool ModemLink::awaitModem(std::initializer_list<std::string_view> replies, int limitMs)
{
    WaitRounds wait(m_call, WaitRounds::kPromptPollMs);
    for (;;) {
        m_call.pull();
        for (const std::string_view reply : replies)
            if (m_call.receiveBuffer.find(reply) != std::string::npos)
                return true;
        if (wait.reached(limitMs))
            return false;
        m_call.pacer.yield();
        wait.pause();
    }
}

} // namespace tolvane::engine
