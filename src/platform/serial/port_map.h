#pragma once

#include "platform/serial/dial_plan.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::store {
class DataFolder;
}

namespace tolvane::platform {

// Which device each of the ports 1 to 4 stands for on this workstation. The text file PORTS.DAT in the
// program folder holds lines like "COMM1=/dev/ttyUSB0"; a port it does not name uses /dev/ttyS0 to
// /dev/ttyS3. The device "network" makes the port a network line, and "DIAL number=host:port" lines
// say where its dialled numbers lead. The file is read at every look-up, so an edit takes effect with
// the next open or dial. Overrides set in memory (the practice line points the ports at
// pseudo-terminals) come before the file.
class PortMap {
public:
    static constexpr std::string_view kFileName = "PORTS.DAT";
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 4;
    static constexpr std::string_view kNetworkDevice = "network";

    using Devices = std::array<std::optional<std::string>, kLastPort>;

    PortMap() = default; // no file: overrides and the standard devices only
    explicit PortMap(std::filesystem::path portsFile);
    static PortMap inProgramFolder(const store::DataFolder& folder);

    const std::filesystem::path& portsFile() const { return m_portsFile; }

    // Throws engine::SerialError 8002 for a port outside 1 to 4.
    std::string devicePath(int port) const;

    void setOverride(int port, std::string device);
    void clearOverride(int port);

    // The DIAL lines of the file as it stands now; none without a file.
    DialPlan dialPlan() const;

    static std::string standardDevice(int port);
    // Whether a device names a network line rather than a terminal device (any letter case).
    static bool isNetworkDevice(std::string_view device);
    // The devices a PORTS.DAT text names; the last line for a port wins, lines of any other form are ignored.
    static Devices parse(std::string_view text);

private:
    std::filesystem::path m_portsFile;
    Devices m_overrides;
};

} // namespace tolvane::platform
