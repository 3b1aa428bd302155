#pragma once

#include "store/data_folder.h"
#include "store/settings.h"

#include <filesystem>
#include <string>

// The data steps of start-up: where the files are, which serial port to use, the running settings.
namespace tolvane::store {

enum class StartupDataOutcome {
    Ready,
    // Reading a file failed (NETWORK.DAT missing or empty, ...): the general error message, then the end.
    GeneralError,
    // The shared folder cannot be reached (error 68): its message, and start-up stops with the window open.
    NetworkDeviceUnavailable,
    // CONFIG.DAT is missing or names no port (the invalid-port case, error 380): its message, then the end.
    MissingInstallationFile,
};

struct StartupData {
    StartupDataOutcome outcome = StartupDataOutcome::GeneralError;
    DataFolder folder { std::filesystem::path() };
    std::string caption; // "Tolvane Network-Shared" with a shared folder, else "Tolvane"
    int portNumber = 0; // from CommPort's last character
    RunningSettings settings;
    // For GeneralError and NetworkDeviceUnavailable: the run-time error number and its description.
    int errorNumber = 0;
    std::string errorDescription;
};

// In the start-up order: NETWORK.DAT and the caption, CONFIG.DAT's port, checkSettings, then whether the
// shared folder can be used (sharedDirectoryAvailable, where the user list would be read). The fields filled
// before a failure stay filled, so the caller can show the window "with whatever was loaded so far". Never
// throws.
StartupData decideDataFolder(const std::filesystem::path& programFolder);

// Whether the directory files can be used (DataFolder::directoryReachable).
bool sharedDirectoryAvailable(const DataFolder& folder);

// The folder of the running executable (from /proc/self/exe); empty when it cannot be told.
std::filesystem::path executableFolder();

} // namespace tolvane::store
