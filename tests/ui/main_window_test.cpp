#include "ui/main/main_window.h"

#include "dispatch/clock.h"
#include "engine/queue_entry.h"
#include "platform/dialog_service.h"
#include "store/defaults.h"
#include "store/network_file.h"
#include "store/record_file.h"
#include "store/records.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/happy_terminal.h"
#include "testkit/scripted_line.h"
#include "testkit/temp_folder.h"
#include "testkit/virtual_pacer.h"
#include "ui/main/connection_window.h"
#include "ui/main/help_window.h"
#include "ui/main/message_edit.h"
#include "ui/main/network_setup.h"
#include "ui/main/painting_pacer.h"
#include "ui/main/toolbar_customize_dialog.h"
#include "ui/main/toolbars.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

using namespace tolvane;

QT_BEGIN_NAMESPACE
// Readable failures: gtest prints QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QColor& colour, std::ostream* out)
{
    *out << colour.name().toStdString();
}
QT_END_NAMESPACE

namespace {

const QString kMissingFile = QStringLiteral(
    "You are missing a file from the original installation, or you network connection is down. please reinstall "
    "any missing files or restore network connection then restart");
const QString kNetworkDown
    = QStringLiteral("Nework device unavailable. Please connect to the network then restart Tolvane.");
const QString kReturnRefused = QStringLiteral("Don't Use Return Key in Message Text!");
const QString kLimitReached
    = QStringLiteral("You have reached you message limit if this pager comany excepts larger message lenghts then "
                     "change the max characters option for the pager company in terminal setup");

// Always 09:05 AM on 12/06/2026.
class FixedClock final : public dispatch::Clock {
public:
    std::string timeText() const override { return time; }
    std::string dateText() const override { return "12/06/2026"; }
    std::optional<int> minuteOfDay(std::string_view text) const override { return dispatch::parseTime(text); }
    std::optional<dispatch::CalendarDate> dateOf(std::string_view text) const override
    {
        return dispatch::parseShortDate(text);
    }
    int millisecondsIntoMinute() const override { return 52'000; }
    std::string time = "09:05 AM";
};

// The scripted answerer, also keeping each box's title and icon.
class BoxRecorder final : public platform::DialogService {
public:
    void queueFileName(const QString& name) { m_script.queueFileName(name); }
    void queueChoice(int index) { m_script.queueChoice(index); }
    void queueAnswer(bool yes) { m_script.queueAnswer(yes); }
    const QStringList& messages() const { return m_script.messages(); }
    const QStringList& fileDialogs() const { return m_script.fileDialogs(); }
    const QStringList& questions() const { return m_script.questions(); }

    QStringList titles;
    QList<Icon> icons;

protected:
    void showMessage(const QString& text, const QString& title, Icon icon) override
    {
        titles << title;
        icons << icon;
        m_script.message(text, title, icon);
    }
    bool askQuestion(const QString& text, const QString& title) override { return m_script.ask(text, title); }
    QString chooseFile(const QString& title, const QString& filter) override
    {
        return m_script.openFileName(title, filter);
    }
    int chooseAmong(const QString& text, const QString& title, const QStringList& choices) override
    {
        return m_script.choose(text, title, choices);
    }
    QString chooseFolder(const QString& title) override { return m_script.openFolderName(title); }

private:
    platform::ScriptedDialogService m_script;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : line(clock)
        , pacer(clock)
    {
        data.users = { testkit::DataFolderFixture::user("Dana Whitlow", "5550142", "Ravenpage") };
        data.write();
        store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), "");
        // The toolbar layouts of this test only.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(data.path().string()));
    }

    ui::MainWindow& makeWindow(bool practice = false)
    {
        window = std::make_unique<ui::MainWindow>(data.path(), line, pacer, dialogs, practice);
        window->setClockOverride(&fixedClock);
        return *window;
    }

    ui::MainWindow& startWindow()
    {
        makeWindow();
        EXPECT_TRUE(window->startUp());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    template <class T> T* child(const char* name) const { return window->findChild<T*>(QString::fromLatin1(name)); }
    QListWidget* list(const char* name) const { return child<QListWidget>(name); }
    // The connection window has a Text1 of its own.
    QPlainTextEdit* messageBox() const { return child<ui::MessageEdit>("Text1"); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    bool enabled(const char* name) const { return window->action(QString::fromLatin1(name))->isEnabled(); }
    void trigger(const char* name) { window->action(QString::fromLatin1(name))->trigger(); }
    QToolBar* toolbar(bool large) const { return window->toolbars().toolbar(large); }
    QAbstractButton* button(bool large, const char* name) const
    {
        return qobject_cast<QAbstractButton*>(
            toolbar(large)->widgetForAction(window->action(QString::fromLatin1(name))));
    }
    // The one state reaches the menu item and the button on both toolbars together.
    bool enabledEverywhere(const char* name) const
    {
        for (const bool large : { false, true })
            EXPECT_EQ(button(large, name)->isEnabled(), enabled(name))
                << name << (large ? " on Toolbar2" : " on Toolbar1");
        return enabled(name);
    }
    static QString savedLayout(const char* name)
    {
        return QSettings(
            QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tolvane"), QStringLiteral("Tolvane"))
            .value(QStringLiteral("1/%1/True").arg(QLatin1String(name)))
            .toString();
    }
    std::int16_t storedLargeIcons() const
    {
        return store::readRecordAt<store::SettingsRecord>(data.folder().programPath("SETTINGS.DAT")).LargeIcons;
    }

    // A list's entries without their padding, joined by "|".
    QString items(const char* name) const
    {
        QStringList texts;
        QListWidget* widget = list(name);
        for (int i = 0; i < widget->count(); ++i)
            texts << widget->item(i)->text().trimmed();
        return texts.join(QLatin1Char('|'));
    }

    void doubleClick(const char* listName, int row)
    {
        QListWidget* widget = list(listName);
        widget->scrollToItem(widget->item(row));
        const QPoint at = widget->visualItemRect(widget->item(row)).center();
        // A real double-click starts with a click: press, release, then the second press.
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, at);
    }

    // The gauge's colour, then the message text's.
    QString colours() const
    {
        return window->gaugeColour().name() + QLatin1Char(' ') + window->messageTextColour().name();
    }

    void type(const QString& text)
    {
        messageBox()->setFocus();
        QTest::keyClicks(messageBox(), text);
    }

    testkit::DataFolderFixture data;
    testkit::VirtualClock clock;
    testkit::ScriptedLine line;
    testkit::VirtualPacer pacer;
    BoxRecorder dialogs;
    FixedClock fixedClock;
    std::unique_ptr<ui::MainWindow> window;
};

// ---- Start-up -------------------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartUpWithEmptyNetworkValueUsesTheProgramFolder)
{
    data.config.CommPort = "COMM3";
    data.users.push_back(testkit::DataFolderFixture::user("Alex Moreno", "5550111", "Ravenpage"));
    data.write();
    data.writeGroups({ "Night Shift" });
    startWindow();

    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane"));
    EXPECT_TRUE(window->dataFolder().sharedFolder().empty());
    EXPECT_EQ(line.portNumber(), 3);
    EXPECT_EQ(items("List1"), QStringLiteral("Dana Whitlow|Alex Moreno"));
    EXPECT_EQ(items("List4"), QStringLiteral("Night Shift"));
    // The first user is selected, so the user list is the one in use.
    EXPECT_EQ(list("List1")->currentRow(), 0);
    EXPECT_EQ(window->desk().activeList(), dispatch::ActiveList::Users);
    EXPECT_FALSE(messageBox()->isVisible());
    EXPECT_EQ(label("Label7"), QStringLiteral("09:05 AM"));
    EXPECT_EQ(label("Label8"), QStringLiteral("12/06/2026"));
    EXPECT_TRUE(window->timer1().isActive());
    EXPECT_EQ(window->timer1().interval(), 20000);
    EXPECT_FALSE(window->timer2().isActive());
    EXPECT_FALSE(window->timer3().isActive());
    EXPECT_EQ(window->timer3().interval(), 250);

    fixedClock.time = "01:40 PM";
    window->tickClock();
    EXPECT_EQ(label("Label7"), QStringLiteral("01:40 PM"));
}

struct StartUpCase {
    const char* name;
    std::function<void(testkit::DataFolderFixture&)> prepare;
    bool starts;
    QString message; // the one box shown; empty: none
    bool messageIsPrefix;
    QString title; // when it starts
    platform::DialogService::Icon icon = platform::DialogService::Icon::None;
    QString boxTitle = {}; // empty: the program's name
};

class StartUpTest : public MainWindowTest, public ::testing::WithParamInterface<StartUpCase> { };

TEST_P(StartUpTest, EndsOrStartsWithEmptyListsAndTheRightMessage)
{
    const StartUpCase& c = GetParam();
    c.prepare(data);
    makeWindow();
    EXPECT_EQ(window->startUp(), c.starts);
    if (c.message.isEmpty()) {
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(QLatin1Char('|')).toStdString();
    } else {
        ASSERT_EQ(dialogs.messages().size(), 1);
        const QString shown = dialogs.messages().front();
        EXPECT_EQ(c.messageIsPrefix ? shown.left(c.message.size()) : shown, c.message);
        EXPECT_EQ(dialogs.icons.front(), c.icon);
        EXPECT_EQ(dialogs.titles.front(), c.boxTitle);
    }
    if (c.starts) {
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), c.title);
        EXPECT_EQ(list("List1")->count(), 0);
        EXPECT_TRUE(window->timer1().isActive());
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, StartUpTest,
    ::testing::Values(StartUpCase { "MissingConfigFile", [](auto& data) { data.remove("CONFIG.DAT"); }, false,
                          kMissingFile, false, {}, platform::DialogService::Icon::Critical },
        // The general error box is a plain one titled "Error"; only the missing-file box is critical.
        StartUpCase { "MissingNetworkFile",
            [](auto& data) { std::filesystem::remove(data.folder().programPath("NETWORK.DAT")); }, false,
            QStringLiteral("Error # 53 was generated by Tolvane\n"), true, {}, platform::DialogService::Icon::None,
            QStringLiteral("Error") },
        // An empty user file must not lock the operator out of the program.
        StartUpCase { "EmptyUserFile",
            [](auto& data) {
                data.users.clear();
                data.write();
            },
            true, {}, false, QStringLiteral("Tolvane") },
        // Start-up's own reading of the directory fails through the start-up error handler.
        StartUpCase { "UnreadableUserFile",
            [](auto& data) {
                data.remove("USERS.DAT");
                std::filesystem::create_directory(data.folder().programPath("USERS.DAT"));
            },
            false, QStringLiteral("Error # 75 was generated by Tolvane\n"), true, {},
            platform::DialogService::Icon::None, QStringLiteral("Error") },
        StartUpCase { "UnreachableSharedFolder",
            [](auto& data) {
                store::writeNetworkFile(
                    data.folder().programPath("NETWORK.DAT"), (data.path() / "gone").string() + "/");
            },
            true, kNetworkDown, false, QStringLiteral("Tolvane Network-Shared") }),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Network setup and sorting ----------------------------------------------------------------------------

struct NetworkCase {
    const char* chosenFile; // in the shared folder; empty: the dialog is cancelled
    bool shared;
    const char* sharedName = "shared"; // UTF-8, as the file system names it
};

class NetworkSetupTest : public MainWindowTest, public ::testing::WithParamInterface<NetworkCase> { };

TEST_P(NetworkSetupTest, ChoosingTheUserFileSharesItsFolder)
{
    const NetworkCase c = GetParam();
    const auto shared = data.path() / c.sharedName;
    std::filesystem::create_directories(shared);
    store::writeRecordAt(shared / "USERS.DAT", 1, testkit::DataFolderFixture::user("Shared User", "1", "Ravenpage"));
    startWindow();

    dialogs.queueChoice(0); // an existing shared directory
    if (*c.chosenFile)
        dialogs.queueFileName(QString::fromStdString((shared / c.chosenFile).string()));
    window->setUpNetworkShare();

    ASSERT_EQ(dialogs.fileDialogs().size(), 1);
    const QStringList dialog = dialogs.fileDialogs().front().split(QLatin1Char('|'));
    EXPECT_EQ(dialog.front(), QStringLiteral("Set Network Path for Shared Files"));
    for (const char* name : { "USERS.DAT", "Users.dat", "users.dat" })
        EXPECT_TRUE(dialog.back().contains(QString::fromLatin1(name))) << name;

    const std::string folder = c.shared ? shared.string() + "/" : std::string();
    EXPECT_EQ(testkit::readFile(data.folder().programPath("NETWORK.DAT")), "\"" + folder + "\"\r\n");
    EXPECT_EQ(window->windowTitle(), c.shared ? QStringLiteral("Tolvane Network-Shared") : QStringLiteral("Tolvane"));
    // Start-up ran again and listed the users of the folder now in use.
    EXPECT_EQ(items("List1"), c.shared ? QStringLiteral("Shared User") : QStringLiteral("Dana Whitlow"));
}

INSTANTIATE_TEST_SUITE_P(Files, NetworkSetupTest,
    // Which chosen names share a folder is the store's rule; here one that does, one that does not, a cancel.
    ::testing::Values(NetworkCase { "Users.dat", true }, NetworkCase { "notes.txt", false }, NetworkCase { "", false },
        // A folder name outside ASCII is kept in the file system's own bytes, or the folder is never found.
        NetworkCase { "USERS.DAT", true, "caf\xc3\xa9 \xe5\x85\xb1\xe4\xba\xab" }));

TEST_F(MainWindowTest, ANewSharedDirectoryIsMadeOnlyInAFolderWithoutOneCopiedOrEmpty)
{
    data.writeGroups({ "Night Shift" });
    startWindow();
    const auto path = [this](const char* name) {
        std::filesystem::create_directories(data.path() / name);
        return QString::fromStdString((data.path() / name).string());
    };
    // A folder holding part of a directory is refused; nothing changes.
    const QString taken = path("taken");
    std::ofstream(data.path() / "taken" / "GROUP.DAT") << "x";
    dialogs.queueChoice(1);
    dialogs.queueFileName(taken);
    dialogs.queueChoice(0);
    window->setUpNetworkShare();
    EXPECT_TRUE(
        dialogs.messages().last().startsWith(QStringLiteral("The folder %1 already holds GROUP.DAT").arg(taken)));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane"));

    const std::string ownUsers = testkit::readFile(data.path() / "USERS.DAT");
    for (const bool copy : { true, false }) {
        const char* name = copy ? "copied" : "empty";
        dialogs.queueChoice(1);
        dialogs.queueFileName(path(name));
        dialogs.queueChoice(copy ? 0 : 1);
        window->setUpNetworkShare();
        EXPECT_EQ(testkit::readFile(data.folder().programPath("NETWORK.DAT")),
            "\"" + (data.path() / name).string() + "/\"\r\n");
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane Network-Shared"));
        EXPECT_EQ(testkit::readFile(data.path() / name / "USERS.DAT"), copy ? ownUsers : "");
        EXPECT_EQ(items("List1"), copy ? QStringLiteral("Dana Whitlow") : QString());
        EXPECT_EQ(list("List4")->count(), copy ? 1 : 0);
    }
    dialogs.queueChoice(2);
    window->setUpNetworkShare();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane"));
    EXPECT_EQ(items("List1"), QStringLiteral("Dana Whitlow"));
}

TEST_F(MainWindowTest, ARerunIntoASharedFolderThatCannotBeReachedListsNothing)
{
    data.writeGroups({ "Night Shift" });
    startWindow();
    ASSERT_EQ(list("List1")->count(), 1);
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), (data.path() / "gone").string() + "/");
    trigger("MSORT");
    EXPECT_EQ(dialogs.messages(), QStringList { kNetworkDown });
    EXPECT_EQ(list("List1")->count(), 0);
    EXPECT_EQ(list("List4")->count(), 0);
}

// The "View" button runs its command, then the enabling rules: the queue filled behind the window's back counts.
TEST_F(MainWindowTest, TheViewButtonShowsTheConnectionLogAndExitEndsTheProgramNormally)
{
    startWindow();
    window->callView().appendLog("ATZ");
    window->callView().appendLog("OK");
    window->desk().pageQueue().insert(testkit::DataFolderFixture::entryFor(data.users.front(), "waiting page"));
    ASSERT_FALSE(enabled("MSENDQUE"));
    QTest::mouseClick(button(false, "MCONNECT"), Qt::LeftButton);
    EXPECT_TRUE(enabledEverywhere("MSENDQUE"));
    EXPECT_TRUE(window->connectionWindow()->isVisible());
    EXPECT_EQ(window->connectionWindow()->windowTitle(), QStringLiteral("View Connection..."));
    EXPECT_EQ(window->connectionWindow()->text(), QStringLiteral("ATZ\nOK\n"));
    // A box from the core comes in Windows-1252 with CR line breaks.
    window->callView().messageBox("Caf\xe9\rclosed", "Error");
    EXPECT_EQ(dialogs.messages(), QStringList { QStringLiteral("Caf\u00e9\nclosed") });

    QTimer::singleShot(0, window.get(), [this] { trigger("MEXIT"); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->connectionWindow()->isVisible());
    EXPECT_FALSE(window->timer1().isActive());
}

TEST_F(MainWindowTest, AFailedRerunOfStartUpEndsTheProgramWithStatusFour)
{
    startWindow();
    data.remove("CONFIG.DAT");
    dialogs.queueChoice(2); // this workstation's own directory
    QTimer::singleShot(0, window.get(), [this] { window->setUpNetworkShare(); });
    EXPECT_EQ(QApplication::exec(), ui::kStartUpFailedExitStatus);
    EXPECT_EQ(dialogs.messages(), QStringList { kMissingFile });
}

// ---- Commands, menus and toolbars ------------------------------------------------------------------------

const QString kDesignLayout
    = QStringLiteral("Groups,Config,-,ClearSend,ClearMessage,ClearQueued,Search,Sort,ToolConfig,"
                     "ToolToggle,View,Que,Canned,-,SendQue,queueMessage,SendPage,CancelPage,-,"
                     "About,ViewHelp,Exit");

// Each command's menu item, and the key and tips of its button on each toolbar (none: not on the toolbars).
TEST_F(MainWindowTest, CommandsCarryTheirCaptionsShortcutsAndButtonsOnBothToolbars)
{
    startWindow();
    const struct {
        const char* name;
        const char* caption;
        const char* shortcut;
        const char* key = "";
        const char* smallTip = "";
        const char* largeTip = "";
    } commands[] = {
        { "MNETWORK", "&Network Shared Setup", "" },
        { "MEXIT", "&Exit", "Ctrl+E", "Exit", "Exit Program", "Exit Program" },
        { "MUSERS", "&Users/Groups/Paging Company", "Ctrl+U", "Groups", "User/Group/Page Company Setup",
            "Setup Users/Goups/Paging" },
        { "MMODEMS", "&Modem/Configs", "Ctrl+M", "Config", "Modem/Configs Settings", "Setup Modem/Configs" },
        { "MSETUP", "&Customize", "Ctrl+C", "ToolConfig", "Customize Toolbar", "Customize Toolbar" },
        { "MTOGGLE", "&Toggle Icon Size", "Ctrl+I", "ToolToggle", "Toggle Icon Size", "Toggle Icon Size" },
        { "MCANNED", "&Canned Messages", "F6", "Canned", "Canned Messages", "Canned Messages" },
        { "MQUED", "&Events", "F7", "Que", "View Events", "View Events" },
        { "MCONNECT", "&Connection Window", "F11", "View", "View Connection Window", "View Connection Window" },
        { "MVUSERS", "&Users", "" },
        { "MVGROUPS", "&Groups", "" },
        { "MBOTH", "&Both", "" },
        { "MSENDLIST", "&Recipient List", "", "ClearSend", "Clear Send List", "Clear Recipient List" },
        { "MMESSAGE", "&Message Text", "", "ClearMessage", "Clear Message Text", "Clear Message Text" },
        { "MCLEARQUE", "&Clear the Que", "F9", "ClearQueued", "Clear The Que", "Clear Queued Messages" },
        { "MSEARCH", "&Search For", "Ctrl+S", "Search", "Search User List", "Search User List" },
        { "MSORT", "S&ort User Records", "", "Sort", "Sort User List", "Sort User List" },
        { "MSEND", "&Send", "F2", "SendPage", "Send Single User Page", "Send Single User Page" },
        { "MCANCEL", "&Cancel", "F3", "CancelPage", "Cancel Page(s)", "Cancel Page(s)" },
        { "MSENDTOQUE", "&Que Messages", "F4", "queueMessage", "Que Messages", "Send Messages To Que" },
        { "MSENDQUE", "S&end Queued Messages", "F5", "SendQue", "Send Queued Messages", "Send Queued Messages" },
        { "MFORCE", "&Force Hangup", "Ctrl+F" },
        { "MHIDEPROG", "Hide &Program", "F12" },
        { "MCONTENTS", "&Contents", "", "ViewHelp", "Help", "Help" },
        { "MINDEX", "&Index", "F1" },
        { "MABOUT2", "&About", "", "About", "About Program", "About" },
        { "MRESTORE", "Restore", "" },
        { "MCLOSE", "Close", "" },
    };
    for (const bool large : { false, true }) {
        window->showLargeToolbar(large);
        EXPECT_TRUE(toolbar(large)->isVisible());
        EXPECT_FALSE(toolbar(!large)->isVisible());
        const QStringList keys = window->toolbars().layout(large);
        EXPECT_EQ(keys.join(QLatin1Char(',')), kDesignLayout);
        EXPECT_EQ(toolbar(large)->iconSize(), large ? QSize(32, 32) : QSize(16, 16));
        for (const auto& c : commands) {
            QAction* action = window->action(QString::fromLatin1(c.name));
            ASSERT_NE(action, nullptr) << c.name;
            EXPECT_EQ(action->text(), QString::fromLatin1(c.caption)) << c.name;
            EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(c.shortcut))) << c.name;
            if (*c.key == '\0')
                continue;
            EXPECT_EQ(toolbar(large)->actions().value(keys.indexOf(QString::fromLatin1(c.key))), action) << c.key;
            EXPECT_EQ(button(large, c.name)->toolTip(), QString::fromLatin1(large ? c.largeTip : c.smallTip));
            EXPECT_FALSE(action->icon().pixmap(large ? 32 : 16).isNull()) << c.name;
        }
    }
    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus,
        (QStringList { QStringLiteral("&File"), QStringLiteral("&Setup"), QStringLiteral("&Toolbar"),
            QStringLiteral("&View"), QStringLiteral("&Clear"), QStringLiteral("&Users"), QStringLiteral("&Page"),
            QStringLiteral("&Hide"), QStringLiteral("&Help") }));
}

// The offscreen platform takes a window that shares the main window's activation as active already; a
// request of the window's own makes it the one the keys go to.
void activate(QWidget* window)
{
    window->windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
}

// A registered window is made once; it and every other window besides the main one keeps the boxes it
// raises, and Escape closes it.
TEST_F(MainWindowTest, ARegisteredWindowIsCreatedOnFirstUseAndEveryOtherWindowKeepsItsBoxesAndClosesOnEscape)
{
    startWindow();
    EXPECT_FALSE(enabledEverywhere("MQUED"));
    int created = 0;
    QPointer<QWidget> events;
    auto create = [&] {
        ++created;
        events = new QWidget(window.get(), Qt::Window);
        return events.data();
    };
    EXPECT_FALSE(window->registerWindow("MSEND", create));
    ASSERT_TRUE(window->registerWindow("MQUED", create));
    ASSERT_TRUE(enabledEverywhere("MQUED"));
    trigger("MQUED");
    events->hide();
    QTest::mouseClick(button(false, "MQUED"), Qt::LeftButton);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(events->isVisible());

    platform::WidgetDialogService boxes(window.get());
    const std::pair<const char*, std::function<QWidget*()>> windows[] = {
        { "MQUED", [&] { return events.data(); } },
        { "MCONNECT", [&] { return window->connectionWindow(); } },
        { "MCONTENTS", [&] { return window->helpWindow(); } },
    };
    for (const auto& [command, shown] : windows) {
        trigger(command);
        activate(shown());
        // The window's own box: the window manager keeps it over that window, not over the main window.
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            owner = box ? box->parentWidget() : nullptr;
            if (box)
                box->button(QMessageBox::Ok)->click();
        });
        boxes.message(QStringLiteral("OK"));
        EXPECT_EQ(owner, shown()) << command;
        activate(shown());
        QTest::keyClick(shown(), Qt::Key_Escape);
        EXPECT_FALSE(shown()->isVisible()) << command;
    }
    // A question answered with Enter changes nothing.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_FALSE(boxes.ask(QStringLiteral("Erase the page log?")));
}

TEST_F(MainWindowTest, ToggleSwapsTheToolbarsAndTurnsTheStoredChoiceOverAndFirstShowingsSaveTheDesign)
{
    startWindow();
    EXPECT_TRUE(toolbar(false)->isVisible());
    EXPECT_EQ(savedLayout("MyToolbar1"), kDesignLayout);
    EXPECT_EQ(savedLayout("MyToolbar2"), QString());

    trigger("MTOGGLE");
    EXPECT_TRUE(toolbar(true)->isVisible());
    EXPECT_FALSE(toolbar(false)->isVisible());
    EXPECT_EQ(storedLargeIcons(), -1);
    EXPECT_TRUE(window->desk().settings().LargeIcons);
    EXPECT_EQ(savedLayout("MyToolbar2"), kDesignLayout);

    trigger("MTOGGLE");
    EXPECT_TRUE(toolbar(false)->isVisible());
    EXPECT_EQ(storedLargeIcons(), 0);

    // The configuration window's preview swaps them without storing the choice.
    window->showLargeToolbar(true);
    EXPECT_TRUE(toolbar(true)->isVisible());
    EXPECT_EQ(storedLargeIcons(), 0);
}

TEST_F(MainWindowTest, ACustomisedLayoutIsSavedAtOnceAndSurvivesARestart)
{
    data.settings.LargeIcons = store::kYes;
    data.write();
    startWindow();
    ASSERT_TRUE(toolbar(true)->isVisible());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Ctrl+C copies in the message box and customises everywhere else.
    doubleClick("List1", 0);
    type(QStringLiteral("Copy me"));
    messageBox()->selectAll();
    QTest::keyClick(messageBox(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Copy me"));
    EXPECT_EQ(window->findChild<ui::ToolbarCustomizeDialog*>(), nullptr);
    list("List1")->setFocus();
    QTest::keyClick(list("List1"), Qt::Key_C, Qt::ControlModifier);
    auto* dialog = window->findChild<ui::ToolbarCustomizeDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Customize Toolbar"));

    // Toolbar2's descriptions; the first button goes, the last moves up one.
    auto* onBar = dialog->findChild<QListWidget*>(QStringLiteral("ToolbarButtons"));
    EXPECT_EQ(onBar->item(0)->text(), QStringLiteral("Setup User/Groups/Page"));
    EXPECT_EQ(onBar->item(15)->text(), QStringLiteral("Send Messages to Que"));
    onBar->setCurrentRow(0);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BREMOVE")), Qt::LeftButton);
    onBar->setCurrentRow(onBar->count() - 1);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BUP")), Qt::LeftButton);
    QString changed = kDesignLayout.mid(7);
    changed.replace(QStringLiteral("ViewHelp,Exit"), QStringLiteral("Exit,ViewHelp"));
    EXPECT_EQ(window->toolbars().layout(true).join(QLatin1Char(',')), changed);
    EXPECT_EQ(savedLayout("MyToolbar2"), changed);
    EXPECT_EQ(savedLayout("MyToolbar1"), QString());

    // A key this program does not know (another version's) is passed over.
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tolvane"), QStringLiteral("Tolvane"))
        .setValue(QStringLiteral("1/MyToolbar2/True"), QStringLiteral("Teleport,") + changed);
    window.reset();
    startWindow();
    EXPECT_EQ(window->toolbars().layout(true).join(QLatin1Char(',')), changed);
}

// ---- Tray icon, connection window, search ---------------------------------------------------------------------

TEST_F(MainWindowTest, SortingRelistsTheUsersInOrderAndLeavesOneTrayIconThatRestoresTheWindow)
{
    data.users = { testkit::DataFolderFixture::user("bob", "1", "Ravenpage"),
        testkit::DataFolderFixture::user("Alice", "2", "Ravenpage"),
        testkit::DataFolderFixture::user("carol", "3", "Ravenpage") };
    data.write();
    startWindow();
    trigger("MSORT");
    EXPECT_EQ(items("List1"), QStringLiteral("Alice|bob|carol"));
    const auto icons = window->findChildren<QSystemTrayIcon*>();
    ASSERT_EQ(icons.size(), 1);
    QSystemTrayIcon* tray = icons.front();
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Tolvane"));
    EXPECT_FALSE(tray->icon().isNull());
    ASSERT_EQ(tray->contextMenu(), window->trayMenu());
    // The menu's own commands, so its Close ends the program as the tests of a run's ending show.
    EXPECT_EQ(window->trayMenu()->actions(),
        (QList<QAction*> { window->action(QStringLiteral("MRESTORE")), window->action(QStringLiteral("MCLOSE")) }));

    for (const auto reason : { QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger }) {
        window->showMinimized();
        window->hide();
        Q_EMIT tray->activated(reason);
        EXPECT_TRUE(window->isVisible()) << reason;
        EXPECT_FALSE(window->isMinimized()) << reason;
    }
}

TEST_F(MainWindowTest, ConnectionWindowOpensBelowTheMiddleAndBecomesALeftStripInsteadOfMaximised)
{
    startWindow();
    trigger("MCONNECT");
    ui::ConnectionWindow* view = window->connectionWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    const QRect area = view->screen()->availableGeometry();
    ASSERT_EQ(view->screen()->logicalDotsPerInchY(), 96); // 15 twips to a pixel
    const QRect first = view->frameGeometry();
    EXPECT_NEAR(first.center().x(), area.center().x(), 1);
    EXPECT_NEAR(first.top(), area.top() + (area.height() - first.height()) / 2 + 17, 1); // 250 twips

    view->showMaximized();
    const QRect docked(area.topLeft(), QSize(417, area.height() - 33)); // 6255, 500 twips
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isMaximized() && view->frameGeometry() == docked; }))
        << "maximized: " << view->isMaximized() << ", at " << view->frameGeometry().x() << ","
        << view->frameGeometry().y() << " " << view->frameGeometry().width() << "x" << view->frameGeometry().height();
}

TEST_F(MainWindowTest, SearchForSelectsTheFirstUserBeginningWithTheTextThroughTheListsOwnHandling)
{
    data.users.push_back(testkit::DataFolderFixture::user("alma Reyes", "5550111", "Ravenpage"));
    data.users.push_back(testkit::DataFolderFixture::user("Alex Moreno", "5550112", "Ravenpage"));
    data.write();
    data.writeGroups({ "Night Shift" });
    startWindow();
    window->desk().selectGroup(0);
    trigger("MSEARCH");
    auto* search = window->findChild<QDialog*>(QStringLiteral("TSearch"));
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->windowTitle(), QStringLiteral("Search..."));
    EXPECT_TRUE(search->isVisible());
    QTest::keyClicks(search->findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("ale"));
    EXPECT_EQ(list("List1")->currentRow(), 2);
    EXPECT_EQ(window->desk().selectedUser(), 2);
    EXPECT_EQ(window->desk().activeList(), dispatch::ActiveList::Users);
}

// ---- Recipients and the message ---------------------------------------------------------------------------

// Every way of adding or removing a recipient reaches the desk and releases the lamp a call left.
TEST_F(MainWindowTest, RecipientsComeAndGoEveryWayAndEachWayReleasesTheLamp)
{
    using testkit::DataFolderFixture;
    data.users = { DataFolderFixture::user("Dana Whitlow", "5550142", "Ravenpage"),
        DataFolderFixture::user("Alex Moreno", "5550111", "Ravenpage", "1000000000"),
        DataFolderFixture::user("Kim Osei", "5550112", "Ravenpage", "1000000000") };
    data.write();
    data.writeGroups({ "Night Shift" });
    startWindow();
    doubleClick("List1", 0);
    type(QStringLiteral("Hello"));
    EXPECT_TRUE(messageBox()->isVisible());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto arrow = [&](const char* listName, int row, const char* image) {
        list(listName)->setCurrentRow(row);
        QTest::mouseClick(child<QWidget>(image), Qt::LeftButton);
    };
    const struct {
        const char* how;
        std::function<void()> change;
        const char* recipients; // as List2 lists them
    } changes[] = {
        { "arrow adds", [&] { arrow("List1", 1, "Image1"); }, "Dana Whitlow|Alex Moreno" },
        { "double-click removes", [&] { doubleClick("List2", 1); }, "Dana Whitlow" },
        { "a group's double-click adds its members", [&] { doubleClick("List4", 0); },
            "Dana Whitlow|Alex Moreno|Kim Osei" },
        { "delete key removes",
            [&] {
                list("List2")->setCurrentRow(0);
                list("List2")->setFocus();
                QTest::keyClick(list("List2"), Qt::Key_Delete);
            },
            "Alex Moreno|Kim Osei" },
        { "arrow removes", [&] { arrow("List2", 0, "Image2"); }, "Kim Osei" },
        { "typing", [&] { type(QStringLiteral("!")); }, "Kim Osei" },
        { "double-click adds", [&] { doubleClick("List1", 0); }, "Kim Osei|Dana Whitlow" },
    };
    for (const auto& c : changes) {
        window->callView().setLamp(engine::Lamp::Green);
        window->updateToolbarButtons();
        ASSERT_EQ(window->lampColour(), QColor(0, 255, 0)) << c.how;
        c.change();
        EXPECT_EQ(items("List2"), QString::fromLatin1(c.recipients)) << c.how;
        EXPECT_EQ(window->lampColour(), QColor(255, 255, 0)) << c.how;
    }

    trigger("MSENDLIST");
    EXPECT_EQ(list("List2")->count(), 0);
    EXPECT_FALSE(messageBox()->isVisible());
    EXPECT_TRUE(messageBox()->toPlainText().isEmpty());
}

// The keys alone make a page: they start in the users, Enter adds one and moves them to the message box.
TEST_F(MainWindowTest, TheKeysAloneChooseAndTypeButReturnIsRefusedAndPastedLineBreaksBecomeBlanks)
{
    startWindow();
    ASSERT_EQ(QApplication::focusWidget(), list("List1"));
    QTest::keyClick(list("List1"), Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), messageBox());
    QTest::keyClicks(messageBox(), QStringLiteral("Hi"));
    QTest::keyClick(messageBox(), Qt::Key_Return);
    QTest::keyClick(messageBox(), Qt::Key_Enter);
    EXPECT_EQ(dialogs.messages(), (QStringList { kReturnRefused, kReturnRefused }));
    EXPECT_EQ(messageBox()->toPlainText(), QStringLiteral("Hi"));
    EXPECT_EQ(window->desk().message(), "Hi");

    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree"));
    messageBox()->selectAll();
    messageBox()->paste();
    EXPECT_EQ(window->desk().message(), "one two three");
    // A paste is cut at the limit too.
    QApplication::clipboard()->setText(QString(100, QLatin1Char('x')));
    messageBox()->paste();
    EXPECT_EQ(messageBox()->toPlainText().size(), 80);
    EXPECT_EQ(window->desk().message().size(), 80u);
}

TEST_F(MainWindowTest, TheMessagePanelShowsTheCountGaugeAndLimitOfTheDesk)
{
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Shortpage"));
    data.terminals.back().MaxChars = 40;
    data.users.push_back(testkit::DataFolderFixture::user("Alex Moreno", "5550111", "Shortpage"));
    data.write();
    startWindow();
    doubleClick("List1", 0);
    type(QString(60, QLatin1Char('a')));
    EXPECT_EQ(label("Label1"), QStringLiteral("60"));
    EXPECT_EQ(child<QProgressBar>("Gauge1")->value(), 60);
    EXPECT_EQ(colours(), QStringLiteral("#00ff00 #00ff00"));
    type(QStringLiteral("b"));
    EXPECT_EQ(colours(), QStringLiteral("#ffff00 #ffff00"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
    type(QString(19, QLatin1Char('c')));
    EXPECT_EQ(colours(), QStringLiteral("#f00f00 #f00f00"));
    EXPECT_EQ(dialogs.messages(), QStringList { kLimitReached });
    // The 81st character cannot be typed.
    type(QStringLiteral("d"));
    EXPECT_EQ(messageBox()->toPlainText().size(), 80);

    // A recipient with a lower limit cuts the message in the box and in the desk.
    doubleClick("List1", 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(child<QProgressBar>("Gauge1")->maximum(), 40);
    EXPECT_EQ(messageBox()->toPlainText(), QString(40, QLatin1Char('a')));
    EXPECT_EQ(window->desk().message(), std::string(40, 'a'));
    EXPECT_EQ(label("Label1"), QStringLiteral("40"));
    EXPECT_EQ(dialogs.messages(), (QStringList { kLimitReached, kLimitReached }));
}

// ---- Sending ----------------------------------------------------------------------------------------------

TEST_F(MainWindowTest, QueuedPagesAreSentFromTheWindowsOwnCommandsWithTheClockStoppedInEveryCall)
{
    testkit::addHappyTerminal(line);
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Northwind Paging"));
    data.users.push_back(testkit::DataFolderFixture::user("Alex Moreno", "5550111", "Northwind Paging"));
    data.settings.ShowConnectionWindow = store::kYes;
    data.write();
    startWindow();
    doubleClick("List1", 0);
    doubleClick("List1", 1);
    type(QStringLiteral("Lunch is here"));
    ASSERT_TRUE(enabled("MSENDTOQUE"));
    trigger("MSENDTOQUE");
    EXPECT_EQ(label("Label2"), QStringLiteral(" 2 Pages in Que"));
    ASSERT_TRUE(enabledEverywhere("MSENDQUE"));

    // Watch the window while each of the two calls waits on the line.
    bool sawRun = false;
    bool clockTicked = false;
    bool logShownLive = false;
    pacer.setYieldHook([&] {
        clockTicked = clockTicked || window->timer1().isActive();
        logShownLive = logShownLive
            || (window->connectionWindow()->isVisible()
                && window->connectionWindow()->text().contains(QStringLiteral("ATDT")));
        if (sawRun)
            return;
        sawRun = true;
        EXPECT_FALSE(enabledEverywhere("MSEND"));
        EXPECT_FALSE(enabledEverywhere("MSENDQUE"));
        EXPECT_FALSE(enabled("MNETWORK"));
        EXPECT_FALSE(enabled("MSORT"));
        EXPECT_TRUE(enabledEverywhere("MCANCEL"));
    });
    trigger("MSENDQUE");

    EXPECT_TRUE(sawRun);
    EXPECT_FALSE(clockTicked);
    EXPECT_TRUE(logShownLive);
    EXPECT_EQ(line.opens().size(), 2u);
    EXPECT_EQ(window->statusText(), QStringLiteral("( 2) Page(s) Were Sent"));
    EXPECT_EQ(window->lampColour(), QColor(0, 255, 0));
    EXPECT_EQ(data.log().size(), 2u);
    EXPECT_FALSE(enabled("MCANCEL"));
    EXPECT_TRUE(enabled("MNETWORK"));
    EXPECT_TRUE(window->timer1().isActive());
    // Without "Clear Que after Successful Page" the pages stay queued.
    EXPECT_EQ(label("Label2"), QStringLiteral(" 2 Pages in Que"));
}

TEST_F(MainWindowTest, AForcedHangUpHoldsThePortSoNoSendOrScheduledPageStartsInsideIt)
{
    testkit::addHappyTerminal(line);
    startWindow();
    doubleClick("List1", 0);
    type(QStringLiteral("Still to go"));
    window->desk().scheduledList().insert(
        engine::buildQueueEntry(data.users.front(), "09:04 AM", "12/06/2026", "Due now", 80, engine::kStatusScheduled));
    window->desk().setScheduleTimerEnabled(true);
    // The hang-up's wait lets the window's events run: F2 and the scheduled-page timer come in there.
    bool inside = false;
    pacer.setYieldHook([&] {
        if (inside)
            return;
        inside = true;
        EXPECT_FALSE(enabledEverywhere("MSEND"));
        window->sendPage();
        window->releaseDuePages();
    });
    trigger("MFORCE");
    EXPECT_TRUE(inside);
    EXPECT_EQ(window->statusText(), QStringLiteral("Force Hangup OK..."));
    EXPECT_EQ(line.opens().size(), 1u) << "only the hang-up's own";
    EXPECT_TRUE(data.log().empty());
    EXPECT_TRUE(enabled("MSEND"));
}

struct EndingCase {
    const char* name;
    std::function<void(ui::MainWindow&)> end;
};

class EndingDuringARunTest : public MainWindowTest, public ::testing::WithParamInterface<EndingCase> { };

TEST_P(EndingDuringARunTest, ThePresentCallHangsUpNoFurtherCompanyIsCalledThenTheProgramEnds)
{
    testkit::addHappyTerminal(line);
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Northwind Paging"));
    data.users.push_back(testkit::DataFolderFixture::user("Alex Moreno", "5550111", "Northwind Paging"));
    data.write();
    startWindow();
    window->desk().addUser(0);
    window->desk().addUser(1);
    window->desk().setMessage("Fire drill");
    window->desk().queueMessage();

    bool ended = false;
    pacer.setYieldHook([&] {
        if (!ended && line.isOpen()) {
            ended = true;
            GetParam().end(*window);
        }
    });
    QTimer::singleShot(0, window.get(), [this] { trigger("MSENDQUE"); });
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(ended);
    EXPECT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(line.countWritesEqualTo("ATH0\r"), 1);
    // Nobody is there to answer "There are more pages...": it is not asked.
    EXPECT_TRUE(dialogs.questions().isEmpty()) << dialogs.questions().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->trayIcon()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ways, EndingDuringARunTest,
    ::testing::Values(EndingCase { "Exit", [](auto& w) { w.action(QStringLiteral("MEXIT"))->trigger(); } },
        EndingCase { "TrayClose", [](auto& w) { w.action(QStringLiteral("MCLOSE"))->trigger(); } },
        EndingCase { "CloseBox", [](auto& w) { w.close(); } }),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Timers and the window ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, ScheduleTimerSendsPagesDueAtTheMinutesStartAndStopsWhenNoneAreLeft)
{
    testkit::addHappyTerminal(line);
    // Each run then leaves an empty queue, so a page is sent once.
    data.settings.ClearQueue = store::kYes;
    data.write();
    startWindow();
    const store::UserRecord& dana = data.users.front();
    window->desk().scheduledList().insert(
        engine::buildQueueEntry(dana, "09:05 AM", "12/06/2026", "Due now", 80, engine::kStatusScheduled));
    window->desk().scheduledList().insert(
        engine::buildQueueEntry(dana, "11:30 AM", "12/06/2026", "Later", 80, engine::kStatusScheduled));
    window->desk().setScheduleTimerEnabled(true);
    window->desk().refreshCounters();
    EXPECT_TRUE(window->timer2().isActive());
    // A page may be due already: the first check comes at once.
    EXPECT_EQ(window->timer2().interval(), 1000);
    EXPECT_EQ(label("Label9"), QStringLiteral("2 Delay Send Pages"));

    // The configuration window's modem test holds the port: the tick leaves the pages for a later one.
    bool testHoldsPort = true;
    window->setPortHeldElsewhere([&] { return testHoldsPort; });
    window->releaseDuePages();
    EXPECT_TRUE(data.log().empty());
    EXPECT_TRUE(line.opens().empty());
    EXPECT_EQ(window->timer2().interval(), 5000) << "looks again soon, not a minute later";
    testHoldsPort = false;

    // "Show View Connection Window" is off: the call runs without it.
    bool connectionShown = false;
    pacer.setYieldHook([&] { connectionShown = connectionShown || window->connectionWindow()->isVisible(); });
    window->releaseDuePages();
    EXPECT_EQ(data.log().size(), 1u);
    EXPECT_FALSE(connectionShown);
    EXPECT_EQ(label("Label9"), QStringLiteral("1 Delay Send Pages"));
    EXPECT_TRUE(window->timer2().isActive());
    // 52 s into the minute: the next check comes half a second after the next minute begins.
    EXPECT_EQ(window->timer2().interval(), 8500);

    fixedClock.time = "11:30 AM";
    window->releaseDuePages();
    EXPECT_EQ(data.log().size(), 2u);
    EXPECT_EQ(label("Label9"), QStringLiteral("0 Delay Send Pages"));
    EXPECT_FALSE(window->timer2().isActive());
}

TEST_F(MainWindowTest, ATryNobodyAskedForTellsItsFailureInTheConnectionLogAndTheLastOneTurnsTheLampRed)
{
    data.config.RetryAttempts = 0;
    data.write();
    line.whenWriteContains("\x02"
                           "5550142\r",
            "512 Temporarily cannot deliver\r\x15\r", 50, 1)
        .whenWriteContains("ATD", "\r\nCONNECT 9600\r\n", 1000, 1)
        .whenWriteContains("ATD", "\r\nBUSY\r\n", 100);
    testkit::addHappyTerminal(line);
    startWindow();
    window->desk().setRetryPolicy({ true, 2, 1 });
    doubleClick("List1", 0);
    type(QStringLiteral("Boiler room alarm"));
    trigger("MSENDTOQUE");
    trigger("MSENDQUE");
    EXPECT_EQ(window->desk().statusWords(0), "Try 2 of 2 at 09:06 AM: 512 Temporarily cannot deliver");
    EXPECT_TRUE(window->timer2().isActive()) << "the minute check looks for the try";

    fixedClock.time = "09:06 AM";
    window->releaseDuePages();
    EXPECT_EQ(line.opens().size(), 2u);
    EXPECT_FALSE(dialogs.messages().contains(QStringLiteral("PHONE NUMBER IS BUSY... PLEASE TRY AGAIN")));
    EXPECT_TRUE(window->connectionWindow()->text().contains(QStringLiteral("PHONE NUMBER IS BUSY")));
    EXPECT_EQ(window->desk().statusWords(0), "Not delivered: the line was busy after every redial");
    EXPECT_EQ(window->statusText(), QStringLiteral("Page(s) could not be delivered: see View > Events"));
    EXPECT_EQ(window->lampColour(), QColor(255, 0, 0));
    EXPECT_FALSE(window->timer2().isActive());
}

TEST_F(MainWindowTest, KeptPagesComeBackAtTheNextStartAndThoseThatFellDueMeanwhileAreAskedAbout)
{
    startWindow();
    window->desk().addUser(0);
    window->desk().setMessage("Morning round");
    window->desk().queueMessage();
    window->desk().queueMessage();
    ASSERT_EQ(window->desk().schedule(0, "09:30 AM", "12/06/2026"), dispatch::EventsOutcome::Done);
    window.reset(); // as after a kill or an Exit: the next start finds the same
    fixedClock.time = "10:00 AM";
    startWindow();
    QTest::qWait(0);
    EXPECT_EQ(label("Label2") + label("Label9"), QStringLiteral("1 Pages in Que1 Delay Send Pages"));
    EXPECT_TRUE(window->timer2().isActive());
    EXPECT_EQ(dialogs.questions().value(0).section(QLatin1Char('\n'), 0, 1),
        QStringLiteral("1 scheduled page fell due while Tolvane was closed:\nDana Whitlow  09:30 AM 12/06/2026"));
    EXPECT_TRUE(data.log().empty()) << "No sends nothing";
}

TEST_F(MainWindowTest, WindowIsNeverMaximisedAndNeverHiddenWithoutATray)
{
    startWindow();
    window->showMaximized();
    QTest::qWait(20);
    EXPECT_FALSE(window->isMaximized());

    // No tray icon in this test: hiding would leave no way back, so the window only minimises.
    ASSERT_FALSE(window->canHideToTray());
    window->action(QStringLiteral("MHIDEPROG"))->trigger();
    QTest::qWait(20);
    EXPECT_TRUE(window->isVisible());
    window->showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(window->isVisible());
    window->restoreWindow();
    EXPECT_FALSE(window->isMinimized());

    // Hidden in a tray whose host then ended: minimised, the window can be reached again.
    window->hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }));
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(MainWindowTest, AFreshFolderSaysWhereToStartUntilTheDirectoryFirstChanges)
{
    testkit::TempFolder fresh;
    store::installIfNew(store::DataFolder(fresh.path()));
    window = std::make_unique<ui::MainWindow>(fresh.path(), line, pacer, dialogs, false);
    ASSERT_TRUE(window->startUp());
    auto* hint = child<QLabel>("FirstStartHint");
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(),
        QStringLiteral("Start in Setup > Users/Groups/Paging Company: add your paging company, then your users. The "
                       "practice line (--practice) lets you try a page without a modem."));
    doubleClick("List1", 0);
    EXPECT_FALSE(hint->isVisible()) << "the message box takes its place";
    trigger("MSENDLIST");
    EXPECT_TRUE(hint->isVisible());

    // A change, even one undone, ends it.
    const std::string sample = fresh.read("USERS.DAT");
    fresh.write("USERS.DAT", sample + sample);
    window->desk().loadUsers();
    fresh.write("USERS.DAT", sample);
    window->desk().loadUsers();
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(MainWindowTest, HelpOpensContentsAndIndexAndEveryLinkResolves)
{
    startWindow();
    trigger("MCONTENTS");
    EXPECT_TRUE(window->helpWindow()->isVisible());
    EXPECT_EQ(window->helpWindow()->currentPage(), ui::HelpWindow::contentsPage());
    trigger("MINDEX");
    EXPECT_EQ(window->helpWindow()->currentPage(), ui::HelpWindow::indexPage());
    EXPECT_TRUE(window->helpWindow()->pageText().contains(QStringLiteral("Exit statuses")));

    // Every page the two start pages link to is built in and links back only to pages that exist.
    const QRegularExpression link(QStringLiteral("href=\"([a-z-]+\\.html)"));
    QStringList toVisit { QStringLiteral("contents.html"), QStringLiteral("index.html") };
    QStringList seen;
    while (!toVisit.isEmpty()) {
        const QString page = toVisit.takeFirst();
        if (seen.contains(page))
            continue;
        seen << page;
        QFile file(QStringLiteral(":/help/") + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();)
            toVisit << it.next().captured(1);
    }
    EXPECT_GE(seen.size(), 9);
}

TEST_F(MainWindowTest, PracticeLineShowsInTheCaptionAndTheAboutWindow)
{
    makeWindow(true);
    ASSERT_TRUE(window->startUp());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane (practice line)"));
    trigger("MABOUT2");
    auto* about = window->findChild<QWidget*>(QStringLiteral("About"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    const QString text = about->findChild<QLabel*>(QStringLiteral("AboutText"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Tolvane")));
    EXPECT_TRUE(text.contains(QStringLiteral("practice line")));

    const auto shared = data.path() / "shared";
    std::filesystem::create_directories(shared);
    dialogs.queueChoice(0);
    dialogs.queueFileName(QString::fromStdString((shared / "USERS.DAT").string()));
    window->setUpNetworkShare();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane Network-Shared (practice line)"));
}

// ---- Painting while a call blocks -----------------------------------------------------------------------

// Remembers when, on the virtual clock, it was last painted.
class PaintCounter : public QWidget {
public:
    explicit PaintCounter(const testkit::VirtualClock& clock)
        : m_clock(clock)
    {
    }
    int paints = 0;
    long long paintedAt = -1;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        paintedAt = m_clock.now();
    }

private:
    const testkit::VirtualClock& m_clock;
};

TEST(PaintingPacer, PaintsWhatWasShownBeforeABlockingPauseAndPassesTheRestOn)
{
    testkit::VirtualClock clock;
    testkit::VirtualPacer inner(clock);
    PaintCounter widget(clock);
    widget.resize(100, 40);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
    const int before = widget.paints;

    ui::PaintingPacer pacer(inner);
    widget.update();
    pacer.sleepMs(4000);
    EXPECT_GT(widget.paints, before);
    EXPECT_EQ(widget.paintedAt, 0) << "painted before the pause, not after it";
    EXPECT_EQ(clock.now(), 4000);

    int yields = 0;
    inner.setYieldHook([&] { ++yields; });
    pacer.yield();
    pacer.pauseYielding(500);
    EXPECT_EQ(yields, 2);
    EXPECT_EQ(inner.yieldingPauses(), std::vector<int> { 500 });
}

} // namespace
