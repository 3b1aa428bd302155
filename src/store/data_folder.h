#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::store {

// Where each data file lives: USERS.DAT, GROUP.DAT and TERMINAL.DAT in the shared folder when one is
// set, everything else always in the program folder. The path is computed at every open, so a change
// of the shared folder takes effect with the next operation.
class DataFolder {
public:
    explicit DataFolder(std::filesystem::path programFolder);

    const std::filesystem::path& programFolder() const { return m_programFolder; }

    // Empty, or a folder path ending in "/".
    const std::string& sharedFolder() const { return m_sharedFolder; }
    void setSharedFolder(std::string folder);

    std::filesystem::path programPath(std::string_view fileName) const;
    std::filesystem::path directoryPath(std::string_view fileName) const;

    // The right place for a record type's file.
    template <class Record> std::filesystem::path pathOf() const
    {
        return isDirectoryFile(Record::kFileName) ? directoryPath(Record::kFileName) : programPath(Record::kFileName);
    }

    static bool isDirectoryFile(std::string_view fileName);

    // Whether the directory files can be used: always without a shared folder; with one, only while it can be
    // reached and holds USERS.DAT (in any letter case). The empty mount point of a share that is not mounted
    // would otherwise take new users and companies that vanish when the share comes back.
    bool directoryReachable() const;
    // "The shared directory /mnt/office/tolvane cannot be reached." (Windows-1252, as every core text).
    std::string unreachableText() const;

private:
    std::filesystem::path m_programFolder;
    std::string m_sharedFolder;
};

} // namespace tolvane::store
