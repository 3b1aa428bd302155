#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;
namespace wire = testkit::wire;

namespace {

// A block's bytes as they must appear on the wire, with the checksum worked out by hand in each test.
std::string block(const std::string& pagerId, const std::string& message, const std::string& checksum)
{
    return "\x02" + pagerId + "\r" + message + "\r\x03" + checksum + "\r";
}

} // namespace

class TapExchanges : public PacedCallFixture {
protected:
    void SetUp() override
    {
        data.users = { DataFolderFixture::user("Dana Whitlow", "1234567890", "Ravenpage") };
        data.terminals[0].MaxChars = 300;
        data.write();
        state.messageLimit = 300;
    }
};

TEST_P(TapExchanges, ALongMessageGoesInPiecesOf250MinusThePagerIdAndCountsOnce)
{
    addHappyTerminal(line);
    const std::string message = std::string(240, 'a') + std::string(60, 'b');
    queuePage(message);
    run();

    ASSERT_EQ(blocksWritten(), 2);
    EXPECT_TRUE(logged("Sending Message: " + std::string(240, 'a')));
    EXPECT_TRUE(logged("Sending Message: " + std::string(60, 'b')));
    EXPECT_EQ(line.writes()[4].bytes.size(), 1u + 10 + 1 + 240 + 1 + 1 + 3 + 1);
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("PAGE SENT: ", message, 300) });
    EXPECT_EQ(state.sentCount, 1);
    EXPECT_EQ(state.runPageCounter, 1);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(TapExchanges, ARunOfThreeIsOneCallWhereANakLogsItsPageAsAnErrorAndTheNextPageFollows)
{
    // Second block of the call refused with NAK; it is not sent again.
    line.whenWriteContains("\x02", wire::kAck, 50, 1).whenWriteContains("\x02", wire::kNak, 50, 1);
    addHappyTerminal(line);
    line.setWriteHook([this](std::string_view bytes) {
        if (bytes.starts_with('\x02'))
            queue.marks.push_back("block");
    });
    queueThree();
    run(3);
    // Each page is marked leaving before its block goes out and answered after it (and its log line).
    EXPECT_EQ(queue.marks,
        (std::vector<std::string> { "leaving 0", "block", "answered 0 delivered", "leaving 1", "block",
            "answered 1 refused", "leaving 2", "block", "answered 2 delivered" }));

    EXPECT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(line.countWritesContaining("\x1bPG1"), 1);
    EXPECT_EQ(blocksWritten(), 3);
    EXPECT_EQ(line.writes()[5].bytes, block("77", "x", "105"));
    const auto log = data.log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].substr(0, 36), "PAGE SENT: Dana Whitlow             ");
    EXPECT_EQ(log[1].substr(0, 36), "ERROR FOR: Ezra Quill               ");
    EXPECT_EQ(log[2].substr(0, 36), "PAGE SENT: Mina Sol                 ");
    EXPECT_TRUE(logged("Checksum or Transmission error"));
    EXPECT_EQ(view.lastStatus(), "( 2) Page(s) Were Sent");
    EXPECT_EQ(state.queueCursor, 3);
}

TEST_P(TapExchanges, RsThenAckIsLoggedAsAnErrorButCountedAndEachReplyIsSaidInWords)
{
    line.whenWriteContains("\x02", "512 Try later\r" + wire::kRs, 50, 1)
        .whenWriteContains("\x02", "211 Page sent\r" + wire::kAck, 50, 1);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo(block("1234567890", "abc", "352")), 2);
    EXPECT_TRUE(logged("Resending Message..."));
    EXPECT_TRUE(logged("Dana Whitlow: Refused for now: 512 Try later"));
    EXPECT_TRUE(logged("Dana Whitlow: Delivered: 211 Page sent"));
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", "abc", 300) });
    EXPECT_EQ(state.sentCount, 1);
    EXPECT_EQ(state.runPageCounter, 1);
    // Delivered at last: never taken for refused and tried again.
    EXPECT_EQ(queue.marks.back(), "answered 0 delivered");
}

TEST_P(TapExchanges, AnAckBesideAFailureCodeIsARefusal)
{
    line.whenWriteContains("\x02", "516 Quota exceeded\r" + wire::kAck, 50, 1);
    callOnePageWithHappyTerminal();
    EXPECT_TRUE(logged("Dana Whitlow: Refused for now: 516 Quota exceeded"));
    EXPECT_EQ(queue.outcomes,
        (std::vector<engine::PageOutcome> { { engine::OutcomeClass::RefusedForNow, "516", "Quota exceeded" } }));
    EXPECT_FALSE(logged("Message Sent..."));
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", "abc", 300) });
    EXPECT_EQ(state.sentCount, 0);
}

TEST_P(TapExchanges, TwoRsRepliesSendThePageThreeTimesAndAThirdGivesUp)
{
    line.whenWriteContains("\x02", "\r\n517 Message too long, rejected\r" + wire::kRs, 50, 3);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(blocksWritten(), 3);
    EXPECT_EQ(view.countLogLines("Resending Message..."), 2);
    EXPECT_TRUE(logged("Invalid Pager or Transaction violates system rules"));
    EXPECT_TRUE(logged("Message Length may be too long for paging company"));
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", "abc", 300) });
    EXPECT_EQ(state.sentCount, 0);
    EXPECT_EQ(view.lastStatus(), "Error(s) Encounterd... See Log File!");
    EXPECT_EQ(view.lamps, (std::vector<Lamp> { Lamp::Yellow, Lamp::Red }));
    // The terminal's own words, for the run's last line in the connection log.
    EXPECT_EQ(state.refusedPages, std::vector<std::string> { "Dana Whitlow (517 Message too long, rejected)" });
}

TEST_P(TapExchanges, EscEotToABlockCountsAsAnErrorForThatPage)
{
    line.whenWriteContains("\x02", wire::kEscEot, 50, 1);
    callOnePageWithHappyTerminal();
    EXPECT_TRUE(logged("Paging company hanging up"));
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", "abc", 300) });
}

TEST_P(TapExchanges, AReplyCodeAloneAfterEotIsExplainedThreeTimes)
{
    line.whenWriteIs("\x04\r", "211", 50);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.countLogLines("211 Page(s) Sent Successfully\xA0"), 3);
    // Without the terminal's ESC EOT the goodbye never comes.
    EXPECT_EQ(view.boxes, std::vector<std::string> { "Modem Hang-up" });
}

TEST_P(TapExchanges, AReplyCodeWithMoreTextIsNotExplained)
{
    line.whenWriteIs("\x04\r", "211 OK\r\x1b\x04\r", 50);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.countLogLines("211 Page(s) Sent Successfully\xA0"), 0);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

// A 100-character pager ID leaves 150 characters a block: the prefix makes the 300 characters three pieces.
class ThreePieces : public TapExchanges {
protected:
    void sendThreePieces()
    {
        data.users = { DataFolderFixture::user("Dana Whitlow", std::string(100, '7'), "Ravenpage") };
        data.terminals[0].MaxChars = 305;
        data.settings.MessagePrefix = "Desk:";
        data.write();
        addHappyTerminal(line);
        queuePage(std::string(300, 'm'));
        run();
    }
};

TEST_P(ThreePieces, AnErrorCountOfExactlyTwoEndsThePageAndTheRefusalsNeverLowerTheSentCount)
{
    state.sentCount = 3; // acknowledged earlier in the run
    line.whenWriteContains("\x02", wire::kNak, 50, 2);
    sendThreePieces();
    EXPECT_EQ(blocksWritten(), 2);
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", std::string(300, 'm'), 300) });
    EXPECT_EQ(state.sentCount, 3);
    EXPECT_EQ(view.lastStatus(), "( 3) Page(s) Were Sent");
}

TEST_P(ThreePieces, AThirdErrorIsNotTwoSoTheLaterPiecesStillGo)
{
    // Two RS send the page again from its first piece; the third gives up on that piece alone.
    line.whenWriteContains("\x02", wire::kRs, 50, 3);
    sendThreePieces();
    EXPECT_EQ(blocksWritten(), 5);
    EXPECT_TRUE(logged("Sending Message: " + std::string(5, 'm')));
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("ERROR FOR: ", std::string(300, 'm'), 300) });
}

TEST_P(TapExchanges, ALongPageCountsOnlyWhenEveryPieceIsAcknowledged)
{
    line.whenWriteContains("\x02", wire::kAck, 50, 1).whenWriteContains("\x02", wire::kNak, 50, 1);
    addHappyTerminal(line);
    queuePage(std::string(300, 'm'));
    run();
    EXPECT_EQ(state.sentCount, 0);
    EXPECT_EQ(view.lastStatus(), "Error(s) Encounterd... See Log File!");
    EXPECT_EQ(view.lamps, (std::vector<Lamp> { Lamp::Yellow, Lamp::Red }));
    EXPECT_EQ(state.refusedPages, std::vector<std::string> { "Dana Whitlow (checksum or transmission error)" });
}

INSTANTIATE_TEST_SUITE_P(BothPacings, TapExchanges, ::testing::ValuesIn(kBothPacings), pacingTestName);
INSTANTIATE_TEST_SUITE_P(BothPacings, ThreePieces, ::testing::ValuesIn(kBothPacings), pacingTestName);
