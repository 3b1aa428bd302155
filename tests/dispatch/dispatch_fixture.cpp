#include "dispatch_fixture.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::dispatch::test {

void CountingSender::pageThePeople(std::int16_t count, std::int16_t first)
{
    Call call { count, first, {} };
    for (int i = 0; i < m_queue.count(); ++i)
        call.queue.push_back(m_queue.entry(i));
    calls.push_back(std::move(call));
    if (callEnd) {
        m_state.lastCallFailed = true;
        m_state.lastCallEnd = *callEnd;
        return;
    }
    if (delivers && !answer)
        m_state.sentCount = static_cast<std::int16_t>(m_state.sentCount + count);
    if (during)
        during(static_cast<int>(calls.size()) - 1);
    for (int i = first; (delivers || answer) && i < first + count; ++i) {
        const engine::PageOutcome outcome = answer ? answer(m_queue.entry(i)) : engine::PageOutcome {};
        m_queue.pageLeaving(i);
        if (outcome.delivered())
            m_state.sentCount = static_cast<std::int16_t>(m_state.sentCount + (answer ? 1 : 0));
        m_queue.pageAnswered(i, outcome);
    }
}

void writeOffice(testkit::DataFolderFixture& data)
{
    using testkit::DataFolderFixture;
    data.terminals = { DataFolderFixture::alphaCompany("Amberpage"), DataFolderFixture::alphaCompany("Bluepage"),
        DataFolderFixture::numericCompany("Beeper") };
    data.users = {
        DataFolderFixture::user("Ann", "1001", "Amberpage"),
        DataFolderFixture::user("Ben", "1002", "Amberpage"),
        DataFolderFixture::user("Cal", "1003", "Bluepage"),
        DataFolderFixture::user("Dee", "1004", "Northern Paging Company Ltd"),
        DataFolderFixture::user("Eve", "1005", "Northern Paging Company Limited"),
        DataFolderFixture::user("DIG-Ike", "1006", "DIG-Beeper"),
        DataFolderFixture::user("Fay", "1007", "Amberpage"),
        DataFolderFixture::user("Fay", "2007", "Bluepage"),
        DataFolderFixture::user("Dana Whitlow", "5550142", "Amberpage"),
        DataFolderFixture::user("Bartholomew Fitzgeraldson", "1008", "Bluepage"),
    };
    data.write();
}

std::string pad(std::string_view text, std::size_t width)
{
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

int rowOf(const std::vector<std::string>& list, std::string_view name)
{
    const auto it = std::find(list.begin(), list.end(), pad(name, 25));
    if (it == list.end())
        throw std::runtime_error("not in the list: " + std::string(name));
    return static_cast<int>(it - list.begin());
}

void queueFor(PagingDesk& desk, std::initializer_list<const char*> names, std::string_view message)
{
    desk.loadUsers();
    for (const char* name : names)
        desk.addUser(rowOf(desk.userList(), name));
    desk.setMessage(message);
    desk.queueMessage();
    desk.clearRecipients();
}

DeskFixture::DeskFixture()
    : desk(data.folder(), view, clock)
    , sender(desk.callQueue(), desk.runState())
{
    desk.setPageSender(&sender);
    data.writeGroups({});
}

void DeskFixture::addUser(std::string_view name)
{
    desk.loadUsers();
    desk.addUser(rowOf(desk.userList(), name));
}

void DeskFixture::addGroup(std::string_view name)
{
    desk.loadGroups();
    desk.addGroup(rowOf(desk.groupList(), name));
}

} // namespace tolvane::dispatch::test
