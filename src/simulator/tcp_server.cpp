#include "simulator/tcp_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane::simulator {

namespace {

// Short enough for reply delays of a few tens of milliseconds.
constexpr int kPollMs = 10;
// How long a client that does not close its side is waited for after the terminal has closed.
constexpr auto kClosingLimit = std::chrono::seconds(2);

SimulatorOptions withoutModem(SimulatorOptions options)
{
    options.modemInFront = false;
    return options;
}

} // namespace

TcpServer::TcpServer(SimulatorOptions options)
    : m_simulator(withoutModem(std::move(options)))
{
}

TcpServer::~TcpServer()
{
    stop();
}

void TcpServer::setPageListener(std::function<void(const PageRecord&)> listener)
{
    const std::lock_guard lock(m_mutex);
    m_simulator.setPageListener(std::move(listener));
}

void TcpServer::setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
{
    const std::lock_guard lock(m_mutex);
    m_simulator.setTranscriptListener(std::move(listener));
}

void TcpServer::start(int port)
{
    if (m_thread.joinable())
        return;
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0)
        throw std::system_error(errno, std::generic_category(), "socket");
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        ::close(listener);
        throw std::system_error(error, std::generic_category(), "127.0.0.1:" + std::to_string(port));
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_stopping = false;
    m_thread = std::thread([this] { serve(); });
}

void TcpServer::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_thread.join();
    const std::lock_guard lock(m_mutex);
    if (m_client >= 0) {
        m_simulator.dtrDropped(elapsed());
        closeClient(false);
    }
    ::close(m_listener);
    m_listener = -1;
}

std::vector<PageRecord> TcpServer::pages() const
{
    const std::lock_guard lock(m_mutex);
    return m_simulator.pages();
}

int TcpServer::hangUps() const
{
    const std::lock_guard lock(m_mutex);
    return m_simulator.hangUps();
}

Millis TcpServer::elapsed() const
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - m_started);
}

void TcpServer::serve()
{
    std::string pending;
    char buffer[4096];
    while (!m_stopping) {
        int timeout = kPollMs;
        {
            const std::lock_guard lock(m_mutex);
            if (const auto due = m_simulator.nextDue())
                timeout = static_cast<int>(std::clamp<long long>((*due - elapsed()).count(), 0, kPollMs));
        }
        const bool serving = m_client >= 0;
        pollfd watch { serving ? m_client : m_listener, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)),
            0 };
        const int ready = ::poll(&watch, 1, timeout);
        if (ready < 0 && errno != EINTR)
            break;

        const std::lock_guard lock(m_mutex);
        if (!serving) {
            if (ready > 0)
                accept();
            pending.clear();
            continue;
        }
        if (ready > 0 && (watch.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const auto got = ::recv(m_client, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                if (!m_closingSince)
                    m_simulator.dtrDropped(elapsed());
                closeClient(false);
                continue;
            }
            if (got > 0 && !m_closingSince)
                m_simulator.receive(std::string_view(buffer, static_cast<std::size_t>(got)), elapsed());
        }
        if (m_closingSince) {
            if (std::chrono::steady_clock::now() - *m_closingSince >= kClosingLimit)
                closeClient(false);
            continue;
        }
        m_simulator.advance(elapsed());
        pending += m_simulator.takeOutput();
        while (!pending.empty()) {
            const auto sent = ::send(m_client, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent <= 0)
                break; // full or gone: the next round tries again or hears of the close
            pending.erase(0, static_cast<std::size_t>(sent));
        }
        if (!m_simulator.carrierUp() && pending.empty())
            closeClient(true);
    }
}

void TcpServer::accept()
{
    m_client = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (m_client < 0)
        return;
    const int on = 1;
    ::setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_closingSince.reset();
    m_simulator.connectDirect(elapsed());
}

void TcpServer::closeClient(bool gracefully)
{
    if (gracefully) {
        ::shutdown(m_client, SHUT_WR);
        m_closingSince = std::chrono::steady_clock::now();
        return;
    }
    ::close(m_client);
    m_client = -1;
    m_closingSince.reset();
}

} // namespace tolvane::simulator
