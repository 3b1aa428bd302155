#include "dispatch/message_rules.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

TEST(MessageRules, ColoursFollowTheLengthAgainstTheLimit)
{
    const Rgb green { 0, 255, 0 };
    const Rgb yellow { 255, 255, 0 };
    const Rgb orangeRed { 240, 15, 0 };
    const struct {
        std::size_t length;
        std::int16_t limit;
        Rgb colour;
        bool limitReached;
    } cases[] = {
        { 0, 80, green, false },
        { 60, 80, green, false },
        { 61, 80, yellow, false },
        { 79, 80, yellow, false },
        { 80, 80, orangeRed, true },
        // With 14 characters every length is above limit - 20, the empty box included.
        { 0, 14, yellow, false },
        { 13, 14, yellow, false },
        { 14, 14, orangeRed, true },
        { 20, 240, green, false },
        { 221, 240, yellow, false },
    };
    for (const auto& c : cases) {
        const auto g = messageGauge(c.length, c.limit);
        EXPECT_EQ(g.colour, c.colour) << c.length << " of " << c.limit;
        EXPECT_EQ(g.limitReached, c.limitReached) << c.length << " of " << c.limit;
        EXPECT_EQ(g.gaugeValue, static_cast<int>(c.length)) << c.length << " of " << c.limit;
        EXPECT_EQ(g.gaugeMaximum, c.limit) << c.length << " of " << c.limit;
        EXPECT_EQ(g.countLabel, std::to_string(c.length)) << c.length << " of " << c.limit;
    }

    // A message typed under a larger limit stays when a later recipient lowers the limit: the gauge
    // never takes a value or a maximum it would refuse.
    const auto over = messageGauge(100, 40);
    EXPECT_EQ(over.countLabel, "100");
    EXPECT_EQ(over.gaugeValue, 40);
    EXPECT_EQ(over.colour, yellow);
    const auto noLimit = messageGauge(5, 0);
    EXPECT_EQ(noLimit.gaugeMaximum, 80);
    EXPECT_EQ(noLimit.gaugeValue, 5);
}

TEST(MessageRules, LimitTextAndPastedLineBreaks)
{
    EXPECT_EQ(kLimitReachedMessage,
        "You have reached you message limit if this pager comany excepts larger message lenghts then change the max "
        "characters option for the pager company in terminal setup");
    EXPECT_EQ(withoutLineBreaks("Call\r\nthe desk\nnow\r"), "Call the desk now ");
    EXPECT_EQ(withoutLineBreaks("no breaks"), "no breaks");
}

} // namespace
} // namespace tolvane::dispatch
