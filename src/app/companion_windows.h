#pragma once

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
// configuration window, and no paging call while the modem test holds the port.
void registerCompanionWindows(ui::MainWindow& window, platform::DialogService& dialogs, platform::PortMap& ports,
    engine::SerialLine& line, bool practice);

} // namespace tolvane::app
