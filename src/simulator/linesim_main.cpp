// tolvane-linesim: a modem and TAP paging terminal on a pseudo-terminal, or the terminal alone on a TCP port, for
// trying the program without a modem and for end-to-end tests.
#include "simulator/linesim_options.h"
#include "simulator/page_json.h"
#include "simulator/pty_server.h"
#include "simulator/snpp_server.h"
#include "simulator/tcp_server.h"
#include "simulator/wctp_server.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <system_error>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void onStopSignal(int)
{
    g_stop = 1;
}

using namespace tolvane::simulator;

// Serves until a signal or the time limit; `start` starts the server and returns the first line to print.
template <class Server, class Start>
int serve(Server& server, const LinesimConfig& config, std::ofstream& pages, std::ofstream& transcript, Start start)
{
    if (pages.is_open())
        server.setPageListener([&pages](const PageRecord& page) { pages << pageJsonLine(page) << '\n' << std::flush; });
    if (transcript.is_open()) {
        server.setTranscriptListener([&transcript](const TranscriptEntry& entry) {
            transcript << transcriptLine(entry) << '\n' << std::flush;
        });
    }
    try {
        std::cout << start() << std::endl;
    } catch (const std::system_error& failure) {
        std::cerr << "tolvane-linesim: cannot serve: " << failure.what() << "\n";
        return 1;
    }

    const auto started = std::chrono::steady_clock::now();
    while (!g_stop) {
        if (config.maxSeconds && std::chrono::steady_clock::now() - started >= std::chrono::seconds(*config.maxSeconds))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    server.stop();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto config = parseLinesimArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!config) {
        std::cerr << "tolvane-linesim: " << error << "\n\n" << linesimUsage();
        return 2;
    }
    if (config->help) {
        std::cout << linesimUsage();
        return 0;
    }

    struct sigaction action { };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A client that vanishes must not take the simulator with it.
    std::signal(SIGPIPE, SIG_IGN);

    std::ofstream transcript;
    if (!config->transcriptFile.empty()) {
        transcript.open(config->transcriptFile, std::ios::out | std::ios::trunc);
        if (!transcript) {
            std::cerr << "tolvane-linesim: cannot write the transcript file " << config->transcriptFile << "\n";
            return 2;
        }
    }
    std::ofstream pages;
    if (!config->pagesFile.empty()) {
        pages.open(config->pagesFile, std::ios::out | std::ios::app);
        if (!pages) {
            std::cerr << "tolvane-linesim: cannot write the pages file " << config->pagesFile << "\n";
            return 2;
        }
    }

    if (config->tcpPort) {
        TcpServer server(config->simulator);
        return serve(server, *config, pages, transcript, [&] {
            server.start(*config->tcpPort);
            return "TCP 127.0.0.1:" + std::to_string(server.port());
        });
    }
    if (config->snppPort) {
        SnppServer server(config->simulator);
        return serve(server, *config, pages, transcript, [&] {
            server.start(*config->snppPort);
            return "SNPP 127.0.0.1:" + std::to_string(server.port());
        });
    }
    if (config->wctpPort) {
        WctpServer server(config->simulator);
        return serve(server, *config, pages, transcript, [&] {
            server.start(*config->wctpPort);
            return "WCTP http://127.0.0.1:" + std::to_string(server.port()) + "/wctp";
        });
    }
    PtyServer server(config->simulator);
    return serve(server, *config, pages, transcript, [&] {
        server.start();
        return "PTY " + server.slavePath();
    });
}
