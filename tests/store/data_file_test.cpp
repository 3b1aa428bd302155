#include "store/page_log.h"
#include "store/startup_data.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace tolvane::store;

namespace {

const std::string kConfigComm1 = std::string("COMM1") + "555       " + std::string("\x01\x00\x0A\x00\x01\x00", 6);

// Puts something that is not a regular file where `name` should be.
void plant(const TempFolder& dir, const std::string& name, const std::string& kind)
{
    if (kind == "a folder")
        std::filesystem::create_directory(dir / name);
    else if (kind == "a named pipe")
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0644), 0);
    else
        std::filesystem::create_symlink("/dev/zero", dir / name);
}

std::string failureOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const StoreError& error) {
        return std::to_string(error.number()) + " " + error.what();
    }
    return "no failure";
}

} // namespace

// Before, a folder aborted the program, a pipe held it for ever and /dev/zero filled the memory.
TEST(DataFiles, AFolderAPipeOrADeviceInPlaceOfADataFileIsRefusedByNameWithoutWaiting)
{
    for (const std::string kind : { "a folder", "a named pipe", "a device" }) {
        TempFolder dir;
        const DataFolder folder(dir.path());
        const std::string refusal = " is " + kind + ", not a data file";

        plant(dir, "NETWORK.DAT", kind);
        StartupData data = decideDataFolder(dir.path());
        EXPECT_EQ(data.outcome, StartupDataOutcome::GeneralError) << kind;
        EXPECT_EQ(data.errorDescription, (dir / "NETWORK.DAT").string() + refusal);

        std::filesystem::remove(dir / "NETWORK.DAT");
        dir.write("NETWORK.DAT", "\"\"\r\n");
        plant(dir, "CONFIG.DAT", kind);
        data = decideDataFolder(dir.path());
        EXPECT_EQ(data.errorNumber, 75) << kind;
        EXPECT_EQ(data.errorDescription, (dir / "CONFIG.DAT").string() + refusal);

        plant(dir, "USERS.DAT", kind);
        EXPECT_EQ(
            failureOf([&] { readAllRecords<UserRecord>(folder); }), "75 " + (dir / "USERS.DAT").string() + refusal);

        // The page was delivered: its log line must neither hang the call nor vanish unsaid.
        plant(dir, "LOG.DAT", kind);
        EXPECT_EQ(
            failureOf([&] { appendLogLine(folder, "PAGE SENT: Ann"); }), "75 " + (dir / "LOG.DAT").string() + refusal);
        EXPECT_TRUE(readLog(folder).empty());
    }
}

TEST(DataFiles, AnOutsizedConfigurationFileIsRefusedByNameWhileTheDirectoryMayGrow)
{
    TempFolder dir;
    dir.write("NETWORK.DAT", "\"\"\r\n");
    dir.write("CONFIG.DAT", kConfigComm1);
    std::filesystem::resize_file(dir / "CONFIG.DAT", 2 << 20);
    const StartupData data = decideDataFolder(dir.path());
    EXPECT_EQ(data.errorNumber, 75);
    EXPECT_EQ(data.errorDescription,
        (dir / "CONFIG.DAT").string()
            + " holds 2097152 bytes, more than the 1024 KB a configuration file can hold, so it is not read");

    dir.write("USERS.DAT", userBytes("Ann"));
    std::filesystem::resize_file(dir / "USERS.DAT", 160 * 20000);
    EXPECT_EQ(readAllRecords<UserRecord>(DataFolder(dir.path())).size(), 20000u);
}
