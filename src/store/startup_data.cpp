#include "store/startup_data.h"

#include "store/network_file.h"
#include "store/record_file.h"
#include "store/records.h"
#include "store/scratch_files.h"
#include "store/store_error.h"

namespace tolvane::store {

bool sharedDirectoryAvailable(const DataFolder& folder)
{
    return folder.directoryReachable();
}

StartupData decideDataFolder(const std::filesystem::path& programFolder)
{
    StartupData data;
    data.folder = DataFolder(programFolder);
    try {
        const std::string shared = readNetworkFile(data.folder.programPath("NETWORK.DAT"));
        if (!shared.empty())
            data.folder.setSharedFolder(shared);
        data.caption = data.folder.sharedFolder().empty() ? "Tolvane" : "Tolvane Network-Shared";

        // A missing CONFIG.DAT reads as an empty record, port 0, without leaving an empty file behind.
        const std::filesystem::path configPath = data.folder.pathOf<ConfigRecord>();
        std::error_code ec;
        if (std::filesystem::exists(configPath, ec))
            data.portNumber = readRecordAt<ConfigRecord>(configPath).portNumber();
        if (data.portNumber == 0) {
            data.outcome = StartupDataOutcome::MissingInstallationFile;
            data.errorNumber = 380;
            data.errorDescription = "Invalid property value";
            return data;
        }

        data.settings = checkSettings(data.folder);

        if (!sharedDirectoryAvailable(data.folder)) {
            data.outcome = StartupDataOutcome::NetworkDeviceUnavailable;
            data.errorNumber = 68;
            data.errorDescription = "Device unavailable";
            return data;
        }
        removeAbandonedScratchFiles(data.folder);
        data.outcome = StartupDataOutcome::Ready;
    } catch (const StoreError& error) {
        data.outcome
            = error.number() == 68 ? StartupDataOutcome::NetworkDeviceUnavailable : StartupDataOutcome::GeneralError;
        data.errorNumber = error.number();
        data.errorDescription = error.what();
    }
    return data;
}

std::filesystem::path executableFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace tolvane::store
