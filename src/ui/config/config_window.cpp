#include "ui/config/config_window.h"

#include "ui/config/advanced_modem_tab.h"
#include "ui/config/modem_setup_tab.h"
#include "ui/config/other_settings_tab.h"

#include <QCloseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

enum Tab { kModemSetup, kOtherSettings, kAdvanced };

} // namespace

ConfigWindow::ConfigWindow(const store::DataFolder& folder, platform::DialogService& dialogs, platform::PortMap& ports,
    bool practice, std::function<bool()> portBusy, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("CONFIGS"));
    setWindowTitle(QStringLiteral("Configuration Settings"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_modemSetup = new ModemSetupTab(folder, dialogs, ports, practice, std::move(portBusy), m_tabs);
    m_otherSettings = new OtherSettingsTab(folder, dialogs, m_tabs);
    m_advanced = new AdvancedModemTab(folder, dialogs, m_tabs);
    m_tabs->addTab(m_modemSetup, QStringLiteral("Modem Setup"));
    m_tabs->addTab(m_otherSettings, QStringLiteral("Other Settings"));
    m_tabs->addTab(m_advanced, QStringLiteral("Advanced Modem Setup"));
    m_tabs->tabBar()->setTabData(kModemSetup, QStringLiteral("Modem"));
    m_tabs->tabBar()->setTabData(kOtherSettings, QStringLiteral("Config"));
    m_tabs->tabBar()->setTabData(kAdvanced, QStringLiteral("Amodem"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &ConfigWindow::showTab);

    connect(m_modemSetup, &ModemSetupTab::portDevicesSaved, this, &ConfigWindow::portDevicesSaved);
    connect(m_otherSettings, &OtherSettingsTab::runningSettingsChanged, this, &ConfigWindow::runningSettingsChanged);
    connect(m_otherSettings, &OtherSettingsTab::largeIconsToggled, this, &ConfigWindow::largeIconsToggled);
    // Every tab can close the window.
    connect(m_modemSetup, &ModemSetupTab::doneClicked, this, &ConfigWindow::closeWindow);
    connect(m_otherSettings, &OtherSettingsTab::doneClicked, this, &ConfigWindow::closeWindow);
    connect(m_advanced, &AdvancedModemTab::doneClicked, this, &ConfigWindow::closeWindow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
}

bool ConfigWindow::testRunning() const
{
    return m_modemSetup->testRunning();
}

void ConfigWindow::showTab(int index)
{
    if (index != kModemSetup)
        m_modemSetup->closeFiles();
    if (index != kAdvanced)
        m_advanced->closeFiles();
    switch (index) {
    case kModemSetup:
        m_modemSetup->ModemView();
        break;
    case kOtherSettings:
        m_otherSettings->ConfigView();
        break;
    case kAdvanced:
        m_advanced->AdvancedView();
        break;
    default:
        break;
    }
}

void ConfigWindow::closeWindow()
{
    close();
}

void ConfigWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_centred) {
        m_centred = true;
        centreOnScreen();
    }
    // Each opening starts afresh on the first tab, with what the files hold now.
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(kModemSetup);
    }
    showTab(kModemSetup);
}

void ConfigWindow::closeEvent(QCloseEvent* event)
{
    // The test holds the port and shows its result here; it ends within a quarter of a minute.
    if (testRunning()) {
        event->ignore();
        return;
    }
    closeFiles();
    QWidget::closeEvent(event);
}

void ConfigWindow::closeFiles()
{
    m_modemSetup->closeFiles();
    m_advanced->closeFiles();
}

void ConfigWindow::centreOnScreen()
{
    adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

} // namespace tolvane::ui
