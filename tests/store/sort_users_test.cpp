#include "store/record_file.h"
#include "store/sort_users.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

using namespace tolvane::store;

TEST(sortUsers, OrdersByTheFullPaddedNameByteByByteKeepingEqualNamesInOrder)
{
    const std::pair<std::string, std::string> cases[] = {
        { userBytes("bob") + userBytes("Alice") + userBytes("carol"),
            userBytes("Alice") + userBytes("bob") + userBytes("carol") },
        { userBytes("bob") + userBytes("Bob"), userBytes("Bob") + userBytes("bob") },
        // A blank sorts before any letter, so the shorter of two names sharing a start comes first.
        { userBytes("Ann Lee") + userBytes("Ann"), userBytes("Ann") + userBytes("Ann Lee") },
        // Equal names keep their order (the pager ID tells them apart); memberships move with their user.
        { userBytes("Zed", "1") + userBytes("Amy", "2", "0100000000") + userBytes("Zed", "3") + userBytes("Amy", "4"),
            userBytes("Amy", "2", "0100000000") + userBytes("Amy", "4") + userBytes("Zed", "1")
                + userBytes("Zed", "3") },
        // Bytes compare unsigned: an accented name sorts after plain ASCII.
        { userBytes("\xC9mile") + userBytes("Zoe"), userBytes("Zoe") + userBytes("\xC9mile") },
        // None or one user: left alone.
        { "", "" },
        { userBytes("Only"), userBytes("Only") },
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        TempFolder dir;
        dir.write("USERS.DAT", cases[row].first);
        sortUsers(DataFolder(dir.path()));
        EXPECT_EQ(dir.read("USERS.DAT"), cases[row].second) << "row " << row;
        EXPECT_EQ(dir.fileCount(), 1) << "row " << row;
    }
}

TEST(sortUsers, AnUnreachableFolderIsIgnoredAndAFileHeldOpenHereSeesTheNewOrder)
{
    TempFolder dir;
    DataFolder unreachable(dir.path());
    unreachable.setSharedFolder((dir / "no-such-share").string());
    EXPECT_NO_THROW(sortUsers(unreachable));
    EXPECT_NO_THROW(sortUsers(DataFolder(dir.path()))); // no USERS.DAT yet

    dir.write("USERS.DAT", userBytes("b") + userBytes("a"));
    RecordFile usersTab(dir / "USERS.DAT", 160);
    sortUsers(DataFolder(dir.path()));
    EXPECT_EQ(usersTab.readRaw(1), userBytes("a"));
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("a") + userBytes("b"));
}
