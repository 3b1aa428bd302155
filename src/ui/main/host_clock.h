#pragma once

#include "dispatch/clock.h"

namespace tolvane::ui {

// The clock the main window's captions come from: the computer's own, unless a test puts a fixed one
// in front of it.
class HostClock final : public dispatch::Clock {
public:
    void setOverride(const dispatch::Clock* clock) { m_override = clock; }

    std::string timeText() const override;
    std::string dateText() const override;
    std::optional<int> minuteOfDay(std::string_view timeText) const override;
    std::optional<dispatch::CalendarDate> dateOf(std::string_view dateText) const override;
    int millisecondsIntoMinute() const override { return current().millisecondsIntoMinute(); }

private:
    const dispatch::Clock& current() const;

    dispatch::SystemClock m_system;
    const dispatch::Clock* m_override = nullptr;
};

} // namespace tolvane::ui
