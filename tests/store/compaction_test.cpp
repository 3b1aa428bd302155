#include "store/compaction.h"
#include "store/record_file.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tolvane::store;

namespace {

std::string canned(std::string_view text)
{
    return padded(text, 80);
}

class Deleting : public ::testing::Test {
protected:
    TempFolder dir;
    DataFolder folder { dir.path() };
};

} // namespace

TEST_F(Deleting, RecordsAfterTheDeletedOneMoveDown)
{
    const std::pair<int, std::string> cases[] = { { 1, canned("two") + canned("three") },
        { 2, canned("one") + canned("three") }, { 3, canned("one") + canned("two") } };
    for (const auto& [k, after] : cases) {
        dir.write("QUICK.DAT", canned("one") + canned("two") + canned("three"));
        EXPECT_TRUE(deleteCannedMessage(folder, k).deleted()) << k;
        EXPECT_EQ(dir.read("QUICK.DAT"), after) << k;
        EXPECT_EQ(dir.fileCount(), 1) << "no scratch file is left behind";
    }
    // An odd-length file is written back in whole records.
    dir.write("QUICK.DAT", canned("one") + canned("two") + std::string(50, 'x')); // rounds to 3
    EXPECT_TRUE(deleteCannedMessage(folder, 1).deleted());
    EXPECT_EQ(dir.read("QUICK.DAT"), canned("two") + std::string(50, 'x') + std::string(30, '\0'));
}

TEST_F(Deleting, ScratchFilesAbandonedLongAgoAreClearedAndRecentOnesLeftAlone)
{
    dir.write("QUICK.DAT", canned("one") + canned("two"));
    dir.write("TEMP.DAT.dead01", "left by a process that died");
    dir.write("TEMP.DAT.busy01", "being written by another workstation right now");
    std::filesystem::last_write_time(
        dir / "TEMP.DAT.dead01", std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    EXPECT_TRUE(deleteCannedMessage(folder, 1).deleted());
    EXPECT_FALSE(dir.exists("TEMP.DAT.dead01"));
    EXPECT_TRUE(dir.exists("TEMP.DAT.busy01"));
}

TEST_F(Deleting, TheOnlyRecordIsRefusedWithEachFilesMessageAndNothingChanges)
{
    const struct {
        const char* file;
        std::string record;
        DeleteResult (*remove)(const DataFolder&, std::int32_t);
        const char* message;
    } cases[] = {
        { "USERS.DAT", userBytes("Ann"), [](const DataFolder& f, std::int32_t k) { return deleteUser(f, k); },
            "You cannot delete the only user, You must add another user before deleting this one" },
        { "TERMINAL.DAT", std::string(64, 'T'),
            [](const DataFolder& f, std::int32_t k) { return deleteTerminal(f, k); },
            "You cannot delete the terminal, You must add another terminal before deleting this one" },
        { "GROUP.DAT", std::string(50, 'G'), [](const DataFolder& f, std::int32_t k) { return deleteGroup(f, k); },
            "You cannot delete the only group, You must add another group before deleting this one" },
        { "QUICK.DAT", canned("hello"), deleteCannedMessage,
            "You cannot delete the only message, You must add another message before deleting this one" },
    };
    for (const auto& c : cases) {
        dir.write(c.file, c.record);
        const DeleteResult result = c.remove(folder, 1);
        EXPECT_EQ(result.status, DeleteStatus::OnlyRecord) << c.file;
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(dir.read(c.file), c.record) << c.file;
    }
}

TEST_F(Deleting, ARecordNumberOutsideTheFileDeletesNothing)
{
    // Copying records 1..k-1 for a k past the end would pad the file with empty records.
    dir.write("TERMINAL.DAT", std::string(64, 'a') + std::string(64, 'b'));
    for (const std::int32_t k : { 0, 3, 40, -1 }) {
        const DeleteResult result = deleteTerminal(folder, k);
        EXPECT_EQ(result.status, DeleteStatus::NoSuchRecord) << k;
        EXPECT_EQ(
            result.message, "There is no record " + std::to_string(k) + " in TERMINAL.DAT to delete; it holds 2.");
    }
    EXPECT_EQ(deleteUser(folder, 1).status, DeleteStatus::NoSuchRecord); // an empty file
    EXPECT_EQ(dir.read("TERMINAL.DAT"), std::string(64, 'a') + std::string(64, 'b'));
}

TEST_F(Deleting, DirectoryFilesAreCompactedInTheSharedFolder)
{
    TempFolder shared;
    folder.setSharedFolder(shared.path().string());
    shared.write("USERS.DAT", userBytes("Ann") + userBytes("Bob"));
    EXPECT_TRUE(deleteUser(folder, 1).deleted());
    EXPECT_EQ(shared.read("USERS.DAT"), userBytes("Bob"));
    EXPECT_EQ(shared.fileCount(), 1);
    EXPECT_FALSE(dir.exists("USERS.DAT"));
}

TEST(GroupFlags, DeletingAGroupShiftsTheLaterFlagsDownAndAppendsZero)
{
    const struct {
        const char* before;
        int k;
        const char* after;
    } cases[] = {
        { "0110000001", 3, "0100000010" }, // member of 2, 3, 10 -> 2 and the new 9
        { "1000000000", 1, "0000000000" }, { "0000000001", 10, "0000000000" }, { "1111111111", 5, "1111111110" },
        { "10", 1, "00        " }, // trailing blanks of each part go before the join
        { "1  1", 2, "1 10      " },
        { "0110000001", 11, "0110000001" }, // no such flag: the appended "0" falls off the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(flagsWithoutGroup(c.before, c.k), c.after) << c.before << " without " << c.k;
}

TEST_F(Deleting, AGroupDeleteRewritesEveryUsersFlagsAndCompactsTheGroups)
{
    const std::string groups = padded("G1", 50) + padded("G2", 50) + padded("G3", 50) + padded("G4", 50);
    dir.write("GROUP.DAT", groups);
    dir.write("USERS.DAT",
        userBytes("Ann", "1", "0110000001") + userBytes("Bob", "1", "0010000000") + userBytes("Cy", "1", "1001000000"));

    EXPECT_TRUE(deleteGroup(folder, 3).deleted());
    EXPECT_EQ(dir.read("GROUP.DAT"), padded("G1", 50) + padded("G2", 50) + padded("G4", 50));
    EXPECT_EQ(dir.read("USERS.DAT"),
        userBytes("Ann", "1", "0100000010") + userBytes("Bob", "1", "0000000000") + userBytes("Cy", "1", "1010000000"));
    EXPECT_EQ(dir.fileCount(), 2);

    // With no users the groups are still compacted.
    dir.write("USERS.DAT", "");
    EXPECT_TRUE(deleteGroup(folder, 2).deleted());
    EXPECT_EQ(dir.read("GROUP.DAT"), padded("G1", 50) + padded("G4", 50));
    EXPECT_EQ(dir.read("USERS.DAT"), "");
}

TEST_F(Deleting, AGroupDeleteWhoseSecondRenameFailsPutsTheUsersBack)
{
    const std::string users = userBytes("Ann", "1", "0110000001") + userBytes("Bob", "1", "0010000000");
    const std::string groups = padded("G1", 50) + padded("G2", 50) + padded("G3", 50);
    dir.write("USERS.DAT", users);
    dir.write("GROUP.DAT", groups);
    DeleteResult result;
    {
        // The share drops between the two renames: the second one fails.
        const InjectedStoreFailure staleShare("renaming", 2, 68, "cannot replace GROUP.DAT: Stale file handle");
        result = deleteGroup(folder, 2);
    }

    EXPECT_EQ(result.status, DeleteStatus::Failed);
    EXPECT_NE(result.message.find("USERS.DAT and GROUP.DAT are unchanged"), std::string::npos) << result.message;
    EXPECT_EQ(dir.read("USERS.DAT"), users) << "memberships above group 2 must not point one group lower";
    EXPECT_EQ(dir.read("GROUP.DAT"), groups);
    EXPECT_EQ(dir.fileCount(), 2) << "no scratch file is left behind";
    EXPECT_TRUE(deleteGroup(folder, 2).deleted());
    EXPECT_EQ(dir.read("USERS.DAT").substr(150, 10), "0100000010");
}

TEST_F(Deleting, AnOpenFileOfThisProcessDoesNotBlockItsOwnDelete)
{
    dir.write("GROUP.DAT", std::string(50, 'a') + std::string(50, 'b'));
    RecordFile groupsTab(dir / "GROUP.DAT", 50); // the groups tab keeps GROUP.DAT open
    EXPECT_TRUE(deleteGroup(folder, 1).deleted());
    EXPECT_EQ(groupsTab.count(), 1);
    EXPECT_EQ(groupsTab.readRaw(1), std::string(50, 'b'));
}
