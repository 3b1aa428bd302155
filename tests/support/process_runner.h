#pragma once

#include <map>
#include <string>
#include <vector>

// Runs a program to its end with a chosen environment and collects its output, for tests that check
// what a real start of the program does.
struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// `env` entries replace or (with an empty value) remove variables of this process's environment. A program
// still running after `timeoutMs` (when not negative) is killed: its status is then 128 + SIGKILL.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
    const std::map<std::string, std::string>& env = {}, int timeoutMs = -1);

// A program left running in the background, its standard output readable line by line; it is sent
// SIGTERM and reaped when the object goes.
class BackgroundProcess {
public:
    BackgroundProcess(const std::string& program, const std::vector<std::string>& args);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // The next line of standard output, without its line end; empty after `timeoutMs` or at its end.
    std::string readLine(int timeoutMs);
    // SIGTERM, then the exit status.
    int stop();

private:
    int m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    int m_status = -1;
};
