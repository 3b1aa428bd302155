// The Events window's commands on the desk, and the canned-message and log rules behind its other windows.
#include "dispatch/canned_messages.h"
#include "dispatch/entry_columns.h"
#include "dispatch/log_lines.h"
#include "dispatch/text_filter.h"
#include "dispatch_fixture.h"
#include "engine/queue_entry.h"
#include "store/page_log.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;

// Ann and Ben of Amberpage queued with one message; DIG-Ike's numeric company takes 14 characters.
class EventsCommands : public ::testing::Test {
protected:
    EventsCommands()
    {
        writeOffice(f.data);
        f.addUser("Ben");
        f.addUser("Ann");
        f.desk.setMessage("Staff meeting at three in the east wing");
        f.desk.queueMessage();
        f.desk.clearRecipients();
    }

    DeskFixture f;
};

TEST_F(EventsCommands, SchedulingChecksTheTimeItsSuffixAndTheDateInThatOrder)
{
    const std::string forms = "\nType the time as 11:08 PM or as 23:08.";
    const std::string noTime = "date can not be converted try retyping it" + forms;
    const std::string noSuffix = "You Need to add a PM or AM to the Time first." + forms;
    const char* noDate = "Date can not be converted try retyping it";
    const struct {
        const char* time;
        const char* date;
        std::string box;
    } cases[] = {
        // Without AM or PM only a time no 12-hour reading could mean will do.
        { "11:08", "12/06/2026", noSuffix },
        { "12:30", "12/06/2026", noSuffix },
        { "12/06/2026", "12/06/2026", noSuffix }, // a date converts, but has no suffix
        { "24:00", "12/06/2026", noTime },
        { "half past", "12/06/2026", noTime },
        { "", "", noTime },
        // Converts as typed, not as the 12-character time column carries it: it could never fall due.
        { "  09:30:00 PM", "12/06/2026", noTime },
        { "9:30 PM", "13/45/2026", noDate },
        { "9:30 PM", "", noDate },
    };
    for (const auto& c : cases)
        EXPECT_EQ(eventsMessage(f.desk.schedule(0, c.time, c.date)), c.box) << c.time << " / " << c.date;
    EXPECT_EQ(f.desk.pageQueue().count(), 2);
    EXPECT_EQ(f.desk.scheduledList().count(), 0);
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.schedule(2, "9:30 PM", "12/06/2026"), EventsOutcome::NothingSelected);
}

TEST_F(EventsCommands, SchedulingMovesTheEntryWithItsNewTimeAndTheWholeMessage)
{
    f.addUser("DIG-Ike"); // the limit of whoever is chosen now must not cut the waiting page
    ASSERT_EQ(f.desk.messageLimit(), 14);
    const std::string ann = f.desk.pageQueue().entry(0);
    const std::string ben = f.desk.pageQueue().entry(1);
    ASSERT_EQ(f.desk.schedule(0, "9:30 pm", "12/06/2026"), EventsOutcome::Done);
    // A 24-hour time is kept in the form the page log's readers know.
    ASSERT_EQ(f.desk.schedule(0, "23:08", "12/06/2026"), EventsOutcome::Done);
    EXPECT_EQ(checkSchedule(f.clock, "00:15", "12/06/2026"), EventsOutcome::Done);

    const std::string message = pad("Staff meeting at three in the east wing", 80);
    EXPECT_EQ(f.desk.scheduledList().entries(),
        (std::vector<std::string> { ann.substr(0, 150) + " 9:30 pm      12/06/2026 Page is Scheduled    " + message,
            ben.substr(0, 150) + " 11:08 PM     12/06/2026 Page is Scheduled    " + message }));
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_TRUE(f.desk.scheduleTimerEnabled());
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "2 Delay Send Pages");
}

TEST_F(EventsCommands, DeletingWorksOnEitherListAndAnEmptyScheduledListStopsTheTimer)
{
    ASSERT_EQ(f.desk.schedule(0, "9:30 PM", "12/06/2026"), EventsOutcome::Done);
    ASSERT_EQ(f.desk.schedule(0, "9:45 PM", "12/06/2026"), EventsOutcome::Done);
    f.addUser("Ann");
    f.desk.setMessage("Again");
    f.desk.queueMessage();
    const struct {
        EventsOutcome (*command)(PagingDesk&);
        int queue, scheduled;
        bool timer;
    } steps[] = {
        { [](PagingDesk& d) { return d.deleteOne(EventList::Scheduled, 0); }, 1, 1, true },
        { [](PagingDesk& d) { return d.deleteAll(EventList::Queue); }, 0, 1, true },
        { [](PagingDesk& d) { return d.deleteOne(EventList::Scheduled, 0); }, 0, 0, false },
        { [](PagingDesk& d) { return d.deleteOne(EventList::Scheduled, 0); }, 0, 0, false },
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const int refreshes = f.view.refreshes;
        EXPECT_EQ(steps[i].command(f.desk), i < 3 ? EventsOutcome::Done : EventsOutcome::NothingSelected) << i;
        EXPECT_EQ(f.desk.pageQueue().count(), steps[i].queue) << i;
        EXPECT_EQ(f.desk.scheduledList().count(), steps[i].scheduled) << i;
        EXPECT_EQ(f.desk.scheduleTimerEnabled(), steps[i].timer) << i;
        EXPECT_EQ(f.view.refreshes > refreshes, i < 3) << i << ": the send command follows the queue";
    }
    EXPECT_EQ(f.desk.queueCounterText(), "0 Pages in Que");
    EXPECT_EQ(f.desk.delayCounterText(), "0 Delay Send Pages");

    f.desk.queueMessage();
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
    const auto refused = EventsOutcome::QueueInUse;
    EXPECT_EQ(during, (std::vector<EventsOutcome> { refused, refused, refused, EventsOutcome::Done }));
    EXPECT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(eventsMessage(refused), "The page queue is being sent. Try again when the call has ended.");
}

// Deleting a canned message is the store's compaction, shown through the Quick Page window's test.
TEST(CannedMessages, InsertAddsWithoutTrailingBlanksWithinTheLimit)
{
    EXPECT_EQ(insertCanned("", pad("Call me", 80), 80), "Call me");
    EXPECT_EQ(insertCanned("Back soon.", pad(" Call me", 80), 80), "Back soon. Call me");
    EXPECT_EQ(insertCanned("4321", pad("0000", 80), 6), "432100");
    EXPECT_EQ(useCanned(pad("Call the desk", 80), 4), "Call");
}

TEST(LogLines, PartsFollowTheColumnsAMissingLogIsCreatedEmptyAndErasingCountsWhatItErases)
{
    const std::string line = "PAGE SENT: " + pad("Dana Whitlow", 25) + "09:05 AM     12/06/202Hello there";
    // The log keeps nine characters of the date: a year it cut is left out rather than shown wrong.
    EXPECT_EQ(
        logLineParts(line, 5), (LogLineParts { "PAGE SENT: ", pad("Dana Whitlow", 25), "09:05 AM", "12/06", "Hello" }));
    EXPECT_EQ(logLineParts("ERROR FOR: Ann", 80), (LogLineParts { "ERROR FOR: ", "Ann", "", "", "" }));

    DataFolderFixture data;
    EXPECT_TRUE(loadLog(data.folder()).empty());
    EXPECT_TRUE(std::filesystem::exists(data.folder().programPath("LOG.DAT")));

    // A page logged while the question is open is asked about again.
    std::vector<std::string> questions;
    store::appendLogLine(data.folder(), "PAGE SENT: Ann");
    const auto ask = [&](const std::string& question) {
        questions.push_back(question);
        if (questions.size() == 1)
            store::appendLogLine(data.folder(), "PAGE SENT: Ben");
        return true;
    };
    EXPECT_TRUE(eraseLogAsked(data.folder(), ask));
    EXPECT_EQ(questions,
        (std::vector<std::string> { "Erase the page log? It holds 1 line.", "Erase the page log? It holds 2 lines." }));
    EXPECT_FALSE(std::filesystem::exists(data.folder().programPath("LOG.DAT")));
}

TEST(EventsTables, LinesAndEntriesAreCutIntoTheirColumns)
{
    const auto columns = [](std::string_view (*cut)(std::string_view, int), std::string_view text, int count) {
        std::vector<std::string_view> out;
        for (int i = 0; i < count; ++i)
            out.push_back(cut(text, i));
        return out;
    };
    using Columns = std::vector<std::string_view>;
    EXPECT_EQ(
        columns(logColumn, "ERROR FOR: " + pad("Charlotte Catherine Cunni", 25) + "11:08 PM     1/15/2026Hi  ", 5),
        (Columns { "Error", "Charlotte Catherine Cunni", "11:08 PM", "1/15/2026", "Hi" }));
    EXPECT_EQ(columns(logColumn, "PAGE SENT: Bo" + std::string(23, ' ') + "9:05 AM      12/06/26 x", 5),
        (Columns { "Sent", "Bo", "9:05 AM", "12/06/26", "x" }));
    EXPECT_EQ(columns(logColumn, "ODD", 5), (Columns { "ODD", "", "", "", "" }));
    const std::string entry = pad("Ravenpage", 25) + pad("Charlotte Catherine Cunni", 25) + pad("123", 100) + " "
        + pad("11:08 PM", 12) + " " + pad("12/06/2026", 10) + " " + pad("Ready to Send", 20) + " " + pad("Call", 80);
    EXPECT_EQ(columns(entryColumn, entry, 7),
        (Columns {
            "Ravenpage", "Charlotte Catherine Cunni", "123", "11:08 PM", "12/06/2026", "Ready to Send", "Call" }));

    // Time and date sort as one moment.
    EXPECT_LT(momentKey("11:08 PM", "12/06/2026"), momentKey("0:15", "12/07/2026"));
    EXPECT_LT(momentKey("9:05 AM", "12/06/2026"), momentKey("11:08 AM", "12/06/2026"));
    EXPECT_EQ(momentKey("soon", "12/06/2026"), std::nullopt);
}

TEST(EventsTables, TheFilterFindsAnyTextWithoutRegardToCaseAccentedLettersToo)
{
    const std::string text = "Ren\xC9" "e \x8Aimon, \x9Fves";
    for (const char* found : { "", "ren\xC9" "E", "\xE9" "e", "\x9Aimon", "\xFFVES", "N, \x9F" })
        EXPECT_TRUE(TextFilter(found).foundIn(text)) << found;
    for (const char* missing : { "renee", "Simon", "ves!", "\xD7" })
        EXPECT_FALSE(TextFilter(missing).foundIn(text)) << missing;
    EXPECT_FALSE(TextFilter("\xF7").foundIn("\xD7")) << "the division sign is no small multiplication sign";
    const std::string_view cells[] = { "Ravenpage", "Dana Whitlow" };
    EXPECT_TRUE(TextFilter("WHIT").foundInAny(2, [&](int i) { return cells[i]; }));
    EXPECT_FALSE(TextFilter("page Dana").foundInAny(2, [&](int i) { return cells[i]; })) << "one column at a time";
}

} // namespace
} // namespace tolvane::dispatch::test
