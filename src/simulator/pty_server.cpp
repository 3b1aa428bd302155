#include "simulator/pty_server.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#include <stdexcept>
#include <sys/ioctl.h>
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
    // poll() on the master reports a hang-up only while no one holds the slave open, so a client that closes and
    // at once reopens the port would slip past it. Watching the device's opens and closes catches every close.
    int watcher = -1;
#ifdef __linux__
    watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watcher >= 0 && inotify_add_watch(watcher, name, IN_OPEN | IN_CLOSE) < 0) {
        close(watcher);
        watcher = -1;
    }
#endif
    {
        std::lock_guard lock(m_mutex);
        m_watcher = watcher;
        m_master = master;
        m_slavePath = name;
    }
    m_stopping = false;
    // The simulator's time never goes back, so a restart goes on from where the clock stood.
    if (!m_started)
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
    // The slave device goes away, and any call on it.
    if (m_clientOpen.exchange(false))
        m_simulator.dtrDropped(elapsed());
    close(m_master);
    m_master = -1;
    if (m_watcher >= 0)
        close(m_watcher);
    m_watcher = -1;
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
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - *m_started);
}

void PtyServer::serve()
{
    const int watcher = m_watcher;
    int opens = 0;
    int ownOpens = 0;
    int ownCloses = 0;
    std::string pending;
    char buffer[4096];
    while (!m_stopping) {
        int timeout = kPollMs;
        {
            std::lock_guard lock(m_mutex);
            if (const auto due = m_simulator.nextDue())
                timeout = static_cast<int>(std::clamp<long long>((*due - elapsed()).count(), 0, kPollMs));
        }
        pollfd watch[2]
            = { { m_master, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0 }, { watcher, POLLIN, 0 } };
        const int ready = poll(watch, watcher >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        const bool masterHungUp = ready > 0 && (watch[0].revents & POLLHUP) != 0;
        bool closed = false;
        bool opened = false;
#ifdef __linux__
        if (watcher >= 0 && ready > 0 && (watch[1].revents & POLLIN) != 0) {
            alignas(inotify_event) char events[4096];
            const auto got = read(watcher, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                // The server's own brief open to discard unread output is no client: skip one open and one close
                // for each (events of a client in between count the same, whichever pair is skipped).
                if (event->mask & IN_OPEN && ownOpens > 0) {
                    --ownOpens;
                    continue;
                }
                if (event->mask & IN_CLOSE && ownCloses > 0) {
                    --ownCloses;
                    continue;
                }
                if (event->mask & IN_OPEN) {
                    opened = opens++ == 0 || opened;
                } else if (event->mask & IN_CLOSE && opens > 0 && --opens == 0) {
                    closed = true;
                }
            }
        }
#endif
        // The master's own view settles any doubt: it reports a hang-up exactly while no one holds the slave.
        if (ready >= 0 && !masterHungUp && opens == 0) {
            opens = 1;
            opened = true;
        } else if (masterHungUp && opens > 0) {
            opens = 0;
            closed = true;
        }
        std::unique_lock lock(m_mutex);
        if (closed || opened) {
            // A close (even one followed at once by a new open) drops DTR before the new client is heard.
            const bool wasOpen = m_clientOpen.exchange(false);
            const bool lastClientLeft = closed && opens == 0;
            // Nobody holds the line now, so what is still buffered was written before the close and belongs to the
            // call that ends (perhaps a whole open, write and close seen at once); taken in afterwards it would
            // leave a dial or a reply waiting for the next client.
            if (lastClientLeft)
                takeInBuffered(buffer, sizeof buffer);
            if (lastClientLeft || wasOpen) {
                m_simulator.dtrDropped(elapsed());
                if (discardUnreadOutput()) {
                    ++ownOpens;
                    ++ownCloses;
                }
            }
            pending.clear();
        }
        if (opens > 0)
            m_clientOpen = true;
        if (ready > 0 && (watch[0].revents & POLLIN) != 0) {
            const auto got = read(m_master, buffer, sizeof buffer);
            if (got > 0)
                m_simulator.receive(std::string_view(buffer, static_cast<std::size_t>(got)), elapsed());
        }
        m_simulator.advance(elapsed());
        pending += m_simulator.takeOutput();
        if (!m_clientOpen) {
            // Nobody is listening: what the modem says now is lost, as on a line with DTR down.
            pending.clear();
        }
        writeOut(pending);
        lock.unlock();
        if (masterHungUp)
            usleep(kIdleMs * 1000);
    }
}

void PtyServer::takeInBuffered(char* buffer, std::size_t size)
{
    while (true) {
        const auto got = read(m_master, buffer, size);
        if (got <= 0)
            return;
        m_simulator.receive(std::string_view(buffer, static_cast<std::size_t>(got)), elapsed());
    }
}

bool PtyServer::discardUnreadOutput()
{
    // A serial port throws away unread input when it is closed; a pseudo-terminal would keep it for the next client.
#ifdef TIOCGPTPEER
    const int slave = ioctl(m_master, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        return false;
    tcflush(slave, TCIFLUSH);
    close(slave);
    return true;
#else
    return false;
#endif
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
