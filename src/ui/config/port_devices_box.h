#pragma once

#include <QGroupBox>

#include <array>
#include <optional>
#include <string>

class QComboBox;

namespace tolvane::platform {
class DialogService;
class PortMap;
} // namespace tolvane::platform

namespace tolvane::ui {

// Which device each of COMM1 to COMM4 is on this workstation, kept in PORTS.DAT beside the data files.
// The lists offer the serial ports the machine has and "network"; any path may be typed. On the practice
// line the ports are the simulator's and are only shown.
class PortDevicesBox : public QGroupBox {
    Q_OBJECT

public:
    PortDevicesBox(
        platform::PortMap& ports, platform::DialogService& dialogs, bool practice, QWidget* parent = nullptr);

    // Fills the lists from PORTS.DAT (or the practice line) as it stands now.
    void load();
    // The device a modem test on `port` should open: what the list shows, saved or not. Throws
    // engine::SerialError 8002 for a port outside 1 to 4.
    std::string deviceFor(int port) const;
    // Whether every changed port names a device; says which one does not, if any.
    bool checkDevices();
    // Writes the ports whose device was changed. Returns false (after its message) when the file cannot be
    // written; true when there was nothing to write.
    bool save();

Q_SIGNALS:
    void devicesSaved();

private:
    QString typedDevice(int port) const;

    platform::PortMap& m_ports;
    platform::DialogService& m_dialogs;
    bool m_practice;
    std::array<QComboBox*, 4> m_devices {};
    std::array<QString, 4> m_loaded;
};

} // namespace tolvane::ui
