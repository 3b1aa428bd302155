#pragma once

#include <filesystem>
#include <string>

namespace tolvane::platform {

// One running copy per program folder. The lock is an advisory lock the kernel drops when the process
// ends, however it ends, so a crashed copy never leaves it stuck. Two different program folders can run
// side by side.
class SingleInstanceLock {
public:
    enum class Result { Acquired, AlreadyRunning, Failed };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    Result acquire(const std::filesystem::path& programFolder);
    // Why acquire() failed, for the start-up message.
    const std::string& error() const { return m_error; }

    static constexpr const char* kLockFileName = "TOLVANE.LCK";

private:
    int m_fd = -1;
    std::string m_error;
};

} // namespace tolvane::platform
