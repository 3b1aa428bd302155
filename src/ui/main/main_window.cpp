#include "ui/main/main_window.h"

#include "dispatch/message_rules.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/network_file.h"
#include "store/sort_users.h"
#include "store/startup_data.h"
#include "ui/main/about_dialog.h"
#include "ui/main/connection_window.h"
#include "ui/main/help_window.h"
#include "ui/main/message_edit.h"
#include "ui/main/network_setup.h"
#include "ui/main/status_lamp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMetaMethod>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

constexpr int kClockInterval = 20000;
constexpr int kScheduleInterval = 65535;
constexpr int kPauseTickInterval = 250;

// Texts from the core carry CR (or CR LF) as their line break.
QString boxText(const std::string& text)
{
    QString converted = platform::fromCore(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    converted.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return converted;
}

QColor toColour(dispatch::Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QColor colourOfLamp(engine::Lamp lamp)
{
    switch (lamp) {
    case engine::Lamp::Yellow:
        return QColor(255, 255, 0);
    case engine::Lamp::Red:
        return QColor(255, 0, 0);
    case engine::Lamp::Green:
        return QColor(0, 255, 0);
    case engine::Lamp::Black:
        break;
    }
    return QColor(0, 0, 0);
}

// The menu command that shows each companion window.
const char* companionAction(MainWindow::Companion which)
{
    switch (which) {
    case MainWindow::Companion::DirectoryEditor:
        return "MUSERS";
    case MainWindow::Companion::Configuration:
        return "MMODEMS";
    case MainWindow::Companion::CannedMessages:
        return "MCANNED";
    case MainWindow::Companion::Events:
        return "MQUED";
    case MainWindow::Companion::Search:
        break;
    }
    return "MSEARCH";
}

// Marks the window as busy copying the desk's state into its widgets, so the widgets' change signals are
// not taken for the operator's actions.
class SyncGuard {
public:
    explicit SyncGuard(bool& flag)
        : m_flag(flag)
        , m_was(flag)
    {
        m_flag = true;
    }
    ~SyncGuard() { m_flag = m_was; }
    SyncGuard(const SyncGuard&) = delete;
    SyncGuard& operator=(const SyncGuard&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

} // namespace

MainWindow::MainWindow(std::filesystem::path programFolder, engine::SerialLine& line, engine::Pacer& pacer,
    platform::DialogService& dialogs, bool practice, QWidget* parent)
    : QMainWindow(parent)
    , m_folder(std::move(programFolder))
    , m_line(line)
    , m_dialogs(dialogs)
    , m_practice(practice)
    , m_callPacer(pacer)
    , m_desk(m_folder, *this, m_clock)
    , m_call(line, m_callPacer, *this, m_desk.callQueue(), m_folder, m_desk.runState())
    , m_sender(m_call)
{
    setObjectName(QStringLiteral("MAIN"));
    setWindowTitle(practice ? QStringLiteral("Tolvane (practice line)") : QStringLiteral("Tolvane"));
    m_desk.setPageSender(&m_sender);

    m_connection = new ConnectionWindow(this);
    m_help = new HelpWindow(this);

    buildWidgets();
    buildMenus();

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(kClockInterval);
    connect(&m_timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(kScheduleInterval);
    connect(&m_timer2, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setInterval(kPauseTickInterval);
    connect(&m_timer3, &QTimer::timeout, this, &MainWindow::Timer3_Timer);

    m_deskListener = m_desk.addChangeListener([this] { syncFromDesk(); });
    syncFromDesk();
    UpdateToolbarButtons();
}

MainWindow::~MainWindow()
{
    // The widgets go after the desk and the call: nothing they signal while being torn down may reach them.
    m_desk.removeChangeListener(m_deskListener);
    for (QObject* widget : std::initializer_list<QObject*> { m_users, m_groups, m_recipients, m_message })
        widget->disconnect(this);
}

void MainWindow::buildWidgets()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    auto makeButton = [this](const char* name, const QString& caption, void (MainWindow::*handler)()) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };

    // The directory: users above groups, or one of them alone.
    auto* directory = new QVBoxLayout;
    auto* views = new QHBoxLayout;
    views->addWidget(makeButton("Command1", QStringLiteral("Users"), &MainWindow::MVUSERS_Click));
    views->addWidget(makeButton("Command2", QStringLiteral("Groups"), &MainWindow::MVGROUPS_Click));
    views->addWidget(makeButton("Command3", QStringLiteral("Both"), &MainWindow::MBOTH_Click));
    directory->addLayout(views);
    m_usersCaption = new QLabel(QStringLiteral("Users:"), this);
    m_users = new QListWidget(this);
    m_users->setObjectName(QStringLiteral("List1"));
    m_users->setToolTip(QStringLiteral("Double-click a user to add them to the recipients"));
    m_groupsCaption = new QLabel(QStringLiteral("Groups:"), this);
    m_groups = new QListWidget(this);
    m_groups->setObjectName(QStringLiteral("List4"));
    m_groups->setToolTip(QStringLiteral("Double-click a group to add its members to the recipients"));
    directory->addWidget(m_usersCaption);
    directory->addWidget(m_users, 3);
    directory->addWidget(m_groupsCaption);
    directory->addWidget(m_groups, 2);

    // Add and remove between the directory and the recipients.
    auto* arrows = new QVBoxLayout;
    m_addButton = new QToolButton(this);
    m_addButton->setObjectName(QStringLiteral("Image1"));
    m_addButton->setArrowType(Qt::RightArrow);
    m_addButton->setToolTip(QStringLiteral("Add the selected user or group to the recipients"));
    m_addButton->setMinimumSize(32, 32);
    connect(m_addButton, &QToolButton::clicked, this, &MainWindow::Image1_Click);
    m_removeButton = new QToolButton(this);
    m_removeButton->setObjectName(QStringLiteral("Image2"));
    m_removeButton->setArrowType(Qt::LeftArrow);
    m_removeButton->setToolTip(QStringLiteral("Remove the selected recipient"));
    m_removeButton->setMinimumSize(32, 32);
    connect(m_removeButton, &QToolButton::clicked, this, &MainWindow::Image2_Click);
    arrows->addStretch();
    arrows->addWidget(m_addButton);
    arrows->addWidget(m_removeButton);
    arrows->addStretch();

    auto* recipients = new QVBoxLayout;
    auto* recipientsCaption = new QLabel(QStringLiteral("Recipients:"), this);
    recipientsCaption->setMinimumHeight(views->sizeHint().height());
    recipientsCaption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    recipients->addWidget(recipientsCaption);
    m_recipients = new QListWidget(this);
    m_recipients->setObjectName(QStringLiteral("List2"));
    m_recipients->setToolTip(QStringLiteral("Double-click a recipient to remove them"));
    recipients->addWidget(m_recipients, 1);
    recipients->addWidget(makeButton("Command4", QStringLiteral("Clear Recipient List"), &MainWindow::MSENDLIST_Click));

    auto* lists = new QHBoxLayout;
    lists->addLayout(directory, 1);
    lists->addLayout(arrows);
    lists->addLayout(recipients, 1);

    // The message, its character count and its gauge.
    auto* messageHeader = new QHBoxLayout;
    auto* messageCaption = new QLabel(QStringLiteral("Message:"), this);
    messageCaption->setObjectName(QStringLiteral("Label5"));
    m_count = new QLabel(QStringLiteral("0"), this);
    m_count->setObjectName(QStringLiteral("Label1"));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    auto* characters = new QLabel(QStringLiteral("Characters"), this);
    characters->setObjectName(QStringLiteral("Label6"));
    messageHeader->addWidget(messageCaption);
    messageHeader->addStretch();
    messageHeader->addWidget(m_count);
    messageHeader->addWidget(characters);

    m_message = new MessageEdit(this);
    m_message->setObjectName(QStringLiteral("Text1"));
    m_message->setFixedHeight(m_message->fontMetrics().lineSpacing() * 4 + 12);
    QSizePolicy keepRoom = m_message->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_message->setSizePolicy(keepRoom);
    QPalette messagePalette = m_message->palette();
    messagePalette.setColor(QPalette::Base, Qt::black);
    messagePalette.setColor(QPalette::Text, toColour(dispatch::kGaugeGreen));
    m_message->setPalette(messagePalette);
    m_message->setFont(QFont(QStringLiteral("Monospace"), m_message->font().pointSize() + 1));
    connect(m_message, &MessageEdit::textChanged, this, &MainWindow::onMessageEdited);
    connect(m_message, &MessageEdit::returnRefused, this, &MainWindow::onReturnRefused);

    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setTextVisible(false);
    m_gauge->setFixedHeight(14);
    m_gauge->setRange(0, 80);

    // Queue counters and the clock.
    auto* queueFrame = new QGroupBox(QStringLiteral("Que Status"), this);
    queueFrame->setObjectName(QStringLiteral("SSFrame1"));
    auto* queueLayout = new QVBoxLayout(queueFrame);
    m_queueCounter = new QLabel(QStringLiteral("0 Pages in Que"), queueFrame);
    m_queueCounter->setObjectName(QStringLiteral("Label2"));
    m_delayCounter = new QLabel(QStringLiteral("0 Delay Send Pages"), queueFrame);
    m_delayCounter->setObjectName(QStringLiteral("Label9"));
    queueLayout->addWidget(m_queueCounter);
    queueLayout->addWidget(m_delayCounter);

    auto* clockFrame = new QFrame(this);
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
    layout->addLayout(lists, 1);
    layout->addSpacing(4);
    layout->addLayout(messageHeader);
    layout->addWidget(m_message);
    layout->addWidget(m_gauge);
    layout->addSpacing(4);
    layout->addLayout(bottom);

    // The status bar: the status panel, then the lamp with its caption.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("StatusPanel"));
    m_statusPanel->setMinimumWidth(260);
    bar->addWidget(m_statusPanel, 1);
    auto* lampCaption = new QLabel(QStringLiteral("Paging Status"), this);
    lampCaption->setObjectName(QStringLiteral("Label3"));
    bar->addPermanentWidget(lampCaption);
    m_lamp = new StatusLamp(this);
    m_lamp->setObjectName(QStringLiteral("Shape1"));
    bar->addPermanentWidget(m_lamp);

    connect(m_users, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing && row >= 0)
            m_desk.selectUser(row);
    });
    connect(m_users, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.selectUser(m_users->row(item));
    });
    connect(m_users, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.addUser(m_users->row(item));
    });
    connect(m_groups, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing && row >= 0)
            m_desk.selectGroup(row);
    });
    connect(m_groups, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.selectGroup(m_groups->row(item));
    });
    connect(m_groups, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.addGroup(m_groups->row(item));
    });
    connect(m_recipients, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.removeRecipient(m_recipients->row(item));
    });
    auto* removeKey = new QShortcut(QKeySequence::Delete, m_recipients, nullptr, nullptr, Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, &MainWindow::Image2_Click);

    resize(700, 540);
    setMinimumSize(560, 460);
}

QAction* MainWindow::addCommand(
    QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut, void (MainWindow::*handler)())
{
    auto* item = new QAction(caption, this);
    item->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (handler)
        connect(item, &QAction::triggered, this, handler);
    if (menu)
        menu->addAction(item);
    m_actions.insert(item->objectName(), item);
    return item;
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto addMenu = [this, bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    QMenu* file = addMenu("MFILE", QStringLiteral("&File"));
    addCommand(file, "MNETWORK", QStringLiteral("&Network Shared Setup"), {}, &MainWindow::MNETWORK_Click);
    file->addSeparator();
    addCommand(
        file, "MEXIT", QStringLiteral("&Exit"), QKeySequence(QStringLiteral("Ctrl+E")), &MainWindow::MEXIT_Click);

    QMenu* setup = addMenu("MSETUP2", QStringLiteral("&Setup"));
    addCommand(setup, "MUSERS", QStringLiteral("&Users/Groups/Paging Company"), QKeySequence(QStringLiteral("Ctrl+U")),
        nullptr);
    addCommand(setup, "MMODEMS", QStringLiteral("&Modem/Configs"), QKeySequence(QStringLiteral("Ctrl+M")), nullptr);

    QMenu* toolbar = addMenu("MTOOLBAR", QStringLiteral("&Toolbar"));
    QAction* customize
        = addCommand(toolbar, "MSETUP", QStringLiteral("&Customize"), QKeySequence(QStringLiteral("Ctrl+C")), nullptr);
    connect(customize, &QAction::triggered, this, &MainWindow::customizeToolbarRequested);
    QAction* toggle = addCommand(
        toolbar, "MTOGGLE", QStringLiteral("&Toggle Icon Size"), QKeySequence(QStringLiteral("Ctrl+I")), nullptr);
    connect(toggle, &QAction::triggered, this, &MainWindow::toggleIconSizeRequested);

    QMenu* view = addMenu("MVIEW", QStringLiteral("&View"));
    addCommand(view, "MCANNED", QStringLiteral("&Canned Messages"), QKeySequence(Qt::Key_F6), nullptr);
    addCommand(view, "MQUED", QStringLiteral("&Events"), QKeySequence(Qt::Key_F7), nullptr);
    addCommand(
        view, "MCONNECT", QStringLiteral("&Connection Window"), QKeySequence(Qt::Key_F11), &MainWindow::MCONNECT_Click);
    view->addSeparator();
    addCommand(view, "MVUSERS", QStringLiteral("&Users"), {}, &MainWindow::MVUSERS_Click);
    addCommand(view, "MVGROUPS", QStringLiteral("&Groups"), {}, &MainWindow::MVGROUPS_Click);
    addCommand(view, "MBOTH", QStringLiteral("&Both"), {}, &MainWindow::MBOTH_Click);

    QMenu* clear = addMenu("MCLEAR", QStringLiteral("&Clear"));
    addCommand(clear, "MSENDLIST", QStringLiteral("&Recipient List"), {}, &MainWindow::MSENDLIST_Click);
    addCommand(clear, "MMESSAGE", QStringLiteral("&Message Text"), {}, &MainWindow::MMESSAGE_Click);
    addCommand(
        clear, "MCLEARQUE", QStringLiteral("&Clear the Que"), QKeySequence(Qt::Key_F9), &MainWindow::MCLEARQUE_Click);

    QMenu* users = addMenu("MUSRS", QStringLiteral("&Users"));
    addCommand(users, "MSEARCH", QStringLiteral("&Search For"), QKeySequence(QStringLiteral("Ctrl+S")), nullptr);
    addCommand(users, "MSORT", QStringLiteral("S&ort User Records"), {}, &MainWindow::MSORT_Click);

    QMenu* page = addMenu("MPAGE", QStringLiteral("&Page"));
    addCommand(page, "MSEND", QStringLiteral("&Send"), QKeySequence(Qt::Key_F2), &MainWindow::MSEND_Click);
    addCommand(page, "MCANCEL", QStringLiteral("&Cancel"), QKeySequence(Qt::Key_F3), &MainWindow::MCANCEL_Click);
    addCommand(
        page, "MSENDTOQUE", QStringLiteral("&Que Messages"), QKeySequence(Qt::Key_F4), &MainWindow::MSENDTOQUE_Click);
    addCommand(page, "MSENDQUE", QStringLiteral("S&end Queued Messages"), QKeySequence(Qt::Key_F5),
        &MainWindow::MSENDQUE_Click);
    page->addSeparator();
    addCommand(page, "MFORCE", QStringLiteral("&Force Hangup"), QKeySequence(QStringLiteral("Ctrl+F")),
        &MainWindow::MFORCE_Click);

    QMenu* hide = addMenu("MHIDE", QStringLiteral("&Hide"));
    addCommand(
        hide, "MHIDEPROG", QStringLiteral("Hide &Program"), QKeySequence(Qt::Key_F12), &MainWindow::MHIDEPROG_Click);

    QMenu* help = addMenu("MHELP", QStringLiteral("&Help"));
    addCommand(help, "MCONTENTS", QStringLiteral("&Contents"), {}, &MainWindow::MCONTENTS_Click);
    QAction* index
        = addCommand(help, "MINDEX", QStringLiteral("&Index"), QKeySequence(Qt::Key_F1), &MainWindow::MINDEX_Click);
    // The help key works from every window of the program.
    index->setShortcutContext(Qt::ApplicationShortcut);
    help->addSeparator();
    addCommand(help, "MABOUT2", QStringLiteral("&About"), {}, &MainWindow::MABOUT2_Click);

    // Only the notification-area icon shows this menu.
    m_trayMenu = new QMenu(QStringLiteral("Systray"), this);
    m_trayMenu->setObjectName(QStringLiteral("MSYSTRAY"));
    addCommand(m_trayMenu, "MRESTORE", QStringLiteral("Restore"), {}, &MainWindow::MRESTORE_Click);
    addCommand(m_trayMenu, "MCLOSE", QStringLiteral("Close"), {}, &MainWindow::MCLOSE_Click);

    // Commands whose window or toolbar another part of the program supplies stay off until it is there.
    for (const char* name : { "MUSERS", "MMODEMS", "MCANNED", "MQUED", "MSEARCH" }) {
        action(QString::fromLatin1(name))->setEnabled(false);
        connect(action(QString::fromLatin1(name)), &QAction::triggered, this, [this, name] {
            for (const Companion which : { Companion::DirectoryEditor, Companion::Configuration,
                     Companion::CannedMessages, Companion::Events, Companion::Search }) {
                if (qstrcmp(companionAction(which), name) == 0)
                    showCompanion(which);
            }
        });
    }
    customize->setEnabled(false);
    toggle->setEnabled(false);
    for (const char* name : { "MSEND", "MCANCEL", "MSENDTOQUE", "MSENDQUE" })
        action(QString::fromLatin1(name))->setEnabled(false);
}

void MainWindow::connectNotify(const QMetaMethod& signal)
{
    QMainWindow::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&MainWindow::customizeToolbarRequested))
        action(QStringLiteral("MSETUP"))->setEnabled(true);
    else if (signal == QMetaMethod::fromSignal(&MainWindow::toggleIconSizeRequested))
        action(QStringLiteral("MTOGGLE"))->setEnabled(true);
}

QAction* MainWindow::action(const QString& name) const
{
    return m_actions.value(name, nullptr);
}

void MainWindow::setCompanionWindow(Companion which, std::function<QWidget*()> create)
{
    m_companionFactories.insert(static_cast<int>(which), std::move(create));
    action(QString::fromLatin1(companionAction(which)))->setEnabled(true);
}

void MainWindow::showCompanion(Companion which)
{
    const int key = static_cast<int>(which);
    QPointer<QWidget> window = m_companions.value(key);
    if (!window) {
        const auto factory = m_companionFactories.value(key);
        if (!factory)
            return;
        window = factory();
        if (!window)
            return;
        m_companions.insert(key, window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

bool MainWindow::startUp()
{
    try {
        // Locate the data files, pick the port, load the settings.
        const store::StartupData startup = store::decideDataFolder(m_folder.programFolder());
        m_folder.setSharedFolder(startup.folder.sharedFolder());
        if (!startup.caption.empty()) {
            QString caption = platform::fromCore(startup.caption);
            if (m_practice)
                caption += QStringLiteral(" (practice line)");
            setWindowTitle(caption);
        }
        if (startup.outcome == store::StartupDataOutcome::MissingInstallationFile
            || startup.outcome == store::StartupDataOutcome::GeneralError)
            return reportStartUpFailure({ startup.errorNumber, startup.errorDescription });

        try {
            m_line.setPortNumber(startup.portNumber);
            if (m_line.isOpen())
                m_line.discardInput();
        } catch (const engine::SerialError& error) {
            if (error.number() == engine::kInvalidPortNumber) {
                if (!reportStartUpFailure({ 380, "Invalid property value" }))
                    return false;
            } else if (!reportStartUpFailure({ error.number(), error.what() })) {
                return false;
            }
        }
        m_desk.setSettings(startup.settings);

        centreOnScreen();
        show();

        if (startup.outcome == store::StartupDataOutcome::NetworkDeviceUnavailable) {
            // The window stays open without the directory; the clock still runs, so whatever the operator
            // queues meanwhile carries the right time.
            Timer1_Timer();
            m_timer1.start();
            UpdateToolbarButtons();
            return reportStartUpFailure({ startup.errorNumber, startup.errorDescription });
        }

        // An empty user file (a new shared folder, say) starts with empty lists: the operator must be able to
        // reach the editor to add the first user.
        m_desk.loadUsers();
        m_desk.loadGroups();
        m_desk.setActiveList(dispatch::ActiveList::Both);
        if (!m_desk.userList().empty())
            m_desk.selectUser(0);

        Timer1_Timer();
        m_timer1.start();
        UpdateToolbarButtons();
        return true;
    } catch (const std::exception& error) {
        return reportStartUpFailure({ 51, error.what() });
    }
}

bool MainWindow::reportStartUpFailure(const StartUpFailure& failure)
{
    switch (failure.number) {
    case 68:
        m_dialogs.message(
            QStringLiteral("Nework device unavailable. Please connect to the network then restart Tolvane."));
        return true;
    case 380:
        m_dialogs.message(QStringLiteral("You are missing a file from the original installation, or you network "
                                         "connection is down. please reinstall any missing files or restore "
                                         "network connection then restart"),
            {}, platform::DialogService::Icon::Critical);
        return false;
    case engine::kHardwareNotAvailable:
    case engine::kPortAlreadyOpen:
        m_dialogs.message(QStringLiteral("Comm port is in use by another app close app before paging"));
        return true;
    default:
        m_dialogs.message(QStringLiteral("Error # %1 was generated by Tolvane\n%2")
                              .arg(failure.number)
                              .arg(platform::fromCore(failure.description)),
            QStringLiteral("Error"));
        return false;
    }
}

void MainWindow::centreOnScreen()
{
    // Centred once; a re-run of the start-up leaves the window where the operator put it.
    if (m_centred)
        return;
    m_centred = true;
    const QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}

// ---- engine::CallView ---------------------------------------------------------------------------------

void MainWindow::setStatus(const std::string& text)
{
    m_statusPanel->setText(platform::fromCore(text));
}

void MainWindow::setLamp(engine::Lamp lamp)
{
    // The call's own colour stays until the operator edits again, so the outcome of a run stays visible.
    m_lampHeldByCall = true;
    m_lamp->setColour(colourOfLamp(lamp));
}

void MainWindow::appendLog(const std::string& line)
{
    m_connection->appendLine(platform::fromCore(line));
}

void MainWindow::clearLog()
{
    m_connection->clear();
}

void MainWindow::showConnectionWindow()
{
    m_connection->show();
    m_connection->raise();
}

void MainWindow::hideConnectionWindow()
{
    m_connection->hide();
}

void MainWindow::messageBox(const std::string& text, const std::string& title)
{
    m_dialogs.message(boxText(text), platform::fromCore(title));
}

bool MainWindow::askYesNo(const std::string& text)
{
    return m_dialogs.ask(boxText(text));
}

void MainWindow::beep()
{
    QApplication::beep();
}

void MainWindow::refreshCommands()
{
    applyCommandState(true);
}

void MainWindow::callEnded()
{
    Timer1_Timer();
    m_timer1.start();
}

// ---- Command enabling -----------------------------------------------------------------------------------

bool MainWindow::runInProgress() const
{
    return m_sending || m_desk.runInProgress() || m_call.callInProgress();
}

void MainWindow::UpdateToolbarButtons()
{
    m_desk.UpdateToolbarButtons();
}

void MainWindow::applyCommandState(bool lamp)
{
    bool portOpen = false;
    try {
        portOpen = m_line.isOpen();
    } catch (const std::exception&) {
        // A port that cannot tell is taken as closed.
    }
    const dispatch::CommandState state = m_desk.commandState(portOpen);
    const bool running = state.runInProgress || runInProgress();
    action(QStringLiteral("MSEND"))->setEnabled(state.send && !running);
    action(QStringLiteral("MSENDTOQUE"))->setEnabled(state.queue);
    action(QStringLiteral("MSENDQUE"))->setEnabled(state.sendQueue && !running);
    action(QStringLiteral("MCANCEL"))->setEnabled(state.cancel || running);
    action(QStringLiteral("MCLEARQUE"))->setEnabled(state.clearQueue);
    // Both re-run the start-up sequence, which must not change the folder or the port under a call.
    action(QStringLiteral("MNETWORK"))->setEnabled(!running);
    action(QStringLiteral("MSORT"))->setEnabled(!running);
    if (lamp && state.lampYellow && !m_lampHeldByCall)
        m_lamp->setColour(colourOfLamp(engine::Lamp::Yellow));
}

// ---- Showing the desk -----------------------------------------------------------------------------------

void MainWindow::syncList(QListWidget* list, const std::vector<std::string>& items, std::vector<std::string>& shown)
{
    if (items == shown)
        return;
    shown = items;
    const QSignalBlocker blocker(list);
    list->clear();
    for (const auto& item : items)
        list->addItem(platform::fromCore(item));
}

void MainWindow::syncFromDesk()
{
    const SyncGuard guard(m_syncing);

    syncList(m_users, m_desk.userList(), m_shownUsers);
    syncList(m_groups, m_desk.groupList(), m_shownGroups);
    syncList(m_recipients, m_desk.recipients(), m_shownRecipients);

    const dispatch::ActiveList visible = m_desk.visibleLists();
    const bool usersShown = visible != dispatch::ActiveList::Groups;
    const bool groupsShown = visible != dispatch::ActiveList::Users;
    m_users->setVisible(usersShown);
    m_usersCaption->setVisible(usersShown);
    m_groups->setVisible(groupsShown);
    m_groupsCaption->setVisible(groupsShown);

    auto select = [](QListWidget* list, int row) {
        const QSignalBlocker blocker(list);
        if (row >= 0 && row < list->count()) {
            list->setCurrentRow(row);
        } else {
            list->clearSelection();
            list->setCurrentRow(-1);
        }
    };
    select(m_users, m_desk.selectedUser());
    select(m_groups, m_desk.selectedGroup());

    syncMessage();

    m_queueCounter->setText(platform::fromCore(m_desk.queueCounterText()));
    m_delayCounter->setText(platform::fromCore(m_desk.delayCounterText()));
    m_time->setText(platform::fromCore(m_desk.timeCaption()));
    m_date->setText(platform::fromCore(m_desk.dateCaption()));

    if (m_desk.scheduleTimerEnabled() && !m_timer2.isActive())
        m_timer2.start();
    else if (!m_desk.scheduleTimerEnabled() && m_timer2.isActive())
        m_timer2.stop();

    applyCommandState(false);
}

void MainWindow::syncMessage()
{
    m_message->setVisible(m_desk.messageBoxVisible());
    const QString wanted = platform::fromCore(m_desk.message());
    if (m_message->toPlainText() != wanted) {
        const QSignalBlocker blocker(m_message);
        m_message->setPlainText(wanted);
        m_message->moveCursor(QTextCursor::End);
    }
    m_message->setMaxLength(m_desk.messageLimit());
    // A lower limit cut the message in the box: the desk takes the shorter text once this update is over.
    if (platform::toCore(m_message->toPlainText()) != m_desk.message())
        QMetaObject::invokeMethod(this, &MainWindow::onMessageEdited, Qt::QueuedConnection);

    const dispatch::MessageGauge gauge = m_desk.gauge();
    m_count->setText(platform::fromCore(gauge.countLabel));
    m_gauge->setMaximum(gauge.gaugeMaximum);
    m_gauge->setValue(gauge.gaugeValue);
    const QColor colour = toColour(gauge.colour);
    if (m_gaugeColour != colour) {
        m_gaugeColour = colour;
        m_gauge->setStyleSheet(
            QStringLiteral("QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
                           "QProgressBar::chunk { background-color: %1; }")
                .arg(colour.name()));
        QPalette palette = m_message->palette();
        palette.setColor(QPalette::Text, colour);
        m_message->setPalette(palette);
    }
}

QColor MainWindow::gaugeColour() const
{
    return m_gaugeColour;
}

QColor MainWindow::messageTextColour() const
{
    return m_message->palette().color(QPalette::Text);
}

QString MainWindow::statusText() const
{
    return m_statusPanel->text();
}

QColor MainWindow::lampColour() const
{
    return m_lamp->colour();
}

void MainWindow::onMessageEdited()
{
    if (m_syncing)
        return;
    const std::string text = platform::toCore(m_message->toPlainText());
    if (text == m_desk.message())
        return;
    m_lampHeldByCall = false;
    m_desk.setMessage(text);
    if (m_desk.gauge().limitReached)
        m_dialogs.message(platform::fromCore(dispatch::kLimitReachedMessage));
}

void MainWindow::onReturnRefused()
{
    m_desk.refuseKey(13);
}

// ---- Commands -------------------------------------------------------------------------------------------

void MainWindow::MNETWORK_Click()
{
    if (runInProgress())
        return;
    const QString chosen
        = m_dialogs.openFileName(QString::fromLatin1(kNetworkDialogTitle), QString::fromLatin1(kNetworkDialogFilter));
    // Cancelling, or choosing another file, switches the workstation back to its own folder.
    try {
        store::applyNetworkSetup(m_folder, chosenFilePath(chosen));
    } catch (const std::exception& error) {
        m_desk.reportError(error);
        return;
    }
    if (!startUp())
        endProgram(kStartUpFailedExitStatus);
}

void MainWindow::MSORT_Click()
{
    if (runInProgress())
        return;
    store::SortUsers(m_folder);
    if (!startUp())
        endProgram(kStartUpFailedExitStatus);
}

void MainWindow::beforeRun()
{
    // The clock stands still during a call; the call's end restarts it.
    m_timer1.stop();
    m_sending = true;
    applyCommandState(false);
}

void MainWindow::afterRun()
{
    m_sending = false;
    applyCommandState(false);
    if (!m_timer1.isActive() && !m_ending) {
        Timer1_Timer();
        m_timer1.start();
    }
}

void MainWindow::MSEND_Click()
{
    if (runInProgress())
        return;
    beforeRun();
    m_desk.sendSingle();
    afterRun();
}

void MainWindow::MSENDTOQUE_Click()
{
    m_desk.QueMessage();
}

void MainWindow::MSENDQUE_Click()
{
    if (runInProgress())
        return;
    beforeRun();
    m_desk.sendQueue();
    afterRun();
}

void MainWindow::MCANCEL_Click()
{
    m_call.cancel();
}

void MainWindow::MFORCE_Click()
{
    m_call.forceHangUp();
    UpdateToolbarButtons();
}

void MainWindow::MSENDLIST_Click()
{
    m_lampHeldByCall = false;
    m_desk.clearRecipients();
}

void MainWindow::MMESSAGE_Click()
{
    m_lampHeldByCall = false;
    m_desk.clearMessage();
}

void MainWindow::MCLEARQUE_Click()
{
    m_desk.clearQueue();
}

void MainWindow::MVUSERS_Click()
{
    m_desk.showUsers();
}

void MainWindow::MVGROUPS_Click()
{
    m_desk.showGroups();
}

void MainWindow::MBOTH_Click()
{
    m_desk.showBoth();
}

void MainWindow::Image1_Click()
{
    m_lampHeldByCall = false;
    m_desk.ItemWasClicked();
}

void MainWindow::Image2_Click()
{
    m_lampHeldByCall = false;
    m_desk.removeRecipient(m_recipients->currentRow());
}

void MainWindow::MCONNECT_Click()
{
    showConnectionWindow();
    m_connection->activateWindow();
}

bool MainWindow::canHideToTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && m_trayIcon && m_trayIcon->isVisible();
}

void MainWindow::MHIDEPROG_Click()
{
    // Without a tray icon a hidden window could never be brought back: minimise instead.
    if (canHideToTray())
        hide();
    else
        showMinimized();
}

void MainWindow::MRESTORE_Click()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    raise();
    activateWindow();
}

void MainWindow::MCLOSE_Click()
{
    endProgram(0);
}

void MainWindow::MEXIT_Click()
{
    endProgram(0);
}

void MainWindow::MCONTENTS_Click()
{
    m_help->showContents();
}

void MainWindow::MINDEX_Click()
{
    m_help->showIndex();
}

void MainWindow::MABOUT2_Click()
{
    if (!m_about)
        m_about = new AboutDialog(m_practice, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainWindow::endProgram(int status)
{
    if (m_ending)
        return;
    m_ending = true;
    // A call in progress ends at its next polling round and closes the port itself.
    if (runInProgress())
        m_desk.runState().cancelRequest = true;
    m_timer1.stop();
    m_timer2.stop();
    m_timer3.stop();
    if (m_trayIcon)
        m_trayIcon->hide();
    for (const auto& window : std::as_const(m_companions)) {
        if (window)
            window->hide();
    }
    m_connection->hide();
    m_help->hide();
    if (m_about)
        m_about->hide();
    hide();
    QCoreApplication::exit(status);
}

// ---- Timers ---------------------------------------------------------------------------------------------

void MainWindow::Timer1_Timer()
{
    m_desk.Timer1_Timer();
}

void MainWindow::Timer2_Timer()
{
    if (runInProgress())
        return;
    beforeRun();
    m_desk.Timer2_Timer();
    afterRun();
}

void MainWindow::Timer3_Timer()
{
    ++m_timer3Ticks;
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
    event->accept();
    endProgram(0);
}

} // namespace tolvane::ui
