// Opens the main window on a small sample directory and the practice line, with recipients chosen and a
// message queued, and saves a picture: of the window with its small or large toolbar, of the toolbar's
// customise dialog, of the connection window during a practice call, or of the window after the queue was
// sent, or of the window's first start on a new folder. Run it under a display (Xvfb is enough):
//     tolvane-main-window-shot OUT.png [small|large|customize|search|connection|sent|first]
#include "app/practice_line.h"
#include "platform/dialog_service.h"
#include "platform/qt_pacer.h"
#include "platform/serial/port_map.h"
#include "platform/serial/posix_serial_line.h"
#include "shot_support.h"
#include "store/defaults.h"
#include "store/network_file.h"
#include "store/records.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/temp_folder.h"
#include "ui/main/connection_window.h"
#include "ui/main/main_window.h"
#include "ui/main/message_edit.h"
#include "ui/main/toolbar_customize_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace tolvane;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");
    const QString what = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("small");

    testkit::DataFolderFixture data;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(data.path().string()));
    data.settings.LargeIcons = what == QLatin1String("large") ? store::kYes : store::kNo;
    shots::writeSampleOffice(data);
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), "");

    platform::PortMap ports = platform::PortMap::inProgramFolder(data.folder());
    app::PracticeLine practice;
    practice.start(ports);
    std::filesystem::create_directories(data.path() / "locks");
    platform::PosixSerialLine line(ports, data.path() / "locks");
    platform::QtPacer pacer;
    platform::ScriptedDialogService dialogs;
    // The first start: what a new folder holds, and nothing chosen yet.
    const bool firstStart = what == QLatin1String("first");
    testkit::TempFolder fresh;
    store::installIfNew(store::DataFolder(fresh.path()));
    ui::MainWindow window(firstStart ? fresh.path() : data.path(), line, pacer, dialogs, true);
    if (!window.startUp()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    if (!firstStart) {
        window.desk().addUser(0);
        window.desk().addGroup(1);
        window.findChild<ui::MessageEdit*>(QStringLiteral("Text1"))
            ->setPlainText(QStringLiteral("Server room temperature alarm - please check the cooling unit"));
        window.desk().queueMessage();
        window.desk().selectUser(3);
        window.callView().setStatus("Ready");
    }
    QTest::qWait(300);

    QWidget* shown = &window;
    if (what == QLatin1String("search")) {
        // The dialog over the list it searches: the screen, cut to both.
        window.action(QStringLiteral("MSEARCH"))->trigger();
        auto* search = window.findChild<QDialog*>(QStringLiteral("TSearch"));
        search->move(window.geometry().right() - search->width(), window.geometry().top() + 190);
        QTest::keyClicks(search->findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("le"));
        QTest::qWait(300);
        const QRect both = window.frameGeometry().united(search->frameGeometry());
        return window.screen()->grabWindow(0, both.x(), both.y(), both.width(), both.height()).save(output) ? 0 : 1;
    }
    if (what == QLatin1String("customize")) {
        window.action(QStringLiteral("MSETUP"))->trigger();
        shown = window.findChild<ui::ToolbarCustomizeDialog*>();
    } else if (what == QLatin1String("connection")) {
        // Pictured while the call is talking to the practice terminal.
        shown = window.connectionWindow();
        window.action(QStringLiteral("MCONNECT"))->trigger();
        QPixmap during;
        QTimer::singleShot(9000, shown, [&] {
            QCoreApplication::processEvents();
            during = shown->grab();
        });
        window.action(QStringLiteral("MSENDQUE"))->trigger();
        return during.save(output) ? 0 : 1;
    } else if (what == QLatin1String("sent")) {
        // After the queue went out on the practice line: the status and the green lamp.
        window.action(QStringLiteral("MSENDQUE"))->trigger();
    }
    QTest::qWait(300);
    if (!shown || !shown->grab().save(output)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
