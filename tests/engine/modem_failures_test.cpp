#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;

namespace {

// The modem's answer to the initialisation string and to the dial line; an empty answer is silence.
struct ModemFailure {
    const char* name;
    const char* why; // the connection log's "Call failed: " line
    int openError; // 0: the port opens
    std::string toInit;
    std::string toDial;
    int dialAnswerMs;
    std::string box;
    std::string status; // the last status shown; a call that ended early always ends with a red lamp
    bool hangUpLine;
    bool windowHidden;
    int beeps;
    std::int16_t retryAttempts = 0;
    int settingsError = 0; // the line refuses the company's settings text
};

const std::string kOk = "\r\nOK\r\n";
const std::string kBusy = "\r\nBUSY\r\n";

std::vector<ModemFailure> modemFailures()
{
    const std::string busyBox = "PHONE NUMBER IS BUSY... PLEASE TRY AGAIN";
    // Where the failure has no status of its own, the last one must not read as work still under way.
    const std::string notSent = "Page(s) Were Not Sent";
    return {
        { "PortNotAvailable", "the modem's port is not available", 8002, "", "", 0,
            "COMM1: not available. Change the CommPort property to another port.", notSent, false, false, 0 },
        { "ModemSaysError", "the modem did not get ready", 0, "\r\nERROR\r\n", "", 0,
            "Error occured while initializing your modem check initilizing string in modem setup", "MODEM ERROR...",
            false, false, 1 },
        { "ModemSaysNoCarrier", "no carrier", 0, "\r\nNO CARRIER\r\n", "", 0, "Phone is off the hook", "NO CARRIER...",
            false, false, 1 },
        { "ModemNeverAnswers", "the modem did not get ready", 0, "", "", 0,
            "Modem Did not Initialize properly. Check Phone Line, Modem Setup and make sure the comm port is not being "
            "used.",
            "Modem Initialization Error", true, true, 0 },
        { "CarrierDropsWhileDialling", "no carrier", 0, kOk, "\r\nNO CARRIER\r\n", 3000, "Carrier was droped",
            "Carrier was droped Message was not sent...", false, false, 1 },
        { "NoDialTone", "no dial tone", 0, kOk, "\r\nNO DIAL TONE\r\n", 2000, "NO DIAL TONE...", "Dissconnected", true,
            true, 0 },
        { "BusyWithNoRetries", "the line was busy after every redial", 0, kOk, kBusy, 2000, busyBox, notSent, true,
            false, 0 },
        // A negative count read from the file must not redial for ever.
        { "BusyWithNegativeRetries", "the line was busy after every redial", 0, kOk, kBusy, 2000, busyBox, notSent,
            true, false, 0, -1 },
        { "NobodyAnswers", "nobody answered at the paging company", 0, kOk, "", 0,
            "THE PHONE WAS UN-ANSWERED AT PAGEING COMPANY... PLEASE TRY AGAIN", "Dissconnected", true, false, 0 },
        { "SettingsRejected", "the modem's port is not available", 0, "", "", 0,
            "COMM1: not available. Change the CommPort property to another port.", notSent, false, false, 0, 0, 8007 },
    };
}

using ModemLinkFailures = PacedTable<ModemFailure>;

} // namespace

TEST_P(ModemLinkFailures, EndTheCallAsTheFailureTableSays)
{
    const ModemFailure& failure = row();
    data.config.RetryAttempts = failure.retryAttempts;
    data.write();
    if (failure.openError != 0)
        line.failNext(ScriptedLine::Op::Open, failure.openError);
    if (failure.settingsError != 0)
        line.failNext(ScriptedLine::Op::SetSettings, failure.settingsError);
    if (!failure.toInit.empty())
        line.whenWriteIs("ATZ\r", failure.toInit, 100);
    if (!failure.toDial.empty())
        line.whenWriteContains("ATD", failure.toDial, failure.dialAnswerMs);
    callOnePage();

    EXPECT_EQ(view.boxes, std::vector<std::string> { failure.box });
    EXPECT_EQ(view.lastStatus(), failure.status);
    EXPECT_EQ(std::count(view.lamps.begin(), view.lamps.end(), Lamp::Red), 1);
    EXPECT_EQ(view.lastLamp(), Lamp::Red);
    EXPECT_EQ(hangUpLines(), failure.hangUpLine ? 1 : 0);
    EXPECT_EQ(view.hides, failure.windowHidden ? 1 : 0);
    EXPECT_EQ(view.beeps, failure.beeps);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(blocksWritten(), 0);
    EXPECT_TRUE(data.log().empty());
    EXPECT_EQ(state.sentCount, 0);
    EXPECT_EQ(state.queueCursor, 0);
    EXPECT_EQ(view.callsEnded, 1);
    EXPECT_FALSE(call.callInProgress());
    EXPECT_TRUE(state.lastCallFailed);
    EXPECT_TRUE(logged(std::string("Call failed: ") + failure.why));
    EXPECT_EQ(state.lastCallEnd.words(), std::string("Call failed: ") + failure.why) << "kept for the pages left";
}

INSTANTIATE_TEST_SUITE_P(EveryRow, ModemLinkFailures, underBothPacings(modemFailures()), pacedRowName);

using ModemLinkWaits = PacedCallFixture;

TEST_P(ModemLinkWaits, TheModemHas51RoundsOf250MsToAnswer)
{
    callOnePage();
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("ATZ\r"), 51 * 250);
    // Every standard round logs what has been received, even nothing; a prompt poll only what arrived.
    EXPECT_EQ(view.countLogLines(""), prompt() ? 0 : 51);
}

TEST_P(ModemLinkWaits, AnOkInTheModemsLastRoundStillCounts)
{
    line.whenWriteIs("ATZ\r", kOk, 50 * 250);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_P(ModemLinkWaits, TheConnectionIsAwaited150Rounds)
{
    line.whenWriteIs("ATZ\r", kOk, 100);
    callOnePage();
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("ATDT5550142\r"), 150 * 250);
    EXPECT_TRUE(logged("Waiting for CONNECT"));
}

TEST_P(ModemLinkWaits, ABusyNumberIsRedialledRetryAttemptsTimesThenGivenUp)
{
    data.config.RetryAttempts = 2;
    data.write();
    line.whenWriteContains("ATD", kBusy, 2000);
    callOnePageWithHappyTerminal();

    EXPECT_EQ(line.countWritesEqualTo("ATDT5550142\r"), 3);
    EXPECT_EQ(line.opens().size(), 3u);
    EXPECT_EQ(line.closes().size(), 3u);
    EXPECT_EQ(hangUpLines(), 3);
    EXPECT_EQ(view.boxes, std::vector<std::string> { "PHONE NUMBER IS BUSY... PLEASE TRY AGAIN" });
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), "BUSY... Retring"), 3);
    // Each redial starts from opening the port: the settle and the modem's initialisation again.
    EXPECT_EQ(line.countWritesEqualTo("ATZ\r"), 3);
    EXPECT_EQ(view.countLogLines("Opening Comm Port:  1"), 3);
}

TEST_P(ModemLinkWaits, ABusyNumberThatAnswersOnTheRedialIsPaged)
{
    data.config.RetryAttempts = 2;
    data.write();
    line.whenWriteContains("ATD", kBusy, 2000, 1);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo("ATDT5550142\r"), 2);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

INSTANTIATE_TEST_SUITE_P(BothPacings, ModemLinkWaits, ::testing::ValuesIn(kBothPacings), pacingTestName);
