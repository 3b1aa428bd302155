#pragma once

#include <stdexcept>
#include <string>

namespace tolvane::store {

// A file operation that failed. The number is one of the run-time error numbers the start-up handler
// and the editors distinguish (53 file not found, 55 already open, 68 device unavailable,
// 70 permission denied, 75 path/file access error), so callers can pick their own message.
class StoreError : public std::runtime_error {
public:
    StoreError(int number, const std::string& description)
        : std::runtime_error(description)
        , m_number(number)
    {
    }

    int number() const { return m_number; }

private:
    int m_number;
};

// The shared folder of the directory files cannot be reached (a share that dropped or is not mounted): its
// text says so in words, and callers show it as it stands.
class DirectoryUnreachable : public StoreError {
public:
    explicit DirectoryUnreachable(const std::string& text)
        : StoreError(68, text)
    {
    }
};

} // namespace tolvane::store
