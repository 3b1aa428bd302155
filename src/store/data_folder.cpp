#include "store/data_folder.h"

namespace tolvane::store {

DataFolder::DataFolder(std::filesystem::path programFolder)
    : m_programFolder(std::move(programFolder))
{
}

void DataFolder::setSharedFolder(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    m_sharedFolder = std::move(folder);
}

std::filesystem::path DataFolder::programPath(std::string_view fileName) const
{
    return m_programFolder / std::string(fileName);
}

std::filesystem::path DataFolder::directoryPath(std::string_view fileName) const
{
    if (m_sharedFolder.empty())
        return programPath(fileName);
    return std::filesystem::path(m_sharedFolder) / std::string(fileName);
}

bool DataFolder::isDirectoryFile(std::string_view fileName)
{
    return fileName == "USERS.DAT" || fileName == "GROUP.DAT" || fileName == "TERMINAL.DAT";
}

} // namespace tolvane::store
