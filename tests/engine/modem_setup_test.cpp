#include "engine/modem_setup.h"
#include "engine/modem_test.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tolvane;
using engine::ModemTest;

namespace {

const std::string kStartBox = "box This test may take as long as 1 minute... click ok and wait for results.";

// The window's tests go through these too; here are the inputs a window test would not think of.
TEST(ModemSetupRules, RetryCountsStayWithin0To99AndTheSpeakerTurnsEveryM0)
{
    for (const auto& [text, value] : std::vector<std::pair<const char*, int>> {
             { "abc", 0 }, { "", 0 }, { " 7 tries", 7 }, { "-3", 0 }, { "150", 99 }, { "99999999", 99 } })
        EXPECT_EQ(engine::retryAttemptsFromText(text), value) << text;

    EXPECT_EQ(engine::speakerCommands("ATM0L2M0", true), "ATM1L2M1");
    EXPECT_EQ(engine::speakerCommands("ATM1 M0", false), "ATM0 M0");
    EXPECT_EQ(engine::dialPrefixForBox(std::string(10, '\0')), "");
}

class RecordingTestView final : public engine::ModemTestView {
public:
    void setTesting(bool running) override { events.push_back(running ? "testing" : "done"); }
    void setProgress(const std::string& label) override { labels.push_back(label); }
    void messageBox(const std::string& text) override { events.push_back("box " + text); }
    void beep() override { events.push_back("beep"); }

    std::vector<std::string> events;
    std::vector<std::string> labels;
};

class ModemTestRun : public ::testing::Test {
protected:
    ModemTest::Outcome run(const char* commText = "COMM2", const char* commands = "ATZ E0   ")
    {
        ModemTest test(m_line, m_pacer, m_view, [this] { return m_busy; });
        return test.run(commText, commands);
    }

    testkit::VirtualClock m_clock;
    testkit::ScriptedLine m_line { m_clock };
    testkit::VirtualPacer m_pacer { m_clock };
    RecordingTestView m_view;
    bool m_busy = false;
};

TEST_F(ModemTestRun, ModemAnswersEndTheTestWithTheirMessage)
{
    struct Case {
        const char* reply;
        ModemTest::Outcome outcome;
        std::vector<std::string> endEvents;
    };
    const std::vector<Case> cases {
        { "\r\nOK\r\n", ModemTest::Outcome::Ok, { "box  Modem commands checked... OK", "done" } },
        { "\r\nERROR\r\n", ModemTest::Outcome::ModemError,
            { "box Error occured while initializing your modem choose another modem or use the USER DEFINED type and "
              "try again.",
                "beep", "done" } },
        { "\r\nNO CARRIER\r\n", ModemTest::Outcome::NoCarrier, { "box Phone is off the hook", "beep", "done" } },
    };
    for (const Case& c : cases) {
        testkit::VirtualClock clock;
        testkit::ScriptedLine line(clock);
        testkit::VirtualPacer pacer(clock);
        RecordingTestView view;
        line.whenWriteIs("ATZ E0\r", c.reply, 40);
        EXPECT_EQ(ModemTest(line, pacer, view).run("COMM2", "ATZ E0   "), c.outcome) << c.reply;

        std::vector<std::string> expected { "testing", kStartBox };
        expected.insert(expected.end(), c.endEvents.begin(), c.endEvents.end());
        EXPECT_EQ(view.events, expected);
        // Answered at the first poll: the two-second settle and one poll.
        EXPECT_EQ(clock.now(), 2250) << c.reply;
        ASSERT_EQ(line.opens().size(), 1u);
        EXPECT_EQ(line.opens()[0].port, 2);
        EXPECT_EQ(line.closes().size(), 1u);
    }
}

TEST_F(ModemTestRun, SilenceEndsAfter40PollsWithTheDotsStartingAgainHalfWay)
{
    EXPECT_EQ(run(), ModemTest::Outcome::NoAnswer);
    EXPECT_EQ(m_view.events,
        (std::vector<std::string> { "testing", kStartBox, "box Modem or Comm port not responding...", "done" }));
    EXPECT_EQ(m_clock.now(), 2000 + 40 * 250);
    ASSERT_EQ(m_view.labels.size(), 41u);
    EXPECT_EQ(m_view.labels[0], "TESTING");
    EXPECT_EQ(m_view.labels[19], "TESTING" + std::string(19, '.'));
    EXPECT_EQ(m_view.labels[20], "TESTING.");
    EXPECT_EQ(m_view.labels[40], "TESTING" + std::string(21, '.'));
    EXPECT_EQ(m_line.closes().size(), 1u);
}

TEST_F(ModemTestRun, AnAnswerSplitBetweenPollsIsFound)
{
    m_line.whenWriteContains("ATZ", "\r\nO", 40);
    m_line.setWriteHook([this](std::string_view) { m_line.deliver("K\r\n", 400); });
    EXPECT_EQ(run("COMM2", "ATZ\rATDT911 "), ModemTest::Outcome::Ok);
    EXPECT_EQ(m_clock.now(), 2500);
    EXPECT_EQ(m_line.writtenTexts(), std::vector<std::string> { "ATZ ATDT911\r" }) << "a CR sends no second command";
}

TEST_F(ModemTestRun, APortThatCannotBeOpenedGetsItsMessageAndNothingIsSent)
{
    const std::vector<std::pair<int, std::string>> cases {
        { 8002, "Invalid Port Number try another one." },
        { 8005, "The Port is already open close application using com port and retry" },
        { 8007, "The device's baud rate is unsupported try a lower one." },
        { 8010, "The hardware is not available (locked by another device or program)" },
        { 8013, "The device is already open" },
        { 8019, "Device is busy" },
        { 8012, "COMM2: generated error #: 8012notify Kestrune Software this this message #" },
    };
    for (const auto& [number, message] : cases) {
        m_view.events.clear();
        m_line.failNext(testkit::ScriptedLine::Op::Open, number);
        EXPECT_EQ(run(), ModemTest::Outcome::PortFailed);
        EXPECT_EQ(m_view.events, (std::vector<std::string> { "testing", kStartBox, "box " + message, "done" }));
    }
    EXPECT_TRUE(m_line.writes().empty());
    EXPECT_EQ(m_clock.now(), 0);
}

TEST_F(ModemTestRun, APortHeldByAPagingCallIsRefusedWithoutASecondOpen)
{
    m_busy = true;
    EXPECT_EQ(run(), ModemTest::Outcome::PortFailed);
    EXPECT_EQ(m_view.events.at(2), "box The Port is already open close application using com port and retry");
    EXPECT_TRUE(m_line.opens().empty());
}

} // namespace
