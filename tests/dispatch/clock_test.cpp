#include "dispatch/clock.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

TEST(ClockTexts, TimesAreWrittenTwelveHourAndReadBackAtMinuteResolution)
{
    const struct {
        const char* text;
        std::optional<int> minute;
        bool canonical; // the form formatTime12 writes
    } cases[] = {
        { "09:05 AM", 9 * 60 + 5, true },
        { "12:00 AM", 0, true },
        { "12:00 PM", 12 * 60, true },
        { "12:30 PM", 12 * 60 + 30, true },
        { "11:59 PM", 23 * 60 + 59, true },
        { "9:05 am", 9 * 60 + 5, false },
        { "09:05PM", 21 * 60 + 5, false },
        { " 9:05:59 PM  ", 21 * 60 + 5, false },
        { "21:05", 21 * 60 + 5, false },
        { "0:00", 0, false },
        { "13:05 PM", std::nullopt, false },
        { "0:05 AM", std::nullopt, false },
        { "24:00", std::nullopt, false },
        { "09:60 AM", std::nullopt, false },
        { "09:05 XM", std::nullopt, false },
        { "0905", std::nullopt, false },
        { "", std::nullopt, false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseTime(c.text), c.minute) << c.text;
        if (c.canonical) {
            EXPECT_EQ(formatTime12(*c.minute), c.text);
        }
    }
    for (int minute = 0; minute < 24 * 60; minute += 7)
        EXPECT_EQ(parseTime(formatTime12(minute)), minute);
}

TEST(ClockTexts, DatesReadBackToTheSameDay)
{
    EXPECT_EQ(formatShortDate({ 2026, 12, 6 }), "12/06/2026");
    EXPECT_EQ(parseShortDate("12/06/2026"), (CalendarDate { 2026, 12, 6 }));
    EXPECT_EQ(parseShortDate("2/29/2028"), (CalendarDate { 2028, 2, 29 }));
    EXPECT_EQ(parseShortDate("12-6-26"), (CalendarDate { 2026, 12, 6 }));
    EXPECT_EQ(parseShortDate("1.2.95"), (CalendarDate { 1995, 1, 2 }));
    EXPECT_EQ(parseShortDate("12/06/2026 "), (CalendarDate { 2026, 12, 6 }));
    EXPECT_FALSE(parseShortDate("2/29/2027"));
    EXPECT_FALSE(parseShortDate("13/01/2026"));
    EXPECT_FALSE(parseShortDate("12/06-2026"));
    EXPECT_FALSE(parseShortDate("12/06/202"));
    EXPECT_FALSE(parseShortDate("tomorrow"));
}

} // namespace
} // namespace tolvane::dispatch
