#include "call_fixture.h"

#include <functional>

using namespace tolvane;
using namespace tolvane::testing;
using engine::Pacing;
namespace wire = testkit::wire;

namespace {

// The bytes written, what the operator was shown (the connection log aside) and LOG.DAT, after a call of
// three pages with the happy terminal answering what `script` leaves unsaid.
std::vector<std::string> threePageCall(Pacing pacing, const std::function<void(ScriptedLine&)>& script)
{
    testkit::VirtualClock clock;
    testkit::VirtualPacer pacer(clock);
    ScriptedLine line(clock);
    testkit::RecordingView view;
    testkit::VectorQueue queue;
    DataFolderFixture data;
    engine::RunState state;
    for (const char* message : { "one", "two", "three" })
        queue.add(DataFolderFixture::entryFor(data.users[0], message));
    script(line);
    testkit::addHappyTerminal(line);
    engine::PagingCall(line, pacer, view, queue, data.folder(), state, pacing).PageThePeople(3, 0);
    std::vector<std::string> outcome = line.writtenTexts();
    std::copy_if(view.events.begin(), view.events.end(), std::back_inserter(outcome),
        [](const std::string& event) { return !event.starts_with("log: "); });
    const auto pageLog = data.log();
    outcome.insert(outcome.end(), pageLog.begin(), pageLog.end());
    return outcome;
}

} // namespace

TEST(PromptPacing, WritesTheSameBytesAndEndsTheSameWayAsStandardPacing)
{
    const std::function<void(ScriptedLine&)> scripts[] = {
        [](ScriptedLine&) {},
        [](ScriptedLine& l) { l.whenWriteIs("\r", "", 50, 2); }, // ID= on the third CR
        [](ScriptedLine& l) {
            l.whenWriteContains("\x1bPG1", wire::kNak, 50, 1)
                .whenWriteContains("\x02", wire::kRs, 50, 1)
                .whenWriteContains("\x02", wire::kAck, 50, 1)
                .whenWriteContains("\x02", wire::kNak, 50, 1)
                .whenWriteIs("\x04\r", "211\r" + wire::kEscEot, 50);
        },
        [](ScriptedLine& l) { l.whenWriteContains("\x02", wire::kAck, 50, 1).whenWriteContains("\x02", "", 0); },
        [](ScriptedLine& l) { l.whenWriteIs("\x04\r", "\r\nNO CARRIER\r\n", 50); },
    };
    for (std::size_t i = 0; i < std::size(scripts); ++i)
        EXPECT_EQ(threePageCall(Pacing::Standard, scripts[i]), threePageCall(Pacing::Prompt, scripts[i])) << i;
}

using BothPacings = PacedCallFixture;

TEST_P(BothPacings, ATerminalThatAnswersIdOnlyOnTheThirdCrIsLoggedOnto)
{
    line.whenWriteIs("\r", "", 50, 2);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo("\r"), 3);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    // Standard pacing sees it once the third round's 1.5 s are over; prompt pacing within a poll.
    EXPECT_EQ(timeOfWrite("\x1bPG1\r") - timeOfWrite("\r"), prompt() ? 2 * 1500 + 50 : 3 * 1500);
}

INSTANTIATE_TEST_SUITE_P(Each, BothPacings, ::testing::ValuesIn(kBothPacings), pacingTestName);

class PromptCall : public CallFixture {
protected:
    PromptCall() { call.setPacing(Pacing::Prompt); }
};

TEST_F(PromptCall, KeepsOnlyTheSettleAfterOpeningAndHangsUpAtOnceOnNoCarrier)
{
    // Answers in 30 ms, a dial of 500 ms, and the line dropped after the goodbye as a TAP terminal does.
    testkit::addHappyTerminal(line, testkit::HappyTerminalTimes { 30, 500, 30, "CONNECT 9600" });
    line.setWriteHook([this](std::string_view bytes) {
        if (bytes == "\x04\r")
            line.deliver("\r\nNO CARRIER\r\n", 130);
    });
    queueThree();
    run(3);

    EXPECT_EQ(view.logLines.front(), "Pacing: prompt (waits for replies)");
    EXPECT_EQ(view.lastStatus(), "( 3) Page(s) Were Sent");
    EXPECT_TRUE(pacer.yieldingPauses().empty()); // no start-up half second
    EXPECT_EQ(timeOfWrite("ATZ\r"), 250); // the settle, and no 4 s before the modem
    EXPECT_EQ(timeOfWrite("\r"), 250 + 30 + 500); // the CR at once after CONNECT
    EXPECT_EQ(line.writes()[6].atMs - line.writes()[4].atMs, 2 * 30); // each block within a poll of its ACK
    // Back in command state after NO CARRIER: the escape needs no guard time.
    EXPECT_EQ(timeOfWrite("+++"), timeOfWrite("\x04\r") + 130);
    EXPECT_EQ(timeOfWrite("+++ATH\r"), timeOfWrite("+++"));
}

TEST_F(PromptCall, AnOnlineModemGetsTheEscapesGuardTime)
{
    callOnePageWithHappyTerminal(); // the carrier stays up after the goodbye; "+++" is answered in 100 ms
    EXPECT_EQ(timeOfWrite("+++") - (timeOfWrite("\x04\r") + 50), 1000);
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("+++"), 100);
}
