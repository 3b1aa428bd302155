#include "simulator_harness.h"

#include <gtest/gtest.h>

namespace tolvane::simulator {
namespace {

using testing::SimulatorHarness;
using namespace std::chrono_literals;

TEST(ModemCommands, AnswerComesAfterTheReplyDelayAndTheTranscriptHoldsBothDirectionsWithTheirTimes)
{
    SimulatorHarness line;
    line.pass(1000ms);
    EXPECT_EQ(line.send("AT\r", 39ms), "");
    EXPECT_EQ(line.pass(1ms), "\r\nOK\r\n");
    const auto& transcript = line.simulator().transcript();
    ASSERT_EQ(transcript.size(), 2u);
    EXPECT_EQ(transcript[0].at, 1000ms);
    EXPECT_EQ(transcript[0].direction, TranscriptDirection::FromClient);
    EXPECT_EQ(transcript[0].bytes, "AT\r");
    EXPECT_EQ(transcript[1].at, 1040ms);
    EXPECT_EQ(transcript[1].direction, TranscriptDirection::ToClient);
    EXPECT_EQ(transcript[1].bytes, "\r\nOK\r\n");
}

TEST(ModemCommands, ClientCommandsAreAnsweredOkAndStrayLinesIgnored)
{
    const struct {
        const char* sent;
        const char* answer;
    } cases[] = {
        { "AT\r", "\r\nOK\r\n" },
        { "ATZ\r", "\r\nOK\r\n" },
        { "ATH\r", "\r\nOK\r\n" },
        { "ATH0\r", "\r\nOK\r\n" },
        { "AT&D2\r", "\r\nOK\r\n" },
        { "AT&F E0 V1 S0=0 X4\r", "\r\nOK\r\n" },
        { "at&c1\r", "\r\nOK\r\n" },
        { "+++ATH\r", "\r\nOK\r\n" }, // in command state "+++" is just noise before the AT
        { "+++\r", "" },
        { "\r", "" },
        { "AT!\r", "\r\nERROR\r\n" },
        { "ATO\r", "\r\nNO CARRIER\r\n" },
    };
    for (const auto& c : cases) {
        SimulatorHarness line;
        EXPECT_EQ(line.send(c.sent), c.answer) << c.sent;
    }
}

TEST(ModemCommands, ConfiguredModemAnswersErrorOrNothing)
{
    SimulatorHarness refusing([](auto& o) { o.modemAnswers = ModemAnswers::Error; });
    EXPECT_EQ(refusing.send("ATZ\r"), "\r\nERROR\r\n");
    EXPECT_EQ(refusing.send("ATDT5550142\r", 5000ms), "\r\nERROR\r\n");

    SimulatorHarness dead([](auto& o) { o.modemAnswers = ModemAnswers::Nothing; });
    EXPECT_EQ(dead.send("ATZ\r"), "");
    EXPECT_EQ(dead.send("ATDT5550142\r", 5000ms), "");
}

TEST(ModemCommands, EchoFollowsTheOptionAndAte)
{
    SimulatorHarness line([](auto& o) { o.echo = true; });
    EXPECT_EQ(line.send("AT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(line.send("ATE0\r"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(line.send("AT\r"), "\r\nOK\r\n");
}

TEST(ModemDial, ResultsFollowTheSequenceAndTheLastRepeats)
{
    SimulatorHarness line([](auto& o) { o.dialResults = { "BUSY", "NO DIAL TONE", "NO CARRIER", "CONNECT 2400" }; });
    EXPECT_EQ(line.send("ATDT5550142\r", 2000ms), "\r\nBUSY\r\n");
    EXPECT_EQ(line.send("ATDT5550142\r", 2000ms), "\r\nNO DIAL TONE\r\n");
    EXPECT_EQ(line.send("ATDP5550142\r", 2000ms), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(line.simulator().carrierUp());
    EXPECT_EQ(line.send("ATDT5550142\r", 2000ms), "\r\nCONNECT 2400\r\n");
    EXPECT_TRUE(line.simulator().carrierUp());
    EXPECT_EQ(line.pass(1000ms), "");
    EXPECT_EQ(line.send("+++", 1000ms), "\r\nOK\r\n");
    EXPECT_EQ(line.send("ATDT5550142\r", 2000ms), "\r\nCONNECT 2400\r\n");
}

TEST(ModemDial, EachCommaInTheNumberPausesTheDial)
{
    SimulatorHarness line;
    EXPECT_EQ(line.send("ATDT*70,5550142\r", 3999ms), "");
    EXPECT_EQ(line.pass(1ms), "\r\nCONNECT 9600\r\n");
}

TEST(ModemDial, UnansweredDialWaitsUntilACharacterAbandonsIt)
{
    SimulatorHarness line([](auto& o) { o.dialResults = { "NONE" }; });
    EXPECT_EQ(line.send("ATDT5550142\r", 60000ms), "");
    // The client's hang-up line: the first character abandons the dial, the rest is a command.
    EXPECT_EQ(line.send("+++ATH\r"), "\r\nNO CARRIER\r\n\r\nOK\r\n");
}

TEST(ModemDial, NumericPageIsRecordedWhenTheTonesAreKeyedAndNothingIsAnswered)
{
    SimulatorHarness line;
    // Answered after 2 s, then four commas of 2 s before the tones.
    EXPECT_EQ(line.send("ATDT*70,5550142,,,,4321#\r", 11999ms), "");
    EXPECT_TRUE(line.simulator().pages().empty());
    EXPECT_EQ(line.pass(1ms), "");
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    const auto& page = line.simulator().pages()[0];
    EXPECT_EQ(page.kind, "numeric");
    EXPECT_EQ(page.pagerId, "*70,5550142");
    EXPECT_EQ(page.message, "4321#");
    EXPECT_FALSE(page.checksumOk.has_value());
    EXPECT_EQ(line.pass(3000ms), "");
    EXPECT_EQ(line.send("+++ATH\r"), "\r\nOK\r\n\r\nOK\r\n");
    EXPECT_EQ(line.simulator().hangUps(), 1);
    EXPECT_EQ(line.simulator().pages().size(), 1u);
}

TEST(ModemDial, NumericPageHungUpBeforeTheTonesOrBusyIsNotRecorded)
{
    SimulatorHarness line;
    line.send("ATDT5550142,,,,4321#\r", 5000ms);
    EXPECT_EQ(line.send("+++ATH\r"), "\r\nOK\r\n\r\nOK\r\n");
    line.pass(20000ms);
    EXPECT_TRUE(line.simulator().pages().empty());

    SimulatorHarness busy([](auto& o) { o.dialResults = { "BUSY" }; });
    EXPECT_EQ(busy.send("ATDT5550142,,,,4321#\r", 15000ms), "\r\nBUSY\r\n");
    EXPECT_TRUE(busy.simulator().pages().empty());
}

TEST(ModemEscape, PlusesAfterSilenceHangUpAndAtCommandsWorkAgain)
{
    SimulatorHarness line;
    line.logOn();
    line.pass(1000ms);
    EXPECT_EQ(line.send("+++ATH\r"), "\r\nOK\r\n\r\nOK\r\n");
    EXPECT_FALSE(line.simulator().carrierUp());
    EXPECT_EQ(line.simulator().hangUps(), 1);
    EXPECT_EQ(line.send("AT\r"), "\r\nOK\r\n");
}

TEST(ModemEscape, PlusesWithoutTheGuardTimeAreData)
{
    SimulatorHarness line;
    line.logOn();
    line.pass(500ms);
    EXPECT_EQ(line.send("+++"), "");
    EXPECT_TRUE(line.simulator().carrierUp());
    // And inside a block they are message text.
    line.pass(2000ms);
    EXPECT_EQ(
        line.send(std::string("\x02") + "5550142\ra+++b\r\x03" + "2<9\r"), "211 Page(s) sent successfully\r\x06\r");
    ASSERT_EQ(line.simulator().pages().size(), 1u);
    EXPECT_EQ(line.simulator().pages()[0].message, "a+++b");
}

TEST(ModemEscape, ClosingTheLineEndsTheCallAndLosesWhatWasNotYetSent)
{
    SimulatorHarness line;
    line.send("ATDT5550142\r", 2100ms);
    line.simulator().receive("\r", line.now()); // "ID=" is on its way
    line.simulator().dtrDropped(line.now() + Millis(10));
    EXPECT_EQ(line.pass(1000ms), "");
    EXPECT_FALSE(line.simulator().carrierUp());
    EXPECT_EQ(line.simulator().hangUps(), 1);
    EXPECT_EQ(line.send("AT\r"), "\r\nOK\r\n");
}

} // namespace
} // namespace tolvane::simulator
