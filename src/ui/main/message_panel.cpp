#include "ui/main/message_panel.h"

#include "dispatch/message_rules.h"
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "ui/main/message_edit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

QColor toColour(dispatch::Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

} // namespace

MessagePanel::MessagePanel(dispatch::PagingDesk& desk, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_desk(desk)
    , m_dialogs(dialogs)
{
    auto* header = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Message:"), this);
    caption->setObjectName(QStringLiteral("Label5"));
    m_count = new QLabel(QStringLiteral("0"), this);
    m_count->setObjectName(QStringLiteral("Label1"));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    auto* characters = new QLabel(QStringLiteral("Characters"), this);
    characters->setObjectName(QStringLiteral("Label6"));
    header->addWidget(caption);
    header->addStretch();
    header->addWidget(m_count);
    header->addWidget(characters);

    m_message = new MessageEdit(this);
    m_message->setObjectName(QStringLiteral("Text1"));
    m_message->setFixedHeight(m_message->fontMetrics().lineSpacing() * 4 + 12);
    // The box is hidden without recipients; the panel keeps its room so nothing jumps.
    QSizePolicy keepRoom = m_message->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_message->setSizePolicy(keepRoom);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, toColour(dispatch::kGaugeGreen));
    m_message->setPalette(palette);
    m_message->setFont(QFont(QStringLiteral("Monospace"), m_message->font().pointSize() + 1));
    connect(m_message, &MessageEdit::textChanged, this, &MessagePanel::onEdited);
    connect(m_message, &MessageEdit::returnRefused, this, [this] { m_desk.refuseKey(13); });

    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setTextVisible(false);
    m_gauge->setFixedHeight(14);
    m_gauge->setRange(0, 80);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("FirstStartHint"));
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setMargin(8);
    m_hint->setFrameShape(QFrame::StyledPanel);
    m_hint->hide();
    // The hint shares the message box's place: one of them shows at a time.
    auto* place = new QGridLayout;
    place->addWidget(m_message, 0, 0);
    place->addWidget(m_hint, 0, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(header);
    layout->addLayout(place);
    layout->addWidget(m_gauge);
}

MessagePanel::~MessagePanel()
{
    m_message->disconnect(this);
}

QColor MessagePanel::textColour() const
{
    return m_message->palette().color(QPalette::Text);
}

void MessagePanel::sync()
{
    const bool was = m_syncing;
    m_syncing = true;
    m_message->setVisible(m_desk.messageBoxVisible());
    m_hint->setVisible(!m_hint->text().isEmpty() && !m_desk.messageBoxVisible());
    const QString wanted = platform::fromCore(m_desk.message());
    if (m_message->toPlainText() != wanted) {
        const QSignalBlocker blocker(m_message);
        m_message->setPlainText(wanted);
        m_message->moveCursor(QTextCursor::End);
    }
    m_message->setMaxLength(m_desk.messageLimit());
    // A lower limit cut the message in the box: the desk takes the shorter text once this update is over.
    if (platform::toCore(m_message->toPlainText()) != m_desk.message())
        QMetaObject::invokeMethod(this, &MessagePanel::onEdited, Qt::QueuedConnection);

    const dispatch::MessageGauge gauge = m_desk.gauge();
    m_count->setText(platform::fromCore(gauge.countLabel));
    m_gauge->setMaximum(gauge.gaugeMaximum);
    m_gauge->setValue(gauge.gaugeValue);
    const QColor colour = toColour(gauge.colour);
    if (m_gaugeColour != colour) {
        m_gaugeColour = colour;
        m_gauge->setStyleSheet(
            QStringLiteral("QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
                           "QProgressBar::chunk { background-color: %1; }")
                .arg(colour.name()));
        QPalette palette = m_message->palette();
        palette.setColor(QPalette::Text, colour);
        m_message->setPalette(palette);
    }
    m_syncing = was;
}

void MessagePanel::showHint(const QString& text)
{
    m_hint->setText(text);
    m_hint->setVisible(!text.isEmpty() && !m_message->isVisibleTo(this));
}

void MessagePanel::focusMessage()
{
    if (m_message->isVisibleTo(this))
        m_message->setFocus(Qt::OtherFocusReason);
}

void MessagePanel::onEdited()
{
    if (m_syncing)
        return;
    const std::string text = platform::toCore(m_message->toPlainText());
    if (text == m_desk.message())
        return;
    m_desk.setMessage(text);
    if (m_desk.gauge().limitReached)
        m_dialogs.message(platform::fromCore(dispatch::kLimitReachedMessage));
}

} // namespace tolvane::ui
