#pragma once

#include "engine/call_view.h"

#include <ostream>
#include <string>

namespace tolvane::dispatch {

// A CallView for runs that no person watches: command-line paging without a display, and quiet runs
// ("%"), which other programs start and which must never stop to wait for an answer. Message boxes go
// to the error stream, a question is answered Yes and the answer printed; the connection log goes to
// the error stream too when asked. Everything else is passed to the host's own view when there is one.
class UnattendedView final : public engine::CallView {
public:
    UnattendedView(engine::CallView* inner, std::ostream& errors, bool echoConnectionLog);

    void setStatus(const std::string& text) override;
    void setLamp(engine::Lamp lamp) override;
    void appendLog(const std::string& line) override;
    // Also on the error stream when the connection log is not echoed there, so a quiet run reports it too.
    void appendWarning(const std::string& line) override;
    void clearLog() override;
    void showConnectionWindow() override;
    void hideConnectionWindow() override;
    void messageBox(const std::string& text, const std::string& title = {}) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void refreshCommands() override;
    void callEnded() override;

private:
    engine::CallView* m_inner;
    std::ostream& m_errors;
    bool m_echoLog;
};

} // namespace tolvane::dispatch
