#pragma once

#include "engine/modem_test.h"
#include "platform/qt_pacer.h"
#include "platform/serial/posix_serial_line.h"
#include "store/data_folder.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::store {
class RecordFile;
}

namespace tolvane::ui {

class PortDevicesBox;

// "Modem Setup": the port, the modem type and its command string, the dial prefix, tone or pulse, the
// retry attempts and the speaker (CONFIG.DAT and MODEM.DAT, both kept open while the tab is shown), this
// workstation's port devices, and the modem test on a serial line of the tab's own.
class ModemSetupTab : public QWidget, private engine::ModemTestView {
    Q_OBJECT

public:
    // `portBusy` tells whether a paging call holds the modem port; a test is refused meanwhile.
    ModemSetupTab(const store::DataFolder& folder, platform::DialogService& dialogs, platform::PortMap& ports,
        bool practice, std::function<bool()> portBusy, QWidget* parent = nullptr);
    ~ModemSetupTab() override;

    // ModemView: opens both files and shows record 1 of CONFIG.DAT with its modem type.
    void ModemView();
    void closeFiles();
    bool filesOpen() const { return m_configFile != nullptr; }
    bool testRunning() const { return m_testing; }

    void chooseModemType(int index);
    void raiseRetries();
    void lowerRetries();
    void saveModemSetup();
    void testModem();

Q_SIGNALS:
    void portDevicesSaved();
    // "&Done" (BDONE1): the window closes its files and goes.
    void doneClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showConfig();
    void showModemType(int number);
    bool openFiles();

    // engine::ModemTestView
    void setTesting(bool running) override;
    void setProgress(const std::string& label) override;
    void messageBox(const std::string& text) override;
    void beep() override;

    store::DataFolder m_folder;
    platform::DialogService& m_dialogs;
    std::unique_ptr<store::RecordFile> m_modemFile;
    std::unique_ptr<store::RecordFile> m_configFile;
    int m_modemType = 1;
    bool m_testing = false;

    QComboBox* m_comm;
    QComboBox* m_modemName;
    QLineEdit* m_commands;
    QLineEdit* m_dialPrefix;
    QCheckBox* m_speaker;
    QRadioButton* m_tone;
    QRadioButton* m_pulse;
    QLineEdit* m_attempts;
    QPushButton* m_save;
    QPushButton* m_test;
    QLabel* m_progress;
    PortDevicesBox* m_devices;

    platform::PosixSerialLine m_line;
    platform::QtPacer m_pacer;
    engine::ModemTest m_modemTest;
};

} // namespace tolvane::ui
