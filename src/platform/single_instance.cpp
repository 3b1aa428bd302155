#include "platform/single_instance.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::platform {

SingleInstanceLock::~SingleInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

SingleInstanceLock::Result SingleInstanceLock::acquire(const std::filesystem::path& programFolder)
{
    const auto path = programFolder / kLockFileName;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return Result::Failed;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(m_fd);
        m_fd = -1;
        if (err == EWOULDBLOCK)
            return Result::AlreadyRunning;
        m_error = "cannot lock " + path.string() + ": " + std::strerror(err);
        return Result::Failed;
    }
    return Result::Acquired;
}

} // namespace tolvane::platform
