#include "store/network_file.h"

#include "store/codepage.h"
#include "store/data_file.h"
#include "store/record_file.h"
#include "store/records.h"
#include "store/store_error.h"
#include "store/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::store {

namespace {

std::string quotedValue(std::string_view line)
{
    const std::string text = trim(line);
    if (text.empty() || text.front() != '"')
        return text;
    const std::size_t close = text.find_last_of('"');
    if (close == 0)
        return text.substr(1); // no closing quote: the rest of the line
    return text.substr(1, close - 1);
}

} // namespace

std::string readNetworkFile(const std::filesystem::path& path)
{
    const auto all = readDataFile(path);
    if (!all)
        throw StoreError(53, "File not found");
    if (all->empty())
        throw StoreError(62, "Input past end of file");

    std::string_view line(*all);
    const std::string value = quotedValue(line.substr(0, line.find_first_of("\r\n")));
    // The system would take the path only up to the NUL, and so use another folder than the file names.
    if (value.find('\0') != std::string::npos)
        throw StoreError(
            75, path.string() + " names a shared folder with a NUL character in it, which no folder name can hold");
    return value;
}

void writeNetworkFile(const std::filesystem::path& path, std::string_view folder)
{
    std::string content;
    content.reserve(folder.size() + 4);
    content.append(1, '"').append(folder).append("\"\r\n");
    std::filesystem::path dir = path.parent_path();
    if (dir.empty())
        dir = ".";
    std::string scratch = (dir / "NETWORK.DAT.XXXXXX").string();
    const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0)
        throw StoreError(errno == ENOENT ? 76 : 70, "cannot write " + path.string() + ": " + std::strerror(errno));
    ::fchmod(fd, 0644);
    bool ok = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(scratch.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(scratch.c_str());
        throw StoreError(75, "cannot write " + path.string() + ": " + std::strerror(err));
    }
}

std::string sharedFolderFromChosenFile(std::string_view chosenFile)
{
    // Only the file's own name counts: "/srv/users.dat.old/USERS.DAT" lies in /srv/users.dat.old/, and
    // "/srv/myusers.dat" is not a user file at all.
    const std::size_t slash = chosenFile.find_last_of('/');
    if (slash == std::string_view::npos)
        return {};
    const std::string_view name = chosenFile.substr(slash + 1);
    constexpr std::string_view kUsers = "USERS.DAT";
    if (name.size() != kUsers.size())
        return {};
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != kUsers[i])
            return {};
    }
    return std::string(chosenFile.substr(0, slash + 1));
}

std::string applyNetworkSetup(DataFolder& folder, std::string_view chosenFile)
{
    const std::string shared = sharedFolderFromChosenFile(chosenFile);
    useSharedFolder(folder, shared);
    return shared;
}

void useSharedFolder(DataFolder& folder, std::string sharedFolder)
{
    if (!sharedFolder.empty() && sharedFolder.back() != '/')
        sharedFolder += '/';
    writeNetworkFile(folder.programPath("NETWORK.DAT"), sharedFolder);
    folder.setSharedFolder(std::move(sharedFolder));
}

std::string createSharedDirectory(const DataFolder& from, const std::filesystem::path& sharedFolder, NewShare content)
{
    const std::string where = utf8ToCp1252(sharedFolder.string());
    const DataFolder target(sharedFolder);
    for (const std::string_view name : { UserRecord::kFileName, GroupRecord::kFileName, TerminalRecord::kFileName }) {
        std::error_code ec;
        if (std::filesystem::exists(target.programPath(name), ec))
            return "The folder " + where + " already holds " + std::string(name)
                + ": it is a shared directory already, or part of one. Choose it as an existing shared directory, "
                  "or choose an empty folder. Nothing was changed.";
    }
    const std::filesystem::path files[] = { target.programPath(TerminalRecord::kFileName),
        target.programPath(GroupRecord::kFileName), target.programPath(UserRecord::kFileName) };
    std::vector<std::filesystem::path> written;
    try {
        std::string bytes[3];
        if (content == NewShare::CopyDirectory) {
            if (!from.directoryReachable())
                throw StoreError(68, from.unreachableText());
            bytes[0] = RecordFile(from.pathOf<TerminalRecord>(), TerminalRecord::kLength).readAllRaw();
            bytes[1] = RecordFile(from.pathOf<GroupRecord>(), GroupRecord::kLength).readAllRaw();
            bytes[2] = RecordFile(from.pathOf<UserRecord>(), UserRecord::kLength).readAllRaw();
        }
        for (int i = 0; i < 3; ++i) {
            if (!createWholeFile(files[i], bytes[i]))
                throw StoreError(58, files[i].filename().string() + " appeared there meanwhile");
            written.push_back(files[i]);
        }
    } catch (const StoreError& error) {
        std::error_code ignored;
        for (const auto& file : written)
            std::filesystem::remove(file, ignored);
        return "The shared directory could not be created in " + where + ": " + error.what() + ". Nothing was changed.";
    }
    return {};
}

} // namespace tolvane::store
