#include "ui/config/port_devices_box.h"

#include "platform/dialog_service.h"
#include "platform/serial/port_map.h"
#include "platform/serial/ports_file.h"
#include "ui/config/config_support.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace tolvane::ui {
namespace {

constexpr int kPorts = platform::PortsFile::kPorts;

QString portName(int port)
{
    return QStringLiteral("COMM%1").arg(port);
}

QStringList deviceChoices()
{
    QStringList choices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        choices.push_back(info.systemLocation());
    choices.sort();
    choices.removeDuplicates();
    // A port served over the network by a paging gateway rather than by a modem.
    choices.push_back(QStringLiteral("network"));
    return choices;
}

} // namespace

PortDevicesBox::PortDevicesBox(
    platform::PortMap& ports, platform::DialogService& dialogs, bool practice, QWidget* parent)
    : QGroupBox(QStringLiteral("Port devices on this workstation"), parent)
    , m_ports(ports)
    , m_dialogs(dialogs)
    , m_practice(practice)
{
    setObjectName(QStringLiteral("PortDevices"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (int port = 1; port <= kPorts; ++port) {
        auto* devices = new QComboBox(this);
        devices->setObjectName(QStringLiteral("PortDevice%1").arg(port));
        devices->setEditable(true);
        devices->setInsertPolicy(QComboBox::NoInsert);
        devices->setEnabled(!practice);
        devices->setMinimumContentsLength(18);
        devices->setToolTip(QStringLiteral("The device %1 opens: choose one, or type its path").arg(portName(port)));
        form->addRow(portName(port) + QLatin1Char(':'), devices);
        m_devices[static_cast<std::size_t>(port - 1)] = devices;
    }
    layout->addLayout(form);
    if (practice) {
        auto* note = new QLabel(QStringLiteral("Practice line: every port is the built-in simulator."), this);
        note->setWordWrap(true);
        layout->addWidget(note);
    }
}

void PortDevicesBox::load()
{
    platform::PortsFile file;
    if (!m_practice) {
        try {
            file = platform::PortsFile::load(m_ports.portsFile());
        } catch (const std::exception& error) {
            showFileError(m_dialogs, error);
        }
    }
    const QStringList choices = deviceChoices();
    for (int port = 1; port <= kPorts; ++port) {
        const auto at = static_cast<std::size_t>(port - 1);
        std::string device = m_practice ? m_ports.devicePath(port)
                                        : file.device(port).value_or(platform::PortMap::standardDevice(port));
        m_loaded[at] = QString::fromStdString(device);
        m_devices[at]->clear();
        m_devices[at]->addItems(choices);
        m_devices[at]->setCurrentText(m_loaded[at]);
    }
}

QString PortDevicesBox::typedDevice(int port) const
{
    return m_devices[static_cast<std::size_t>(port - 1)]->currentText().trimmed();
}

std::string PortDevicesBox::deviceFor(int port) const
{
    // A port left as saved goes through the port map, exactly as a paging call's open will.
    if (m_practice || port < 1 || port > kPorts || typedDevice(port) == m_loaded[static_cast<std::size_t>(port - 1)])
        return m_ports.devicePath(port);
    return typedDevice(port).toStdString();
}

bool PortDevicesBox::checkDevices()
{
    for (int port = 1; port <= kPorts && !m_practice; ++port) {
        if (typedDevice(port).isEmpty()) {
            m_dialogs.message(QStringLiteral("Choose or type the device %1 uses.").arg(portName(port)));
            return false;
        }
    }
    return true;
}

bool PortDevicesBox::save()
{
    if (m_practice || m_ports.portsFile().empty())
        return true;
    try {
        auto file = platform::PortsFile::load(m_ports.portsFile());
        bool changed = false;
        for (int port = 1; port <= kPorts; ++port) {
            if (typedDevice(port) != m_loaded[static_cast<std::size_t>(port - 1)]) {
                file.setDevice(port, typedDevice(port).toStdString());
                changed = true;
            }
        }
        if (!changed)
            return true;
        file.save(m_ports.portsFile());
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return false;
    }
    for (int port = 1; port <= kPorts; ++port)
        m_loaded[static_cast<std::size_t>(port - 1)] = typedDevice(port);
    Q_EMIT devicesSaved();
    return true;
}

} // namespace tolvane::ui
