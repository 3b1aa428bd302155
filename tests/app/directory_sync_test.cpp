#include "app/companion_windows.h"

#include "platform/dialog_service.h"
#include "platform/directory_watcher.h"
#include "platform/serial/port_map.h"
#include "store/network_file.h"
#include "store/record_file.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"
#include "ui/directory/setup_window.h"
#include "ui/main/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace tolvane;
using namespace std::chrono_literals;

namespace {

// Another workstation on the same folder: a process of its own that appends a user and ends.
void otherWorkstationAdds(const store::DataFolder& folder, const char* name)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        store::RecordFile users(folder.pathOf<store::UserRecord>(), store::UserRecord::kLength);
        users.appendRaw(testkit::DataFolderFixture::user(name, "42", "Ravenpage").encode());
        ::_exit(0);
    }
    int status = 1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_EQ(status, 0);
}

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text().trimmed();
    return texts;
}

TEST(DirectorySync, AnotherWorkstationsChangeShowsInTheListsAndTheEditorWithoutLosingWhatIsInHand)
{
    testkit::DataFolderFixture data;
    data.users = { testkit::DataFolderFixture::user("Dana Whitlow", "5550142", "Ravenpage"),
        testkit::DataFolderFixture::user("Ann", "5550100", "Ravenpage") };
    data.write();
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), "");
    testkit::VirtualClock clock;
    testkit::ScriptedLine line(clock);
    testkit::VirtualPacer pacer(clock);
    platform::ScriptedDialogService dialogs;
    platform::PortMap ports;
    ui::MainWindow window(data.path(), line, pacer, dialogs, false);
    // A long interval: the file system's notice must do it alone here.
    app::registerCompanionWindows(window, dialogs, ports, line, false, 1h);
    ASSERT_TRUE(window.startUp());

    // Ann selected, Dana a recipient; in the editor, Ann's pager ID half typed.
    window.desk().addUser(0);
    window.desk().selectUser(1);
    window.action(QStringLiteral("MUSERS"))->trigger();
    auto* setup = window.findChild<ui::SetupWindow*>(QStringLiteral("Setup"));
    ASSERT_NE(setup, nullptr);
    auto* editorList = setup->findChild<QListWidget*>(QStringLiteral("UList1"));
    editorList->setCurrentRow(1);
    QTest::keyClicks(setup->findChild<QLineEdit*>(QStringLiteral("uId")), QStringLiteral("9"));

    otherWorkstationAdds(data.folder(), "Bo");
    auto* mainList = window.findChild<QListWidget*>(QStringLiteral("List1"));
    const QStringList three { QStringLiteral("Dana Whitlow"), QStringLiteral("Ann"), QStringLiteral("Bo") };
    EXPECT_TRUE(QTest::qWaitFor([&] { return entries(mainList) == three && entries(editorList).size() == 3; }))
        << entries(mainList).join(u',').toStdString() << " / " << entries(editorList).size();
    EXPECT_EQ(window.desk().selectedUser(), 1);
    EXPECT_EQ(window.desk().recipients().size(), 1u);
    EXPECT_EQ(setup->findChild<QLineEdit*>(QStringLiteral("uId"))->text(), QStringLiteral("55501009"));
    EXPECT_TRUE(setup->findChild<QPushButton*>(QStringLiteral("BUPDATE"))->isEnabled());

    // Where the file system sends no notice (a network share), the regular look finds the change.
    window.findChild<QFileSystemWatcher*>()->blockSignals(true);
    otherWorkstationAdds(data.folder(), "Cy");
    window.findChild<platform::DirectoryWatcher*>()->check();
    EXPECT_TRUE(QTest::qWaitFor([&] { return entries(mainList).size() == 4; })) << entries(mainList).size();
}

} // namespace
