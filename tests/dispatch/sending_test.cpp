#include "dispatch_fixture.h"

#include "engine/queue_entry.h"
#include "store/records.h"
#include "store/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;
using Call = CountingSender::Call;

class Sending : public ::testing::Test {
protected:
    Sending() { writeOffice(f.data); }

    void queue(std::initializer_list<const char*> names, std::string_view message = "Hello")
    {
        queueFor(f.desk, names, message);
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

TEST_F(Sending, EachCompanyRunIsOneCallToldWhereItsRunStarts)
{
    const struct {
        std::initializer_list<const char*> names;
        std::vector<std::pair<int, int>> calls; // count, first
        const char* counter;
    } cases[] = {
        { { "Cal", "Ann", "Ben" }, { { 2, 0 }, { 1, 2 } }, " 3 Pages in Que" },
        { {}, {}, " 0 Pages in Que" },
        // Companies equal in their first 25 characters share one call.
        { { "Dee", "Eve" }, { { 2, 0 } }, " 2 Pages in Que" },
    };
    for (const auto& c : cases) {
        std::string row = "queue of";
        for (const char* name : c.names)
            row += std::string(" ") + name;
        f.desk.clearQueue();
        f.sender.calls.clear();
        f.view.statuses.clear();
        queue(c.names);
        f.desk.sendQueue();
        std::vector<std::pair<int, int>> calls;
        for (const auto& call : f.sender.calls)
            calls.emplace_back(call.count, call.first);
        EXPECT_EQ(calls, c.calls) << row;
        EXPECT_EQ(f.desk.queueCounterText(), c.counter) << row;
        if (!calls.empty()) {
            EXPECT_EQ(f.view.statuses.front(), "Preparing Page...") << row;
            EXPECT_EQ(std::count(f.view.statuses.begin(), f.view.statuses.end(), "Preparing Next Page..."),
                static_cast<long>(calls.size()))
                << row;
        }
    }
}

TEST_F(Sending, AStoppedRunCallsNoFurtherCompanyAndTheNextRunCallsTheRest)
{
    queue({ "Cal", "Ann", "Dee" });
    f.sender.during = [&](int call) {
        if (call == 0)
            f.desk.stopRun();
    };
    f.desk.sendQueue();
    EXPECT_EQ(f.sender.calls.size(), 1u);
    f.sender.during = nullptr;
    f.desk.stopRun(); // no run to stop
    f.desk.sendQueue();
    // Cal's page was delivered and is marked sent: only Ann's and Dee's companies are called again.
    EXPECT_EQ(f.sender.calls.size(), 3u);
}

TEST_F(Sending, APageThatDoesNotGoNeverSplitsItsCompanysRunIntoTwoCalls)
{
    queue({ "Eve" });
    f.desk.sendQueue(); // delivered and kept, marked sent: the queue is not cleared
    f.clock.time = "09:06 AM";
    f.desk.tickClock();
    queue({ "Dee", "Eve" }); // the queue's order: Dee, Eve sent at 09:05, Eve
    f.sender.calls.clear();
    f.desk.sendQueue();

    ASSERT_EQ(f.sender.calls.size(), 1u) << "one call for the company";
    const Call& call = f.sender.calls[0];
    ASSERT_EQ(call.count, 2);
    const auto shown = [&](int at) {
        const std::string& entry = call.queue.at(static_cast<std::size_t>(call.first + at));
        return store::rtrim(engine::nameColumn(entry)) + " " + store::rtrim(engine::timeColumn(entry));
    };
    EXPECT_EQ(shown(0), "Dee 09:06 AM");
    EXPECT_EQ(shown(1), "Eve 09:06 AM");
    EXPECT_EQ(shown(2), "Eve 09:05 AM") << "the page sent before waits behind the run";
    ASSERT_EQ(f.desk.pageQueue().count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(engine::isMarkedSent(f.desk.pageQueue().entry(i))) << i;
}

TEST_F(Sending, SettingsClearAfterTheOperatorsSendOnlyWhenEveryPageWent)
{
    queue({ "Cal", "Ann" });
    f.addUser("Ben");
    f.desk.setMessage("Still here");
    const auto typedKept = [&] { return f.desk.recipients().size() == 1 && f.desk.message() == "Still here"; };
    f.sender.delivers = false;
    f.desk.sendQueue();
    EXPECT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.queueCounterText(), " 2 Pages in Que");
    EXPECT_TRUE(typedKept());

    f.data.settings.ClearSendList = store::kYes;
    f.data.settings.ClearMessage = store::kYes;
    f.data.write();
    // Pages that did not go keep what the operator typed, and so does a send the scheduled-page timer started.
    f.desk.sendQueue();
    EXPECT_TRUE(typedKept());
    EXPECT_EQ(f.view.lastLamp(), engine::Lamp::Red);
    f.sender.delivers = true;
    f.desk.scheduledList().insert(scheduled("Cal", "08:00 AM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);
    f.desk.releaseDuePages();
    EXPECT_EQ(f.sender.calls.size(), 6u);
    EXPECT_EQ(f.desk.pageQueue().count(), 3);
    EXPECT_TRUE(typedKept());

    setClearQueue(true);
    queue({ "Ann" });
    f.desk.sendQueue(); // only what was delivered goes
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_EQ(f.desk.queueCounterText(), " 0 Pages in Que");
    EXPECT_TRUE(f.desk.recipients().empty());
    EXPECT_EQ(f.desk.message(), "");
}

TEST_F(Sending, NoRunStartsWhileOneIsInProgressAndPagesQueuedMeanwhileWaitForItsEnd)
{
    queue({ "Ann", "Cal" });
    setClearQueue(true);
    f.sender.delivers = true;
    f.addUser("Ben");
    f.desk.setMessage("Queued meanwhile");
    f.desk.scheduledList().insert(scheduled("Cal", "08:00 AM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);
    f.clock.time = "09:06 AM";
    f.desk.tickClock();

    std::vector<bool> refused;
    CommandState during;
    f.sender.during = [&](int call) {
        if (call != 0)
            return;
        refused = { !f.desk.sendQueue(), !f.desk.sendSingle(), !f.desk.sendRunByRun(), !f.desk.clearQueue() };
        f.desk.releaseDuePages();
        during = f.desk.commandState(false);
        f.desk.queueMessage();
    };
    f.desk.sendQueue();
    EXPECT_EQ(refused, (std::vector<bool> { true, true, true, true }));
    EXPECT_FALSE(during.send);
    EXPECT_FALSE(during.sendQueue);
    EXPECT_FALSE(during.clearQueue);
    EXPECT_TRUE(during.cancel);
    EXPECT_TRUE(during.queue);
    // The run finished the queue it started with; the new page and the scheduled one wait for it.
    ASSERT_EQ(f.sender.calls.size(), 2u);
    EXPECT_EQ(f.sender.calls[1].queue.size(), f.sender.calls[0].queue.size());
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(25, 3), "Ben");
    EXPECT_EQ(f.desk.queueCounterText(), " 1 Pages in Que");
    EXPECT_EQ(f.desk.scheduledList().count(), 1);

    f.sender.during = nullptr;
    f.desk.releaseDuePages();
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    EXPECT_EQ(f.sender.calls.size(), 4u);
}

TEST_F(Sending, SinglePageHasAListOfItsOwnSoTheQueueMayChangeMeanwhile)
{
    queue({ "Ann", "Cal" });
    f.addUser("Ben");
    f.desk.setMessage("Single");
    bool cleared = false;
    f.sender.during = [&](int) {
        cleared = f.desk.clearQueue();
        f.desk.queueMessage();
    };
    f.desk.sendSingle();
    EXPECT_TRUE(cleared);
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue.size(), 1u);
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(196, 6), "Single");
}

TEST_F(Sending, ASinglePageThatWentIsClearedAsTheSettingsSayAndTheCursorsAreReset)
{
    const struct {
        bool clearList, clearMessage, delivered;
    } cases[] = { { false, false, true }, { false, true, true }, { true, false, true }, { true, true, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.clearList) + std::to_string(c.clearMessage) + std::to_string(c.delivered));
        f.data.settings.ClearSendList = c.clearList ? store::kYes : store::kNo;
        f.data.settings.ClearMessage = c.clearMessage ? store::kYes : store::kNo;
        f.data.write();
        f.desk.clearRecipients();
        f.addUser("Ann");
        f.desk.setMessage("Hi");
        f.sender.delivers = c.delivered;
        // The call moves the cursors, as the paging call does for each page.
        f.sender.during = [&](int) { f.desk.runState().queueCursor = f.desk.runState().runPageCounter = 1; };
        ASSERT_TRUE(f.desk.sendSingle());
        // A page that did not go keeps both, to be corrected and sent again.
        const bool clearList = c.clearList && c.delivered;
        EXPECT_EQ(f.desk.recipients().size(), clearList ? 0u : 1u);
        // An empty recipient list always empties the message box.
        EXPECT_EQ(f.desk.message(), clearList || (c.clearMessage && c.delivered) ? "" : "Hi");
        EXPECT_EQ(f.desk.runState().queueCursor, 0);
        EXPECT_EQ(f.desk.runState().runPageCounter, 0);
    }
    EXPECT_EQ(f.sender.calls.size(), 4u);
}

TEST_F(Sending, SinglePageRefusesGroupsAndSeveralRecipientsAndFailsForANameNobodyHas)
{
    f.data.writeGroups({ "Sales" });
    f.desk.loadGroups();
    f.addUser("Ann");
    f.desk.setMessage("Hi");
    f.desk.selectGroup(0);
    f.desk.sendSingle();
    EXPECT_EQ(f.view.boxes.back(), "You can not use this feature for paging GROUPS.. Plese Que message, Then Send Que");

    f.addUser("Ben");
    f.desk.sendSingle();
    EXPECT_EQ(f.view.boxes.back(),
        "Quick Page only works with one user selected... Select QUEUE MSG and then SEND QUE or delete some of the "
        "people in the to send to list");
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.recipients().size(), 2u);
    EXPECT_TRUE(f.view.statuses.empty()) << "no page was on its way";

    // A name nobody has (deleted at another workstation meanwhile) ends as a failure, and says why.
    f.desk.clearRecipients();
    f.desk.addRecipientName(pad("Nobody", 25));
    f.desk.setMessage("Hi");
    f.desk.sendSingle();
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.view.statuses, (std::vector<std::string> { "Preparing Page...", "Page(s) Were Not Sent" }));
    EXPECT_EQ(f.view.lastLamp(), engine::Lamp::Red);
    EXPECT_EQ(f.view.logLines.back(), "No user named Nobody was found in the directory.");
    EXPECT_EQ(f.desk.message(), "Hi");
}

TEST_F(Sending, ASinglePageGoesOnceToEachPagerOfTheName)
{
    // Ann entered a second time, and a second Ann with a pager of her own.
    f.data.users.push_back(f.data.users.front());
    f.data.users.push_back(DataFolderFixture::user("Ann", "2001", "Bluepage"));
    f.data.write();
    f.addUser("Ann");
    f.desk.setMessage("Hi");
    f.desk.sendSingle();
    EXPECT_EQ(f.sender.calls.size(), 2u);
}

TEST_F(Sending, NumericPagerAsksFirstAndNoChangesNothing)
{
    f.addUser("DIG-Ike");
    f.desk.setMessage("4321");
    f.view.answers = { false };
    f.desk.sendSingle();
    EXPECT_EQ(f.view.questions,
        (std::vector<std::string> {
            "This is a Numeric Pager So You Can Only Send NUMBERS To It... Do You Wish To Continue?" }));
    EXPECT_TRUE(f.sender.calls.empty());
    EXPECT_EQ(f.desk.recipients().size(), 1u);
    EXPECT_EQ(f.desk.message(), "4321");

    f.view.answers = { true };
    f.desk.sendSingle();
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue[0].substr(0, 10), "DIG-Beeper");
}

TEST_F(Sending, ScheduledPagesFallDueAtTheStartOfTheirMinuteAndOnlyOnTheirDay)
{
    f.desk.scheduledList().insert(scheduled("Ann", "09:05 AM", "12/05/2026"));
    f.desk.scheduledList().insert(scheduled("Ben", "01:00 AM", "12/07/2026"));
    f.desk.scheduledList().insert(scheduled("Cal", "09:05 AM", "12/06/2026"));
    f.desk.scheduledList().insert(scheduled("Dee", "08:00 AM", "12/06/2026"));
    f.desk.scheduledList().insert(scheduled("Eve", "08:30 AM", "12/06/2026"));
    f.desk.setScheduleTimerEnabled(true);
    const auto tick = [&](const char* time) {
        f.clock.time = time;
        f.desk.tickClock();
        f.desk.releaseDuePages();
    };

    tick("09:04 AM");
    EXPECT_EQ(f.desk.scheduledList().count(), 3);
    ASSERT_EQ(f.sender.calls.size(), 1u); // both due pages moved in one check and went in one send
    EXPECT_EQ(f.sender.calls[0].count, 2);
    EXPECT_EQ(f.desk.delayCounterText(), "3 Delay Send Pages");

    tick("09:05 AM");
    EXPECT_EQ(f.desk.scheduledList().count(), 2);
    ASSERT_EQ(f.sender.calls.size(), 2u); // Dee's and Eve's pages went and are marked sent
    // It moves unchanged, with its scheduled status and time.
    EXPECT_EQ(f.sender.calls[1].queue.at(0).substr(0, 28), "Bluepage                 Cal");
    EXPECT_EQ(f.sender.calls[1].queue.at(0).substr(151, 44), "09:05 AM     12/06/2026 Page is Scheduled   ");
    EXPECT_EQ(f.desk.queueCounterText(), "3 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "2 Delay Send Pages");

    // The past date never falls due; tomorrow's page waits.
    tick("11:59 PM");
    EXPECT_EQ(f.desk.scheduledList().count(), 2);
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
}

TEST_F(Sending, TheDueRuleReadsTwelveOClockAsNoonAndMidnight)
{
    const struct {
        const char* at;
        const char* on;
        const char* now;
        const char* today;
        bool due;
    } cases[] = {
        { "11:59 AM", "12/06/2026", "12:00 PM", "12/06/2026", true },
        { "12:30 PM", "12/06/2026", "01:00 PM", "12/06/2026", true },
        { "01:00 PM", "12/06/2026", "12:30 PM", "12/06/2026", false },
        { "12:30 AM", "12/06/2026", "01:00 AM", "12/06/2026", true },
        { "01:00 AM", "12/06/2026", "12:30 AM", "12/06/2026", false },
        { "12:00 AM", "12/07/2026", "11:59 PM", "12/06/2026", false },
        { "12:00 AM", "12/07/2026", "12:00 AM", "12/07/2026", true },
    };
    for (const auto& c : cases) {
        f.desk.scheduledList().clear();
        f.desk.scheduledList().insert(scheduled("Ann", c.at, c.on));
        f.clock.time = c.now;
        f.clock.date = c.today;
        f.desk.tickClock();
        f.desk.releaseDuePages();
        EXPECT_EQ(f.desk.scheduledList().count() == 0, c.due)
            << c.at << " " << c.on << " at " << c.now << " " << c.today;
    }
}

TEST_F(Sending, APageForTheLastMinuteBeforeMidnightFallsDueJustAfterItAndYesterdaysNever)
{
    f.addUser("Ann");
    f.desk.setMessage("Lock up");
    f.desk.queueMessage();
    f.desk.queueMessage();
    const auto at = [&](const char* time, const char* date) {
        f.clock.time = time;
        f.clock.date = date;
        f.desk.tickClock();
    };
    at("11:58 PM", "12/06/2026");
    ASSERT_EQ(f.desk.schedule(0, "11:59 PM", "12/06/2026"), EventsOutcome::Done);
    ASSERT_EQ(f.desk.schedule(0, "11:00 PM", "12/05/2026"), EventsOutcome::Done);
    // The next check comes after midnight (the port was held at 11:59): the page's minute has passed, though
    // not today.
    at("12:00 AM", "12/07/2026");
    f.desk.releaseDuePages();
    ASSERT_EQ(f.sender.calls.size(), 1u);
    EXPECT_EQ(f.sender.calls[0].queue.at(0).substr(151, 23), "11:59 PM     12/06/2026");
    EXPECT_EQ(f.desk.scheduledList().count(), 1) << "a page dated before it was scheduled never falls due";
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
}

TEST_F(Sending, NewEntriesCarryTheClockCaptionsNotTheLiveClock)
{
    f.clock.time = "10:15 AM";
    f.clock.date = "01/02/2027";
    f.addUser("Ann");
    f.desk.setMessage("Hi");
    f.desk.queueMessage();
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(151, 23), "09:05 AM     12/06/2026");
    f.desk.tickClock();
    f.desk.queueMessage();
    EXPECT_EQ(f.desk.pageQueue().entry(0).substr(151, 23), "09:05 AM     12/06/2026");
    EXPECT_EQ(f.desk.pageQueue().entry(1).substr(151, 23), "10:15 AM     01/02/2027");
}

TEST_F(Sending, CommandsFollowTheEnablingRules)
{
    struct Expect {
        bool send, queue, sendQueue, cancel, visible, yellow;
    };
    int refreshes = -1;
    const auto check = [&](const char* when, bool portOpen, Expect e) {
        // Every change refreshes the commands, or the window would show the state before it.
        EXPECT_GT(f.view.refreshes, refreshes) << when;
        refreshes = f.view.refreshes;
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
    f.desk.queueMessage();
    check("a queue", false, { false, true, true, false, true, true });
    f.desk.clearRecipients();
    check("recipients cleared", false, { false, false, true, false, false, false });
    EXPECT_EQ(f.desk.message(), "");
}

} // namespace
} // namespace tolvane::dispatch::test
