#include "ui/main/command_table.h"

#include "ui/main/main_window.h"

#include <QStringList>

#include <algorithm>

namespace tolvane::ui {
namespace {

using M = MainWindow;
using S = QStyle;

constexpr MenuRow kMenus[] = {
    { "MFILE", "&File", true },
    { "MSETUP2", "&Setup", true },
    { "MTOOLBAR", "&Toolbar", true },
    { "MVIEW", "&View", true },
    { "MCLEAR", "&Clear", true },
    { "MUSRS", "&Users", true },
    { "MPAGE", "&Page", true },
    { "MHIDE", "&Hide", true },
    { "MHELP", "&Help", true },
    { "MSYSTRAY", "Systray", false },
};

// In menu order. The toolbar columns: position, key, then Toolbar1's and Toolbar2's description and tool
// tip, texts as designed.
const CommandRow kCommands[] = {
    { "MFILE", "MNETWORK", "&Network Shared Setup", "", Enabling::Idle, &M::setUpNetworkShare },
    { "MFILE", "MEXIT", "&Exit", "Ctrl+E", Enabling::Always, &M::exitProgram, true, 22, "Exit", "Exit Program",
        "Exit Program", "Exit Program", "Exit Program", "application-exit", S::SP_DialogCloseButton },
    { "MSETUP2", "MUSERS", "&Users/Groups/Paging Company", "Ctrl+U", Enabling::Window, nullptr, false, 1, "Groups",
        "User/Group/Page Company Setup", "User/Group/Page Company Setup", "Setup User/Groups/Page",
        "Setup Users/Goups/Paging", "system-users", S::SP_DirHomeIcon },
    { "MSETUP2", "MMODEMS", "&Modem/Configs", "Ctrl+M", Enabling::Window, nullptr, false, 2, "Config",
        "Modem/Configs Settings", "Modem/Configs Settings", "Setup Modem/Configs", "Setup Modem/Configs",
        "preferences-system", S::SP_ComputerIcon },
    { "MTOOLBAR", "MSETUP", "&Customize", "Ctrl+C", Enabling::Always, &M::customizeToolbar, false, 9, "ToolConfig",
        "Customize Toolbar", "Customize Toolbar", "Customize Toolbar", "Customize Toolbar", "preferences-desktop",
        S::SP_FileDialogDetailedView },
    { "MTOOLBAR", "MTOGGLE", "&Toggle Icon Size", "Ctrl+I", Enabling::Always, &M::toggleIconSize, false, 10,
        "ToolToggle", "Toggle Icon Size", "Toggle Icon Size", "Toggle Icon Size", "Toggle Icon Size", "zoom-in",
        S::SP_TitleBarMaxButton },
    { "MVIEW", "MCANNED", "&Canned Messages", "F6", Enabling::Window, nullptr, false, 13, "Canned", "Canned Messages",
        "Canned Messages", "Canned Messages", "Canned Messages", "accessories-text-editor", S::SP_FileIcon },
    { "MVIEW", "MQUED", "&Events", "F7", Enabling::Window, nullptr, false, 12, "Que", "View Events", "View Events",
        "View Events", "View Events", "x-office-calendar", S::SP_FileDialogListView },
    { "MVIEW", "MCONNECT", "&Connection Window", "F11", Enabling::Always, &M::showConnectionWindow, false, 11, "View",
        "View Connection Window", "View Connection Window", "View Connection Window", "View Connection Window",
        "utilities-terminal", S::SP_DriveNetIcon },
    { "MVIEW", "MVUSERS", "&Users", "", Enabling::Always, &M::showUsers, true },
    { "MVIEW", "MVGROUPS", "&Groups", "", Enabling::Always, &M::showGroups },
    { "MVIEW", "MBOTH", "&Both", "", Enabling::Always, &M::showBoth },
    { "MCLEAR", "MSENDLIST", "&Recipient List", "", Enabling::Always, &M::clearRecipients, false, 4, "ClearSend",
        "Clear Send List", "Clear Send List", "Clear Recipient List", "Clear Recipient List", "edit-clear-list",
        S::SP_DialogResetButton },
    { "MCLEAR", "MMESSAGE", "&Message Text", "", Enabling::Always, &M::clearMessage, false, 5, "ClearMessage",
        "Clear Message Text", "Clear Message Text", "Clear Message Text", "Clear Message Text", "edit-clear",
        S::SP_DialogCancelButton },
    { "MCLEAR", "MCLEARQUE", "&Clear the Que", "F9", Enabling::ClearQueue, &M::clearQueue, false, 6, "ClearQueued",
        "Clear The Que", "Clear The Que", "Clear Queued Messages", "Clear Queued Messages", "edit-delete",
        S::SP_TrashIcon },
    { "MUSRS", "MSEARCH", "&Search For", "Ctrl+S", Enabling::Always, &M::searchUsers, false, 7, "Search",
        "Search User List", "Search User List", "Search User List", "Search User List", "edit-find",
        S::SP_FileDialogContentsView },
    { "MUSRS", "MSORT", "S&ort User Records", "", Enabling::Idle, &M::sortUsers, false, 8, "Sort", "Sort User List",
        "Sort User List", "Sort User List", "Sort User List", "view-sort-ascending", S::SP_ArrowDown },
    { "MPAGE", "MSEND", "&Send", "F2", Enabling::Send, &M::sendPage, false, 17, "SendPage", "Send Single User Page",
        "Send Single User Page", "Send Single User Page", "Send Single User Page", "mail-send", S::SP_MediaPlay },
    { "MPAGE", "MCANCEL", "&Cancel", "F3", Enabling::Cancel, &M::cancelPages, false, 18, "CancelPage", "Cancel Page(s)",
        "Cancel Page(s)", "Cancel Page(s)", "Cancel Page(s)", "process-stop", S::SP_BrowserStop },
    { "MPAGE", "MSENDTOQUE", "&Que Messages", "F4", Enabling::Queue, &M::queueMessage, false, 16, "queueMessage",
        "Que Messages", "Que Messages", "Send Messages to Que", "Send Messages To Que", "list-add",
        S::SP_DialogSaveButton },
    { "MPAGE", "MSENDQUE", "S&end Queued Messages", "F5", Enabling::SendQueue, &M::sendQueue, false, 15, "SendQue",
        "Send Queued Messages", "Send Queued Messages", "Send Queued Messages", "Send Queued Messages",
        "mail-send-receive", S::SP_MediaSeekForward },
    { "MPAGE", "MFORCE", "&Force Hangup", "Ctrl+F", Enabling::Always, &M::forceHangUp, true },
    { "MHIDE", "MHIDEPROG", "Hide &Program", "F12", Enabling::Always, &M::hideProgram },
    { "MHELP", "MCONTENTS", "&Contents", "", Enabling::Always, &M::showHelpContents, false, 21, "ViewHelp", "Help",
        "Help", "Help", "Help", "help-contents", S::SP_DialogHelpButton },
    { "MHELP", "MINDEX", "&Index", "F1", Enabling::Always, &M::showHelpIndex },
    { "MHELP", "MABOUT2", "&About", "", Enabling::Always, &M::showAbout, true, 20, "About", "About", "About Program",
        "About", "About", "help-about", S::SP_MessageBoxInformation },
    { "MSYSTRAY", "MRESTORE", "Restore", "", Enabling::Always, &M::restoreWindow },
    { "MSYSTRAY", "MCLOSE", "Close", "", Enabling::Always, &M::closeFromTray },
};

constexpr int kToolbarPositions = 22; // positions 3, 14 and 19 are separators

} // namespace

std::span<const MenuRow> menuTable()
{
    return kMenus;
}

std::span<const CommandRow> commandTable()
{
    return kCommands;
}

const CommandRow* commandForKey(const QString& key)
{
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
        [&](const CommandRow& row) { return row.position > 0 && key == QLatin1String(row.key); });
    return found == std::end(kCommands) ? nullptr : &*found;
}

QStringList designToolbarLayout()
{
    QStringList keys;
    for (int position = 1; position <= kToolbarPositions; ++position) {
        const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
            [position](const CommandRow& row) { return row.position == position; });
        keys << (found == std::end(kCommands) ? QString::fromLatin1(kSeparatorKey) : QString::fromLatin1(found->key));
    }
    return keys;
}

} // namespace tolvane::ui
