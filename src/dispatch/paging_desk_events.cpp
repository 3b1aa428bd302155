#include "dispatch/paging_desk.h"

#include "engine/queue_entry.h"

// The Events window's commands: scheduling a queued page and deleting entries of either list.
namespace tolvane::dispatch {

EventsOutcome PagingDesk::schedule(int queueIndex, std::string_view timeText, std::string_view dateText)
{
    if (queueIndex < 0 || queueIndex >= m_pageQueue.count())
        return EventsOutcome::NothingSelected;
    if (m_walking)
        return EventsOutcome::QueueInUse;
    if (engine::isMarkedSent(m_pageQueue.entry(queueIndex)))
        return EventsOutcome::AlreadySent;
    const EventsOutcome checked = checkSchedule(m_clock, timeText, dateText);
    if (checked != EventsOutcome::Done)
        return checked;
    {
        // One change, so the page is in one list or the other whenever the program may die.
        KeptQueue::Change change(m_kept.get());
        auto [entry, mark] = m_pageQueue.takeAt(queueIndex);
        startTriesAgain(mark.tries); // the operator's own time for it: a fresh first try
        m_scheduled.insert(scheduledEntry(m_clock, entry, timeText, dateText), std::move(mark));
    }
    m_scheduleTimer = true;
    if (!m_dueSince)
        m_dueSince = captionMoment();
    refreshCounters();
    updateToolbarButtons();
    return EventsOutcome::Done;
}

EventsOutcome PagingDesk::deleteOne(EventList list, int index)
{
    EntryList& entries = list == EventList::Queue ? m_pageQueue : m_scheduled;
    if (index < 0 || index >= entries.count())
        return EventsOutcome::NothingSelected;
    if (list == EventList::Queue && m_walking)
        return EventsOutcome::QueueInUse;
    entries.removeAt(index);
    listsChanged();
    return EventsOutcome::Done;
}

EventsOutcome PagingDesk::deleteAll(EventList list)
{
    if (list == EventList::Queue) {
        if (!clearQueue())
            return EventsOutcome::QueueInUse;
    } else {
        m_scheduled.clear();
    }
    listsChanged();
    return EventsOutcome::Done;
}

void PagingDesk::listsChanged()
{
    if (m_scheduled.count() == 0) {
        m_scheduleTimer = false;
        m_dueSince.reset();
    }
    refreshCounters();
    updateToolbarButtons();
}

} // namespace tolvane::dispatch
