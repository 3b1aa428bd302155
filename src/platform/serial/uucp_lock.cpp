#include "platform/serial/uucp_lock.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

bool isAlive(pid_t pid)
{
    if (pid <= 0)
        return false;
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string resolvedDevice(std::string_view devicePath)
{
    // Programs that open the device through a link (/dev/serial/by-id/...) must meet at the same lock.
    std::error_code error;
    const auto canonical = std::filesystem::canonical(std::filesystem::path(devicePath), error);
    return error ? std::string(devicePath) : canonical.string();
}

// The locks this process holds. A lock naming this process but missing here was left by an earlier
// process that had the same id (a restarted container often gets the same one): it is stale.
std::mutex s_heldMutex;
std::set<std::string> s_heldHere;

bool heldHere(const std::filesystem::path& lockFile)
{
    const std::lock_guard guard(s_heldMutex);
    return s_heldHere.count(lockFile.string()) != 0;
}

void markHeldHere(const std::filesystem::path& lockFile, bool held)
{
    const std::lock_guard guard(s_heldMutex);
    if (held)
        s_heldHere.insert(lockFile.string());
    else
        s_heldHere.erase(lockFile.string());
}

bool ownerIsLive(const std::filesystem::path& lockFile, pid_t owner)
{
    if (owner == ::getpid())
        return heldHere(lockFile);
    return isAlive(owner);
}

} // namespace

UucpLock::UucpLock(std::filesystem::path lockFolder, std::string_view devicePath)
    : m_lockFolder(std::move(lockFolder))
    , m_lockFile(m_lockFolder / lockFileName(resolvedDevice(devicePath)))
{
}

UucpLock::~UucpLock()
{
    release();
}

std::string UucpLock::lockFileName(std::string_view devicePath)
{
    std::string name;
    constexpr std::string_view kDevFolder = "/dev/";
    if (devicePath.starts_with(kDevFolder)) {
        name = devicePath.substr(kDevFolder.size());
    } else {
        const auto slash = devicePath.rfind('/');
        name = slash == std::string_view::npos ? devicePath : devicePath.substr(slash + 1);
    }
    for (auto& c : name) {
        if (c == '/')
            c = '_';
    }
    return "LCK.." + name;
}

std::string UucpLock::contentFor(pid_t pid)
{
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

pid_t UucpLock::ownerOf(const std::filesystem::path& lockFile)
{
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char bytes[32] = {};
    const auto length = ::read(fd, bytes, sizeof bytes - 1);
    ::close(fd);
    if (length <= 0)
        return 0;

    long value = 0;
    bool digits = false;
    for (ssize_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            value = value * 10 + (c - '0');
            if (value > INT32_MAX)
                return 0;
        } else if (c == ' ' && !digits) {
            continue;
        } else {
            break;
        }
    }
    if (digits)
        return static_cast<pid_t>(value);
    // Old programs wrote the id as a binary integer.
    if (length == sizeof(std::int32_t)) {
        std::int32_t binary = 0;
        std::memcpy(&binary, bytes, sizeof binary);
        return binary > 0 ? static_cast<pid_t>(binary) : 0;
    }
    return 0;
}

UucpLock::Outcome UucpLock::acquire()
{
    if (m_held)
        return Outcome::Taken;
    m_otherOwner = 0;

    // A few rounds, for another program taking or dropping the lock at the same moment.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t owner = ownerOf(m_lockFile);
        if (owner != 0 && ownerIsLive(m_lockFile, owner)) {
            m_otherOwner = owner;
            return Outcome::HeldByOther;
        }
        if (::access(m_lockFolder.c_str(), W_OK) != 0)
            return Outcome::NotLockable;
        if (::access(m_lockFile.c_str(), F_OK) == 0 && ::unlink(m_lockFile.c_str()) != 0 && errno != ENOENT)
            return Outcome::NotLockable;
        if (createLockFile()) {
            m_held = true;
            markHeldHere(m_lockFile, true);
            return Outcome::Taken;
        }
        if (errno != EEXIST)
            return Outcome::NotLockable;
    }
    m_otherOwner = ownerOf(m_lockFile);
    return Outcome::HeldByOther;
}

bool UucpLock::createLockFile()
{
    // The id is written to a scratch file that is then linked into place, so no reader ever sees an
    // empty lock and takes it for a stale one.
    static std::atomic<unsigned> s_scratchNumber { 0 };
    const auto scratch
        = m_lockFolder / ("LTMP." + std::to_string(::getpid()) + '.' + std::to_string(s_scratchNumber.fetch_add(1)));
    const std::string content = contentFor(::getpid());

    const int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, content);
    ::close(fd);
    if (!written) {
        const int saved = errno;
        ::unlink(scratch.c_str());
        errno = saved;
        return false;
    }
    int result = ::link(scratch.c_str(), m_lockFile.c_str());
    int saved = errno;
    ::unlink(scratch.c_str());
    if (result == 0)
        return true;
    if (saved != EPERM && saved != ENOSYS && saved != EOPNOTSUPP) {
        errno = saved;
        return false;
    }

    // A file system without hard links: create the lock itself exclusively.
    const int lockFd = ::open(m_lockFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (lockFd < 0)
        return false;
    result = writeAll(lockFd, content) ? 0 : -1;
    saved = errno;
    ::close(lockFd);
    if (result != 0) {
        ::unlink(m_lockFile.c_str());
        errno = saved;
        return false;
    }
    return true;
}

void UucpLock::release()
{
    if (!m_held)
        return;
    m_held = false;
    markHeldHere(m_lockFile, false);
    if (ownerOf(m_lockFile) == ::getpid())
        ::unlink(m_lockFile.c_str());
}

} // namespace tolvane::platform
