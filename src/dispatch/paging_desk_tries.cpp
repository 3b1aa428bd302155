#include "dispatch/paging_desk.h"

#include "engine/queue_entry.h"
#include "store/text.h"

#include <algorithm>
#include <functional>

// Failed pages tried again: what each call's answers mean for the tries of its pages, which pages a send
// nobody asked for takes, and what the Events window and the status bar say about them.
namespace tolvane::dispatch {

void PagingDesk::setRetryPolicy(const RetryPolicy& policy)
{
    m_retry = sensibleRetryPolicy(policy);
    changed();
}

bool PagingDesk::scheduleTimerEnabled() const
{
    return m_scheduleTimer || triesPending();
}

void PagingDesk::startTriesAfresh()
{
    KeptQueue::Change change(m_kept.get());
    for (int i = 0; i < m_pageQueue.count(); ++i) {
        if (!engine::waitsToBeSent(m_pageQueue.entry(i)))
            continue;
        PageTries tries = m_pageQueue.markAt(i).tries;
        startTriesAgain(tries);
        m_pageQueue.setTries(i, tries);
    }
}

bool PagingDesk::goesInThisRun(int index, const std::optional<Moment>& now) const
{
    if (!engine::waitsToBeSent(m_pageQueue.entry(index)))
        return false;
    // Without a clock that reads, a send nobody asked for takes what it always took.
    return !m_sendingByItself || !now || goesByItself(m_pageQueue.markAt(index).tries, m_retry, *now);
}

void PagingDesk::settleTries(const std::vector<int>& run)
{
    const std::optional<Moment> now = momentNow(m_clock);
    // Tries are planned from the clock; one that cannot be read plans none, and the pages wait as ever.
    RetryPolicy policy = m_retry;
    policy.on = policy.on && now.has_value();
    const std::optional<CalendarDate> today = now ? std::optional(now->date) : std::nullopt;
    KeptQueue::Change change(m_kept.get());
    for (const int i : run) {
        if (i >= m_pageQueue.count())
            break;
        const PageMark& mark = m_pageQueue.markAt(i);
        const std::string entry = m_pageQueue.entry(i);
        engine::PageOutcome outcome;
        if (mark.answered && mark.tries.last) {
            outcome = *mark.tries.last;
        } else if (m_state.lastCallFailed && engine::waitsToBeSent(entry)) {
            // The call ended before it reached the page.
            outcome = m_state.lastCallEnd;
        } else {
            continue; // sent before, or it may have been sent: not this call's to settle
        }
        PageTries tries = mark.tries;
        const TryVerdict verdict = settleTry(tries, outcome, policy, now.value_or(Moment {}));
        const std::string id = mark.id;
        m_pageQueue.setTries(i, tries);
        const std::string name = store::rtrim(engine::nameColumn(entry));
        if (verdict == TryVerdict::Dropped)
            m_refusedForGood.push_back(id);
        else if (verdict == TryVerdict::TriedAgain || verdict == TryVerdict::GaveUp)
            m_view.appendLog(name + ": " + triesStatus(tries, policy, today));
    }
}

void PagingDesk::endTries()
{
    {
        KeptQueue::Change change(m_kept.get());
        for (const std::string& id : m_refusedForGood) {
            for (int i = 0; i < m_pageQueue.count(); ++i) {
                if (m_pageQueue.pageId(i) != id)
                    continue;
                // Its "ERROR FOR: " line is in the log: sending it again unchanged cannot help.
                m_view.appendLog("Taken from the page queue, refused for good: "
                    + store::rtrim(engine::nameColumn(m_pageQueue.entry(i))));
                m_pageQueue.removeAt(i);
                break;
            }
        }
    }
    m_refusedForGood.clear();
    if (!m_retry.on)
        return;
    if (pagesNotDelivered() > 0) {
        m_view.setStatus(std::string(kPagesNotDelivered));
        m_view.setLamp(engine::Lamp::Red);
        return;
    }
    std::optional<Moment> soonest;
    for (int i = 0; i < m_pageQueue.count(); ++i) {
        const PageTries& tries = m_pageQueue.markAt(i).tries;
        if (tries.next && !tries.gaveUp && (!soonest || *tries.next < *soonest))
            soonest = tries.next;
    }
    if (soonest)
        m_view.setStatus("Page(s) not delivered yet: tried again at " + formatTime12(soonest->minute));
}

int PagingDesk::waitingPagesWhose(const std::function<bool(const PageTries&)>& test) const
{
    int count = 0;
    for (int i = 0; i < m_pageQueue.count(); ++i) {
        if (test(m_pageQueue.markAt(i).tries) && engine::waitsToBeSent(m_pageQueue.entry(i)))
            ++count;
    }
    return count;
}

bool PagingDesk::triesPending() const
{
    return m_retry.on && waitingPagesWhose([](const PageTries& tries) { return tries.next && !tries.gaveUp; }) > 0;
}

bool PagingDesk::tryDueNow() const
{
    const std::optional<Moment> now = momentNow(m_clock);
    return now && waitingPagesWhose([&](const PageTries& tries) { return tryDue(tries, m_retry, *now); }) > 0;
}

int PagingDesk::pagesNotDelivered() const
{
    return waitingPagesWhose([](const PageTries& tries) { return tries.gaveUp; });
}

std::string PagingDesk::statusWords(int queueIndex) const
{
    if (queueIndex < 0 || queueIndex >= m_pageQueue.count() || !engine::waitsToBeSent(m_pageQueue.entry(queueIndex)))
        return {};
    const auto today = m_clock.dateOf(m_clock.dateText());
    return triesStatus(m_pageQueue.markAt(queueIndex).tries, m_retry, today);
}

bool PagingDesk::waitsForOperator(int queueIndex) const
{
    if (queueIndex < 0 || queueIndex >= m_pageQueue.count() || !engine::waitsToBeSent(m_pageQueue.entry(queueIndex)))
        return false;
    const PageTries& tries = m_pageQueue.markAt(queueIndex).tries;
    return tries.gaveUp || (tries.last && !tries.last->delivered() && !(m_retry.on && tries.next));
}

std::optional<engine::PageOutcome> PagingDesk::singlePageOutcome() const
{
    if (m_singlePage.count() > 0 && m_singlePage.markAt(0).answered)
        return m_singlePage.markAt(0).tries.last;
    if (m_state.lastCallFailed)
        return m_state.lastCallEnd;
    return std::nullopt;
}

} // namespace tolvane::dispatch
