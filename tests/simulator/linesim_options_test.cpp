#include "simulator/linesim_options.h"

#include <gtest/gtest.h>

namespace tolvane::simulator {
namespace {

using namespace std::chrono_literals;

TEST(LinesimOptions, EveryOptionReachesTheSimulator)
{
    std::string error;
    const auto config = parseLinesimArguments(
        { "--reply-delay-ms", "25", "--block-reply-delay-ms=300", "--connect-delay-ms", "500", "--comma-pause-ms",
            "100", "--escape-guard-ms", "0", "--dial-results", "busy, CONNECT 2400", "--modem-answers", "error",
            "--echo", "--password", "caf\xc3\xa9", "--refuse-ids", "5559999, 5558888", "--logon-replies", "NAK,AUTO",
            "--block-replies", "nak,512,RS", "--drop-after-blocks", "0", "--max-block-chars", "100",
            "--bad-logon-limit", "2", "--checksum-error-limit", "5", "--idle-timeout-ms", "9000", "--pages", "p.jsonl",
            "--transcript", "t.txt", "--max-seconds", "30", "--tcp", "10001" },
        error);
    ASSERT_TRUE(config) << error;
    const auto& sim = config->simulator;
    EXPECT_EQ(sim.replyDelay, 25ms);
    EXPECT_EQ(sim.blockReplyDelay, 300ms);
    EXPECT_EQ(sim.connectDelay, 500ms);
    EXPECT_EQ(sim.commaPause, 100ms);
    EXPECT_EQ(sim.escapeGuard, 0ms);
    EXPECT_EQ(sim.dialResults, (std::vector<std::string> { "BUSY", "CONNECT 2400" }));
    EXPECT_EQ(sim.modemAnswers, ModemAnswers::Error);
    EXPECT_TRUE(sim.echo);
    EXPECT_EQ(sim.password, "caf\xe9");
    EXPECT_EQ(sim.refusedPagerIds, (std::vector<std::string> { "5559999", "5558888" }));
    EXPECT_EQ(sim.logonScript, (std::vector<ScriptedReply> { ScriptedReply::Nak, ScriptedReply::Auto }));
    EXPECT_EQ(sim.blockScript,
        (std::vector<ScriptedReply> { ScriptedReply::Nak, ScriptedReply::TryLater, ScriptedReply::Rs }));
    EXPECT_EQ(sim.dropAfterBlocks, 0);
    EXPECT_EQ(sim.maxBlockChars, 100);
    EXPECT_EQ(sim.badLogonLimit, 2);
    EXPECT_EQ(sim.checksumErrorLimit, 5);
    EXPECT_EQ(sim.idleTimeout, 9000ms);
    EXPECT_EQ(config->pagesFile, "p.jsonl");
    EXPECT_EQ(config->transcriptFile, "t.txt");
    EXPECT_EQ(config->maxSeconds, 30);
    EXPECT_EQ(config->tcpPort, 10001);
    EXPECT_FALSE(config->help);
}

TEST(LinesimOptions, BadArgumentsAreRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        { "--bogus" },
        { "--reply-delay-ms" },
        { "--reply-delay-ms", "-5" },
        { "--reply-delay-ms", "12x" },
        { "--dial-results", "RINGING" },
        { "--dial-results", "CONNECT fast" },
        { "--block-replies", "ACK,MAYBE" },
        { "--modem-answers", "maybe" },
        { "--max-seconds", "0" },
        { "--max-block-chars", "0" },
        { "--pages", "" },
        { "--echo=yes" },
        { "--tcp", "65536" },
    };
    for (const auto& arguments : bad) {
        std::string error;
        EXPECT_FALSE(parseLinesimArguments(arguments, error)) << arguments[0];
        EXPECT_FALSE(error.empty()) << arguments[0];
    }
}

} // namespace
} // namespace tolvane::simulator
