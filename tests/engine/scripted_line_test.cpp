#include "testkit/scripted_line.h"

#include <gtest/gtest.h>

using namespace tolvane;
using testkit::ScriptedLine;
using testkit::VirtualClock;

// The fake must behave like a line in time, or the engine's timing tests prove nothing.
TEST(ScriptedLine, AnswersArriveOnTimeInRuleOrderAndDiscardKeepsWhatIsOnItsWay)
{
    VirtualClock clock;
    ScriptedLine line(clock);
    line.whenWriteContains("ATD", "BUSY", 0, 2)
        .whenWriteContains("ATD", "CONNECT", 0)
        .whenWriteContains("AT", "OK", 100);
    line.open();
    line.write("ATZ\r");
    EXPECT_EQ(line.waitingCount(), 0);
    clock.advance(99);
    EXPECT_EQ(line.readAll(), "");
    clock.advance(1);
    EXPECT_EQ(line.readAll(), "OK");
    EXPECT_EQ(line.readAll(), "");

    std::vector<std::string> answers;
    for (int i = 0; i < 3; ++i) {
        line.write("ATDT1\r");
        answers.push_back(line.readAll());
    }
    EXPECT_EQ(answers, (std::vector<std::string> { "BUSY", "BUSY", "CONNECT" }));

    line.deliver("early", 0);
    line.deliver("late", 50);
    line.discardInput();
    clock.advance(50);
    EXPECT_EQ(line.readAll(), "late");
}

TEST(ScriptedLine, AClosedPortRefusesWorkAndForgetsWhatWasOnItsWay)
{
    VirtualClock clock;
    ScriptedLine line(clock);
    try {
        line.write("x");
        FAIL() << "a write on a closed port must fail";
    } catch (const engine::SerialError& error) {
        EXPECT_EQ(error.number(), 8018);
    }
    line.open();
    line.deliver("bytes", 10);
    line.close();
    line.open();
    clock.advance(10);
    EXPECT_EQ(line.readAll(), "");
    line.failNext(ScriptedLine::Op::Open, 8005);
    line.close();
    EXPECT_THROW(line.open(), engine::SerialError);
    EXPECT_FALSE(line.isOpen());
}
