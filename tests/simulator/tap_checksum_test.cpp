#include "simulator/tap_checksum.h"

#include <gtest/gtest.h>

namespace tolvane::simulator {
namespace {

TEST(TapChecksum, SumsSevenBitCharactersAndKeepsTheLowTwelveBits)
{
    const std::string stx = "\x02";
    const std::string etx = "\x03";
    EXPECT_EQ(tapChecksum(stx + "123\rABC\r" + etx), "17;");
    EXPECT_EQ(tapChecksum(stx + "5550142\rabc\r" + etx), "2:;");
    // 0xE9 counts as 0x69 ('i').
    EXPECT_EQ(tapChecksum(stx + "5550142\rcaf\xe9\r" + etx), "318");
    EXPECT_EQ(tapChecksum(stx + "5550142\rcafi\r" + etx), "318");
    // 40 DEL characters sum to 5080 = 0x13D8; 0x3D8 remains.
    EXPECT_EQ(tapChecksum(std::string(40, '\x7f')), "3=8");
}

} // namespace
} // namespace tolvane::simulator
