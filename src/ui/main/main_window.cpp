#include "ui/main/main_window.h"

#include "platform/text_bridge.h"
#include "store/defaults.h"
#include "ui/main/about_dialog.h"
#include "ui/main/connection_window.h"
#include "ui/main/help_window.h"
#include "ui/main/message_panel.h"
#include "ui/main/program_icon.h"
#include "ui/main/recipient_lists.h"
#include "ui/main/status_lamp.h"
#include "ui/main/toolbars.h"
#include "ui/search/search_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

constexpr int kClockInterval = 20000;
// A page scheduled for a minute that has already begun is looked at this soon, not at the next minute.
constexpr int kFirstCheckMs = 1000;
// A due check that found the port held looks again this soon, not a minute later.
constexpr int kPortHeldRetryMs = 5000;
constexpr int kPauseTickInterval = 250;
constexpr int kTrayWatchInterval = 1000;

const char* const kFirstStartHint = "Start in Setup > Users/Groups/Paging Company: add your paging company, then your "
                                    "users. The practice line (--practice) lets you try a page without a modem.";

} // namespace

MainWindow::MainWindow(std::filesystem::path programFolder, engine::SerialLine& line, engine::Pacer& pacer,
    platform::DialogService& dialogs, bool practice, QWidget* parent)
    : QMainWindow(parent)
    , m_folder(std::move(programFolder))
    , m_line(line)
    , m_dialogs(dialogs)
    , m_practice(practice)
    , m_callPacer(pacer)
    , m_display(this, dialogs, { [this] { showCommandState(); }, [this] { restoreClock(); } })
    , m_desk(m_folder, m_display, m_clock)
    , m_call(line, m_callPacer, m_display, m_desk.callQueue(), m_folder, m_desk.runState())
    , m_sender(m_call, m_timer1)
{
    setObjectName(QStringLiteral("MAIN"));
    setWindowTitle(practice ? QStringLiteral("Tolvane (practice line)") : QStringLiteral("Tolvane"));
    setWindowIcon(programIcon());
    // Hidden, the program lives on in the notification area: it ends only through its own commands.
    QApplication::setQuitOnLastWindowClosed(false);
    m_desk.setPageSender(&m_sender);

    m_help = new HelpWindow(this);

    buildWidgets();
    buildMenus();
    m_toolbars = new MainToolbars(*this, [this](const QString& name) { return action(name); });
    connect(m_toolbars, &MainToolbars::buttonClicked, this, &MainWindow::updateToolbarButtons);

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(kClockInterval);
    connect(&m_timer1, &QTimer::timeout, this, &MainWindow::tickClock);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    // Armed for each minute's start in turn; a coarse timer may fire early, before the minute has begun.
    m_timer2.setSingleShot(true);
    m_timer2.setTimerType(Qt::PreciseTimer);
    connect(&m_timer2, &QTimer::timeout, this, &MainWindow::releaseDuePages);
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setInterval(kPauseTickInterval);
    connect(&m_timer3, &QTimer::timeout, this, &MainWindow::countPauseTick);
    m_trayWatch.setInterval(kTrayWatchInterval);
    connect(&m_trayWatch, &QTimer::timeout, this, &MainWindow::watchTray);

    m_deskListener = m_desk.addChangeListener([this] { syncFromDesk(); });
    syncFromDesk();
    updateToolbarButtons();
    // The keys start in the users: arrows choose, Enter adds, and the message box takes the keys from there.
    m_lists->users()->setFocus();
}

MainWindow::~MainWindow()
{
    // The registered windows are children, which Qt would delete after the desk; those that listen to the
    // desk must go while it is still there.
    for (auto& registered : m_windows)
        delete registered.window;
    m_desk.removeChangeListener(m_deskListener);
}

void MainWindow::buildWidgets()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_lists = new RecipientLists(m_desk, central);
    m_messagePanel = new MessagePanel(m_desk, m_dialogs, central);
    // Choose, type, F2: a page is made with the keyboard alone.
    connect(m_lists, &RecipientLists::recipientsAdded, m_messagePanel, &MessagePanel::focusMessage);

    // Queue counters and the clock.
    auto* queueFrame = new QGroupBox(QStringLiteral("Que Status"), central);
    queueFrame->setObjectName(QStringLiteral("SSFrame1"));
    auto* queueLayout = new QVBoxLayout(queueFrame);
    m_queueCounter = new QLabel(QStringLiteral("0 Pages in Que"), queueFrame);
    m_queueCounter->setObjectName(QStringLiteral("Label2"));
    m_delayCounter = new QLabel(QStringLiteral("0 Delay Send Pages"), queueFrame);
    m_delayCounter->setObjectName(QStringLiteral("Label9"));
    queueLayout->addWidget(m_queueCounter);
    queueLayout->addWidget(m_delayCounter);

    auto* clockFrame = new QFrame(central);
    clockFrame->setFrameShape(QFrame::StyledPanel);
    clockFrame->setFrameShadow(QFrame::Sunken);
    auto* clockLayout = new QVBoxLayout(clockFrame);
    m_time = new QLabel(clockFrame);
    m_time->setObjectName(QStringLiteral("Label7"));
    m_date = new QLabel(clockFrame);
    m_date->setObjectName(QStringLiteral("Label8"));
    QFont clockFont = m_time->font();
    clockFont.setBold(true);
    m_time->setFont(clockFont);
    for (QLabel* label : { m_time, m_date }) {
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 PM")));
    }
    clockLayout->addWidget(m_time);
    clockLayout->addWidget(m_date);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(queueFrame);
    bottom->addStretch();
    bottom->addWidget(clockFrame);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_lists, 1);
    layout->addSpacing(4);
    layout->addWidget(m_messagePanel);
    layout->addSpacing(4);
    layout->addLayout(bottom);

    // The status bar: the status panel, then the lamp with its caption.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_display.statusPanel()->setMinimumWidth(260);
    bar->addWidget(m_display.statusPanel(), 1);
    auto* lampCaption = new QLabel(QStringLiteral("Paging Status"), this);
    lampCaption->setObjectName(QStringLiteral("Label3"));
    bar->addPermanentWidget(lampCaption);
    bar->addPermanentWidget(m_display.lamp());

    resize(700, 560);
    setMinimumSize(560, 480);
}

ConnectionWindow* MainWindow::connectionWindow() const
{
    return m_display.connectionWindow();
}

QColor MainWindow::gaugeColour() const
{
    return m_messagePanel->gaugeColour();
}

QColor MainWindow::messageTextColour() const
{
    return m_messagePanel->textColour();
}

void MainWindow::syncFromDesk()
{
    m_lists->sync();
    m_messagePanel->sync();
    m_queueCounter->setText(platform::fromCore(m_desk.queueCounterText()));
    m_delayCounter->setText(platform::fromCore(m_desk.delayCounterText()));
    m_time->setText(platform::fromCore(m_desk.timeCaption()));
    m_date->setText(platform::fromCore(m_desk.dateCaption()));

    if (m_desk.scheduleTimerEnabled() && !m_timer2.isActive() && !m_ending)
        m_timer2.start(kFirstCheckMs);
    else if (!m_desk.scheduleTimerEnabled())
        m_timer2.stop();

    showFirstStartHint();
    showCommandState();
    // The desk reports the end of every run: a program asked to end during one ends now.
    leaveWhenIdle();
}

void MainWindow::showFirstStartHint()
{
    // Until the directory first changes; a change the operator undoes does not bring the hint back.
    m_firstStart = m_firstStart && store::holdsSampleDirectory(m_folder);
    m_messagePanel->showHint(m_firstStart ? QString::fromLatin1(kFirstStartHint) : QString());
}

// ---- Timers ---------------------------------------------------------------------------------------------

void MainWindow::tickClock()
{
    m_desk.tickClock();
}

void MainWindow::releaseDuePages()
{
    if (portBusy()) {
        m_timer2.start(kPortHeldRetryMs);
        return;
    }
    // What is due is read from the captions: they must show the minute that has just begun.
    m_desk.tickClock();
    m_display.setUnattended(m_desk.retryPolicy().on);
    runSend([this] { m_desk.releaseDuePages(); });
    m_display.setUnattended(false);
    armDueCheck();
}

void MainWindow::armDueCheck()
{
    if (m_desk.scheduleTimerEnabled() && !m_ending)
        m_timer2.start(dispatch::msUntilDueCheck(m_clock.millisecondsIntoMinute()));
    else
        m_timer2.stop();
}

void MainWindow::countPauseTick()
{
    ++m_timer3Ticks;
}

void MainWindow::restoreClock()
{
    if (m_ending)
        return;
    tickClock();
    m_timer1.start();
}

// ---- Hiding, the tray icon and the end -------------------------------------------------------------------

bool MainWindow::canHideToTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && m_trayIcon && m_trayIcon->isVisible();
}

void MainWindow::hideProgram()
{
    // Without a tray icon a hidden window could never be brought back: minimise instead.
    if (canHideToTray())
        hide();
    else
        showMinimized();
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    // Hidden by the program, not minimised by the window manager: the tray icon is the only way back.
    if (!event->spontaneous() && !m_ending)
        m_trayWatch.start();
}

void MainWindow::watchTray()
{
    // The tray's host ended while the window was hidden: minimised, it can still be reached.
    if (isVisible() || m_ending) {
        m_trayWatch.stop();
    } else if (!canHideToTray()) {
        m_trayWatch.stop();
        showMinimized();
    }
}

void MainWindow::restoreWindow()
{
    if (m_ending)
        return;
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    raise();
    activateWindow();
}

void MainWindow::addIconToTray()
{
    // Start-up may run again (sorting, network setup): there is still one icon.
    if (m_trayIcon)
        return;
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    m_trayIcon->setToolTip(QStringLiteral("Tolvane"));
    m_trayIcon->setContextMenu(m_trayMenu);
    // Some notification areas report no double clicks, only single ones: either brings the window back.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            restoreWindow();
    });
    m_trayIcon->show();
}

void MainWindow::removeIconFromTray()
{
    if (m_trayIcon)
        m_trayIcon->hide();
}

void MainWindow::closeFromTray()
{
    endProgram(0);
}

void MainWindow::exitProgram()
{
    endProgram(0);
}

void MainWindow::endProgram(int status)
{
    // Nothing is lost by ending, unless the page queue could not be kept: then the operator decides.
    if (!m_ending && !m_desk.readyToEnd())
        return;
    if (!m_ending) {
        m_ending = true;
        m_exitStatus = status;
        m_display.setEnding(true);
        m_timer1.stop();
        m_timer2.stop();
        m_timer3.stop();
        removeIconFromTray();
        for (const auto& registered : std::as_const(m_windows)) {
            if (registered.window)
                registered.window->hide();
        }
        for (QWidget* window :
            std::initializer_list<QWidget*> { connectionWindow(), m_help, m_about.data(), m_search.data() }) {
            if (window)
                window->hide();
        }
        hide();
    }
    if (runInProgress()) {
        // The present call hangs up as a cancel does and no further company is called; the program ends
        // once the run is over, whichever window started it.
        m_desk.stopRun();
        m_call.cancel();
    }
    leaveWhenIdle();
}

void MainWindow::leaveWhenIdle()
{
    if (m_ending && !runInProgress())
        QCoreApplication::exit(m_exitStatus);
}

// ---- Window events --------------------------------------------------------------------------------------

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMaximized) {
        // The window is never maximised.
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~Qt::WindowMaximized); });
    } else if ((windowState() & Qt::WindowMinimized) && canHideToTray()) {
        QTimer::singleShot(0, this, [this] { hide(); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_ending && !m_desk.readyToEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram(0);
}

} // namespace tolvane::ui
