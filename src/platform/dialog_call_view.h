#pragma once

#include "engine/call_view.h"
#include "platform/dialog_service.h"

namespace tolvane::platform {

// A paging call's view when there is no window to show it in, but a person at a display: its boxes and
// questions are real dialogs; status, lamp and connection log have nowhere to go.
class DialogCallView final : public engine::CallView {
public:
    explicit DialogCallView(DialogService& dialogs)
        : m_dialogs(dialogs)
    {
    }

    void setStatus(const std::string&) override { }
    void setLamp(engine::Lamp) override { }
    void appendLog(const std::string&) override { }
    // With no connection log to hold it, on standard error: the terminal the page was started from.
    void appendWarning(const std::string& line) override;
    void clearLog() override { }
    void showConnectionWindow() override { }
    void hideConnectionWindow() override { }
    void messageBox(const std::string& text, const std::string& title = {}) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void refreshCommands() override { }
    void callEnded() override { }

private:
    DialogService& m_dialogs;
};

} // namespace tolvane::platform
