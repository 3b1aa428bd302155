#include "dispatch/scheduling.h"

#include "engine/queue_entry.h"
#include "store/text.h"

#include <cctype>

namespace tolvane::dispatch {

std::string_view eventsMessage(EventsOutcome outcome)
{
    switch (outcome) {
    case EventsOutcome::QueueInUse:
        return "The page queue is being sent. Try again when the call has ended.";
    case EventsOutcome::AlreadySent:
        return "This page has already been sent.";
    case EventsOutcome::TimeNotConverted:
        return "date can not be converted try retyping it";
    case EventsOutcome::NoAmPm:
        return "You Need to add a PM or AM to the Time first.";
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
    if (time.empty() || std::toupper(static_cast<unsigned char>(time.back())) != 'M')
        return EventsOutcome::NoAmPm;
    if (!clock.dateOf(store::trim(store::fixedText(dateText, 10))))
        return EventsOutcome::DateNotConverted;
    return EventsOutcome::Done;
}

std::string scheduledEntry(std::string_view queueEntry, std::string_view timeText, std::string_view dateText)
{
    std::string entry = store::fixedText(queueEntry.substr(0, 150), 150);
    entry += ' ';
    entry += store::fixedText(timeText, 12);
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

} // namespace tolvane::dispatch
