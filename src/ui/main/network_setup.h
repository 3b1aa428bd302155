#pragma once

#include <QString>

#include <string>

namespace tolvane::platform {
class DialogService;
}
namespace tolvane::store {
class DataFolder;
}

namespace tolvane::ui {

inline constexpr char kNetworkDialogTitle[] = "Set Network Path for Shared Files";
// Workstations created the shared file as USERS.DAT, Users.dat or users.dat: the dialog shows each.
inline constexpr char kNetworkDialogFilter[] = "User File (Users.dat) (Users.dat USERS.DAT users.dat Users.DAT)";

// The chosen file's full path in the file system's own bytes (UTF-8), not Windows-1252: it is a path, not
// page text. Empty for a cancelled dialog.
std::string chosenFilePath(const QString& chosen);

// The shared folder that a file chosen in the network setup dialog names: its folder, ending in "/", when
// the file is called users.dat in any letter case; empty for any other file and for a cancelled dialog.
// The folder is in the file system's own bytes (UTF-8), not Windows-1252: it is a path, not page text.
std::string sharedFolderFromChosenFile(const QString& chosen);

// "File > Network Shared Setup": the operator chooses an existing shared directory (its USERS.DAT, in the file
// dialog whose cancel goes back to this workstation's own directory), creates a new one in a folder without
// directory files (copying the directory in use, or empty), or goes back to this workstation's own directory.
// True when NETWORK.DAT and `folder` now name another place: the caller runs its start-up again. Throws
// StoreError when NETWORK.DAT cannot be written.
bool runNetworkSetup(platform::DialogService& dialogs, store::DataFolder& folder);

} // namespace tolvane::ui
