// The whole road on the practice line: the window's own commands, the real serial-line code, the real
// pacer and the simulated modem and paging terminal on a pseudo-terminal. Real time passes here (the modem
// waits seconds before it is initialised), so this is one of the few tests that sleeps.
#include "app/practice_line.h"
#include "platform/dialog_service.h"
#include "platform/qt_pacer.h"
#include "platform/serial/port_map.h"
#include "platform/serial/posix_serial_line.h"
#include "store/network_file.h"
#include "testkit/data_folder_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/message_edit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QSettings>
#include <QTest>

#include <filesystem>

using namespace tolvane;

namespace {

TEST(PracticeSend, QueuedPageReachesThePracticeTerminalFromTheWindow)
{
    testkit::DataFolderFixture data;
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), "");
    platform::PortMap ports = platform::PortMap::inProgramFolder(data.folder());
    app::PracticeLine practice;
    practice.start(ports);
    std::filesystem::create_directories(data.path() / "locks");
    platform::PosixSerialLine line(ports, data.path() / "locks");
    platform::QtPacer pacer;
    platform::ScriptedDialogService dialogs;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(data.path().string()));

    ui::MainWindow window(data.path(), line, pacer, dialogs, true);
    ASSERT_TRUE(window.startUp());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    auto* users = window.findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_EQ(users->count(), 1);
    const QPoint at = users->visualItemRect(users->item(0)).center();
    QTest::mouseClick(users->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(users->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(window.desk().recipients().size(), 1u);
    auto* message = window.findChild<ui::MessageEdit*>(QStringLiteral("Text1"));
    message->setFocus();
    QTest::keyClicks(message, QStringLiteral("Practice page"));

    window.action(QStringLiteral("MSENDTOQUE"))->trigger();
    ASSERT_EQ(window.desk().pageQueue().count(), 1) << dialogs.messages().join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(window.action(QStringLiteral("MSENDQUE"))->isEnabled());
    window.action(QStringLiteral("MSENDQUE"))->trigger();

    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window.statusText(), QStringLiteral("( 1) Page(s) Were Sent"));
    EXPECT_EQ(window.lampColour(), QColor(0, 255, 0));
    const auto log = data.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.front().rfind("PAGE SENT: Dana Whitlow", 0), 0u) << log.front();
    EXPECT_NE(log.front().find("Practice page"), std::string::npos);
    EXPECT_FALSE(line.isOpen());
}

} // namespace
