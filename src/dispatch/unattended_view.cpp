#include "dispatch/unattended_view.h"

#include "store/codepage.h"

namespace tolvane::dispatch {
using store::terminalText;

UnattendedView::UnattendedView(engine::CallView* inner, std::ostream& errors, bool echoConnectionLog)
    : m_inner(inner)
    , m_errors(errors)
    , m_echoLog(echoConnectionLog)
{
}

void UnattendedView::setStatus(const std::string& text)
{
    if (m_inner)
        m_inner->setStatus(text);
}

void UnattendedView::setLamp(engine::Lamp lamp)
{
    if (m_inner)
        m_inner->setLamp(lamp);
}

void UnattendedView::appendLog(const std::string& line)
{
    if (m_echoLog)
        m_errors << terminalText(line) << '\n' << std::flush;
    if (m_inner)
        m_inner->appendLog(line);
}

void UnattendedView::appendWarning(const std::string& line)
{
    appendLog(line);
    if (!m_echoLog)
        m_errors << terminalText(line) << '\n' << std::flush;
}

void UnattendedView::clearLog()
{
    if (m_inner)
        m_inner->clearLog();
}

void UnattendedView::showConnectionWindow()
{
    if (m_inner)
        m_inner->showConnectionWindow();
}

void UnattendedView::hideConnectionWindow()
{
    if (m_inner)
        m_inner->hideConnectionWindow();
}

void UnattendedView::messageBox(const std::string& text, const std::string& title)
{
    if (!title.empty())
        m_errors << terminalText(title) << ": ";
    m_errors << terminalText(text) << '\n' << std::flush;
}

bool UnattendedView::askYesNo(const std::string& text)
{
    // No one is there to answer; the command line asked for this page, so it goes ahead.
    m_errors << terminalText(text) << " Yes\n" << std::flush;
    return true;
}

void UnattendedView::beep()
{
    if (m_inner)
        m_inner->beep();
}

void UnattendedView::refreshCommands()
{
    if (m_inner)
        m_inner->refreshCommands();
}

void UnattendedView::callEnded()
{
    if (m_inner)
        m_inner->callEnded();
}

} // namespace tolvane::dispatch
