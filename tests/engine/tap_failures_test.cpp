#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
namespace wire = testkit::wire;

namespace {

const std::string kNoCarrier = "\r\nNO CARRIER\r\n";
const std::string kBlock = "\x02"
                           "5550142\rabc\r\x03"
                           "2:;\r";

void modemConnects(ScriptedLine& l)
{
    l.whenWriteIs("ATZ\r", "\r\nOK\r\n", 100).whenWriteContains("ATD", "\r\nCONNECT 2400\r\n", 1000);
}

// The terminal's answer to each stage of the session; an empty answer is silence.
struct TapFailure {
    const char* name;
    std::string outcome; // the connection log's line for the page or the call
    std::string toCr, toLogOn, toBlock, toEot;
    std::vector<std::string> boxes;
    std::string status; // the last status shown
    std::vector<Lamp> lamps;
    int hangUpLines;
    int beeps;
    std::size_t pagesLogged;
    bool callFailed; // some page of the call was never answered
    std::string logLine = {}; // a line the connection log must hold
    std::string waitBegunBy = {}; // for a time-out: the write that began the wait, and its length
    long long waitMs = 0;
};

std::vector<TapFailure> tapFailures()
{
    // Every call that did not deliver its page ends red, and not on a status of work under way.
    const std::vector<Lamp> red { Lamp::Yellow, Lamp::Red };
    const std::string notSent = "Page(s) Were Not Sent";
    const std::vector<std::string> dropped { "Carrier was droped" };
    const std::string droppedStatus = "Carrier was droped Message was not sent...";
    const std::string id = "ID=";
    const std::string goAhead = wire::kAck + wire::kGoAhead;
    const std::string droppedLog = "Carrier was droped. Please try again.";
    // The terminal hung up after answering every page: a normal end, whatever it failed to say.
    const std::string noSignOff = "The terminal hung up without signing off; every page had its answer";
    const std::string sent = "( 1) Page(s) Were Sent";
    const std::vector<Lamp> green { Lamp::Yellow, Lamp::Green };
    const std::string lost = "Call failed: the carrier was lost before the terminal answered";
    const std::string refused = "Call failed: the terminal refused the log-on";
    const std::string delivered = "Dana Whitlow: Delivered";
    return {
        { "CarrierLostWaitingForId", lost, kNoCarrier, "", "", "", dropped, droppedStatus, red, 0, 1, 0, true,
            droppedLog },
        { "CarrierLostWaitingForGoAhead", lost, id, kNoCarrier, "", "", dropped, droppedStatus, red, 0, 1, 0, true,
            droppedLog },
        { "CarrierLostWaitingForAcknowledgment", "Dana Whitlow: " + lost, id, goAhead, kNoCarrier, "", dropped,
            droppedStatus, red, 0, 1, 0, true, droppedLog },
        // Lost in the same read as the go-ahead: no block is sent into a dead line.
        { "CarrierLostWithTheGoAhead", "Dana Whitlow: " + lost, id, goAhead + kNoCarrier, "", "", dropped,
            droppedStatus, red, 0, 1, 0, true, droppedLog },
        { "NeverGotId", "Call failed: the terminal never asked for the log-on (no ID=)", "", "", "", "",
            { "Never got ID+ PLEASE TRY AGAIN" }, "Error(s) Encounterd... See Log File!", red, 2, 0, 0, true },
        { "ThirdNakBeforeGoAhead", refused, id, wire::kNak, "", "", { "<NAK>Checksum or Transmission error" }, notSent,
            red, 0, 0, 0, true },
        { "WrongPassword", "Not sent, the paging company's set-up is wrong: 509 Invalid password", id,
            "509 Invalid password\r" + wire::kEscEot, "", "", { "<ESC><EOT>Paging company hanging up - ERROR" },
            notSent, red, 0, 0, 0, true },
        { "EscEotBeforeGoAhead", refused, id, wire::kEscEot, "", "", { "<ESC><EOT>Paging company hanging up - ERROR" },
            notSent, red, 0, 0, 0, true },
        { "NoGoAhead", "Call failed: the terminal never gave leave to send", id, wire::kAck, "", "",
            { "Paging Company never returned OK to send message. Please resend." }, "Modem Initialization Error", red,
            1, 0, 0, true },
        { "NoAcknowledgment", "Dana Whitlow: Refused for now: the terminal never answered the page", id, goAhead, "",
            "", { "Paging Company never returned Acknowledgment for sent message." }, "Modem Initialization Error", red,
            1, 0, 0, true, {}, kBlock, 1001 * 100 },
        // How long to wait for the goodbye is ours to choose: 50 rounds of 250 ms.
        { "NoDisconnectAfterEot", delivered, id, goAhead, wire::kAck, "", { "Modem Hang-up" }, "Modem Hangup Error",
            green, 1, 0, 1, false, {}, "\x04\r", 50 * 250 },
        { "CarrierLostAfterEot", delivered, id, goAhead, wire::kAck, kNoCarrier, {}, sent, green, 1, 0, 1, false,
            noSignOff },
        // Lost in the same read as the last acknowledgment, before the EOT went out.
        { "CarrierLostBeforeEot", delivered, id, goAhead, wire::kAck + kNoCarrier, "", {}, sent, green, 1, 0, 1, false,
            noSignOff },
    };
}

using TapSessionFailures = PacedTable<TapFailure>;

} // namespace

TEST_P(TapSessionFailures, EndTheCallAsTheFailureTableSays)
{
    const TapFailure& failure = row();
    modemConnects(line);
    if (!failure.toCr.empty())
        line.whenWriteIs("\r", failure.toCr, 50);
    if (!failure.toLogOn.empty())
        line.whenWriteContains("\x1bPG1", failure.toLogOn, 50);
    if (!failure.toBlock.empty())
        line.whenWriteContains("\x02", failure.toBlock, 50);
    if (!failure.toEot.empty())
        line.whenWriteIs("\x04\r", failure.toEot, 50);
    callOnePage();

    EXPECT_EQ(view.boxes, failure.boxes);
    EXPECT_EQ(view.lastStatus(), failure.status);
    EXPECT_EQ(view.lamps, failure.lamps);
    EXPECT_EQ(hangUpLines(), failure.hangUpLines);
    EXPECT_EQ(view.beeps, failure.beeps);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(data.log().size(), failure.pagesLogged);
    EXPECT_EQ(state.queueCursor, static_cast<std::int16_t>(failure.pagesLogged));
    EXPECT_EQ(view.callsEnded, 1);
    EXPECT_EQ(state.lastCallFailed, failure.callFailed);
    EXPECT_TRUE(logged(failure.outcome));
    if (!failure.logLine.empty()) {
        EXPECT_TRUE(logged(failure.logLine));
    }
    if (!failure.waitBegunBy.empty()) {
        EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite(failure.waitBegunBy), failure.waitMs);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRow, TapSessionFailures, underBothPacings(tapFailures()), pacedRowName);

class TapSessionWaits : public PacedCallFixture {
protected:
    void SetUp() override { modemConnects(line); }
    void usePassword()
    {
        data.terminals[0].Password = "OWL7";
        data.write();
    }
};

TEST_P(TapSessionWaits, IdIsAwaited75RoundsOfOneAndAHalfSecondsWithACrEachRound)
{
    callOnePage();
    EXPECT_EQ(line.countWritesEqualTo("\r"), 75);
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("\r"), 75 * 1500);
    // The time-out ends through the normal hang-up: +++, the hang-up line, the window hidden.
    EXPECT_EQ(line.countWritesEqualTo("+++"), 1);
    EXPECT_EQ(view.hides, 1);
    EXPECT_TRUE(logged("Waiting for ID="));
}

TEST_P(TapSessionWaits, GoAheadIsAwaited50RoundsWithAutomaticLogOnsThatNeverCarryThePassword)
{
    usePassword();
    line.whenWriteIs("\r", "ID=", 50).whenWriteContains("\x1bPG1", wire::kAck, 50);
    callOnePage();

    EXPECT_EQ(line.countWritesEqualTo("\x1bPG1OWL7\r"), 1);
    EXPECT_EQ(line.countWritesEqualTo("\x1bPG1\r"), 2);
    EXPECT_EQ(view.countLogLines("Sending Auto Code <ESC>PG1 AGAIN!"), 2);
    const long long logOn = timeOfWrite("\x1bPG1OWL7\r");
    EXPECT_EQ(timeOfWrite("\x1bPG1\r", 0) - logOn, 14 * 250);
    EXPECT_EQ(timeOfWrite("\x1bPG1\r", 1) - logOn, 29 * 250);
    EXPECT_EQ(timeOfWrite("+++ATH\r") - logOn, 50 * 250);
}

TEST_P(TapSessionWaits, TwoNaksToTheLogOnAreAnsweredWithoutThePasswordAndTheThirdEndsTheCall)
{
    usePassword();
    line.whenWriteIs("\r", "ID=", 50).whenWriteContains("\x1bPG1", wire::kNak, 50);
    callOnePage();
    EXPECT_EQ(line.countWritesEqualTo("\x1bPG1OWL7\r"), 1);
    EXPECT_EQ(line.countWritesEqualTo("\x1bPG1\r"), 2);
    EXPECT_EQ(view.countLogLines("Retransmitting..."), 2);
}

TEST_P(TapSessionWaits, ANakToTheLogOnThenTheGoAheadCarriesOn)
{
    line.whenWriteIs("\r", "ID=", 50)
        .whenWriteContains("\x1bPG1", wire::kNak, 50, 1)
        .whenWriteContains("\x1bPG1", wire::kAck + wire::kGoAhead, 50)
        .whenWriteContains("\x02", wire::kAck, 50)
        .whenWriteIs("\x04\r", wire::kEscEot, 50);
    callOnePage();
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    EXPECT_EQ(view.countLogLines("Retransmitting..."), 1);
}

INSTANTIATE_TEST_SUITE_P(BothPacings, TapSessionWaits, ::testing::ValuesIn(kBothPacings), pacingTestName);
