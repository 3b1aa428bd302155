#pragma once

#include "engine/call_view.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::testkit {

// A call view that remembers everything shown, in order, and answers Yes/No questions from a queue.
class RecordingView : public engine::CallView {
public:
    void setStatus(const std::string& text) override
    {
        statuses.push_back(text);
        events.push_back("status: " + text);
        if (onStatus)
            onStatus(text);
    }
    void setLamp(engine::Lamp lamp) override
    {
        lamps.push_back(lamp);
        static const char* const names[] = { "Yellow", "Red", "Green", "Black" };
        events.push_back(std::string("lamp: ") + names[static_cast<int>(lamp)]);
    }
    void appendLog(const std::string& line) override
    {
        logLines.push_back(line);
        events.push_back("log: " + line);
    }
    void clearLog() override
    {
        logLines.clear();
        events.emplace_back("clear log");
    }
    void showConnectionWindow() override { count(shows, "show"); }
    void hideConnectionWindow() override { count(hides, "hide"); }
    void messageBox(const std::string& text, const std::string& title = {}) override
    {
        boxes.push_back(text);
        boxTitles.push_back(title);
        events.push_back("box: " + text);
    }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        events.push_back("ask: " + text);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    void beep() override { count(beeps, "beep"); }
    void refreshCommands() override { count(refreshes, "refresh"); }
    void callEnded() override { count(callsEnded, "ended"); }

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
    std::string connectionLog() const
    {
        std::string out;
        for (const std::string& line : logLines)
            out += line + "\r\n";
        return out;
    }
    int countLogLines(const std::string& line) const
    {
        return static_cast<int>(std::count(logLines.begin(), logLines.end(), line));
    }
    // Index of the first event equal to `event`, or -1.
    int indexOf(const std::string& event) const
    {
        const auto at = std::find(events.begin(), events.end(), event);
        return at == events.end() ? -1 : static_cast<int>(at - events.begin());
    }

private:
    void count(int& counter, const char* event)
    {
        ++counter;
        events.emplace_back(event);
    }
};

} // namespace tolvane::testkit
