#include "scratch_folder.h"
#include "store/record_file.h"
#include "store/sort_users.h"

#include <gtest/gtest.h>

using namespace tolvane::store;

namespace {

std::string user(std::string_view name, std::string_view pager = "1", std::string_view flags = "0000000000")
{
    UserRecord u;
    u.UserName = std::string(name);
    u.PagerId = std::string(pager);
    u.PagingCompany = "Ravenpage";
    u.GroupFlags = std::string(flags);
    return u.encode();
}

} // namespace

TEST(SortUsers, OrdersByTheFullPaddedNameByteByByteKeepingEqualNamesInOrder)
{
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        { user("bob") + user("Alice") + user("carol"), user("Alice") + user("bob") + user("carol") },
        { user("bob") + user("Bob"), user("Bob") + user("bob") },
        // A blank sorts before any letter, so the shorter of two names sharing a start comes first.
        { user("Ann Lee") + user("Ann"), user("Ann") + user("Ann Lee") },
        // Equal names keep their order (the pager ID tells them apart); memberships move with their user.
        { user("Zed", "1") + user("Amy", "2", "0100000000") + user("Zed", "3") + user("Amy", "4"),
            user("Amy", "2", "0100000000") + user("Amy", "4") + user("Zed", "1") + user("Zed", "3") },
        // Bytes compare unsigned: an accented name sorts after plain ASCII.
        { user("\xC9mile") + user("Zoe"), user("Zoe") + user("\xC9mile") },
    };
    for (const auto& c : cases) {
        ScratchFolder dir;
        dir.write("USERS.DAT", c.before);
        SortUsers(DataFolder(dir.path()));
        EXPECT_EQ(dir.read("USERS.DAT"), c.after);
        EXPECT_EQ(dir.fileCount(), 1);
    }
}

TEST(SortUsers, NoneOrOneUserAndAMissingFileAreLeftAlone)
{
    ScratchFolder dir;
    SortUsers(DataFolder(dir.path()));
    EXPECT_EQ(dir.read("USERS.DAT"), "");
    dir.write("USERS.DAT", user("Only"));
    SortUsers(DataFolder(dir.path()));
    EXPECT_EQ(dir.read("USERS.DAT"), user("Only"));
}

TEST(SortUsers, AnUnreachableFolderIsIgnored)
{
    ScratchFolder dir;
    DataFolder folder(dir.path());
    folder.setSharedFolder((dir / "no-such-share").string());
    EXPECT_NO_THROW(SortUsers(folder));
}

TEST(SortUsers, AFileHeldOpenInThisProcessIsSortedAndTheOpenSeesTheNewOrder)
{
    ScratchFolder dir;
    dir.write("USERS.DAT", user("b") + user("a"));
    RecordFile usersTab(dir / "USERS.DAT", 160);
    SortUsers(DataFolder(dir.path()));
    EXPECT_EQ(usersTab.readRaw(1), user("a"));
    EXPECT_EQ(dir.read("USERS.DAT"), user("a") + user("b"));
}
