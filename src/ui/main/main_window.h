#pragma once

#include "dispatch/page_sender.h"
#include "dispatch/paging_desk.h"
#include "engine/pacer.h"
#include "engine/paging_call.h"
#include "engine/serial_line.h"
#include "store/data_folder.h"
#include "ui/main/call_display.h"
#include "ui/main/host_clock.h"
#include "ui/main/painting_pacer.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QSystemTrayIcon;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class AboutDialog;
struct CommandRow;
class ConnectionWindow;
class HelpWindow;
class MainToolbars;
class MessagePanel;
class RecipientLists;
class SearchDialog;

// The exit status of a program whose start-up error handler ended it.
inline constexpr int kStartUpFailedExitStatus = 4;

// The program's central window: the directory lists, the recipients, the message, the queue counters,
// the clock, the status panel and lamp, every command as a menu item and most on both toolbars, and the
// notification-area icon. The paging desk holds the state and does the work; this window shows it and
// forwards the operator's actions to it. Its CallDisplay is the view of every paging call.
//
// Wiring in the program:
//     ui::MainWindow window(programFolder, line, pacer, dialogs, options.practice);
//     widgetDialogs.setParent(&window);
//     window.registerWindow("MUSERS", [&] { return new DirectoryEditor(...); }); // one line per window
//     if (!window.startUp())
//         return kExitCannotStart;
//     return application.exec(); // 4 when a re-run of the start-up (network setup, sorting) failed
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(std::filesystem::path programFolder, engine::SerialLine& line, engine::Pacer& pacer,
        platform::DialogService& dialogs, bool practice, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence after the app's options, single-instance check and first-run
    // installation. Returns false when the start-up error handler ends the program (the app exits with status 4).
    bool startUp();

    // The window a command shows ("MUSERS", "MMODEMS", "MQUED", "MCANNED"), created by `create` on first
    // use and afterwards only shown again. The command is enabled from then on. False for a command that
    // shows no window of another part.
    bool registerWindow(const char* command, std::function<QWidget*()> create);

    // The configuration window's "Large Icons on toolbar" box: shows that toolbar at once; SETTINGS.DAT
    // changes only when the window saves (desk().setSettings() then takes the new running settings).
    void showLargeToolbar(bool large);

    // Another window holds the modem port for a while (the configuration window's modem test): sending
    // and the forced hang-up wait until it lets go, and the scheduled pages try again at a later tick.
    void setPortHeldElsewhere(std::function<bool()> held) { m_portHeldElsewhere = std::move(held); }

    // Computes the desk's command state once and enables every command, and with it its buttons, from it.
    void updateToolbarButtons();

    // The commands of the menus, the toolbars and the tray.
    void setUpNetworkShare();
    void exitProgram();
    void customizeToolbar();
    void toggleIconSize();
    void showConnectionWindow();
    void showUsers();
    void showGroups();
    void showBoth();
    void clearRecipients();
    void clearMessage();
    void clearQueue();
    void searchUsers();
    void sortUsers();
    void sendPage();
    void cancelPages();
    void queueMessage();
    void sendQueue();
    void forceHangUp();
    void hideProgram();
    void showHelpContents();
    void showHelpIndex();
    void showAbout();
    void restoreWindow();
    void closeFromTray();

    // The three timers' handlers; the timers call them, and so may tests.
    void tickClock();
    // Timer2: at the start of each minute while pages are scheduled.
    void releaseDuePages();
    void countPauseTick();
    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }
    QTimer& timer3() { return m_timer3; }
    int timer3Ticks() const { return m_timer3Ticks; }

    dispatch::PagingDesk& desk() { return m_desk; }
    const store::DataFolder& dataFolder() const { return m_folder; }
    engine::PagingCall& pagingCall() { return m_call; }
    engine::CallView& callView() { return m_display; }
    ConnectionWindow* connectionWindow() const;
    HelpWindow* helpWindow() const { return m_help; }
    MainToolbars& toolbars() const { return *m_toolbars; }
    QString statusText() const { return m_display.statusText(); }
    QColor lampColour() const { return m_display.lampColour(); }
    QColor gaugeColour() const;
    QColor messageTextColour() const;
    bool practice() const { return m_practice; }

    // A command's action by its menu item's name ("MSEND"): menus, toolbars and the tray share it.
    QAction* action(const QString& name) const;
    // The notification-area menu (Restore, Close); never shown in the menu bar.
    QMenu* trayMenu() const { return m_trayMenu; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    // Minimising and "Hide Program" hide the window only while a tray icon shows a way back.
    bool canHideToTray() const;

    // Tests fix the time and date the clock captions show.
    void setClockOverride(const dispatch::Clock* clock) { m_clock.setOverride(clock); }

Q_SIGNALS:
    // After sorting the users and after a network setup: the directory files were rewritten or are now
    // another folder's, and every window that shows them reads them again.
    void directoryReloaded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Hands each run of pages to the paging call, stopping the clock first: Timer1 stands still during
    // every call of a run, however the run was started; the call's end starts it again.
    class ClockStoppingSender final : public dispatch::PageSender {
    public:
        ClockStoppingSender(engine::PagingCall& call, QTimer& clock)
            : m_call(call)
            , m_clock(clock)
        {
        }
        void pageThePeople(std::int16_t count, std::int16_t first) override
        {
            m_clock.stop();
            m_call.pageThePeople(count, first);
        }

    private:
        engine::PagingCall& m_call;
        QTimer& m_clock;
    };

    struct RegisteredWindow {
        std::function<QWidget*()> create;
        QPointer<QWidget> window;
    };

    struct StartUpFailure {
        int number;
        std::string description;
    };

    void buildWidgets();
    void buildMenus();
    QIcon commandIcon(const CommandRow& row) const;
    void showCommandState();
    void syncFromDesk();
    void showWindowOf(const QString& command);
    void centreOnScreen();
    bool reportStartUpFailure(const StartUpFailure& failure);
    void restoreClock();
    void addIconToTray();
    void removeIconFromTray();
    void watchTray();
    void showFirstStartHint();
    void endProgram(int status);
    void leaveWhenIdle();
    bool runInProgress() const;
    // A run is in progress, or another window holds the port.
    bool portBusy() const;
    void armDueCheck();
    void runSend(const std::function<void()>& send);

    store::DataFolder m_folder;
    engine::SerialLine& m_line;
    platform::DialogService& m_dialogs;
    bool m_practice;
    HostClock m_clock;
    PaintingPacer m_callPacer;
    QTimer m_timer1;
    QTimer m_timer2;
    QTimer m_timer3;
    QTimer m_trayWatch;
    CallDisplay m_display;
    dispatch::PagingDesk m_desk;
    engine::PagingCall m_call;
    ClockStoppingSender m_sender;
    dispatch::PagingDesk::ListenerId m_deskListener = 0;

    int m_timer3Ticks = 0;
    bool m_centred = false;
    bool m_ending = false;
    int m_exitStatus = 0;
    bool m_sending = false; // a send command of this window is running
    bool m_firstStart = true; // the directory is the first run's sample, not yet changed

    QHash<QString, QAction*> m_actions;
    QHash<QString, RegisteredWindow> m_windows;
    std::function<bool()> m_portHeldElsewhere;
    MainToolbars* m_toolbars = nullptr;
    QMenu* m_trayMenu = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;

    RecipientLists* m_lists = nullptr;
    MessagePanel* m_messagePanel = nullptr;
    QLabel* m_queueCounter = nullptr;
    QLabel* m_delayCounter = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_date = nullptr;
    HelpWindow* m_help = nullptr;
    QPointer<AboutDialog> m_about;
    QPointer<SearchDialog> m_search;
};

} // namespace tolvane::ui
