#include "store/defaults.h"

#include "store/record_file.h"
#include "store/records.h"
#include "store/text.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace tolvane::store {
namespace {

struct ModemType {
    const char* name;
    const char* commands;
};

// Record 1 is the user-defined type the configuration window lets the operator edit.
constexpr std::array<ModemType, 6> kModemTypes { {
    { "User Defined", "AT&F E0 V1 X4 &C1 &D2" },
    { "Hayes Compatible", "AT&F E0 V1 X4 &C1 &D2" },
    { "Hayes Compatible (no dial tone wait)", "AT&F E0 V1 X3 &C1 &D2" },
    { "U.S. Robotics Sportster", "AT&F1 E0 V1 X4 &C1 &D2" },
    { "Rockwell / Conexant chipset", "AT&F E0 V1 X4 &C1 &D2 S7=60" },
    { "Generic 2400 bps", "ATZ E0 V1 X4" },
} };

constexpr std::array<const char*, 5> kCannedMessages {
    "Please call the office.",
    "Please call me back as soon as you can.",
    "Your visitor has arrived at reception.",
    "The meeting starts in 10 minutes.",
    "Urgent: please call the office at once.",
};

bool fileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

constexpr std::array<const char*, 4> kInstallationFiles { "NETWORK.DAT", "CONFIG.DAT", "USERS.DAT", "TERMINAL.DAT" };

// Marks an installation in progress: a start that finds it finishes the installation that was cut short.
constexpr std::string_view kInstallMarker = "INSTALL.TMP";

template <class Record> void createIfMissing(const DataFolder& folder, const std::vector<Record>& records)
{
    std::string bytes;
    for (const Record& record : records)
        bytes += record.encode();
    createWholeFile(folder.pathOf<Record>(), bytes);
}

UserRecord sampleUser()
{
    UserRecord user;
    user.UserName = "Dana Whitlow";
    user.PagerId = "5550142";
    user.PagingCompany = "Ravenpage";
    user.GroupFlags = "0000000000";
    return user;
}

TerminalRecord sampleTerminal()
{
    TerminalRecord terminal;
    terminal.CompanyName = "Ravenpage";
    terminal.PhoneNumber = "555-0142";
    terminal.MaxChars = 80;
    terminal.ServiceType = 1;
    terminal.Baud = 9600;
    terminal.Parity = 1;
    terminal.DataBits = 1;
    terminal.StopBits = 1;
    return terminal;
}

ConfigRecord sampleConfig()
{
    ConfigRecord config;
    config.CommPort = "COMM1";
    config.DialPrefix = "*70,";
    config.DialMethod = 1;
    config.RetryAttempts = 10;
    config.ModemIndex = 1;
    return config;
}

} // namespace

void makeDataFiles(const DataFolder& folder, std::int16_t kind)
{
    switch (kind) {
    case 1:
        writeRecordAt(folder.pathOf<UserRecord>(), 1, sampleUser());
        break;
    case 2:
        writeRecordAt(folder.pathOf<TerminalRecord>(), 1, sampleTerminal());
        break;
    case 3:
        writeRecordAt(folder.pathOf<ConfigRecord>(), 1, sampleConfig());
        break;
    default:
        break;
    }
}

bool installIfNew(const DataFolder& folder)
{
    // The installation belongs to the program folder, whatever shared folder the caller may know of.
    const DataFolder local(folder.programFolder());
    const std::filesystem::path marker = local.programFolder() / std::string(kInstallMarker);
    if (!fileExists(marker)) {
        if (holdsDataFiles(local.programFolder()))
            return false;
        createWholeFile(marker, "");
    }

    // Each file appears whole or not at all, and one that exists is kept: a second attempt after an
    // interruption writes only what the first did not.
    std::vector<ModemRecord> modems;
    for (const ModemType& type : kModemTypes)
        modems.push_back(ModemRecord { type.name, type.commands, kYes });
    createIfMissing(local, modems);
    // Blanks, not NUL bytes: a blank speed string means "use the modem type's commands".
    createIfMissing(local, std::vector<AdvancedRecord> { AdvancedRecord {} });
    SettingsRecord settings;
    settings.ClearSendList = kYes;
    settings.ClearMessage = kYes;
    settings.ClearQueue = kYes;
    settings.ShowConnectionWindow = kNo;
    settings.LargeIcons = kNo;
    createIfMissing(local, std::vector<SettingsRecord> { settings });
    std::vector<CannedRecord> canned;
    for (const char* text : kCannedMessages)
        canned.push_back(CannedRecord { text });
    createIfMissing(local, canned);
    createIfMissing(local, std::vector<TerminalRecord> { sampleTerminal() });
    createIfMissing(local, std::vector<UserRecord> { sampleUser() });
    createIfMissing(local, std::vector<ConfigRecord> { sampleConfig() });
    // Last: without NETWORK.DAT every start fails, so it marks the installation whole.
    createWholeFile(local.programPath("NETWORK.DAT"), "\"\"\r\n");
    std::error_code ec;
    std::filesystem::remove(marker, ec); // left behind, it only makes a later start look for missing files
    return true;
}

bool holdsDataFiles(const std::filesystem::path& programFolder)
{
    const DataFolder folder(programFolder);
    return std::any_of(kInstallationFiles.begin(), kInstallationFiles.end(),
        [&](const char* name) { return fileExists(folder.programPath(name)); });
}

bool holdsSampleDirectory(const DataFolder& folder)
{
    // The size first: a directory in use is never read whole just to answer this.
    const auto holdsExactly = [](const std::filesystem::path& path, const std::string& bytes) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (ec)
            return bytes.empty() && !fileExists(path);
        if (size != bytes.size())
            return false;
        std::ifstream file(path, std::ios::binary);
        const std::string held((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        return held == bytes;
    };
    return holdsExactly(folder.pathOf<UserRecord>(), sampleUser().encode())
        && holdsExactly(folder.pathOf<TerminalRecord>(), sampleTerminal().encode())
        && holdsExactly(folder.pathOf<GroupRecord>(), {});
}

} // namespace tolvane::store
