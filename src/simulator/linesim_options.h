#pragma once

#include "simulator/simulator_options.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane::simulator {

// What tolvane-linesim was asked to do on its command line.
struct LinesimConfig {
    SimulatorOptions simulator;
    std::string pagesFile; // one JSON line appended per page; empty: none
    std::string transcriptFile; // empty: none
    std::optional<int> maxSeconds;
    std::optional<int> tcpPort; // serve the terminal on 127.0.0.1:port instead of a modem on a pseudo-terminal
    std::optional<int> snppPort; // serve an SNPP gateway on 127.0.0.1:port instead
    std::optional<int> wctpPort; // serve a WCTP gateway (HTTP) on 127.0.0.1:port instead
    bool help = false;
};

// Parses the arguments after the program name; on a bad argument returns nothing and says why in `error`.
std::optional<LinesimConfig> parseLinesimArguments(const std::vector<std::string>& arguments, std::string& error);
std::string linesimUsage();

} // namespace tolvane::simulator
