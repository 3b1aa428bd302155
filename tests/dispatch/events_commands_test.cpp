// The Events window's commands on the desk, and the canned-message and log rules behind its other windows.
#include "dispatch/canned_messages.h"
#include "dispatch/log_lines.h"
#include "dispatch_fixture.h"
#include "engine/queue_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;

class EventsCommands : public ::testing::Test {
protected:
    EventsCommands()
    {
        f.data.terminals = { DataFolderFixture::alphaCompany("Amberpage"), DataFolderFixture::numericCompany("Beeper") };
        f.data.users = { DataFolderFixture::user("Ann", "1001", "Amberpage"),
            DataFolderFixture::user("Ben", "1002", "Amberpage"), DataFolderFixture::user("DIG-Ike", "1003", "DIG-Beeper") };
        f.data.write();
        for (const char* name : { "Ben", "Ann" })
            f.addUser(name);
        f.desk.setMessage("Staff meeting at three in the east wing");
        f.desk.QueMessage();
        f.desk.clearRecipients();
    }

    std::vector<std::string> queue() const { return f.desk.pageQueue().entries(); }

    DeskFixture f;
};

TEST_F(EventsCommands, SchedulingChecksTheTimeItsSuffixAndTheDateInThatOrder)
{
    const struct {
        const char* time;
        const char* date;
        EventsOutcome outcome;
    } cases[] = {
        { "21:30", "12/06/2026", EventsOutcome::NoAmPm },
        { "12/06/2026", "12/06/2026", EventsOutcome::NoAmPm }, // a date converts, but has no suffix
        { "half past", "12/06/2026", EventsOutcome::TimeNotConverted },
        // Converts as typed, but not as the 12-character time column would carry it: it could never fall due.
        { "  09:30:00 PM", "12/06/2026", EventsOutcome::TimeNotConverted },
        { "9:30 PM", "13/45/2026", EventsOutcome::DateNotConverted },
        { "9:30 PM", "", EventsOutcome::DateNotConverted },
        { "", "", EventsOutcome::TimeNotConverted },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.desk.schedule(0, c.time, c.date), c.outcome) << c.time << " / " << c.date;
        EXPECT_FALSE(eventsMessage(c.outcome).empty());
    }
    EXPECT_EQ(eventsMessage(EventsOutcome::TimeNotConverted), "date can not be converted try retyping it");
    EXPECT_EQ(eventsMessage(EventsOutcome::NoAmPm), "You Need to add a PM or AM to the Time first.");
    EXPECT_EQ(eventsMessage(EventsOutcome::DateNotConverted), "Date can not be converted try retyping it");
    EXPECT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.schedule(2, "9:30 PM", "12/06/2026"), EventsOutcome::NothingSelected);
}

TEST_F(EventsCommands, SchedulingMovesTheEntryWithItsNewTimeAndTheWholeMessage)
{
    // A numeric recipient chosen meanwhile lowers the limit to 14; the waiting page keeps its message.
    f.addUser("DIG-Ike");
    ASSERT_EQ(f.desk.messageLimit(), 14);
    const std::string ann = queue()[0];
    ASSERT_EQ(f.desk.schedule(0, "9:30 pm", "12/06/2026"), EventsOutcome::Done);

    EXPECT_EQ(f.desk.scheduledList().entries(),
        (std::vector<std::string> { ann.substr(0, 150) + " 9:30 pm      12/06/2026 Page is Scheduled    "
            + pad("Staff meeting at three in the east wing", 80) }));
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(engine::nameColumn(queue()[0]), pad("Ben", 25));
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.queueCounterText(), "1 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "1 Delay Send Pages");
}

TEST_F(EventsCommands, DeletingWorksOnEitherListAndAnEmptyScheduledListStopsTheTimer)
{
    ASSERT_EQ(f.desk.schedule(0, "9:30 PM", "12/06/2026"), EventsOutcome::Done);
    ASSERT_EQ(f.desk.schedule(0, "9:45 PM", "12/06/2026"), EventsOutcome::Done);
    f.addUser("Ann");
    f.desk.setMessage("Again");
    f.desk.QueMessage();

    const struct {
        const char* step;
        EventList list;
        bool all;
        int queue, scheduled;
        bool timer;
    } steps[] = {
        { "one scheduled", EventList::Scheduled, false, 1, 1, true },
        { "all of the queue", EventList::Queue, true, 0, 1, true },
        { "the last scheduled", EventList::Scheduled, false, 0, 0, false },
    };
    for (const auto& s : steps) {
        const int refreshes = f.view.refreshes;
        EXPECT_EQ(s.all ? f.desk.deleteAll(s.list) : f.desk.deleteOne(s.list, 0), EventsOutcome::Done) << s.step;
        EXPECT_EQ(f.desk.pageQueue().count(), s.queue) << s.step;
        EXPECT_EQ(f.desk.scheduledList().count(), s.scheduled) << s.step;
        EXPECT_EQ(f.desk.scheduleTimerEnabled(), s.timer) << s.step;
        EXPECT_GT(f.view.refreshes, refreshes) << s.step << ": the send command follows the queue";
    }
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "0 Delay Send Pages");
    EXPECT_EQ(f.desk.deleteOne(EventList::Scheduled, 0), EventsOutcome::NothingSelected);

    f.desk.QueMessage();
    ASSERT_EQ(f.desk.schedule(0, "9:30 PM", "12/06/2026"), EventsOutcome::Done);
    EXPECT_EQ(f.desk.deleteAll(EventList::Scheduled), EventsOutcome::Done);
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
}

TEST_F(EventsCommands, QueueCommandsAreRefusedWhileARunReadsTheQueue)
{
    ASSERT_EQ(f.desk.schedule(1, "9:30 PM", "12/06/2026"), EventsOutcome::Done);
    std::vector<EventsOutcome> during;
    f.sender.during = [&](int) {
        during = { f.desk.schedule(0, "9:30 PM", "12/06/2026"), f.desk.deleteOne(EventList::Queue, 0),
            f.desk.deleteAll(EventList::Queue), f.desk.deleteOne(EventList::Scheduled, 0) };
    };
    f.desk.sendQueue();
    EXPECT_EQ(during,
        (std::vector<EventsOutcome> { EventsOutcome::QueueInUse, EventsOutcome::QueueInUse, EventsOutcome::QueueInUse,
            EventsOutcome::Done }));
    EXPECT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    EXPECT_FALSE(eventsMessage(EventsOutcome::QueueInUse).empty());
}

TEST(CannedMessages, DeletesKeepTheOtherRecordsInOrderAndNeverTheLastOne)
{
    DataFolderFixture data;
    const auto path = data.folder().programPath("QUICK.DAT");
    const auto write = [&](std::initializer_list<const char*> texts) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const char* text : texts)
            out << pad(text, 80);
    };
    const auto file = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const struct {
        std::initializer_list<const char*> before;
        int index;
        std::string after;
        const char* message;
    } cases[] = {
        { { "one", "two" }, 0, pad("two", 80), "" },
        { { "one", "two", "three" }, 2, pad("one", 80) + pad("two", 80), "" },
        { { "only" }, 0, pad("only", 80),
            "You cannot delete the only message, You must add another message before deleting this one" },
    };
    for (const auto& c : cases) {
        write(c.before);
        CannedMessages canned(data.folder()); // holds the file open, as the window does
        EXPECT_EQ(canned.remove(c.index).message, c.message);
        EXPECT_EQ(file(), c.after);
        EXPECT_EQ(canned.messages().size(), c.after.size() / 80);
    }
}

TEST(CannedMessages, AddCutsToEightyAndInsertAddsWithoutTrailingBlanksWithinTheLimit)
{
    DataFolderFixture data;
    std::filesystem::remove(data.folder().programPath("QUICK.DAT"));
    CannedMessages canned(data.folder());
    EXPECT_TRUE(canned.messages().empty());
    canned.add(std::string(85, 'x'));
    canned.add("");
    EXPECT_EQ(canned.messages(), (std::vector<std::string> { std::string(80, 'x'), std::string(80, ' ') }));

    EXPECT_EQ(insertCanned("", pad("Call me", 80), 80), "Call me");
    EXPECT_EQ(insertCanned("Back soon.", pad(" Call me", 80), 80), "Back soon. Call me");
    EXPECT_EQ(insertCanned("4321", pad("0000", 80), 6), "432100");
    EXPECT_EQ(useCanned(pad("Call the desk", 80), 4), "Call");
}

TEST(LogLines, PartsFollowTheColumnsAndAMissingLogIsCreatedEmpty)
{
    const std::string line = "PAGE SENT: " + pad("Dana Whitlow", 25) + "09:05 AM     12/06/202Hello there";
    EXPECT_EQ(logLineParts(line, 5),
        (LogLineParts { "PAGE SENT: ", pad("Dana Whitlow", 25), "09:05 AM", "12/06/20", "Hello" }));
    EXPECT_EQ(logLineParts("ERROR FOR: Ann", 80), (LogLineParts { "ERROR FOR: ", "Ann", "", "", "" }));

    DataFolderFixture data;
    const auto path = data.folder().programPath("LOG.DAT");
    std::filesystem::remove(path);
    EXPECT_TRUE(LoadLog(data.folder()).empty());
    EXPECT_TRUE(std::filesystem::exists(path));
}

} // namespace
} // namespace tolvane::dispatch::test
