#include "dispatch_fixture.h"

#include "store/record_file.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace tolvane::dispatch::test {

void CountingSender::PageThePeople(std::int16_t count, std::int16_t first)
{
    Call call { count, first, {} };
    for (int i = 0; i < m_queue.count(); ++i)
        call.queue.push_back(m_queue.entry(i));
    calls.push_back(std::move(call));
    if (during)
        during(static_cast<int>(calls.size()) - 1);
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

DeskFixture::DeskFixture()
    : desk(data.folder(), view, clock)
    , sender(desk.callQueue())
{
    desk.setPageSender(&sender);
    writeGroups({});
}

void DeskFixture::writeGroups(const std::vector<std::string>& names)
{
    const auto path = data.folder().pathOf<store::GroupRecord>();
    std::filesystem::remove(path);
    store::RecordFile file(path, store::GroupRecord::kLength);
    std::int32_t n = 0;
    for (const auto& name : names)
        store::writeRecord(file, ++n, store::GroupRecord { name, "" });
}

store::UserRecord DeskFixture::member(std::string name, std::string pagerId, std::string company, std::string flags)
{
    return store::UserRecord { std::move(name), std::move(pagerId), std::move(company), std::move(flags) };
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
