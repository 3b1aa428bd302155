#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/sort_users.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

using namespace tolvane::store;

namespace {

const std::string kChanged = "The directory changed while this was shown (a sort, or a change at another "
                             "workstation). Nothing was written; the list now shows the directory as it stands.";

UserRecord user(std::string name, std::string pager = "1")
{
    return UserRecord { std::move(name), std::move(pager), "Ravenpage", "0000000000" };
}

class DirectoryEdits : public ::testing::Test {
protected:
    TempFolder dir;
    DataFolder folder { dir.path() };
};

} // namespace

TEST_F(DirectoryEdits, ANameTakenIsRefusedOnSaveAndRenameInTheLookupsLetterCase)
{
    dir.write("USERS.DAT", userBytes("Bob Baker") + userBytes("Ann"));
    dir.write("TERMINAL.DAT", padded("Ravenpage", 64));
    dir.write("GROUP.DAT", padded("Night", 50));
    const std::string users = dir.read("USERS.DAT");
    EXPECT_EQ(saveUser(folder, user("Bob Baker", "2")).message, "A user named Bob Baker already exists.");
    EXPECT_EQ(updateUser(folder, shownUser(2, UserRecord::decode(userBytes("Ann"))), user("Bob Baker")).message,
        "A user named Bob Baker already exists.");
    EXPECT_EQ(dir.read("USERS.DAT"), users);
    EXPECT_EQ(saveCompany(folder, TerminalRecord { "Ravenpage", "1", 80, 1, 9600, 1, 1, 1, "" }).message,
        "A paging company named Ravenpage already exists.");
    EXPECT_EQ(saveGroup(folder, GroupRecord { "Night", "" }).message, "A group named Night already exists.");

    // Another letter case is another name to every lookup; keeping one's own name is no clash.
    EXPECT_TRUE(saveUser(folder, user("bob baker")).written());
    EXPECT_TRUE(
        updateUser(folder, shownUser(1, UserRecord::decode(userBytes("Bob Baker"))), user("Bob Baker", "7")).written());
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Bob Baker", "7") + userBytes("Ann") + userBytes("bob baker"));
}

TEST_F(DirectoryEdits, AfterASortTheUserShownIsNeitherOverwrittenNorDeletedByItsOldRow)
{
    dir.write("USERS.DAT", userBytes("Zed", "111") + userBytes("Amy") + userBytes("Bob"));
    const ShownRecord zed = shownUser(1, UserRecord::decode(userBytes("Zed", "111")));
    const ShownRecord bob = shownUser(3, UserRecord::decode(userBytes("Bob")));
    sortUsers(folder);
    const std::string sorted = userBytes("Amy") + userBytes("Bob") + userBytes("Zed", "111");
    ASSERT_EQ(dir.read("USERS.DAT"), sorted);

    const EditResult update = updateUser(folder, zed, user("Zed", "999"));
    EXPECT_EQ(update.status, EditStatus::Changed);
    EXPECT_EQ(update.message, kChanged);
    const DeleteResult removal = deleteUser(folder, bob.number, bob.identity);
    EXPECT_EQ(removal.status, DeleteStatus::Changed);
    EXPECT_EQ(removal.message, kChanged);
    EXPECT_EQ(dir.read("USERS.DAT"), sorted);

    // Shown again where they now stand, they are changed.
    EXPECT_TRUE(
        updateUser(folder, shownUser(3, UserRecord::decode(userBytes("Zed", "111"))), user("Zed", "999")).written());
    EXPECT_TRUE(deleteUser(folder, 2, shownUser(2, UserRecord::decode(userBytes("Bob"))).identity).deleted());
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Amy") + userBytes("Zed", "999"));
}

TEST_F(DirectoryEdits, AMembershipClickChangesTheShownGroupOfTheFirstUserOfTheNameOrNothing)
{
    dir.write("USERS.DAT", userBytes("Ann") + userBytes("Bob") + userBytes("Bob"));
    dir.write("GROUP.DAT", padded("Day", 50) + padded("Night", 50));
    const ShownRecord night = shownGroup(2, GroupRecord { "Night", "" });
    EXPECT_TRUE(setMembership(folder, night, "Bob", true).written());
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Ann") + userBytes("Bob", "1", "0100000000") + userBytes("Bob"));
    EXPECT_TRUE(setMembership(folder, night, "Bob", false).written());

    const std::string users = dir.read("USERS.DAT");
    EXPECT_EQ(setMembership(folder, night, "Nobody", true).status, EditStatus::Changed);
    // Group 1 deleted elsewhere: "Night" is now group 1, and its old number names no group.
    ASSERT_TRUE(deleteGroup(folder, 1).deleted());
    EXPECT_EQ(setMembership(folder, night, "Ann", true).message, kChanged);
    EXPECT_EQ(dir.read("USERS.DAT"), users);
}

TEST_F(DirectoryEdits, ASharedFolderThatIsGoneIsSaidInWordsAndGetsNoFiles)
{
    TempFolder mountPoint; // a share that is not mounted: an empty folder
    folder.setSharedFolder(mountPoint.path().string());
    const std::string words = "The shared directory " + mountPoint.path().string() + " cannot be reached.";
    EXPECT_EQ(saveUser(folder, user("Ann")).message, words + " Nothing was saved.");
    EXPECT_EQ(updateUser(folder, shownUser(1, user("Ann")), user("Ann")).status, EditStatus::Unreachable);
    EXPECT_EQ(deleteTerminal(folder, 1).message, words + " Nothing was saved.");
    EXPECT_EQ(deleteGroup(folder, 1).status, DeleteStatus::Unreachable);
    EXPECT_THROW(readAllRecords<UserRecord>(folder), DirectoryUnreachable);
    EXPECT_EQ(mountPoint.fileCount(), 0);
}
