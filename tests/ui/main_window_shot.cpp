// Opens the main window on a small sample directory, with recipients chosen and a message typed, and saves
// a picture of it. For the README; run it under a display (Xvfb is enough).
#include "platform/dialog_service.h"
#include "store/network_file.h"
#include "store/record_file.h"
#include "store/records.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"
#include "ui/main/main_window.h"
#include "ui/main/message_edit.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdio>

using namespace tolvane;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");

    testkit::DataFolderFixture data;
    auto person = [](const char* name, const char* company, const char* flags) {
        store::UserRecord user = testkit::DataFolderFixture::user(name, "5550100", company);
        user.GroupFlags = flags;
        return user;
    };
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Northwind Paging"));
    data.users = { person("Dana Whitlow", "Ravenpage", "1000000000"), person("Alex Moreno", "Ravenpage", "1100000000"),
        person("Kim Osei", "Northwind Paging", "0100000000"), person("Priya Natarajan", "Ravenpage", "1000000000"),
        person("Tom Becker", "Northwind Paging", "0010000000"), person("Lena Fischer", "Ravenpage", "0010000000"),
        person("Marcus Hale", "Northwind Paging", "0000000000") };
    data.write();
    const char* groups[] = { "Night Shift", "Managers", "Facilities" };
    for (int i = 0; i < 3; ++i) {
        store::GroupRecord group;
        group.GroupName = groups[i];
        store::writeRecordAt(data.folder().directoryPath("GROUP.DAT"), i + 1, group);
    }
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), "");

    testkit::VirtualClock clock;
    testkit::ScriptedLine line(clock);
    testkit::VirtualPacer pacer(clock);
    platform::ScriptedDialogService dialogs;
    ui::MainWindow window(data.path(), line, pacer, dialogs, true);
    if (!window.startUp()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    window.desk().addUser(0);
    window.desk().addGroup(1);
    window.findChild<ui::MessageEdit*>(QStringLiteral("Text1"))
        ->setPlainText(QStringLiteral("Server room temperature alarm - please check the cooling unit"));
    window.desk().QueMessage();
    window.desk().selectUser(3);
    window.callView().setStatus("Ready");
    QTest::qWait(300);

    if (!window.grab().save(output)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
