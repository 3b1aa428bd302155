#pragma once

#include "store/data_folder.h"
#include "store/records.h"
#include "testkit/temp_folder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::testkit {

// A throwaway program folder holding CONFIG.DAT, MODEM.DAT, ADVANCE.DAT, TERMINAL.DAT, SETTINGS.DAT
// and USERS.DAT. Change the public records and call write() to put them on disk; the folder is
// removed when the fixture goes.
//
// Defaults: port COMM1, no dial prefix ("555"), tone dialling, 2 retries, modem 1 "ATZ"; one
// alphanumeric company "Ravenpage" (5550142, 80 characters, 9600,N,7,1, no password); one user
// "Dana Whitlow" with pager ID 5550142; all settings off; no advanced modem strings.
class DataFolderFixture {
public:
    DataFolderFixture();

    store::ConfigRecord config;
    std::vector<store::ModemRecord> modems;
    store::AdvancedRecord advanced;
    std::vector<store::TerminalRecord> terminals;
    store::SettingsRecord settings;
    std::vector<store::UserRecord> users;

    // Rewrites every file from the records above (an empty vector leaves an empty file).
    void write();
    // Deletes one data file, to test a missing file.
    void remove(std::string_view fileName);
    // Rewrites GROUP.DAT (which the fixture does not write) with groups of these names.
    void writeGroups(const std::vector<std::string>& names);

    const std::filesystem::path& path() const { return m_temp.path(); }
    store::DataFolder& folder() { return m_folder; }
    const store::DataFolder& folder() const { return m_folder; }

    // The LOG.DAT records written so far.
    std::vector<std::string> log() const;

    static store::TerminalRecord alphaCompany(std::string name, std::string phone = "5550142");
    static store::TerminalRecord numericCompany(std::string name, std::string phone = "5550199");
    static store::UserRecord user(
        std::string name, std::string pagerId, std::string company, std::string groupFlags = "0000000000");

    // A queue entry as the queueing command builds it, stamped "09:05 AM" on "12/06/2026".
    static std::string entryFor(const store::UserRecord& user, std::string_view message, std::int16_t limit = 80);

private:
    TempFolder m_temp;
    store::DataFolder m_folder;
};

} // namespace tolvane::testkit
