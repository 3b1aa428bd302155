#include "simulator_harness.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane::simulator {
namespace {

using testing::SimulatorHarness;
using namespace std::chrono_literals;

const std::string kAccepted = "211 Page(s) sent successfully\r\x06\r";
const std::string kSampleBlock = "\x02"
                                 "5550142\rabc\r\x03"
                                 "2:;\r";

TEST(TapSession, WholeSessionByteByByte)
{
    SimulatorHarness line;
    const auto byteByByte = [&](std::string_view bytes) {
        std::string answer;
        for (char c : bytes)
            answer += line.send(std::string_view(&c, 1), 1ms);
        return answer + line.pass(200ms);
    };
    EXPECT_EQ(byteByByte("ATDT5550142\r"), "");
    EXPECT_EQ(line.pass(2000ms), "\r\nCONNECT 9600\r\n");
    EXPECT_EQ(byteByByte("\r"), "ID=");
    EXPECT_EQ(byteByByte("\x1bPG1\r"), "\x06\r\x1b[p\r");
    EXPECT_EQ(byteByByte(kSampleBlock), kAccepted);
    EXPECT_EQ(byteByByte("\x04\r"), "115 Session ended, goodbye\r\x1b\x04\r\r\nNO CARRIER\r\n");
    EXPECT_FALSE(line.simulator().carrierUp());
    EXPECT_EQ(line.send("AT\r"), "\r\nOK\r\n");

    ASSERT_EQ(line.simulator().pages().size(), 1u);
    const auto& page = line.simulator().pages()[0];
    EXPECT_EQ(page.kind, "tap");
    EXPECT_EQ(page.pagerId, "5550142");
    EXPECT_EQ(page.message, "abc");
    EXPECT_EQ(page.password, "");
    EXPECT_EQ(page.checksumOk, true);
    EXPECT_EQ(page.reply, "ACK");
}

TEST(TapSession, TerminalPromptsForEveryCrUntilTheLogOn)
{
    SimulatorHarness line;
    line.send("ATDT5550142\r", 2100ms);
    EXPECT_EQ(line.send("\r"), "ID=");
    EXPECT_EQ(line.send("\r"), "ID=");
    EXPECT_EQ(line.send("\x1bPG1\r"), "\x06\r\x1b[p\r");
    // Between blocks a lone CR is ignored and other text is reported.
    EXPECT_EQ(line.send("\r"), "");
    EXPECT_EQ(line.send("\x1bPG1\r"), "502 Unexpected characters before a transaction\r");
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
}

TEST(TapSession, BadChecksumIsNakedAndThreeInARowDisconnect)
{
    SimulatorHarness line;
    line.logOn();
    const std::string badBlock = "\x02"
                                 "5550142\rabc\r\x03"
                                 "2:<\r";
    EXPECT_EQ(line.send(badBlock), "\x15\r");
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    EXPECT_EQ(line.simulator().pages()[0].checksumOk, false);
    EXPECT_EQ(line.simulator().pages()[0].reply, "NAK");
    // A good block breaks the run.
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.send(badBlock), "\x15\r");
    EXPECT_EQ(line.send(badBlock), "\x15\r");
    EXPECT_EQ(line.send(badBlock), "503 Excessive checksum errors\r\x1b\x04\r\r\nNO CARRIER\r\n");
}

TEST(TapSession, RefusedPagerIdGetsRsAndTheSessionGoesOn)
{
    auto options = SimulatorHarness::quickOptions();
    options.refusedPagerIds = { "5559999" };
    SimulatorHarness line(options);
    line.logOn();
    EXPECT_EQ(line.send("\x02"
                        "5559999\rabc\r\x03"
                        "2<8\r"),
        "511 No subscriber for this pager ID\r\x1e\r");
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    // Only the page the terminal took is recorded.
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    EXPECT_EQ(line.simulator().pages()[0].reply, "ACK");
}

TEST(TapSession, ReplyScriptOverridesTheTerminalBlockByBlockAcrossCalls)
{
    auto options = SimulatorHarness::quickOptions();
    options.blockScript = { ScriptedReply::Nak, ScriptedReply::Rs, ScriptedReply::Ack };
    SimulatorHarness line(options);
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), "\x15\r");
    EXPECT_EQ(line.send(kSampleBlock), "\x1e\r");
    line.pass(1000ms);
    line.send("+++ATH\r");
    // The script carries on in the next call; then the terminal judges for itself.
    line.logOn();
    const std::string badBlock = "\x02"
                                 "5550142\rabc\r\x03"
                                 "000\r";
    EXPECT_EQ(line.send(badBlock), "\x06\r");
    EXPECT_EQ(line.send(badBlock), "\x15\r");
    std::vector<std::string> replies;
    for (const auto& page : line.simulator().pages())
        replies.push_back(page.reply);
    // Intact pages turned away by the script are not recorded; damaged ones are, whatever the answer.
    EXPECT_EQ(replies, (std::vector<std::string> { "ACK", "NAK" }));
    EXPECT_EQ(line.simulator().pages()[0].checksumOk, false);
}

TEST(TapSession, ScriptedDisconnectAndDrop)
{
    auto options = SimulatorHarness::quickOptions();
    options.blockScript = { ScriptedReply::Eot, ScriptedReply::Drop, ScriptedReply::None };
    SimulatorHarness line(options);
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), "\x1b\x04\r\r\nNO CARRIER\r\n");
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), "\r\nNO CARRIER\r\n");
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock, 60000ms), "");
    EXPECT_TRUE(line.simulator().carrierUp());
}

TEST(TapLogOn, PasswordIsCheckedAndThirdBadLogOnDisconnects)
{
    auto options = SimulatorHarness::quickOptions();
    options.password = "SECRET";
    SimulatorHarness line(options);
    line.send("ATDT5550142\r", 2100ms);
    EXPECT_EQ(line.send("\r"), "ID=");
    EXPECT_EQ(line.send("\x1bPG1\r"), "509 Invalid logon, invalid password\r\x15\r");
    EXPECT_EQ(line.send("\x1bPG1secret\r"), "509 Invalid logon, invalid password\r\x15\r");
    EXPECT_EQ(line.send("\x1bPG1WRONG\r"), "509 Invalid logon, invalid password\r\x1b\x04\r\r\nNO CARRIER\r\n");

    line.send("ATDT5550142\r", 2100ms);
    line.send("\r");
    EXPECT_EQ(line.send("\x1bPG1SECRET\r"), "\x06\r\x1b[p\r");
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.simulator().pages().at(0).password, "SECRET");
}

TEST(TapLogOn, WithoutAConfiguredPasswordAnyIsAcceptedAndRecorded)
{
    SimulatorHarness line;
    line.logOn("\x1bPG1abc\r");
    line.send(kSampleBlock);
    EXPECT_EQ(line.simulator().pages().at(0).password, "abc");
}

TEST(TapLogOn, MalformedAndUnsupportedLogOnsAreRefused)
{
    SimulatorHarness line;
    line.send("ATDT5550142\r", 2100ms);
    line.send("\r");
    EXPECT_EQ(line.send("\x1bP\r"), "507 Invalid logon, badly formed\r\x15\r");
    EXPECT_EQ(line.send("\x1bPG3\r"), "508 Invalid logon, service not supported\r\x15\r");
}

TEST(TapLogOn, LogOnScriptCanRefuseThenAccept)
{
    auto options = SimulatorHarness::quickOptions();
    options.logonScript = { ScriptedReply::Nak, ScriptedReply::None, ScriptedReply::Auto };
    SimulatorHarness line(options);
    line.send("ATDT5550142\r", 2100ms);
    line.send("\r");
    EXPECT_EQ(line.send("\x1bPG1\r"), "\x15\r");
    EXPECT_EQ(line.send("\x1bPG1\r", 10000ms), "");
    EXPECT_EQ(line.send("\x1bPG1\r"), "\x06\r\x1b[p\r");
}

TEST(TapBlocks, PageOverSeveralBlocksIsReassembled)
{
    SimulatorHarness line;
    line.logOn();
    // ETB: the block ends with a complete field.
    EXPECT_EQ(line.send("\x02"
                        "5550142\r\x17"
                        "18<\r"),
        "\x06\r");
    EXPECT_EQ(line.send("\x02"
                        "Hello world\r\x03"
                        "44>\r"),
        kAccepted);
    // US: the message field goes on in the next block.
    EXPECT_EQ(line.send("\x02"
                        "5550142\rHello \x1f"
                        "3:8\r"),
        "\x06\r");
    EXPECT_EQ(line.send("\x02"
                        "world\r\x03"
                        "23:\r"),
        kAccepted);
    ASSERT_EQ(line.simulator().pages().size(), 2u);
    for (const auto& page : line.simulator().pages()) {
        EXPECT_EQ(page.pagerId, "5550142");
        EXPECT_EQ(page.message, "Hello world");
        EXPECT_EQ(page.checksumOk, true);
    }
}

TEST(TapBlocks, AtMostTwoHundredFiftyDataCharactersInABlock)
{
    SimulatorHarness line;
    line.logOn();
    // 7 + CR + 241 + CR = 250.
    EXPECT_EQ(line.send("\x02"
                        "5550142\r"
                  + std::string(241, 'x') + "\r\x03" + "27=\r"),
        kAccepted);
    EXPECT_EQ(line.send("\x02"
                        "5550142\r"
                  + std::string(242, 'x') + "\r\x03" + "2?5\r"),
        "517 Message too long, rejected\r\x1e\r");
}

TEST(TapBlocks, BadlyFormedTransactionsAreRefused)
{
    SimulatorHarness line;
    line.logOn();
    // A third field, a message not ended by CR, an empty pager ID.
    EXPECT_EQ(line.send("\x02"
                        "5550142\rabc\rextra\r\x03"
                        "4=<\r"),
        "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send("\x02"
                        "5550142\rabc\x03"
                        "29>\r"),
        "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send("\x02"
                        "\rabc\r\x03"
                        "145\r"),
        "510 Illegal pager ID\r\x1e\r");
    EXPECT_TRUE(line.simulator().pages().empty());
}

TEST(TapBlocks, TransparencyIsUndoneAndTrailingBlanksTrimmed)
{
    SimulatorHarness line;
    line.logOn();
    EXPECT_EQ(line.send("\x02"
                        "5550142\rline\x1aJtwo\r\x03"
                        "4>;\r"),
        kAccepted);
    EXPECT_EQ(line.simulator().pages().at(0).message, "line\ntwo");
}

TEST(TapBlocks, ReplyDelayHoldsTheAnswerBack)
{
    auto options = SimulatorHarness::quickOptions();
    options.blockReplyDelay = 500ms;
    SimulatorHarness line(options);
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock, 539ms), "");
    EXPECT_EQ(line.pass(1ms), kAccepted);
}

TEST(TapSession, IdleLineIsClosedByTheTerminalOnlyWhenATimeOutIsSet)
{
    auto options = SimulatorHarness::quickOptions();
    options.idleTimeout = 4000ms;
    SimulatorHarness line(options);
    line.logOn(); // the go-ahead went out 160 ms ago
    EXPECT_EQ(line.pass(3000ms), "");
    // Traffic, even a lone CR the terminal ignores, starts the wait again.
    EXPECT_EQ(line.send("\r", 3999ms), "");
    EXPECT_EQ(line.pass(1000ms), "501 Time-out waiting for input\r\x1b\x04\r\r\nNO CARRIER\r\n");

    SimulatorHarness patient;
    patient.logOn();
    EXPECT_EQ(patient.pass(600000ms), "");
    EXPECT_TRUE(patient.simulator().carrierUp());
}

TEST(TapBlocks, CarrierDropsOnceAfterTheGivenNumberOfBlocks)
{
    auto options = SimulatorHarness::quickOptions();
    options.dropAfterBlocks = 1;
    SimulatorHarness line(options);
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kAccepted + "\r\nNO CARRIER\r\n");
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_TRUE(line.simulator().carrierUp());
}

TEST(TapBlocks, CarrierCanDropRightAfterTheGoAhead)
{
    auto options = SimulatorHarness::quickOptions();
    options.dropAfterBlocks = 0;
    SimulatorHarness line(options);
    line.send("ATDT5550142\r", 2100ms);
    line.send("\r");
    EXPECT_EQ(line.send("\x1bPG1\r"), "\x06\r\x1b[p\r\r\nNO CARRIER\r\n");
}

} // namespace
} // namespace tolvane::simulator

namespace tolvane::simulator {
namespace {

TEST(LineRobustness, RandomTrafficLeavesAModemThatAReopenedPortCanUse)
{
    std::mt19937 random(6);
    const std::string alphabet = std::string("\x02\x03\x04\x17\x1f\x1a\x1b\r\n+ATDH0,#P1G", 20) + "xyz\x80\xff";
    for (int round = 0; round < 200; ++round) {
        SimulatorHarness line;
        line.logOn();
        for (int burst = 0; burst < 40; ++burst) {
            std::string bytes;
            const auto length = random() % 300;
            for (std::size_t i = 0; i < length; ++i)
                bytes += alphabet[random() % alphabet.size()];
            line.send(bytes, Millis(random() % 3000));
        }
        // Whatever state the storm left, closing and reopening the port brings the modem back.
        line.simulator().dtrDropped(line.now());
        EXPECT_FALSE(line.simulator().carrierUp());
        EXPECT_EQ(line.send("AT\r"), "\r\nOK\r\n") << "round " << round;
    }
}

} // namespace
} // namespace tolvane::simulator
