#include "simulator/tap_checksum.h"

#include <gtest/gtest.h>

namespace tolvane::simulator {
namespace {

TEST(TapChecksum, StandardTestVectorGivesSeventeenSemicolon)
{
    EXPECT_EQ(tapChecksum("\x02"
                          "123\rABC\r\x03"),
        "17;");
}

TEST(TapChecksum, SamplePagerBlockSumsTo2AB)
{
    EXPECT_EQ(tapChecksum("\x02"
                          "5550142\rabc\r\x03"),
        "2:;");
}

TEST(TapChecksum, HighBitOfEachCharacterIsDropped)
{
    // 0xE9 counts as 0x69 ('i').
    EXPECT_EQ(tapChecksum("\x02"
                          "5550142\rcaf\xe9\r\x03"),
        "318");
    EXPECT_EQ(tapChecksum("\x02"
                          "5550142\rcafi\r\x03"),
        "318");
}

TEST(TapChecksum, OnlyTheLowTwelveBitsCount)
{
    // 40 DEL characters sum to 5080 = 0x13D8; 0x3D8 remains.
    EXPECT_EQ(tapChecksum(std::string(40, '\x7f')), "3=8");
}

} // namespace
} // namespace tolvane::simulator
