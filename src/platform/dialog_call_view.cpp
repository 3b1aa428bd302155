#include "platform/dialog_call_view.h"

#include "platform/text_bridge.h"

#include <QApplication>

namespace tolvane::platform {

void DialogCallView::messageBox(const std::string& text, const std::string& title)
{
    m_dialogs.message(fromCore(text), fromCore(title));
}

bool DialogCallView::askYesNo(const std::string& text)
{
    return m_dialogs.ask(fromCore(text));
}

void DialogCallView::beep()
{
    QApplication::beep();
}

} // namespace tolvane::platform
