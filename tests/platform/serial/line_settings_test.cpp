#include "platform/serial/line_settings.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

using Parity = LineSettings::Parity;

// The texts a paging call builds from a TERMINAL.DAT record: any speed the file holds, N, E or O, 7 or 8, 1 or 2.
TEST(LineSettings, ReadsTheTextsPagingCallsBuildAndRefusesASpeedThatIsNone)
{
    const std::pair<const char*, LineSettings> cases[] = {
        { "9600,E,7,1", { 9600, Parity::Even, 7, 1 } },
        { "300,N,8,2", { 300, Parity::None, 8, 2 } },
        { "14400,O,8,1", { 14400, Parity::Odd, 8, 1 } },
    };
    for (const auto& [text, expected] : cases) {
        const auto parsed = LineSettings::parse(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, expected) << text;
        EXPECT_EQ(parsed->text(), text);
    }
    for (const char* text : { "", "0,N,8,1", "-300,N,8,1" })
        EXPECT_FALSE(LineSettings::parse(text).has_value()) << '"' << text << '"';
}

} // namespace
} // namespace tolvane::platform
