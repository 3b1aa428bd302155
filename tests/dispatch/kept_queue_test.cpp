// The page queue and the scheduled list kept in QUEUE.DAT, across starts of the program on one folder, with
// the real paging call on a scripted terminal that answers every block but Cal's.
#include "dispatch/kept_queue.h"
#include "dispatch/paging_desk.h"
#include "dispatch_fixture.h"
#include "engine/paging_call.h"
#include "engine/queue_entry.h"
#include "store/page_log.h"
#include "store/settings.h"
#include "store/text.h"
#include "testkit/happy_terminal.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

namespace tolvane::dispatch::test {
namespace {

using engine::kStatusMayHaveBeenSent;

class KeptQueueTest : public ::testing::Test {
protected:
    // One start of the program on the folder: a desk that restored QUEUE.DAT.
    struct Start {
        explicit Start(KeptQueueTest& t)
            : desk(t.data.folder(), t.view, t.clock)
            , call(t.line, t.pacer, t.view, desk.callQueue(), t.data.folder(), desk.runState())
            , sender(call)
        {
            desk.setPageSender(&sender);
            desk.setSettings(store::checkSettings(t.data.folder()));
            desk.restoreKeptQueue();
        }
        PagingDesk desk;
        engine::PagingCall call;
        PagingCallSender sender;
    };

    KeptQueueTest()
    {
        writeOffice(data);
        data.writeGroups({});
        line.whenWriteContains("1003\r", ""); // Cal's terminal takes the block and never answers
        testkit::addHappyTerminal(line);
    }

    std::unique_ptr<Start> start() { return std::make_unique<Start>(*this); }

    std::string status(const EntryList& list, int index)
    {
        return store::rtrim(engine::statusColumn(list.entry(index)));
    }
    int blocksFor(const char* pagerId) { return line.countWritesContaining("\x02" + std::string(pagerId) + "\r"); }

    testkit::DataFolderFixture data;
    testkit::VirtualClock time;
    testkit::VirtualPacer pacer { time };
    testkit::ScriptedLine line { time };
    testkit::RecordingView view;
    FakeClock clock;
};

TEST_F(KeptQueueTest, EveryChangeIsKeptAsItIsMadeAndComesBackAtTheNextStart)
{
    auto first = start();
    queueFor(first->desk, { "Ann", "Ben", "Cal" }, "Hello");
    ASSERT_EQ(first->desk.schedule(2, "10:00 PM", "12/06/2026"), EventsOutcome::Done); // Cal
    ASSERT_EQ(first->desk.deleteOne(EventList::Queue, 0), EventsOutcome::Done); // Ann
    // Started again while the first still runs, as after a kill: nothing was saved at an exit.
    auto second = start();
    EXPECT_EQ(second->desk.pageQueue().entries(), first->desk.pageQueue().entries());
    EXPECT_EQ(second->desk.scheduledList().entries(), first->desk.scheduledList().entries());
    EXPECT_EQ(second->desk.scheduledList().pageId(0), first->desk.scheduledList().pageId(0));
    EXPECT_EQ(second->desk.scheduledList().pageId(0).size(), 16u);
    EXPECT_EQ(second->desk.delayCounterText(), "1 Delay Send Pages");
    EXPECT_TRUE(second->desk.scheduleTimerEnabled());

    // A delivered page is marked sent and stays so ("Clear Que after Successful Page" is off): never sent again.
    second->desk.sendQueue();
    EXPECT_EQ(blocksFor("1002"), 1);
    auto third = start();
    EXPECT_EQ(status(third->desk.pageQueue(), 0), "PAGE SENT");
    third->desk.sendQueue();
    EXPECT_EQ(blocksFor("1002"), 1);

    third->desk.deleteAll(EventList::Scheduled);
    third->desk.clearQueue();
    EXPECT_EQ(start()->desk.queueCounterText(), "0 Pages in Que");
}

TEST_F(KeptQueueTest, APageOnItsWayWhenTheProgramDiedIsSettledFromTheLogAndNeverSentAgainByItself)
{
    auto first = start();
    queueFor(first->desk, { "Ann", "Ben", "Cal" }, "Hello");
    const auto entries = first->desk.pageQueue().entries();
    for (int i = 0; i < 3; ++i)
        first->desk.callQueue().pageLeaving(i);
    // Ann's line was written (delivered), Ben's too (refused); Cal's call died before any answer.
    store::appendLogLine(data.folder(), engine::pageLogLine("PAGE SENT: ", entries[0], 300));
    store::appendLogLine(data.folder(), engine::pageLogLine("ERROR FOR: ", entries[1], 300));

    auto second = start();
    const EntryList& queue = second->desk.pageQueue();
    EXPECT_EQ(status(queue, 0), "PAGE SENT");
    EXPECT_EQ(status(queue, 1), "Ready to Send");
    EXPECT_EQ(status(queue, 2), kStatusMayHaveBeenSent);
    EXPECT_EQ(view.boxes.back(),
        "1 page was being sent when Tolvane ended, and may have been sent. It waits in the page queue, marked \"may "
        "have been sent\": in View > Events, send it again or delete it.");
    second->desk.sendQueue();
    EXPECT_EQ(blocksFor("1001") + blocksFor("1002") + blocksFor("1003"), 1) << "only the refused page again";

    // The operator sends Cal's again; the call ends without an answer, so it may have been sent once more.
    EXPECT_EQ(second->desk.sendAgain(EventList::Queue, 2), EventsOutcome::Done);
    EXPECT_EQ(blocksFor("1003"), 1);
    EXPECT_EQ(status(queue, 2), kStatusMayHaveBeenSent);
    EXPECT_EQ(second->desk.sendAgain(EventList::Queue, 0), EventsOutcome::AlreadySent);
}

TEST_F(KeptQueueTest, ScheduledPagesThatFellDueWhileClosedWaitForTheOperatorNotTheTimer)
{
    auto first = start();
    queueFor(first->desk, { "Ann", "Ben" }, "Wake up");
    first->desk.schedule(0, "08:00 AM", "12/06/2026"); // Ann
    first->desk.schedule(0, "09:00 PM", "12/06/2026"); // Ben
    first.reset();
    clock.time = "10:30 AM";
    auto second = start();
    EXPECT_EQ(status(second->desk.scheduledList(), 0), "Page is Overdue");
    EXPECT_TRUE(second->desk.scheduleTimerEnabled());
    EXPECT_FALSE(second->desk.offerPagesThatFellDue()); // No
    EXPECT_EQ(view.questions.back(),
        "1 scheduled page fell due while Tolvane was closed:\rAnn  08:00 AM 12/06/2026\rSend it now? No keeps it in "
        "the "
        "scheduled list, marked overdue, until you send or delete it.");
    clock.time = "09:30 PM";
    second->desk.tickClock();
    second->desk.releaseDuePages();
    EXPECT_EQ(blocksFor("1002"), 1);
    ASSERT_EQ(second->desk.scheduledList().count(), 1) << "the overdue page is not the timer's";
    EXPECT_FALSE(start()->desk.offerPagesThatFellDue()) << "asked once";

    // Dana's page, due at 10:00 PM: the program closed meanwhile, and Yes sends it.
    queueFor(second->desk, { "Dana Whitlow" }, "Late");
    ASSERT_EQ(second->desk.schedule(1, "10:00 PM", "12/06/2026"), EventsOutcome::Done); // after Ben's, sent

    clock.time = "10:05 PM";
    auto third = start();
    view.answers = { true };
    ASSERT_TRUE(third->desk.offerPagesThatFellDue());
    EXPECT_EQ(third->desk.pageQueue().count(), 2);
    EXPECT_EQ(status(third->desk.scheduledList(), 0), "Page is Overdue");
}

TEST_F(KeptQueueTest, AFailedWriteIsToldOnceAndTheNextWriteThatSucceedsKeepsEverything)
{
    auto first = start();
    queueFor(first->desk, { "Ann" }, "One");
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit full { std::filesystem::file_size(data.path() / "QUEUE.DAT") + 10, old.rlim_max }; // a full disk
    ::setrlimit(RLIMIT_FSIZE, &full);
    const std::size_t boxes = view.boxes.size();
    queueFor(first->desk, { "Ben" }, "Two");
    queueFor(first->desk, { "Cal" }, "Three");
    EXPECT_EQ(view.boxes.size(), boxes + 1);
    EXPECT_EQ(
        view.boxes.back().rfind("The page queue could not be kept in " + (data.path() / "QUEUE.DAT").string(), 0), 0u)
        << view.boxes.back();
    EXPECT_FALSE(first->desk.readyToEnd());
    EXPECT_TRUE(view.questions.back().ends_with(", so the pages waiting would be lost. End Tolvane anyway?"));
    EXPECT_EQ(first->desk.pageQueue().count(), 3);
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_TRUE(first->desk.readyToEnd());
    EXPECT_EQ(start()->desk.pageQueue().entries(), first->desk.pageQueue().entries());
}

TEST_F(KeptQueueTest, AFileGrownPastAMegabyteIsWrittenWholeAgainAtTheEndOfACommand)
{
    for (int i = 0; i < 3300; ++i) // one group of 3,300 people: one change of over a megabyte
        data.users.push_back(
            testkit::DataFolderFixture::user("All" + std::to_string(i), std::to_string(5000 + i), "Bluepage", "1"));
    data.write();
    data.writeGroups({ "All" });
    auto first = start();
    first->desk.loadGroups();
    first->desk.addGroup(0);
    first->desk.setMessage("Hello");
    first->desk.queueMessage();
    const std::string file = testkit::readFile(data.path() / "QUEUE.DAT");
    EXPECT_EQ(file.find("\r\nend "), file.rfind("\r\nend ")) << "one change: the whole state";
    EXPECT_EQ(start()->desk.pageQueue().count(), 3300);
}

TEST_F(KeptQueueTest, AnUnreadableFileIsSetAsideAndTheOperatorToldWhere)
{
    const std::string file = (data.path() / "QUEUE.DAT").string();
    std::ofstream(file) << "USERS.DAT copied here by mistake";
    auto first = start();
    ASSERT_FALSE(view.boxes.empty());
    const std::string& box = view.boxes.back();
    const std::string told = "The page queue file " + file + " could not be read: it is not a page queue file. It was "
        + "set aside as " + file + ".unreadable-";
    EXPECT_EQ(box.substr(0, told.size()), told);
    EXPECT_EQ(testkit::readFile(box.substr(told.size() - file.size() - 12, file.size() + 27)),
        "USERS.DAT copied here by mistake");
    queueFor(first->desk, { "Ann" }, "Fresh start");
    EXPECT_EQ(start()->desk.pageQueue().count(), 1);
}

TEST_F(KeptQueueTest, TriesSurviveARestartAndATryDueMeanwhileGoesOnceAtTheFirstCheck)
{
    line.forgetRules();
    line.whenWriteContains("1002\r", "512 Temporarily cannot deliver\r" + testkit::wire::kNak, 50, 1);
    testkit::addHappyTerminal(line);
    const RetryPolicy on { true, 3, 2 };
    auto first = start();
    first->desk.setRetryPolicy(on);
    queueFor(first->desk, { "Ben" });
    first->desk.sendQueue();
    EXPECT_EQ(first->desk.statusWords(0), "Try 2 of 3 at 09:07 AM: 512 Temporarily cannot deliver");

    clock.time = "09:30 AM";
    auto second = start();
    second->desk.setRetryPolicy(on);
    EXPECT_EQ(second->desk.statusWords(0), "Try 2 of 3 at 09:07 AM: 512 Temporarily cannot deliver");
    EXPECT_TRUE(second->desk.scheduleTimerEnabled());
    second->desk.releaseDuePages();
    second->desk.releaseDuePages();
    EXPECT_EQ(blocksFor("1002"), 2);
    EXPECT_EQ(status(second->desk.pageQueue(), 0), "PAGE SENT");
    EXPECT_EQ(start()->desk.statusWords(0), "") << "delivered, as its entry says";
}

} // namespace
} // namespace tolvane::dispatch::test
