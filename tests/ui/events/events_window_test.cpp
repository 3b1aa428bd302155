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
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
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
    // A table as the operator sees it: its rows in the order shown.
    int rows(const char* table) const { return child<QTableView>(table)->model()->rowCount(); }
    QString cell(const char* table, int row, int column) const
    {
        return child<QTableView>(table)->model()->index(row, column).data().toString();
    }
    void select(const char* table, int row) const
    {
        QTableView* shown = child<QTableView>(table);
        shown->setCurrentIndex(shown->model()->index(row, 0));
    }
    int currentRow(const char* table) const { return child<QTableView>(table)->currentIndex().row(); }
    void filter(const char* box, const QString& text) const
    {
        child<QLineEdit>(box)->clear();
        QTest::keyClicks(child<QLineEdit>(box), text);
    }

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
    auto* again = child<QPushButton>("BSENDAGAIN");
    select("List1", 0);
    EXPECT_FALSE(again->isEnabled());
    // A page refused waits for the operator, its status in words the entry has no room for.
    desk.callQueue().pageAnswered(0, { engine::OutcomeClass::RefusedForGood, "511", "No subscriber" });
    desk.refreshCounters();
    EXPECT_EQ(cell("List1", 0, 5), QStringLiteral("Refused for good: 511 No subscriber"));
    select("List1", 1);
    select("List1", 0);
    EXPECT_EQ(text("TSTATUS"), QStringLiteral("Refused for good: 511 No subscriber"));
    EXPECT_TRUE(again->isEnabled());
    select("List1", 1);
    EXPECT_EQ(cell("List1", 1, 5), QStringLiteral("may have been sent"));
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
    ASSERT_EQ(rows("List1"), 2);
    EXPECT_FALSE(child<QPushButton>("Command1")->isEnabled());
    select("List1", 1);
    EXPECT_EQ(text("TUSER").trimmed(), QStringLiteral("Ben"));
    EXPECT_EQ(text("TTIME"), QString::fromStdString(desk.timeCaption()).leftJustified(10));
    EXPECT_EQ(text("TDATE"), QString::fromStdString(desk.dateCaption()));
    EXPECT_EQ(text("TSTATUS"), QStringLiteral("Ready to Send"));
    EXPECT_EQ(text("TMESSAGE").trimmed(), QStringLiteral("Hello"));

    // The desk's checks decide; the window shows their box and schedules what passes them.
    child<QLineEdit>("TTIME")->setText(QStringLiteral("9:30"));
    click("Command1");
    EXPECT_EQ(dialogs.messages(),
        QStringList {
            QStringLiteral("You Need to add a PM or AM to the Time first.\nType the time as 11:08 PM or as 23:08.") });
    EXPECT_EQ(rows("List1"), 2);
    child<QLineEdit>("TTIME")->setText(QStringLiteral("9:30 pm"));
    child<QLineEdit>("TDATE")->setText(QStringLiteral("12/06/2026"));
    click("Command1");
    EXPECT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(rows("List1"), 1);
    EXPECT_TRUE(desk.scheduleTimerEnabled());
    EXPECT_TRUE(text("TUSER").isEmpty()) << "the scheduled page left the queue and the boxes";

    window.showTab(ui::EventsWindow::Scheduled);
    EXPECT_TRUE(child("List2")->isVisibleTo(&window));
    EXPECT_FALSE(child("List1")->isVisibleTo(&window));
    select("List2", 0);
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
    select("List1", 0);
    child<QLineEdit>("TTIME")->setText(QStringLiteral("11:00 AM"));
    queue(2); // Abe sorts before Ben
    ASSERT_EQ(rows("List1"), 2);
    EXPECT_EQ(currentRow("List1"), 1);
    EXPECT_EQ(text("TTIME"), QStringLiteral("11:00 AM"));

    desk.clearQueue();
    EXPECT_EQ(rows("List1"), 0);
    EXPECT_TRUE(text("TTIME").isEmpty());
    EXPECT_FALSE(child<QPushButton>("BDELONE")->isEnabled());
}

TEST_F(EventsWindowTest, TablesSortByAHeaderClickWhileTheQueueKeepsItsOrderAndTheFilterNeverLeavesAHiddenPage)
{
    queue(1); // Ben
    queue(0); // Ann
    queue(2); // Abe: the queue's own order is Abe, Ann, Ben
    auto* list1 = child<QTableView>("List1");
    QStringList headers;
    for (int column = 0; column < list1->model()->columnCount(); ++column)
        headers << list1->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join(QLatin1Char('|')), QStringLiteral("Company|Name|Pager ID|Time|Date|Status|Message"));
    EXPECT_EQ(cell("List1", 0, 1) + cell("List1", 0, 2) + cell("List1", 0, 5), QStringLiteral("Abe1003Ready to Send"));

    // Two clicks on "Name" sort it downwards; what the operator picks there is what the commands act on.
    const auto clickHeader = [&](int column) {
        QHeaderView* header = list1->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 4, 4));
    };
    clickHeader(1);
    clickHeader(1);
    EXPECT_EQ(cell("List1", 0, 1) + cell("List1", 2, 1), QStringLiteral("BenAbe"));
    EXPECT_EQ(engine::nameColumn(desk.pageQueue().entry(0)).substr(0, 3), "Abe");
    select("List1", 0);
    EXPECT_EQ(text("TUSER").trimmed(), QStringLiteral("Ben"));
    click("BDELONE");
    ASSERT_EQ(desk.pageQueue().count(), 2);
    EXPECT_EQ(engine::nameColumn(desk.pageQueue().entry(1)).substr(0, 3), "Ann");
    clickHeader(1); // a third click gives back the queue's order
    EXPECT_EQ(cell("List1", 0, 1), QStringLiteral("Abe"));

    // The filter finds any column as it is typed; the selected page it hides is no longer selected.
    select("List1", 1);
    filter("queueFilter", QStringLiteral("aBE"));
    ASSERT_EQ(rows("List1"), 1);
    EXPECT_EQ(cell("List1", 0, 1), QStringLiteral("Abe"));
    EXPECT_EQ(currentRow("List1"), -1);
    EXPECT_TRUE(text("TUSER").isEmpty());
    EXPECT_FALSE(child<QPushButton>("BDELONE")->isEnabled());
    EXPECT_FALSE(child("queueNoMatch")->isVisibleTo(&window));
    click("BDELALL"); // the question is answered No
    EXPECT_EQ(
        dialogs.questions(), QStringList { QStringLiteral("The filter shows 1 of the 2 pages. Delete all 2 pages?") });
    EXPECT_EQ(desk.pageQueue().count(), 2);
    filter("queueFilter", QStringLiteral("hello zzz"));
    EXPECT_EQ(rows("List1"), 0);
    EXPECT_TRUE(child("queueNoMatch")->isVisibleTo(&window));
    EXPECT_EQ(child<QLabel>("queueNoMatch")->text(), QStringLiteral("No match"));
    filter("queueFilter", QStringLiteral("ravenPAGE"));
    EXPECT_EQ(rows("List1"), 2);
    EXPECT_FALSE(child("queueNoMatch")->isVisibleTo(&window));

    writeLog("\"PAGE SENT: Ann" + std::string(22, ' ') + "09:05 AM     12/06/202Hi\"\r\n\"ERROR FOR: Ben"
        + std::string(22, ' ') + "09:06 AM     12/06/202Hi\"\r\n");
    window.showTab(ui::EventsWindow::Logged);
    filter("logFilter", QStringLiteral("error"));
    ASSERT_EQ(rows("LList1"), 1);
    EXPECT_EQ(cell("LList1", 0, 1), QStringLiteral("Ben"));
}

TEST_F(EventsWindowTest, LogTabShowsRecordsWithQuotesAndLineBreaksInFileOrderAndClearsTheFile)
{
    const std::string ann = "PAGE SENT: Ann                      09:05 AM     12/06/202";
    const std::string ben = "ERROR FOR: Ben                      10:15 PM     12/07/202";
    writeLog("\"" + ann + "Say \"hi\" to all\"\r\n\"" + ben + "line one\r\nline two\"\r\n");
    window.showTab(ui::EventsWindow::Logged);
    ASSERT_EQ(rows("LList1"), 2);
    EXPECT_TRUE(text("LTUSER").isEmpty()) << "nothing selected, nothing shown";
    select("LList1", 1);
    EXPECT_EQ(text("LTSTATUS"), QStringLiteral("ERROR FOR: "));
    EXPECT_EQ(text("LTUSER").trimmed(), QStringLiteral("Ben"));
    EXPECT_EQ(text("LTTIME"), QStringLiteral("10:15 PM"));
    EXPECT_EQ(text("LTDATE"), QStringLiteral("12/07"));
    EXPECT_EQ(text("LTMESSAGE"), QStringLiteral("line one  line two"));
    select("LList1", 0);
    EXPECT_EQ(text("LTMESSAGE"), QStringLiteral("Say \"hi\" to all"));

    // The only record of what was sent goes only on a Yes; a log that is gone already leaves the list as it is.
    click("LBCLEAR");
    EXPECT_EQ(dialogs.questions(), QStringList { QStringLiteral("Erase the page log? It holds 2 lines.") });
    EXPECT_EQ(rows("LList1"), 2);
    EXPECT_EQ(store::readLog(data.folder()).size(), 2u);
    std::filesystem::remove(data.folder().programPath("LOG.DAT"));
    click("LBCLEAR");
    EXPECT_EQ(rows("LList1"), 2);
    EXPECT_EQ(dialogs.questions().size(), 1) << "nothing to lose, nothing asked";

    std::string lines;
    for (int i = 0; i < 1204; ++i)
        lines += "\"" + ann + "old\"\r\n";
    writeLog(lines);
    dialogs.queueAnswer(true);
    click("LBCLEAR");
    EXPECT_EQ(dialogs.questions().back(), QStringLiteral("Erase the page log? It holds 1,204 lines."));
    EXPECT_EQ(rows("LList1"), 0);
    store::appendLogLine(data.folder(), ben + "new");
    window.showTab(ui::EventsWindow::Current);
    window.showTab(ui::EventsWindow::Logged);
    ASSERT_EQ(rows("LList1"), 1);
    const QStringList columns { cell("LList1", 0, 0), cell("LList1", 0, 1), cell("LList1", 0, 2), cell("LList1", 0, 3),
        cell("LList1", 0, 4) };
    EXPECT_EQ(columns.join(QLatin1Char('|')), QStringLiteral("Error|Ben|10:15 PM|12/07|new"));
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
    EXPECT_EQ(currentRow("LList1"), 1);
    EXPECT_EQ(text("LTUSER").trimmed(), QStringLiteral("Carol")) << "the found page's boxes are shown";
}

} // namespace
