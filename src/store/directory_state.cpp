#include "store/directory_state.h"

#include "store/records.h"

#include <fcntl.h>
#include <unistd.h>

namespace tolvane::store {
namespace {

// FNV-1a over the file's bytes; a missing file hashes differently from an empty one. Directory files are a few
// hundred records: a file beyond any real directory is fingerprinted by its first 4 MB and its length.
std::uint64_t fingerprint(const std::filesystem::path& path)
{
    constexpr std::uint64_t kPrime = 1099511628211ULL;
    std::uint64_t hash = 14695981039346656037ULL;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    char buffer[65536];
    std::uint64_t total = 0;
    for (ssize_t got = 0; total < (4U << 20) && (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        total += static_cast<std::uint64_t>(got);
        for (ssize_t i = 0; i < got; ++i)
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * kPrime;
    }
    const off_t length = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    return (hash ^ static_cast<std::uint64_t>(length)) * kPrime;
}

} // namespace

DirectoryState directoryState(const DataFolder& folder)
{
    DirectoryState state;
    state.sharedFolder = folder.sharedFolder();
    state.reachable = folder.directoryReachable();
    if (!state.reachable)
        return state;
    state.files = { fingerprint(folder.pathOf<UserRecord>()), fingerprint(folder.pathOf<GroupRecord>()),
        fingerprint(folder.pathOf<TerminalRecord>()) };
    return state;
}

} // namespace tolvane::store
