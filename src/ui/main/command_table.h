#pragma once

#include <QStyle>

#include <span>

namespace tolvane::ui {

class MainWindow;

// When a command can run. The window computes the desk's command state once and reads each command's
// rule from it, so a menu item and its buttons on both toolbars always agree.
enum class Enabling {
    Always,
    Send, // a message and exactly one recipient, no run in progress
    Queue, // a message and at least one recipient
    SendQueue, // a non-empty page queue, no run in progress
    Cancel, // the port is open or a run is in progress
    ClearQueue, // no run is reading the page queue
    Idle, // no run in progress: the command re-runs the start-up sequence
    Window, // the window it shows has been registered
};

// One command of the main window: its menu item, and its button on both toolbars when it has one.
struct CommandRow {
    const char* menu; // object name of the menu it sits in
    const char* name; // the menu item's object name, "MSEND"
    const char* caption; // "&" marks the access key
    const char* shortcut; // QKeySequence text; empty for none
    Enabling enabling;
    void (MainWindow::*run)(); // nullptr for a registered window's command
    bool separatorBefore = false;

    // The toolbars: 1-based position on both, 0 for a command that has no button.
    int position = 0;
    const char* key = ""; // "SendPage"
    const char* smallDescription = ""; // Toolbar1: shown in the customise dialog
    const char* smallTip = "";
    const char* largeDescription = ""; // Toolbar2
    const char* largeTip = "";
    const char* themeIcon = ""; // the desktop's icon theme
    QStyle::StandardPixmap fallbackIcon = QStyle::SP_CustomBase; // always there, on a bare machine too
};

struct MenuRow {
    const char* name;
    const char* caption;
    bool inMenuBar; // the tray's menu is never shown there
};

std::span<const MenuRow> menuTable();
std::span<const CommandRow> commandTable();

// The command whose toolbar key this is; nullptr for a key no command has.
const CommandRow* commandForKey(const QString& key);

// The toolbars' design layout: each position's key in order, separators as kSeparatorKey.
inline constexpr char kSeparatorKey[] = "-";
QStringList designToolbarLayout();

} // namespace tolvane::ui
