#include "testkit/recording_view.h"

#include <algorithm>

namespace tolvane::testkit {
namespace {

const char* lampName(engine::Lamp lamp)
{
    switch (lamp) {
    case engine::Lamp::Yellow:
        return "Yellow";
    case engine::Lamp::Red:
        return "Red";
    case engine::Lamp::Green:
        return "Green";
    case engine::Lamp::Black:
        return "Black";
    }
    return "?";
}

} // namespace

void RecordingView::setStatus(const std::string& text)
{
    statuses.push_back(text);
    events.push_back("status: " + text);
    if (onStatus)
        onStatus(text);
}

void RecordingView::setLamp(engine::Lamp lamp)
{
    lamps.push_back(lamp);
    events.push_back(std::string("lamp: ") + lampName(lamp));
}

void RecordingView::appendLog(const std::string& line)
{
    logLines.push_back(line);
    events.push_back("log: " + line);
}

void RecordingView::clearLog()
{
    logLines.clear();
    events.emplace_back("clear log");
}

void RecordingView::showConnectionWindow()
{
    ++shows;
    events.emplace_back("show");
}

void RecordingView::hideConnectionWindow()
{
    ++hides;
    events.emplace_back("hide");
}

void RecordingView::messageBox(const std::string& text, const std::string& title)
{
    boxes.push_back(text);
    boxTitles.push_back(title);
    events.push_back("box: " + text);
}

bool RecordingView::askYesNo(const std::string& text)
{
    questions.push_back(text);
    events.push_back("ask: " + text);
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingView::beep()
{
    ++beeps;
    events.emplace_back("beep");
}

void RecordingView::refreshCommands()
{
    ++refreshes;
    events.emplace_back("refresh");
}

void RecordingView::callEnded()
{
    ++callsEnded;
    events.emplace_back("ended");
}

std::string RecordingView::connectionLog() const
{
    std::string out;
    for (const std::string& line : logLines)
        out += line + "\r\n";
    return out;
}

int RecordingView::countLogLines(const std::string& line) const
{
    return static_cast<int>(std::count(logLines.begin(), logLines.end(), line));
}

int RecordingView::indexOf(const std::string& event, int from) const
{
    for (std::size_t i = static_cast<std::size_t>(std::max(from, 0)); i < events.size(); ++i)
        if (events[i] == event)
            return static_cast<int>(i);
    return -1;
}

} // namespace tolvane::testkit
