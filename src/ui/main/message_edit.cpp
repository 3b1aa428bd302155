#include "ui/main/message_edit.h"

#include "dispatch/message_rules.h"
#include "platform/text_bridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextCursor>

namespace tolvane::ui {

MessageEdit::MessageEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(this, &QPlainTextEdit::textChanged, this, &MessageEdit::enforceLimit);
}

int MessageEdit::pageLength(const QString& text)
{
    return static_cast<int>(platform::toCore(text).size());
}

void MessageEdit::setMaxLength(int length)
{
    m_maxLength = length < 0 ? 0 : length;
    enforceLimit();
}

int MessageEdit::room() const
{
    const QTextCursor cursor = textCursor();
    const int selected = pageLength(cursor.selectedText());
    return m_maxLength - (pageLength(toPlainText()) - selected);
}

void MessageEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Q_EMIT returnRefused();
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (printable && pageLength(typed) > room()) {
        // Typing stops at the limit, as a box with a maximum length does.
        event->accept();
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const std::string oneLine = dispatch::withoutLineBreaks(platform::toCore(source->text()));
    const int space = room();
    if (space <= 0) {
        QApplication::beep();
        return;
    }
    std::string fitting = oneLine.substr(0, static_cast<std::size_t>(space));
    if (fitting.size() < oneLine.size())
        QApplication::beep();
    // Convert the kept bytes back, so a character is never cut in half.
    insertPlainText(platform::fromCore(fitting));
}

void MessageEdit::enforceLimit()
{
    const QString text = toPlainText();
    if (pageLength(text) <= m_maxLength && !text.contains(QLatin1Char('\n')))
        return;
    // A text set by the program (or an input method) that breaks the rules: keep the one-line start.
    const std::string core
        = dispatch::withoutLineBreaks(platform::toCore(text)).substr(0, static_cast<std::size_t>(m_maxLength));
    QSignalBlocker blocker(this);
    setPlainText(platform::fromCore(core));
    moveCursor(QTextCursor::End);
    blocker.unblock();
    Q_EMIT textChanged();
}

} // namespace tolvane::ui
