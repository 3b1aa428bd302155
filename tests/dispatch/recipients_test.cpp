#include "dispatch_fixture.h"

#include "store/record_file.h"
#include "store/records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;

// Companies: Ravenpage 80, Longpage 240, Shortpage 40, Widepage 400. Groups: Sales (Dee, Eve), Night (Fay),
// Empty. Gus's company has no record.
class Recipients : public ::testing::Test {
protected:
    Recipients()
    {
        auto company = [](const char* name, std::int16_t maxChars) {
            auto terminal = DataFolderFixture::alphaCompany(name);
            terminal.MaxChars = maxChars;
            return terminal;
        };
        f.data.terminals = { company("Ravenpage", 80), company("Longpage", 240), company("Shortpage", 40),
            company("Widepage", 400) };
        f.data.users = {
            DataFolderFixture::user("Ann", "1001", "Longpage"),
            DataFolderFixture::user("Ben", "1002", "Shortpage"),
            DataFolderFixture::user("Cal", "1003", "Ravenpage"),
            DataFolderFixture::user("Dee", "1004", "Longpage", "1000000000"),
            DataFolderFixture::user("Eve", "1005", "Shortpage", "1000000000"),
            DataFolderFixture::user("Fay", "1006", "Longpage", "0100000000"),
            DataFolderFixture::user("Gus", "1007", "Gonepage"),
            DataFolderFixture::user("Hal", "1008", "Widepage"),
        };
        f.data.write();
        f.data.writeGroups({ "Sales", "Night", "Empty" });
    }

    // "Ann +Sales": the user Ann, then the group Sales, each as a double-click adds it; "=Ann" from the command line.
    void add(const std::string& steps)
    {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            if (step[0] == '+')
                f.addGroup(step.substr(1));
            else if (step[0] == '=') // as the command line names a user
                f.desk.addRecipientName(pad(step.substr(1), 25));
            else
                f.addUser(step);
        }
    }

    std::vector<std::string> padded(const std::string& names)
    {
        std::vector<std::string> out;
        std::istringstream in(names);
        for (std::string name; in >> name;)
            out.push_back(pad(name, 25));
        return out;
    }

    void queueFor(const std::string& steps, std::string_view message)
    {
        add(steps);
        f.desk.setMessage(message);
        f.desk.queueMessage();
    }

    DeskFixture f;
};

TEST_F(Recipients, LimitFollowsEachRecipientAndGroupAsItIsAdded)
{
    const struct {
        const char* steps;
        const char* recipients;
        int limit;
    } cases[] = {
        { "", "", 80 },
        // The first user sets the limit outright, later ones only lower it.
        { "Ann", "Ann", 240 },
        { "Hal", "Hal", 400 },
        { "Ann Ben Ann", "Ann Ben Ann", 40 },
        // A missing company leaves the limit as it was.
        { "Gus", "Gus", 80 },
        { "Ann Gus", "Ann Gus", 240 },
        // A group is replaced by its members; several members give the smallest of 80 and their maxima.
        { "+Sales", "Dee Eve", 40 },
        { "+Night", "Fay", 240 },
        { "Ann +Sales", "Ann Dee Eve", 40 },
        { "Ben +Night", "Ben Fay", 40 },
        { "+Empty", "", 80 },
        // After exactly one user a group without members cannot give a limit (its minimum is 0): back to 80.
        { "Ben +Empty", "Ben", 80 },
    };
    for (const auto& c : cases) {
        f.desk.clearRecipients();
        add(c.steps);
        EXPECT_EQ(f.desk.recipients(), padded(c.recipients)) << c.steps;
        EXPECT_EQ(f.desk.messageLimit(), c.limit) << c.steps;
        EXPECT_EQ(f.desk.messageBoxVisible(), *c.recipients != '\0') << c.steps;
    }
    EXPECT_EQ(f.desk.activeList(), ActiveList::Groups);
}

TEST_F(Recipients, TheLimitLeavesRoomForThePrefixAndSuffixOfEveryAlphanumericPage)
{
    f.data.terminals.push_back(DataFolderFixture::numericCompany("Beeper"));
    f.data.users.push_back(DataFolderFixture::user("DIG-Ike", "1009", "DIG-Beeper"));
    f.data.write();
    store::RunningSettings settings;
    settings.MessagePrefix = "URGENT: ";
    settings.MessageSuffix = " -Desk";
    f.desk.setSettings(settings);
    // "URGENT:" and " -Desk" (the prefix is right-trimmed, as it is sent) take 13 characters off each alphanumeric
    // company's limit; a numeric page is dialled without them. A name from the command line lowers the limit to
    // what its company takes, and never raises it.
    const std::pair<const char*, int> cases[] = { { "Ann", 227 }, { "Ann Ben", 27 }, { "+Sales", 27 },
        { "DIG-Ike", 14 }, { "Gus", 80 }, { "=Ann", 80 }, { "=Ben", 27 } };
    for (const auto& [steps, limit] : cases) {
        f.desk.clearRecipients();
        add(steps);
        EXPECT_EQ(f.desk.messageLimit(), limit) << steps;
    }
}

TEST_F(Recipients, UserWhoseRecordIsGoneLeavesTheLimit)
{
    // Another workstation deleted Ben after this list was loaded: he stays a recipient and matches no one.
    f.desk.loadUsers();
    f.data.users.erase(f.data.users.begin() + 1);
    f.data.write();
    f.desk.addUser(1);
    EXPECT_EQ(f.desk.recipients(), padded("Ben"));
    EXPECT_EQ(f.desk.messageLimit(), 80);
}

TEST_F(Recipients, RemovingTheLastRecipientRestoresEightyAndHidesTheMessage)
{
    add("Ben Cal");
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

    add("Ann");
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
    f.desk.addSelectedRecipient();
    EXPECT_TRUE(f.desk.recipients().empty());
}

TEST_F(Recipients, QueueingNeedsAMessage)
{
    f.desk.queueMessage();
    queueFor("Ann", "");
    EXPECT_EQ(f.view.boxes,
        (std::vector<std::string> { "You need to enter a text message to be sent in order to que the message",
            "You need to enter a text message to be sent in order to que the message" }));
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
}

TEST_F(Recipients, EntryHoldsEveryColumnAndTheMessageCutToTheLimit)
{
    queueFor("Cal", "Call the front desk");
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

    // 196 + the limit, and never more than 300 characters of message.
    f.desk.clearRecipients();
    queueFor("Ann", "Hi there");
    const std::string longEntry = f.desk.pageQueue().entry(0);
    ASSERT_EQ(longEntry.substr(0, 28), "Longpage                 Ann");
    EXPECT_EQ(longEntry.size(), 196u + 240u);
    EXPECT_EQ(longEntry.substr(196), "Hi there" + std::string(232, ' '));

    f.desk.clearRecipients();
    queueFor("Hal", std::string(350, 'x'));
    const std::string wideEntry = f.desk.pageQueue().entry(2);
    ASSERT_EQ(wideEntry.substr(0, 28), "Widepage                 Hal");
    EXPECT_EQ(wideEntry.size(), 196u + 300u);
    EXPECT_EQ(wideEntry.substr(196), std::string(300, 'x'));
}

TEST_F(Recipients, APersonChosenTwiceOrAlsoThroughAGroupIsQueuedOnce)
{
    queueFor("Eve Cal +Sales Cal", "Fire drill at noon");
    EXPECT_EQ(f.desk.recipients().size(), 5u) << "the list still shows whom the operator chose";
    const auto& entries = f.desk.pageQueue().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].substr(0, 50), "Longpage                 Dee                      ");
    EXPECT_EQ(entries[1].substr(0, 50), "Ravenpage                Cal                      ");
    EXPECT_EQ(entries[2].substr(0, 50), "Shortpage                Eve                      ");
    EXPECT_EQ(f.desk.queueCounterText(), " 3 Pages in Que");
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(Recipients, NameMatchingSeveralRecordsIsQueuedOncePerPagerAndUnknownNamesAreSkipped)
{
    // A second Cal with a pager of his own, and the first Cal entered twice.
    f.data.users.push_back(DataFolderFixture::user("Cal", "2003", "Longpage"));
    f.data.users.push_back(DataFolderFixture::user("Cal", "1003", "Ravenpage"));
    f.data.write();
    add("Cal");
    f.desk.addRecipientName(pad("Nobody", 25));
    queueFor("", "Lunch");
    ASSERT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(0, 54), "Longpage                 Cal                      2003");
    EXPECT_EQ(f.desk.pageQueue().entry(1).substr(0, 54), "Ravenpage                Cal                      1003");
    EXPECT_TRUE(f.view.boxes.empty());
}

// Which setting clears what is the sending tests' business; here, what queueing leaves of the limit.
TEST_F(Recipients, AListClearedByTheSettingAfterQueueingKeepsItsLimit)
{
    store::RunningSettings settings;
    settings.ClearSendList = true;
    f.desk.setSettings(settings);
    queueFor("Ann", "Lunch");
    EXPECT_TRUE(f.desk.recipients().empty());
    EXPECT_FALSE(f.desk.messageBoxVisible());
    // The list was emptied by the setting, not by the operator: Longpage's limit stays.
    EXPECT_EQ(f.desk.messageLimit(), 240);
}

TEST_F(Recipients, CountersKeepOrDropTheLeadingBlankAsEachCommandDoes)
{
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "0 Delay Send Pages");
    queueFor("Ann Ben Cal", "Hello");
    EXPECT_EQ(f.desk.queueCounterText(), " 3 Pages in Que");
    f.desk.refreshCounters();
    EXPECT_EQ(f.desk.queueCounterText(), "3 Pages in Que");
    f.desk.clearQueue();
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
}

TEST_F(Recipients, NumericPagerWarningOnceAndOnlyForTextItCannotDial)
{
    f.data.terminals.push_back(DataFolderFixture::numericCompany("Beeper"));
    f.data.users.push_back(DataFolderFixture::user("DIG-Ike", "1009", "DIG-Beeper"));
    f.data.write();
    queueFor("DIG-Ike Cal", "4321");
    EXPECT_TRUE(f.view.boxes.empty());
    f.desk.setMessage("call me");
    f.desk.queueMessage();
    EXPECT_EQ(
        f.view.boxes, (std::vector<std::string> { "THIS IS A DIGITAL PAGER SO YOU CAN ONLY SEND NUMBERS TO IT..." }));
    EXPECT_EQ(f.desk.pageQueue().count(), 4);
}

TEST_F(Recipients, UnreadableDirectoryFileIsReportedAndNothingIsQueued)
{
    add("Cal");
    const auto groups = f.data.folder().pathOf<store::GroupRecord>();
    std::filesystem::remove(groups);
    std::filesystem::create_directory(groups);
    queueFor("", "Hello");
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
    store::writeRecordAt(shared / "USERS.DAT", 1, DataFolderFixture::user("Cal", "9003", "Longpage"));
    f.data.folder().setSharedFolder(shared.string());
    f.desk.addRecipientName(pad("Cal", 25));
    f.desk.setMessage("Hello");
    f.desk.queueMessage();
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(0, 54), "Longpage                 Cal                      9003");

    // The share drops: refreshing says so in words, not "Error # 76 ... cannot open".
    std::filesystem::remove(shared / "USERS.DAT");
    f.desk.showUsers();
    EXPECT_EQ(f.view.boxes.back(), "The shared directory " + shared.string() + " cannot be reached.");
}

} // namespace
} // namespace tolvane::dispatch::test
