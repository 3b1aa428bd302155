#include "dispatch/scheduling.h"

#include "engine/queue_entry.h"
#include "store/text.h"

#include <cctype>
#include <optional>

namespace tolvane::dispatch {

namespace {

constexpr std::string_view kTimeForms = "\nType the time as 11:08 PM or as 23:08.";

bool hasAmPm(std::string_view time)
{
    return !time.empty() && std::toupper(static_cast<unsigned char>(time.back())) == 'M';
}

// "23:08" and "0:15" can only be the 24-hour clock; "11:08" could be either half of the day.
std::optional<int> twentyFourHourMinute(const Clock& clock, std::string_view time)
{
    const auto minute = hasAmPm(time) ? std::nullopt : clock.minuteOfDay(time);
    if (!minute || (*minute >= 60 && *minute < 13 * 60))
        return std::nullopt;
    return minute;
}

} // namespace

std::string eventsMessage(EventsOutcome outcome)
{
    switch (outcome) {
    case EventsOutcome::QueueInUse:
        return "The page queue is being sent. Try again when the call has ended.";
    case EventsOutcome::AlreadySent:
        return "This page has already been sent.";
    case EventsOutcome::TimeNotConverted:
        return "date can not be converted try retyping it" + std::string(kTimeForms);
    case EventsOutcome::NoAmPm:
        return "You Need to add a PM or AM to the Time first." + std::string(kTimeForms);
    case EventsOutcome::DateNotConverted:
        return "Date can not be converted try retyping it";
    case EventsOutcome::Done:
    case EventsOutcome::NothingSelected:
        break;
    }
    return {};
}

EventsOutcome checkSchedule(const Clock& clock, std::string_view timeText, std::string_view dateText)
{
    const std::string time = store::trim(store::fixedText(timeText, 12));
    if (!clock.minuteOfDay(time) && !clock.dateOf(time))
        return EventsOutcome::TimeNotConverted;
    if (!hasAmPm(time) && !twentyFourHourMinute(clock, time))
        return EventsOutcome::NoAmPm;
    if (!clock.dateOf(store::trim(store::fixedText(dateText, 10))))
        return EventsOutcome::DateNotConverted;
    return EventsOutcome::Done;
}

std::string scheduledEntry(
    const Clock& clock, std::string_view queueEntry, std::string_view timeText, std::string_view dateText)
{
    std::string entry = store::fixedText(queueEntry.substr(0, 150), 150);
    entry += ' ';
    const auto minute = twentyFourHourMinute(clock, store::trim(store::fixedText(timeText, 12)));
    entry += store::fixedText(minute ? formatTime12(*minute) : std::string(timeText), 12);
    entry += ' ';
    entry += store::fixedText(dateText, 10);
    entry += ' ';
    entry += engine::kStatusScheduled;
    entry += ' ';
    // The whole message the page was queued with: the limit of whoever is chosen now must not cut it.
    if (queueEntry.size() > 196)
        entry += queueEntry.substr(196);
    return entry;
}

int msUntilDueCheck(int millisecondsIntoMinute)
{
    constexpr int kAfterTheMinute = 500;
    return 60000 - millisecondsIntoMinute + kAfterTheMinute;
}

} // namespace tolvane::dispatch
