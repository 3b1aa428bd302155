#include "ui/config/advanced_modem_tab.h"

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
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

constexpr int kStringWidth = 100;

struct SpeedString {
    const char* name;
    const char* label;
    std::string store::AdvancedRecord::*field;
};

constexpr std::array<SpeedString, 6> kStrings { {
    { "Text3", "Modem String for 300 bps", &store::AdvancedRecord::ModemString300 },
    { "Text4", "Modem String for 1200 bps", &store::AdvancedRecord::ModemString1200 },
    { "Text5", "Modem String for 2400 bps", &store::AdvancedRecord::ModemString2400 },
    { "Text6", "Modem String for 9600 bps", &store::AdvancedRecord::ModemString9600 },
    { "Text7", "Modem String for 14400 bps", &store::AdvancedRecord::ModemString14400 },
    { "Text8", "Modem String for 19200 bps", &store::AdvancedRecord::ModemString19200 },
} };

} // namespace

AdvancedModemTab::AdvancedModemTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_dialogs(dialogs)
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    // The frame's own layout, so that options about the modem strings can be added below them.
    auto* frameLayout = new QVBoxLayout(frame);
    auto* strings = new QFormLayout;
    for (std::size_t i = 0; i < kStrings.size(); ++i) {
        m_strings[i] = new QLineEdit(frame);
        m_strings[i]->setObjectName(QString::fromLatin1(kStrings[i].name));
        m_strings[i]->setMaxLength(kStringWidth);
        m_strings[i]->setMinimumWidth(300);
        strings->addRow(QString::fromLatin1(kStrings[i].label), m_strings[i]);
    }
    frameLayout->addLayout(strings);
    m_promptPacing = new QCheckBox(QStringLiteral("Wait for replies instead of fixed pauses"), frame);
    m_promptPacing->setObjectName(QStringLiteral("PromptPacing"));
    m_promptPacing->setToolTip(QStringLiteral("For a modem or network line that answers promptly: each step of a "
                                              "call goes on as soon as the reply is in, and a silent line still "
                                              "gives up after as long. Kept on this workstation only."));
    frameLayout->addWidget(m_promptPacing);

    auto* save = tabButton(QStringLiteral("&Save"), "Command2", this);
    connect(save, &QPushButton::clicked, this, &AdvancedModemTab::saveAdvanced);
    auto* done = tabButton(QStringLiteral("&Done"), "Command1", this);
    connect(done, &QPushButton::clicked, this, &AdvancedModemTab::doneClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(done);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
}

AdvancedModemTab::~AdvancedModemTab() = default;

bool AdvancedModemTab::openFile()
{
    try {
        keepOpen<store::AdvancedRecord>(m_file, m_folder);
        return true;
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
        return false;
    }
}

void AdvancedModemTab::closeFiles()
{
    m_file.reset();
}

void AdvancedModemTab::AdvancedView()
{
    m_promptPacing->setChecked(platform::storedPacing() == engine::Pacing::Prompt);
    closeFiles();
    if (!openFile())
        return;
    try {
        const auto record = store::readRecord<store::AdvancedRecord>(*m_file, 1);
        for (std::size_t i = 0; i < kStrings.size(); ++i)
            m_strings[i]->setText(shownText(record.*kStrings[i].field));
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
    }
}

void AdvancedModemTab::saveAdvanced()
{
    // Saved whatever becomes of the strings: it lives outside ADVANCE.DAT. Announced only when it changed,
    // so saving the strings never undoes a pacing the command line chose for this run.
    const engine::Pacing pacing = m_promptPacing->isChecked() ? engine::Pacing::Prompt : engine::Pacing::Standard;
    if (pacing != platform::storedPacing()) {
        platform::storePacing(pacing);
        Q_EMIT pacingChanged(pacing);
    }
    if (!openFile())
        return;
    store::AdvancedRecord record;
    for (std::size_t i = 0; i < kStrings.size(); ++i)
        record.*kStrings[i].field = platform::toCore(m_strings[i]->text());
    try {
        store::writeRecord(*m_file, 1, record);
    } catch (const std::exception& error) {
        showFileError(m_dialogs, error);
    }
    closeFiles();
}

} // namespace tolvane::ui
