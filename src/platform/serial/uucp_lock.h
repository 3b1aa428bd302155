#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace tolvane::platform {

// The UUCP-style lock file that serial programs on this platform agree on, so two programs never share
// a modem: LCK..<device> in the lock folder, holding the owner's process id as ten characters and a
// newline. A lock whose owner has died is stale and is taken over.
class UucpLock {
public:
    enum class Outcome {
        Taken,
        HeldByOther, // a live process owns it (this one too, when another port object holds it)
        NotLockable, // the lock folder is missing or not writable: the port is used without a lock
    };

    UucpLock(std::filesystem::path lockFolder, std::string_view devicePath);
    ~UucpLock();
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    Outcome acquire();
    // Removes the lock file, but only while it still names this process.
    void release();

    bool isHeld() const { return m_held; }
    const std::filesystem::path& lockFile() const { return m_lockFile; }
    // The owner named by the lock after acquire() answered HeldByOther.
    pid_t otherOwner() const { return m_otherOwner; }

    // "LCK..ttyS0" for /dev/ttyS0, "LCK..pts_3" for /dev/pts/3.
    static std::string lockFileName(std::string_view devicePath);
    // The process id a lock file names, or 0 when it names none (missing, empty or garbled).
    static pid_t ownerOf(const std::filesystem::path& lockFile);
    static std::string contentFor(pid_t pid);

private:
    bool createLockFile();

    std::filesystem::path m_lockFolder;
    std::filesystem::path m_lockFile;
    bool m_held = false;
    pid_t m_otherOwner = 0;
};

} // namespace tolvane::platform
