#include "engine/tap_block.h"

#include <gtest/gtest.h>

#include <string>

using namespace tolvane::engine;

TEST(TapChecksum, GivesTheWorkedExamplesAndTheStandardsVector)
{
    EXPECT_EQ(tapChecksum("\x02"
                          "5550142\rabc\r\x03"),
        "2:;");
    EXPECT_EQ(tapChecksum("\x02"
                          "123\rABC\r\x03"),
        "17;");
    // 0xC1 counts as 'A' (65); 64 'z' (122 each) make 7808 = 0x1E80, of which 0xE80 is kept.
    EXPECT_EQ(tapChecksum("\xC1"), tapChecksum("A"));
    EXPECT_EQ(tapChecksum(std::string(64, 'z')), ">80");
}

TEST(TransactionBlock, IsFramedWithItsChecksumAndEndsInCr)
{
    EXPECT_EQ(buildTransactionBlock("123", "ABC"),
        "\x02"
        "123\rABC\r\x03"
        "17;\r");
}

TEST(ControlCharacters, BecomeBlanksIncludingThoseA7BitLineWouldSeeAsControls)
{
    EXPECT_EQ(blankControlCharacters("a\rb\x02"
                                     "c\x03\x1b\x04\x7f"),
        "a b c    ");
    // 0x8D reaches a 7-bit terminal as CR; 0xE9 (an accented letter) and 0xA0 are ordinary text.
    EXPECT_EQ(blankControlCharacters("x\x8Dy\xE9\xA0"), "x y\xE9\xA0");
}

TEST(SplitMessage, CutsAt250MinusThePagerIdAndTrimsOnlyLaterPieces)
{
    const std::string exact(240, 'm');
    EXPECT_EQ(splitMessage(exact, 10), std::vector<std::string> { exact });

    const std::string message = std::string(240, 'a') + std::string(50, 'b') + "          " + "c";
    EXPECT_EQ(splitMessage(message, 10),
        (std::vector<std::string> { std::string(240, 'a'), std::string(50, 'b') + "          c" }));

    const std::string withBlanks = std::string(235, 'a') + "     " + std::string(20, 'b') + "   ";
    EXPECT_EQ(splitMessage(withBlanks, 10),
        (std::vector<std::string> { std::string(235, 'a') + "     ", std::string(20, 'b') }));

    const auto three = splitMessage(std::string(340, 'x'), 100);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].size(), 150u);
    EXPECT_EQ(three[1].size(), 150u);
    EXPECT_EQ(three[2].size(), 40u);
}
