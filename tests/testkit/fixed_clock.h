#pragma once

#include "dispatch/clock.h"

#include <string>

namespace tolvane::testkit {

// A clock that shows whatever it is set to, 09:05 AM on 12/06/2026 at first, at the start of its minute.
// Header only: whoever includes it links the dispatcher.
class FixedClock final : public dispatch::Clock {
public:
    std::string time = "09:05 AM";
    std::string date = "12/06/2026";

    std::string timeText() const override { return time; }
    std::string dateText() const override { return date; }
    std::optional<int> minuteOfDay(std::string_view text) const override { return dispatch::parseTime(text); }
    std::optional<dispatch::CalendarDate> dateOf(std::string_view text) const override
    {
        return dispatch::parseShortDate(text);
    }
    int millisecondsIntoMinute() const override { return 0; }
};

} // namespace tolvane::testkit
