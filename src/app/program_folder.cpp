#include "app/program_folder.h"

#include "store/defaults.h"

#include <array>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace tolvane::app {
namespace {

bool fileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool lexicallyUnder(const std::filesystem::path& folder, const std::filesystem::path& tree)
{
    const auto relative = folder.lexically_relative(tree);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

std::string prepareProgramFolder(const std::filesystem::path& folder)
{
    if (folder.empty())
        return "No program folder: no home folder to keep the data files in; give one with --data-dir";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return "Cannot create the program folder " + folder.string() + ": " + ec.message();
    if (!std::filesystem::is_directory(folder, ec))
        return "The program folder " + folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "The program folder " + folder.string() + " cannot be written";
    return {};
}

std::filesystem::path defaultProgramFolder(const std::filesystem::path& executableFolder)
{
    if (!executableFolder.empty() && (store::holdsDataFiles(executableFolder) || !isSystemFolder(executableFolder)))
        return executableFolder;
    return perUserDataFolder();
}

bool isSystemFolder(const std::filesystem::path& folder)
{
    // Root may write anywhere, so writing alone cannot tell an installation from a copy: the trees can.
    static const std::array<const char*, 9> kSystemTrees { "/usr", "/bin", "/sbin", "/lib", "/lib64", "/opt", "/snap",
        "/nix", "/gnu" };
    const auto normal = folder.lexically_normal();
    for (const char* tree : kSystemTrees) {
        if (lexicallyUnder(normal, tree))
            return true;
    }
    const bool installedUnderPrefix
        = normal.filename() == "bin" && fileExists(normal.parent_path() / "share" / "applications" / "tolvane.desktop");
    return installedUnderPrefix || ::access(normal.c_str(), W_OK | X_OK) != 0;
}

std::filesystem::path perUserDataFolder()
{
    // The XDG base directory rules: a relative XDG_DATA_HOME is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return std::filesystem::path(data) / "tolvane";
    std::filesystem::path home;
    if (const char* variable = std::getenv("HOME"); variable && variable[0] == '/')
        home = variable;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        home = entry->pw_dir;
    return home.empty() ? std::filesystem::path() : home / ".local" / "share" / "tolvane";
}

} // namespace tolvane::app
