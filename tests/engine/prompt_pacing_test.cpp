#include "call_fixture.h"

#include <functional>

using namespace tolvane;
using namespace tolvane::testing;
using engine::Pacing;
using testkit::addHappyTerminal;
namespace wire = testkit::wire;

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";

// A terminal that answers in 30 ms and, as the TAP standard has it, drops the line after its goodbye
// (the modem's NO CARRIER 100 ms later); the dial takes half a second.
void promptTerminal(ScriptedLine& line)
{
    addHappyTerminal(line, testkit::HappyTerminalTimes { 30, 500, 30, "CONNECT 9600" });
    line.setWriteHook([&line](std::string_view bytes) {
        if (bytes == "\x04\r")
            line.deliver(kNoCarrier, 130);
    });
}

// Everything a call leaves behind that must not depend on its pacing.
struct CallOutcome {
    std::vector<std::string> writes, statuses, boxes, pageLog;
    std::vector<engine::Lamp> lamps;

    bool operator==(const CallOutcome&) const = default;
};

CallOutcome callThreePages(Pacing pacing, const std::function<void(ScriptedLine&)>& script)
{
    testkit::VirtualClock clock;
    testkit::VirtualPacer pacer(clock);
    ScriptedLine line(clock);
    testkit::RecordingView view;
    testkit::VectorQueue queue;
    DataFolderFixture data;
    engine::RunState state;
    engine::PagingCall call(line, pacer, view, queue, data.folder(), state, pacing);
    data.users.push_back(DataFolderFixture::user("Ezra Quill", "77", "Ravenpage"));
    data.users.push_back(DataFolderFixture::user("Mina Sol", "88", "Ravenpage"));
    for (const auto& user : data.users)
        queue.add(DataFolderFixture::entryFor(user, "x"));
    script(line);
    addHappyTerminal(line);
    call.PageThePeople(3, 0);
    return { line.writtenTexts(), view.statuses, view.boxes, data.log(), view.lamps };
}

} // namespace

TEST(PromptPacing, WritesTheSameBytesAndEndsTheSameWayAsStandardPacing)
{
    const std::vector<std::pair<const char*, std::function<void(ScriptedLine&)>>> scripts {
        { "every page acknowledged", [](ScriptedLine&) {} },
        { "ID= on the third CR", [](ScriptedLine& l) { l.whenWriteIs("\r", "", 50, 2); } },
        { "a NAK to the log-on, then RS and NAK to blocks, then a reply code",
            [](ScriptedLine& l) {
                l.whenWriteContains("\x1bPG1", wire::kNak, 50, 1)
                    .whenWriteContains("\x02", wire::kRs, 50, 1)
                    .whenWriteContains("\x02", wire::kAck, 50, 1)
                    .whenWriteContains("\x02", wire::kNak, 50, 1)
                    .whenWriteIs("\x04\r", "211\r" + wire::kEscEot, 50);
            } },
        { "the terminal silent after the second block", [](ScriptedLine& l) {
             l.whenWriteContains("\x02", wire::kAck, 50, 1).whenWriteContains("\x02", "", 0);
         } },
        { "the carrier lost after the sign-off", [](ScriptedLine& l) { l.whenWriteIs("\x04\r", kNoCarrier, 50); } },
    };
    for (const auto& [name, script] : scripts) {
        const CallOutcome standard = callThreePages(Pacing::Standard, script);
        EXPECT_FALSE(standard.writes.empty()) << name;
        EXPECT_TRUE(standard == callThreePages(Pacing::Prompt, script)) << name;
    }
}

using BothPacings = PacedCallFixture;

TEST_P(BothPacings, TheConnectionLogsFirstLineNamesThePacing)
{
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.logLines.front(),
        prompt() ? "Pacing: prompt (waits for replies)" : "Pacing: standard (fixed pauses)");
}

TEST_P(BothPacings, ATerminalThatAnswersIdOnlyOnTheThirdCrIsLoggedOnto)
{
    line.whenWriteIs("\r", "", 50, 2);
    callOnePageWithHappyTerminal();
    EXPECT_EQ(line.countWritesEqualTo("\r"), 3);
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    // Standard pacing finds it once the third round's 1.5 s are over; prompt pacing within a poll.
    const long long logOn = timeOfWrite("\x1bPG1\r") - timeOfWrite("\r");
    if (prompt())
        EXPECT_LE(logOn, 2 * 1500 + 50 + 10);
    else
        EXPECT_EQ(logOn, 3 * 1500);
}

INSTANTIATE_TEST_SUITE_P(Each, BothPacings, ::testing::ValuesIn(kBothPacings), PacingName());

class PromptCall : public CallFixture {
protected:
    PromptCall() { call.setPacing(Pacing::Prompt); }
};

TEST_F(PromptCall, KeepsOnlyTheSettleAfterOpeningAndAnswersEachReplyWithinAPoll)
{
    promptTerminal(line);
    queueThree();
    run(3);

    EXPECT_EQ(view.lastStatus(), "( 3) Page(s) Were Sent");
    // No start-up half second, no 4 s before the modem: the init string follows the 250 ms settle.
    EXPECT_TRUE(pacer.yieldingPauses().empty());
    EXPECT_EQ(timeOfWrite("ATZ\r"), 250);
    // The CR goes at once after CONNECT (settle, OK, dial), each further step within a poll of its reply.
    EXPECT_LE(timeOfWrite("\r"), 250 + 30 + 500 + 10 + 10);
    std::vector<long long> blocks;
    for (const auto& w : line.writes())
        if (w.bytes.front() == '\x02')
            blocks.push_back(w.atMs);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_LE(blocks[0] - timeOfWrite("\r"), 30 + 30 + 2 * 10);
    EXPECT_LE(blocks[2] - blocks[0], 2 * (30 + 10));
    // The modem said NO CARRIER after the goodbye: back in command state, the escape needs no guard.
    const long long noCarrier = timeOfWrite("\x04\r") + 130;
    EXPECT_LE(timeOfWrite("+++") - noCarrier, 10);
    EXPECT_EQ(timeOfWrite("+++ATH\r"), timeOfWrite("+++"));
    EXPECT_LE(line.closes().back(), 1200);
}

TEST_F(PromptCall, AnOnlineModemGetsTheEscapesGuardTimeOnBothSides)
{
    // The terminal says goodbye but the carrier stays up; the modem answers "+++" after 100 ms.
    callOnePageWithHappyTerminal();
    const long long goodbye = timeOfWrite("\x04\r") + 50;
    EXPECT_GE(timeOfWrite("+++") - goodbye, 1000);
    EXPECT_LE(timeOfWrite("+++ATH\r") - timeOfWrite("+++"), 100 + 10);
}

TEST_F(PromptCall, AModemSilentAfterTheEscapeGetsTheGuardTimeAndAMarginBeforeTheHangUpLine)
{
    line.whenWriteIs("ATZ\r", kOk, 100).whenWriteContains("ATD", "\r\nCONNECT 2400\r\n", 1000);
    callOnePage(); // no ID= ever: the time-out ends through the normal hang-up
    EXPECT_EQ(view.boxes, std::vector<std::string> { "Never got ID+ PLEASE TRY AGAIN" });
    EXPECT_EQ(timeOfWrite("+++") - timeOfWrite("+++ATH\r"), 1000);
    EXPECT_EQ(timeOfWrite("+++ATH\r", 1) - timeOfWrite("+++"), 1250);
}
