#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;

class NumericPages : public CallFixture {
protected:
    store::UserRecord sam;

    void SetUp() override
    {
        data.terminals.push_back(DataFolderFixture::numericCompany("Beeper"));
        sam = DataFolderFixture::user("DIG-Sam Ortiz", "0", "DIG-Beeper");
        data.users.push_back(sam);
        data.config.DialPrefix = "*70,";
        data.write();
        addHappyTerminal(line);
    }
};

TEST_F(NumericPages, DialTheCompanyKeyTheDigitsAndLogThePageAsSent)
{
    queuePage("  4321  ", sam);
    run();

    EXPECT_EQ(line.writtenTexts(), (std::vector<std::string> { "ATZ\r", "ATDT*70,5550199,,,,4321#\r", "+++ATH\r" }));
    EXPECT_EQ(line.opens()[0].settings, "2400,N,8,1");
    EXPECT_EQ(timeOfWrite("+++ATH\r") - timeOfWrite("ATDT*70,5550199,,,,4321#\r"), 17000);

    const std::vector<std::string> tail(view.logLines.end() - 3, view.logLines.end());
    EXPECT_EQ(tail, (std::vector<std::string> { "", "ATDT*70,5550199", "DIG-Beeper SENT" }));
    EXPECT_EQ(view.statuses[view.statuses.size() - 2], "Dialing...DIG-Beeper               ");
    EXPECT_EQ(view.lastStatus(), "Message Sent...");
    EXPECT_EQ(view.lastLamp(), Lamp::Green);
    EXPECT_EQ(view.hides, 1);
    EXPECT_FALSE(line.isOpen());

    std::string column = "  4321  ";
    column.resize(80, ' ');
    const std::string logLine = "PAGE SENT: DIG-Sam Ortiz            09:05 AM     12/06/202" + column;
    EXPECT_EQ(data.log(), std::vector<std::string> { logLine + "\r\n" });
    EXPECT_EQ(queue.entry(0), logLine);
    EXPECT_EQ(state.sentCount, 1);
    EXPECT_EQ(state.runPageCounter, 1);
    EXPECT_EQ(state.queueCursor, 1);
    EXPECT_EQ(view.callsEnded, 1);
}

TEST_F(NumericPages, OnlyTheFirstPageOfARunIsSent)
{
    queuePage("111", sam);
    queuePage("222", sam);
    run(2);
    EXPECT_EQ(line.countWritesContaining("ATD"), 1);
    EXPECT_EQ(data.log().size(), 1u);
    EXPECT_EQ(state.queueCursor, 1);
}

TEST_F(NumericPages, TheEntryMarkedIsTheOneSentNotTheOneTheRunCounterNames)
{
    queuePage("abc"); // Dana, alphanumeric, at index 0
    queuePage("555", sam);
    const std::string dana = queue.entry(0);
    state.runPageCounter = 0; // nothing counted yet in this run: index -1 for the old rule
    run(1, 1);
    EXPECT_EQ(queue.entry(0), dana);
    EXPECT_EQ(queue.entry(1).substr(0, 24), "PAGE SENT: DIG-Sam Ortiz");
}
