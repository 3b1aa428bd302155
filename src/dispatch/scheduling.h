#pragma once

#include "dispatch/clock.h"

#include <string>
#include <string_view>

// The rules of the Events window's commands on the page queue and the scheduled list.
namespace tolvane::dispatch {

// Which of the desk's two lists a command of the Events window works on.
enum class EventList { Queue, Scheduled };

enum class EventsOutcome {
    Done,
    NothingSelected, // no entry at that index: nothing happens
    QueueInUse, // a run reads the page queue by index; removing entries now would shift its pages
    AlreadySent, // a numeric page marked sent: scheduling it would send it a second time
    TimeNotConverted,
    NoAmPm,
    DateNotConverted,
};

// The box an outcome shows; empty for Done and NothingSelected. A bad time's box shows both forms it may take.
std::string eventsMessage(EventsOutcome outcome);

// Checks the time and date a queue entry is to be scheduled for, in the order the operator is told:
// the time must convert (a date would do here too), it must end in an AM or PM suffix (either case) unless
// it is a time of the 24-hour clock no 12-hour reading could mean ("23:08", "0:15"), and the date must
// convert. Each is checked as the entry will carry it (12 and 10 characters), since the scheduled-page
// check reads it back from there.
EventsOutcome checkSchedule(const Clock& clock, std::string_view timeText, std::string_view dateText);

// The scheduled form of a queue entry: its company, name and pager ID, the time and date as typed (a
// 24-hour time in the "11:08 PM" form the page log's readers know), status "Page is Scheduled   " and the
// entry's whole message column.
std::string scheduledEntry(
    const Clock& clock, std::string_view queueEntry, std::string_view timeText, std::string_view dateText);

// The wait from now until the scheduled-page check at the start of the next minute, a little after it so
// the clock reads the new minute by then.
int msUntilDueCheck(int millisecondsIntoMinute);

} // namespace tolvane::dispatch
