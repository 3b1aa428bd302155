#include "app/program_folder.h"
#include "testkit/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace tolvane::app;

TEST(ProgramFolder, AnInstalledProgramKeepsEachUsersDataInTheirFolderAndACopyKeepsItsOwn)
{
    const fs::path installed = "/opt/tolvane/bin";
    const fs::path perUser = "/home/dana/.local/share/tolvane";
    const struct {
        const char* what;
        FolderChoice choice;
        fs::path chosen;
    } rows[] = {
        { "installed", { installed, false, true, perUser }, perUser },
        { "installed, data files already there", { installed, true, true, perUser }, installed },
        { "a copy in a folder of the user's", { "/home/dana/tolvane", false, false, perUser }, "/home/dana/tolvane" },
        { "executable not found", { {}, false, false, perUser }, perUser },
    };
    for (const auto& row : rows)
        EXPECT_EQ(chooseProgramFolder(row.choice), row.chosen) << row.what;

    for (const char* folder : { "/usr/bin", "/usr/local/bin", "/opt/tolvane/bin", "/usr/games/" })
        EXPECT_TRUE(isSystemFolder(folder)) << folder;
    // Installed under a prefix of the user's own: the desktop entry lies beside the bin folder.
    tolvane::testkit::TempFolder home;
    const fs::path bin = home / "prefix/bin";
    fs::create_directories(bin);
    fs::create_directories(home / "prefix/share/applications");
    EXPECT_FALSE(isSystemFolder(bin));
    home.write("prefix/share/applications/tolvane.desktop", "");
    EXPECT_TRUE(isSystemFolder(bin));
    EXPECT_FALSE(isSystemFolder(home.path()));
}

TEST(ProgramFolder, ThePerUserFolderFollowsTheBaseDirectoryRules)
{
    const struct {
        const char* dataHome;
        const char* chosen;
    } rows[] = {
        { "/srv/data", "/srv/data/tolvane" },
        { "relative/data", "/home/dana/.local/share/tolvane" }, // a relative one is to be ignored
        { nullptr, "/home/dana/.local/share/tolvane" },
    };
    ::setenv("HOME", "/home/dana", 1);
    for (const auto& row : rows) {
        row.dataHome ? ::setenv("XDG_DATA_HOME", row.dataHome, 1) : ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(perUserDataFolder(), row.chosen) << (row.dataHome ? row.dataHome : "(unset)");
    }
}

} // namespace
