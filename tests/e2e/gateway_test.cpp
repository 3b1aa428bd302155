// The program paging through the practice SNPP and WCTP gateways from its command line, as separate
// processes; TLS through socat in front of them, with certificates made for the test.
#include "process_runner.h"
#include "store/data_folder.h"
#include "store/defaults.h"
#include "store/page_log.h"
#include "testkit/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace tolvane;

const std::map<std::string, std::string> kNoDisplay
    = { { "DISPLAY", "" }, { "WAYLAND_DISPLAY", "" }, { "QT_QPA_PLATFORM", "" } };

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepting(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

class GatewayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { store::installIfNew(store::DataFolder(m_folder)); }

    // Starts the practice gateway ("--snpp" or "--wctp") and returns its port.
    int startGateway(const std::string& kind, std::vector<std::string> options)
    {
        options.insert(
            options.end(), { kind, "0", "--pages", (m_folder / "pages.jsonl").string(), "--max-seconds", "120" });
        m_gateway = std::make_unique<BackgroundProcess>(LINESIM_BINARY, options);
        const std::string first = m_gateway->readLine(5000);
        const auto colon = first.rfind(':');
        const int port = std::atoi(first.c_str() + colon + 1);
        EXPECT_GT(port, 0) << first;
        return port;
    }
    // TLS in front of a port, with a certificate for `name` signed by a throwaway authority; returns its port.
    int startTls(int port, const std::string& name)
    {
        const auto openssl = [this](std::vector<std::string> args) {
            const auto result = runProcess("/usr/bin/openssl", args);
            ASSERT_EQ(result.status, 0) << result.err;
        };
        const std::string at = m_folder.string() + "/";
        std::ofstream(at + "ext.cnf") << "subjectAltName=DNS:" << name
                                      << (name == "localhost" ? ",IP:127.0.0.1\n" : "\n");
        openssl({ "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", at + "ca.key", "-out", at + "ca.pem",
            "-days", "1", "-subj", "/CN=Practice CA" });
        openssl({ "req", "-newkey", "rsa:2048", "-nodes", "-keyout", at + "server.key", "-out", at + "server.csr",
            "-subj", "/CN=" + name });
        openssl({ "x509", "-req", "-in", at + "server.csr", "-CA", at + "ca.pem", "-CAkey", at + "ca.key",
            "-CAcreateserial", "-out", at + "server.pem", "-days", "1", "-extfile", at + "ext.cnf" });
        const int tlsPort = freePort();
        m_tls = std::make_unique<BackgroundProcess>("/usr/bin/socat",
            std::vector<std::string> { "OPENSSL-LISTEN:" + std::to_string(tlsPort) + ",reuseaddr,fork,cert=" + at
                    + "server.pem,key=" + at + "server.key,verify=0",
                "TCP:127.0.0.1:" + std::to_string(port) });
        for (int i = 0; i < 200 && !accepting(tlsPort); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return tlsPort;
    }
    void dialTo(const std::string& target, const std::string& more = {})
    {
        std::ofstream(m_folder / "PORTS.DAT") << "COMM1=network\nDIAL 555-0142=" << target << "\n" << more;
    }
    ProcessResult page(const std::string& commandLine)
    {
        return runProcess(
            TOLVANE_BINARY, { "--data-dir", m_folder.string(), "--pacing", "prompt", commandLine }, kNoDisplay, 60000);
    }
    std::vector<std::string> log() const { return store::readLog(store::DataFolder(m_folder)); }
    std::string pages() const { return testkit::readFile(m_folder / "pages.jsonl"); }

    testkit::TempFolder m_temp;
    const fs::path m_folder = m_temp.path();
    std::unique_ptr<BackgroundProcess> m_gateway;
    std::unique_ptr<BackgroundProcess> m_tls;
};

struct Outcome {
    const char* name;
    const char* gateway; // "--snpp" or "--wctp"
    std::vector<std::string> options;
    const char* logStart; // the LOG.DAT line's start, or nullptr for none
    const char* said; // in the connection log
};

class GatewayOutcomes : public GatewayEndToEnd, public ::testing::WithParamInterface<Outcome> { };

TEST_P(GatewayOutcomes, EndAsDeliveredRefusedOrFailedForNow)
{
    const Outcome& row = GetParam();
    const bool snpp = std::string(row.gateway) == "--snpp";
    const int port = startGateway(row.gateway, row.options);
    dialTo(snpp ? "snpp://frontdesk:pw@127.0.0.1:" + std::to_string(port)
                : "wctp+http://127.0.0.1:" + std::to_string(port) + "/wctp?sender=frontdesk&security=pw");
    const auto result = page("Dana Whitlow:Meet at dock 5 <&> caf\xC3\xA9");
    const bool delivered = row.logStart && std::string(row.logStart) == "PAGE SENT: ";
    EXPECT_EQ(result.status, delivered ? 0 : 1) << result.err;
    EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("pw"), std::string::npos) << "secrets never reach the log: " << result.err;
    const auto lines = log();
    ASSERT_EQ(lines.size(), row.logStart ? 1u : 0u);
    if (row.logStart) {
        EXPECT_EQ(lines[0].rfind(std::string(row.logStart) + "Dana Whitlow ", 0), 0u) << lines[0];
    }
    if (delivered) {
        EXPECT_NE(pages().find(R"("message":"Meet at dock 5 <&> café")"), std::string::npos) << pages();
    } else {
        EXPECT_EQ(pages().find("Meet"), std::string::npos) << pages();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GatewayOutcomes,
    ::testing::Values(
        Outcome { "SnppDelivered", "--snpp", { "--password", "pw" }, "PAGE SENT: ", "< 250 Login Accepted" },
        Outcome { "SnppRefused", "--snpp", { "--refuse-ids", "5550142" },
            "ERROR FOR: ", "Refused for good: 550 Failed, Illegal Pager ID" },
        Outcome { "SnppFailedForNow", "--snpp", { "--block-replies", "NAK" }, nullptr,
            "The gateway cannot send the page now: 554" },
        Outcome {
            "WctpDelivered", "--wctp", { "--password", "pw" }, "PAGE SENT: ", "wctp-Success successCode=\"200\"" },
        Outcome { "WctpRefused", "--wctp", { "--refuse-ids", "5550142" },
            "ERROR FOR: ", "Refused for good: 403 invalid recipientID" },
        Outcome { "WctpFailedForNow", "--wctp", { "--block-replies", "NAK" }, nullptr,
            "The gateway cannot take the page now: 604" },
        Outcome { "WctpUnavailable", "--wctp", { "--block-replies", "EOT" }, nullptr,
            "The gateway cannot take the page now: HTTP 503" }),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(GatewayEndToEnd, TlsTrustsAPrivateAuthorityOnlyFromTheCaLineAndOnlyForItsName)
{
    const int snpp = startGateway("--snpp", {});
    int tls = startTls(snpp, "localhost");
    dialTo("snpps://127.0.0.1:" + std::to_string(tls), "CA ca.pem\n");
    auto result = page("Dana Whitlow:over tls");
    EXPECT_EQ(result.status, 0) << result.err;

    dialTo("snpps://127.0.0.1:" + std::to_string(tls));
    result = page("Dana Whitlow:no authority");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("No connection to the gateway: SSL certificate problem"), std::string::npos)
        << result.err;

    m_tls.reset();
    tls = startTls(snpp, "other.example");
    dialTo("snpps://127.0.0.1:" + std::to_string(tls), "CA ca.pem\n");
    result = page("Dana Whitlow:wrong name");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("No connection to the gateway: SSL: no alternative certificate subject name matches"),
        std::string::npos)
        << result.err;
    EXPECT_NE(pages().find("over tls"), std::string::npos);
    EXPECT_EQ(pages().find("wrong name"), std::string::npos) << "never a fallback to plain text";
}

TEST_F(GatewayEndToEnd, WctpOverHttpsWithAPrivateAuthority)
{
    const int tls = startTls(startGateway("--wctp", {}), "localhost");
    dialTo("wctp+https://localhost:" + std::to_string(tls) + "/wctp?sender=frontdesk",
        "CA " + (m_folder / "ca.pem").string() + "\n");
    const auto result = page("Dana Whitlow:posted over https");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(pages().find("posted over https"), std::string::npos) << pages();
}

} // namespace
