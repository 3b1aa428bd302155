// The program and the practice line as separate real processes on a real pseudo-terminal, in real time.
// A call costs about ten seconds of the pauses the paging call prescribes, a numeric page about twenty.
#include "process_runner.h"
#include "store/data_folder.h"
#include "store/defaults.h"
#include "store/page_log.h"
#include "store/record_file.h"
#include "store/records.h"
#include "testkit/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace tolvane;

// The user name as the report shows it: blank-padded to its 25 characters.
const std::string kPaddedDana = "Dana Whitlow" + std::string(13, ' ');

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

const std::map<std::string, std::string> kNoDisplay
    = { { "DISPLAY", "" }, { "WAYLAND_DISPLAY", "" }, { "QT_QPA_PLATFORM", "" } };

class PracticeLineEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const store::DataFolder folder(m_folder);
        store::installIfNew(folder);
        // No prefix and few redials keep a failing call short.
        auto config = store::readRecordAt<store::ConfigRecord>(folder.pathOf<store::ConfigRecord>());
        config.DialPrefix = "555";
        config.RetryAttempts = 2;
        store::writeRecordAt(folder.pathOf<store::ConfigRecord>(), 1, config);
    }
    // Starts tolvane-linesim with its options and points COMM1 at its pseudo-terminal, or, over TCP, makes
    // COMM1 a network line whose DIAL line leads to it.
    void startLine(std::vector<std::string> options, bool overTcp = false)
    {
        if (overTcp)
            options.insert(options.end(), { "--tcp", "0" });
        options.insert(options.end(),
            { "--pages", (m_folder / "pages.jsonl").string(), "--transcript", (m_folder / "transcript.txt").string(),
                "--max-seconds", "120" });
        m_line = std::make_unique<BackgroundProcess>(LINESIM_BINARY, options);
        const std::string first = m_line->readLine(5000);
        ASSERT_EQ(first.rfind(overTcp ? "TCP 127.0.0.1:" : "PTY /dev/", 0), 0u) << first;
        std::ofstream(m_folder / "PORTS.DAT")
            << (overTcp ? "COMM1=network\nDIAL 555-0142=" : "COMM1=") << first.substr(4) << "\n";
    }

    ProcessResult page(const std::string& commandLine)
    {
        return runProcess(TOLVANE_BINARY, { "--data-dir", m_folder.string(), commandLine }, kNoDisplay);
    }

    std::vector<std::string> log() const { return store::readLog(store::DataFolder(m_folder)); }
    std::string pages() const { return testkit::readFile(m_folder / "pages.jsonl"); }

    testkit::TempFolder m_temp;
    const fs::path m_folder = m_temp.path();
    std::unique_ptr<BackgroundProcess> m_line; // ended before the folder goes
};

// The same calls through a modem on a pseudo-terminal and through a network line to a TAP service over TCP.
class EitherLineEndToEnd : public PracticeLineEndToEnd, public ::testing::WithParamInterface<bool> { };
INSTANTIATE_TEST_SUITE_P(ModemAndNetwork, EitherLineEndToEnd, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& line) { return line.param ? "Network" : "Modem"; });

TEST_P(EitherLineEndToEnd, TheSampleUserIsPagedAndTheTerminalRecordsAGoodChecksum)
{
    startLine({}, GetParam());
    const auto result = page("Dana Whitlow:Meet at the loading dock 10:30");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Page was sent to: " + kPaddedDana + "\n");
    EXPECT_NE(result.err.find("Got [p"), std::string::npos) << "the connection log goes to standard error";
    if (GetParam()) {
        EXPECT_NE(result.err.find("reaches 127.0.0.1:"), std::string::npos) << "the network line reports to the log";
    }

    EXPECT_NE(pages().find(R"("kind":"tap")"), std::string::npos) << pages();
    EXPECT_NE(pages().find(R"("pager_id":"5550142")"), std::string::npos) << pages();
    EXPECT_NE(pages().find(R"("message":"Meet at the loading dock 10:30")"), std::string::npos) << pages();
    EXPECT_NE(pages().find(R"("checksum_ok":true)"), std::string::npos) << pages();

    const auto lines = log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("PAGE SENT: Dana Whitlow            ", 0), 0u) << lines[0];
}

TEST_P(EitherLineEndToEnd, ARefusedPagerIdIsLoggedAsAnErrorAndEndsWithStatus1)
{
    startLine({ "--refuse-ids", "5550142" }, GetParam());
    const auto result = page("Dana Whitlow:hello");
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.out.find("Page was not! sent"), std::string::npos) << result.out;
    const auto lines = log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("ERROR FOR: Dana Whitlow", 0), 0u) << lines[0];
    EXPECT_EQ(pages().find("5550142"), std::string::npos) << "a refused page is not delivered: " << pages();
    // Refused three times: the first try and two resends.
    EXPECT_EQ(occurrences(testkit::readFile(m_folder / "transcript.txt"), "<STX>5550142<CR>"), 3u);
}

TEST_F(PracticeLineEndToEnd, ABusyNumberIsRedialledAndThenDelivered)
{
    startLine({ "--dial-results", "BUSY,CONNECT 9600" });
    const auto result = page("Dana Whitlow:second try");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string transcript = testkit::readFile(m_folder / "transcript.txt");
    EXPECT_EQ(occurrences(transcript, "ATDT555-0142"), 2u) << transcript;
    EXPECT_NE(pages().find(R"("message":"second try")"), std::string::npos) << pages();
}

TEST_F(PracticeLineEndToEnd, ANumericCompanyIsPagedByDiallingTheDigits)
{
    const store::DataFolder folder(m_folder);
    store::RecordFile(folder.pathOf<store::TerminalRecord>(), store::TerminalRecord::kLength)
        .appendRaw(store::TerminalRecord { "DIG-Beeper", "5550199", 14, 2, 2400, 1, 2, 1, "" }.encode());
    store::RecordFile(folder.pathOf<store::UserRecord>(), store::UserRecord::kLength)
        .appendRaw(store::UserRecord { "DIG-Sam", "0", "DIG-Beeper", "0000000000" }.encode());

    startLine({ "--comma-pause-ms", "200" });
    const auto result = page("DIG-Sam:4321 %");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.empty()) << "a quiet run reports nothing: " << result.out;
    EXPECT_NE(result.err.find("This is a Numeric Pager"), std::string::npos)
        << "the question is printed with its answer";
    EXPECT_NE(pages().find(R"("kind":"numeric")"), std::string::npos) << pages();
    EXPECT_NE(pages().find(R"("message":"4321#")"), std::string::npos) << pages();
    const auto lines = log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("PAGE SENT: DIG-Sam", 0), 0u) << lines[0];
}

TEST_F(PracticeLineEndToEnd, ThePracticeOptionServesThePortsInsideTheProgram)
{
    const auto result = runProcess(
        TOLVANE_BINARY, { "--data-dir", m_folder.string(), "--practice", "Dana Whitlow:drill" }, kNoDisplay);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Page was sent to: " + kPaddedDana + " (practice line)\n");
}

} // namespace
