#include "ui/main/connection_window.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tolvane::ui {

ConnectionWindow::ConnectionWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("TERMVIEW"));
    setWindowTitle(QStringLiteral("View Connection..."));
    m_text->setObjectName(QStringLiteral("ConnectionLog"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_text);
    resize(420, 460);
}

void ConnectionWindow::appendLine(const QString& line)
{
    // Follow the end of the log only when the operator is not reading further up.
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(line + QStringLiteral("\n"));
    if (atEnd)
        bar->setValue(bar->maximum());
}

void ConnectionWindow::clear()
{
    m_text->clear();
}

QString ConnectionWindow::text() const
{
    return m_text->toPlainText();
}

} // namespace tolvane::ui
