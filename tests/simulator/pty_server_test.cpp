#include "process_runner.h"
#include "simulator/pty_server.h"
#include "simulator/tcp_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace tolvane::simulator {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Reads from `fd` until `wanted` has arrived or `limit` has passed; returns everything read.
std::string readUntil(int fd, const std::string& wanted, std::chrono::milliseconds limit)
{
    std::string got;
    const auto deadline = Clock::now() + limit;
    while (got.find(wanted) == std::string::npos && Clock::now() < deadline) {
        pollfd watch { fd, POLLIN, 0 };
        if (poll(&watch, 1, 20) > 0 && (watch.revents & POLLIN)) {
            char buffer[256];
            const auto n = read(fd, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return got;
}

// A program on the line's device, opened raw as a serial port would be.
class Client {
public:
    explicit Client(const PtyServer& server)
        : m_fd(open(server.slavePath().c_str(), O_RDWR | O_NOCTTY))
    {
        termios settings {};
        tcgetattr(m_fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(m_fd, TCSANOW, &settings);
    }
    ~Client() { close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void send(const std::string& bytes) const
    {
        EXPECT_EQ(write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Sends `command` and returns what came back until `wanted` or `limit`.
    std::string ask(const std::string& command, const std::string& wanted, std::chrono::milliseconds limit = 3s)
    {
        send(command);
        return readUntil(m_fd, wanted, limit);
    }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

SimulatorOptions quick()
{
    SimulatorOptions options;
    options.replyDelay = 10ms;
    options.connectDelay = 50ms;
    return options;
}

TEST(PtyServer, AnswersOnTheSlaveAndTakesClosingAsAHangUp)
{
    PtyServer server(quick());
    server.start();
    ASSERT_EQ(server.slavePath().rfind("/dev/", 0), 0u) << server.slavePath();
    {
        Client client(server);
        EXPECT_EQ(client.ask("AT\r", "OK\r\n"), "\r\nOK\r\n");
        EXPECT_EQ(client.ask("ATDT5550142\r", "CONNECT 9600\r\n"), "\r\nCONNECT 9600\r\n");
    }
    // Opened again, the modem is back in command state.
    EXPECT_EQ(Client(server).ask("AT\r", "OK\r\n"), "\r\nOK\r\n");
    server.stop();
    EXPECT_EQ(server.hangUps(), 1);
}

TEST(PtyServer, NothingOfAClosedClientReachesTheNextOne)
{
    auto options = quick();
    options.connectDelay = 300ms;
    PtyServer server(options);
    server.start();
    // A dial written just before the close is cut off by it: the next client finds the modem in command state.
    Client(server).send("ATDT5550142\r");
    std::this_thread::sleep_for(500ms);
    {
        Client second(server);
        EXPECT_EQ(second.ask("AT\r", "OK\r\n", 2s), "\r\nOK\r\n");
        second.send("AT\r");
        std::this_thread::sleep_for(300ms); // its OK arrives and is never read
    }
    std::this_thread::sleep_for(100ms);

    // As on a serial port, closing discards unread input: the next client hears only its own answers.
    Client third(server);
    EXPECT_EQ(readUntil(third.fd(), "\n", 300ms), "");
    EXPECT_EQ(third.ask("ATZ\r", "OK\r\n", 2s), "\r\nOK\r\n");
    third.close();
    // Discarding the old answer is not taken for another client coming and going: three closes, three drops.
    std::this_thread::sleep_for(200ms);
    server.stop();
    int drops = 0;
    for (const auto& entry : server.transcript())
        drops += entry.bytes == "DTR dropped: the client closed the line" ? 1 : 0;
    EXPECT_EQ(drops, 3);
}

TEST(PtyServer, StartedAgainAfterAStopItAnswersPromptlyInCommandState)
{
    PtyServer server(quick());
    server.start();
    Client client(server);
    EXPECT_EQ(client.ask("ATDT5550142\r", "CONNECT 9600\r\n"), "\r\nCONNECT 9600\r\n");
    std::this_thread::sleep_for(1500ms);
    // Stopped in the middle of a call: the line goes away and the call with it.
    server.stop();
    client.close();

    server.start();
    EXPECT_EQ(Client(server).ask("AT\r", "OK\r\n", 500ms), "\r\nOK\r\n");
    server.stop();
    EXPECT_EQ(server.hangUps(), 1);
}

int connectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST(TcpServer, EachConnectionIsACallWithTheTerminalAtOnceAndTheTerminalEndsItByClosing)
{
    SimulatorOptions options;
    options.replyDelay = 0ms;
    options.logonScript = { ScriptedReply::Eot };
    TcpServer server(options);
    server.start(0);

    int fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "\r", 1), 1);
    EXPECT_EQ(readUntil(fd, "ID=", 2s), "ID=");
    ASSERT_EQ(write(fd, "\x1bPG1\r", 5), 5);
    // Refused: the goodbye, then the connection closes with no modem's "NO CARRIER".
    EXPECT_EQ(readUntil(fd, "\x1b\x04\r", 2s), "\x1b\x04\r");
    char rest[16];
    EXPECT_EQ(read(fd, rest, sizeof rest), 0);
    close(fd);

    // The next connection is a call of its own, and "+++" is only data to a terminal.
    fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "+++\r", 4), 4);
    EXPECT_NE(readUntil(fd, "ID=", 2s).find("ID="), std::string::npos);
    close(fd);
    std::this_thread::sleep_for(100ms);
    server.stop();
    EXPECT_EQ(server.hangUps(), 2);
}

TEST(TcpServer, ConnectionsAreServedSideBySideAndAClientThatIsSilentOrDoesNotReadIsDropped)
{
    SimulatorOptions options;
    options.replyDelay = 0ms;
    TcpServer server(options, SessionServer::Limits { 300ms, 4096 });
    server.start(0);

    // The first client says nothing and reads nothing; the second is served all the same.
    const int silent = connectTo(server.port());
    const int flooding = connectTo(server.port());
    const int small = 4096; // so that little of what it is sent waits in its own buffer
    setsockopt(flooding, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const int second = connectTo(server.port());
    ASSERT_GE(second, 0);
    ASSERT_EQ(write(second, "\r", 1), 1);
    EXPECT_EQ(readUntil(second, "ID=", 2s), "ID=");

    // Each CR is answered "ID="; a client that never reads them is dropped once they pile up, so it cannot
    // grow the server's memory. Its sends then fail.
    const std::string crs(4096, '\r');
    bool refused = false;
    for (const auto until = Clock::now() + 10s; !refused && Clock::now() < until;) {
        refused = send(flooding, crs.data(), crs.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN;
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(refused);
    // The silent client is let go after the idle limit: its connection reads as closed.
    char rest[16];
    pollfd watch { silent, POLLIN, 0 };
    EXPECT_EQ(poll(&watch, 1, 2000), 1);
    EXPECT_EQ(read(silent, rest, sizeof rest), 0);
    EXPECT_GE(server.dropped(), 2); // and the second, once it fell silent too
    for (const int fd : { silent, flooding, second })
        close(fd);
}

TEST(LinesimProgram, FirstLineNamesThePseudoTerminalSigtermEndsItCleanlyAndABadOptionIsStatusTwo)
{
    BackgroundProcess linesim(TOLVANE_LINESIM_PATH, { "--max-seconds", "30" });
    const std::string firstLine = linesim.readLine(5000);
    EXPECT_TRUE(std::regex_match(firstLine, std::regex("PTY /dev/pts/[0-9]+"))) << firstLine;
    EXPECT_EQ(linesim.stop(), 0);
    EXPECT_EQ(runProcess(TOLVANE_LINESIM_PATH, { "--no-such-option" }).status, 2);
}

} // namespace
} // namespace tolvane::simulator
