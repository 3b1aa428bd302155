#include "platform/serial/port_map.h"
#include "platform/serial/text_fields.h"

#include "engine/serial_line.h"
#include "platform/serial/serial_error_text.h"
#include "store/data_file.h"
#include "store/data_folder.h"
#include "store/store_error.h"

#include <stdexcept>
#include <vector>

namespace tolvane::platform {

namespace {

// The port a line's key names ("COMM1" to "COMM4", any case), or 0.
int portOfKey(std::string_view key)
{
    if (key.size() != 5)
        return 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = key[i];
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != "COMM"[i])
            return 0;
    }
    const int port = key[4] - '0';
    return (port >= PortMap::kFirstPort && port <= PortMap::kLastPort) ? port : 0;
}

struct PortLine {
    int port = 0;
    std::string device;
};

std::optional<PortLine> parseLine(std::string_view line)
{
    line = withoutLineEnd(line);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const int port = portOfKey(trimBlanks(line.substr(0, equals)));
    const auto device = trimBlanks(line.substr(equals + 1));
    if (port == 0 || device.empty())
        return std::nullopt;
    return PortLine { port, std::string(device) };
}

// Missing: nullopt. A folder, a pipe, a device or an outsized file in its place throws StoreError.
std::optional<std::string> readWholeFile(const std::filesystem::path& file)
{
    return store::readDataFile(file);
}

void checkPort(int port)
{
    if (port < PortMap::kFirstPort || port > PortMap::kLastPort)
        throw engine::SerialError(engine::kInvalidPortNumber,
            serialErrorDescription(engine::kInvalidPortNumber, "COMM" + std::to_string(port)));
}

} // namespace

PortMap::PortMap(std::filesystem::path portsFile)
    : m_portsFile(std::move(portsFile))
{
}

PortMap PortMap::inProgramFolder(const store::DataFolder& folder)
{
    return PortMap(folder.programPath(kFileName));
}

std::string PortMap::devicePath(int port) const
{
    checkPort(port);
    if (const auto& device = m_overrides[static_cast<std::size_t>(port - 1)])
        return *device;
    if (!m_portsFile.empty()) {
        if (const auto text = readWholeFile(m_portsFile)) {
            auto devices = parse(*text);
            if (auto& device = devices[static_cast<std::size_t>(port - 1)])
                return std::move(*device);
        }
    }
    return standardDevice(port);
}

void PortMap::setOverride(int port, std::string device)
{
    checkPort(port);
    m_overrides[static_cast<std::size_t>(port - 1)] = std::move(device);
}

void PortMap::clearOverride(int port)
{
    checkPort(port);
    m_overrides[static_cast<std::size_t>(port - 1)].reset();
}

DialPlan PortMap::dialPlan() const
{
    if (m_portsFile.empty())
        return {};
    DialPlan plan = DialPlan::parse(readWholeFile(m_portsFile).value_or(std::string()));
    // A CA file named without a folder sits beside PORTS.DAT.
    if (!plan.caFile.empty() && std::filesystem::path(plan.caFile).is_relative())
        plan.caFile = (m_portsFile.parent_path() / plan.caFile).string();
    return plan;
}

bool PortMap::isNetworkDevice(std::string_view device)
{
    device = trimBlanks(device);
    if (device.size() != kNetworkDevice.size())
        return false;
    for (std::size_t i = 0; i < device.size(); ++i) {
        if ((device[i] | 0x20) != kNetworkDevice[i])
            return false;
    }
    return true;
}

std::string PortMap::standardDevice(int port)
{
    checkPort(port);
    return "/dev/ttyS" + std::to_string(port - 1);
}

PortMap::Devices PortMap::parse(std::string_view text)
{
    Devices devices;
    for (const auto& line : splitKeepingEnds(text)) {
        if (auto parsed = parseLine(line))
            devices[static_cast<std::size_t>(parsed->port - 1)] = std::move(parsed->device);
    }
    return devices;
}

} // namespace tolvane::platform
