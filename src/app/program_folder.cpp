#include "app/program_folder.h"

#include <system_error>
#include <unistd.h>

namespace tolvane::app {

std::string prepareProgramFolder(const std::filesystem::path& folder)
{
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

} // namespace tolvane::app
