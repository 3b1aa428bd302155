#include "ui/main/connection_window.h"

#include "ui/main/escape_closes.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

// The window's measures are given in twips, 1/1440 inch.
int pixels(int twips, const QScreen* screen)
{
    return qRound(twips * screen->logicalDotsPerInchY() / 1440.0);
}

constexpr int kStripWidth = 6255;
constexpr int kStripHeightShort = 500; // the strip: the screen's height less this
constexpr int kBelowCentre = 250;

} // namespace

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
    closeOnEscape(this);
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

void ConnectionWindow::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        placeFirstTime();
    }
    QWidget::showEvent(event);
}

void ConnectionWindow::placeFirstTime()
{
    const QScreen* target = screen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveLeft(area.left() + (area.width() - frame.width()) / 2);
    frame.moveTop(area.top() + (area.height() - frame.height()) / 2 + pixels(kBelowCentre, target));
    move(frame.topLeft());
}

void ConnectionWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        QTimer::singleShot(0, this, &ConnectionWindow::placeAsStrip);
}

void ConnectionWindow::placeAsStrip()
{
    setWindowState(windowState() & ~Qt::WindowMaximized);
    const QScreen* target = screen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - size();
    move(area.topLeft());
    resize(pixels(kStripWidth, target) - frameExtra.width(),
        area.height() - pixels(kStripHeightShort, target) - frameExtra.height());
}

} // namespace tolvane::ui
