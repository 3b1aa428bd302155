#include "store/page_log.h"

#include "store/data_file.h"
#include "store/store_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::store {

namespace {
std::filesystem::path logPath(const DataFolder& folder)
{
    return folder.programPath("LOG.DAT");
}
} // namespace

void appendLogLine(const DataFolder& folder, std::string_view text)
{
    const std::filesystem::path path = logPath(folder);
    std::string line;
    line.reserve(text.size() + 4);
    line.append(1, '"').append(text).append("\"\r\n");
    const int fd = openDataFile(path, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0)
        throw StoreError(
            errno == EACCES || errno == EROFS ? 70 : 75, "cannot open " + path.string() + ": " + std::strerror(errno));
    ssize_t put = 0;
    do
        put = ::write(fd, line.data(), line.size());
    while (put < 0 && errno == EINTR);
    const int err = errno;
    if (put > 0 && put < static_cast<ssize_t>(line.size())) {
        // A line cut short (a full disk) has no closing quote and would swallow the next line when the log is
        // read back, so take the fragment away again, unless something was appended after it meanwhile.
        struct stat st { };
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        if (end >= put && ::fstat(fd, &st) == 0 && st.st_size == end) {
            [[maybe_unused]] const int ignored = ::ftruncate(fd, end - put);
        }
    }
    // The kept page queue marks a page answered only after its line is here: the line must be on the disk by then.
    // (A log that is no file, such as a device, cannot be synced and need not be.)
    const int syncError
        = put == static_cast<ssize_t>(line.size()) && ::fdatasync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    if (syncError != 0)
        throw StoreError(75, "cannot write " + path.string() + ": " + std::strerror(syncError));
    if (put != static_cast<ssize_t>(line.size()))
        throw StoreError(put < 0 && (err == ENOSPC || err == EDQUOT) ? 61 : 75,
            "cannot write " + path.string() + (put < 0 ? std::string(": ") + std::strerror(err) : std::string()));
}

std::vector<std::string> readLog(const DataFolder& folder)
{
    return readLogFrom(folder, 0);
}

std::vector<std::string> readLogFrom(const DataFolder& folder, std::uint64_t offset)
{
    std::vector<std::string> records;
    std::string all;
    try {
        all = readDataFile(logPath(folder)).value_or(std::string());
    } catch (const StoreError&) {
        // The viewer shows what it can; a log that cannot be written is reported when a page is logged.
        return records;
    }
    // A log cleared since the offset was taken starts again at its beginning.
    if (offset <= all.size())
        all.erase(0, static_cast<std::size_t>(offset));
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t open = all.find('"', pos);
        if (open == std::string::npos)
            break;
        const std::size_t close = all.find("\"\r\n", open + 1);
        if (close == std::string::npos) {
            // A last record whose closing quote never made it to disk: keep what is there.
            std::string rest = all.substr(open + 1);
            if (!rest.empty() && rest.back() == '"')
                rest.pop_back();
            records.push_back(std::move(rest));
            break;
        }
        records.push_back(all.substr(open + 1, close - open - 1));
        pos = close + 3;
    }
    return records;
}

std::uint64_t logLength(const DataFolder& folder)
{
    struct stat st { };
    return ::stat(logPath(folder).c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool clearLog(const DataFolder& folder)
{
    std::error_code ec;
    return std::filesystem::remove(logPath(folder), ec) && !ec;
}

} // namespace tolvane::store
