#include "simulator/pty_server.h"
#include "simulator/tcp_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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

int openRaw(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios settings {};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

// A client opening the line afresh gets OK to "AT": the modem is in command state.
void expectNewClientFindsCommandState(const PtyServer& server, std::chrono::milliseconds limit)
{
    const int fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    EXPECT_EQ(readUntil(fd, "OK\r\n", limit), "\r\nOK\r\n");
    close(fd);
}

TEST(PtyServer, AnswersOnTheSlaveAndTakesClosingAsAHangUp)
{
    SimulatorOptions options;
    options.replyDelay = 10ms;
    options.connectDelay = 50ms;
    PtyServer server(options);
    server.start();
    ASSERT_EQ(server.slavePath().rfind("/dev/", 0), 0u) << server.slavePath();

    int fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    EXPECT_EQ(readUntil(fd, "OK\r\n", 3s), "\r\nOK\r\n");
    ASSERT_EQ(write(fd, "ATDT5550142\r", 12), 12);
    EXPECT_EQ(readUntil(fd, "CONNECT 9600\r\n", 3s), "\r\nCONNECT 9600\r\n");
    close(fd);

    // Opened again, the modem is back in command state.
    expectNewClientFindsCommandState(server, 3s);
    server.stop();
    EXPECT_EQ(server.hangUps(), 1);
}

TEST(PtyServer, CommandWrittenJustBeforeTheCloseDoesNotReachTheNextClient)
{
    SimulatorOptions options;
    options.replyDelay = 10ms;
    options.connectDelay = 300ms;
    PtyServer server(options);
    server.start();

    int fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "ATDT5550142\r", 12), 12);
    close(fd);
    std::this_thread::sleep_for(500ms);

    // The dial was cut off by the close: the next client finds a modem in command state.
    expectNewClientFindsCommandState(server, 2s);
    server.stop();
}

TEST(PtyServer, AnswerLeftUnreadAtTheCloseIsNotHandedToTheNextClient)
{
    SimulatorOptions options;
    options.replyDelay = 10ms;
    PtyServer server(options);
    server.start();

    int fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    std::this_thread::sleep_for(300ms); // the OK arrives and is never read
    close(fd);
    std::this_thread::sleep_for(100ms);

    // As on a serial port, closing discards unread input; the next client hears only its own answers.
    fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(readUntil(fd, "\n", 300ms), "");
    ASSERT_EQ(write(fd, "ATZ\r", 4), 4);
    EXPECT_EQ(readUntil(fd, "OK\r\n", 2s), "\r\nOK\r\n");
    close(fd);
    // Discarding the old answer is not taken for another client coming and going: two closes, two drops.
    std::this_thread::sleep_for(200ms);
    server.stop();
    int drops = 0;
    for (const auto& entry : server.transcript())
        drops += entry.bytes == "DTR dropped: the client closed the line" ? 1 : 0;
    EXPECT_EQ(drops, 2);
}

TEST(PtyServer, StartedAgainAfterAStopItAnswersPromptlyInCommandState)
{
    SimulatorOptions options;
    options.replyDelay = 10ms;
    options.connectDelay = 50ms;
    PtyServer server(options);
    server.start();
    int fd = openRaw(server.slavePath());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "ATDT5550142\r", 12), 12);
    EXPECT_EQ(readUntil(fd, "CONNECT 9600\r\n", 3s), "\r\nCONNECT 9600\r\n");
    std::this_thread::sleep_for(1500ms);
    // Stopped in the middle of a call: the line goes away and the call with it.
    server.stop();
    close(fd);

    server.start();
    expectNewClientFindsCommandState(server, 500ms);
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

TEST(LinesimProgram, FirstLineNamesThePseudoTerminalAndSigtermEndsItCleanly)
{
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char program[] = TOLVANE_LINESIM_PATH;
    char limit[] = "--max-seconds";
    char seconds[] = "30";
    char* argv[] = { program, limit, seconds, nullptr };
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    const auto text = readUntil(out[0], "\n", 5s);
    const auto firstLine = text.substr(0, text.find('\n'));
    EXPECT_TRUE(std::regex_match(firstLine, std::regex("PTY /dev/pts/[0-9]+"))) << firstLine;

    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(out[0]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LinesimProgram, BadOptionEndsWithStatusTwo)
{
    char program[] = TOLVANE_LINESIM_PATH;
    char bad[] = "--no-such-option";
    char* argv[] = { program, bad, nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
} // namespace tolvane::simulator
