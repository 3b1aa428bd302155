#include "dispatch/paging_desk.h"

#include "engine/paging_call.h"
#include "engine/queue_entry.h"
#include "engine/serial_line.h"
#include "store/record_file.h"
#include "store/store_error.h"
#include "store/text.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>

namespace tolvane::dispatch {
namespace {

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

// What a page takes by every record of each company name (engine::messageRoom), in file order.
std::unordered_map<std::string, std::vector<int>> roomsByCompany(
    const std::vector<store::TerminalRecord>& terminals, const store::RunningSettings& settings)
{
    std::unordered_map<std::string, std::vector<int>> rooms;
    for (const auto& terminal : terminals)
        rooms[terminal.CompanyName].push_back(engine::messageRoom(terminal, settings));
    return rooms;
}

} // namespace

std::string noSuchUserText(std::string_view name)
{
    return "No user named " + store::rtrim(name) + " was found in the directory.";
}

PagingDesk::PagingDesk(const store::DataFolder& folder, engine::CallView& view, Clock& clock)
    : m_folder(folder)
    , m_view(view)
    , m_clock(clock)
{
    // Each entry was cut to the limit of its own recipients when it was queued; a call reads all of it, so
    // the recipients of the next message (or an emptied list, back at 80) never cut a waiting page again.
    m_state.messageLimit = 300;
    // Entries queued before the first clock tick would otherwise carry blank times.
    tickClock();
}

template <class Record>
void PagingDesk::loadNames(std::vector<std::string>& names, int& selected, std::string Record::*name)
{
    names.clear();
    selected = -1;
    try {
        for (const auto& record : store::readAllRecords<Record>(m_folder))
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

void PagingDesk::loadDirectory()
{
    clearDirectory();
    std::vector<std::string> users;
    std::vector<std::string> groups;
    for (const auto& record : store::readAllRecords<store::UserRecord>(m_folder))
        users.push_back(record.UserName);
    for (const auto& record : store::readAllRecords<store::GroupRecord>(m_folder))
        groups.push_back(record.GroupName);
    m_users = std::move(users);
    m_groups = std::move(groups);
    changed();
}

bool PagingDesk::refreshDirectory()
{
    std::vector<std::string> users;
    std::vector<std::string> groups;
    try {
        for (const auto& record : store::readAllRecords<store::UserRecord>(m_folder))
            users.push_back(record.UserName);
        for (const auto& record : store::readAllRecords<store::GroupRecord>(m_folder))
            groups.push_back(record.GroupName);
    } catch (const std::exception&) {
        return false;
    }
    // The same entry where it still stands, else the first of its name.
    const auto reselect = [](const std::vector<std::string>& old, const std::vector<std::string>& now, int selected) {
        if (selected < 0 || static_cast<std::size_t>(selected) >= old.size())
            return -1;
        const std::string& name = old[static_cast<std::size_t>(selected)];
        if (static_cast<std::size_t>(selected) < now.size() && now[static_cast<std::size_t>(selected)] == name)
            return selected;
        const auto found = std::find(now.begin(), now.end(), name);
        return found == now.end() ? -1 : static_cast<int>(found - now.begin());
    };
    m_selectedUser = reselect(m_users, users, m_selectedUser);
    m_selectedGroup = reselect(m_groups, groups, m_selectedGroup);
    m_users = std::move(users);
    m_groups = std::move(groups);
    changed();
    return true;
}

void PagingDesk::clearDirectory()
{
    m_users.clear();
    m_groups.clear();
    m_selectedUser = -1;
    m_selectedGroup = -1;
    changed();
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
        addSelectedRecipient();
}

void PagingDesk::addGroup(int index)
{
    selectGroup(index);
    if (m_selectedGroup >= 0)
        addSelectedRecipient();
}

void PagingDesk::addSelectedRecipient()
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
        setLimitForGroup(item);
    } else {
        try {
            // A user whose record is gone, or whose company has no record, leaves the limit as it was.
            const std::vector<int> rooms = roomsForUser(item);
            int limit = m_messageLimit;
            for (const int room : rooms) {
                // The first recipient sets the limit outright; later ones can only lower it.
                if (room > limit) {
                    if (m_recipients.size() == 1)
                        limit = room;
                } else {
                    limit = room;
                }
            }
            if (!rooms.empty())
                setLimit(limit);
        } catch (const std::exception& error) {
            reportError(error);
        }
    }
    updateToolbarButtons();
}

std::vector<int> PagingDesk::roomsForUser(const std::string& name) const
{
    std::optional<std::string> company;
    for (const auto& user : store::readAllRecords<store::UserRecord>(m_folder)) {
        if (user.UserName == name)
            company = user.PagingCompany;
    }
    if (!company)
        return {};
    const auto rooms = roomsByCompany(store::readAllRecords<store::TerminalRecord>(m_folder), m_settings);
    const auto found = rooms.find(*company);
    return found == rooms.end() ? std::vector<int> {} : found->second;
}

void PagingDesk::setLimitForGroup(const std::string& groupName)
{
    std::vector<store::GroupRecord> groups;
    std::vector<store::UserRecord> users;
    std::vector<store::TerminalRecord> terminals;
    try {
        groups = store::readAllRecords<store::GroupRecord>(m_folder);
        users = store::readAllRecords<store::UserRecord>(m_folder);
        terminals = store::readAllRecords<store::TerminalRecord>(m_folder);
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

    const auto rooms = roomsByCompany(terminals, m_settings);
    int groupMinimum = 0; // starts empty, which compares as 0
    int limit = m_messageLimit;
    for (std::size_t j = 0; j < companies.size(); ++j) {
        const auto it = rooms.find(*companies[j]);
        if (it == rooms.end())
            continue;
        for (const int room : it->second) {
            if (room > groupMinimum) {
                if (j == 0)
                    groupMinimum = room;
            } else {
                groupMinimum = room;
            }
            if (room < limit)
                limit = room;
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
    try {
        for (const int room : roomsForUser(paddedName)) {
            if (room > 0 && room < m_messageLimit)
                setLimit(room);
        }
    } catch (const std::exception&) {
        // The send reads the directory again and reports what it cannot read.
    }
    m_recipients.push_back(std::move(paddedName));
    m_messageBoxVisible = true;
    updateToolbarButtons();
}

void PagingDesk::removeRecipient(int index)
{
    if (index < 0 || index >= static_cast<int>(m_recipients.size()))
        return;
    m_recipients.erase(m_recipients.begin() + index);
    if (m_recipients.empty())
        m_messageLimit = 80;
    updateToolbarButtons();
}

void PagingDesk::clearRecipients()
{
    m_recipients.clear();
    m_messageBoxVisible = false;
    m_messageLimit = 80;
    updateToolbarButtons();
}

void PagingDesk::setMessage(std::string_view text)
{
    // A line break would end the message early on the wire and split the queue entry.
    m_message = withoutLineBreaks(text);
    updateToolbarButtons();
}

bool PagingDesk::refuseKey(int keyCode)
{
    if (!isRefusedKey(keyCode))
        return false;
    m_view.messageBox(std::string(kReturnKeyMessage));
    return true;
}

void PagingDesk::clearMessage()
{
    m_message.clear();
    updateToolbarButtons();
}

void PagingDesk::updateToolbarButtons()
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
    if (dynamic_cast<const store::DirectoryUnreachable*>(&error)) {
        m_view.messageBox(error.what());
        return;
    }
    long number = 51; // internal error, for failures that carry no number of their own
    if (const auto* storeError = dynamic_cast<const store::StoreError*>(&error))
        number = storeError->number();
    else if (const auto* serialError = dynamic_cast<const engine::SerialError*>(&error))
        number = serialError->number();
    m_view.messageBox("Error # " + store::numberText(number) + " was generated by Tolvane\r" + error.what(), "Error");
}

PagingDesk::ListenerId PagingDesk::addChangeListener(std::function<void()> listener)
{
    const ListenerId id = m_nextListener++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void PagingDesk::removeChangeListener(ListenerId id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void PagingDesk::changed()
{
    // A copy: a listener may add or remove listeners while it runs.
    const auto listeners = m_listeners;
    for (const auto& [id, listener] : listeners) {
        const bool stillListening = std::any_of(
            m_listeners.begin(), m_listeners.end(), [id = id](const auto& entry) { return entry.first == id; });
        if (stillListening)
            listener();
    }
}

} // namespace tolvane::dispatch
