#include "store/data_folder.h"

#include "store/codepage.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <unistd.h>

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

bool DataFolder::directoryReachable() const
{
    if (m_sharedFolder.empty())
        return true;
    std::error_code ec;
    return std::filesystem::is_directory(m_sharedFolder, ec) && ::access(m_sharedFolder.c_str(), R_OK | X_OK) == 0
        && std::filesystem::exists(directoryPath("USERS.DAT"), ec);
}

std::string DataFolder::unreachableText() const
{
    std::string folder = m_sharedFolder;
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // The folder's name is in the file system's bytes (UTF-8); the text goes out as every core text does.
    return "The shared directory " + utf8ToCp1252(folder) + " cannot be reached.";
}

} // namespace tolvane::store
