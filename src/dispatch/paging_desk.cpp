#include "dispatch/paging_desk.h"

#include "engine/queue_entry.h"
#include "engine/serial_line.h"
#include "store/record_file.h"
#include "store/store_error.h"
#include "store/text.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace tolvane::dispatch {
namespace {

template <class Record> std::vector<Record> readDirectory(const store::DataFolder& folder)
{
    return store::readAllRecords<Record>(folder.pathOf<Record>());
}

bool isNumericName(std::string_view name)
{
    return name.substr(0, 4) == "DIG-";
}

// What a numeric pager can take: digits, and the keys of a telephone.
bool dialsAsDigits(std::string_view message)
{
    return std::all_of(message.begin(), message.end(),
        [](char c) { return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == ' '; });
}

// Membership is positional: flag k (1-based) belongs to the k-th record of GROUP.DAT.
bool isMemberOf(const store::UserRecord& user, int groupPosition)
{
    return groupPosition >= 1 && static_cast<std::size_t>(groupPosition) <= user.GroupFlags.size()
        && user.GroupFlags[static_cast<std::size_t>(groupPosition - 1)] == '1';
}

// The 1-based position of the last group record with this name; 0 when none has it.
int groupPositionOf(const std::vector<store::GroupRecord>& groups, const std::string& name)
{
    int position = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].GroupName == name)
            position = static_cast<int>(i) + 1;
    }
    return position;
}

// Every MaxChars of each company name, in file order.
std::unordered_map<std::string, std::vector<std::int16_t>> maximaByCompany(
    const std::vector<store::TerminalRecord>& terminals)
{
    std::unordered_map<std::string, std::vector<std::int16_t>> maxima;
    for (const auto& terminal : terminals)
        maxima[terminal.CompanyName].push_back(terminal.MaxChars);
    return maxima;
}

// The company columns whose TERMINAL.DAT record (the last of its name) is a numeric service.
std::unordered_set<std::string> numericCompanyColumns(const store::DataFolder& folder)
{
    std::unordered_map<std::string, bool> numeric;
    try {
        for (const auto& terminal : readDirectory<store::TerminalRecord>(folder))
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

PagingDesk::PagingDesk(const store::DataFolder& folder, engine::CallView& view, Clock& clock)
    : m_folder(folder)
    , m_view(view)
    , m_clock(clock)
{
    // Each entry was cut to the limit of its own recipients when it was queued; a call reads all of it, so
    // the recipients of the next message (or an emptied list, back at 80) never cut a waiting page again.
    m_state.messageLimit = 300;
    // Entries queued before the first clock tick would otherwise carry blank times.
    Timer1_Timer();
}

template <class Record>
void PagingDesk::loadNames(std::vector<std::string>& names, int& selected, std::string Record::*name)
{
    names.clear();
    selected = -1;
    try {
        for (const auto& record : readDirectory<Record>(m_folder))
            names.push_back(record.*name);
    } catch (const std::exception& error) {
        reportError(error);
    }
    changed();
}

void PagingDesk::loadUsers()
{
    loadNames(m_users, m_selectedUser, &store::UserRecord::UserName);
}

void PagingDesk::loadGroups()
{
    loadNames(m_groups, m_selectedGroup, &store::GroupRecord::GroupName);
}

void PagingDesk::showUsers()
{
    m_visible = ActiveList::Users;
    loadUsers();
    m_active = ActiveList::Users;
    changed();
}

void PagingDesk::showGroups()
{
    m_visible = ActiveList::Groups;
    loadGroups();
    m_active = ActiveList::Groups;
    changed();
}

void PagingDesk::showBoth()
{
    m_visible = ActiveList::Both;
    loadUsers();
    loadGroups();
    m_active = ActiveList::Both;
    changed();
}

void PagingDesk::selectUser(int index)
{
    m_selectedUser = index >= 0 && index < static_cast<int>(m_users.size()) ? index : -1;
    if (m_selectedUser >= 0) {
        m_active = ActiveList::Users;
        m_selectedGroup = -1;
    }
    changed();
}

void PagingDesk::selectGroup(int index)
{
    m_selectedGroup = index >= 0 && index < static_cast<int>(m_groups.size()) ? index : -1;
    if (m_selectedGroup >= 0) {
        m_active = ActiveList::Groups;
        m_selectedUser = -1;
    }
    changed();
}

void PagingDesk::addUser(int index)
{
    selectUser(index);
    if (m_selectedUser >= 0)
        ItemWasClicked();
}

void PagingDesk::addGroup(int index)
{
    selectGroup(index);
    if (m_selectedGroup >= 0)
        ItemWasClicked();
}

void PagingDesk::ItemWasClicked()
{
    // With nothing selected there is nothing to add: an empty recipient would match no one.
    std::string item;
    if (m_active == ActiveList::Users && m_selectedUser >= 0)
        item = m_users[static_cast<std::size_t>(m_selectedUser)];
    else if (m_active == ActiveList::Groups && m_selectedGroup >= 0)
        item = m_groups[static_cast<std::size_t>(m_selectedGroup)];
    else
        return;

    m_recipients.push_back(item);
    m_messageBoxVisible = true;

    if (m_active == ActiveList::Groups) {
        SetTmaxForGroup(item);
    } else {
        try {
            std::optional<std::string> company;
            for (const auto& user : readDirectory<store::UserRecord>(m_folder)) {
                if (user.UserName == item)
                    company = user.PagingCompany;
            }
            // A user whose record is gone, or whose company has no record, leaves the limit as it was.
            if (company) {
                int limit = m_messageLimit;
                for (const auto& terminal : readDirectory<store::TerminalRecord>(m_folder)) {
                    if (terminal.CompanyName != *company)
                        continue;
                    // The first recipient sets the limit outright; later ones can only lower it.
                    if (terminal.MaxChars > limit) {
                        if (m_recipients.size() == 1)
                            limit = terminal.MaxChars;
                    } else {
                        limit = terminal.MaxChars;
                    }
                }
                setLimit(limit);
            }
        } catch (const std::exception& error) {
            reportError(error);
        }
    }
    UpdateToolbarButtons();
}

void PagingDesk::SetTmaxForGroup(const std::string& groupName)
{
    std::vector<store::GroupRecord> groups;
    std::vector<store::UserRecord> users;
    std::vector<store::TerminalRecord> terminals;
    try {
        groups = readDirectory<store::GroupRecord>(m_folder);
        users = readDirectory<store::UserRecord>(m_folder);
        terminals = readDirectory<store::TerminalRecord>(m_folder);
    } catch (const std::exception& error) {
        m_recipients.pop_back(); // the group's own name: it is never left standing for its members
        reportError(error);
        return;
    }

    const int position = groupPositionOf(groups, groupName);
    std::vector<const store::UserRecord*> members;
    for (const auto& user : users) {
        if (isMemberOf(user, position))
            members.push_back(&user);
    }
    // The group's name stands just before its members: the members take its place.
    m_recipients.erase(m_recipients.end() - 1);
    for (const auto* member : members)
        m_recipients.push_back(member->UserName);

    // Each member's name may match several user records, each with its own company.
    std::unordered_map<std::string, std::vector<const std::string*>> companiesByName;
    for (const auto& user : users)
        companiesByName[user.UserName].push_back(&user.PagingCompany);
    std::vector<const std::string*> companies;
    for (const auto* member : members) {
        const auto& found = companiesByName[member->UserName];
        companies.insert(companies.end(), found.begin(), found.end());
    }

    const auto maxima = maximaByCompany(terminals);
    int groupMinimum = 0; // starts empty, which compares as 0
    int limit = m_messageLimit;
    for (std::size_t j = 0; j < companies.size(); ++j) {
        const auto it = maxima.find(*companies[j]);
        if (it == maxima.end())
            continue;
        for (const std::int16_t maxChars : it->second) {
            if (maxChars > groupMinimum) {
                if (j == 0)
                    groupMinimum = maxChars;
            } else {
                groupMinimum = maxChars;
            }
            if (maxChars < limit)
                limit = maxChars;
        }
    }
    if (m_recipients.size() == 1)
        limit = groupMinimum;
    setLimit(limit);
}

void PagingDesk::setLimit(int limit)
{
    // A limit of 0 or less cannot be a box's maximum length: fall back to the starting 80.
    if (limit <= 0)
        limit = 80;
    m_messageLimit = static_cast<std::int16_t>(std::min(limit, int { std::numeric_limits<std::int16_t>::max() }));
}

void PagingDesk::addRecipientName(std::string paddedName)
{
    m_recipients.push_back(std::move(paddedName));
    m_messageBoxVisible = true;
    UpdateToolbarButtons();
}

void PagingDesk::removeRecipient(int index)
{
    if (index < 0 || index >= static_cast<int>(m_recipients.size()))
        return;
    m_recipients.erase(m_recipients.begin() + index);
    if (m_recipients.empty())
        m_messageLimit = 80;
    UpdateToolbarButtons();
}

void PagingDesk::clearRecipients()
{
    m_recipients.clear();
    m_messageBoxVisible = false;
    m_messageLimit = 80;
    UpdateToolbarButtons();
}

void PagingDesk::setMessage(std::string_view text)
{
    // A line break would end the message early on the wire and split the queue entry.
    m_message = withoutLineBreaks(text);
    UpdateToolbarButtons();
}

bool PagingDesk::refuseKey(int keyCode)
{
    if (!isRefusedKey(keyCode))
        return false;
    m_view.messageBox(std::string(kReturnKeyMessage));
    return true;
}

void PagingDesk::MMESSAGE_Click()
{
    m_message.clear();
    UpdateToolbarButtons();
}

void PagingDesk::addEntry(std::string entry)
{
    if (m_walking)
        m_held.push_back(std::move(entry));
    else
        m_pageQueue.insert(std::move(entry));
}

void PagingDesk::mergeHeldEntries()
{
    for (auto& entry : m_held)
        m_pageQueue.insert(std::move(entry));
    m_held.clear();
}

void PagingDesk::QueMessage()
{
    if (m_message.empty()) {
        m_view.messageBox(std::string(kNoMessageToQueue));
        return;
    }
    if (m_recipients.empty()) {
        m_view.messageBox(std::string(kNoRecipientToQueue));
        return;
    }
    UpdateToolbarButtons();

    try {
        const auto groups = readDirectory<store::GroupRecord>(m_folder);
        const auto users = readDirectory<store::UserRecord>(m_folder);

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
        const auto queue = [&](const store::UserRecord& user) {
            addEntry(engine::buildQueueEntry(user, m_timeCaption, m_dateCaption, m_message, m_messageLimit));
            numericRecipient = numericRecipient || isNumericName(user.PagingCompany);
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

        if (m_settings.ClearSendList) {
            m_recipients.clear();
            m_messageBoxVisible = false;
        }
        if (m_settings.ClearMessage)
            m_message.clear();
        UpdateToolbarButtons();
    } catch (const std::exception& error) {
        reportError(error);
    }
    setQueueCounter(true);
    changed();
}

bool PagingDesk::MCLEARQUE_Click()
{
    if (m_walking)
        return false;
    m_pageQueue.clear();
    m_held.clear();
    setQueueCounter(false);
    UpdateToolbarButtons();
    return true;
}

void PagingDesk::setQueueCounter(bool leadingBlank)
{
    const long count = m_pageQueue.count() + static_cast<long>(m_held.size());
    m_queueCounter = (leadingBlank ? store::numberText(count) : std::to_string(count)) + std::string(kPagesInQue);
}

void PagingDesk::refreshCounters()
{
    setQueueCounter(false);
    m_delayCounter = std::to_string(m_scheduled.count()) + std::string(kDelaySendPages);
    changed();
}

bool PagingDesk::MSENDQUE_Click()
{
    if (m_running)
        return false;
    m_view.setStatus(std::string(kPreparingPage));
    PageProcess();
    if (m_settings.ClearSendList) {
        m_recipients.clear();
        m_messageBoxVisible = false;
    }
    if (m_settings.ClearMessage)
        m_message.clear();
    m_state.runPageCounter = 0;
    m_state.queueCursor = 0;
    UpdateToolbarButtons();
    setQueueCounter(true);
    changed();
    return true;
}

bool PagingDesk::PageProcess()
{
    if (m_running)
        return false;
    m_state.sentCount = 0;
    bool called = false;
    {
        RunGuard guard(m_running);
        RunGuard walking(m_walking);
        m_callQueue.use(m_pageQueue);
        const std::uint64_t clears = m_pageQueue.clearCount();
        // A numeric call dials the first page of its run and ends: each numeric page needs a call of its
        // own, or the rest of its company's pages would stay unsent without a word.
        const auto numeric
            = m_pageQueue.count() > 0 ? numericCompanyColumns(m_folder) : std::unordered_set<std::string> {};
        int start = 0;
        while (start < m_pageQueue.count() && start <= std::numeric_limits<std::int16_t>::max()) {
            const std::string company = engine::companyColumn(m_pageQueue.entry(start));
            int end = start + 1;
            while (end < m_pageQueue.count() && !numeric.contains(company)
                && engine::companyColumn(m_pageQueue.entry(end)) == company)
                ++end;
            const int length = std::min(end - start, int { std::numeric_limits<std::int16_t>::max() });
            m_view.setStatus(std::string(kPreparingNextPage));
            // Each call is told where its own run starts, so an early end of one call cannot shift the next.
            m_state.queueCursor = static_cast<std::int16_t>(start);
            if (m_sender) {
                m_sender->PageThePeople(static_cast<std::int16_t>(length), static_cast<std::int16_t>(start));
                called = true;
            }
            // A cancel answered Yes (or the clear command) emptied the queue under the walk.
            if (m_pageQueue.clearCount() != clears)
                break;
            start += length;
        }
        if (called)
            reloadSettings();
        if (m_settings.ClearQueue)
            m_pageQueue.clear();
    }
    mergeHeldEntries();
    return true;
}

bool PagingDesk::SendPageNow()
{
    if (m_running)
        return false;
    m_state.sentCount = 0;
    if (m_active == ActiveList::Groups) {
        m_view.messageBox(std::string(kNoGroupsForSinglePage));
        UpdateToolbarButtons();
        return true;
    }
    UpdateToolbarButtons();
    if (m_recipients.size() > 1) {
        m_view.messageBox(std::string(kOneUserForSinglePage));
        UpdateToolbarButtons();
        return true;
    }
    if (m_recipients.empty())
        return true;
    const std::string name = m_recipients.front();
    if (isNumericName(name) && !m_view.askYesNo(std::string(kNumericPagerQuestion)))
        return true;

    std::vector<store::UserRecord> users;
    try {
        users = readDirectory<store::UserRecord>(m_folder);
    } catch (const std::exception& error) {
        reportError(error);
        return true;
    }

    bool called = false;
    {
        RunGuard guard(m_running);
        // The single page travels in a list of its own; pages waiting in the queue stay as they are.
        m_callQueue.use(m_singlePage);
        for (const auto& user : users) {
            if (user.UserName != name)
                continue;
            m_singlePage.clear();
            m_singlePage.insert(engine::buildQueueEntry(user, m_timeCaption, m_dateCaption, m_message, m_messageLimit));
            m_state.queueCursor = 0;
            if (m_sender) {
                m_sender->PageThePeople(1, 0);
                called = true;
            }
        }
        m_singlePage.clear();
        m_callQueue.use(m_pageQueue);
        if (called)
            reloadSettings();
    }
    mergeHeldEntries();

    if (m_settings.ClearSendList) {
        m_recipients.clear();
        m_messageBoxVisible = false;
    }
    if (m_settings.ClearMessage)
        m_message.clear();
    UpdateToolbarButtons();
    return true;
}

bool PagingDesk::MSEND_Click()
{
    if (m_running)
        return false;
    m_view.setStatus(std::string(kPreparingPage));
    UpdateToolbarButtons();
    SendPageNow();
    m_state.runPageCounter = 0;
    m_state.queueCursor = 0;
    changed();
    return true;
}

void PagingDesk::reloadSettings()
{
    // Every paging call reloads the settings from SETTINGS.DAT; the clean-up after it uses what it read.
    try {
        m_settings = store::CheckSettings(m_folder);
    } catch (const std::exception&) {
        // The settings in hand stay; the call itself has reported what went wrong with the files.
    }
}

void PagingDesk::Timer1_Timer()
{
    m_timeCaption = m_clock.timeText();
    m_dateCaption = m_clock.dateText();
    changed();
}

bool PagingDesk::isDue(std::string_view entry) const
{
    const auto date = m_clock.dateOf(store::trim(engine::dateColumn(entry)));
    const auto today = m_clock.dateOf(m_dateCaption);
    if (!date || !today || *date != *today)
        return false;
    const auto time = m_clock.minuteOfDay(store::trim(engine::timeColumn(entry)));
    const auto now = m_clock.minuteOfDay(m_timeCaption);
    return time && now && *time < *now;
}

void PagingDesk::Timer2_Timer()
{
    // A run holds the port and walks the queue by index: try again on a later tick.
    if (m_running)
        return;
    bool moved = false;
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
        m_pageQueue.insert(m_scheduled.entry(due));
        m_scheduled.removeAt(due);
        moved = true;
    }
    if (moved)
        MSENDQUE_Click();
    if (m_scheduled.count() == 0)
        m_scheduleTimer = false;
    refreshCounters();
}

void PagingDesk::UpdateToolbarButtons()
{
    if (m_recipients.empty()) {
        m_message.clear();
        m_messageBoxVisible = false;
    }
    m_view.refreshCommands();
    changed();
}

CommandState PagingDesk::commandState(bool portOpen) const
{
    CommandState state;
    const bool hasMessage = !m_message.empty();
    const std::size_t recipients = m_recipients.size();
    state.queue = hasMessage && recipients >= 1;
    state.send = hasMessage && recipients == 1 && !m_running;
    state.sendQueue = m_pageQueue.count() > 0 && !m_running;
    state.cancel = portOpen || m_running;
    state.messageBoxVisible = m_messageBoxVisible;
    state.lampYellow = hasMessage;
    state.clearQueue = !m_walking;
    state.runInProgress = m_running;
    return state;
}

void PagingDesk::reportError(const std::exception& error)
{
    long number = 51; // internal error, for failures that carry no number of their own
    if (const auto* storeError = dynamic_cast<const store::StoreError*>(&error))
        number = storeError->number();
    else if (const auto* serialError = dynamic_cast<const engine::SerialError*>(&error))
        number = serialError->number();
    m_view.messageBox("Error # " + store::numberText(number) + " was generated by Tolvane\r" + error.what(), "Error");
}

void PagingDesk::changed()
{
    if (m_onChange)
        m_onChange();
}

} // namespace tolvane::dispatch
