#include "testkit/data_folder_fixture.h"

#include "engine/queue_entry.h"
#include "store/page_log.h"
#include "store/record_file.h"

#include <string>

namespace tolvane::testkit {
namespace {

template <class Record> void writeAll(const std::filesystem::path& path, const std::vector<Record>& records)
{
    std::filesystem::remove(path);
    store::RecordFile file(path, Record::kLength);
    std::int32_t n = 0;
    for (const Record& r : records)
        store::writeRecord(file, ++n, r);
}

} // namespace

DataFolderFixture::DataFolderFixture()
    : m_folder(m_temp.path())
{
    config = store::ConfigRecord { "COMM1", "555", 1, 2, 1 };
    modems = { store::ModemRecord { "User Defined", "ATZ", store::kYes } };
    advanced = store::AdvancedRecord {};
    terminals = { alphaCompany("Ravenpage") };
    settings = store::SettingsRecord {};
    users = { user("Dana Whitlow", "5550142", "Ravenpage") };
    write();
}

void DataFolderFixture::write()
{
    writeAll(m_folder.pathOf<store::ConfigRecord>(), std::vector { config });
    writeAll(m_folder.pathOf<store::ModemRecord>(), modems);
    writeAll(m_folder.pathOf<store::AdvancedRecord>(), std::vector { advanced });
    writeAll(m_folder.pathOf<store::TerminalRecord>(), terminals);
    writeAll(m_folder.pathOf<store::SettingsRecord>(), std::vector { settings });
    writeAll(m_folder.pathOf<store::UserRecord>(), users);
}

void DataFolderFixture::remove(std::string_view fileName)
{
    std::filesystem::remove(store::DataFolder::isDirectoryFile(fileName) ? m_folder.directoryPath(fileName)
                                                                         : m_folder.programPath(fileName));
}

void DataFolderFixture::writeGroups(const std::vector<std::string>& names)
{
    std::vector<store::GroupRecord> groups;
    for (const auto& name : names)
        groups.push_back(store::GroupRecord { name, "" });
    writeAll(m_folder.pathOf<store::GroupRecord>(), groups);
}

std::vector<std::string> DataFolderFixture::log() const
{
    return store::readLog(m_folder);
}

store::TerminalRecord DataFolderFixture::alphaCompany(std::string name, std::string phone)
{
    return store::TerminalRecord { std::move(name), std::move(phone), 80, 1, 9600, 1, 1, 1, "" };
}

store::TerminalRecord DataFolderFixture::numericCompany(std::string name, std::string phone)
{
    return store::TerminalRecord { "DIG-" + name, std::move(phone), 14, 2, 2400, 1, 2, 1, "" };
}

store::UserRecord DataFolderFixture::user(
    std::string name, std::string pagerId, std::string company, std::string groupFlags)
{
    return store::UserRecord { std::move(name), std::move(pagerId), std::move(company), std::move(groupFlags) };
}

std::string DataFolderFixture::entryFor(const store::UserRecord& u, std::string_view message, std::int16_t limit)
{
    return engine::buildQueueEntry(u, "09:05 AM", "12/06/2026", message, limit);
}

} // namespace tolvane::testkit
