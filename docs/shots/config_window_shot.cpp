// Saves a picture of each tab of the configuration window, and one taken while a modem test runs on the
// practice line, into the folder named on the command line. Run it under a display (Xvfb is enough).
#include "platform/dialog_service.h"
#include "platform/serial/port_map.h"
#include "shot_support.h"
#include "simulator/pty_server.h"
#include "store/data_folder.h"
#include "store/defaults.h"
#include "ui/config/config_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace tolvane;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QDir output(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    // A fresh installation: the modem types and settings a new workstation gets.
    QTemporaryDir programFolder;
    const store::DataFolder folder(programFolder.path().toStdString());
    store::installIfNew(folder);
    platform::ScriptedDialogService dialogs;

    platform::PortMap ports = platform::PortMap::inProgramFolder(folder);
    ui::ConfigWindow window(folder, dialogs, ports, false, [] { return false; });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("TabStrip1"));
    bool saved = shots::save(window, output.filePath(QStringLiteral("config-modem-setup.png")));
    tabs->setCurrentIndex(1);
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Front desk:"));
    saved = shots::save(window, output.filePath(QStringLiteral("config-other-settings.png"))) && saved;
    tabs->setCurrentIndex(2);
    window.findChild<QLineEdit*>(QStringLiteral("Text6"))->setText(QStringLiteral("AT&F E0 V1 X4 &C1 &D2 +MS=V32"));
    saved = shots::save(window, output.filePath(QStringLiteral("config-advanced.png"))) && saved;
    window.close();

    // The practice modem answers late, so the picture catches the test half way.
    simulator::SimulatorOptions slowModem;
    slowModem.replyDelay = std::chrono::milliseconds(6000);
    simulator::PtyServer modem(slowModem);
    modem.start();
    ports.setOverride(1, modem.slavePath());
    ui::ConfigWindow practice(folder, dialogs, ports, true, [] { return false; });
    practice.show();
    if (!QTest::qWaitForWindowExposed(&practice))
        return 1;
    QTimer::singleShot(4500, &practice,
        [&] { saved = shots::save(practice, output.filePath(QStringLiteral("config-modem-test.png"))) && saved; });
    practice.findChild<QAbstractButton*>(QStringLiteral("BTEST1"))->click();
    return saved ? 0 : 1;
}
