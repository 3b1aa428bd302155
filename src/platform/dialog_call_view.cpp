#include "platform/dialog_call_view.h"

#include "platform/text_bridge.h"
#include "store/codepage.h"

#include <QApplication>

#include <cstdio>

namespace tolvane::platform {

void DialogCallView::messageBox(const std::string& text, const std::string& title)
{
    m_dialogs.message(fromCore(text), fromCore(title));
}

bool DialogCallView::askYesNo(const std::string& text)
{
    return m_dialogs.ask(fromCore(text));
}

void DialogCallView::appendWarning(const std::string& line)
{
    std::fprintf(stderr, "%s\n", store::cp1252ToUtf8(line).c_str());
    std::fflush(stderr);
}

void DialogCallView::beep()
{
    QApplication::beep();
}

} // namespace tolvane::platform
