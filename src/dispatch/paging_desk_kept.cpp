#include "dispatch/paging_desk.h"

#include "engine/queue_entry.h"
#include "store/text.h"

// The kept queue: the pages of the last run back at start-up, what fell due or may have been sent meanwhile,
// and the operator's choices about those pages.
namespace tolvane::dispatch {
namespace {

std::string countText(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + std::string(count == 1 ? one : many);
}

} // namespace

void PagingDesk::restoreKeptQueue()
{
    if (m_kept)
        return;
    m_kept = std::make_unique<KeptQueue>(m_folder);
    tickClock(); // what fell due is measured against the clock now
    KeptQueue::Opened opened = m_kept->open();
    std::size_t uncertain = 0;
    for (auto& page : opened.pages) {
        using store::KeptState;
        KeptState state = page.state;
        if (state == KeptState::Leaving) {
            // The program died during the page's call; a line in the log says how far it got.
            const LoggedAnswer answer = loggedAnswer(m_folder, page.entry, page.logOffset, m_state.messageLimit);
            state = answer == LoggedAnswer::Delivered ? KeptState::Sent
                : answer == LoggedAnswer::Refused     ? KeptState::Waiting
                                                      : KeptState::MayHaveBeenSent;
        }
        // A sent page is in the log; it stays only where the settings keep sent pages in the queue.
        if (state == KeptState::Sent && (page.list == store::KeptList::Single || m_settings.ClearQueue))
            continue;
        std::string entry = std::move(page.entry);
        if (state == KeptState::Sent)
            entry = engine::withStatus(entry, engine::kStatusSent);
        if (state == KeptState::MayHaveBeenSent) {
            entry = engine::withStatus(entry, engine::kStatusMayHaveBeenSent);
            if (page.state == KeptState::Leaving)
                ++uncertain;
        }
        PageMark mark { page.id, false, -1, std::move(page.fields), {}, false };
        mark.tries = triesFromFields(mark.otherFields);
        if (page.list != store::KeptList::Scheduled) {
            // A single page that never finished its call waits in the page queue now.
            m_pageQueue.insert(std::move(entry), std::move(mark));
            continue;
        }
        // Not sent hours late without a word: a page whose time passed while the program was closed waits for
        // the operator's answer.
        if (state == KeptState::Overdue || (state == KeptState::Waiting && isPast(entry))) {
            if (state == KeptState::Waiting)
                m_fellDue.push_back(mark.id);
            entry = engine::withStatus(entry, engine::kStatusOverdue);
        }
        m_scheduled.insert(std::move(entry), std::move(mark));
    }

    m_pageQueue.keepIn(*m_kept, store::KeptList::Queue);
    m_held.keepIn(*m_kept, store::KeptList::Queue);
    m_scheduled.keepIn(*m_kept, store::KeptList::Scheduled);
    m_singlePage.keepIn(*m_kept, store::KeptList::Single);
    m_kept->setEveryPage([this] { return everyKeptPage(); });
    m_kept->setProblemReport([this](const std::string& text) { keepingFailed(text); });

    if (!opened.problem.empty()) {
        std::string text
            = "The page queue file " + m_kept->path().string() + " could not be read: " + opened.problem + ".";
        if (!opened.setAsidePath.empty())
            text += " It was set aside as " + opened.setAsidePath.string() + ".";
        if (!opened.pages.empty())
            text += " " + countText(opened.pages.size(), " page", " pages") + " could be read from it.";
        m_view.messageBox(text);
    }
    // From here the file holds exactly what came back, without the history of the last run.
    m_kept->saveAll();
    if (uncertain > 0)
        m_view.messageBox(countText(uncertain, " page was", " pages were")
            + " being sent when Tolvane ended, and may have been sent. " + (uncertain == 1 ? "It waits" : "They wait")
            + " in the page queue, marked \"" + std::string(engine::kStatusMayHaveBeenSent)
            + "\": in View > Events, send " + (uncertain == 1 ? "it" : "each") + " again or delete it.");

    m_scheduleTimer = m_scheduled.count() > 0;
    m_dueSince = m_scheduleTimer ? captionMoment() : std::nullopt;
    if (m_retry.on && pagesNotDelivered() > 0) {
        m_view.setStatus(std::string(kPagesNotDelivered));
        m_view.setLamp(engine::Lamp::Red);
    }
    refreshCounters();
    updateToolbarButtons();
}

bool PagingDesk::isPast(std::string_view entry) const
{
    const auto date = m_clock.dateOf(store::trim(engine::dateColumn(entry)));
    const auto time = m_clock.minuteOfDay(store::trim(engine::timeColumn(entry)));
    const auto now = captionMoment();
    return date && time && now && std::pair { *date, *time } < *now;
}

bool PagingDesk::offerPagesThatFellDue()
{
    std::vector<std::string> ids = std::move(m_fellDue);
    m_fellDue.clear();
    std::vector<int> rows;
    for (int i = 0; i < m_scheduled.count(); ++i) {
        if (std::find(ids.begin(), ids.end(), m_scheduled.pageId(i)) != ids.end())
            rows.push_back(i);
    }
    if (rows.empty())
        return false;
    constexpr std::size_t kListed = 10;
    std::string question
        = countText(rows.size(), " scheduled page", " scheduled pages") + " fell due while Tolvane was closed:\r";
    for (std::size_t i = 0; i < rows.size() && i < kListed; ++i) {
        const std::string entry = m_scheduled.entry(rows[i]);
        question += store::rtrim(engine::nameColumn(entry)) + "  " + store::rtrim(engine::timeColumn(entry)) + " "
            + store::rtrim(engine::dateColumn(entry)) + "\r";
    }
    if (rows.size() > kListed)
        question += "and " + std::to_string(rows.size() - kListed) + " more\r";
    question += rows.size() == 1
        ? "Send it now? No keeps it in the scheduled list, marked overdue, until you send or delete it."
        : "Send them now? No keeps them in the scheduled list, marked overdue, until you send or delete them.";
    if (!m_view.askYesNo(question))
        return false;
    {
        KeptQueue::Change change(m_kept.get());
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            auto [entry, mark] = m_scheduled.takeAt(*row);
            m_pageQueue.insert(engine::withStatus(entry, engine::kStatusScheduled), std::move(mark));
        }
    }
    listsChanged();
    return true;
}

EventsOutcome PagingDesk::sendAgain(EventList list, int index)
{
    EntryList& entries = list == EventList::Queue ? m_pageQueue : m_scheduled;
    if (index < 0 || index >= entries.count())
        return EventsOutcome::NothingSelected;
    if (m_running)
        return EventsOutcome::QueueInUse;
    if (engine::isMarkedSent(entries.entry(index)))
        return EventsOutcome::AlreadySent;
    {
        KeptQueue::Change change(m_kept.get());
        auto [entry, mark] = entries.takeAt(index);
        // A scheduled page keeps its status in the queue, as one that falls due does.
        m_pageQueue.insert(
            engine::withStatus(entry, list == EventList::Queue ? engine::kStatusReady : engine::kStatusScheduled),
            std::move(mark));
    }
    listsChanged();
    sendQueue();
    return EventsOutcome::Done;
}

bool PagingDesk::readyToEnd()
{
    if (m_endAnyway || !m_kept || m_kept->saved() || m_kept->saveAll() || everyKeptPage().empty())
        return true;
    m_endAnyway = m_view.askYesNo("The page queue could not be kept in " + m_kept->path().string()
        + ", so the pages waiting would be lost. End Tolvane anyway?");
    return m_endAnyway;
}

void PagingDesk::keepingFailed(const std::string& text)
{
    // A box would stop the call in the middle of a page: the connection log has it now, a box after the run.
    if (m_running) {
        m_view.appendWarning(text);
        m_unshownKeepingProblem = text;
        return;
    }
    m_view.messageBox(text);
}

void PagingDesk::showUnshownKeepingProblem()
{
    if (m_unshownKeepingProblem.empty())
        return;
    m_view.messageBox(m_unshownKeepingProblem);
    m_unshownKeepingProblem.clear();
}

void PagingDesk::removeSentPages()
{
    // Only what was delivered: a page refused, never reached or that may have been sent stays, so that none
    // disappears without its line in the log.
    KeptQueue::Change change(m_kept.get());
    for (int i = m_pageQueue.count() - 1; i >= 0; --i) {
        if (engine::isMarkedSent(m_pageQueue.entry(i)))
            m_pageQueue.removeAt(i);
    }
}

std::vector<store::KeptPage> PagingDesk::everyKeptPage() const
{
    std::vector<store::KeptPage> pages;
    for (const EntryList* list : { &m_pageQueue, &m_held, &m_scheduled, &m_singlePage })
        list->appendKeptPages(pages);
    return pages;
}

} // namespace tolvane::dispatch
