#include "ui/config/other_settings_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "platform/workstation_settings.h"
#include "store/record_file.h"
#include "ui/config/config_support.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

constexpr int kAffixWidth = 20;
constexpr std::size_t kLargeIcons = 4;

struct Option {
    const char* name;
    const char* caption;
    std::int16_t store::SettingsRecord::*field;
};

// The check boxes in the order they stand, with the field each one shows.
constexpr std::array<Option, 5> kOptions { {
    { "SSCheck1", "Clear Send List after Sending or Queueing", &store::SettingsRecord::ClearSendList },
    { "SSCheck2", "Clear Message after Sending or Queueing", &store::SettingsRecord::ClearMessage },
    { "SSCheck3", "Clear Que after Successful Page", &store::SettingsRecord::ClearQueue },
    { "SSCheck4", "Show View Connection Window (debug)", &store::SettingsRecord::ShowConnectionWindow },
    { "SSCheck5", "Large Icons on toolbar", &store::SettingsRecord::LargeIcons },
} };

} // namespace

OtherSettingsTab::OtherSettingsTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_dialogs(dialogs)
{
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("cframe"));
    auto* options = new QGroupBox(QStringLiteral("Tolvane Options"), frame);
    auto* optionsLayout = new QVBoxLayout(options);
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        m_options[i] = new QCheckBox(QString::fromLatin1(kOptions[i].caption), options);
        m_options[i]->setObjectName(QString::fromLatin1(kOptions[i].name));
        optionsLayout->addWidget(m_options[i]);
        connect(m_options[i], &QCheckBox::toggled, this, [this] { m_save->setEnabled(true); });
    }
    connect(m_options[kLargeIcons], &QCheckBox::toggled, this, &OtherSettingsTab::largeIconsToggled);

    auto* affixes = new QGroupBox(QStringLiteral("Message Prefixes and Suffixes"), frame);
    auto* affixesLayout = new QFormLayout(affixes);
    m_prefix = new QLineEdit(affixes);
    m_prefix->setObjectName(QStringLiteral("Text1"));
    m_suffix = new QLineEdit(affixes);
    m_suffix->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit* text : { m_prefix, m_suffix }) {
        text->setMaxLength(kAffixWidth);
        connect(text, &QLineEdit::textChanged, this, [this] { m_save->setEnabled(true); });
    }
    affixesLayout->addRow(QStringLiteral("Message Prefix:"), m_prefix);
    affixesLayout->addRow(QStringLiteral("Message Suffix:"), m_suffix);

    auto* tries = new QGroupBox(QStringLiteral("Failed Pages"), frame);
    auto* triesLayout = new QFormLayout(tries);
    m_tryAgain = new QCheckBox(QStringLiteral("Try failed pages again"), tries);
    m_tryAgain->setObjectName(QStringLiteral("TRYAGAIN"));
    m_tryAgain->setToolTip(QStringLiteral("A page refused for now, or left unsent by a failed call, waits in the page "
                                          "queue and is sent again by itself; the wait doubles after each try. A "
                                          "page refused for good leaves the queue. Kept on this workstation only."));
    m_tries = new QSpinBox(tries);
    m_tries->setObjectName(QStringLiteral("TRIES"));
    m_tries->setRange(2, dispatch::kMostTries);
    m_firstWait = new QSpinBox(tries);
    m_firstWait->setObjectName(QStringLiteral("FIRSTWAIT"));
    m_firstWait->setRange(1, dispatch::kLongestFirstWait);
    m_firstWait->setSuffix(QStringLiteral(" min"));
    triesLayout->addRow(m_tryAgain);
    triesLayout->addRow(QStringLiteral("Tries, the first included:"), m_tries);
    triesLayout->addRow(QStringLiteral("First wait (doubling each time):"), m_firstWait);
    connect(m_tryAgain, &QCheckBox::toggled, this, [this](bool on) {
        m_tries->setEnabled(on);
        m_firstWait->setEnabled(on);
        m_save->setEnabled(true);
    });
    for (QSpinBox* number : { m_tries, m_firstWait })
        connect(number, &QSpinBox::valueChanged, this, [this] { m_save->setEnabled(true); });

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(options);
    frameLayout->addWidget(affixes);
    frameLayout->addWidget(tries);

    m_save = tabButton(QStringLiteral("&Save"), "BSAVE", this);
    connect(m_save, &QPushButton::clicked, this, &OtherSettingsTab::saveSettings);
    auto* done = tabButton(QStringLiteral("&Done"), "BDONE", this);
    connect(done, &QPushButton::clicked, this, &OtherSettingsTab::doneClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(done);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
}

dispatch::RetryPolicy OtherSettingsTab::shownRetryPolicy() const
{
    return { m_tryAgain->isChecked(), m_tries->value(), m_firstWait->value() };
}

void OtherSettingsTab::showRetryPolicy(const dispatch::RetryPolicy& policy)
{
    const QSignalBlocker blockBox(m_tryAgain);
    const QSignalBlocker blockTries(m_tries);
    const QSignalBlocker blockWait(m_firstWait);
    m_tryAgain->setChecked(policy.on);
    m_tries->setValue(policy.tries);
    m_firstWait->setValue(policy.firstWaitMinutes);
    m_tries->setEnabled(policy.on);
    m_firstWait->setEnabled(policy.on);
}

void OtherSettingsTab::ConfigView()
{
    // The workstation's own choice shows even when SETTINGS.DAT cannot be read.
    showRetryPolicy(platform::storedRetryPolicy());
    store::SettingsRecord settings;
    try {
        settings = store::readRecordAt<store::SettingsRecord>(m_folder.pathOf<store::SettingsRecord>());
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return;
    }
    {
        const QSignalBlocker blockPrefix(m_prefix);
        const QSignalBlocker blockSuffix(m_suffix);
        for (std::size_t i = 0; i < kOptions.size(); ++i) {
            const QSignalBlocker block(m_options[i]);
            m_options[i]->setChecked(settings.*kOptions[i].field != 0);
        }
        m_prefix->setText(shownText(settings.MessagePrefix));
        m_suffix->setText(shownText(settings.MessageSuffix));
    }
    m_save->setEnabled(false);
    refreshRunningSettings();
    // The toolbars follow the stored choice again, whatever the box was ticked to before.
    Q_EMIT largeIconsToggled(m_options[kLargeIcons]->isChecked());
}

void OtherSettingsTab::saveSettings()
{
    // Kept whatever becomes of SETTINGS.DAT: it lives outside the data files.
    if (const dispatch::RetryPolicy policy = shownRetryPolicy(); policy != platform::storedRetryPolicy()) {
        platform::storeRetryPolicy(policy);
        Q_EMIT retryPolicyChanged(policy);
    }
    try {
        const auto path = m_folder.pathOf<store::SettingsRecord>();
        store::RecordFile file(path, store::SettingsRecord::kLength);
        auto settings = store::readRecord<store::SettingsRecord>(file, 1);
        for (std::size_t i = 0; i < kOptions.size(); ++i)
            settings.*kOptions[i].field = m_options[i]->isChecked() ? store::kYes : store::kNo;
        settings.MessagePrefix = platform::toCore(m_prefix->text());
        settings.MessageSuffix = platform::toCore(m_suffix->text());
        store::writeRecord(file, 1, settings);
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return;
    }
    m_save->setEnabled(false);
    refreshRunningSettings();
    m_dialogs.message(QStringLiteral("Setting have been saved"));
}

void OtherSettingsTab::refreshRunningSettings()
{
    store::RunningSettings running;
    try {
        running = store::checkSettings(m_folder);
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return;
    }
    Q_EMIT runningSettingsChanged(running);
}

} // namespace tolvane::ui
