#include "app/program_folder.h"
#include "testkit/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace tolvane::app;

TEST(ProgramFolder, AnInstalledProgramKeepsTheDataFilesInThePerUserFolderUnlessItsOwnFolderHoldsThem)
{
    for (const char* folder : { "/usr/bin", "/usr/local/bin", "/opt/tolvane/bin" })
        EXPECT_TRUE(isSystemFolder(folder)) << folder;
    tolvane::testkit::TempFolder home;
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    const fs::path bin = home / "prefix/bin";
    fs::create_directories(bin);
    fs::create_directories(home / "prefix/share/applications");
    EXPECT_EQ(defaultProgramFolder(bin), bin) << "a folder of the user's own";
    home.write("prefix/share/applications/tolvane.desktop", "");
    EXPECT_EQ(defaultProgramFolder(bin), home / "data/tolvane") << "installed under a prefix";
    home.write("prefix/bin/NETWORK.DAT", "\"\"\r\n");
    EXPECT_EQ(defaultProgramFolder(bin), bin) << "a copy with its data files";
    EXPECT_EQ(defaultProgramFolder({}), home / "data/tolvane") << "the executable not found";

    // The base directory rules: a relative XDG_DATA_HOME is to be ignored.
    ::setenv("HOME", "/home/dana", 1);
    for (const char* dataHome : { "relative/data", "" }) {
        ::setenv("XDG_DATA_HOME", dataHome, 1);
        EXPECT_EQ(perUserDataFolder(), "/home/dana/.local/share/tolvane") << dataHome;
    }
}

} // namespace
