#include "store/record_file.h"

#include "store/data_file.h"
#include "store/scratch_files.h"
#include "store/store_error.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::store {
namespace {

// Two one-byte ranges far beyond any real data, so that locking them never gets in the way of reading or
// writing records, even on servers whose byte-range locks are mandatory.
constexpr off_t kHolderOffset = off_t { 1 } << 62;
constexpr off_t kWriterOffset = kHolderOffset + 1;

std::atomic<ReplaceHook> g_replaceHook = nullptr;

void callHook(const char* point)
{
    if (const ReplaceHook hook = g_replaceHook.load())
        hook(point);
}

int errorNumberFor(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return 76; // path not found
    case EACCES:
    case EPERM:
    case EROFS:
        return 70;
    case ENOSPC:
    case EDQUOT:
        return 61; // disk full
    case EIO:
    case ENODEV:
    case ENXIO:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN:
    case ESTALE:
        return 68;
    default:
        return 75;
    }
}

[[noreturn]] void failWith(int err, const std::filesystem::path& path, const char* what)
{
    throw StoreError(errorNumberFor(err), std::string(what) + " " + path.string() + ": " + std::strerror(err));
}

[[noreturn]] void fail(const std::filesystem::path& path, const char* what)
{
    failWith(errno, path, what);
}

// 0 on success, otherwise the errno of the failure (EAGAIN or EACCES when the range is taken).
int lockRange(int fd, off_t offset, short type, bool wait)
{
    struct flock request { };
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = offset;
    request.l_len = 1;
    request.l_pid = 0; // required by open-file-description locks
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &request) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

bool isLockUnsupported(int err)
{
    return err == EINVAL || err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS;
}

bool sameFileAt(const std::filesystem::path& path, std::uint64_t device, std::uint64_t inode)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return static_cast<std::uint64_t>(st.st_dev) == device && static_cast<std::uint64_t>(st.st_ino) == inode;
}

// Reads up to `size` bytes at `offset`, stopping early only at the end of the file; returns how many.
std::size_t readFully(int fd, char* data, std::size_t size, off_t offset, const std::filesystem::path& path)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(path, "cannot read");
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void writeAll(int fd, std::string_view bytes, off_t offset, const std::filesystem::path& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(path, "cannot write");
        }
        done += static_cast<std::size_t>(put);
    }
}

// A new scratch file in `folder` holding `bytes`, synced to disk, with the given mode; returns its path. A
// failure (the test hook's included) leaves no scratch file behind.
std::string writeScratchFile(const std::filesystem::path& folder, std::string_view bytes, mode_t mode)
{
    removeAbandonedScratchFiles(folder);
    std::string name = (folder / scratchFilePattern()).string();
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        fail(folder / "TEMP.DAT", "cannot create");
    const std::filesystem::path path(name);
    try {
        ::fchmod(fd, mode);
        writeAll(fd, bytes, 0, path);
        if (::fsync(fd) != 0)
            fail(path, "cannot write");
        const int closed = ::close(fd);
        fd = -1;
        if (closed != 0)
            fail(path, "cannot write");
        callHook("scratch-written");
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(name.c_str());
        throw;
    }
    return name;
}

} // namespace

// Every RecordFile of this process, so that a replacement can make this process's other opens of the same
// file step aside and later reopen the new file.
struct OpenFileRegistry {
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<RecordFile*>& files()
    {
        static std::vector<RecordFile*> v;
        return v;
    }
    static void add(RecordFile* file)
    {
        const std::lock_guard guard(mutex());
        files().push_back(file);
    }
    static void remove(RecordFile* file)
    {
        const std::lock_guard guard(mutex());
        auto& all = files();
        std::erase(all, file);
    }
    // This process's other opens of the same file. Called with mutex() held.
    static std::vector<RecordFile*> othersOf(const RecordFile* file)
    {
        std::vector<RecordFile*> others;
        for (RecordFile* f : files()) {
            if (f != file && f->m_fd >= 0 && !f->m_replaced.load() && f->m_device == file->m_device
                && f->m_inode == file->m_inode)
                others.push_back(f);
        }
        return others;
    }
};

void setReplaceTestHook(ReplaceHook hook)
{
    g_replaceHook.store(hook);
}

RecordFile::RecordFile(std::filesystem::path path, std::size_t recordLength)
    : m_path(std::move(path))
    , m_recordLength(recordLength)
{
    openAndHold();
    OpenFileRegistry::add(this);
}

RecordFile::~RecordFile()
{
    OpenFileRegistry::remove(this);
    closeFile();
}

void RecordFile::openAndHold() const
{
    for (;;) {
        m_readOnly = false;
        int fd = openDataFile(m_path, O_RDWR | O_CREAT);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            const int openError = errno;
            fd = openDataFile(m_path, O_RDONLY);
            if (fd < 0 && errno == ENOENT) {
                // A missing file that cannot be created reads as empty; writing it reports the permission.
                m_fd = -1;
                m_readOnly = true;
                m_device = m_inode = 0;
                return;
            }
            if (fd < 0)
                failWith(openError, m_path, "cannot open");
            m_readOnly = true;
        }
        if (fd < 0)
            fail(m_path, "cannot open");

        // Waits only while another workstation is replacing the file; it then names a new file, hence the loop.
        const int err = lockRange(fd, kHolderOffset, F_RDLCK, true);
        if (err != 0 && !isLockUnsupported(err)) {
            ::close(fd);
            failWith(err, m_path, "cannot lock");
        }
        m_locking = err == 0;

        struct stat st { };
        if (::fstat(fd, &st) != 0) {
            const int statError = errno;
            ::close(fd);
            failWith(statError, m_path, "cannot measure");
        }
        m_device = static_cast<std::uint64_t>(st.st_dev);
        m_inode = static_cast<std::uint64_t>(st.st_ino);
        if (!m_locking || sameFileAt(m_path, m_device, m_inode)) {
            m_fd = fd;
            m_replaced = false;
            return;
        }
        ::close(fd);
    }
}

void RecordFile::closeFile() const
{
    if (m_fd >= 0)
        ::close(m_fd); // releases every lock this open holds
    m_fd = -1;
}

void RecordFile::ensureCurrent() const
{
    if (!m_replaced.load())
        return;
    {
        const std::lock_guard guard(OpenFileRegistry::mutex());
        closeFile();
    }
    openAndHold();
}

void RecordFile::failReadOnly() const
{
    throw StoreError(70, "Permission denied: " + m_path.string() + " cannot be written");
}

std::int32_t RecordFile::count() const
{
    ensureCurrent();
    if (m_fd < 0)
        return 0;
    struct stat st { };
    if (::fstat(m_fd, &st) != 0)
        fail(m_path, "cannot measure");
    const auto length = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t whole = length / m_recordLength;
    const std::uint64_t rest = length % m_recordLength;
    std::uint64_t rounded = whole;
    if (rest * 2 > m_recordLength || (rest * 2 == m_recordLength && whole % 2 == 1))
        rounded = whole + 1;
    if (rounded > 0x7FFFFFFF)
        throw StoreError(75, m_path.string() + " is too large to be a record file");
    return static_cast<std::int32_t>(rounded);
}

std::string RecordFile::readRaw(std::int32_t n) const
{
    std::string bytes(m_recordLength, '\0');
    ensureCurrent();
    if (n < 1 || m_fd < 0)
        return bytes;
    const auto offset = static_cast<off_t>(n - 1) * static_cast<off_t>(m_recordLength);
    readFully(m_fd, bytes.data(), m_recordLength, offset, m_path);
    return bytes;
}

std::string RecordFile::readAllRaw() const
{
    const std::int32_t n = count();
    std::string bytes(static_cast<std::size_t>(n) * m_recordLength, '\0');
    if (m_fd >= 0)
        readFully(m_fd, bytes.data(), bytes.size(), 0, m_path);
    return bytes;
}

void RecordFile::writeRaw(std::int32_t n, std::string_view bytes)
{
    const WriterLock lock(*this);
    if (n < 1 || n > count() + 1)
        throw StoreError(63, "Bad record number " + std::to_string(n) + " in " + m_path.string());
    std::string record(bytes.substr(0, m_recordLength));
    record.resize(m_recordLength, '\0');
    const off_t offset = static_cast<off_t>(n - 1) * static_cast<off_t>(m_recordLength);
    struct stat before { };
    if (::fstat(m_fd, &before) != 0)
        fail(m_path, "cannot measure");
    try {
        writeAll(m_fd, record, offset, m_path);
    } catch (const StoreError&) {
        // An append the disk took only part of would be counted as a record, NUL padded: give the bytes back.
        // The writer lock keeps other copies from appending meanwhile.
        if (offset + static_cast<off_t>(m_recordLength) > before.st_size) {
            [[maybe_unused]] const int ignored = ::ftruncate(m_fd, before.st_size);
        }
        throw;
    }
}

std::int32_t RecordFile::appendRaw(std::string_view bytes)
{
    const WriterLock lock(*this);
    const std::int32_t n = count() + 1;
    writeRaw(n, bytes);
    return n;
}

void RecordFile::lockWriter()
{
    if (m_writerDepth > 0) {
        ++m_writerDepth;
        return;
    }
    // The depth counts only a lock actually taken: after a failed reopen, the next writer must lock again.
    for (;;) {
        ensureCurrent();
        if (m_readOnly)
            failReadOnly();
        if (!m_locking)
            break;
        const int err = lockRange(m_fd, kWriterOffset, F_WRLCK, true);
        if (err != 0)
            failWith(err, m_path, "cannot lock");
        // Normally the holder lock keeps the file in place; this catches a replacement by anything else.
        if (sameFileAt(m_path, m_device, m_inode))
            break;
        m_replaced = true;
    }
    m_writerDepth = 1;
}

void RecordFile::unlockWriter()
{
    if (m_writerDepth == 0 || --m_writerDepth > 0)
        return;
    // After a replacement the old open is closed on the next call, and its locks with it.
    if (m_fd >= 0 && m_locking && !m_replaced.load())
        lockRange(m_fd, kWriterOffset, F_UNLCK, false);
}

RecordFile::WriterLock::WriterLock(RecordFile& file)
    : m_file(file)
{
    m_file.lockWriter();
}

RecordFile::WriterLock::~WriterLock()
{
    m_file.unlockWriter();
}

RecordFile::SoleHold::SoleHold(RecordFile& file)
    : m_file(file)
{
    m_file.ensureCurrent();
    if (m_file.m_readOnly)
        m_file.failReadOnly();
    if (!m_file.m_locking) {
        // Without lock support nobody can be seen holding the file: go ahead unlocked.
        m_held = true;
        return;
    }
    const std::lock_guard guard(OpenFileRegistry::mutex());
    const auto others = OpenFileRegistry::othersOf(&m_file);
    for (RecordFile* other : others)
        lockRange(other->m_fd, kHolderOffset, F_UNLCK, false);
    m_held = lockRange(m_file.m_fd, kHolderOffset, F_WRLCK, false) == 0;
    if (!m_held) {
        lockRange(m_file.m_fd, kHolderOffset, F_RDLCK, true);
        for (RecordFile* other : others)
            lockRange(other->m_fd, kHolderOffset, F_RDLCK, true);
    }
}

RecordFile::SoleHold::~SoleHold()
{
    if (!m_held || m_replaced || !m_file.m_locking)
        return;
    const std::lock_guard guard(OpenFileRegistry::mutex());
    lockRange(m_file.m_fd, kHolderOffset, F_RDLCK, true);
    for (RecordFile* other : OpenFileRegistry::othersOf(&m_file))
        lockRange(other->m_fd, kHolderOffset, F_RDLCK, true);
}

RecordFile::Replacement::Replacement(RecordFile& file, SoleHold& hold, std::string_view bytes)
    : m_file(file)
    , m_hold(hold)
{
    if (&hold.m_file != &file || !hold.m_held || hold.m_replaced)
        throw StoreError(75, "cannot replace " + file.m_path.string() + " without holding it alone");

    // The scratch file lives beside the file, so the rename stays within one file system and is atomic.
    struct stat st { };
    const mode_t mode = ::fstat(file.m_fd, &st) == 0 ? st.st_mode & 07777 : 0644;
    m_scratch = writeScratchFile(folderOf(file.m_path), bytes, mode);
}

RecordFile::Replacement::~Replacement()
{
    if (!m_scratch.empty())
        ::unlink(m_scratch.c_str());
}

void RecordFile::Replacement::commit()
{
    if (m_scratch.empty())
        return;
    callHook("renaming");
    if (::rename(m_scratch.c_str(), m_file.m_path.c_str()) != 0)
        fail(m_file.m_path, "cannot replace");
    m_scratch.clear();
    m_hold.m_replaced = true;
    {
        const std::lock_guard guard(OpenFileRegistry::mutex());
        for (RecordFile* other : OpenFileRegistry::othersOf(&m_file))
            other->m_replaced = true;
    }
    m_file.m_replaced = true;
    callHook("renamed");
    syncFolder(folderOf(m_file.m_path));
}

void RecordFile::replaceContents(SoleHold& hold, std::string_view bytes)
{
    Replacement(*this, hold, bytes).commit();
}

bool createWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path folder = folderOf(path);
    const std::string scratch = writeScratchFile(folder, bytes, 0644);
    // A hard link never replaces a file that exists, however it came to be there.
    int err = ::link(scratch.c_str(), path.c_str()) == 0 ? 0 : errno;
    if (err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == ENOSYS) {
        // A file system without hard links: nothing else writes the program folder while the
        // single-instance lock is held, so looking first is enough.
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            err = EEXIST;
        else if (::rename(scratch.c_str(), path.c_str()) == 0) {
            syncFolder(folder);
            return true;
        } else
            err = errno;
    }
    ::unlink(scratch.c_str());
    if (err == EEXIST)
        return false;
    if (err != 0)
        failWith(err, path, "cannot create");
    syncFolder(folder);
    return true;
}

void replaceWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path folder = folderOf(path);
    const std::string scratch = writeScratchFile(folder, bytes, 0644);
    if (::rename(scratch.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(scratch.c_str());
        failWith(err, path, "cannot replace");
    }
    syncFolder(folder);
}

void syncFolder(const std::filesystem::path& folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace tolvane::store
