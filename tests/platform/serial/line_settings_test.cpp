#include "platform/serial/line_settings.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

using Parity = LineSettings::Parity;

TEST(LineSettings, ReadsTheTextsPagingCompaniesCarryAndWritesThemCanonically)
{
    struct Case {
        const char* text;
        LineSettings expected;
        const char* canonical;
    };
    const Case cases[] = {
        { "9600,E,7,1", { 9600, Parity::Even, 7, 1 }, "9600,E,7,1" },
        { "300,N,8,2", { 300, Parity::None, 8, 2 }, "300,N,8,2" },
        { "14400,O,8,1", { 14400, Parity::Odd, 8, 1 }, "14400,O,8,1" },
        { "1200,M,7,1", { 1200, Parity::Mark, 7, 1 }, "1200,M,7,1" },
        { "2400,S,5,2", { 2400, Parity::Space, 5, 2 }, "2400,S,5,2" },
        { " 19200 , e , 7 , 1 ", { 19200, Parity::Even, 7, 1 }, "19200,E,7,1" },
        { "14400,n,8,2", { 14400, Parity::None, 8, 2 }, "14400,N,8,2" },
    };
    for (const auto& c : cases) {
        const auto parsed = LineSettings::parse(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.expected) << c.text;
        EXPECT_EQ(parsed->text(), c.canonical) << c.text;
    }
}

TEST(LineSettings, RefusesTextsThatDoNotDescribeALine)
{
    const char* const bad[] = { "", "9600", "9600,E,7", "9600,E,7,1,1", "0,N,8,1", "-300,N,8,1", "+300,N,8,1",
        "96OO,E,7,1", "9600,,7,1", "9600,X,7,1", "9600,EN,7,1", "9600,E,4,1", "9600,E,9,1", "9600,E,7,0",
        "9600,E,7,1.5", "9600,E,7,3", "99999999999,N,8,1" };
    for (const char* text : bad)
        EXPECT_FALSE(LineSettings::parse(text).has_value()) << '"' << text << '"';
}

} // namespace
} // namespace tolvane::platform
