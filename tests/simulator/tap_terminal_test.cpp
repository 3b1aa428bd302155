#include "simulator_harness.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane::simulator {
namespace {

using testing::SimulatorHarness;
using namespace std::chrono_literals;

// Control characters named, so each block below reads as it goes on the wire.
const std::string kStx = "\x02";
const std::string kEtx = "\x03";
const std::string kAccepted = "211 Page(s) sent successfully\r\x06\r";
const std::string kGoAhead = "\x06\r\x1b[p\r";
const std::string kNak = "\x15\r";
const std::string kHangUp = "\x1b\x04\r\r\nNO CARRIER\r\n";
const std::string kSampleBlock = kStx + "5550142\rabc\r" + kEtx + "2:;\r";
const std::string kBadChecksumBlock = kStx + "5550142\rabc\r" + kEtx + "2:<\r";

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
    EXPECT_EQ(byteByByte("\x1bPG1\r"), kGoAhead);
    EXPECT_EQ(byteByByte(kSampleBlock), kAccepted);
    EXPECT_EQ(byteByByte("\x04\r"), "115 Session ended, goodbye\r" + kHangUp);
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
    EXPECT_EQ(line.connect(), "ID=");
    EXPECT_EQ(line.send("\r"), "ID=");
    EXPECT_EQ(line.send("\x1bPG1\r"), kGoAhead);
    // Between blocks a lone CR is ignored and other text is reported.
    EXPECT_EQ(line.send("\r"), "");
    EXPECT_EQ(line.send("\x1bPG1\r"), "502 Unexpected characters before a transaction\r");
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
}

TEST(TapSession, BadChecksumIsNakedAndThreeInARowDisconnect)
{
    SimulatorHarness line;
    line.logOn();
    EXPECT_EQ(line.send(kBadChecksumBlock), kNak);
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    EXPECT_EQ(line.simulator().pages()[0].checksumOk, false);
    EXPECT_EQ(line.simulator().pages()[0].reply, "NAK");
    // A good block breaks the run.
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.send(kBadChecksumBlock), kNak);
    EXPECT_EQ(line.send(kBadChecksumBlock), kNak);
    EXPECT_EQ(line.send(kBadChecksumBlock), "503 Excessive checksum errors\r" + kHangUp);
}

TEST(TapSession, RefusedPagerIdGetsRsAndTheSessionGoesOn)
{
    SimulatorHarness line([](auto& o) { o.refusedPagerIds = { "5559999" }; });
    line.logOn();
    EXPECT_EQ(line.send(kStx + "5559999\rabc\r" + kEtx + "2<8\r"), "511 No subscriber for this pager ID\r\x1e\r");
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    // Only the page the terminal took is recorded.
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    EXPECT_EQ(line.simulator().pages()[0].reply, "ACK");
}

TEST(TapSession, ReplyScriptOverridesTheTerminalBlockByBlockAcrossCalls)
{
    SimulatorHarness line([](auto& o) {
        o.blockScript = { ScriptedReply::Nak, ScriptedReply::Rs, ScriptedReply::TryLater, ScriptedReply::Ack };
    });
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kNak);
    EXPECT_EQ(line.send(kSampleBlock), "\x1e\r");
    EXPECT_EQ(line.send(kSampleBlock), "512 Temporarily cannot deliver\r\x1e\r");
    line.pass(1000ms);
    line.send("+++ATH\r");
    // The script carries on in the next call; then the terminal judges for itself.
    line.logOn();
    const std::string badBlock = kStx + "5550142\rabc\r" + kEtx + "000\r";
    EXPECT_EQ(line.send(badBlock), "\x06\r");
    EXPECT_EQ(line.send(badBlock), kNak);
    std::vector<std::string> replies;
    for (const auto& page : line.simulator().pages())
        replies.push_back(page.reply);
    // Intact pages turned away by the script are not recorded; damaged ones are, whatever the answer.
    EXPECT_EQ(replies, (std::vector<std::string> { "ACK", "NAK" }));
    EXPECT_EQ(line.simulator().pages()[0].checksumOk, false);
}

TEST(TapSession, ScriptedDisconnectAndDrop)
{
    SimulatorHarness line([](auto& o) {
        o.blockScript = { ScriptedReply::Eot, ScriptedReply::Drop, ScriptedReply::None };
    });
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kHangUp);
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), "\r\nNO CARRIER\r\n");
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock, 60000ms), "");
    EXPECT_TRUE(line.simulator().carrierUp());
}

TEST(TapSession, IdleLineIsClosedByTheTerminalOnlyWhenATimeOutIsSet)
{
    SimulatorHarness line([](auto& o) { o.idleTimeout = 4000ms; });
    line.logOn(); // the go-ahead went out 160 ms ago
    EXPECT_EQ(line.pass(3000ms), "");
    // Traffic, even a lone CR the terminal ignores, starts the wait again.
    EXPECT_EQ(line.send("\r", 3999ms), "");
    EXPECT_EQ(line.pass(1000ms), "501 Time-out waiting for input\r" + kHangUp);

    SimulatorHarness patient;
    patient.logOn();
    EXPECT_EQ(patient.pass(600000ms), "");
    EXPECT_TRUE(patient.simulator().carrierUp());
}

TEST(TapLogOn, PasswordIsCheckedAndThirdBadLogOnDisconnects)
{
    SimulatorHarness line([](auto& o) { o.password = "SECRET"; });
    EXPECT_EQ(line.connect(), "ID=");
    const std::string refused = "509 Invalid logon, invalid password\r";
    EXPECT_EQ(line.send("\x1bPG1\r"), refused + kNak);
    EXPECT_EQ(line.send("\x1bPG1secret\r"), refused + kNak);
    EXPECT_EQ(line.send("\x1bPG1WRONG\r"), refused + kHangUp);

    line.connect();
    EXPECT_EQ(line.send("\x1bPG1SECRET\r"), kGoAhead);
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.simulator().pages().at(0).password, "SECRET");

    // Without a configured password any is accepted and recorded.
    SimulatorHarness open;
    open.logOn("\x1bPG1abc\r");
    open.send(kSampleBlock);
    EXPECT_EQ(open.simulator().pages().at(0).password, "abc");
}

TEST(TapLogOn, MalformedAndUnsupportedLogOnsAreRefused)
{
    SimulatorHarness line;
    line.connect();
    EXPECT_EQ(line.send("\x1bP\r"), "507 Invalid logon, badly formed\r" + kNak);
    EXPECT_EQ(line.send("\x1bPG3\r"), "508 Invalid logon, service not supported\r" + kNak);
}

TEST(TapLogOn, LogOnScriptCanRefuseThenAccept)
{
    SimulatorHarness line([](auto& o) {
        o.logonScript = { ScriptedReply::Nak, ScriptedReply::None, ScriptedReply::Auto };
    });
    line.connect();
    EXPECT_EQ(line.send("\x1bPG1\r"), kNak);
    EXPECT_EQ(line.send("\x1bPG1\r", 10000ms), "");
    EXPECT_EQ(line.send("\x1bPG1\r"), kGoAhead);
}

TEST(TapBlocks, PageOverSeveralBlocksIsReassembled)
{
    SimulatorHarness line;
    line.logOn();
    // ETB: the block ends with a complete field.
    EXPECT_EQ(line.send(kStx + "5550142\r\x17" + "18<\r"), "\x06\r");
    EXPECT_EQ(line.send(kStx + "Hello world\r" + kEtx + "44>\r"), kAccepted);
    // US: the message field goes on in the next block.
    EXPECT_EQ(line.send(kStx + "5550142\rHello \x1f" + "3:8\r"), "\x06\r");
    EXPECT_EQ(line.send(kStx + "world\r" + kEtx + "23:\r"), kAccepted);
    ASSERT_EQ(line.simulator().pages().size(), 2u);
    for (const auto& page : line.simulator().pages()) {
        EXPECT_EQ(page.pagerId, "5550142");
        EXPECT_EQ(page.message, "Hello world");
        EXPECT_EQ(page.checksumOk, true);
    }
}

TEST(TapBlocks, MalformedOrOverlongTransactionsAreRefused)
{
    SimulatorHarness line;
    line.logOn();
    // 7 + CR + 241 + CR = 250 data characters is the most a block may hold.
    EXPECT_EQ(line.send(kStx + "5550142\r" + std::string(241, 'x') + "\r" + kEtx + "27=\r"), kAccepted);
    EXPECT_EQ(line.send(kStx + "5550142\r" + std::string(242, 'x') + "\r" + kEtx + "2?5\r"),
        "517 Message too long, rejected\r\x1e\r");
    // However long, a block that ends is judged as a block, with one answer.
    EXPECT_EQ(line.send(kStx + "5550142\r" + std::string(600, 'x') + "\r" + kEtx + ":<5\r"),
        "517 Message too long, rejected\r\x1e\r");
    // A third field, a message not ended by CR, an empty pager ID.
    EXPECT_EQ(line.send(kStx + "5550142\rabc\rextra\r" + kEtx + "4=<\r"), "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send(kStx + "5550142\rabc" + kEtx + "29>\r"), "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send(kStx + "\rabc\r" + kEtx + "145\r"), "510 Illegal pager ID\r\x1e\r");
    // A third field is refused in the block that starts it, even when the transaction is to go on.
    EXPECT_EQ(line.send(kStx + "5550142\rabc\rextra\r\x17" + "4?0\r"), "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send(kStx + "5550142\rabc\rext\x1f" + "418\r"), "515 Message format error\r\x1e\r");
    EXPECT_EQ(line.send(kStx + "abc\rdef\r" + kEtx + "274\r"), kAccepted);
    ASSERT_EQ(line.simulator().pages().size(), 2u);
    EXPECT_EQ(line.simulator().pages()[1].pagerId, "abc");
}

TEST(TapBlocks, TransparencyIsUndone)
{
    SimulatorHarness line;
    line.logOn();
    EXPECT_EQ(line.send(kStx + "5550142\rline\x1aJtwo\r" + kEtx + "4>;\r"), kAccepted);
    EXPECT_EQ(line.simulator().pages().at(0).message, "line\ntwo");
}

TEST(TapBlocks, ReplyDelayHoldsTheAnswerBack)
{
    SimulatorHarness line([](auto& o) { o.blockReplyDelay = 500ms; });
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock, 539ms), "");
    EXPECT_EQ(line.pass(1ms), kAccepted);
}

TEST(TapBlocks, CarrierDropsOnceAfterTheGivenNumberOfBlocks)
{
    SimulatorHarness line([](auto& o) { o.dropAfterBlocks = 1; });
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kAccepted + "\r\nNO CARRIER\r\n");
    line.logOn();
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_EQ(line.send(kSampleBlock), kAccepted);
    EXPECT_TRUE(line.simulator().carrierUp());

    SimulatorHarness early([](auto& o) { o.dropAfterBlocks = 0; });
    early.connect();
    EXPECT_EQ(early.send("\x1bPG1\r"), kGoAhead + "\r\nNO CARRIER\r\n");
}

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
