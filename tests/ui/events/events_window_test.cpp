#include "ui/events/events_window.h"

#include "dispatch/paging_desk.h"
#include "engine/queue_entry.h"
#include "platform/dialog_service.h"
#include "store/page_log.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/recording_view.h"
#include "ui/events/log_tab.h"
#include "ui/search/search_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace tolvane;

namespace {

class EventsWindowTest : public ::testing::Test {
protected:
    EventsWindowTest()
    {
        data.users = { testkit::DataFolderFixture::user("Ann", "1001", "Ravenpage"),
            testkit::DataFolderFixture::user("Ben", "1002", "Ravenpage"),
            testkit::DataFolderFixture::user("Abe", "1003", "Ravenpage") };
        data.write();
        desk.loadUsers();
    }

    void queue(int userRow)
    {
        desk.addUser(userRow);
        desk.setMessage("Hello");
        desk.queueMessage();
        desk.clearRecipients();
    }

    template <class T = QWidget> T* child(const char* name) const
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* box) const { return child<QLineEdit>(box)->text(); }
    void click(const char* button) const { child<QPushButton>(button)->click(); }

    void writeLog(const std::string& bytes) const
    {
        std::ofstream(data.folder().programPath("LOG.DAT"), std::ios::binary) << bytes;
    }
    QListView* logList() const { return child<QListView>("LList1"); }
    void selectLogRow(int row) const { logList()->setCurrentIndex(logList()->model()->index(row, 0)); }

    testkit::DataFolderFixture data;
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk { data.folder(), view, clock };
    platform::ScriptedDialogService dialogs;
    ui::EventsWindow window { desk, data.folder(), dialogs };
};

TEST_F(EventsWindowTest, APageThatMayHaveBeenSentShowsSoAndIsSentAgainOnlyByTheOperator)
{
    queue(0);
    queue(1);
    desk.callQueue().pageLeaving(1); // its call ended without an answer
    desk.pageQueue().settleUnanswered();
    desk.refreshCounters(); // as the end of the run tells the windows
    auto* list1 = child<QListWidget>("List1");
    auto* again = child<QPushButton>("BSENDAGAIN");
    list1->setCurrentRow(0);
    EXPECT_FALSE(again->isEnabled());
    list1->setCurrentRow(1);
    EXPECT_TRUE(list1->item(1)->text().contains(QStringLiteral(" may have been sent ")));
    EXPECT_EQ(text("TSTATUS"), QStringLiteral("may have been sent  "));
    EXPECT_EQ(again->text(), QStringLiteral("Send A&gain"));
    click("BSENDAGAIN");
    EXPECT_EQ(engine::statusColumn(desk.pageQueue().entry(1)).substr(0, 13), "Ready to Send");
    window.showTab(ui::EventsWindow::Scheduled);
    EXPECT_EQ(again->text(), QStringLiteral("Send &Now"));
}

TEST_F(EventsWindowTest, ScheduleSelectedTellsWhatIsWrongAndThenMovesThePage)
{
    queue(1); // Ben
    queue(0); // Ann: sorted before Ben
    auto* list1 = child<QListWidget>("List1");
    ASSERT_EQ(list1->count(), 2);
    EXPECT_FALSE(child<QPushButton>("Command1")->isEnabled());
    list1->setCurrentRow(1);
    EXPECT_EQ(text("TUSER").trimmed(), QStringLiteral("Ben"));
    EXPECT_EQ(text("TTIME"), QString::fromStdString(desk.timeCaption()).leftJustified(10));
    EXPECT_EQ(text("TDATE"), QString::fromStdString(desk.dateCaption()));
    EXPECT_EQ(text("TSTATUS"), QStringLiteral("Ready to Send"));
    EXPECT_EQ(text("TMESSAGE").trimmed(), QStringLiteral("Hello"));

    // The desk's checks decide; the window shows their box and schedules what passes them.
    child<QLineEdit>("TTIME")->setText(QStringLiteral("9:30"));
    click("Command1");
    EXPECT_EQ(dialogs.messages(), QStringList { QStringLiteral("You Need to add a PM or AM to the Time first.") });
    EXPECT_EQ(list1->count(), 2);
    child<QLineEdit>("TTIME")->setText(QStringLiteral("9:30 pm"));
    child<QLineEdit>("TDATE")->setText(QStringLiteral("12/06/2026"));
    click("Command1");
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(list1->count(), 1);
    EXPECT_TRUE(desk.scheduleTimerEnabled());
    EXPECT_TRUE(text("TUSER").isEmpty()) << "the scheduled page left the queue and the boxes";

    window.showTab(ui::EventsWindow::Scheduled);
    auto* list2 = child<QListWidget>("List2");
    EXPECT_TRUE(list2->isVisibleTo(&window));
    EXPECT_FALSE(list1->isVisibleTo(&window));
    list2->setCurrentRow(0);
    EXPECT_EQ(text("TSTATUS"), QStringLiteral("Page is Scheduled   "));
    EXPECT_EQ(text("TTIME"), QStringLiteral("9:30 pm   "));
    EXPECT_FALSE(child<QPushButton>("Command1")->isEnabled()) << "only a queued page can be scheduled";

    // Delete One and Delete All work on the tab shown; the last scheduled page going stops the timer.
    click("BDELONE");
    EXPECT_EQ(desk.scheduledList().count(), 0);
    EXPECT_FALSE(desk.scheduleTimerEnabled());
    window.showTab(ui::EventsWindow::Current);
    click("BDELALL");
    EXPECT_EQ(desk.pageQueue().count(), 0);
}

TEST_F(EventsWindowTest, ListsFollowTheDeskAndKeepTheSelectedPageAndTypedTime)
{
    queue(1); // Ben
    auto* list1 = child<QListWidget>("List1");
    list1->setCurrentRow(0);
    child<QLineEdit>("TTIME")->setText(QStringLiteral("11:00 AM"));
    queue(2); // Abe sorts before Ben
    ASSERT_EQ(list1->count(), 2);
    EXPECT_EQ(list1->currentRow(), 1);
    EXPECT_EQ(text("TTIME"), QStringLiteral("11:00 AM"));

    desk.clearQueue();
    EXPECT_EQ(list1->count(), 0);
    EXPECT_TRUE(text("TTIME").isEmpty());
    EXPECT_FALSE(child<QPushButton>("BDELONE")->isEnabled());
}

TEST_F(EventsWindowTest, LogTabShowsRecordsWithQuotesAndLineBreaksInFileOrderAndClearsTheFile)
{
    const std::string ann = "PAGE SENT: Ann                      09:05 AM     12/06/202";
    const std::string ben = "ERROR FOR: Ben                      10:15 PM     12/07/202";
    writeLog("\"" + ann + "Say \"hi\" to all\"\r\n\"" + ben + "line one\r\nline two\"\r\n");
    window.showTab(ui::EventsWindow::Logged);
    ASSERT_EQ(logList()->model()->rowCount(), 2);
    EXPECT_TRUE(text("LTUSER").isEmpty()) << "nothing selected, nothing shown";
    selectLogRow(1);
    EXPECT_EQ(text("LTSTATUS"), QStringLiteral("ERROR FOR: "));
    EXPECT_EQ(text("LTUSER").trimmed(), QStringLiteral("Ben"));
    EXPECT_EQ(text("LTTIME"), QStringLiteral("10:15 PM"));
    EXPECT_EQ(text("LTDATE"), QStringLiteral("12/07/20"));
    EXPECT_EQ(text("LTMESSAGE"), QStringLiteral("line one  line two"));
    selectLogRow(0);
    EXPECT_EQ(text("LTMESSAGE"), QStringLiteral("Say \"hi\" to all"));

    // A log that is gone already leaves the list as it is.
    std::filesystem::remove(data.folder().programPath("LOG.DAT"));
    click("LBCLEAR");
    EXPECT_EQ(logList()->model()->rowCount(), 2);

    writeLog("\"" + ann + "old\"\r\n");
    click("LBCLEAR");
    EXPECT_EQ(logList()->model()->rowCount(), 0);
    store::appendLogLine(data.folder(), ben + "new");
    window.showTab(ui::EventsWindow::Current);
    window.showTab(ui::EventsWindow::Logged);
    ASSERT_EQ(logList()->model()->rowCount(), 1);
    EXPECT_EQ(logList()->model()->index(0, 0).data().toString(), QString::fromStdString(ben + "new"));
}

TEST_F(EventsWindowTest, LogSearchLooksInTheNameColumn)
{
    writeLog(
        "\"PAGE SENT: Bob Ames                 09:05 AM\"\r\n\"PAGE SENT: Carol                    09:05 AM\"\r\n");
    window.showTab(ui::EventsWindow::Logged);
    click("LBSEARCH");
    ui::SearchDialog* search = window.logTab()->searchDialog();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->objectName(), QStringLiteral("TSearch4"));
    QTest::keyClicks(search->searchBox(), QStringLiteral("car"));
    EXPECT_EQ(logList()->currentIndex().row(), 1);
    EXPECT_EQ(text("LTUSER").trimmed(), QStringLiteral("Carol")) << "the found page's boxes are shown";
}

} // namespace
