#include "engine/modem_setup.h"
#include "platform/dialog_service.h"
#include "platform/serial/port_map.h"
#include "platform/workstation_settings.h"
#include "simulator/pty_server.h"
#include "store/record_file.h"
#include "store/text.h"
#include "testkit/data_folder_fixture.h"
#include "ui/config/advanced_modem_tab.h"
#include "ui/config/config_window.h"
#include "ui/config/other_settings_tab.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <tuple>

using namespace tolvane;

namespace {

const QString kTestStarts = QStringLiteral("This test may take as long as 1 minute... click ok and wait for results.");

// Whether this process has the file open, as the kernel sees it.
bool heldOpen(const std::filesystem::path& file)
{
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(fd.path(), error) == file)
            return true;
    }
    return false;
}

class ConfigWindowTest : public ::testing::Test {
protected:
    ConfigWindowTest()
    {
        // The workstation's own settings go to a throwaway folder, never the user's.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsFolder.path());
        m_data.modems = { { "User Defined", "ATM0 E0", store::kNo }, { "Hayes", "AT&F M0", store::kYes } };
        m_data.write();
    }

    ui::ConfigWindow& open(bool practice = false)
    {
        m_window = std::make_unique<ui::ConfigWindow>(
            m_data.folder(), m_dialogs, m_ports, practice, [this] { return m_busy; });
        m_window->show();
        return *m_window;
    }
    template <class Widget = QAbstractButton> Widget* child(const char* name)
    {
        auto* widget = m_window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name) { child(name)->click(); }
    void setText(const char* name, const QString& text) { child<QLineEdit>(name)->setText(text); }
    void showTab(int index) { child<QTabWidget>("TabStrip1")->setCurrentIndex(index); }
    template <class Record> Record stored(std::int32_t n = 1)
    {
        return store::readRecordAt<Record>(m_data.folder().pathOf<Record>(), n);
    }

    QTemporaryDir m_settingsFolder;
    testkit::DataFolderFixture m_data;
    platform::PortMap m_ports = platform::PortMap::inProgramFolder(m_data.folder());
    platform::ScriptedDialogService m_dialogs;
    bool m_busy = false;
    std::unique_ptr<ui::ConfigWindow> m_window;
};

TEST_F(ConfigWindowTest, ModemSetupStoresWhatWasTypedAndShowsItAgain)
{
    struct Case {
        const char* prefix;
        const char* attempts;
        const char* storedPrefix;
        std::int16_t storedAttempts;
        const char* shownPrefix;
    };
    for (const Case& c : { Case { "", "abc", "555       ", 0, "" }, Case { "   ", "12", "555       ", 12, "" },
             Case { "*70,", "7 times", "*70,      ", 7, "*70," } }) {
        open();
        child<QComboBox>("COMM")->setCurrentIndex(2);
        click("PULSE");
        setText("DIALP", QString::fromLatin1(c.prefix));
        setText("ATTEMPTS", QString::fromLatin1(c.attempts));
        click("BSAVE1");
        EXPECT_EQ(m_dialogs.messages().last(), QStringLiteral("Modem Configuration has been saved"));
        EXPECT_EQ(
            stored<store::ConfigRecord>(), (store::ConfigRecord { "COMM3", c.storedPrefix, 0, c.storedAttempts, 1 }));

        open();
        EXPECT_EQ(child<QLineEdit>("DIALP")->text(), QString::fromLatin1(c.shownPrefix));
        EXPECT_EQ(child<QComboBox>("COMM")->currentText(), QStringLiteral("COMM3"));
        EXPECT_TRUE(child("PULSE")->isChecked());
    }
}

TEST_F(ConfigWindowTest, SpinButtonsKeepTheRetriesWithin0To99)
{
    open();
    for (const auto& [start, button, result] :
        { std::tuple { "99", "SpinUp", "99" }, std::tuple { "0", "SpinDown", "0" }, std::tuple { "41", "SpinUp", "42" },
            std::tuple { "41", "SpinDown", "40" } }) {
        setText("ATTEMPTS", QString::fromLatin1(start));
        click(button);
        EXPECT_EQ(child<QLineEdit>("ATTEMPTS")->text(), QString::fromLatin1(result)) << start << button;
    }
}

TEST_F(ConfigWindowTest, OnlyTheUserDefinedTypesCommandsCanBeEditedAndNeverOverSeveralLines)
{
    m_data.config.ModemIndex = 2;
    m_data.write();
    open();
    auto* commands = child<QLineEdit>("INI");
    EXPECT_FALSE(commands->isEnabled());
    EXPECT_EQ(commands->text(), QStringLiteral("AT&F M0"));

    Q_EMIT child<QComboBox>("MNAME")->activated(0);
    EXPECT_TRUE(commands->isEnabled());
    EXPECT_EQ(commands->text(), QStringLiteral("ATM0 E0"));
    QTest::keyClicks(commands, QStringLiteral("X"));
    QTest::keyClick(commands, Qt::Key_Return);
    EXPECT_EQ(commands->text(), QStringLiteral("ATM0 E0X"));
    EXPECT_TRUE(m_dialogs.messages().isEmpty());
}

TEST_F(ConfigWindowTest, TheSpeakerSwitchRewritesTheStoredCommands)
{
    for (const auto& [commands, speakerOn, saved] : { std::tuple { "ATM0 E0", true, "ATM1 E0" },
             std::tuple { "AT&F E0", true, "AT&F E0" }, std::tuple { "ATM1", false, "ATM0" } }) {
        m_data.modems[0] = { "User Defined", commands, speakerOn ? store::kNo : store::kYes };
        m_data.write();
        open();
        click("SPEAKER");
        click("BSAVE1");
        const auto modem = stored<store::ModemRecord>();
        EXPECT_EQ(engine::shownField(modem.ModemCommands), saved) << commands;
        EXPECT_EQ(modem.Speaker, speakerOn ? store::kYes : store::kNo);
        EXPECT_EQ(child<QLineEdit>("INI")->text(), QString::fromLatin1(saved));
    }
}

TEST_F(ConfigWindowTest, SavedSettingsBecomeTheRunningOnesAndLargeIconsSwapsAtOnceWithoutSaving)
{
    open();
    std::vector<store::RunningSettings> running;
    std::vector<bool> largeIcons;
    QObject::connect(m_window.get(), &ui::ConfigWindow::runningSettingsChanged,
        [&](const store::RunningSettings& settings) { running.push_back(settings); });
    QObject::connect(
        m_window.get(), &ui::ConfigWindow::largeIconsToggled, [&](bool large) { largeIcons.push_back(large); });
    showTab(1);
    ASSERT_EQ(running.size(), 1u);
    EXPECT_FALSE(child("BSAVE")->isEnabled());

    click("SSCheck5");
    EXPECT_EQ(largeIcons.back(), true);
    EXPECT_TRUE(child("BSAVE")->isEnabled());
    m_window->close();
    EXPECT_EQ(stored<store::SettingsRecord>().LargeIcons, 0);

    m_window->show();
    showTab(1);
    EXPECT_FALSE(child("SSCheck5")->isChecked());
    EXPECT_EQ(largeIcons.back(), false);
    click("SSCheck1");
    setText("Text1", QStringLiteral("[Front desk] urgent: please"));
    click("BSAVE");
    EXPECT_EQ(m_dialogs.messages().last(), QStringLiteral("Setting have been saved"));
    EXPECT_TRUE(running.back().ClearSendList);
    EXPECT_EQ(running.back().MessagePrefix, "[Front desk] urgent:");
    EXPECT_EQ(stored<store::SettingsRecord>().MessagePrefix, "[Front desk] urgent:");
}

TEST_F(ConfigWindowTest, AdvancedStringsRoundTripAndEverySaveIsWritten)
{
    open();
    showTab(2);
    setText("Text3", QStringLiteral("AT&F S7=90"));
    setText("Text8", QString(120, QLatin1Char('x')));
    click("Command2");
    EXPECT_EQ(stored<store::AdvancedRecord>().ModemString300, store::fixedText("AT&F S7=90", 100));
    EXPECT_EQ(stored<store::AdvancedRecord>().ModemString19200, std::string(100, 'x'));
    setText("Text3", QString());
    click("Command2");
    EXPECT_EQ(stored<store::AdvancedRecord>().ModemString300, std::string(100, ' '));
    EXPECT_TRUE(m_dialogs.messages().isEmpty());
}

TEST_F(ConfigWindowTest, ThePacingBoxIsKeptOnThisWorkstationAndAnnouncedOnlyWhenItChanges)
{
    open();
    int announced = 0;
    QObject::connect(m_window->advancedModem(), &ui::AdvancedModemTab::pacingChanged, [&] { ++announced; });
    showTab(2);
    child<QCheckBox>("PromptPacing")->setChecked(true);
    click("Command2");
    click("Command2"); // saving the strings again changes no pacing
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(platform::storedPacing(), engine::Pacing::Prompt);
    child<QCheckBox>("PromptPacing")->setChecked(false); // not saved
    showTab(0);
    showTab(2);
    EXPECT_TRUE(child<QCheckBox>("PromptPacing")->isChecked());
}

TEST_F(ConfigWindowTest, TryingFailedPagesAgainIsOffUntilSavedAndThenKeptOnThisWorkstation)
{
    open();
    std::vector<dispatch::RetryPolicy> announced;
    QObject::connect(m_window->otherSettings(), &ui::OtherSettingsTab::retryPolicyChanged,
        [&](const dispatch::RetryPolicy& policy) { announced.push_back(policy); });
    showTab(1);
    EXPECT_FALSE(child<QCheckBox>("TRYAGAIN")->isChecked());
    EXPECT_EQ(child<QSpinBox>("TRIES")->value(), 3);
    EXPECT_EQ(child<QSpinBox>("FIRSTWAIT")->value(), 2);
    EXPECT_FALSE(child<QSpinBox>("TRIES")->isEnabled());

    click("TRYAGAIN");
    child<QSpinBox>("TRIES")->setValue(4);
    click("BSAVE");
    click("BSAVE"); // nothing changed since
    const dispatch::RetryPolicy saved { true, 4, 2 };
    EXPECT_EQ(announced, std::vector { saved });
    EXPECT_EQ(platform::storedRetryPolicy(), saved);
    click("TRYAGAIN"); // not saved
    showTab(0);
    showTab(1);
    EXPECT_TRUE(child<QCheckBox>("TRYAGAIN")->isChecked());
    EXPECT_EQ(child<QSpinBox>("TRIES")->value(), 4);
}

TEST_F(ConfigWindowTest, EachTabHoldsItsFilesOnlyWhileItIsShown)
{
    const auto config = m_data.folder().pathOf<store::ConfigRecord>();
    const auto modems = m_data.folder().pathOf<store::ModemRecord>();
    const auto advanced = m_data.folder().pathOf<store::AdvancedRecord>();
    auto expectOpen = [&](bool modemFiles, bool advancedFile, int line) {
        EXPECT_EQ(heldOpen(config), modemFiles) << line;
        EXPECT_EQ(heldOpen(modems), modemFiles) << line;
        EXPECT_EQ(heldOpen(advanced), advancedFile) << line;
    };
    open();
    expectOpen(true, false, __LINE__);
    showTab(1);
    expectOpen(false, false, __LINE__);
    showTab(2);
    expectOpen(false, true, __LINE__);
    click("Command1");
    expectOpen(false, false, __LINE__);
    EXPECT_FALSE(m_window->isVisible());
    m_window->show();
    expectOpen(true, false, __LINE__);
    m_window->close();
    expectOpen(false, false, __LINE__);

    // Every tab's "&Done" closes the window and its files.
    for (const auto& [tab, done] : { std::pair { 0, "BDONE1" }, std::pair { 1, "BDONE" } }) {
        m_window->show();
        showTab(tab);
        click(done);
        EXPECT_FALSE(m_window->isVisible()) << done;
    }
    expectOpen(false, false, __LINE__);
}

TEST_F(ConfigWindowTest, PortDevicesAreStoredAmongForeignLinesForTheNextOpen)
{
    const auto portsFile = m_data.path() / "PORTS.DAT";
    std::ofstream(portsFile) << "# desk\nCOMM2 = network\nDIAL 5550142=pager.example.com:444\nnonsense\n";
    open();
    auto* device = child<QComboBox>("PortDevice1");
    EXPECT_EQ(device->currentText(), QStringLiteral("/dev/ttyS0"));
    bool saved = false;
    QObject::connect(m_window.get(), &ui::ConfigWindow::portDevicesSaved, [&] { saved = true; });

    device->setCurrentText(QString());
    click("BSAVE1");
    EXPECT_EQ(m_dialogs.messages().last(), QStringLiteral("Choose or type the device COMM1 uses."));
    device->setCurrentText(QStringLiteral("/dev/ttyUSB7"));
    click("BSAVE1");
    EXPECT_EQ(testkit::readFile(portsFile),
        "# desk\nCOMM2 = network\nDIAL 5550142=pager.example.com:444\nnonsense\nCOMM1=/dev/ttyUSB7\n");
    EXPECT_EQ(m_ports.devicePath(1), "/dev/ttyUSB7");
    EXPECT_TRUE(saved);

    // The practice line's devices are shown, never stored.
    m_ports.setOverride(1, "/dev/pts/98");
    open(true);
    EXPECT_EQ(child<QComboBox>("PortDevice1")->currentText(), QStringLiteral("/dev/pts/98"));
    EXPECT_FALSE(child<QComboBox>("PortDevice1")->isEnabled());
    click("BSAVE1");
    EXPECT_EQ(testkit::readFile(portsFile).find("pts"), std::string::npos);
}

TEST_F(ConfigWindowTest, TheModemTestAsksThePracticeModemOnThePortChosen)
{
    simulator::PtyServer modem;
    modem.start();
    m_ports.setOverride(1, modem.slavePath());
    open(true);
    click("BTEST1");
    EXPECT_EQ(m_dialogs.messages(), (QStringList { kTestStarts, QStringLiteral(" Modem commands checked... OK") }));
    EXPECT_FALSE(child<QLabel>("Label5")->isVisible());
    EXPECT_TRUE(child("BTEST1")->isEnabled());

    // A paging call holds the port: refused before the port is touched.
    m_busy = true;
    click("BTEST1");
    EXPECT_EQ(m_dialogs.messages().last(),
        QStringLiteral("The Port is already open close application using com port and retry"));
    m_busy = false;

    // The device typed for the port is the one tested.
    open();
    child<QComboBox>("PortDevice1")->setCurrentText(QStringLiteral("/dev/no-such-modem"));
    click("BTEST1");
    EXPECT_EQ(m_dialogs.messages().last(), QStringLiteral("Invalid Port Number try another one."));
}

} // namespace
