#include "simulator/line_simulator.h"

#include <algorithm>
#include <cctype>

namespace tolvane::simulator {

namespace {

// A command line longer than a real modem's buffer is cut, not grown without end.
constexpr std::size_t kCommandLimit = 256;
constexpr std::size_t kTranscriptLimit = 20000;

char upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

LineSimulator::LineSimulator(SimulatorOptions options)
    : m_options(std::move(options))
    , m_terminal(m_options, *this)
    , m_echo(m_options.echo)
{
}

void LineSimulator::receive(std::string_view bytesFromClient, Millis now)
{
    advance(now);
    if (bytesFromClient.empty())
        return;
    addTranscript(TranscriptDirection::FromClient, std::string(bytesFromClient));
    const bool afterSilence = !m_lastReceived || m_now - *m_lastReceived >= m_options.escapeGuard;
    m_lastReceived = m_now;
    for (std::size_t i = 0; i < bytesFromClient.size(); ++i) {
        const char byte = bytesFromClient[i];
        switch (m_state) {
        case State::Command:
            // Without a modem nobody listens once the terminal has ended the call.
            if (m_options.modemInFront)
                onCommandByte(byte);
            break;
        case State::Dialling:
            // As on a real modem, any character while it waits for the call to be answered abandons the dial.
            endCall("dial abandoned by a character from the client");
            result("NO CARRIER", m_options.replyDelay);
            break;
        case State::Online:
        case State::NumericCall:
            if (m_options.modemInFront && isEscape(byte, i == 0 && afterSilence)) {
                endCall("the client hung up with +++");
                result("OK", m_options.replyDelay);
            } else if (m_state == State::Online) {
                m_terminal.receive(byte);
            }
            break;
        }
    }
    armIdleTimer();
}

void LineSimulator::advance(Millis now)
{
    now = std::max(now, m_now);
    while (!m_scheduled.empty() && m_scheduled.begin()->first.first <= now) {
        auto node = m_scheduled.extract(m_scheduled.begin());
        m_now = std::max(m_now, node.key().first);
        node.mapped()();
    }
    m_now = now;
}

std::string LineSimulator::takeOutput()
{
    return std::exchange(m_ready, std::string());
}

std::optional<Millis> LineSimulator::nextDue() const
{
    if (m_scheduled.empty())
        return std::nullopt;
    return m_scheduled.begin()->first.first;
}

void LineSimulator::dtrDropped(Millis now)
{
    advance(now);
    note(m_options.modemInFront ? "DTR dropped: the client closed the line" : "the client closed the connection");
    endCall("the call ends with DTR");
    m_scheduled.clear();
    m_lastScheduled = m_now;
    m_ready.clear();
    m_commandLine.clear();
    m_lastReceived.reset();
}

void LineSimulator::connectDirect(Millis now)
{
    advance(now);
    note("a client connected");
    m_state = State::Online;
    m_terminal.startCall();
    armIdleTimer();
}

void LineSimulator::sendToCaller(std::string bytes, Millis delay)
{
    schedule(delay, [this, bytes = std::move(bytes)] { emit(bytes); });
}

void LineSimulator::dropCarrier(Millis delay)
{
    schedule(delay, [this] {
        if (m_state != State::Online)
            return;
        endCall(m_options.modemInFront ? "the terminal dropped the carrier" : "the terminal closed the connection");
        if (m_options.modemInFront)
            emit("\r\nNO CARRIER\r\n");
    });
}

void LineSimulator::recordPage(PageRecord page)
{
    page.at = m_now;
    note("page recorded: " + page.kind + " " + page.pagerId + " (" + page.reply + ")");
    m_pages.push_back(std::move(page));
    if (m_pageListener)
        m_pageListener(m_pages.back());
}

void LineSimulator::note(std::string text)
{
    addTranscript(TranscriptDirection::Event, std::move(text));
}

void LineSimulator::schedule(Millis delay, std::function<void()> action)
{
    // The line is first in, first out: nothing may overtake what was scheduled before it.
    const Millis due = std::max(m_now + delay, m_lastScheduled);
    m_lastScheduled = due;
    m_scheduled.emplace(std::make_pair(due, m_sequence++), std::move(action));
}

void LineSimulator::scheduleWatchdog(Millis delay, std::function<void()> action)
{
    // A watchdog stands apart from the line's order: what is sent meanwhile must not wait for it.
    m_scheduled.emplace(std::make_pair(m_now + delay, m_sequence++), std::move(action));
}

void LineSimulator::armIdleTimer()
{
    if (m_state != State::Online || m_options.idleTimeout <= Millis(0))
        return;
    scheduleWatchdog(m_options.idleTimeout, [this, activity = ++m_activity] {
        if (m_state == State::Online && activity == m_activity)
            m_terminal.timeOut();
    });
}

void LineSimulator::emit(const std::string& bytes)
{
    m_ready += bytes;
    addTranscript(TranscriptDirection::ToClient, bytes);
    armIdleTimer();
}

void LineSimulator::result(const std::string& text, Millis delay)
{
    sendToCaller("\r\n" + text + "\r\n", delay);
}

void LineSimulator::addTranscript(TranscriptDirection direction, std::string bytes)
{
    // A practice line may serve a program for days: keep the recent traffic, not all of it.
    if (m_transcript.size() >= kTranscriptLimit)
        m_transcript.erase(
            m_transcript.begin(), m_transcript.begin() + static_cast<std::ptrdiff_t>(kTranscriptLimit / 2));
    m_transcript.push_back(TranscriptEntry { m_now, direction, std::move(bytes) });
    if (m_transcriptListener)
        m_transcriptListener(m_transcript.back());
}

void LineSimulator::onCommandByte(char byte)
{
    if (m_echo && m_options.modemAnswers != ModemAnswers::Nothing)
        sendToCaller(std::string(1, byte), Millis(0));
    if (byte == '\n')
        return;
    if (byte == '\b' || byte == '\x7f') {
        if (!m_commandLine.empty())
            m_commandLine.pop_back();
        return;
    }
    if (byte != '\r') {
        if (m_commandLine.size() < kCommandLimit)
            m_commandLine += byte;
        return;
    }
    const std::string line = std::exchange(m_commandLine, std::string());
    onCommandLine(line);
}

void LineSimulator::onCommandLine(const std::string& line)
{
    // A modem looks for "AT" and ignores whatever came before it (here, for example, "+++" sent in command state).
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (upper(line[i]) == 'A' && upper(line[i + 1]) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos)
        return;
    const std::string command = line.substr(at + 2);
    if (m_options.modemAnswers == ModemAnswers::Nothing) {
        note("command ignored: the modem answers nothing");
        return;
    }
    if (m_options.modemAnswers == ModemAnswers::Error) {
        result("ERROR", m_options.replyDelay);
        return;
    }
    std::size_t i = 0;
    const auto skipDigits = [&] {
        while (i < command.size() && isDigit(command[i]))
            ++i;
    };
    while (i < command.size()) {
        const char c = upper(command[i++]);
        if (c == ' ')
            continue;
        if (c == 'D') {
            dial(command.substr(i));
            return;
        }
        if (c == 'E') {
            m_echo = i < command.size() && command[i] == '1';
            skipDigits();
        } else if (c == 'Z') {
            m_echo = m_options.echo;
            skipDigits();
        } else if (c == 'O') {
            // Every way back to command state here ends the call, so there is no call to go back to.
            result("NO CARRIER", m_options.replyDelay);
            return;
        } else if (c == '&' || c == '\\' || c == '%') {
            if (i < command.size())
                ++i;
            skipDigits();
        } else if (c == '+' || c == '#') {
            break; // extended commands: accepted as a whole
        } else if (c == 'S') {
            skipDigits();
            if (i < command.size() && (command[i] == '=' || command[i] == '?')) {
                ++i;
                skipDigits();
            }
        } else if (c >= 'A' && c <= 'Z') {
            skipDigits();
        } else {
            result("ERROR", m_options.replyDelay);
            return;
        }
    }
    result("OK", m_options.replyDelay);
}

void LineSimulator::dial(const std::string& dialString)
{
    std::string number = dialString;
    if (!number.empty() && (upper(number[0]) == 'T' || upper(number[0]) == 'P'))
        number.erase(0, 1);
    if (number.empty()) {
        result("ERROR", m_options.replyDelay);
        return;
    }
    // ",,,," and digits ending in "#" after the number: the tones of a numeric page, keyed once the call is
    // answered and the pause is over.
    std::string keyed;
    long pauseCommas = 0;
    const auto pause = number.find(",,,,");
    if (pause != std::string::npos && number.back() == '#') {
        const auto tones = number.find_first_not_of(',', pause);
        if (tones != std::string::npos) {
            keyed = number.substr(tones);
            pauseCommas = static_cast<long>(tones - pause);
            number.erase(pause);
        }
    }
    const auto& results = m_options.dialResults;
    const std::string outcome
        = results.empty() ? std::string("NONE") : results[std::min(m_dialIndex, results.size() - 1)];
    ++m_dialIndex;
    note("dialling " + number + (keyed.empty() ? "" : " then keying " + keyed) + ": " + outcome);
    m_state = State::Dialling;
    if (outcome == "NONE")
        return;
    const auto commas = std::count(number.begin(), number.end(), ',');
    schedule(m_options.connectDelay + m_options.commaPause * commas, [this, number, keyed, pauseCommas, outcome] {
        if (m_state != State::Dialling)
            return;
        if (outcome.rfind("CONNECT", 0) != 0) {
            m_state = State::Command;
            emit("\r\n" + outcome + "\r\n");
            return;
        }
        if (keyed.empty()) {
            m_state = State::Online;
            m_terminal.startCall();
            emit("\r\n" + outcome + "\r\n");
            return;
        }
        m_state = State::NumericCall;
        note("call answered; the tones follow the pause");
        schedule(m_options.commaPause * pauseCommas, [this, number, keyed] {
            if (m_state != State::NumericCall)
                return;
            PageRecord page;
            page.kind = "numeric";
            page.pagerId = number;
            page.message = keyed;
            page.reply = "KEYED";
            recordPage(std::move(page));
        });
    });
}

bool LineSimulator::isEscape(char byte, bool afterSilence)
{
    if (byte != '+') {
        m_plusCount = 0;
        return false;
    }
    // "+++" inside a message is data; only after a silent guard time does it take the modem back.
    if (m_plusCount == 0 && !afterSilence)
        return false;
    if (++m_plusCount < 3)
        return false;
    m_plusCount = 0;
    return true;
}

void LineSimulator::endCall(const std::string& why)
{
    m_plusCount = 0;
    if (m_state == State::Command)
        return;
    ++m_hangUps;
    note(why);
    m_state = State::Command;
    m_scheduled.clear();
    m_lastScheduled = m_now;
}

} // namespace tolvane::simulator
