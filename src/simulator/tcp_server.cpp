#include "simulator/tcp_server.h"

namespace tolvane::simulator {

namespace {

SimulatorOptions withoutModem(SimulatorOptions options)
{
    options.modemInFront = false;
    return options;
}

} // namespace

// One connection: a terminal of its own, whose pages and hang-up count for the whole server.
class TcpServer::Call final : public ServedSession {
public:
    Call(TcpServer& server, Millis now)
        : m_server(server)
        , m_terminal(withoutModem(server.options()))
    {
        m_terminal.setPageListener([this](const PageRecord& page) { m_server.takePage(page); });
        if (m_server.transcriptListener())
            m_terminal.setTranscriptListener(m_server.transcriptListener());
        m_terminal.connectDirect(now);
    }
    ~Call() override { m_server.m_hangUps += m_terminal.hangUps(); }

    void receive(std::string_view bytes, Millis now) override { m_terminal.receive(bytes, now); }
    void advance(Millis now) override { m_terminal.advance(now); }
    std::string takeOutput() override { return m_terminal.takeOutput(); }
    std::optional<Millis> nextDue() const override { return m_terminal.nextDue(); }
    bool finished() const override { return !m_terminal.carrierUp(); }
    void clientGone(Millis now) override { m_terminal.dtrDropped(now); }

private:
    TcpServer& m_server;
    LineSimulator m_terminal;
};

TcpServer::TcpServer(SimulatorOptions options, SessionServer::Limits limits)
    : PageTakingServer(
        std::move(options), [this](Millis now) { return std::make_unique<Call>(*this, now); }, limits)
{
}

int TcpServer::hangUps() const
{
    const std::lock_guard lock(mutex());
    return m_hangUps;
}

} // namespace tolvane::simulator
