#include "store/record_file.h"

#include "store/store_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::store {
namespace {

int errorNumberFor(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return 76;  // path not found
    case EACCES:
    case EPERM:
    case EROFS:
        return 70;
    case EIO:
    case ENODEV:
    case ENXIO:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case ENOTCONN:
    case ESTALE:
        return 68;
    default:
        return 75;
    }
}

[[noreturn]] void fail(const std::filesystem::path& path, const char* what)
{
    const int err = errno;
    throw StoreError(errorNumberFor(err), std::string(what) + " " + path.string() + ": " + std::strerror(err));
}

}  // namespace

RecordFile::RecordFile(std::filesystem::path path, std::size_t recordLength)
    : m_path(std::move(path))
    , m_recordLength(recordLength)
{
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        fail(m_path, "cannot open");
}

RecordFile::~RecordFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::int32_t RecordFile::count() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        fail(m_path, "cannot measure");
    const auto length = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t whole = length / m_recordLength;
    const std::uint64_t rest = length % m_recordLength;
    std::uint64_t rounded = whole;
    if (rest * 2 > m_recordLength || (rest * 2 == m_recordLength && whole % 2 == 1))
        rounded = whole + 1;
    return static_cast<std::int32_t>(rounded);
}

std::string RecordFile::readRaw(std::int32_t n) const
{
    std::string bytes(m_recordLength, '\0');
    if (n < 1)
        return bytes;
    const auto offset = static_cast<off_t>(n - 1) * static_cast<off_t>(m_recordLength);
    std::size_t done = 0;
    while (done < m_recordLength) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, m_recordLength - done, offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(m_path, "cannot read");
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

void RecordFile::writeRaw(std::int32_t n, std::string_view bytes)
{
    std::string record(bytes.substr(0, m_recordLength));
    record.resize(m_recordLength, '\0');
    const auto offset = static_cast<off_t>(n - 1) * static_cast<off_t>(m_recordLength);
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t put = ::pwrite(m_fd, record.data() + done, record.size() - done, offset + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(m_path, "cannot write");
        }
        done += static_cast<std::size_t>(put);
    }
}

std::int32_t RecordFile::appendRaw(std::string_view bytes)
{
    const std::int32_t n = count() + 1;
    writeRaw(n, bytes);
    return n;
}

}  // namespace tolvane::store
