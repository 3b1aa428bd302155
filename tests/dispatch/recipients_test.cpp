#include "dispatch_fixture.h"

#include "store/record_file.h"
#include "store/records.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;

// Companies: Ravenpage 80, Longpage 240, Shortpage 40. Groups: Sales (Dee, Eve), Night (Fay), Empty.
// Gus's company has no record.
class Recipients : public ::testing::Test {
protected:
    Recipients()
    {
        auto longpage = DataFolderFixture::alphaCompany("Longpage");
        longpage.MaxChars = 240;
        auto shortpage = DataFolderFixture::alphaCompany("Shortpage");
        shortpage.MaxChars = 40;
        f.data.terminals = { DataFolderFixture::alphaCompany("Ravenpage"), longpage, shortpage };
        f.data.users = {
            DeskFixture::member("Ann", "1001", "Longpage", "0000000000"),
            DeskFixture::member("Ben", "1002", "Shortpage", "0000000000"),
            DeskFixture::member("Cal", "1003", "Ravenpage", "0000000000"),
            DeskFixture::member("Dee", "1004", "Longpage", "1000000000"),
            DeskFixture::member("Eve", "1005", "Shortpage", "1000000000"),
            DeskFixture::member("Fay", "1006", "Longpage", "0100000000"),
            DeskFixture::member("Gus", "1007", "Gonepage", "0000000000"),
        };
        f.data.write();
        f.writeGroups({ "Sales", "Night", "Empty" });
    }

    std::vector<std::string> padded(std::initializer_list<const char*> names)
    {
        std::vector<std::string> out;
        for (const char* name : names)
            out.push_back(pad(name, 25));
        return out;
    }

    DeskFixture f;
};

TEST_F(Recipients, FirstUserSetsTheLimitOutrightAndLaterOnesOnlyLowerIt)
{
    EXPECT_EQ(f.desk.messageLimit(), 80);
    f.addUser("Ann");
    EXPECT_EQ(f.desk.messageLimit(), 240);
    EXPECT_TRUE(f.desk.messageBoxVisible());
    f.addUser("Ben");
    EXPECT_EQ(f.desk.messageLimit(), 40);
    f.addUser("Ann");
    EXPECT_EQ(f.desk.messageLimit(), 40);
    EXPECT_EQ(f.desk.recipients(), padded({ "Ann", "Ben", "Ann" }));
}

TEST_F(Recipients, UserOfAMissingCompanyOrAGoneRecordLeavesTheLimit)
{
    // Another workstation deleted Ben after this list was loaded: he stays a recipient and matches no one.
    f.desk.loadUsers();
    f.data.users.erase(f.data.users.begin() + 1);
    f.data.write();
    f.desk.addUser(1);
    EXPECT_EQ(f.desk.recipients(), padded({ "Ben" }));
    EXPECT_EQ(f.desk.messageLimit(), 80);
    f.desk.clearRecipients();

    f.addUser("Gus");
    EXPECT_EQ(f.desk.messageLimit(), 80);
    f.desk.clearRecipients();
    f.addUser("Ann");
    f.addUser("Gus");
    EXPECT_EQ(f.desk.messageLimit(), 240);
    EXPECT_EQ(f.desk.recipients(), padded({ "Ann", "Gus" }));
}

TEST_F(Recipients, GroupIsReplacedByItsMembers)
{
    f.addGroup("Sales");
    EXPECT_EQ(f.desk.recipients(), padded({ "Dee", "Eve" }));
    EXPECT_EQ(f.desk.activeList(), ActiveList::Groups);
    // Several members: the smallest of 80 and the members' maxima.
    EXPECT_EQ(f.desk.messageLimit(), 40);
}

TEST_F(Recipients, GroupOfOneMemberSetsThatMembersMaximum)
{
    f.addGroup("Night");
    EXPECT_EQ(f.desk.recipients(), padded({ "Fay" }));
    EXPECT_EQ(f.desk.messageLimit(), 240);
}

TEST_F(Recipients, UsersAndGroupsMixed)
{
    f.addUser("Ann");
    f.addGroup("Sales");
    EXPECT_EQ(f.desk.recipients(), padded({ "Ann", "Dee", "Eve" }));
    EXPECT_EQ(f.desk.messageLimit(), 40);

    f.desk.clearRecipients();
    f.addUser("Ben");
    f.addGroup("Night");
    EXPECT_EQ(f.desk.messageLimit(), 40);
}

TEST_F(Recipients, GroupWithoutMembersAddsNothing)
{
    f.addGroup("Empty");
    EXPECT_TRUE(f.desk.recipients().empty());
    EXPECT_EQ(f.desk.messageLimit(), 80);
    EXPECT_FALSE(f.desk.messageBoxVisible());

    // After exactly one user the group's empty minimum (0) cannot be a limit: it falls back to 80.
    f.addUser("Ben");
    EXPECT_EQ(f.desk.messageLimit(), 40);
    f.addGroup("Empty");
    EXPECT_EQ(f.desk.recipients(), padded({ "Ben" }));
    EXPECT_EQ(f.desk.messageLimit(), 80);
}

TEST_F(Recipients, RemovingTheLastRecipientRestoresEightyAndHidesTheMessage)
{
    f.addUser("Ben");
    f.addUser("Cal");
    f.desk.setMessage("Meeting at ten");
    f.desk.removeRecipient(0);
    EXPECT_EQ(f.desk.messageLimit(), 40);
    EXPECT_EQ(f.desk.message(), "Meeting at ten");
    f.desk.removeRecipient(5); // nothing there
    EXPECT_EQ(f.desk.recipients().size(), 1u);
    f.desk.removeRecipient(0);
    EXPECT_EQ(f.desk.messageLimit(), 80);
    EXPECT_EQ(f.desk.message(), "");
    EXPECT_FALSE(f.desk.messageBoxVisible());

    f.addUser("Ann");
    f.desk.setMessage("x");
    f.desk.clearRecipients();
    EXPECT_EQ(f.desk.messageLimit(), 80);
    EXPECT_EQ(f.desk.message(), "");
}

TEST_F(Recipients, SelectingOneListClearsTheOther)
{
    f.desk.showBoth();
    f.desk.selectUser(1);
    f.desk.selectGroup(0);
    EXPECT_EQ(f.desk.selectedUser(), -1);
    EXPECT_EQ(f.desk.activeList(), ActiveList::Groups);
    f.desk.selectUser(2);
    EXPECT_EQ(f.desk.selectedGroup(), -1);
    EXPECT_EQ(f.desk.activeList(), ActiveList::Users);

    // Nothing selected: the add command adds nothing.
    f.desk.selectUser(-1);
    f.desk.ItemWasClicked();
    EXPECT_TRUE(f.desk.recipients().empty());
}

TEST_F(Recipients, QueueingNeedsAMessage)
{
    f.desk.QueMessage();
    f.addUser("Ann");
    f.desk.QueMessage();
    EXPECT_EQ(f.view.boxes,
        (std::vector<std::string> { "You need to enter a text message to be sent in order to que the message",
            "You need to enter a text message to be sent in order to que the message" }));
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
}

TEST_F(Recipients, EntryHoldsEveryColumnAndTheMessageCutToTheLimit)
{
    f.addUser("Cal");
    f.desk.setMessage("Call the front desk");
    f.desk.QueMessage();
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    const std::string expected = "Ravenpage                "
                                 "Cal                      "
                                 "1003"
        + std::string(96, ' ')
        + " 09:05 AM     12/06/2026 Ready to Send        "
          "Call the front desk"
        + std::string(61, ' ');
    EXPECT_EQ(f.desk.pageQueue().entry(0), expected);
    EXPECT_EQ(f.desk.queueCounterText(), " 1 Pages in Que");
}

TEST_F(Recipients, EntryForACompanyOf240CharactersIs196Plus240Long)
{
    f.addUser("Ann");
    f.desk.setMessage("Hi there");
    f.desk.QueMessage();
    const std::string entry = f.desk.pageQueue().entry(0);
    ASSERT_EQ(entry.size(), 196u + 240u);
    EXPECT_EQ(entry.substr(196, 8), "Hi there");
    EXPECT_EQ(entry.substr(204), std::string(232, ' '));
}

TEST_F(Recipients, LimitAboveThreeHundredGivesAMessageColumnOfThreeHundred)
{
    auto wide = DataFolderFixture::alphaCompany("Widepage");
    wide.MaxChars = 400;
    f.data.terminals.push_back(wide);
    f.data.users.push_back(DeskFixture::member("Hal", "1008", "Widepage", "0000000000"));
    f.data.write();
    f.addUser("Hal");
    EXPECT_EQ(f.desk.messageLimit(), 400);
    f.desk.setMessage(std::string(350, 'x'));
    f.desk.QueMessage();
    const std::string entry = f.desk.pageQueue().entry(0);
    EXPECT_EQ(entry.size(), 196u + 300u);
    EXPECT_EQ(entry.substr(196), std::string(300, 'x'));
}

TEST_F(Recipients, GroupAndOneOfItsMembersByNameGiveThatMemberTwoAdjacentEntries)
{
    f.addUser("Eve");
    f.addUser("Cal");
    f.addGroup("Sales");
    f.desk.setMessage("Fire drill at noon");
    f.desk.QueMessage();

    const auto& entries = f.desk.pageQueue().entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].substr(0, 50), "Longpage                 Dee                      ");
    EXPECT_EQ(entries[1].substr(0, 50), "Ravenpage                Cal                      ");
    EXPECT_EQ(entries[2].substr(0, 50), "Shortpage                Eve                      ");
    EXPECT_EQ(entries[2], entries[3]);
    EXPECT_EQ(f.desk.queueCounterText(), " 4 Pages in Que");
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(Recipients, NameMatchingSeveralRecordsIsQueuedOncePerRecordAndUnknownNamesAreSkipped)
{
    f.data.users.push_back(DeskFixture::member("Cal", "2003", "Longpage", "0000000000"));
    f.data.write();
    f.addUser("Cal");
    f.desk.addRecipientName(pad("Nobody", 25));
    f.desk.setMessage("Lunch");
    f.desk.QueMessage();
    ASSERT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(0, 54), "Longpage                 Cal                      2003");
    EXPECT_EQ(f.desk.pageQueue().entry(1).substr(0, 54), "Ravenpage                Cal                      1003");
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(Recipients, ClearSettingsAfterQueueing)
{
    f.addUser("Cal");
    f.desk.setMessage("Lunch");
    store::RunningSettings settings;
    settings.ClearSendList = true;
    f.desk.setSettings(settings);
    f.desk.QueMessage();
    EXPECT_TRUE(f.desk.recipients().empty());
    EXPECT_FALSE(f.desk.messageBoxVisible());
    // The list was emptied by the setting, not by the operator: the limit stays.
    EXPECT_EQ(f.desk.messageLimit(), 80);

    settings = {};
    settings.ClearMessage = true;
    f.desk.setSettings(settings);
    f.addUser("Ben");
    f.desk.setMessage("Lunch");
    f.desk.QueMessage();
    EXPECT_EQ(f.desk.recipients().size(), 1u);
    EXPECT_EQ(f.desk.message(), "");
    EXPECT_EQ(f.desk.messageLimit(), 40);
}

TEST_F(Recipients, CountersKeepOrDropTheLeadingBlankAsEachCommandDoes)
{
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "0 Delay Send Pages");
    f.addUser("Ann");
    f.addUser("Ben");
    f.addUser("Cal");
    f.desk.setMessage("Hello");
    f.desk.QueMessage();
    EXPECT_EQ(f.desk.queueCounterText(), " 3 Pages in Que");
    f.desk.refreshCounters();
    EXPECT_EQ(f.desk.queueCounterText(), "3 Pages in Que");
    f.desk.MCLEARQUE_Click();
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
}

TEST_F(Recipients, NumericPagerWarningOnceAndOnlyForTextItCannotDial)
{
    f.data.terminals.push_back(DataFolderFixture::numericCompany("Beeper"));
    f.data.users.push_back(DeskFixture::member("DIG-Ike", "1009", "DIG-Beeper", "0000000000"));
    f.data.write();
    f.addUser("DIG-Ike");
    f.addUser("Cal");
    f.desk.setMessage("4321");
    f.desk.QueMessage();
    EXPECT_TRUE(f.view.boxes.empty());
    f.desk.setMessage("call me");
    f.desk.QueMessage();
    EXPECT_EQ(
        f.view.boxes, (std::vector<std::string> { "THIS IS A DIGITAL PAGER SO YOU CAN ONLY SEND NUMBERS TO IT..." }));
    EXPECT_EQ(f.desk.pageQueue().count(), 4);
}

TEST_F(Recipients, UnreadableDirectoryFileIsReportedAndNothingIsQueued)
{
    f.addUser("Cal");
    f.desk.setMessage("Hello");
    const auto groups = f.data.folder().pathOf<store::GroupRecord>();
    std::filesystem::remove(groups);
    std::filesystem::create_directory(groups);
    f.desk.QueMessage();
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].rfind("Error # ", 0), 0u) << f.view.boxes[0];
    EXPECT_NE(f.view.boxes[0].find(" was generated by Tolvane\r"), std::string::npos) << f.view.boxes[0];
    EXPECT_EQ(f.view.boxTitles[0], "Error");
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_EQ(f.desk.recipients().size(), 1u);
}

TEST_F(Recipients, SharedFolderIsReadAtTheMomentOfTheCommand)
{
    // Another workstation's directory: Cal there belongs to Longpage.
    const auto shared = f.data.path() / "shared";
    std::filesystem::create_directory(shared);
    std::filesystem::copy_file(f.data.folder().pathOf<store::TerminalRecord>(), shared / "TERMINAL.DAT");
    std::filesystem::copy_file(f.data.folder().pathOf<store::GroupRecord>(), shared / "GROUP.DAT");
    {
        store::RecordFile users(shared / "USERS.DAT", store::UserRecord::kLength);
        store::writeRecord(users, 1, DeskFixture::member("Cal", "9003", "Longpage", "0000000000"));
    }
    f.data.folder().setSharedFolder(shared.string());
    f.desk.addRecipientName(pad("Cal", 25));
    f.desk.setMessage("Hello");
    f.desk.QueMessage();
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(0, 54), "Longpage                 Cal                      9003");
}

} // namespace
} // namespace tolvane::dispatch::test
