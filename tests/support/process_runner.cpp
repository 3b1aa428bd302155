#include "process_runner.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// In a child just forked: runs the program, or ends with 127.
[[noreturn]] void execute(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv { const_cast<char*>(program.c_str()) };
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execve(program.c_str(), argv.data(), environ);
    ::_exit(127);
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
    const std::map<std::string, std::string>& env, int timeoutMs)
{
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return {};
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return {};
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        // Without a child, waitpid(-1) below would reap any other child of the test.
        for (const int fd : { outPipe[0], outPipe[1], errPipe[0], errPipe[1] })
            ::close(fd);
        return {};
    }
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        // The program gets /dev/null as its standard input and no other copy of it.
        const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::dup2(devNull, 0);
        for (const auto& [name, value] : env) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        execute(program, args);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    ProcessResult result;
    pollfd fds[2] = { { outPipe[0], POLLIN, 0 }, { errPipe[0], POLLIN, 0 } };
    int open = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool killed = false;
    while (open > 0) {
        int wait = -1;
        if (timeoutMs >= 0 && !killed) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0)
            break;
        if (ready == 0) {
            // Out of time: the pipes close once the program has gone.
            ::kill(pid, SIGKILL);
            killed = true;
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::string& program, const std::vector<std::string>& args)
{
    int outPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(outPipe[1], 1);
        execute(program, args);
    }
    ::close(outPipe[1]);
    m_out = outPipe[0];
}

BackgroundProcess::~BackgroundProcess()
{
    stop();
}

std::string BackgroundProcess::readLine(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_out >= 0) {
        if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd { m_out, POLLIN, 0 };
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        char chunk[512];
        const ssize_t got = ::read(m_out, chunk, sizeof chunk);
        if (got <= 0)
            break;
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
    return {};
}

int BackgroundProcess::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int wstatus = 0;
        ::waitpid(m_pid, &wstatus, 0);
        m_status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        m_pid = -1;
    }
    if (m_out >= 0) {
        ::close(m_out);
        m_out = -1;
    }
    return m_status;
}
