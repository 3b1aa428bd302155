#pragma once

#include "engine/call_view.h"

#include <QColor>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class ConnectionWindow;
class StatusLamp;

// What the operator has composed: a change of either, however it was made, ends the lamp's hold.
struct Composition {
    std::vector<std::string> recipients;
    std::string message;
    bool operator==(const Composition&) const = default;
};

// The main window's side of every paging call: the status panel, the status lamp, the connection window
// and the call's boxes and questions. It owns those widgets (parented to the window) and asks the window,
// through the two callbacks, to refresh its commands and to restart its clock.
//
// The lamp's one rule: a call's colour stays until the recipients or the message change; from then on a
// typed message shows yellow.
class CallDisplay final : public engine::CallView {
public:
    struct Host {
        std::function<void()> refreshCommands;
        std::function<void()> callEnded;
    };

    CallDisplay(QWidget* window, platform::DialogService& dialogs, Host host);
    CallDisplay(const CallDisplay&) = delete;
    CallDisplay& operator=(const CallDisplay&) = delete;

    QLabel* statusPanel() const { return m_statusPanel; }
    StatusLamp* lamp() const { return m_lamp; }
    ConnectionWindow* connectionWindow() const { return m_connection; }

    QString statusText() const;
    QColor lampColour() const;

    // The lamp rule, from the composition now on screen.
    void showComposition(const Composition& now);
    // While the program ends nobody is there to answer: questions are not asked and count as No.
    void setEnding(bool ending) { m_ending = ending; }
    // A send nobody asked for (a failed page's next try) runs while nobody may be there: its boxes go to the
    // connection log, so one failed try cannot hold the port, and every later try, until someone answers.
    void setUnattended(bool unattended) { m_unattended = unattended; }

    // engine::CallView
    void setStatus(const std::string& text) override;
    void setLamp(engine::Lamp lamp) override;
    void appendLog(const std::string& line) override;
    void clearLog() override;
    void showConnectionWindow() override;
    void hideConnectionWindow() override;
    void messageBox(const std::string& text, const std::string& title = {}) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void refreshCommands() override;
    void callEnded() override;

private:
    platform::DialogService& m_dialogs;
    Host m_host;
    QLabel* m_statusPanel;
    StatusLamp* m_lamp;
    ConnectionWindow* m_connection;
    bool m_held = false;
    bool m_ending = false;
    bool m_unattended = false;
    Composition m_composition;
    Composition m_heldFor;
};

} // namespace tolvane::ui
