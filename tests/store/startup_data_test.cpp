#include "store/defaults.h"
#include "store/network_file.h"
#include "store/record_file.h"
#include "store/settings.h"
#include "store/startup_data.h"
#include "store/store_error.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace tolvane::store;
using namespace std::string_literals;

namespace {

const std::string kConfigComm2 = "COMM2"s + "555       " + "\x01\x00\x0A\x00\x01\x00"s;

} // namespace

TEST(NetworkFile, ReadsTheValueBetweenTheQuotesOfTheFirstLine)
{
    TempFolder dir;
    const struct {
        std::string content;
        std::string value;
    } cases[] = {
        { "\"\"\r\n", "" },
        { "\"/srv/share/\"\r\n", "/srv/share/" },
        { "\"/srv/share/\"", "/srv/share/" }, // no line end
        { "\"/srv/a/\"\r\n\"/srv/b/\"\r\n", "/srv/a/" }, // extra lines are ignored
        { "  /srv/plain/  \r\n", "/srv/plain/" }, // no quotes: the line's text
        { "\"/srv/it's \"new\"/\"\r\n", "/srv/it's \"new\"/" }, // quotes inside survive
        { "\"/srv/open\r\n", "/srv/open" }, // no closing quote
        { "\r\n", "" },
    };
    for (const auto& c : cases) {
        dir.write("NETWORK.DAT", c.content);
        EXPECT_EQ(readNetworkFile(dir / "NETWORK.DAT"), c.value) << c.content;
    }
}

TEST(NetworkFile, TheSetupCommandTakesTheFolderOfAChosenUsersFile)
{
    const struct {
        const char* chosen;
        const char* folder;
    } cases[] = {
        { "/mnt/shared/USERS.DAT", "/mnt/shared/" }, { "/mnt/shared/Users.dat", "/mnt/shared/" }, { "/USERS.DAT", "/" },
        { "", "" }, // cancelled
        { "/mnt/shared/GROUP.DAT", "" }, { "/mnt/shared/myusers.dat", "" }, // ends like it, but is another file
        { "/mnt/users.dat.old/USERS.DAT", "/mnt/users.dat.old/" }, { "/mnt/shared/USERS.DAT/", "" },
        { "USERS.DAT", "" }, // no folder at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(sharedFolderFromChosenFile(c.chosen), c.folder) << c.chosen;

    // The choice replaces the whole file with one quoted line.
    TempFolder dir;
    dir.write("NETWORK.DAT", "\"/old/\"\r\nrubbish\r\n");
    DataFolder folder(dir.path());
    EXPECT_EQ(applyNetworkSetup(folder, "/mnt/shared/users.DAT"), "/mnt/shared/");
    EXPECT_EQ(dir.read("NETWORK.DAT"), "\"/mnt/shared/\"\r\n");
    EXPECT_EQ(folder.pathOf<UserRecord>(), "/mnt/shared/USERS.DAT");
    EXPECT_EQ(applyNetworkSetup(folder, ""), "");
    EXPECT_EQ(dir.read("NETWORK.DAT"), "\"\"\r\n");
    EXPECT_EQ(folder.pathOf<UserRecord>(), dir / "USERS.DAT");
    EXPECT_EQ(dir.fileCount(), 1);
    EXPECT_THROW(writeNetworkFile(dir / "no-folder/NETWORK.DAT", ""), StoreError);
}

TEST(StartupData, ASharedFolderMovesOnlyTheDirectoryFiles)
{
    TempFolder dir;
    dir.write("NETWORK.DAT", "\"\"\r\n");
    dir.write("CONFIG.DAT", kConfigComm2);
    StartupData data = decideDataFolder(dir.path());
    EXPECT_EQ(data.outcome, StartupDataOutcome::Ready);
    EXPECT_EQ(data.caption, "Tolvane");
    EXPECT_EQ(data.portNumber, 2);
    EXPECT_EQ(data.folder.sharedFolder(), "");
    EXPECT_EQ(data.folder.pathOf<UserRecord>(), dir / "USERS.DAT");

    TempFolder shared;
    shared.write("Users.dat", ""); // any letter case; empty is still a directory
    writeNetworkFile(dir / "NETWORK.DAT", shared.path().string()); // no trailing slash: one is added
    data = decideDataFolder(dir.path());
    EXPECT_EQ(data.outcome, StartupDataOutcome::Ready);
    EXPECT_EQ(data.caption, "Tolvane Network-Shared");
    EXPECT_EQ(data.folder.sharedFolder(), shared.path().string() + "/");
    EXPECT_EQ(data.folder.pathOf<UserRecord>(), shared / "Users.dat");
    EXPECT_EQ(data.folder.pathOf<GroupRecord>(), shared / "GROUP.DAT");
    EXPECT_EQ(data.folder.pathOf<TerminalRecord>(), shared / "TERMINAL.DAT");
    EXPECT_EQ(data.folder.pathOf<ConfigRecord>(), dir / "CONFIG.DAT");
    EXPECT_EQ(data.folder.pathOf<CannedRecord>(), dir / "QUICK.DAT");
}

TEST(StartupData, EachMissingPieceGivesItsOwnOutcome)
{
    {
        TempFolder dir; // no NETWORK.DAT
        dir.write("CONFIG.DAT", kConfigComm2);
        const StartupData data = decideDataFolder(dir.path());
        EXPECT_EQ(data.outcome, StartupDataOutcome::GeneralError);
        EXPECT_EQ(data.errorNumber, 53);
        EXPECT_EQ(data.errorDescription, "File not found");
    }
    {
        TempFolder dir;
        dir.write("NETWORK.DAT", "");
        EXPECT_EQ(decideDataFolder(dir.path()).errorNumber, 62);
        dir.write("NETWORK.DAT", "\"/srv/a\0/share/\"\r\n"s); // the system would take the path as "/srv/a"
        EXPECT_EQ(decideDataFolder(dir.path()).errorDescription,
            (dir / "NETWORK.DAT").string()
                + " names a shared folder with a NUL character in it, which no folder name can hold");
    }
    {
        TempFolder dir; // no CONFIG.DAT: port 0, and no empty file is left behind
        dir.write("NETWORK.DAT", "\"\"\r\n");
        EXPECT_EQ(decideDataFolder(dir.path()).outcome, StartupDataOutcome::MissingInstallationFile);
        EXPECT_FALSE(dir.exists("CONFIG.DAT"));
        dir.write("CONFIG.DAT", "     " + std::string(16, ' ')); // an empty CommPort
        EXPECT_EQ(decideDataFolder(dir.path()).outcome, StartupDataOutcome::MissingInstallationFile);
    }
    // A share that cannot be reached, and the empty mount point of one that is not mounted: lists shown
    // from there, and users added there, would vanish when the share comes back.
    for (const char* share : { "unplugged/share/", "mount-point/" }) {
        TempFolder dir;
        std::filesystem::create_directory(dir / "mount-point");
        writeNetworkFile(dir / "NETWORK.DAT", (dir / share).string());
        dir.write("CONFIG.DAT", kConfigComm2);
        dir.write("SETTINGS.DAT", "\xFF\xFF"s + std::string(48, '\0'));
        const StartupData data = decideDataFolder(dir.path());
        EXPECT_EQ(data.outcome, StartupDataOutcome::NetworkDeviceUnavailable) << share;
        EXPECT_EQ(data.errorNumber, 68);
        // What was loaded before the failure stays loaded: the window opens with it.
        EXPECT_EQ(data.caption, "Tolvane Network-Shared");
        EXPECT_EQ(data.portNumber, 2);
        EXPECT_TRUE(data.settings.ClearSendList);
        EXPECT_FALSE(dir.exists("mount-point/USERS.DAT"));
    }
}

TEST(Settings, CheckSettingsCopiesRecordOneAndAMissingFileMeansAllOff)
{
    TempFolder dir;
    const auto options = [](const RunningSettings& s) {
        return std::vector<bool> { s.ClearSendList, s.ClearMessage, s.ClearQueue, s.ShowConnectionWindow,
            s.LargeIcons };
    };
    EXPECT_EQ(options(checkSettings(DataFolder(dir.path()))), std::vector<bool>(5, false));

    dir.write("SETTINGS.DAT",
        "\x00\x00\xFF\xFF\x00\x00\xFF\xFF"s + "Re: " + std::string(16, ' ') + "-Desk" + std::string(15, ' ')
            + "\xFF\xFF"s);
    const RunningSettings s = checkSettings(DataFolder(dir.path()));
    EXPECT_EQ(options(s), (std::vector<bool> { false, true, false, true, true }));
    EXPECT_EQ(s.MessagePrefix, "Re: " + std::string(16, ' '));
    EXPECT_EQ(s.MessageSuffix, "-Desk" + std::string(15, ' '));
}

TEST(Defaults, AFreshFolderGetsAWorkingInstallation)
{
    TempFolder dir;
    ASSERT_TRUE(installIfNew(DataFolder(dir.path())));

    EXPECT_EQ(dir.read("NETWORK.DAT"), "\"\"\r\n");
    EXPECT_EQ(decideDataFolder(dir.path()).outcome, StartupDataOutcome::Ready);
    // The sample user names the sample company exactly, so the first page can be sent at once.
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Dana Whitlow", "5550142"));
    EXPECT_EQ(dir.read("TERMINAL.DAT"),
        padded("Ravenpage", 25) + padded("555-0142", 15) + "\x50\x00\x01\x00\x80\x25\x01\x00\x01\x00\x01\x00"s
            + std::string(12, ' '));
    EXPECT_EQ(dir.read("CONFIG.DAT"), "COMM1*70,      \x01\x00\x0A\x00\x01\x00"s);

    const auto modems = readAllRecords<ModemRecord>(dir / "MODEM.DAT");
    ASSERT_GE(modems.size(), 4u);
    EXPECT_EQ(modems[0].ModemName.substr(0, 12), "User Defined");
    for (const ModemRecord& m : modems)
        EXPECT_EQ(m.ModemCommands.substr(0, 2), "AT") << m.ModemName;
    EXPECT_EQ(dir.read("ADVANCE.DAT"), std::string(600, ' '));
    EXPECT_EQ(dir.read("SETTINGS.DAT").size(), 50u);
    EXPECT_GE(readAllRecords<CannedRecord>(dir / "QUICK.DAT").size(), 3u);
    EXPECT_FALSE(dir.exists("GROUP.DAT"));
    EXPECT_TRUE(holdsSampleDirectory(DataFolder(dir.path())));
}

// The first start's hint lasts while the directory is the sample: a change to any of its files ends it.
TEST(Defaults, TheSampleDirectoryIsTheFirstRunsFilesUntilAnyOfThemChanges)
{
    const std::pair<const char*, std::string> changes[] = { { "GROUP.DAT", padded("Night Shift", 50) },
        { "USERS.DAT", userBytes("Dana Whitlow", "5550143") }, { "TERMINAL.DAT", "" }, { "GROUP.DAT", "" } };
    for (const auto& [file, bytes] : changes) {
        TempFolder dir;
        installIfNew(DataFolder(dir.path()));
        dir.write(file, bytes);
        EXPECT_EQ(holdsSampleDirectory(DataFolder(dir.path())), bytes.empty() && file == "GROUP.DAT"s) << file;
    }
    TempFolder dir;
    installIfNew(DataFolder(dir.path()));
    DataFolder sharing(dir.path());
    sharing.setSharedFolder(dir.path().string() + "/elsewhere/");
    EXPECT_FALSE(holdsSampleDirectory(sharing)) << "the directory in use is the shared one";
}

TEST(Defaults, AFolderWithAnyOfTheFourFilesIsNotNewAndKeepsItsFiles)
{
    for (const char* present : { "NETWORK.DAT", "CONFIG.DAT", "USERS.DAT", "TERMINAL.DAT" }) {
        TempFolder dir;
        dir.write(present, "");
        EXPECT_FALSE(installIfNew(DataFolder(dir.path()))) << present;
        EXPECT_EQ(dir.fileCount(), 1) << present;
        EXPECT_TRUE(holdsDataFiles(dir.path())) << present;
    }
    TempFolder dir;
    EXPECT_FALSE(holdsDataFiles(dir.path()));
    dir.write("QUICK.DAT", std::string(80, 'k')); // kept, not overwritten by the installation
    EXPECT_TRUE(installIfNew(DataFolder(dir.path())));
    EXPECT_EQ(dir.read("QUICK.DAT"), std::string(80, 'k'));
}

TEST(Defaults, AnInterruptedInstallationIsCompletedAtTheNextStartWithoutOverwritingAFile)
{
    TempFolder dir;
    {
        const InjectedStoreFailure diskFull("scratch-written", 3, 61, "Disk full");
        EXPECT_THROW(installIfNew(DataFolder(dir.path())), StoreError);
    }
    EXPECT_EQ(decideDataFolder(dir.path()).errorNumber, 53) << "NETWORK.DAT is written last";

    // A file the first attempt wrote is whole, and one the operator changed since is kept as it is.
    const std::string modems = dir.read("MODEM.DAT");
    EXPECT_EQ(modems.size() % 102, 0u);
    dir.write("MODEM.DAT", modems.substr(0, 102));
    EXPECT_TRUE(installIfNew(DataFolder(dir.path())));
    EXPECT_EQ(dir.read("MODEM.DAT"), modems.substr(0, 102));
    EXPECT_EQ(decideDataFolder(dir.path()).outcome, StartupDataOutcome::Ready);
    EXPECT_EQ(dir.fileCount(), 8) << "the seven installed files and NETWORK.DAT, no scratch or marker file";
}

TEST(DataFolderPaths, AFileNamedInAnotherLetterCaseIsTheOneUsedAndANewFileGetsTheUpperCaseName)
{
    TempFolder program;
    TempFolder shared;
    UserRecord dana;
    dana.UserName = "Dana Whitlow";
    shared.write("Users.dat", dana.encode());
    program.write("config.dat", "COMM3"s + std::string(16, ' '));

    DataFolder folder(program.path());
    folder.setSharedFolder(shared.path().string());
    EXPECT_EQ(folder.pathOf<UserRecord>(), shared / "Users.dat");
    const auto users = readAllRecords<UserRecord>(folder.pathOf<UserRecord>());
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].UserName, padded("Dana Whitlow", 25));
    EXPECT_EQ(readRecordAt<ConfigRecord>(folder.pathOf<ConfigRecord>()).portNumber(), 3);

    EXPECT_EQ(folder.pathOf<GroupRecord>(), shared / "GROUP.DAT");
    EXPECT_FALSE(shared.exists("USERS.DAT")) << "no second user file beside the first";
}
