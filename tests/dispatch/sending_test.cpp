#include "dispatch_fixture.h"

#include "engine/queue_entry.h"
#include "store/records.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;
using Call = CountingSender::Call;

// Amberpage: Ann, Ben. Bluepage: Cal. Two "Northern Paging Company L.." companies that differ only
// after character 25: Dee and Eve. A numeric company: DIG-Ike. Two records for Fay.
class Sending : public ::testing::Test {
protected:
    Sending()
    {
        f.data.terminals = { DataFolderFixture::alphaCompany("Amberpage"), DataFolderFixture::alphaCompany("Bluepage"),
            DataFolderFixture::numericCompany("Beeper") };
        f.data.users = {
            DataFolderFixture::user("Ann", "1001", "Amberpage"),
            DataFolderFixture::user("Ben", "1002", "Amberpage"),
            DataFolderFixture::user("Cal", "1003", "Bluepage"),
            DataFolderFixture::user("Dee", "1004", "Northern Paging Company Ltd"),
            DataFolderFixture::user("Eve", "1005", "Northern Paging Company Limited"),
            DataFolderFixture::user("DIG-Ike", "1006", "DIG-Beeper"),
            DataFolderFixture::user("Fay", "1007", "Amberpage"),
            DataFolderFixture::user("Fay", "2007", "Bluepage"),
        };
        f.data.write();
    }

    void queue(std::initializer_list<const char*> names, std::string_view message = "Hello")
    {
        for (const char* name : names)
            f.addUser(name);
        f.desk.setMessage(message);
        f.desk.QueMessage();
        f.desk.clearRecipients();
    }

    void setClearQueue(bool on)
    {
        f.data.settings.ClearQueue = on ? store::kYes : store::kNo;
        f.data.write();
    }

    std::string scheduled(const char* name, std::string_view time, std::string_view date)
    {
        store::UserRecord user;
        for (const auto& u : f.data.users) {
            if (u.UserName == name)
                user = u;
        }
        return engine::buildQueueEntry(user, time, date, "Scheduled hello", 80, engine::kStatusScheduled);
    }

    DeskFixture f;
};

TEST_F(Sending, CompaniesAAndBMakeTwoCallsEachToldWhereItsRunStarts)
{
    queue({ "Cal", "Ann", "Ben" });
    ASSERT_TRUE(f.desk.MSENDQUE_Click());
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[0].count, 2);
    EXPECT_EQ(f.sender.calls[0].first, 0);
    EXPECT_EQ(f.sender.calls[1].count, 1);
    EXPECT_EQ(f.sender.calls[1].first, 2);
    EXPECT_EQ(f.view.statuses.front(), "Preparing Page...");
    EXPECT_EQ(std::count(f.view.statuses.begin(), f.view.statuses.end(), "Preparing Next Page..."), 2);
}

TEST_F(Sending, AnEarlyEndNeverShiftsTheNextCompanysPages)
{
    queue({ "Cal", "Ann", "Ben" });
    // The first call ends early with the cursor moved by one, or not at all.
    f.sender.during = [&](int call) { f.desk.runState().queueCursor = static_cast<std::int16_t>(call == 0 ? 1 : 0); };
    f.desk.MSENDQUE_Click();
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[1].first, 2);
    EXPECT_EQ(f.desk.runState().queueCursor, 0);
    EXPECT_EQ(f.desk.runState().runPageCounter, 0);
}

TEST_F(Sending, SingleEntryMakesOneCallOfOne)
{
    queue({ "Cal" });
    f.desk.MSENDQUE_Click();
    EXPECT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].count, 1);
    EXPECT_EQ(f.sender.calls[0].first, 0);
}

TEST_F(Sending, EmptyQueueMakesNoCall)
{
    f.desk.MSENDQUE_Click();
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.queueCounterText(), " 0 Pages in Que");
}

TEST_F(Sending, CompaniesEqualInTwentyFiveCharactersShareOneCall)
{
    queue({ "Dee", "Eve" });
    f.desk.MSENDQUE_Click();
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].count, 2);
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(0, 25), "Northern Paging Company L");
}

TEST_F(Sending, ClearQueueSettingDecidesWhetherTheQueueIsEmptiedAfterTheRun)
{
    queue({ "Cal", "Ann" });
    setClearQueue(false);
    f.desk.MSENDQUE_Click();
    EXPECT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.queueCounterText(), " 2 Pages in Que");

    setClearQueue(true);
    f.desk.MSENDQUE_Click();
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_EQ(f.desk.queueCounterText(), " 0 Pages in Que");
}

TEST_F(Sending, CleanUpAfterTheRunFollowsTheSettings)
{
    queue({ "Cal" });
    f.data.settings.ClearSendList = store::kYes;
    f.data.settings.ClearMessage = store::kYes;
    f.data.write();
    f.addUser("Ann");
    f.addUser("Ben");
    f.desk.setMessage("Still here");
    f.desk.MSENDQUE_Click();
    EXPECT_TRUE(f.desk.recipients().empty());
    EXPECT_EQ(f.desk.message(), "");
}

TEST_F(Sending, WalkStopsWhenACancelEmptiesTheQueueUnderIt)
{
    queue({ "Ann", "Cal", "DIG-Ike" }, "4321");
    f.sender.during = [&](int call) {
        if (call == 0)
            f.desk.callQueue().clear(); // "cancel them all" answered Yes
    };
    f.desk.MSENDQUE_Click();
    EXPECT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_EQ(f.desk.queueCounterText(), " 0 Pages in Que");
}

TEST_F(Sending, NoRunStartsWhileOneIsInProgress)
{
    queue({ "Ann", "Cal" });
    f.addUser("Ben");
    f.desk.setMessage("Now");
    f.desk.scheduledList().insert(scheduled("Cal", "08:00 AM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);
    f.clock.time = "09:06 AM";
    f.desk.Timer1_Timer();

    std::vector<bool> refused;
    CommandState during;
    f.sender.during = [&](int call) {
        if (call != 0)
            return;
        refused.push_back(!f.desk.MSENDQUE_Click());
        refused.push_back(!f.desk.MSEND_Click());
        refused.push_back(!f.desk.PageProcess());
        f.desk.Timer2_Timer();
        during = f.desk.commandState(false);
    };
    f.desk.MSENDQUE_Click();
    EXPECT_EQ(refused, (std::vector<bool> { true, true, true }));
    EXPECT_EQ(f.sender.calls.size(), 2u);
    // The scheduled page waited for a tick after the run.
    EXPECT_EQ(f.desk.scheduledList().count(), 1);
    EXPECT_FALSE(during.send);
    EXPECT_FALSE(during.sendQueue);
    EXPECT_TRUE(during.cancel);
    EXPECT_TRUE(during.queue);

    f.sender.during = nullptr;
    f.desk.Timer2_Timer();
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    EXPECT_EQ(f.sender.calls.size(), 4u);
}

TEST_F(Sending, PagesQueuedDuringARunWaitForItsEnd)
{
    queue({ "Ann", "Cal" });
    setClearQueue(true);
    f.sender.during = [&](int call) {
        if (call != 0)
            return;
        f.addUser("Ben");
        f.desk.setMessage("Queued meanwhile");
        f.desk.QueMessage();
    };
    f.desk.MSENDQUE_Click();
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[1].queue, f.sender.calls[0].queue);
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(25, 3), "Ben");
    EXPECT_EQ(f.desk.queueCounterText(), " 1 Pages in Que");
}

TEST_F(Sending, QueueCannotBeClearedUnderARunButCanUnderASinglePage)
{
    queue({ "Ann", "Ben", "Cal" });
    bool cleared = true;
    CommandState during;
    f.sender.during = [&](int call) {
        if (call == 0) {
            cleared = f.desk.MCLEARQUE_Click();
            during = f.desk.commandState(true);
        }
    };
    f.desk.MSENDQUE_Click();
    EXPECT_FALSE(cleared);
    EXPECT_FALSE(during.clearQueue);
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[1].queue.size(), 3u);

    // The single page has a list of its own: the waiting pages may go, and pages queued come in at once.
    f.sender.calls.clear();
    f.addUser("Ben");
    f.desk.setMessage("Single");
    f.sender.during = [&](int) {
        cleared = f.desk.MCLEARQUE_Click();
        f.desk.QueMessage();
    };
    f.desk.MSEND_Click();
    EXPECT_TRUE(cleared);
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(196, 6), "Single");
}

TEST_F(Sending, SinglePageGoesOnItsOwnAndWaitingPagesStay)
{
    queue({ "Ann", "Cal" });
    const auto waiting = f.desk.pageQueue().entries();
    f.addUser("Ben");
    f.desk.setMessage("Only for Ben");
    ASSERT_TRUE(f.desk.MSEND_Click());

    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].count, 1);
    EXPECT_EQ(f.sender.calls[0].first, 0);
    ASSERT_EQ(f.sender.calls[0].queue.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(0, 54), "Amberpage                Ben                      1002");
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(196, 12), "Only for Ben");
    EXPECT_EQ(f.desk.pageQueue().entries(), waiting);
    EXPECT_EQ(f.desk.callQueue().count(), 2); // the call queue is the page queue again
    EXPECT_EQ(f.view.statuses.front(), "Preparing Page...");
}

TEST_F(Sending, SinglePageToAUserNamedTwiceSendsTwoPages)
{
    f.addUser("Fay");
    f.desk.setMessage("Hello Fay");
    f.desk.MSEND_Click();
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[0].queue.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(50, 4), "1007");
    EXPECT_EQ(f.sender.calls[1].queue.size(), 1u);
    EXPECT_EQ(f.sender.calls[1].queue[0].substr(50, 4), "2007");
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
}

TEST_F(Sending, SinglePageRefusesGroupsAndSeveralRecipients)
{
    f.writeGroups({ "Sales" });
    f.desk.loadGroups();
    f.addUser("Ann");
    f.desk.setMessage("Hi");
    f.desk.selectGroup(0);
    f.desk.MSEND_Click();
    EXPECT_EQ(f.view.boxes.back(), "You can not use this feature for paging GROUPS.. Plese Que message, Then Send Que");

    f.addUser("Ben");
    f.desk.MSEND_Click();
    EXPECT_EQ(f.view.boxes.back(),
        "Quick Page only works with one user selected... Select QUEUE MSG and then SEND QUE or delete some of the "
        "people in the to send to list");
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.recipients().size(), 2u);
}

TEST_F(Sending, NumericPagerAsksFirstAndNoChangesNothing)
{
    f.addUser("DIG-Ike");
    f.desk.setMessage("4321");
    f.view.answers = { false };
    f.desk.MSEND_Click();
    EXPECT_EQ(f.view.questions,
        (std::vector<std::string> {
            "This is a Numeric Pager So You Can Only Send NUMBERS To It... Do You Wish To Continue?" }));
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.recipients().size(), 1u);
    EXPECT_EQ(f.desk.message(), "4321");

    f.view.answers = { true };
    f.desk.MSEND_Click();
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(0, 10), "DIG-Beeper");
}

TEST_F(Sending, SinglePageToAnUnknownNameSendsNothingAndLeavesTheQueue)
{
    queue({ "Ann" });
    f.desk.addRecipientName(pad("Nobody", 25));
    f.desk.setMessage("Hi");
    f.desk.MSEND_Click();
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.runState().sentCount, 0);
}

TEST_F(Sending, ScheduledPageFallsDueTheMinuteAfterItsTime)
{
    f.desk.scheduledList().insert(scheduled("Cal", "09:05 AM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);

    f.clock.time = "09:05 AM";
    f.desk.Timer1_Timer();
    f.desk.Timer2_Timer();
    EXPECT_EQ(f.desk.scheduledList().count(), 1);
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.delayCounterText(), "1 Delay Send Pages");

    f.clock.time = "09:06 AM";
    f.desk.Timer1_Timer();
    f.desk.Timer2_Timer();
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    ASSERT_EQ(f.sender.calls.size(), 1u);
    // It moves unchanged, with its scheduled status and time.
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(151, 44), "09:05 AM     12/06/2026 Page is Scheduled   ");
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.queueCounterText(), "1 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "0 Delay Send Pages");
}

TEST_F(Sending, OnlyEntriesDatedTodayFallDue)
{
    f.desk.scheduledList().insert(scheduled("Ann", "09:05 AM", "12/05/2026"));
    f.desk.scheduledList().insert(scheduled("Ben", "01:00 AM", "12/07/2026"));
    f.desk.scheduledList().insert(scheduled("Cal", "09:05 PM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);
    f.clock.time = "11:59 AM";
    f.desk.Timer1_Timer();
    f.desk.Timer2_Timer();
    EXPECT_EQ(f.desk.scheduledList().count(), 3);
    EXPECT_TRUE(f.sender.calls.empty());

    f.clock.time = "11:59 PM";
    f.desk.Timer1_Timer();
    f.desk.Timer2_Timer();
    EXPECT_EQ(f.desk.scheduledList().count(), 2); // the past date never falls due
    EXPECT_EQ(f.sender.calls.size(), 1u);
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
}

TEST_F(Sending, TwoDueEntriesMoveInOneTickAndGoInOneSend)
{
    f.desk.scheduledList().insert(scheduled("Ann", "08:00 AM", "12/06/2026"));
    f.desk.scheduledList().insert(scheduled("Ben", "08:30 AM", "12/06/2026"));
    f.clock.time = "10:00 AM";
    f.desk.Timer1_Timer();
    f.desk.Timer2_Timer();
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].count, 2);
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
}

TEST_F(Sending, NewEntriesCarryTheClockCaptionsNotTheLiveClock)
{
    f.clock.time = "10:15 AM";
    f.clock.date = "01/02/2027";
    f.addUser("Ann");
    f.desk.setMessage("Hi");
    f.desk.QueMessage();
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(151, 23), "09:05 AM     12/06/2026");
    f.desk.Timer1_Timer();
    f.desk.QueMessage();
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(151, 23), "09:05 AM     12/06/2026");
    EXPECT_EQ(f.desk.pageQueue().entry(1).substr(151, 23), "10:15 AM     01/02/2027");
}

TEST_F(Sending, CommandsFollowTheEnablingRules)
{
    struct Expect {
        bool send, queue, sendQueue, cancel, visible, yellow;
    };
    const auto check = [&](const char* when, bool portOpen, Expect e) {
        const auto s = f.desk.commandState(portOpen);
        EXPECT_EQ(s.send, e.send) << when;
        EXPECT_EQ(s.queue, e.queue) << when;
        EXPECT_EQ(s.sendQueue, e.sendQueue) << when;
        EXPECT_EQ(s.cancel, e.cancel) << when;
        EXPECT_EQ(s.messageBoxVisible, e.visible) << when;
        EXPECT_EQ(s.lampYellow, e.yellow) << when;
    };
    check("at start", false, { false, false, false, false, false, false });
    f.addUser("Ann");
    check("one recipient, no message", false, { false, false, false, false, true, false });
    f.desk.setMessage("Hi");
    check("one recipient and a message", false, { true, true, false, false, true, true });
    f.addUser("Ben");
    check("two recipients and a message", true, { false, true, false, true, true, true });
    f.desk.QueMessage();
    check("a queue", false, { false, true, true, false, true, true });
    f.desk.clearRecipients();
    check("recipients cleared", false, { false, false, true, false, false, false });
    EXPECT_EQ(f.desk.message(), "");
    EXPECT_GT(f.view.refreshes, 0);
}

TEST_F(Sending, ReturnKeyIsRefusedWithItsWarning)
{
    EXPECT_TRUE(f.desk.refuseKey(13));
    EXPECT_FALSE(f.desk.refuseKey(65));
    EXPECT_EQ(f.view.boxes, (std::vector<std::string> { "Don't Use Return Key in Message Text!" }));
    f.addUser("Ann");
    f.desk.setMessage("two\r\nlines");
    EXPECT_EQ(f.desk.message(), "two lines");
}

} // namespace
} // namespace tolvane::dispatch::test
