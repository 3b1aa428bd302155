#include "ui/config/modem_setup_tab.h"

#include "engine/modem_setup.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/record_file.h"
#include "ui/config/config_support.h"
#include "ui/config/port_devices_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

constexpr int kCommandsWidth = 50;
constexpr int kDialPrefixWidth = 10;

QToolButton* spinArrow(const char* name, Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
    return button;
}

} // namespace

ModemSetupTab::ModemSetupTab(const store::DataFolder& folder, platform::DialogService& dialogs,
    platform::PortMap& ports, bool practice, std::function<bool()> portBusy, QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_dialogs(dialogs)
    , m_line(platform::PosixSerialLine::DeviceLookup([this](int port) { return m_devices->deviceFor(port); }))
    , m_modemTest(m_line, m_pacer, *this, std::move(portBusy))
{
    auto* frame = new QGroupBox(QStringLiteral("Modem Configuration and Setup"), this);
    frame->setObjectName(QStringLiteral("Mframe"));
    auto* grid = new QGridLayout(frame);

    m_comm = new QComboBox(frame);
    m_comm->setObjectName(QStringLiteral("COMM"));
    for (int port = 1; port <= 4; ++port)
        m_comm->addItem(QStringLiteral("COMM%1").arg(port));
    m_modemName = new QComboBox(frame);
    m_modemName->setObjectName(QStringLiteral("MNAME"));
    m_modemName->setMinimumContentsLength(28);
    connect(m_modemName, &QComboBox::activated, this, &ModemSetupTab::chooseModemType);
    m_commands = new QLineEdit(frame);
    m_commands->setObjectName(QStringLiteral("INI"));
    m_commands->setMaxLength(kCommandsWidth);
    m_commands->installEventFilter(this);
    m_dialPrefix = new QLineEdit(frame);
    m_dialPrefix->setObjectName(QStringLiteral("DIALP"));
    m_dialPrefix->setMaxLength(kDialPrefixWidth);
    m_speaker = new QCheckBox(QStringLiteral("Speaker On"), frame);
    m_speaker->setObjectName(QStringLiteral("SPEAKER"));

    grid->addWidget(new QLabel(QStringLiteral("COM port:"), frame), 0, 0);
    grid->addWidget(m_comm, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Modem:"), frame), 0, 2);
    grid->addWidget(m_modemName, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Modem Commands:"), frame), 1, 0);
    grid->addWidget(m_commands, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Dial Prefix and Disable Call Waiting Codes."), frame), 2, 0, 1, 3);
    grid->addWidget(m_dialPrefix, 2, 3);

    auto* method = new QGroupBox(QStringLiteral("Dial Method"), frame);
    auto* methodLayout = new QHBoxLayout(method);
    m_tone = new QRadioButton(QStringLiteral("Tone"), method);
    m_tone->setObjectName(QStringLiteral("TONE"));
    m_pulse = new QRadioButton(QStringLiteral("Pulse"), method);
    m_pulse->setObjectName(QStringLiteral("PULSE"));
    methodLayout->addWidget(m_tone);
    methodLayout->addWidget(m_pulse);

    auto* retries = new QGroupBox(QStringLiteral("Retry Attempts"), frame);
    auto* retriesLayout = new QHBoxLayout(retries);
    m_attempts = new QLineEdit(retries);
    m_attempts->setObjectName(QStringLiteral("ATTEMPTS"));
    m_attempts->setMaximumWidth(60);
    auto* spin = new QWidget(retries);
    spin->setObjectName(QStringLiteral("SpinButton1"));
    auto* spinLayout = new QVBoxLayout(spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    auto* up = spinArrow("SpinUp", Qt::UpArrow, spin);
    auto* down = spinArrow("SpinDown", Qt::DownArrow, spin);
    connect(up, &QToolButton::clicked, this, &ModemSetupTab::raiseRetries);
    connect(down, &QToolButton::clicked, this, &ModemSetupTab::lowerRetries);
    spinLayout->addWidget(up);
    spinLayout->addWidget(down);
    retriesLayout->addWidget(m_attempts);
    retriesLayout->addWidget(spin);
    retriesLayout->addStretch();

    grid->addWidget(method, 3, 0, 1, 2);
    grid->addWidget(retries, 3, 2);
    grid->addWidget(m_speaker, 3, 3);
    grid->setColumnStretch(3, 1);

    m_devices = new PortDevicesBox(ports, dialogs, practice, this);
    connect(m_devices, &PortDevicesBox::devicesSaved, this, &ModemSetupTab::portDevicesSaved);

    m_save = tabButton(QStringLiteral("&Save"), "BSAVE1", this);
    connect(m_save, &QPushButton::clicked, this, &ModemSetupTab::saveModemSetup);
    m_test = tabButton(QStringLiteral("&Test"), "BTEST1", this);
    connect(m_test, &QPushButton::clicked, this, &ModemSetupTab::testModem);
    auto* done = tabButton(QStringLiteral("&Done"), "BDONE1", this);
    connect(done, &QPushButton::clicked, this, &ModemSetupTab::doneClicked);
    m_progress = new QLabel(
        QString::fromLatin1(engine::ModemTest::kLabel.data(), static_cast<qsizetype>(engine::ModemTest::kLabel.size())),
        this);
    m_progress->setObjectName(QStringLiteral("Label5"));
    m_progress->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("TESTING")) * 3);
    m_progress->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_test);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_devices);
    layout->addStretch();
    layout->addLayout(buttons);
}

ModemSetupTab::~ModemSetupTab() = default;

bool ModemSetupTab::openFiles()
{
    try {
        keepOpen<store::ModemRecord>(m_modemFile, m_folder);
        keepOpen<store::ConfigRecord>(m_configFile, m_folder);
        return true;
    } catch (const std::exception& error) {
        closeFiles();
        showFileError(m_dialogs, error);
        return false;
    }
}

void ModemSetupTab::closeFiles()
{
    m_modemFile.reset();
    m_configFile.reset();
}

void ModemSetupTab::ModemView()
{
    closeFiles();
    m_devices->load();
    if (!openFiles())
        return;
    m_modemType = 1;
    try {
        m_modemName->clear();
        const std::int32_t count = m_modemFile->count();
        for (std::int32_t n = 1; n <= count; ++n)
            m_modemName->addItem(shownText(store::readRecord<store::ModemRecord>(*m_modemFile, n).ModemName));
        showConfig();
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
    }
}

void ModemSetupTab::showConfig()
{
    const auto config = store::readRecord<store::ConfigRecord>(*m_configFile, 1);
    const int port = m_comm->findText(shownText(config.CommPort));
    m_comm->setCurrentIndex(port < 0 ? 0 : port);
    m_dialPrefix->setText(platform::fromCore(engine::dialPrefixForBox(config.DialPrefix)));
    m_attempts->setText(QString::number(config.RetryAttempts));
    (config.DialMethod == 1 ? m_tone : m_pulse)->setChecked(true);
    // A modem type the file does not hold (a new CONFIG.DAT says 0) falls back to the user-defined one.
    const bool known = config.ModemIndex >= 1 && config.ModemIndex <= m_modemFile->count();
    showModemType(known ? config.ModemIndex : 1);
}

void ModemSetupTab::showModemType(int number)
{
    m_modemType = number;
    const auto modem = store::readRecord<store::ModemRecord>(*m_modemFile, number);
    m_modemName->setCurrentIndex(number - 1);
    m_commands->setText(shownText(modem.ModemCommands));
    m_speaker->setChecked(modem.Speaker != 0);
    // Only the user-defined type's commands are the operator's to change.
    m_commands->setEnabled(number == 1);
}

void ModemSetupTab::chooseModemType(int index)
{
    if (!m_modemFile)
        return;
    try {
        showModemType(index + 1);
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
    }
}

void ModemSetupTab::raiseRetries()
{
    m_attempts->setText(platform::fromCore(engine::retryAttemptsSpun(platform::toCore(m_attempts->text()), true)));
}

void ModemSetupTab::lowerRetries()
{
    m_attempts->setText(platform::fromCore(engine::retryAttemptsSpun(platform::toCore(m_attempts->text()), false)));
}

void ModemSetupTab::saveModemSetup()
{
    if (!m_devices->checkDevices() || !openFiles())
        return;
    try {
        store::ConfigRecord config;
        config.CommPort = platform::toCore(m_comm->currentText());
        config.DialPrefix = engine::dialPrefixForRecord(platform::toCore(m_dialPrefix->text()));
        config.DialMethod = m_tone->isChecked() ? 1 : 0;
        config.RetryAttempts = engine::retryAttemptsFromText(platform::toCore(m_attempts->text()));
        config.ModemIndex = static_cast<std::int16_t>(m_modemType);
        store::writeRecord(*m_configFile, 1, config);

        const auto stored = store::readRecord<store::ModemRecord>(*m_modemFile, m_modemType);
        const auto modem
            = engine::modemRecordToSave(stored, platform::toCore(m_commands->text()), m_speaker->isChecked());
        if (modem.encode() != stored.encode())
            store::writeRecord(*m_modemFile, m_modemType, modem);
        // The box shows what was stored, the speaker's rewrite included.
        m_commands->setText(shownText(store::ModemRecord::decode(modem.encode()).ModemCommands));
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return;
    }
    if (m_devices->save())
        m_dialogs.message(QStringLiteral("Modem Configuration has been saved"));
}

void ModemSetupTab::testModem()
{
    if (m_testing)
        return;
    m_modemTest.run(platform::toCore(m_comm->currentText()), platform::toCore(m_commands->text()));
}

bool ModemSetupTab::eventFilter(QObject* watched, QEvent* event)
{
    // The command string is one line: Enter is refused with a beep and changes nothing.
    if (watched == m_commands && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QApplication::beep();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ModemSetupTab::setTesting(bool running)
{
    m_testing = running;
    m_save->setEnabled(!running);
    m_test->setEnabled(!running);
    m_progress->setVisible(running);
}

void ModemSetupTab::setProgress(const std::string& label)
{
    m_progress->setText(platform::fromCore(label));
}

void ModemSetupTab::messageBox(const std::string& text)
{
    m_dialogs.message(platform::fromCore(text));
    // The test sleeps next without letting the window run: paint what the box covered, and the label, now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}

void ModemSetupTab::beep()
{
    QApplication::beep();
}

} // namespace tolvane::ui
