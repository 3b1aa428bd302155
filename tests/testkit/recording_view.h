#pragma once

#include "engine/call_view.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::testkit {

// A call view that remembers everything shown, in order, and answers Yes/No questions from a queue.
class RecordingView : public engine::CallView {
public:
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

    // Answers for the coming questions, in order; when none is left the answer is No.
    std::deque<bool> answers;
    // Called with every status text as it is shown (a test may press cancel at a given step).
    std::function<void(const std::string&)> onStatus;

    // Everything in order: "status: ...", "lamp: Red", "log: ...", "clear log", "show", "hide",
    // "box: ...", "ask: ...", "beep", "refresh", "ended".
    std::vector<std::string> events;
    std::vector<std::string> statuses;
    std::vector<engine::Lamp> lamps;
    std::vector<std::string> logLines; // since the last clear
    std::vector<std::string> boxes;
    std::vector<std::string> boxTitles;
    std::vector<std::string> questions;
    int beeps = 0;
    int refreshes = 0;
    int callsEnded = 0;
    int shows = 0;
    int hides = 0;

    std::string lastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
    engine::Lamp lastLamp() const { return lamps.empty() ? engine::Lamp::Yellow : lamps.back(); }
    // The connection window's text as it stands: every line since the last clear, each with CR LF.
    std::string connectionLog() const;
    int countLogLines(const std::string& line) const;
    // Index of the first event equal to `event` at or after `from`, or -1.
    int indexOf(const std::string& event, int from = 0) const;
};

} // namespace tolvane::testkit
