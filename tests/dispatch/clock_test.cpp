#include "dispatch/clock.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

TEST(ClockTexts, TimeIsShownAsTwelveHourWithLeadingZero)
{
    EXPECT_EQ(formatTime12(9 * 60 + 5), "09:05 AM");
    EXPECT_EQ(formatTime12(0), "12:00 AM");
    EXPECT_EQ(formatTime12(12 * 60), "12:00 PM");
    EXPECT_EQ(formatTime12(12 * 60 + 30), "12:30 PM");
    EXPECT_EQ(formatTime12(23 * 60 + 59), "11:59 PM");
}

TEST(ClockTexts, TimesReadBackAtMinuteResolution)
{
    const struct {
        const char* text;
        std::optional<int> minute;
    } cases[] = {
        { "09:05 AM", 9 * 60 + 5 },
        { "9:05 am", 9 * 60 + 5 },
        { "09:05PM", 21 * 60 + 5 },
        { " 9:05:59 PM  ", 21 * 60 + 5 },
        { "12:00 AM", 0 },
        { "12:10 PM", 12 * 60 + 10 },
        { "21:05", 21 * 60 + 5 },
        { "0:00", 0 },
        { "13:05 PM", std::nullopt },
        { "0:05 AM", std::nullopt },
        { "24:00", std::nullopt },
        { "09:60 AM", std::nullopt },
        { "09:05 XM", std::nullopt },
        { "0905", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseTime(c.text), c.minute) << c.text;
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

TEST(ClockTexts, SystemClockWritesWhatItReads)
{
    SystemClock clock;
    const auto time = clock.timeText();
    EXPECT_EQ(time.size(), 8u);
    EXPECT_TRUE(clock.minuteOfDay(time).has_value()) << time;
    EXPECT_TRUE(clock.dateOf(clock.dateText()).has_value()) << clock.dateText();
}

} // namespace
} // namespace tolvane::dispatch
