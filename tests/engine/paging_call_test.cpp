#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;

namespace {

const std::vector<std::string> kHappyWrites {
    "ATZ\r",
    "ATDT5550142\r",
    "\r",
    "\x1bPG1\r",
    "\x02"
    "5550142\rabc\r\x03"
    "2:;\r",
    "\x04\r",
    "+++",
    "+++ATH\r",
};

} // namespace

using StandardPacing = CallFixture;

TEST_F(StandardPacing, OnePageGoesOutExactlyAsOnTheWireWithThePrescribedPauses)
{
    callOnePageWithHappyTerminal();

    EXPECT_EQ(line.writtenTexts(), kHappyWrites);
    ASSERT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(line.opens()[0].port, 1);
    EXPECT_EQ(line.opens()[0].settings, "9600,N,7,1");
    EXPECT_FALSE(line.isOpen());
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.shows, 0); // "Show View Connection Window" is off

    EXPECT_EQ(view.statuses,
        (std::vector<std::string> { "Preparing Page...", "Initializing Modem...", "Modem Says OK...",
            "Dialing...Ravenpage                ", "Connected...", "Loging into Pager Company",
            "Waiting for ok to send data", "Sending Data...", "Waiting Acknowledgment..", "Page Was Sent",
            "( 1) Page(s) Were Sent" }));
    EXPECT_EQ(view.lamps, (std::vector<Lamp> { Lamp::Yellow, Lamp::Green }));
    // Each round logs what arrived in it: the CONNECT still in the buffer is not logged again.
    EXPECT_EQ(view.logLines,
        (std::vector<std::string> { "Pacing: standard (fixed pauses)", "Preparing Page...", "Page Ready...",
            "Opening Comm Port:  1", "9600,N,7,1", "Initializing Modem...", "ATZ", "", "\r\nOK\r\n", "Got OK",
            "Dialing Number...", "ATDT5550142", "Waiting for CONNECT", "Got Connect",
            "Waiting for ID=", "ID=", "Got ID=", "Sending Auto Code <ESC>PG1", "Waiting for Ok to send message [p",
            "\x06\r\x1b[p\r", "Got [p ", "Preparing Message...", "Sending Pin# 5550142", "Sending Message: abc",
            "Waiting for Acknowledgment", "\x06\r", "Message Sent...", "Dana Whitlow: Delivered", "Updating Log File",
            "Sending EOT and Checking for Errors", "\x1b\x04\r", "Paging company hanging up" }));

    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("PAGE SENT: ", "abc") });
    EXPECT_EQ(state.sentCount, 1);
    EXPECT_EQ(state.queueCursor, 1);
    EXPECT_EQ(state.runPageCounter, 1);
    EXPECT_EQ(view.callsEnded, 1);
    EXPECT_FALSE(call.callInProgress());

    // 500 start-up, 250 after opening, 4000 before the modem, one 250 round for OK, the CONNECT after
    // 1000 ms (four rounds), one 1500 log-on round, one 250 go-ahead round.
    EXPECT_EQ(pacer.yieldingPauses(), std::vector<int> { 500 });
    EXPECT_EQ(timeOfWrite("ATZ\r"), 4750);
    EXPECT_EQ(timeOfWrite("ATDT5550142\r"), 5000);
    EXPECT_EQ(timeOfWrite("\x1bPG1\r"), 7500);
    EXPECT_EQ(line.writes()[4].atMs, 7750);
    // Hanging up: +++, a second, the hang-up line, a second.
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("+++"), 1000);
}

using DeliveringPages = PacedCallFixture;

TEST_P(DeliveringPages, EitherPacingWritesTheSameBytes)
{
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.writtenTexts(), kHappyWrites);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(DeliveringPages, DataFileFieldsShapeWhatGoesOnTheLine)
{
    addHappyTerminal(line);
    // Of two companies with one name the later is used, with its trimmed password.
    auto later = DataFolderFixture::alphaCompany("Ravenpage", "5550999");
    later.Password = "SECRET      ";
    data.terminals.push_back(later);
    data.advanced.ModemString9600 = "AT&F&C1&D2";
    data.config.DialPrefix = "*70,";
    data.config.DialMethod = 2;
    data.config.CommPort = "COMM3";
    data.settings.MessagePrefix = "From desk: ";
    data.settings.MessageSuffix = " -end   ";
    data.settings.ShowConnectionWindow = store::kYes;
    data.write();
    queuePage("call me");
    run();

    const auto writes = line.writtenTexts();
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ(writes[0], "AT&F&C1&D2\r");
    EXPECT_EQ(writes[1], "ATDP*70,5550999\r");
    EXPECT_EQ(writes[3], "\x1bPG1SECRET\r");
    EXPECT_EQ(line.opens()[0].port, 3);
    for (const char* text : { "AT&F&C1&D2", "Opening Comm Port:  3", "Sending Auto Code <ESC>PG1 & PASSWORD",
             "Sending Message: From desk:call me -end" })
        EXPECT_TRUE(logged(text)) << text;
    EXPECT_EQ(view.shows, 1);
    // The log keeps the message column as queued.
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("PAGE SENT: ", "call me") });
}

TEST_P(DeliveringPages, IdSplitOverTwoReadsIsStillFound)
{
    line.whenWriteIs("\r", "I", 50, 1).whenWriteIs("\r", "D=", 50, 1);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo("\r"), 2);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(DeliveringPages, ATerminalThatAnswersIdOnlyOnTheThirdCrIsLoggedOnto)
{
    line.whenWriteIs("\r", "", 50, 2);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo("\r"), 3);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    // Standard pacing sees it once the third round's 1.5 s are over; prompt pacing within a poll.
    EXPECT_EQ(timeOfWrite("\x1bPG1\r") - timeOfWrite("\r"), prompt() ? 2 * 1500 + 50 : 3 * 1500);
}

TEST_P(DeliveringPages, AMessageThatDoesNotFitBesideThePrefixAndSuffixIsWarnedAndCut)
{
    addHappyTerminal(line);
    data.terminals[0].MaxChars = 20;
    data.settings.MessagePrefix = "Desk:";
    data.settings.MessageSuffix = "!";
    data.write();
    // 19 characters fit the company's 20 alone, not with the 6 every page carries.
    queuePage("abcdefghijklmnopqrs");
    run();
    EXPECT_EQ(view.boxes,
        std::vector<std::string> { "Warning.. The message is longer than the paging company "
                                   "will accept... The whole message will not be sent." });
    EXPECT_TRUE(logged("Sending Message: Desk:abcdefghijklmn!"));
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(DeliveringPages, AMissingCompanyIsReportedWithoutDialling)
{
    queuePage("abc", DataFolderFixture::user("Ezra Quill", "5550177", "Gone Paging"));
    run();
    EXPECT_EQ(view.boxes,
        std::vector<std::string> {
            "Warning.. The Users' Paging company had been deleted.. Please Check Users' Settings" });
    EXPECT_TRUE(line.opens().empty());
    EXPECT_TRUE(line.writes().empty());
    EXPECT_EQ(view.callsEnded, 1);
}

TEST_P(DeliveringPages, APortAlreadyOpenIsForcedDownFirstAndTheCallStillRuns)
{
    line.whenWriteIs("AT&D2\r", "\r\nOK\r\n", 100, 1);
    addHappyTerminal(line);
    line.open();
    callOnePage();
    EXPECT_EQ(view.statuses[0], "Trying to Hangup Modem");
    EXPECT_EQ(line.opens().size(), 2u);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    EXPECT_FALSE(state.cancelRequest);
}

TEST_P(DeliveringPages, ASecondSendWhileACallRunsIsRefusedAndThePortShowsOpen)
{
    addHappyTerminal(line);
    queuePage("abc");
    bool sawOpen = false;
    bool triedAgain = false;
    view.onStatus = [&](const std::string& text) {
        if (text == "Sending Data..." && !triedAgain) {
            triedAgain = true;
            sawOpen = call.portOpen() && call.callInProgress();
            call.pageThePeople(1, 0);
        }
    };
    run();
    EXPECT_TRUE(sawOpen);
    EXPECT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(view.callsEnded, 1);
    EXPECT_FALSE(call.portOpen());
}

INSTANTIATE_TEST_SUITE_P(BothPacings, DeliveringPages, ::testing::ValuesIn(kBothPacings), pacingTestName);
