#include "ui/quickpage/quick_page.h"

#include "dispatch/message_rules.h"
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tolvane::ui {

QuickPage::QuickPage(
    dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_desk(desk)
    , m_folder(folder)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("QuickPage"));
    setWindowTitle(QStringLiteral("Quick Page"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));

    auto* buttons = new QFrame(this);
    buttons->setObjectName(QStringLiteral("SSPanel2"));
    auto* column = new QVBoxLayout(buttons);
    column->setContentsMargins(0, 0, 0, 0);
    const auto button = [&](const char* name, const QString& caption, void (QuickPage::*handler)()) {
        auto* b = new QPushButton(caption, buttons);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        column->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_insert = button("Command1", QStringLiteral("&Insert Into Current Message"), &QuickPage::insertIntoMessage);
    m_use = button("Command2", QStringLiteral("&Use Quick Page As Message"), &QuickPage::useAsMessage);
    m_delete = button("Command3", QStringLiteral("&Delete From Quick List"), &QuickPage::deleteMessage);
    m_add = button("Command5", QStringLiteral("&Add To Quick List"), &QuickPage::addMessage);
    button("Command6", QStringLiteral("&Get Current Message"), &QuickPage::getCurrentMessage);
    column->addStretch(1);
    button("Command4", QStringLiteral("&OK"), &QuickPage::closeWindow);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("SSPanel1"));
    auto* left = new QVBoxLayout(panel);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_list, 1);
    left->addWidget(m_text);

    auto* layout = new QGridLayout(this);
    layout->addWidget(panel, 0, 0);
    layout->addWidget(buttons, 0, 1);
    layout->setColumnStretch(0, 1);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        for (QPushButton* b : { m_insert, m_use, m_delete })
            b->setEnabled(row >= 0);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QuickPage::useAsMessage);
    connect(m_text, &QLineEdit::textChanged, this, [this] { m_add->setEnabled(true); });

    // Wide enough for a whole 80-character message.
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QString(82, QLatin1Char('M'))));
    resize(sizeHint().width(), 320);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    loadMessages();
}

QuickPage::~QuickPage() = default;

void QuickPage::loadMessages()
{
    {
        const QSignalBlocker blockList(m_list);
        const QSignalBlocker blockText(m_text);
        m_list->clear();
        m_text->clear();
    }
    m_add->setEnabled(false);
    try {
        if (!m_canned)
            m_canned = std::make_unique<dispatch::CannedMessages>(m_folder);
        for (const auto& message : m_canned->messages())
            m_list->addItem(platform::fromCore(message));
    } catch (const std::exception& error) {
        m_desk.reportError(error);
    }
    for (QPushButton* b : { m_insert, m_use, m_delete })
        b->setEnabled(false);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void QuickPage::putIntoMessage(const std::string& text)
{
    // The message box is emptied and hidden while nobody is chosen, and would drop the text.
    if (!m_desk.messageBoxVisible()) {
        m_dialogs.message(platform::fromCore(dispatch::kChooseRecipientFirst));
        return;
    }
    m_desk.setMessage(text);
    if (m_desk.gauge().limitReached)
        m_dialogs.message(platform::fromCore(dispatch::kLimitReachedMessage));
    close();
}

void QuickPage::insertIntoMessage()
{
    const int row = m_list->currentRow();
    if (row >= 0 && m_canned)
        putIntoMessage(dispatch::insertCanned(
            m_desk.message(), m_canned->messages()[static_cast<std::size_t>(row)], m_desk.messageLimit()));
}

void QuickPage::useAsMessage()
{
    const int row = m_list->currentRow();
    if (row >= 0 && m_canned)
        putIntoMessage(dispatch::useCanned(m_canned->messages()[static_cast<std::size_t>(row)], m_desk.messageLimit()));
}

void QuickPage::deleteMessage()
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_canned)
        return;
    if (const std::string question = m_canned->removalQuestion(row);
        !question.empty() && !m_dialogs.ask(platform::fromCore(question)))
        return;
    const store::DeleteResult result = m_canned->remove(row);
    if (!result.message.empty())
        m_dialogs.message(platform::fromCore(result.message));
    if (result.deleted())
        loadMessages();
}

void QuickPage::addMessage()
{
    if (!m_canned)
        return;
    try {
        m_canned->add(platform::toCore(m_text->text()));
    } catch (const std::exception& error) {
        m_desk.reportError(error);
        return;
    }
    loadMessages();
}

void QuickPage::getCurrentMessage()
{
    m_text->setText(platform::fromCore(m_desk.message()));
}

void QuickPage::closeWindow()
{
    close();
}

void QuickPage::closeEvent(QCloseEvent* event)
{
    if (m_canned)
        m_canned->close();
    event->accept();
}

} // namespace tolvane::ui
