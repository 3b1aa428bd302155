#include "store/scratch_files.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace tolvane::store {
namespace {

constexpr std::string_view kScratchPrefix = "TEMP.DAT.";

// This machine's name as it goes into scratch file names: letters, digits and dashes only, so the name's
// dots still part host, process and the unique ending.
const std::string& hostTag()
{
    static const std::string tag = [] {
        std::array<char, 256> name {};
        if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0')
            return std::string("host");
        std::string text(name.data());
        for (char& c : text) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                c = '_';
        }
        return text;
    }();
    return tag;
}

// Whether `entry` is a scratch file that can go now: one of this host whose process is gone at once, any other
// (another host's, or one named before names carried the host) once it is older than any replacement could take.
bool abandonedScratchFile(const std::filesystem::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kScratchPrefix))
        return false;
    const std::string_view rest = std::string_view(name).substr(kScratchPrefix.size());
    const std::size_t endDot = rest.rfind('.');
    const bool oldName = endDot == std::string_view::npos && rest.size() == 6;
    if (!oldName) {
        if (endDot == std::string_view::npos || rest.size() - endDot != 7)
            return false;
        const std::string_view writer = rest.substr(0, endDot);
        const std::size_t hostEnd = writer.rfind('.');
        if (hostEnd == std::string_view::npos)
            return false;
        const std::string process(writer.substr(hostEnd + 1));
        const long pid = std::strtol(process.c_str(), nullptr, 10);
        if (writer.substr(0, hostEnd) == hostTag() && pid > 0 && std::to_string(pid) == process
            && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            return true;
    }
    std::error_code timeError;
    const auto written = entry.last_write_time(timeError);
    return !timeError && std::filesystem::file_time_type::clock::now() - written > std::chrono::hours(1);
}

} // namespace

std::string scratchFilePattern()
{
    return std::string(kScratchPrefix) + hostTag() + "." + std::to_string(::getpid()) + ".XXXXXX";
}

void removeAbandonedScratchFiles(const std::filesystem::path& folder)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (abandonedScratchFile(*it))
            std::filesystem::remove(it->path(), ignored);
    }
}

void removeAbandonedScratchFiles(const DataFolder& folder)
{
    removeAbandonedScratchFiles(folder.programFolder());
    if (!folder.sharedFolder().empty())
        removeAbandonedScratchFiles(std::filesystem::path(folder.sharedFolder()));
}

} // namespace tolvane::store
