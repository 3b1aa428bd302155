#pragma once

#include <string>

namespace tolvane::engine {

enum class Lamp { Yellow, Red, Green, Black };

// What a paging call shows the operator. The engine never opens a window itself.
class CallView {
public:
    virtual ~CallView() = default;

    virtual void setStatus(const std::string& text) = 0;
    virtual void setLamp(Lamp lamp) = 0;

    // Appends the line and CR LF to the connection log.
    virtual void appendLog(const std::string& line) = 0;
    // A line the operator must not miss although nothing stops for it (the page log could not be
    // written): the connection log, and wherever a view for runs nobody watches reports.
    virtual void appendWarning(const std::string& line) { appendLog(line); }
    virtual void clearLog() = 0;
    virtual void showConnectionWindow() = 0;
    virtual void hideConnectionWindow() = 0;

    // A modal OK box; title empty means the program's name.
    virtual void messageBox(const std::string& text, const std::string& title = {}) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void beep() = 0;

    // Re-evaluate which commands are enabled (send, queue, cancel...).
    virtual void refreshCommands() = 0;
    // Every end of a call, early or normal: the host restarts its clock.
    virtual void callEnded() = 0;
};

} // namespace tolvane::engine
