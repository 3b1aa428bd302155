#include "ui/quickpage/quick_page.h"

#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/recording_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <fstream>

using namespace tolvane;

namespace {

std::string pad(const char* text)
{
    return QString::fromLatin1(text).leftJustified(80).toStdString();
}

// Dana Whitlow is chosen, so the main message box is open.
class QuickPageTest : public ::testing::Test {
protected:
    QuickPageTest()
    {
        desk.loadUsers();
        desk.addUser(0);
    }

    QPointer<ui::QuickPage> open()
    {
        page = new ui::QuickPage(desk, data.folder(), dialogs);
        page->show();
        return page;
    }
    template <class T = QPushButton> T* child(const char* name) const
    {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    bool unloaded() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return page.isNull();
    }
    std::string cannedFile() const { return testkit::readFile(data.folder().programPath("QUICK.DAT")); }

    testkit::DataFolderFixture data;
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk { data.folder(), view, clock };
    platform::ScriptedDialogService dialogs;
    QPointer<ui::QuickPage> page;
};

TEST_F(QuickPageTest, InsertAndUsePutTheCannedTextIntoTheMessageAndUnloadTheWindow)
{
    std::ofstream(data.folder().programPath("QUICK.DAT"), std::ios::binary)
        << pad("Call the front desk") + pad("Meeting moved to 3");
    desk.setMessage("Urgent: ");
    open();
    EXPECT_TRUE(page->fileOpen());
    EXPECT_EQ(child<QListWidget>("List1")->currentRow(), 0);
    child("Command1")->click();
    EXPECT_EQ(desk.message(), "Urgent: Call the front desk");
    EXPECT_TRUE(unloaded());

    open();
    auto* list = child<QListWidget>("List1");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page));
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(desk.message(), "Meeting moved to 3");
    EXPECT_TRUE(unloaded());

    // With nobody chosen the message box is hidden and would drop the text: the window says so and stays.
    desk.clearRecipients();
    open();
    child("Command2")->click();
    EXPECT_EQ(dialogs.messages(),
        QStringList {
            QStringLiteral("Choose who to page first: the message box opens when the recipient list holds a name.") });
    EXPECT_FALSE(unloaded());
    child("Command4")->click();
    EXPECT_TRUE(unloaded());
}

TEST_F(QuickPageTest, AddCutsToEightyAndDeleteAndGetCurrentMessageRewriteTheFile)
{
    desk.setMessage("Fire drill at noon");
    open();
    EXPECT_EQ(child<QListWidget>("List1")->count(), 0);
    for (const char* name : { "Command1", "Command2", "Command3", "Command5" })
        EXPECT_FALSE(child(name)->isEnabled()) << name;

    child("Command6")->click();
    ASSERT_TRUE(child("Command5")->isEnabled());
    child("Command5")->click();
    child<QLineEdit>("Text1")->setText(QString(90, QLatin1Char('x')));
    child("Command5")->click();
    EXPECT_EQ(cannedFile(), pad("Fire drill at noon") + std::string(80, 'x'));
    EXPECT_EQ(child<QListWidget>("List1")->count(), 2);
    EXPECT_FALSE(child("Command5")->isEnabled());

    // The first is selected after every reload; it goes only on a Yes.
    child("Command3")->click();
    EXPECT_EQ(dialogs.questions(), QStringList { QStringLiteral("Delete the canned message \"Fire drill at noon\"?") });
    EXPECT_EQ(child<QListWidget>("List1")->count(), 2);
    dialogs.queueAnswer(true);
    child("Command3")->click();
    EXPECT_EQ(cannedFile(), std::string(80, 'x'));
    QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_A);
    QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_Backspace);
    child("Command5")->click();
    EXPECT_EQ(cannedFile(), std::string(80, 'x') + std::string(80, ' ')) << "an emptied box adds a blank message";
    page->close();
    EXPECT_TRUE(unloaded());
}

} // namespace
