#pragma once

#include <chrono>

namespace tolvane::engine {
class SerialLine;
}
namespace tolvane::platform {
class DialogService;
class PortMap;
} // namespace tolvane::platform
namespace tolvane::ui {
class MainWindow;
}

namespace tolvane::app {

// Registers the windows the main window's commands open: the directory editor, the configuration window,
// the Events window and Quick Page. Each is created on first use, and the main window follows what they
// change: its lists after every directory change, its running settings, toolbar and pacing after the
// configuration window, and no paging call while the modem test holds the port. The directory files are
// watched (looked at every `directoryLookInterval` where the file system does not notify): the main window's
// lists and an open directory editor follow another workstation's changes, and the editor a sort or a network
// setup of the main window.
void registerCompanionWindows(ui::MainWindow& window, platform::DialogService& dialogs, platform::PortMap& ports,
    engine::SerialLine& line, bool practice, std::chrono::milliseconds directoryLookInterval = std::chrono::seconds(3));

} // namespace tolvane::app
