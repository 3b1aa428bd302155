#pragma once

#include "dispatch/paging_desk.h"
#include "engine/call_view.h"
#include "engine/pacer.h"
#include "engine/paging_call.h"
#include "engine/serial_line.h"
#include "store/data_folder.h"
#include "ui/main/host_clock.h"
#include "ui/main/painting_pacer.h"

#include <QColor>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

class QToolButton;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class AboutDialog;
class ConnectionWindow;
class HelpWindow;
class MessageEdit;
class StatusLamp;

// The exit status of a program whose start-up error handler ended it.
inline constexpr int kStartUpFailedExitStatus = 4;

// The program's central window: the directory lists, the recipients, the message, the queue counters,
// the clock, the status panel and lamp, and every command as a menu item. The paging desk holds the state
// and does the work; this window shows it, forwards the operator's actions to it and is the view of every
// paging call.
//
// Wiring in the program:
//     ui::MainWindow window(programFolder, line, pacer, dialogs, options.practice);
//     widgetDialogs.setParent(&window);
//     if (!window.startUp())
//         return kExitCannotStart;
//     return application.exec(); // 4 when a re-run of the start-up (network setup, sorting) failed
class MainWindow : public QMainWindow, public engine::CallView {
    Q_OBJECT

public:
    // The windows of other parts of the program that the menus open, each created on first use.
    enum class Companion { DirectoryEditor, Configuration, CannedMessages, Events, Search };

    MainWindow(std::filesystem::path programFolder, engine::SerialLine& line, engine::Pacer& pacer,
        platform::DialogService& dialogs, bool practice, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence (Form_Load) after the app's options, single-instance check and first-run
    // installation. Returns false when the start-up error handler ends the program (the app exits with status 4).
    bool startUp();

    // engine::CallView
    void setStatus(const std::string& text) override;
    void setLamp(engine::Lamp lamp) override;
    void appendLog(const std::string& line) override;
    void clearLog() override;
    void showConnectionWindow() override;
    void hideConnectionWindow() override;
    void messageBox(const std::string& text, const std::string& title = {}) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void refreshCommands() override;
    void callEnded() override;

    // Enables and disables the commands from the desk's state.
    void UpdateToolbarButtons();

    // The menu commands, also for the toolbars and the tray icon.
    void MNETWORK_Click();
    void MEXIT_Click();
    void MSORT_Click();
    void MSEND_Click();
    void MSENDTOQUE_Click();
    void MSENDQUE_Click();
    void MCANCEL_Click();
    void MFORCE_Click();
    void MSENDLIST_Click();
    void MMESSAGE_Click();
    void MCLEARQUE_Click();
    void MVUSERS_Click();
    void MVGROUPS_Click();
    void MBOTH_Click();
    void MCONNECT_Click();
    void MHIDEPROG_Click();
    void MRESTORE_Click();
    void MCLOSE_Click();
    void MCONTENTS_Click();
    void MINDEX_Click();
    void MABOUT2_Click();
    void Image1_Click();
    void Image2_Click();

    // The three timers' handlers; the timers call them, and so may tests.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }
    QTimer& timer3() { return m_timer3; }
    int timer3Ticks() const { return m_timer3Ticks; }

    dispatch::PagingDesk& desk() { return m_desk; }
    const store::DataFolder& dataFolder() const { return m_folder; }
    engine::PagingCall& pagingCall() { return m_call; }
    ConnectionWindow* connectionWindow() const { return m_connection; }
    HelpWindow* helpWindow() const { return m_help; }
    QString statusText() const;
    QColor lampColour() const;
    QColor gaugeColour() const;
    QColor messageTextColour() const;
    bool practice() const { return m_practice; }

    // A menu command by its item name ("MSEND", "MCLEARQUE"...), for toolbars, the tray and tests.
    QAction* action(const QString& name) const;
    // The notification-area menu (Restore, Close); never shown in the menu bar.
    QMenu* trayMenu() const { return m_trayMenu; }
    // Minimising and "Hide Program" hide the window only while a tray icon shows a way back.
    void setTrayIcon(QSystemTrayIcon* icon) { m_trayIcon = icon; }
    bool canHideToTray() const;

    // Registers how to create a companion window; its menu item is enabled from then on.
    void setCompanionWindow(Companion which, std::function<QWidget*()> create);
    // Tests fix the time and date the clock captions show.
    void setClockOverride(const dispatch::Clock* clock) { m_clock.setOverride(clock); }

Q_SIGNALS:
    // "&Customize" and "&Toggle Icon Size": the toolbars act on them.
    void customizeToolbarRequested();
    void toggleIconSizeRequested();

protected:
    void changeEvent(QEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct StartUpFailure {
        int number;
        std::string description;
    };

    void buildWidgets();
    void buildMenus();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
        void (MainWindow::*handler)());
    void showCompanion(Companion which);
    void applyCommandState(bool lamp);
    void syncFromDesk();
    void syncList(QListWidget* list, const std::vector<std::string>& items, std::vector<std::string>& shown);
    void syncMessage();
    void onMessageEdited();
    void onReturnRefused();
    void centreOnScreen();
    bool reportStartUpFailure(const StartUpFailure& failure);
    void endProgram(int status);
    bool runInProgress() const;
    void beforeRun();
    void afterRun();

    store::DataFolder m_folder;
    engine::SerialLine& m_line;
    platform::DialogService& m_dialogs;
    bool m_practice;
    HostClock m_clock;
    PaintingPacer m_callPacer;
    dispatch::PagingDesk m_desk;
    engine::PagingCall m_call;
    dispatch::PagingCallSender m_sender;
    dispatch::PagingDesk::ListenerId m_deskListener = 0;

    QTimer m_timer1;
    QTimer m_timer2;
    QTimer m_timer3;
    int m_timer3Ticks = 0;
    bool m_centred = false;
    bool m_syncing = false;
    bool m_ending = false;
    bool m_sending = false; // a send command is running
    bool m_lampHeldByCall = false;
    QColor m_gaugeColour;

    QHash<QString, QAction*> m_actions;
    QMenu* m_trayMenu = nullptr;
    QPointer<QSystemTrayIcon> m_trayIcon;
    QHash<int, std::function<QWidget*()>> m_companionFactories;
    QHash<int, QPointer<QWidget>> m_companions;

    QListWidget* m_users = nullptr;
    QListWidget* m_groups = nullptr;
    QLabel* m_usersCaption = nullptr;
    QLabel* m_groupsCaption = nullptr;
    QListWidget* m_recipients = nullptr;
    QToolButton* m_addButton = nullptr;
    QToolButton* m_removeButton = nullptr;
    MessageEdit* m_message = nullptr;
    QLabel* m_count = nullptr;
    QProgressBar* m_gauge = nullptr;
    QLabel* m_queueCounter = nullptr;
    QLabel* m_delayCounter = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_statusPanel = nullptr;
    StatusLamp* m_lamp = nullptr;
    ConnectionWindow* m_connection = nullptr;
    HelpWindow* m_help = nullptr;
    QPointer<AboutDialog> m_about;

    std::vector<std::string> m_shownUsers;
    std::vector<std::string> m_shownGroups;
    std::vector<std::string> m_shownRecipients;
};

} // namespace tolvane::ui
