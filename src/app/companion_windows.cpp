#include "app/companion_windows.h"

#include "platform/directory_watcher.h"
#include "ui/config/advanced_modem_tab.h"
#include "ui/config/config_window.h"
#include "ui/config/other_settings_tab.h"
#include "ui/directory/setup_window.h"
#include "ui/events/events_window.h"
#include "ui/main/main_window.h"
#include "ui/quickpage/quick_page.h"

#include <QPointer>

namespace tolvane::app {

void registerCompanionWindows(ui::MainWindow& window, platform::DialogService& dialogs, platform::PortMap& ports,
    engine::SerialLine& line, bool practice, std::chrono::milliseconds directoryLookInterval)
{
    // Another workstation's edit of a shared directory, or another copy's sort, shows without anyone asking.
    auto* watcher = new platform::DirectoryWatcher(window.dataFolder(), directoryLookInterval, &window);
    QObject::connect(
        watcher, &platform::DirectoryWatcher::changed, &window, [&window] { window.desk().refreshDirectory(); });
    QObject::connect(&window, &ui::MainWindow::directoryReloaded, watcher, &platform::DirectoryWatcher::acknowledge);

    window.registerWindow("MUSERS", [&window, &dialogs, watcher] {
        // The folder by reference: the editor follows a change of the shared folder.
        auto* setup = new ui::SetupWindow(window.dataFolder(), dialogs, &window);
        QObject::connect(setup, &ui::SetupWindow::directoryChanged, &window, [&window, watcher] {
            // Acknowledged first: a change elsewhere from now on is still news.
            watcher->acknowledge();
            window.desk().refreshDirectory();
        });
        QObject::connect(watcher, &platform::DirectoryWatcher::changed, setup, &ui::SetupWindow::refresh);
        QObject::connect(&window, &ui::MainWindow::directoryReloaded, setup, &ui::SetupWindow::refresh);
        return setup;
    });

    // The modem test refuses to start while a paging call holds the port, and the other way round.
    auto config = std::make_shared<QPointer<ui::ConfigWindow>>();
    window.setPortHeldElsewhere([config] { return *config && (*config)->testRunning(); });
    window.registerWindow("MMODEMS", [&window, &dialogs, &ports, &line, practice, config] {
        const auto callHoldsPort = [&window, &line] {
            return window.desk().runInProgress() || window.pagingCall().holdsPort() || line.isOpen();
        };
        auto* configs = new ui::ConfigWindow(window.dataFolder(), dialogs, ports, practice, callHoldsPort, &window);
        QObject::connect(configs, &ui::ConfigWindow::runningSettingsChanged, &window,
            [&window](const store::RunningSettings& settings) { window.desk().setSettings(settings); });
        QObject::connect(configs, &ui::ConfigWindow::largeIconsToggled, &window,
            [&window](bool large) { window.showLargeToolbar(large); });
        // The next call takes the new pacing; a call in progress keeps the one it started with.
        QObject::connect(configs->advancedModem(), &ui::AdvancedModemTab::pacingChanged, &window,
            [&window](engine::Pacing pacing) { window.pagingCall().setPacing(pacing); });
        QObject::connect(configs->otherSettings(), &ui::OtherSettingsTab::retryPolicyChanged, &window,
            [&window](const dispatch::RetryPolicy& policy) { window.desk().setRetryPolicy(policy); });
        *config = configs;
        return configs;
    });

    window.registerWindow("MQUED",
        [&window, &dialogs] { return new ui::EventsWindow(window.desk(), window.dataFolder(), dialogs, &window); });
    window.registerWindow("MCANNED",
        [&window, &dialogs] { return new ui::QuickPage(window.desk(), window.dataFolder(), dialogs, &window); });
}

} // namespace tolvane::app
