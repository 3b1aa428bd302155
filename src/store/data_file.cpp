#include "store/data_file.h"

#include "store/store_error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::store {
namespace {

constexpr int kPathFileAccessError = 75;

std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "something else";
}

[[noreturn]] void refuseKind(const std::filesystem::path& path, mode_t mode)
{
    throw StoreError(kPathFileAccessError, path.string() + " is " + kindOf(mode) + ", not a data file");
}

void checkSize(const std::filesystem::path& path, std::uintmax_t size)
{
    const std::uintmax_t limit = sizeLimitOf(path);
    if (size > limit)
        throw StoreError(kPathFileAccessError,
            path.string() + " holds " + std::to_string(size) + " bytes, more than the " + std::to_string(limit / 1024)
                + " KB a configuration file can hold, so it is not read");
}

} // namespace

std::uintmax_t sizeLimitOf(const std::filesystem::path& path)
{
    static constexpr std::array<std::string_view, 7> kConfigurationFiles { "CONFIG.DAT", "MODEM.DAT", "ADVANCE.DAT",
        "SETTINGS.DAT", "QUICK.DAT", "NETWORK.DAT", "PORTS.DAT" };
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
        [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return std::find(kConfigurationFiles.begin(), kConfigurationFiles.end(), name) != kConfigurationFiles.end()
        ? kConfigurationFileLimit
        : std::numeric_limits<std::uintmax_t>::max();
}

int openDataFile(const std::filesystem::path& path, int flags, mode_t mode)
{
    // Non-blocking: a named pipe would otherwise hold the open until someone writes to it.
    int fd = -1;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    struct stat st { };
    if (fd < 0) {
        // A folder opened for writing, or a pipe nobody reads, fails before it can be looked at.
        const int openError = errno;
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            refuseKind(path, st.st_mode);
        errno = openError;
        return -1;
    }
    try {
        if (::fstat(fd, &st) != 0)
            throw StoreError(kPathFileAccessError, "cannot measure " + path.string() + ": " + std::strerror(errno));
        if (!S_ISREG(st.st_mode))
            refuseKind(path, st.st_mode);
        checkSize(path, static_cast<std::uintmax_t>(st.st_size));
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<std::string> readDataFile(const std::filesystem::path& path)
{
    const int fd = openDataFile(path, O_RDONLY);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw StoreError(kPathFileAccessError, "cannot open " + path.string() + ": " + std::strerror(errno));
    }
    std::string all;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int readError = errno;
            ::close(fd);
            throw StoreError(kPathFileAccessError, "cannot read " + path.string() + ": " + std::strerror(readError));
        }
        if (got == 0)
            break;
        all.append(buffer, static_cast<std::size_t>(got));
        // A file that grows while it is read is held to its limit all the same.
        if (all.size() > sizeLimitOf(path)) {
            ::close(fd);
            checkSize(path, all.size());
        }
    }
    ::close(fd);
    return all;
}

} // namespace tolvane::store
