#include "dispatch/clock.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace tolvane::dispatch {
namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Reads 1 to `maxDigits` digits; nothing when none stand at the front.
std::optional<int> readNumber(std::string_view& text, std::size_t maxDigits)
{
    std::size_t n = 0;
    int value = 0;
    while (n < text.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(text[n]))) {
        value = value * 10 + (text[n] - '0');
        ++n;
    }
    if (n == 0)
        return std::nullopt;
    text.remove_prefix(n);
    return value;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return local;
}

} // namespace

std::string formatTime12(int minuteOfDay)
{
    const int hour24 = (minuteOfDay / 60) % 24;
    const int minute = minuteOfDay % 60;
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d %s", hour12, minute, hour24 < 12 ? "AM" : "PM");
    return text;
}

std::optional<int> parseTime(std::string_view text)
{
    text = trimmed(text);
    const auto hour = readNumber(text, 2);
    if (!hour || text.empty() || text.front() != ':')
        return std::nullopt;
    text.remove_prefix(1);
    const auto minute = readNumber(text, 2);
    if (!minute || *minute > 59)
        return std::nullopt;
    if (!text.empty() && text.front() == ':') {
        text.remove_prefix(1);
        const auto second = readNumber(text, 2);
        if (!second || *second > 59)
            return std::nullopt;
    }
    text = trimmed(text);
    if (text.empty())
        return *hour <= 23 ? std::optional<int>(*hour * 60 + *minute) : std::nullopt;

    if (text.size() != 2 || std::toupper(static_cast<unsigned char>(text[1])) != 'M')
        return std::nullopt;
    const char half = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if ((half != 'A' && half != 'P') || *hour < 1 || *hour > 12)
        return std::nullopt;
    const int hour24 = (*hour % 12) + (half == 'P' ? 12 : 0);
    return hour24 * 60 + *minute;
}

std::string formatShortDate(const CalendarDate& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.month, date.day, date.year);
    return text;
}

std::optional<CalendarDate> parseShortDate(std::string_view text)
{
    text = trimmed(text);
    const auto month = readNumber(text, 2);
    if (!month || text.empty())
        return std::nullopt;
    const char separator = text.front();
    if (separator != '/' && separator != '-' && separator != '.')
        return std::nullopt;
    text.remove_prefix(1);
    const auto day = readNumber(text, 2);
    if (!day || text.empty() || text.front() != separator)
        return std::nullopt;
    text.remove_prefix(1);
    const std::size_t before = text.size();
    auto year = readNumber(text, 4);
    const std::size_t digits = before - text.size();
    if (!year || !text.empty() || (digits != 2 && digits != 4))
        return std::nullopt;
    if (digits == 2)
        *year += *year < 30 ? 2000 : 1900;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month))
        return std::nullopt;
    return CalendarDate { *year, *month, *day };
}

std::string SystemClock::timeText() const
{
    const std::tm now = localNow();
    return formatTime12(now.tm_hour * 60 + now.tm_min);
}

std::string SystemClock::dateText() const
{
    const std::tm now = localNow();
    return formatShortDate(CalendarDate { now.tm_year + 1900, now.tm_mon + 1, now.tm_mday });
}

int SystemClock::millisecondsIntoMinute() const
{
    // Local minutes start on the whole minutes of the system clock wherever the zone's offset is whole minutes.
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 60000);
}

} // namespace tolvane::dispatch
