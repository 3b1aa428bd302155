#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

// Opening a data file. A path in the program folder or on a share may name anything: a folder, a named
// pipe whose open waits for ever for a writer, a device that never ends (/dev/zero). Every data file is
// opened here: without blocking, and accepted only when it is a regular file.
namespace tolvane::store {

// The configuration files (CONFIG.DAT, MODEM.DAT, ADVANCE.DAT, SETTINGS.DAT, QUICK.DAT, NETWORK.DAT,
// PORTS.DAT) hold a few records or lines; one larger than this is damaged or not one of ours.
inline constexpr std::uintmax_t kConfigurationFileLimit = std::uintmax_t { 1 } << 20;

// How large the file at `path` may be, by its name: kConfigurationFileLimit for a configuration file,
// no limit for the others (the directory files and the page log grow with use).
std::uintmax_t sizeLimitOf(const std::filesystem::path& path);

// open(2) with O_NONBLOCK and O_CLOEXEC added: the descriptor, or -1 with errno set when the open failed.
// Throws StoreError 75 naming the file when the path is not a regular file (a folder, a named pipe, a
// device) or is larger than sizeLimitOf allows.
int openDataFile(const std::filesystem::path& path, int flags, mode_t mode = 0666);

// The whole file, read through openDataFile; nullopt when it does not exist. Throws StoreError when it
// cannot be read.
std::optional<std::string> readDataFile(const std::filesystem::path& path);

} // namespace tolvane::store
