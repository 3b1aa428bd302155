#include "store/data_folder.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tolvane::store {
namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// A folder filled by hand or by a copying tool may hold "Users.dat": the data file names are taken without
// regard to case, so an existing file of any spelling is the one meant; a new file gets the canonical
// upper-case name.
std::filesystem::path existingSpelling(const std::filesystem::path& folder, std::string_view fileName)
{
    std::filesystem::path exact = folder / std::string(fileName);
    std::error_code ec;
    if (std::filesystem::exists(exact, ec))
        return exact;
    std::filesystem::path found;
    // increment(ec), not ++: a share that drops in the middle of the listing must not throw past the callers.
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (sameNameIgnoringCase(name, fileName) && (found.empty() || it->path() < found))
            found = it->path();
    }
    return found.empty() ? exact : found;
}

} // namespace

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
    return existingSpelling(m_programFolder, fileName);
}

std::filesystem::path DataFolder::directoryPath(std::string_view fileName) const
{
    if (m_sharedFolder.empty())
        return programPath(fileName);
    return existingSpelling(std::filesystem::path(m_sharedFolder), fileName);
}

bool DataFolder::isDirectoryFile(std::string_view fileName)
{
    return fileName == "USERS.DAT" || fileName == "GROUP.DAT" || fileName == "TERMINAL.DAT";
}

} // namespace tolvane::store
