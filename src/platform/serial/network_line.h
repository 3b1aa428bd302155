#pragma once

#include "engine/serial_line.h"
#include "platform/serial/dial_plan.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// A port with no modem behind it, for paging carriers that take TAP over a TCP connection. It answers
// as a Hayes modem in command state would (echo off, verbal results): "OK" to every AT line, and a dial
// opens a connection to the host and port a DIAL line gives for the number, answered "CONNECT" with the
// line's speed or "NO CARRIER". Connected, bytes pass both ways unchanged; the far end closing gives
// "NO CARRIER" after its data; "+++" at the start of a write goes back to command state (the engine
// writes each command in one go, so the write boundary stands in for the guard time), and ATH, ATZ,
// a dropped DTR or closing the port end the connection. A number whose DIAL line is an SNPP or WCTP URL
// "connects" at once and hands the paging call a gateway link instead of passing bytes.
//
// Nothing blocks the caller beyond a bounded write: the name is looked up on a thread of its own and
// the connection completes while the engine polls for the dial result, within the connect limit.
// An answer to a write arrives with the next read, never during the write: the engine discards input
// right after writing a command, as a real modem's answer would still be on its way then.
class NetworkLine final : public engine::SerialLine {
public:
    // The DIAL lines as they stand at the moment of a dial.
    using DialPlans = std::function<DialPlan()>;
    // Numeric addresses for a host name, or none and the reason in `error`. Runs on a thread of its own.
    using Resolver = std::function<std::vector<std::string>(const std::string& host, std::string& error)>;
    // Where the line explains itself for the connection log: why a dial failed, a DIAL line it cannot read.
    using Report = std::function<void(const std::string&)>;

    // A numeric page's dial (digits after the answer, ending in "#") fails its write with this text.
    static constexpr std::string_view kNoTouchTones
        = "touch tones cannot be keyed over the network; page this pager through a modem";

    static constexpr std::chrono::milliseconds kConnectLimit { 30000 };
    static constexpr std::chrono::milliseconds kWriteStallLimit { 10000 };

    explicit NetworkLine(
        DialPlans plans, Resolver resolver = systemResolver(), std::chrono::milliseconds connectLimit = kConnectLimit);
    ~NetworkLine() override;
    NetworkLine(const NetworkLine&) = delete;
    NetworkLine& operator=(const NetworkLine&) = delete;

    static Resolver systemResolver();

    void setReport(Report report) { m_report = std::move(report); }

    void setPortNumber(int port) override { m_port = port; }
    int portNumber() const override { return m_port; }
    void setSettings(const std::string& settings) override { m_settings = settings; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_mode != Mode::Closed; }

    void setDtr(bool on) override;
    void write(std::string_view bytes) override;
    std::string readAll() override;
    int waitingCount() override;
    void discardInput() override;
    std::unique_ptr<engine::GatewayLink> takeGatewayLink() override { return std::move(m_gateway); }

private:
    enum class Mode {
        Closed,
        Command, // no connection
        Dialling,
        Online,
        Escaped // command state with the connection held, after "+++"
    };
    struct Lookup;

    void requireOpen(std::string_view operation) const;
    void poll();
    void answer(std::string_view result) { m_coming += "\r\n" + std::string(result) + "\r\n"; }
    void explain(const std::string& text);

    void onCommandBytes(std::string_view bytes);
    void onCommandLine(const std::string& line);
    void dial(std::string_view dialString);
    void advanceDial();
    bool tryNextAddress();
    void connected();
    void failDial(const std::string& why);
    std::string connectFailure() const;

    void receiveFromPeer();
    void sendToPeer(std::string_view bytes);
    void carrierLost();
    void endConnection();

    DialPlans m_plans;
    Resolver m_resolver;
    std::chrono::milliseconds m_connectLimit;
    Report m_report;
    int m_port = 1;
    std::string m_settings = "9600,N,8,1";

    Mode m_mode = Mode::Closed;
    int m_socket = -1;
    std::string m_commandLine;
    std::string m_arrived; // what a read returns now
    std::string m_coming; // answers that arrive with a later read, once the earlier traffic has been read

    // The dial in progress.
    std::vector<std::string> m_dialNotes; // explanations held for the first poll, just before the result
    std::string m_dialFailure; // decided at the dial itself, answered at the first poll
    std::string m_host;
    std::string m_target; // "host:port" for the explanations
    int m_targetPort = 0;
    std::shared_ptr<Lookup> m_lookup;
    std::vector<std::string> m_addresses;
    std::size_t m_nextAddress = 0;
    int m_lastError = 0;
    std::chrono::steady_clock::time_point m_deadline;
    std::unique_ptr<engine::GatewayLink> m_gateway; // the dialled number leads to a paging gateway
};

// A text for the connection log that cannot be mistaken for a modem's or a terminal's answer: control
// characters become "?", and the words a paging call looks for ("OK", "CONNECT", "NO CARRIER", "ID=",
// "[p"...) are put in lower case.
std::string logSafe(std::string_view text);

} // namespace tolvane::platform
