#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;

class CancellingACall : public PacedCallFixture {
protected:
    void pressCancelWhenTheFirstBlockGoesOut()
    {
        line.setWriteHook([this](std::string_view bytes) {
            if (!bytes.empty() && bytes.front() == '\x02')
                call.cancel();
        });
    }
};

TEST_P(CancellingACall, WithPagesLeftAndYesDropsTheRestOfTheQueue)
{
    addHappyTerminal(line);
    queueThree();
    pressCancelWhenTheFirstBlockGoesOut();
    view.answers = { true };
    run(3);

    // How the call ends is the table below; here, what becomes of the pages left.
    ASSERT_FALSE(line.dtrChanges().empty());
    EXPECT_FALSE(line.dtrChanges().back());
    EXPECT_EQ(
        view.questions, std::vector<std::string> { "There are more pages the que, do you wish to cancel them all?" });
    EXPECT_EQ(queue.count(), 0);
    EXPECT_TRUE(data.log().empty()); // the page in hand is skipped, not logged
    EXPECT_EQ(blocksWritten(), 1);
}

TEST_P(CancellingACall, WithPagesLeftAndNoKeepsThemAfterTheSkippedPage)
{
    addHappyTerminal(line);
    queueThree();
    pressCancelWhenTheFirstBlockGoesOut();
    view.answers = { false };
    run(3);
    EXPECT_EQ(queue.count(), 3);
    EXPECT_EQ(state.queueCursor, 1);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.hides, 1); // the cancel command unloads the connection window
}

TEST_P(CancellingACall, AnEarlierCancelDoesNotStopTheNextCall)
{
    addHappyTerminal(line);
    queuePage("abc");
    call.cancel();
    run();
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(CancellingACall, AForcedHangUpDuringTheCallEndsItQuietly)
{
    addHappyTerminal(line);
    line.whenWriteIs("AT&D2\r", "\r\nOK\r\n", 100);
    queuePage("abc");
    bool forced = false;
    line.setWriteHook([&](std::string_view bytes) {
        if (!forced && !bytes.empty() && bytes.front() == '\x02') {
            forced = true;
            call.forceHangUp();
        }
    });
    run();
    // The call goes on to its next status, then finds the cancel request the hang-up set; with the port
    // already closed the cancel has nothing left to do.
    EXPECT_NE(view.indexOf("status: Force Hangup OK..."), -1);
    EXPECT_EQ(view.indexOf("status: Page Canceled"), -1);
    // The page did not go: the call's end says so.
    EXPECT_EQ(view.lastStatus(), "Page(s) Were Not Sent");
    EXPECT_EQ(view.lastLamp(), Lamp::Red);
    EXPECT_FALSE(line.isOpen());
    EXPECT_TRUE(data.log().empty());
    EXPECT_EQ(view.callsEnded, 1);
    EXPECT_FALSE(call.callInProgress());
}

INSTANTIATE_TEST_SUITE_P(BothPacings, CancellingACall, ::testing::ValuesIn(kBothPacings), pacingTestName);

namespace {

// Each wait of a one-page call, begun by a write that nothing answers, with cancel pressed as it goes out.
struct CancelPoint {
    const char* name;
    std::string waitingAfter; // how the write that begins the wait starts
    std::string neverWritten; // what the call would have written next
    std::size_t pagesLogged;
};

const std::string kBlock = "\x02"
                           "5550142\rabc\r\x03"
                           "2:;\r";

const std::vector<CancelPoint> kCancelPoints {
    { "WhileTheModemInitialises", "ATZ", "ATDT5550142\r", 0 },
    { "WhileDialling", "ATD", "\r", 0 },
    { "WhileWaitingForId", "\r", "\x1bPG1\r", 0 },
    { "WhileWaitingForTheGoAhead", "\x1bPG1", kBlock, 0 },
    { "WhileWaitingForTheAcknowledgment", "\x02", "\x04\r", 0 },
    { "WhileWaitingForTheGoodbye", "\x04", "+++ATH\r", 1 },
};

using CancellingWhileWaiting = PacedTable<CancelPoint>;

} // namespace

TEST_P(CancellingWhileWaiting, EndsTheCallWithinARoundAndAsksNothingOnTheLastPage)
{
    const auto beginsTheWait = [this](std::string_view bytes) { return bytes.starts_with(row().waitingAfter); };
    line.whenWrite(beginsTheWait, "");
    addHappyTerminal(line);
    long long pressedAt = -1;
    line.setWriteHook([&](std::string_view bytes) {
        if (pressedAt < 0 && beginsTheWait(bytes)) {
            pressedAt = clock.now();
            call.cancel();
        }
    });
    callOnePage();

    EXPECT_EQ(line.countWritesEqualTo(row().neverWritten), 0);
    EXPECT_TRUE(view.boxes.empty()); // no time-out ran out
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(view.lastStatus(), "Page Canceled");
    EXPECT_EQ(view.lastLamp(), Lamp::Red);
    const long long hungUpAt = timeOfWrite("+++\r");
    EXPECT_TRUE(hungUpAt >= pressedAt && hungUpAt <= pressedAt + 1500) << hungUpAt << " after " << pressedAt;
    EXPECT_EQ(line.writtenTexts().back(), "ATH0\r");
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(data.log().size(), row().pagesLogged);
    EXPECT_EQ(view.callsEnded, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryWait, CancellingWhileWaiting, underBothPacings(kCancelPoints), pacedRowName);

// A forced hang-up paces itself the same under either pacing.
class ForcingAHangUp : public CallFixture {
protected:
    void SetUp() override
    {
        data.config.CommPort = "COMM2";
        data.write();
    }
};

TEST_F(ForcingAHangUp, AModemThatSaysOkEndsItInTwoSecondsWithABlackLamp)
{
    line.whenWriteIs("AT&D2\r", "\r\nOK\r\n", 100);
    call.forceHangUp();

    ASSERT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(line.opens()[0].port, 2); // opened from CONFIG.DAT first
    EXPECT_EQ(line.writtenTexts(), (std::vector<std::string> { "+++\r", "AT&D2\r" }));
    EXPECT_EQ(clock.now(), 2000);
    EXPECT_EQ(view.statuses,
        (std::vector<std::string> {
            "Trying to Hangup Modem", "Trying to Hangup Modem", "Modem Says OK...", "Force Hangup OK..." }));
    EXPECT_EQ(view.lamps, std::vector<Lamp> { Lamp::Black });
    EXPECT_TRUE(logged("Got OK"));
    EXPECT_FALSE(line.isOpen());
    EXPECT_TRUE(state.cancelRequest);
    EXPECT_EQ(view.hides, 1);
    // DTR: raised on opening, dropped and raised again, dropped after AT&D2.
    EXPECT_EQ(line.dtrChanges(), (std::vector<bool> { true, false, true, false }));
}

TEST_F(ForcingAHangUp, NoCarrierEndsItTheSameWayAfterABeep)
{
    line.whenWriteIs("AT&D2\r", "\r\nNO CARRIER\r\n", 100);
    call.forceHangUp();
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.statuses[view.statuses.size() - 2], "NO CARRIER...");
    EXPECT_EQ(view.lastStatus(), "Force Hangup OK...");
    EXPECT_EQ(view.lastLamp(), Lamp::Black);
    EXPECT_FALSE(line.isOpen());
}

TEST_F(ForcingAHangUp, ErrorIsReportedAndStillEndsAsAHangUp)
{
    line.whenWriteIs("AT&D2\r", "\r\nERROR\r\n", 100);
    call.forceHangUp();
    EXPECT_EQ(view.boxes,
        std::vector<std::string> {
            "Error occured while initializing your modem check initilizing string in modem setup" });
    EXPECT_EQ(view.statuses[view.statuses.size() - 2], "MODEM ERROR...");
    EXPECT_EQ(view.lastStatus(), "Force Hangup OK...");
}

TEST_F(ForcingAHangUp, AModemThatNeverAnswersIsTriedThreeTimes)
{
    call.forceHangUp();
    EXPECT_EQ(line.countWritesEqualTo("+++\r"), 3);
    EXPECT_EQ(line.countWritesEqualTo("AT&D2\r"), 3);
    EXPECT_EQ(line.countWritesEqualTo("ATH0\r"), 3);
    EXPECT_EQ(line.writtenTexts().back(), "ATH\r");
    EXPECT_EQ(view.boxes, std::vector<std::string> { "Modem did not hang up please retry or power modem on/off" });
    EXPECT_EQ(view.lastStatus(), "");
    EXPECT_EQ(view.lastLamp(), Lamp::Red);
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(state.cancelRequest);
    EXPECT_EQ(clock.now(), 9000);
}

TEST_F(ForcingAHangUp, ALateAnswerIsFoundOnTheNextAttempt)
{
    line.whenWriteIs("AT&D2\r", "\r\nOK\r\n", 1500, 1);
    call.forceHangUp();
    EXPECT_EQ(line.countWritesEqualTo("AT&D2\r"), 2);
    EXPECT_EQ(line.countWritesEqualTo("ATH0\r"), 1);
    EXPECT_EQ(view.lastStatus(), "Force Hangup OK...");
}

TEST_F(ForcingAHangUp, APortHeldByAnotherProgramIsRefused)
{
    line.failNext(ScriptedLine::Op::Open, 8005);
    call.forceHangUp();
    EXPECT_EQ(view.boxes, std::vector<std::string> { "The modem is in use by another program" });
    EXPECT_TRUE(line.writes().empty());
    EXPECT_TRUE(view.lamps.empty());
    EXPECT_EQ(view.lastStatus(), "");
}

TEST_F(ForcingAHangUp, AnUnexpectedLineErrorIsReportedAndThePortLeftClosed)
{
    line.failNext(ScriptedLine::Op::Write, 8003);
    call.forceHangUp();
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0], "Error #  8003 was generated by Tolvane\rscripted failure 8003");
    EXPECT_EQ(view.boxTitles[0], "Error");
    EXPECT_FALSE(line.isOpen());
    // Nothing is left saying it is still trying.
    EXPECT_EQ(view.lastStatus(), "");
    EXPECT_EQ(view.lastLamp(), Lamp::Red);
}

TEST_F(ForcingAHangUp, ADeviceThatSaysItIsNotOpenStartsTheHangUpAgain)
{
    line.failNext(ScriptedLine::Op::Discard, 8012);
    line.whenWriteIs("AT&D2\r", "\r\nOK\r\n", 100);
    call.forceHangUp();
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), "Trying to Hangup Modem"), 3);
    EXPECT_EQ(view.lastStatus(), "Force Hangup OK...");
}
