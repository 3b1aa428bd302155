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

class QuickPageTest : public ::testing::Test {
protected:
    QuickPageTest()
    {
        desk.loadUsers();
        desk.addUser(0);
    }

    void writeCanned(std::initializer_list<const char*> texts) const
    {
        std::ofstream out(data.folder().programPath("QUICK.DAT"), std::ios::binary | std::ios::trunc);
        for (const char* text : texts)
            out << QString::fromLatin1(text).leftJustified(80).toStdString();
    }
    std::string cannedFile() const
    {
        std::ifstream in(data.folder().programPath("QUICK.DAT"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    QPointer<ui::QuickPage> open()
    {
        auto* page = new ui::QuickPage(desk, data.folder(), dialogs);
        page->show();
        return page;
    }
    template <class T = QPushButton> static T* child(QWidget* page, const char* name)
    {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    static bool unloaded(const QPointer<ui::QuickPage>& page)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return page.isNull();
    }

    testkit::DataFolderFixture data;
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk { data.folder(), view, clock };
    platform::ScriptedDialogService dialogs;
};

TEST_F(QuickPageTest, InsertAndUsePutTheCannedTextIntoTheMessageAndUnloadTheWindow)
{
    writeCanned({ "Call the front desk", "Meeting moved to 3" });
    desk.setMessage("Urgent: ");
    auto page = open();
    EXPECT_TRUE(page->fileOpen());
    EXPECT_EQ(child<QListWidget>(page, "List1")->currentRow(), 0);
    EXPECT_TRUE(child(page, "Command1")->isEnabled());
    child(page, "Command1")->click();
    EXPECT_EQ(desk.message(), "Urgent: Call the front desk");
    EXPECT_TRUE(unloaded(page));

    page = open();
    auto* list = child<QListWidget>(page, "List1");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page));
    const QPoint second = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(desk.message(), "Meeting moved to 3");
    EXPECT_TRUE(unloaded(page));

    // With nobody chosen the message box is hidden and would drop the text: the window says so and stays.
    desk.clearRecipients();
    page = open();
    child(page, "Command2")->click();
    EXPECT_EQ(dialogs.messages(),
        QStringList { QStringLiteral(
            "Choose who to page first: the message box opens when the recipient list holds a name.") });
    EXPECT_FALSE(unloaded(page));
    child(page, "Command4")->click();
    EXPECT_TRUE(unloaded(page));
}

TEST_F(QuickPageTest, AddDeleteAndGetCurrentMessageRewriteTheListAndTheFile)
{
    writeCanned({});
    desk.setMessage("Fire drill at noon");
    auto page = open();
    EXPECT_EQ(child<QListWidget>(page, "List1")->count(), 0);
    for (const char* name : { "Command1", "Command2", "Command3", "Command5" })
        EXPECT_FALSE(child(page, name)->isEnabled()) << name;

    child(page, "Command6")->click();
    EXPECT_EQ(child<QLineEdit>(page, "Text1")->text(), QStringLiteral("Fire drill at noon"));
    ASSERT_TRUE(child(page, "Command5")->isEnabled());
    child(page, "Command5")->click();
    child<QLineEdit>(page, "Text1")->setText(QString(90, QLatin1Char('x')));
    child(page, "Command5")->click();
    EXPECT_EQ(cannedFile(), QStringLiteral("Fire drill at noon").leftJustified(80).toStdString() + std::string(80, 'x'));
    EXPECT_EQ(child<QListWidget>(page, "List1")->count(), 2);
    EXPECT_FALSE(child(page, "Command5")->isEnabled());

    child(page, "Command3")->click(); // the first is selected after every reload
    EXPECT_EQ(cannedFile(), std::string(80, 'x'));
    child(page, "Command3")->click();
    EXPECT_EQ(dialogs.messages(),
        QStringList { QStringLiteral(
            "You cannot delete the only message, You must add another message before deleting this one") });
    EXPECT_EQ(cannedFile(), std::string(80, 'x'));
    page->close();
    EXPECT_TRUE(unloaded(page));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
