#include "simulator/session_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
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
// How long a client that does not close its side is waited for after the session has closed.
constexpr auto kClosingLimit = std::chrono::seconds(2);

} // namespace

struct SessionServer::Client {
    int fd = -1;
    std::unique_ptr<ServedSession> session;
    std::string pending;
    Millis lastHeard { 0 };
    // The session has closed its side; what the client still sends is read and thrown away until it closes
    // too, so that the last reply is not lost to a reset.
    std::optional<std::chrono::steady_clock::time_point> closingSince;
};

SessionServer::SessionServer(SessionMaker maker, Limits limits)
    : m_maker(std::move(maker))
    , m_limits(limits)
{
}

SessionServer::~SessionServer()
{
    stop();
}

void SessionServer::start(int port)
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
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, SOMAXCONN) != 0
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

void SessionServer::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_thread.join();
    const std::lock_guard lock(m_mutex);
    for (auto& client : m_clients) {
        if (!client->closingSince)
            client->session->clientGone(elapsed());
        ::close(client->fd);
    }
    m_clients.clear();
    ::close(m_listener);
    m_listener = -1;
}

int SessionServer::dropped() const
{
    const std::lock_guard lock(m_mutex);
    return m_dropped;
}

Millis SessionServer::elapsed() const
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - m_started);
}

void SessionServer::acceptWaiting()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        // What the system holds for a client that does not read counts against the bound as well.
        const int held = static_cast<int>(m_limits.output);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &held, sizeof held);
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->lastHeard = elapsed();
        client->session = m_maker(client->lastHeard);
        m_clients.push_back(std::move(client));
    }
}

void SessionServer::serve()
{
    char buffer[4096];
    std::vector<pollfd> watched;
    while (!m_stopping) {
        int timeout = kPollMs;
        watched.assign(1, pollfd { m_listener, POLLIN, 0 });
        {
            const std::lock_guard lock(m_mutex);
            for (const auto& client : m_clients) {
                if (const auto due = client->session->nextDue())
                    timeout = static_cast<int>(std::clamp<long long>((*due - elapsed()).count(), 0, timeout));
                watched.push_back(
                    pollfd { client->fd, static_cast<short>(POLLIN | (client->pending.empty() ? 0 : POLLOUT)), 0 });
            }
        }
        if (::poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR)
            break;

        const std::lock_guard lock(m_mutex);
        if (watched[0].revents != 0)
            acceptWaiting();
        const Millis now = elapsed();
        for (std::size_t i = 0; i < m_clients.size();) {
            Client& client = *m_clients[i];
            const short events = i + 1 < watched.size() ? watched[i + 1].revents : 0;
            bool gone = false;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
                const auto got = ::recv(client.fd, buffer, sizeof buffer, 0);
                if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                    gone = true;
                } else if (got > 0 && !client.closingSince) {
                    client.lastHeard = now;
                    client.session->receive(std::string_view(buffer, static_cast<std::size_t>(got)), now);
                }
            }
            const bool idle = now - client.lastHeard > m_limits.idle;
            if (!gone && !client.closingSince) {
                client.session->advance(now);
                client.pending += client.session->takeOutput();
                while (!client.pending.empty()) {
                    const auto sent
                        = ::send(client.fd, client.pending.data(), client.pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                    if (sent <= 0)
                        break; // full or gone: the next round tries again or hears of the close
                    client.pending.erase(0, static_cast<std::size_t>(sent));
                }
                if (client.pending.size() > m_limits.output || idle) {
                    ++m_dropped;
                    gone = true;
                } else if (client.session->finished() && client.pending.empty()) {
                    ::shutdown(client.fd, SHUT_WR);
                    client.closingSince = std::chrono::steady_clock::now();
                }
            }
            if (client.closingSince && std::chrono::steady_clock::now() - *client.closingSince >= kClosingLimit)
                gone = true;
            if (gone) {
                if (!client.closingSince)
                    client.session->clientGone(now);
                ::close(client.fd);
                m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(i));
                watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                continue;
            }
            ++i;
        }
    }
}

PageTakingServer::PageTakingServer(
    SimulatorOptions options, SessionServer::SessionMaker maker, SessionServer::Limits limits)
    : m_options(std::move(options))
    , m_server(std::move(maker), limits)
{
}

std::vector<PageRecord> PageTakingServer::pages() const
{
    const std::lock_guard lock(m_server.mutex());
    return m_pages;
}

void PageTakingServer::transcribe(const TranscriptEntry& entry) const
{
    if (m_transcriptListener)
        m_transcriptListener(entry);
}

void PageTakingServer::takePage(const PageRecord& page)
{
    m_pages.push_back(page);
    if (m_pageListener)
        m_pageListener(page);
}

} // namespace tolvane::simulator
