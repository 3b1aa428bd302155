// The commands: menus and actions built from the command table, their enabling, and what each one runs.
#include "ui/main/main_window.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/record_file.h"
#include "store/records.h"
#include "store/sort_users.h"
#include "ui/main/about_dialog.h"
#include "ui/main/command_table.h"
#include "ui/main/connection_window.h"
#include "ui/main/escape_closes.h"
#include "ui/main/help_window.h"
#include "ui/main/network_setup.h"
#include "ui/main/recipient_lists.h"
#include "ui/main/toolbars.h"
#include "ui/search/search_dialog.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

namespace tolvane::ui {

QIcon MainWindow::commandIcon(const CommandRow& row) const
{
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(row.themeIcon));
    if (!themed.isNull())
        return themed;
    // The style's own pictures always exist; where one has no large size, Toolbar2 gets it scaled up.
    QIcon icon = style()->standardIcon(row.fallbackIcon);
    if (icon.actualSize(QSize(32, 32)).width() < 32)
        icon.addPixmap(icon.pixmap(16).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return icon;
}

void MainWindow::buildMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuRow& row : menuTable()) {
        QMenu* menu = row.inMenuBar ? menuBar()->addMenu(QString::fromLatin1(row.caption))
                                    : new QMenu(QString::fromLatin1(row.caption), this);
        menu->setObjectName(QString::fromLatin1(row.name));
        menus.insert(menu->objectName(), menu);
    }
    // Only the notification-area icon shows this one.
    m_trayMenu = menus.value(QStringLiteral("MSYSTRAY"));

    for (const CommandRow& row : commandTable()) {
        QMenu* menu = menus.value(QString::fromLatin1(row.menu));
        if (row.separatorBefore)
            menu->addSeparator();
        auto* item = menu->addAction(QString::fromLatin1(row.caption));
        item->setObjectName(QString::fromLatin1(row.name));
        item->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (row.position > 0)
            item->setIcon(commandIcon(row));
        if (row.run)
            connect(item, &QAction::triggered, this, row.run);
        else
            connect(item, &QAction::triggered, this, [this, name = item->objectName()] { showWindowOf(name); });
        m_actions.insert(item->objectName(), item);
    }
    // The help key works from every window of the program.
    action(QStringLiteral("MINDEX"))->setShortcutContext(Qt::ApplicationShortcut);
}

QAction* MainWindow::action(const QString& name) const
{
    return m_actions.value(name, nullptr);
}

// ---- Enabling ---------------------------------------------------------------------------------------------

bool MainWindow::runInProgress() const
{
    return m_sending || m_desk.runInProgress() || m_call.holdsPort();
}

bool MainWindow::portBusy() const
{
    return runInProgress() || (m_portHeldElsewhere && m_portHeldElsewhere());
}

void MainWindow::updateToolbarButtons()
{
    m_desk.updateToolbarButtons();
}

void MainWindow::showCommandState()
{
    bool portOpen = false;
    try {
        portOpen = m_line.isOpen();
    } catch (const std::exception&) {
        // A port that cannot tell is taken as closed.
    }
    const dispatch::CommandState state = m_desk.commandState(portOpen);
    const bool running = state.runInProgress || runInProgress();
    for (const CommandRow& row : commandTable()) {
        bool on = true;
        switch (row.enabling) {
        case Enabling::Always:
            break;
        case Enabling::Send:
            on = state.send && !running;
            break;
        case Enabling::Queue:
            on = state.queue;
            break;
        case Enabling::SendQueue:
            on = state.sendQueue && !running;
            break;
        case Enabling::Cancel:
            on = state.cancel || running;
            break;
        case Enabling::ClearQueue:
            on = state.clearQueue;
            break;
        case Enabling::Idle:
            // Both re-run the start-up sequence, which must not change the folder or the port under a call.
            on = !running;
            break;
        case Enabling::Window:
            on = m_windows.contains(QString::fromLatin1(row.name));
            break;
        }
        action(QString::fromLatin1(row.name))->setEnabled(on);
    }
    m_display.showComposition({ m_desk.recipients(), m_desk.message() });
}

// ---- Windows of other parts ---------------------------------------------------------------------------------

bool MainWindow::registerWindow(const char* command, std::function<QWidget*()> create)
{
    const auto& rows = commandTable();
    const bool showsAWindow = std::any_of(rows.begin(), rows.end(),
        [&](const CommandRow& row) { return row.enabling == Enabling::Window && qstrcmp(command, row.name) == 0; });
    if (!showsAWindow || !create)
        return false;
    m_windows.insert(QString::fromLatin1(command), { std::move(create), {} });
    showCommandState();
    return true;
}

void MainWindow::showWindowOf(const QString& command)
{
    auto found = m_windows.find(command);
    if (found == m_windows.end())
        return;
    if (!found->window) {
        found->window = found->create();
        if (!found->window)
            return;
        closeOnEscape(found->window);
    }
    found->window->show();
    found->window->raise();
    found->window->activateWindow();
}

void MainWindow::searchUsers()
{
    if (!m_search) {
        m_search = new SearchDialog(QStringLiteral("TSearch"), QStringLiteral("Search..."), this);
        m_search->searchList(m_lists->users());
    }
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void MainWindow::showConnectionWindow()
{
    m_display.showConnectionWindow();
    connectionWindow()->activateWindow();
}

void MainWindow::showHelpContents()
{
    m_help->showContents();
}

void MainWindow::showHelpIndex()
{
    m_help->showIndex();
}

void MainWindow::showAbout()
{
    if (!m_about)
        m_about = new AboutDialog(m_practice, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

// ---- Toolbars ---------------------------------------------------------------------------------------------

void MainWindow::customizeToolbar()
{
    m_toolbars->customize();
}

void MainWindow::showLargeToolbar(bool large)
{
    m_toolbars->showLarge(large);
    m_toolbars->restoreLayout();
}

void MainWindow::toggleIconSize()
{
    // The stored choice decides, and is turned over in SETTINGS.DAT.
    bool large = false;
    try {
        const auto path = m_folder.pathOf<store::SettingsRecord>();
        store::SettingsRecord record = store::readRecordAt<store::SettingsRecord>(path);
        large = record.LargeIcons == store::kNo;
        record.LargeIcons = large ? store::kYes : store::kNo;
        store::writeRecordAt(path, 1, record);
    } catch (const std::exception& error) {
        m_desk.reportError(error);
        return;
    }
    store::RunningSettings settings = m_desk.settings();
    settings.LargeIcons = large;
    m_desk.setSettings(settings);
    showLargeToolbar(large);
}

// ---- The directory and the folder ----------------------------------------------------------------------

void MainWindow::setUpNetworkShare()
{
    if (runInProgress())
        return;
    try {
        if (!runNetworkSetup(m_dialogs, m_folder))
            return;
    } catch (const std::exception& error) {
        m_desk.reportError(error);
        return;
    }
    if (!startUp())
        endProgram(kStartUpFailedExitStatus);
    Q_EMIT directoryReloaded();
}

void MainWindow::sortUsers()
{
    if (runInProgress())
        return;
    if (store::sortUsers(m_folder) == store::SortOutcome::InUse) {
        m_dialogs.message(platform::fromCore(store::kSortRefusedInUse));
        return;
    }
    if (!startUp())
        endProgram(kStartUpFailedExitStatus);
    Q_EMIT directoryReloaded();
}

void MainWindow::showUsers()
{
    m_desk.showUsers();
}

void MainWindow::showGroups()
{
    m_desk.showGroups();
}

void MainWindow::showBoth()
{
    m_desk.showBoth();
}

// ---- Composing and sending ----------------------------------------------------------------------------------

void MainWindow::clearRecipients()
{
    m_desk.clearRecipients();
}

void MainWindow::clearMessage()
{
    m_desk.clearMessage();
}

void MainWindow::clearQueue()
{
    m_desk.clearQueue();
}

void MainWindow::queueMessage()
{
    m_desk.queueMessage();
}

void MainWindow::runSend(const std::function<void()>& send)
{
    m_sending = true;
    showCommandState();
    send();
    m_sending = false;
    showCommandState();
    if (!m_timer1.isActive())
        restoreClock();
    leaveWhenIdle();
}

void MainWindow::sendPage()
{
    if (!portBusy())
        runSend([this] { m_desk.sendSingle(); });
}

void MainWindow::sendQueue()
{
    if (!portBusy())
        runSend([this] { m_desk.sendQueue(); });
}

void MainWindow::cancelPages()
{
    m_call.cancel();
}

void MainWindow::forceHangUp()
{
    if (m_portHeldElsewhere && m_portHeldElsewhere())
        return;
    m_call.forceHangUp();
    updateToolbarButtons();
}

} // namespace tolvane::ui
