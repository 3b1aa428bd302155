#include "dispatch/paging_desk.h"

#include "engine/queue_entry.h"
#include "store/record_file.h"
#include "store/text.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The page queue and the scheduled list: queueing, sending, and the scheduled release.
namespace tolvane::dispatch {
namespace {

// A call counts its pages in 16 bits; a company with more waiting gets further calls.
constexpr std::size_t kLongestRun = std::numeric_limits<std::int16_t>::max();

// What a numeric pager can take: digits, and the keys of a telephone.
bool dialsAsDigits(std::string_view message)
{
    return std::all_of(message.begin(), message.end(),
        [](char c) { return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == ' '; });
}

// The company columns whose TERMINAL.DAT record (the last of its name) is a numeric service.
std::unordered_set<std::string> numericCompanyColumns(const store::DataFolder& folder)
{
    std::unordered_map<std::string, bool> numeric;
    try {
        for (const auto& terminal : store::readAllRecords<store::TerminalRecord>(folder))
            numeric[store::fixedText(terminal.CompanyName, 25)] = terminal.ServiceType != 1;
    } catch (const std::exception&) {
        // The call itself reports a directory it cannot read.
    }
    std::unordered_set<std::string> columns;
    for (const auto& [column, isNumeric] : numeric) {
        if (isNumeric)
            columns.insert(column);
    }
    return columns;
}

// Who a page goes to: the name, pager ID and company, as the queue entry carries them. Two records alike in
// these are one person entered twice, and one page reaches them.
std::string pagerOf(const store::UserRecord& user)
{
    return user.encode().substr(0, 150);
}

// Marks a run in progress for as long as it lives, even if the call throws.
class RunGuard {
public:
    explicit RunGuard(bool& running)
        : m_running(running)
    {
        m_running = true;
    }
    ~RunGuard() { m_running = false; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    bool& m_running;
};

} // namespace

void PagingDesk::addEntry(std::string entry)
{
    if (m_walking)
        m_held.insert(std::move(entry));
    else
        m_pageQueue.insert(std::move(entry));
}

void PagingDesk::mergeHeldEntries()
{
    KeptQueue::Change change(m_kept.get());
    while (m_held.count() > 0) {
        auto [entry, mark] = m_held.takeAt(0);
        m_pageQueue.insert(std::move(entry), std::move(mark));
    }
}

void PagingDesk::queueMessage()
{
    if (m_message.empty()) {
        m_view.messageBox(std::string(kNoMessageToQueue));
        return;
    }
    if (m_recipients.empty()) {
        m_view.messageBox(std::string(kNoRecipientToQueue));
        return;
    }
    updateToolbarButtons();

    KeptQueue::Change change(m_kept.get());
    try {
        const auto groups = store::readAllRecords<store::GroupRecord>(m_folder);
        const auto users = store::readAllRecords<store::UserRecord>(m_folder);

        std::unordered_map<std::string, int> groupPositions;
        for (std::size_t i = 0; i < groups.size(); ++i)
            groupPositions[groups[i].GroupName] = static_cast<int>(i) + 1; // the last record of a name wins
        std::unordered_map<std::string, std::vector<const store::UserRecord*>> usersByName;
        for (const auto& user : users)
            usersByName[user.UserName].push_back(&user);
        std::unordered_map<int, std::vector<const store::UserRecord*>> membersByPosition;
        for (const auto& user : users) {
            for (std::size_t k = 0; k < user.GroupFlags.size(); ++k) {
                if (user.GroupFlags[k] == '1')
                    membersByPosition[static_cast<int>(k) + 1].push_back(&user);
            }
        }

        bool numericRecipient = false;
        // Chosen twice, or also through a group, a person still gets one page.
        std::unordered_set<std::string> queued;
        const auto queue = [&](const store::UserRecord& user) {
            if (!queued.insert(pagerOf(user)).second)
                return;
            addEntry(engine::buildQueueEntry(user, m_timeCaption, m_dateCaption, m_message, m_messageLimit));
            numericRecipient = numericRecipient || store::isNumericName(user.PagingCompany);
        };
        for (const auto& recipient : m_recipients) {
            if (const auto group = groupPositions.find(recipient); group != groupPositions.end()) {
                for (const auto* member : membersByPosition[group->second])
                    queue(*member);
            }
            if (const auto named = usersByName.find(recipient); named != usersByName.end()) {
                for (const auto* user : named->second)
                    queue(*user);
            }
        }
        // One warning, and only when a numeric pager would be sent something it cannot dial.
        if (numericRecipient && !dialsAsDigits(m_message))
            m_view.messageBox(std::string(kDigitalPagerWarning));

        clearAfterSending();
        updateToolbarButtons();
    } catch (const std::exception& error) {
        reportError(error);
    }
    setQueueCounter(true);
    changed();
}

bool PagingDesk::clearQueue()
{
    if (m_walking)
        return false;
    {
        KeptQueue::Change change(m_kept.get());
        m_pageQueue.clear();
        m_held.clear();
    }
    setQueueCounter(false);
    updateToolbarButtons();
    return true;
}

void PagingDesk::setQueueCounter(bool leadingBlank)
{
    const long count = m_pageQueue.count() + static_cast<long>(m_held.count());
    m_queueCounter = (leadingBlank ? store::numberText(count) : std::to_string(count)) + std::string(kPagesInQue);
}

void PagingDesk::refreshCounters()
{
    setQueueCounter(false);
    m_delayCounter = std::to_string(m_scheduled.count()) + std::string(kDelaySendPages);
    changed();
}

bool PagingDesk::sendQueue()
{
    return sendQueuedPages(true);
}

bool PagingDesk::sendQueuedPages(bool operatorsSend)
{
    if (m_running)
        return false;
    m_view.setStatus(std::string(kPreparingPage));
    m_sendingByItself = !operatorsSend;
    sendRunByRun();
    m_sendingByItself = false;
    // A send the scheduled-page timer started leaves alone what the operator may be typing meanwhile.
    if (operatorsSend && m_lastSendDelivered)
        clearAfterSending();
    m_state.runPageCounter = 0;
    m_state.queueCursor = 0;
    updateToolbarButtons();
    setQueueCounter(true);
    changed();
    return true;
}

bool PagingDesk::sendRunByRun()
{
    if (m_running)
        return false;
    m_state.sentCount = 0;
    m_state.refusedPages.clear();
    m_stopRequested = false;
    bool called = false;
    int asked = 0;
    {
        RunGuard guard(m_running);
        RunGuard walking(m_walking);
        m_callQueue.use(m_pageQueue);
        if (!m_sendingByItself)
            startTriesAfresh();
        const std::optional<Moment> now = momentNow(m_clock);
        const std::uint64_t clears = m_pageQueue.clearCount();
        // A numeric call dials the first page of its run and ends: each numeric page needs a call of its
        // own, or the rest of its company's pages would stay unsent without a word.
        const auto numeric
            = m_pageQueue.count() > 0 ? numericCompanyColumns(m_folder) : std::unordered_set<std::string> {};
        std::vector<std::string> failedCompanies;
        int start = 0;
        while (start < m_pageQueue.count() && start <= std::numeric_limits<std::int16_t>::max()) {
            // A page sent by an earlier run stays in the queue, marked, and so does one that may have been sent
            // (its call ended, or the program died, before the answer): neither is sent again by itself.
            if (!goesInThisRun(start, now)) {
                ++start;
                continue;
            }
            // The company's run: its pages that go now, passing over those that do not, in one call.
            const std::string company = engine::companyColumn(m_pageQueue.entry(start));
            std::vector<int> run { start };
            int end = start + 1;
            for (; end < m_pageQueue.count() && !numeric.contains(company)
                 && engine::companyColumn(m_pageQueue.entry(end)) == company;
                 ++end) {
                if (!goesInThisRun(end, now))
                    continue;
                if (run.size() == kLongestRun)
                    break;
                run.push_back(end);
            }
            const auto length = static_cast<std::int16_t>(run.size());
            m_view.setStatus(std::string(kPreparingNextPage));
            // Each call is told where its own run starts, so an early end of one call cannot shift the next.
            m_state.queueCursor = static_cast<std::int16_t>(start);
            if (m_sender) {
                m_state.lastCallFailed = false;
                m_pageQueue.forgetAnswers();
                m_callQueue.useRun(m_pageQueue, run);
                m_sender->pageThePeople(length, static_cast<std::int16_t>(start));
                m_callQueue.use(m_pageQueue);
                m_pageQueue.settleUnanswered();
                if (m_pageQueue.clearCount() == clears)
                    settleTries(run);
                called = true;
                asked += length;
                if (m_state.lastCallFailed
                    && std::find(failedCompanies.begin(), failedCompanies.end(), company) == failedCompanies.end())
                    failedCompanies.push_back(company);
            }
            // A cancel answered Yes (or the clear command) emptied the queue under the walk, or the run was
            // asked to stop.
            if (m_pageQueue.clearCount() != clears || m_stopRequested)
                break;
            start = end;
        }
        if (called)
            reloadSettings();
        else
            m_view.setStatus(std::string(kNothingToSend));
        m_lastSendDelivered = showRunEnd(asked, failedCompanies);
        endTries();
        if (m_settings.ClearQueue)
            removeSentPages();
    }
    mergeHeldEntries();
    showUnshownKeepingProblem();
    return true;
}

bool PagingDesk::showRunEnd(int pagesAsked, const std::vector<std::string>& failedCompanies)
{
    // The last call's status and lamp speak for that call, its "( n) Page(s) Were Sent" for every page of the
    // run: after a run of several calls they would pass for a full success. The status stays; the lamp and
    // the connection log's last lines tell the rest.
    const bool delivered = m_state.sentCount >= pagesAsked;
    if (!delivered)
        m_view.setLamp(engine::Lamp::Red);
    if (m_state.sentCount != 0) {
        for (const auto& company : failedCompanies)
            m_view.appendLog("Failed call to paging company: " + store::rtrim(company));
    }
    if (!m_state.refusedPages.empty()) {
        std::string pages;
        for (const auto& page : m_state.refusedPages)
            pages += (pages.empty() ? "" : "; ") + page;
        m_view.appendLog(std::string(kRefusedPages) + pages);
    }
    return delivered;
}

bool PagingDesk::sendToOneRecipient()
{
    if (m_running)
        return false;
    m_state.sentCount = 0;
    m_state.refusedPages.clear();
    m_stopRequested = false;
    m_lastSendDelivered = false;
    m_nobodyNamed = false;
    m_lastSingleOutcome.reset();
    if (m_active == ActiveList::Groups) {
        m_view.messageBox(std::string(kNoGroupsForSinglePage));
        updateToolbarButtons();
        return true;
    }
    updateToolbarButtons();
    if (m_recipients.size() > 1) {
        m_view.messageBox(std::string(kOneUserForSinglePage));
        updateToolbarButtons();
        return true;
    }
    if (m_recipients.empty())
        return true;
    const std::string name = m_recipients.front();
    if (store::isNumericName(name) && !m_view.askYesNo(std::string(kNumericPagerQuestion)))
        return true;
    // Only now is a page on its way: a refusal above leaves the status as it was.
    m_view.setStatus(std::string(kPreparingPage));

    std::vector<store::UserRecord> users;
    bool directoryRead = true;
    try {
        users = store::readAllRecords<store::UserRecord>(m_folder);
    } catch (const std::exception& error) {
        reportError(error);
        directoryRead = false;
    }

    int asked = 0;
    {
        RunGuard guard(m_running);
        // The single page travels in a list of its own; pages waiting in the queue stay as they are.
        m_callQueue.use(m_singlePage);
        std::unordered_set<std::string> paged;
        for (const auto& user : users) {
            if (user.UserName != name || !paged.insert(pagerOf(user)).second)
                continue;
            if (m_stopRequested)
                break;
            {
                KeptQueue::Change change(m_kept.get());
                m_singlePage.clear();
                m_singlePage.insert(
                    engine::buildQueueEntry(user, m_timeCaption, m_dateCaption, m_message, m_messageLimit));
            }
            m_state.queueCursor = 0;
            if (m_sender) {
                m_state.lastCallFailed = false;
                m_singlePage.forgetAnswers();
                m_sender->pageThePeople(1, 0);
                ++asked;
                const auto outcome = singlePageOutcome();
                if (outcome && (!m_lastSingleOutcome || m_lastSingleOutcome->delivered()))
                    m_lastSingleOutcome = outcome;
            }
        }
        m_singlePage.clear();
        m_callQueue.use(m_pageQueue);
        if (asked > 0)
            reloadSettings();
    }
    mergeHeldEntries();
    showUnshownKeepingProblem();

    if (asked == 0) {
        // USERS.DAT could not be read, or nobody has the name (another workstation may have deleted the user).
        m_view.setStatus(std::string(engine::kPagesNotSent));
        m_view.setLamp(engine::Lamp::Red);
        m_nobodyNamed = directoryRead;
        if (m_nobodyNamed)
            m_view.appendLog(noSuchUserText(name));
    } else {
        m_lastSendDelivered = showRunEnd(asked, {});
    }
    // A page that did not go keeps its recipient and message, to be corrected and sent again.
    if (m_lastSendDelivered)
        clearAfterSending();
    updateToolbarButtons();
    return true;
}

void PagingDesk::clearAfterSending()
{
    if (m_settings.ClearSendList) {
        m_recipients.clear();
        m_messageBoxVisible = false;
    }
    if (m_settings.ClearMessage)
        m_message.clear();
}

bool PagingDesk::sendSingle()
{
    if (m_running)
        return false;
    updateToolbarButtons();
    sendToOneRecipient();
    m_state.runPageCounter = 0;
    m_state.queueCursor = 0;
    changed();
    return true;
}

void PagingDesk::reloadSettings()
{
    // Every paging call reloads the settings from SETTINGS.DAT; the clean-up after it uses what it read.
    try {
        m_settings = store::checkSettings(m_folder);
    } catch (const std::exception&) {
        // The settings in hand stay; the call itself has reported what went wrong with the files.
    }
}

void PagingDesk::tickClock()
{
    m_timeCaption = m_clock.timeText();
    m_dateCaption = m_clock.dateText();
    changed();
}

std::optional<std::pair<CalendarDate, int>> PagingDesk::captionMoment() const
{
    const auto today = m_clock.dateOf(m_dateCaption);
    const auto now = m_clock.minuteOfDay(m_timeCaption);
    if (!today || !now)
        return std::nullopt;
    return std::pair { *today, *now };
}

bool PagingDesk::isDue(std::string_view entry) const
{
    // An overdue page waits for the operator, not for the timer.
    if (engine::statusColumn(entry) == store::fixedText(engine::kStatusOverdue, 20))
        return false;
    const auto date = m_clock.dateOf(store::trim(engine::dateColumn(entry)));
    const auto time = m_clock.minuteOfDay(store::trim(engine::timeColumn(entry)));
    const auto now = captionMoment();
    if (!date || !time || !now)
        return false;
    const std::pair moment { *date, *time };
    if (*date == now->first && *time <= now->second)
        return true;
    return m_dueSince && moment >= *m_dueSince && moment <= *now;
}

void PagingDesk::releaseDuePages()
{
    // A run holds the port and walks the queue by index: try again on a later tick.
    if (m_running)
        return;
    bool moved = false;
    {
        KeptQueue::Change change(m_kept.get());
        for (;;) {
            int due = -1;
            for (int i = 0; i < m_scheduled.count(); ++i) {
                if (isDue(m_scheduled.entry(i))) {
                    due = i;
                    break;
                }
            }
            if (due < 0)
                break;
            auto [entry, mark] = m_scheduled.takeAt(due);
            m_pageQueue.insert(std::move(entry), std::move(mark));
            moved = true;
        }
    }
    if (moved || tryDueNow())
        sendQueuedPages(false);
    if (m_scheduled.count() == 0)
        m_scheduleTimer = false;
    m_dueSince = m_scheduleTimer ? captionMoment() : std::nullopt;
    refreshCounters();
}

} // namespace tolvane::dispatch
