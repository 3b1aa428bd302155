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

// `env` entries replace or (with an empty value) remove variables of this process's environment.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
    const std::map<std::string, std::string>& env = {});
