// Opens the main window on a small sample directory, with recipients chosen and a message typed, and saves
// a picture of it. For the README; run it under a display (Xvfb is enough).
#include "platform/dialog_service.h"
#include "shot_support.h"
#include "store/network_file.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"
#include "ui/main/main_window.h"
#include "ui/main/message_edit.h"

#include <QApplication>

#include <cstdio>

using namespace tolvane;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");

    testkit::DataFolderFixture data;
    shots::writeSampleOffice(data);
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
    window.setStatus("Ready");
    QTest::qWait(100);
    return shots::save(window, output) ? 0 : 1;
}
