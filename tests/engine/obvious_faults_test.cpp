#include "call_fixture.h"

using namespace tolvane;
using namespace tolvane::testing;
using engine::Lamp;
using testkit::addHappyTerminal;
namespace wire = testkit::wire;

using SoundBehaviour = CallFixture;

TEST_F(SoundBehaviour, ControlCharactersInTheMessageAndPagerIdGoOutAsBlanks)
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
}

TEST_F(SoundBehaviour, EachCallStartsAtTheFirstEntryItIsGiven)
{
    addHappyTerminal(line);
    queuePage("first");
    queuePage("second", DataFolderFixture::user("Ezra Quill", "77", "Ravenpage"));
    state.queueCursor = 5; // wherever an earlier, failed call left it
    run(1, 1);
    EXPECT_TRUE(logged("Sending Message: second"));
    EXPECT_EQ(state.queueCursor, 2);
}

TEST_F(SoundBehaviour, TwoRefusedPiecesNeverLowerTheSentCount)
{
    data.users = { DataFolderFixture::user("Dana Whitlow", "1234567890", "Ravenpage") };
    data.terminals[0].MaxChars = 300;
    data.write();
    state.messageLimit = 300;
    state.sentCount = 3; // acknowledged earlier in the run
    line.whenWriteContains("\x02", wire::kNak, 50);
    addHappyTerminal(line);
    queuePage(std::string(300, 'm'));
    run();
    EXPECT_EQ(blocksWritten(), 2);
    EXPECT_EQ(state.sentCount, 3);
    EXPECT_EQ(view.lastStatus(), "( 3) Page(s) Were Sent");
}

TEST_F(SoundBehaviour, ALongPageCountsOnlyWhenEveryPieceIsAcknowledged)
{
    data.users = { DataFolderFixture::user("Dana Whitlow", "1234567890", "Ravenpage") };
    data.terminals[0].MaxChars = 300;
    data.write();
    state.messageLimit = 300;
    line.whenWriteContains("\x02", wire::kAck, 50, 1).whenWriteContains("\x02", wire::kNak, 50, 1);
    addHappyTerminal(line);
    queuePage(std::string(300, 'm'));
    run();
    EXPECT_EQ(state.sentCount, 0);
    EXPECT_EQ(view.lastStatus(), "Error(s) Encounterd... See Log File!");
    EXPECT_EQ(view.lastLamp(), Lamp::Yellow);
}

TEST_F(SoundBehaviour, AMaxCharsOfZeroIsTakenAsOne)
{
    addHappyTerminal(line);
    data.terminals[0].MaxChars = 0;
    data.write();
    queuePage("abc");
    run();
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_TRUE(logged("Sending Message: a"));
}

TEST_F(SoundBehaviour, ANegativeMaxCharsIsTakenAsOne)
{
    addHappyTerminal(line);
    data.terminals[0].MaxChars = -5;
    data.write();
    queuePage("abc");
    run();
    EXPECT_TRUE(logged("Sending Message: a"));
}

TEST_F(SoundBehaviour, AMissingConfigurationFileIsReportedNotCrashedOn)
{
    addHappyTerminal(line);
    data.remove("CONFIG.DAT");
    data.remove("MODEM.DAT");
    queuePage("abc");
    run();
    // An empty CONFIG.DAT names port 0, which the line refuses.
    line.failNext(ScriptedLine::Op::Open, 8002);
    run();
    EXPECT_EQ(view.callsEnded, 2);
    EXPECT_EQ(view.boxes.back(), "     : not available. Change the CommPort property to another port.");
}
