#include "ui/events/events_window.h"

#include "dispatch/paging_desk.h"
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

#include <cstring>
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
        desk.QueMessage();
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

    const struct {
        const char* time;
        const char* date;
        const char* box;
    } attempts[] = {
        { "9:30", "12/06/2026", "You Need to add a PM or AM to the Time first." },
        { "9:30 pm", "31/31/2026", "Date can not be converted try retyping it" },
        { "9:30 pm", "12/06/2026", "" },
    };
    for (const auto& a : attempts) {
        dialogs.clear();
        child<QLineEdit>("TTIME")->setText(QString::fromLatin1(a.time));
        child<QLineEdit>("TDATE")->setText(QString::fromLatin1(a.date));
        click("Command1");
        EXPECT_EQ(dialogs.messages().join(QString()), QString::fromLatin1(a.box)) << a.time;
    }
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

TEST_F(EventsWindowTest, LogSearchFindsAUserByTheBeginningOfTheNameColumn)
{
    std::string log;
    for (const char* name : { "Bob Ames", "bobby", "Bo Lin", "Carol" })
        log += "\"PAGE SENT: " + std::string(name) + std::string(25 - std::strlen(name), ' ') + "09:05 AM\"\r\n";
    writeLog(log);
    window.showTab(ui::EventsWindow::Logged);
    click("LBSEARCH");
    ui::SearchDialog* search = window.logTab()->searchDialog();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->objectName(), QStringLiteral("TSearch4"));

    QTest::keyClicks(search->searchBox(), QStringLiteral("BO "));
    EXPECT_EQ(logList()->currentIndex().row(), 2) << "the trailing blank is part of the name";
    EXPECT_EQ(text("LTUSER").trimmed(), QStringLiteral("Bo Lin"));
    search->searchBox()->setText(QStringLiteral("PAGE"));
    EXPECT_EQ(logList()->currentIndex().row(), 2) << "the status column is not searched";
    search->searchBox()->setText(QStringLiteral("bobb"));
    EXPECT_EQ(logList()->currentIndex().row(), 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
