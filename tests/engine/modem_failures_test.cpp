#include "call_fixture.h"

#include <functional>

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;

namespace {

struct ModemFailure {
    const char* name;
    std::function<void(ScriptedLine&)> script;
    std::string box;
    std::string status; // the last status shown
    bool lampRed;
    bool hangUpLine;
    bool windowHidden;
    int beeps;
};

const std::string kOk = "\r\nOK\r\n";

std::vector<ModemFailure> modemFailures()
{
    return {
        { "PortNotAvailable", [](ScriptedLine& l) { l.failNext(ScriptedLine::Op::Open, 8002); },
            "COMM1: not available. Change the CommPort property to another port.", "Preparing Page...", false, false,
            false, 0 },
        { "ModemSaysError", [](ScriptedLine& l) { l.whenWriteIs("ATZ\r", "\r\nERROR\r\n", 100); },
            "Error occured while initializing your modem check initilizing string in modem setup", "MODEM ERROR...",
            false, false, false, 1 },
        { "ModemSaysNoCarrier", [](ScriptedLine& l) { l.whenWriteIs("ATZ\r", "\r\nNO CARRIER\r\n", 100); },
            "Phone is off the hook", "NO CARRIER...", false, false, false, 1 },
        { "ModemNeverAnswers", [](ScriptedLine&) {},
            "Modem Did not Initialize properly. Check Phone Line, Modem Setup and make sure the comm port is not being "
            "used.",
            "Modem Initialization Error", true, true, true, 0 },
        { "CarrierDropsWhileDialling",
            [](ScriptedLine& l) {
                l.whenWriteIs("ATZ\r", kOk, 100).whenWriteContains("ATD", "\r\nNO CARRIER\r\n", 3000);
            },
            "Carrier was droped", "Carrier was droped Message was not sent...", false, false, false, 1 },
        { "NoDialTone",
            [](ScriptedLine& l) {
                l.whenWriteIs("ATZ\r", kOk, 100).whenWriteContains("ATD", "\r\nNO DIAL TONE\r\n", 2000);
            },
            "NO DIAL TONE...", "Dissconnected", true, true, true, 0 },
        { "BusyWithNoRetries",
            [](ScriptedLine& l) { l.whenWriteIs("ATZ\r", kOk, 100).whenWriteContains("ATD", "\r\nBUSY\r\n", 2000); },
            "PHONE NUMBER IS BUSY... PLEASE TRY AGAIN", "BUSY... Retring", false, true, false, 0 },
        { "NobodyAnswers", [](ScriptedLine& l) { l.whenWriteIs("ATZ\r", kOk, 100); },
            "THE PHONE WAS UN-ANSWERED AT PAGEING COMPANY... PLEASE TRY AGAIN", "Dissconnected", true, true, false, 0 },
    };
}

class ModemLinkFailures : public CallFixture, public ::testing::WithParamInterface<ModemFailure> { };

} // namespace

TEST_P(ModemLinkFailures, EndTheCallAsTheFailureTableSays)
{
    const ModemFailure& failure = GetParam();
    data.config.RetryAttempts = 0;
    data.write();
    failure.script(line);
    queuePage("abc");
    run();

    EXPECT_EQ(view.boxes, std::vector<std::string> { failure.box });
    EXPECT_EQ(view.lastStatus(), failure.status);
    EXPECT_EQ(lampWas(Lamp::Red), failure.lampRed);
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
}

INSTANTIATE_TEST_SUITE_P(EveryRow, ModemLinkFailures, ::testing::ValuesIn(modemFailures()),
    [](const auto& param) { return std::string(param.param.name); });

using ModemLinkWaits = CallFixture;

TEST_F(ModemLinkWaits, TheModemHas51RoundsOf250MsToAnswer)
{
    queuePage("abc");
    run();
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("ATZ\r"), 51 * 250);
    // Every round logs what has been received, even nothing.
    EXPECT_EQ(view.countLogLines(""), 51);
}

TEST_F(ModemLinkWaits, AnOkInTheModemsLastRoundStillCounts)
{
    line.whenWriteIs("ATZ\r", "\r\nOK\r\n", 50 * 250);
    addHappyTerminal(line);
    queuePage("abc");
    run();
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_F(ModemLinkWaits, TheConnectionIsAwaited150Rounds)
{
    line.whenWriteIs("ATZ\r", "\r\nOK\r\n", 100);
    queuePage("abc");
    run();
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("ATDT5550142\r"), 150 * 250);
    EXPECT_TRUE(logged("Waiting for CONNECT"));
}

TEST_F(ModemLinkWaits, ABusyNumberIsRedialledRetryAttemptsTimesThenGivenUp)
{
    data.config.RetryAttempts = 2;
    data.write();
    line.whenWriteContains("ATD", "\r\nBUSY\r\n", 2000);
    addHappyTerminal(line);
    queuePage("abc");
    run();

    EXPECT_EQ(line.countWritesEqualTo("ATDT5550142\r"), 3);
    EXPECT_EQ(line.opens().size(), 3u);
    EXPECT_EQ(line.closes().size(), 3u);
    EXPECT_EQ(hangUpLines(), 3);
    EXPECT_EQ(view.boxes, std::vector<std::string> { "PHONE NUMBER IS BUSY... PLEASE TRY AGAIN" });
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), "BUSY... Retring"), 3);
    // Each redial starts from opening the port: the 4-second pause and the modem's initialisation again.
    EXPECT_EQ(line.countWritesEqualTo("ATZ\r"), 3);
    EXPECT_EQ(view.countLogLines("Opening Comm Port:  1"), 3);
}

TEST_F(ModemLinkWaits, ABusyNumberThatAnswersOnTheRedialIsPaged)
{
    data.config.RetryAttempts = 2;
    data.write();
    line.whenWriteContains("ATD", "\r\nBUSY\r\n", 2000, 1);
    addHappyTerminal(line);
    queuePage("abc");
    run();
    EXPECT_EQ(line.countWritesEqualTo("ATDT5550142\r"), 2);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_F(ModemLinkWaits, ANegativeRetryAttemptsGivesUpAtTheFirstBusyInsteadOfRediallingForEver)
{
    data.config.RetryAttempts = -1;
    data.write();
    line.whenWriteIs("ATZ\r", "\r\nOK\r\n", 100).whenWriteContains("ATD", "\r\nBUSY\r\n", 2000);
    queuePage("abc");
    run();
    EXPECT_EQ(line.countWritesEqualTo("ATDT5550142\r"), 1);
    EXPECT_EQ(view.boxes, std::vector<std::string> { "PHONE NUMBER IS BUSY... PLEASE TRY AGAIN" });
}

TEST_F(ModemLinkWaits, ASettingsTextTheLineRejectsIsReportedAsPortNotAvailable)
{
    line.failNext(ScriptedLine::Op::SetSettings, 8007);
    data.config.CommPort = "COMM2";
    data.write();
    queuePage("abc");
    run();
    EXPECT_EQ(
        view.boxes, std::vector<std::string> { "COMM2: not available. Change the CommPort property to another port." });
    EXPECT_TRUE(line.opens().empty());
    EXPECT_EQ(view.callsEnded, 1);
}
