#pragma once

#include "store/data_folder.h"
#include "store/settings.h"

#include <QWidget>

#include <functional>

class QTabWidget;

namespace tolvane::platform {
class DialogService;
class PortMap;
} // namespace tolvane::platform

namespace tolvane::ui {

class AdvancedModemTab;
class ModemSetupTab;
class OtherSettingsTab;

// "Configuration Settings" (CONFIGS): the modem, the program's options and the per-speed modem strings,
// one tab each. Each tab keeps its files open only while it is shown; every tab's "&Done" and the close box
// close them.
// The window is modeless and is only hidden when closed, so the main window creates it once:
//
//     auto* config = new ui::ConfigWindow(folder, dialogs, ports, practice,
//         [&] { return mainWindow->desk().runInProgress() || line.isOpen(); }, mainWindow);
//     connect(config, &ui::ConfigWindow::runningSettingsChanged, ...);  // the desk's setSettings
//     connect(config, &ui::ConfigWindow::largeIconsToggled, ...);       // swap the toolbars, store nothing
//     config->show();
class ConfigWindow : public QWidget {
    Q_OBJECT

public:
    // `ports` is the map the paging calls open their port through: a saved device is used by the next call.
    // `portBusy` says whether a paging call holds the modem port; a modem test is refused meanwhile.
    ConfigWindow(const store::DataFolder& folder, platform::DialogService& dialogs, platform::PortMap& ports,
        bool practice, std::function<bool()> portBusy, QWidget* parent = nullptr);

    // Whether a modem test is running on the window's own line (it then holds the port).
    bool testRunning() const;

    ModemSetupTab* modemSetup() const { return m_modemSetup; }
    OtherSettingsTab* otherSettings() const { return m_otherSettings; }
    AdvancedModemTab* advancedModem() const { return m_advanced; }

    // The tab switch: closes the files of the tabs that are not shown and loads the chosen one.
    void showTab(int index);
    // "&Done": closes every file and the window.
    void closeWindow();

Q_SIGNALS:
    // The program's running settings, as showing or saving "Other Settings" leaves them.
    void runningSettingsChanged(const tolvane::store::RunningSettings& settings);
    // The "Large Icons on toolbar" box: the main window shows that toolbar at once, storing nothing.
    void largeIconsToggled(bool large);
    // PORTS.DAT was written; the port map reads it afresh at the next open.
    void portDevicesSaved();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void closeFiles();
    void centreOnScreen();

    QTabWidget* m_tabs;
    ModemSetupTab* m_modemSetup;
    OtherSettingsTab* m_otherSettings;
    AdvancedModemTab* m_advanced;
    bool m_centred = false;
};

} // namespace tolvane::ui
