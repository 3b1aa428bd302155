#pragma once

#include "store/records.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tolvane::engine {

class CallContext;

// "9600,E,7,1": baud, parity letter, data bits, stop bits.
std::string lineSettingsText(const store::TerminalRecord& terminal);
// "ATDT" or "ATDP", the dial prefix unless it is "555", the phone number; nothing between them.
std::string dialString(const store::ConfigRecord& config, const store::TerminalRecord& terminal);
// The advanced string for the company's speed when one is set, else the modem type's commands;
// trailing blanks removed.
std::string initialisationString(
    const store::ModemRecord& modem, const store::AdvancedRecord& advanced, std::int16_t baud);
// The busy give-up count, taken within 0..99 whatever the file holds.
std::int16_t retryLimit(const store::ConfigRecord& config);

// The modem side of a call: open the port with the company's line settings, initialise the modem,
// dial and await the connection (redialling a busy number), and hang up at the end.
class ModemLink {
public:
    enum class Result {
        Connected, // CONNECT received: the TAP session may begin
        ModemReady, // the modem said OK and the company is numeric: the numeric sender takes over
        Ended, // the call ended early; its message, status and lamp are shown
    };

    explicit ModemLink(CallContext& call)
        : m_call(call)
    {
    }

    Result connect(const store::TerminalRecord& terminal, const std::string& dialLine, bool numeric);
    // After the session: +++, the hang-up line, discard, hide the connection window. Under prompt pacing
    // the pauses between them wait for the modem instead, keeping the escape's guard time where it counts.
    void hangUp();

private:
    enum class Step { Go, Ended, Busy };

    Step openPort(const store::TerminalRecord& terminal, store::ConfigRecord& config);
    Result initialise(const store::TerminalRecord& terminal, const store::ConfigRecord& config, bool numeric);
    Step dial(const store::TerminalRecord& terminal, const store::ConfigRecord& config, const std::string& dialLine);
    void promptHangUp();
    // Polls until one of the replies is in the receive buffer (true) or `limitMs` has passed (false).
    bool awaitModem(std::initializer_list<std::string_view> replies, int limitMs);

    // The silence a Hayes modem needs on each side of "+++" (register S12's usual 1 s).
    static constexpr int kEscapeGuardMs = 1000;

    CallContext& m_call;
    std::int16_t m_busyCount = 0;
};

} // namespace tolvane::engine
