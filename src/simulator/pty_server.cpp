#include "simulator/pty_server.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace tolvane::simulator {

namespace {

// The longest the server sleeps in poll(): short enough for the reply delays of a few tens of milliseconds.
constexpr int kPollMs = 10;
// While no client holds the slave open, poll() reports a hang-up at once; this keeps that from spinning.
constexpr int kIdleMs = 20;

void makeRaw(int fd)
{
    termios settings {};
    if (tcgetattr(fd, &settings) != 0)
        return;
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
}

} // namespace

PtyServer::PtyServer(SimulatorOptions options)
    : m_simulator(std::move(options))
{
}

PtyServer::~PtyServer()
{
    stop();
}

void PtyServer::setPageListener(std::function<void(const PageRecord&)> listener)
{
    std::lock_guard lock(m_mutex);
    m_simulator.setPageListener(std::move(listener));
}

void PtyServer::setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
{
    std::lock_guard lock(m_mutex);
    m_simulator.setTranscriptListener(std::move(listener));
}

void PtyServer::start()
{
    if (m_thread.joinable())
        return;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        throw std::system_error(errno, std::generic_category(), "posix_openpt");
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        const int error = errno;
        close(master);
        throw std::system_error(error, std::generic_category(), "grantpt/unlockpt");
    }
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) {
        const int error = errno;
        close(master);
        throw std::system_error(error, std::generic_category(), "ptsname_r");
    }
    // Raw on both sides, so that no CR is turned into LF and nothing is echoed before the client sets the line up.
    makeRaw(master);
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        makeRaw(slave);
        close(slave);
    }
    {
        std::lock_guard lock(m_mutex);
        m_master = master;
        m_slavePath = name;
    }
    m_stopping = false;
    m_started = std::chrono::steady_clock::now();
    m_thread = std::thread([this] { serve(); });
}

void PtyServer::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_thread.join();
    std::lock_guard lock(m_mutex);
    close(m_master);
    m_master = -1;
    m_clientOpen = false;
}

std::string PtyServer::slavePath() const
{
    std::lock_guard lock(m_mutex);
    return m_slavePath;
}

std::vector<PageRecord> PtyServer::pages() const
{
    std::lock_guard lock(m_mutex);
    return m_simulator.pages();
}

std::vector<TranscriptEntry> PtyServer::transcript() const
{
    std::lock_guard lock(m_mutex);
    return m_simulator.transcript();
}

int PtyServer::hangUps() const
{
    std::lock_guard lock(m_mutex);
    return m_simulator.hangUps();
}

Millis PtyServer::elapsed() const
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - m_started);
}

void PtyServer::serve()
{
    std::string pending;
    char buffer[4096];
    while (!m_stopping) {
        int timeout = kPollMs;
        {
            std::lock_guard lock(m_mutex);
            if (const auto due = m_simulator.nextDue())
                timeout = static_cast<int>(std::clamp<long long>((*due - elapsed()).count(), 0, kPollMs));
        }
        pollfd watch { m_master, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0 };
        const int ready = poll(&watch, 1, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        bool hungUp = ready > 0 && (watch.revents & POLLHUP) != 0;
        if (ready > 0 && (watch.revents & POLLIN) != 0) {
            const auto got = read(m_master, buffer, sizeof buffer);
            if (got > 0) {
                m_clientOpen = true;
                std::lock_guard lock(m_mutex);
                m_simulator.receive(std::string_view(buffer, static_cast<std::size_t>(got)), elapsed());
            } else if (got < 0 && errno == EIO) {
                hungUp = true;
            }
        }
        {
            std::lock_guard lock(m_mutex);
            if (hungUp) {
                if (m_clientOpen.exchange(false))
                    m_simulator.dtrDropped(elapsed());
                pending.clear();
            } else if (ready >= 0) {
                m_clientOpen = true;
            }
            m_simulator.advance(elapsed());
            pending += m_simulator.takeOutput();
        }
        if (!m_clientOpen) {
            // Nobody is listening: what the modem says now is lost, as on a line with DTR down.
            pending.clear();
        }
        writeOut(pending);
        if (hungUp)
            usleep(kIdleMs * 1000);
    }
}

void PtyServer::writeOut(std::string& pending)
{
    while (!pending.empty()) {
        const auto wrote = write(m_master, pending.data(), pending.size());
        if (wrote <= 0)
            return; // full or closed: try again on the next round
        pending.erase(0, static_cast<std::size_t>(wrote));
    }
}

} // namespace tolvane::simulator
