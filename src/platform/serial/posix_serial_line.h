#pragma once

#include "engine/serial_line.h"
#include "platform/serial/line_settings.h"
#include "platform/serial/network_line.h"
#include "platform/serial/port_map.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane::platform {

class UucpLock;

// The modem's serial line on a POSIX terminal device, driven through termios directly: writes are
// synchronous (the engine writes and then sleeps without reading, so the bytes must be on the line when
// write() returns), reads never block.
//
// A port whose device is "network" (see PortMap) is served by a NetworkLine instead: no device, no
// lock, and its dials lead where the DIAL lines of the port map say.
//
// Open failures: no device or no serial port behind the path -> 8002; another program holds the port
// (its lock file, or the device refuses a second opener) -> 8005; no permission -> 8010; a speed the
// device cannot run, or a settings text that cannot be read -> 8007. Every other operation on a closed
// port -> 8018; a device that stops working while open -> 8010, output that cannot drain -> 8019.
class PosixSerialLine final : public engine::SerialLine {
public:
    // Throws engine::SerialError 8002 for a port it does not know.
    using DeviceLookup = std::function<std::string(int port)>;

    static constexpr std::string_view kSystemLockFolder = "/var/lock";
    // How long a write may make no progress before the line counts as stuck.
    static constexpr int kDefaultWriteStallMs = 10000;

    // Keeps its own copy of the map: set the overrides first, or pass a DeviceLookup over a map that the
    // caller keeps and changes.
    explicit PosixSerialLine(PortMap ports, std::filesystem::path lockFolder = kSystemLockFolder);
    explicit PosixSerialLine(DeviceLookup devices, std::filesystem::path lockFolder = kSystemLockFolder);
    ~PosixSerialLine() override;
    // Where a network line explains a failed dial; for the connection log of whoever runs the call.
    void setReport(NetworkLine::Report report);
    PosixSerialLine(const PosixSerialLine&) = delete;
    PosixSerialLine& operator=(const PosixSerialLine&) = delete;

    void setPortNumber(int port) override;
    int portNumber() const override { return m_port; }
    void setSettings(const std::string& settings) override;
    const std::string& settings() const { return m_settings; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0 || m_network != nullptr; }

    void setDtr(bool on) override;
    void write(std::string_view bytes) override;
    std::string readAll() override;
    int waitingCount() override;
    void discardInput() override;
    std::unique_ptr<engine::GatewayLink> takeGatewayLink() override
    {
        return m_network ? m_network->takeGatewayLink() : nullptr;
    }

    // The device of the open port ("network" for a network line); empty while closed.
    const std::string& devicePath() const { return m_devicePath; }
    void setWriteStallLimit(int milliseconds) { m_writeStallMs = milliseconds; }

    // Whether the open port could honour the parity and data bits asked for (a pseudo-terminal cannot).
    bool framingApplied() const { return m_framingApplied; }

private:
    void configure(int fd, const std::string& device, const LineSettings& settings);
    void waitUntilSent();
    void requireOpen(std::string_view operation) const;
    [[noreturn]] void failAfterOpen(int number, std::string_view operation, int error) const;

    DeviceLookup m_devices;
    NetworkLine::DialPlans m_dialPlans;
    NetworkLine::Report m_report;
    std::unique_ptr<NetworkLine> m_network; // the open port is a network line
    std::filesystem::path m_lockFolder;
    int m_port = 1;
    std::string m_settings = "9600,N,8,1";
    int m_writeStallMs = kDefaultWriteStallMs;

    int m_fd = -1;
    std::string m_devicePath;
    bool m_framingApplied = false;
    std::unique_ptr<UucpLock> m_lock;
};

} // namespace tolvane::platform
