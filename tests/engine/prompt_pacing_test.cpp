#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Pacing;

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
