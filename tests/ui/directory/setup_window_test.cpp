#include "ui/directory/setup_window.h"

#include "platform/dialog_service.h"
#include "process_runner.h"
#include "store/compaction.h"
#include "store/record_file.h"
#include "store/sort_users.h"
#include "testkit/data_folder_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

using namespace tolvane;
using tolvane::testkit::TempFolder;

namespace {

// Three users of two companies (one numeric) and three groups; the editor open on its first tab.
class SetupWindowTest : public ::testing::Test {
protected:
    SetupWindowTest()
    {
        data.terminals = { testkit::DataFolderFixture::alphaCompany("Ravenpage"),
            testkit::DataFolderFixture::numericCompany("Beeps") };
        data.users = { testkit::DataFolderFixture::user("Dana Whitlow", "5550100", "Ravenpage", "0110000000"),
            testkit::DataFolderFixture::user("Ann", "5550100", "Ravenpage", "0010000000"),
            testkit::DataFolderFixture::user("DIG-Bo", "5550100", "DIG-Beeps") };
        data.write();
        writeGroups(3);
        window.show();
    }

    void writeGroups(int count)
    {
        std::vector<std::string> names;
        for (int i = 1; i <= count; ++i)
            names.push_back("Group " + std::to_string(i));
        data.writeGroups(names);
    }

    template <class Widget = QWidget> Widget* get(const char* name)
    {
        auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name) { get<QPushButton>(name)->click(); }
    void type(const char* name, const QString& text)
    {
        get<QLineEdit>(name)->clear();
        QTest::keyClicks(get<QLineEdit>(name), text);
    }
    // The tab's enabled command buttons, in a fixed order.
    QString enabled(const char* digit)
    {
        QStringList on;
        for (const char* button : { "BADD", "BSAVE", "BUPDATE", "BCANCEL", "BDELETE" }) {
            const auto* widget = window.findChild<QPushButton*>(QString::fromLatin1(button) + QLatin1String(digit));
            if (widget && widget->isEnabled())
                on << QString::fromLatin1(button);
        }
        return on.join(QLatin1Char(' '));
    }
    QString lastMessage() const { return dialogs.messages().isEmpty() ? QString() : dialogs.messages().last(); }
    static QString items(const QListWidget* list)
    {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text().trimmed();
        return texts.join(QLatin1Char('|'));
    }
    std::vector<store::UserRecord> users() { return store::readAllRecords<store::UserRecord>(data.folder()); }
    // A click, or the press, release, double click and release of a double click, as the window system sends them.
    void clickEntry(QListWidget* list, int row, bool twice = false)
    {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        const QPoint global = list->viewport()->mapToGlobal(at);
        std::vector<QEvent::Type> events { QEvent::MouseButtonPress, QEvent::MouseButtonRelease };
        if (twice)
            events.insert(events.end(), { QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease });
        for (const QEvent::Type type : events) {
            const bool down = type != QEvent::MouseButtonRelease;
            QMouseEvent event(type, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, {});
            QApplication::sendEvent(list->viewport(), &event);
        }
    }

    testkit::DataFolderFixture data;
    platform::ScriptedDialogService dialogs;
    ui::SetupWindow window { data.folder(), dialogs };
    QSignalSpy changes { &window, &ui::SetupWindow::directoryChanged };
};

TEST_F(SetupWindowTest, UsersTabAddsEditsAndCancelsThroughItsThreeStates)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Setup"));
    EXPECT_EQ(get<QLabel>("nLabel")->text(), QStringLiteral("3"));
    EXPECT_EQ(get<QLineEdit>("uNAME")->text(), QStringLiteral("Dana Whitlow"));
    EXPECT_EQ(enabled(""), QStringLiteral("BADD BDELETE"));
    QTest::keyClicks(get<QLineEdit>("uId"), QStringLiteral("9"));
    EXPECT_EQ(enabled(""), QStringLiteral("BUPDATE BCANCEL"));
    // Closing (Escape, the close box) with a record half typed asks first; No keeps the window and the typing.
    EXPECT_FALSE(window.close());
    EXPECT_EQ(dialogs.questions().last(), QStringLiteral("Close Setup? What you typed on the Users tab is not saved."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(get<QLineEdit>("uId")->text(), QStringLiteral("55501009"));
    click("BCANCEL");
    EXPECT_EQ(enabled(""), QStringLiteral("BADD BDELETE"));
    EXPECT_EQ(get<QLineEdit>("uId")->text(), QStringLiteral("5550100"));
    QTest::keyClicks(get<QLineEdit>("uNAME"), QStringLiteral("z"));
    clickEntry(get<QListWidget>("UList1"), 0);
    EXPECT_EQ(get<QLineEdit>("uNAME")->text(), QStringLiteral("Dana Whitlow"))
        << "a click on the shown user ends the edit";

    // The company box takes only a choice from its list.
    QTest::keyClicks(get<QComboBox>("PageCoCombo")->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(lastMessage(), QStringLiteral("You must select a present Pager Company in this field"));
    EXPECT_EQ(get<QComboBox>("PageCoCombo")->currentText(), QStringLiteral("Ravenpage"));

    // Update Ann: the pager ID as typed, without its dash, the memberships kept.
    get<QListWidget>("UList1")->setCurrentRow(1);
    type("uId", QStringLiteral("00-123"));
    click("BUPDATE");
    EXPECT_EQ(users()[1].PagerId.substr(0, 6), "00123 ");
    EXPECT_EQ(users()[1].GroupFlags, "0010000000");
    EXPECT_EQ(get<QListWidget>("UList1")->currentRow(), 0) << "the first user is shown again";

    // A new user of the numeric company: the name gets its prefix, the pager ID "0", no group.
    click("BADD");
    EXPECT_EQ(enabled(""), QStringLiteral("BSAVE BCANCEL"));
    type("uNAME", QStringLiteral("Cy"));
    type("uId", QStringLiteral("12-3"));
    EXPECT_EQ(enabled(""), QStringLiteral("BSAVE BCANCEL")) << "typing while adding stays adding";
    auto* companies = get<QComboBox>("PageCoCombo");
    ASSERT_EQ(companies->count(), 2);
    companies->setCurrentIndex(1);
    click("BSAVE");
    ASSERT_EQ(users().size(), 4u);
    EXPECT_EQ(users()[3].encode(), (store::UserRecord { "DIG-Cy", "0", "DIG-Beeps", "0000000000" }.encode()));
    EXPECT_EQ(changes.count(), 2);

    // The search selects through the list's own handling.
    click("search");
    auto* search = window.findChild<QDialog*>(QStringLiteral("TSearch2"));
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->windowTitle(), QStringLiteral("Search User"));
    QTest::keyClicks(search->findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("an"));
    EXPECT_EQ(get<QLineEdit>("uNAME")->text(), QStringLiteral("Ann"));

    click("BDELETE");
    EXPECT_EQ(dialogs.questions().last(), QStringLiteral("Delete the user Ann?"));
    EXPECT_EQ(users().size(), 4u) << "No deletes nothing";
    dialogs.queueAnswer(true);
    click("BDELETE");
    EXPECT_EQ(users().size(), 3u);
    EXPECT_EQ(users()[1].UserName.substr(0, 6), "DIG-Bo") << "Ann, the selected user, is gone";
}

TEST_F(SetupWindowTest, PagingCompaniesTabCorrectsRefusesAndSavesANumericCompany)
{
    get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    EXPECT_EQ(get<QLineEdit>("PageComp")->text(), QStringLiteral("Ravenpage"));
    EXPECT_EQ(enabled("2"), QStringLiteral("BADD BDELETE"));
    get<QComboBox>("PARITY")->showPopup();
    get<QComboBox>("PARITY")->hidePopup();
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("Warning... 99% of paging companies use the settings")));
    EXPECT_EQ(enabled("2"), QStringLiteral("BUPDATE BCANCEL"));
    click("BCANCEL2");
    EXPECT_EQ(enabled("2"), QStringLiteral("BADD BDELETE"));

    click("BADD2");
    EXPECT_EQ(enabled("2"), QStringLiteral("BSAVE BCANCEL"));
    QStringList shown;
    for (const char* box : { "MAXCHAR", "PAGEPHONE", "Passwd" })
        shown << get<QLineEdit>(box)->text();
    for (const char* box : { "ALPHA", "Baud", "PARITY", "DATA", "DSTOP" })
        shown << get<QComboBox>(box)->currentText();
    EXPECT_EQ(shown.join(QLatin1Char('|')), QStringLiteral("80|||Alphanumeric|19200|EVEN|7|1"));
    type("MAXCHAR", QStringLiteral("800"));
    EXPECT_EQ(get<QLineEdit>("MAXCHAR")->text(), QStringLiteral("750"));
    EXPECT_EQ(lastMessage(), QStringLiteral("750 Charactor Max"));
    type("PAGEPHONE", QStringLiteral("1-800-555-0142"));
    EXPECT_EQ(get<QLineEdit>("PAGEPHONE")->text(), QStringLiteral("1-800-555-01"));
    click("BSAVE2");
    EXPECT_EQ(lastMessage(), QStringLiteral("Paging company field is empty"));
    EXPECT_EQ(enabled("2"), QStringLiteral("BSAVE BCANCEL")) << "nothing saved, still adding";

    type("PageComp", QStringLiteral("Acme"));
    get<QComboBox>("ALPHA")->setCurrentIndex(1);
    get<QComboBox>("Baud")->setEditText(QStringLiteral("2400"));
    click("BSAVE2");
    const auto companies = store::readAllRecords<store::TerminalRecord>(data.folder());
    ASSERT_EQ(companies.size(), 3u);
    EXPECT_EQ(
        companies[2].encode(), (store::TerminalRecord { "DIG-Acme", "180055501", 14, 2, 2400, 2, 1, 1, "" }.encode()));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(SetupWindowTest, DeletingACompanyAsksOncePerUserAndNoChangesNothing)
{
    get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    const std::string before = store::RecordFile(data.folder().pathOf<store::TerminalRecord>(), 64).readAllRaw();
    dialogs.queueAnswer(true);
    dialogs.queueAnswer(false);
    click("BDELETE2");
    EXPECT_EQ(dialogs.questions().size(), 2) << "Dana yes, Ann no";
    EXPECT_EQ(store::RecordFile(data.folder().pathOf<store::TerminalRecord>(), 64).readAllRaw(), before);

    dialogs.queueAnswer(true);
    dialogs.queueAnswer(true);
    click("BDELETE2");
    EXPECT_EQ(dialogs.questions().size(), 4);
    EXPECT_EQ(get<QListWidget>("pList")->count(), 1);
    EXPECT_EQ(get<QLineEdit>("PageComp")->text(), QStringLiteral("DIG-Beeps"));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(SetupWindowTest, GroupsTabSetsMembersAddsAndDeletesGroups)
{
    get<QTabWidget>("TabStrip1")->setCurrentIndex(2);
    EXPECT_EQ(enabled("3"), QStringLiteral("BADD")) << "no group chosen yet";
    get<QListWidget>("gList1")->setCurrentRow(1);
    EXPECT_EQ(enabled("3"), QStringLiteral("BADD BDELETE"));
    auto* members = get<QListWidget>("gList2");
    auto* others = get<QListWidget>("gList3");
    ASSERT_EQ(others->count(), 2);
    // A double click on Ann must not also take DIG-Bo, who moves up under the pointer.
    clickEntry(others, 0, true);
    EXPECT_EQ(users()[1].GroupFlags, "0110000000");
    EXPECT_EQ(users()[2].GroupFlags, "0000000000");
    EXPECT_EQ(members->count(), 2);
    clickEntry(members, 0);
    EXPECT_EQ(users()[0].GroupFlags, "0010000000") << "Dana leaves group 2";
    clickEntry(others, 1);
    EXPECT_EQ(users()[0].GroupFlags, "0110000000") << "and joins again";

    click("BADD3");
    EXPECT_EQ(enabled("3"), QStringLiteral("BSAVE BCANCEL"));
    click("BSAVE3");
    EXPECT_EQ(lastMessage(), QStringLiteral("Group name field is empty"));
    EXPECT_EQ(enabled("3"), QStringLiteral("BSAVE BCANCEL")) << "an empty name saves nothing";
    type("gText", QStringLiteral("Night Shift"));
    click("BSAVE3");
    EXPECT_EQ(get<QListWidget>("gList1")->count(), 4);

    // Deleting group 2 of 4: group 3 becomes 2, every third flag becomes the second.
    get<QListWidget>("gList1")->setCurrentRow(1);
    click("BDELETE3");
    EXPECT_EQ(
        dialogs.questions().last(), QStringLiteral("Delete the group Group 2? Its members stay in the directory."));
    EXPECT_EQ(store::readAllRecords<store::GroupRecord>(data.folder()).size(), 4u) << "No deletes nothing";
    dialogs.queueAnswer(true);
    click("BDELETE3");
    const auto groups = store::readAllRecords<store::GroupRecord>(data.folder());
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[1].GroupName.substr(0, 7), "Group 3");
    EXPECT_EQ(users()[0].GroupFlags, "0100000000"); // how every flag shifts is the store's test
    EXPECT_EQ(changes.count(), 5);
}

TEST_F(SetupWindowTest, AtMostTenGroups)
{
    get<QTabWidget>("TabStrip1")->setCurrentIndex(2);
    for (const int count : { 9, 10 }) {
        writeGroups(count);
        dialogs.clear();
        click("BADD3");
        const bool full = count == 10;
        EXPECT_EQ(lastMessage(),
            full ? QStringLiteral("This version only supports 10 groups.. Look for this to change in future versions")
                 : QString());
        EXPECT_EQ(enabled("3"), full ? QStringLiteral("BADD") : QStringLiteral("BSAVE BCANCEL")) << count;
        click("BCANCEL3");
    }
}

// Another workstation, as a separate program: deletes company 1 and says what happened.
int deleteFirstCompany(const char* folder)
{
    const store::DeleteResult result = store::deleteTerminal(store::DataFolder(folder), 1);
    std::fputs(result.deleted() ? "deleted" : result.message.c_str(), stdout);
    return 0;
}

QString other(const char* command, const std::filesystem::path& folder)
{
    return QString::fromStdString(runProcess("/proc/self/exe", { command, folder.string() }).out);
}

TEST_F(SetupWindowTest, TheUsersTabFollowsChangesElsewhereAndNeverWritesOverTheWrongUser)
{
    auto* list = get<QListWidget>("UList1");
    list->setCurrentRow(1);
    type("uId", QStringLiteral("00777"));
    // Another workstation sorts: Ann is now first. A refresh keeps her, and the typing, on show.
    other("--sort-users", data.path());
    window.refresh();
    EXPECT_EQ(items(list), QStringLiteral("Ann|DIG-Bo|Dana Whitlow"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(get<QLineEdit>("uId")->text(), QStringLiteral("00777"));
    EXPECT_EQ(enabled(""), QStringLiteral("BUPDATE BCANCEL"));
    click("BUPDATE");
    EXPECT_EQ(users()[0].PagerId.substr(0, 6), "00777 ");

    // Dana shown, then the file turned round elsewhere, unseen here: Update and Delete refuse to touch Ann.
    list->setCurrentRow(2);
    type("uNAME", QStringLiteral("Dana Whit"));
    data.users = { users()[2], users()[1], users()[0] };
    data.write();
    click("BUPDATE");
    const QString changed = QStringLiteral("The directory changed while this was shown (a sort, or a change at another "
                                           "workstation). Nothing was written; the list now shows the directory as it "
                                           "stands.");
    EXPECT_EQ(lastMessage(), changed);
    EXPECT_EQ(items(list), QStringLiteral("Dana Whitlow|DIG-Bo|Ann")) << "the tab reloaded";
    data.users = { users()[2], users()[1], users()[0] };
    data.write();
    dialogs.queueAnswer(true);
    click("BDELETE");
    EXPECT_EQ(lastMessage(), changed);
    EXPECT_EQ(users()[0].UserName.substr(0, 3), "Ann");
    EXPECT_EQ(users().size(), 3u);
}

TEST_F(SetupWindowTest, ANewSharedFolderReplacesTheFilesATabHoldsAndAGoneOneKeepsTheTyping)
{
    get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    TempFolder shared;
    store::writeRecordAt(shared / "USERS.DAT", 1, data.users.front());
    store::writeRecordAt(shared / "TERMINAL.DAT", 1, testkit::DataFolderFixture::alphaCompany("Shared Co"));
    data.folder().setSharedFolder(shared.path().string());
    window.refresh();
    EXPECT_EQ(items(get<QListWidget>("pList")), QStringLiteral("Shared Co"));
    EXPECT_EQ(other("--delete-first-company", data.path()), QStringLiteral("deleted")) << "the old file was closed";
    click("BADD2");
    type("PageComp", QStringLiteral("Acme"));
    type("PAGEPHONE", QStringLiteral("5550199"));
    click("BSAVE2");
    EXPECT_EQ(store::readAllRecords<store::TerminalRecord>(data.folder()).size(), 2u) << "saved in the new folder";

    // The share goes away: the company typed stays in its boxes, and nothing is written anywhere.
    click("BADD2");
    type("PageComp", QStringLiteral("Northwind"));
    type("PAGEPHONE", QStringLiteral("5550111"));
    std::filesystem::remove(shared / "USERS.DAT");
    click("BSAVE2");
    EXPECT_EQ(lastMessage(),
        QStringLiteral("The shared directory %1 cannot be reached. Nothing was saved.")
            .arg(QString::fromStdString(shared.path().string())));
    EXPECT_EQ(get<QLineEdit>("PageComp")->text(), QStringLiteral("Northwind"));
    EXPECT_EQ(enabled("2"), QStringLiteral("BSAVE BCANCEL"));
    EXPECT_EQ(testkit::readFile(shared / "TERMINAL.DAT").size(), 128u);
}

TEST_F(SetupWindowTest, WhileThePagingCompaniesTabIsShownAnotherWorkstationCannotDeleteACompany)
{
    auto otherDelete = [&] {
        return runProcess("/proc/self/exe", { "--delete-first-company", data.path().string() }).out;
    };
    get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    EXPECT_EQ(otherDelete(), "Can not delete record while other users have the file open");
    get<QTabWidget>("TabStrip1")->setCurrentIndex(0);
    EXPECT_EQ(otherDelete(), "deleted") << "another tab keeps no file open";

    get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    EXPECT_EQ(get<QListWidget>("pList")->count(), 1);
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Northwind"));
    store::RecordFile(data.folder().pathOf<store::TerminalRecord>(), 64).appendRaw(data.terminals.back().encode());
    EXPECT_EQ(otherDelete(), "Can not delete record while other users have the file open");
    window.close();
    EXPECT_EQ(otherDelete(), "deleted") << "the close box closes the file";
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && std::string_view(argv[1]) == "--delete-first-company")
        return deleteFirstCompany(argv[2]);
    if (argc == 3 && std::string_view(argv[1]) == "--sort-users") {
        store::sortUsers(store::DataFolder(argv[2]));
        return 0;
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
