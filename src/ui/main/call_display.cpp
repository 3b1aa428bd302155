#include "ui/main/call_display.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "ui/main/connection_window.h"
#include "ui/main/status_lamp.h"

#include <QApplication>
#include <QLabel>

namespace tolvane::ui {
namespace {

QColor colourOfLamp(engine::Lamp lamp)
{
    switch (lamp) {
    case engine::Lamp::Yellow:
        return QColor(255, 255, 0);
    case engine::Lamp::Red:
        return QColor(255, 0, 0);
    case engine::Lamp::Green:
        return QColor(0, 255, 0);
    case engine::Lamp::Black:
        break;
    }
    return QColor(0, 0, 0);
}

// Texts from the core carry CR (or CR LF) as their line break.
QString boxText(const std::string& text)
{
    QString converted = platform::fromCore(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    converted.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return converted;
}

} // namespace

CallDisplay::CallDisplay(QWidget* window, platform::DialogService& dialogs, Host host)
    : m_dialogs(dialogs)
    , m_host(std::move(host))
    , m_statusPanel(new QLabel(window))
    , m_lamp(new StatusLamp(window))
    , m_connection(new ConnectionWindow(window))
{
    m_statusPanel->setObjectName(QStringLiteral("StatusPanel"));
    m_lamp->setObjectName(QStringLiteral("Shape1"));
}

QString CallDisplay::statusText() const
{
    return m_statusPanel->text();
}

QColor CallDisplay::lampColour() const
{
    return m_lamp->colour();
}

void CallDisplay::showComposition(const Composition& now)
{
    if (m_held && now != m_heldFor)
        m_held = false;
    m_composition = now;
    if (!m_held && !now.message.empty())
        m_lamp->setColour(colourOfLamp(engine::Lamp::Yellow));
}

void CallDisplay::setStatus(const std::string& text)
{
    m_statusPanel->setText(platform::fromCore(text));
}

void CallDisplay::setLamp(engine::Lamp lamp)
{
    // The outcome of a call stays visible until the operator composes something else.
    m_held = true;
    m_heldFor = m_composition;
    m_lamp->setColour(colourOfLamp(lamp));
}

void CallDisplay::appendLog(const std::string& line)
{
    m_connection->appendLine(platform::fromCore(line));
}

void CallDisplay::clearLog()
{
    m_connection->clear();
}

void CallDisplay::showConnectionWindow()
{
    m_connection->show();
    m_connection->raise();
}

void CallDisplay::hideConnectionWindow()
{
    m_connection->hide();
}

void CallDisplay::messageBox(const std::string& text, const std::string& title)
{
    if (m_unattended) {
        appendWarning(text);
        return;
    }
    m_dialogs.message(boxText(text), platform::fromCore(title));
}

bool CallDisplay::askYesNo(const std::string& text)
{
    if (m_ending)
        return false;
    return m_dialogs.ask(boxText(text));
}

void CallDisplay::beep()
{
    QApplication::beep();
}

void CallDisplay::refreshCommands()
{
    m_host.refreshCommands();
}

void CallDisplay::callEnded()
{
    m_host.callEnded();
}

} // namespace tolvane::ui
