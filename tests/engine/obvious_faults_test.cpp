#include "call_fixture.h"

#include <filesystem>

using namespace tolvane;
using namespace tolvane::testing;
using testkit::addHappyTerminal;

using SoundBehaviour = PacedCallFixture;

TEST_P(SoundBehaviour, ControlCharactersInTheMessageAndPagerIdGoOutAsBlanks)
{
    addHappyTerminal(line);
    queuePage("hi\rthere\x02x\x03y\x1b",
        DataFolderFixture::user("Dana Whitlow",
            "555\x04"
            "0142",
            "Ravenpage"));
    run();
    // STX 555 0142 CR "hi there x y" CR ETX sum to 1503 = 0x5DF.
    EXPECT_EQ(line.writes()[4].bytes,
        "\x02"
        "555 0142\rhi there x y\r\x03"
        "5=?\r");
    // The log holds what was sent, not the raw control bytes.
    EXPECT_EQ(data.log(), std::vector<std::string> { logRecord("PAGE SENT: ", "hi there x y ") });
}

TEST_P(SoundBehaviour, APageLogThatCannotBeWrittenIsSaidAndThePageStaysSent)
{
    std::filesystem::create_directory(data.path() / "LOG.DAT"); // nothing can be appended to it
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
    EXPECT_FALSE(state.lastCallFailed);
    const auto warning = std::find_if(view.logLines.begin(), view.logLines.end(),
        [](const std::string& text) { return text.starts_with("LOG.DAT could not be written"); });
    ASSERT_NE(warning, view.logLines.end());
    EXPECT_TRUE(
        warning->ends_with("so it lacks this line: PAGE SENT: Dana Whitlow             09:05 AM     12/06/202abc"))
        << *warning;
}

TEST_P(SoundBehaviour, EachCallStartsAtTheFirstEntryItIsGiven)
{
    addHappyTerminal(line);
    queuePage("first");
    queuePage("second", DataFolderFixture::user("Ezra Quill", "77", "Ravenpage"));
    state.queueCursor = 5; // wherever an earlier, failed call left it
    run(1, 1);
    EXPECT_TRUE(logged("Sending Message: second"));
    EXPECT_EQ(state.queueCursor, 2);
}

class MaxCharsOutOfRange : public CallFixture, public ::testing::WithParamInterface<std::int16_t> { };

TEST_P(MaxCharsOutOfRange, IsTakenAsOne)
{
    data.terminals[0].MaxChars = GetParam();
    data.write();
    callOnePageWithHappyTerminal();
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_TRUE(logged("Sending Message: a"));
}

INSTANTIATE_TEST_SUITE_P(ZeroOrNegative, MaxCharsOutOfRange, ::testing::Values(0, -5));

TEST_P(SoundBehaviour, AMissingConfigurationFileIsReportedNotCrashedOn)
{
    data.remove("CONFIG.DAT");
    data.remove("MODEM.DAT");
    callOnePageWithHappyTerminal();
    // An empty CONFIG.DAT names port 0, which the line refuses.
    line.failNext(ScriptedLine::Op::Open, 8002);
    run();
    EXPECT_EQ(view.callsEnded, 2);
    EXPECT_EQ(view.boxes.back(), "     : not available. Change the CommPort property to another port.");
}

INSTANTIATE_TEST_SUITE_P(BothPacings, SoundBehaviour, ::testing::ValuesIn(kBothPacings), pacingTestName);
