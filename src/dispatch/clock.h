#pragma once

#include <optional>
#include <string>
#include <string_view>

// After <string>: Qt's moc reads the windows' headers, and cannot read <compare> before the library's set-up.
#include <compare>

namespace tolvane::dispatch {

struct CalendarDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0; // 1..31
    auto operator<=>(const CalendarDate&) const = default;
};

// The clock captions come from the host: the time as "hh:mm AM" ("09:05 AM", "12:30 PM") and the date
// in the host's short date form. Whatever form the host writes, it must read back to the same date,
// since scheduled entries carry these texts and are tested against them.
class Clock {
public:
    virtual ~Clock() = default;

    virtual std::string timeText() const = 0;
    virtual std::string dateText() const = 0;

    // Minutes since midnight, or nothing when the text is not a time.
    virtual std::optional<int> minuteOfDay(std::string_view timeText) const = 0;
    virtual std::optional<CalendarDate> dateOf(std::string_view dateText) const = 0;
    // How far the present minute has run, 0..59999: the scheduled-page check waits for the next one.
    virtual int millisecondsIntoMinute() const = 0;
};

// "09:05 AM" for 545; midnight is "12:00 AM", noon "12:00 PM".
std::string formatTime12(int minuteOfDay);
// Accepts "9:05 AM", "09:05PM", "9:05 pm", "21:05", "9:05:30 AM" (seconds are dropped); blanks around
// are ignored. Nothing for an hour or minute out of range, or 13 and above with AM/PM.
std::optional<int> parseTime(std::string_view text);

// MM/DD/YYYY.
std::string formatShortDate(const CalendarDate& date);
// M/D/YYYY or M/D/YY (00-29 are 2000s, 30-99 1900s), with "/", "-" or "." between; blanks around are
// ignored. Nothing for a date that does not exist.
std::optional<CalendarDate> parseShortDate(std::string_view text);

// The computer's local time with the MM/DD/YYYY date form: for the command line and any host without a
// locale of its own.
class SystemClock final : public Clock {
public:
    std::string timeText() const override;
    std::string dateText() const override;
    std::optional<int> minuteOfDay(std::string_view timeText) const override { return parseTime(timeText); }
    std::optional<CalendarDate> dateOf(std::string_view dateText) const override { return parseShortDate(dateText); }
    int millisecondsIntoMinute() const override;
};

} // namespace tolvane::dispatch
