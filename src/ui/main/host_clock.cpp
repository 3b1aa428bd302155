#include "ui/main/host_clock.h"

namespace tolvane::ui {

const dispatch::Clock& HostClock::current() const
{
    return m_override ? *m_override : m_system;
}

std::string HostClock::timeText() const
{
    return current().timeText();
}

std::string HostClock::dateText() const
{
    return current().dateText();
}

std::optional<int> HostClock::minuteOfDay(std::string_view timeText) const
{
    return current().minuteOfDay(timeText);
}

std::optional<dispatch::CalendarDate> HostClock::dateOf(std::string_view dateText) const
{
    return current().dateOf(dateText);
}

} // namespace tolvane::ui
