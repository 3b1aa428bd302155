#include "simulator/snpp_server.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tolvane::simulator {

namespace {

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace

class SnppServer::Session final : public ServedSession {
public:
    Session(SnppServer& server, Millis now)
        : m_server(server)
    {
        note("connected", now);
        say(now, m_server.options().replyDelay, "220 Tolvane practice SNPP gateway ready");
    }

    void receive(std::string_view bytes, Millis now) override
    {
        note(std::string(bytes), now, TranscriptDirection::FromClient);
        for (const char c : bytes) {
            if (c != '\n') {
                if (m_line.size() < 4096)
                    m_line += c;
                continue;
            }
            if (m_line.ends_with('\r'))
                m_line.pop_back();
            const std::string line = std::exchange(m_line, std::string());
            if (m_dataLines)
                dataLine(line, now);
            else
                command(line, now);
        }
    }

    void advance(Millis now) override
    {
        for (auto due = m_scheduled.begin(); due != m_scheduled.end() && due->first <= now;) {
            if (due->second.empty())
                m_finished = true;
            else
                m_output += due->second;
            due = m_scheduled.erase(due);
        }
    }
    std::string takeOutput() override { return std::exchange(m_output, std::string()); }
    std::optional<Millis> nextDue() const override
    {
        return m_scheduled.empty() ? std::nullopt : std::optional(m_scheduled.begin()->first);
    }
    bool finished() const override { return m_finished && m_scheduled.empty(); }
    void clientGone(Millis now) override { note("the client closed the connection", now); }

private:
    void note(const std::string& text, Millis now, TranscriptDirection direction = TranscriptDirection::Event)
    {
        m_server.transcribe(TranscriptEntry { now, direction, text });
    }
    // A reply line after `delay`; an empty text closes the connection then.
    void say(Millis now, Millis delay, const std::string& text)
    {
        const Millis at = std::max(now + delay, m_last);
        m_last = at;
        m_scheduled.emplace(at, text.empty() ? text : text + "\r\n");
        if (!text.empty())
            note(text + "\r\n", at, TranscriptDirection::ToClient);
    }
    void reply(Millis now, const std::string& text) { say(now, m_server.options().replyDelay, text); }

    void command(const std::string& line, Millis now)
    {
        const auto blank = line.find(' ');
        const std::string verb = upper(line.substr(0, std::min<std::size_t>(blank, 4)));
        const std::string argument = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (verb == "PAGE") {
            const std::string pin = argument.substr(0, argument.find(' '));
            const auto& refused = m_server.options().refusedPagerIds;
            if (pin.empty())
                reply(now, "550 Error, Invalid Pager ID");
            else if (std::find(refused.begin(), refused.end(), pin) != refused.end())
                reply(now, "550 Failed, Illegal Pager ID");
            else if (!loggedIn())
                reply(now, "550 Error, Login Required");
            else {
                m_pagers.push_back(pin);
                reply(now, "250 Pager ID Accepted");
            }
        } else if (verb == "MESS") {
            if (m_message)
                reply(now, "503 ERROR, Message Already Entered");
            else if (argument.empty())
                reply(now, "550 ERROR, Invalid Message");
            else {
                m_message = argument;
                reply(now, "250 Message OK");
            }
        } else if (verb == "DATA") {
            if (m_message) {
                reply(now, "503 ERROR, Message Already Entered");
            } else {
                m_dataLines.emplace();
                reply(now, "354 Begin Input; End with <CRLF>'.'<CRLF>");
            }
        } else if (verb == "LOGI") {
            const auto space = argument.find(' ');
            m_user = argument.substr(0, space);
            m_password = space == std::string::npos ? std::string() : argument.substr(space + 1);
            reply(now, loggedIn() && !m_user.empty() ? "250 Login Accepted" : "550 Error, Invalid Login");
        } else if (verb == "RESE") {
            m_pagers.clear();
            m_message.reset();
            reply(now, "250 RESET OK");
        } else if (verb == "SEND") {
            send(now);
        } else if (verb == "HELP") {
            reply(now, "214 PAGE <Pager ID>, MESS <Message>, DATA, SEND, RESE, LOGI <user> <password>, QUIT");
            reply(now, "250 End of Help Information");
        } else if (verb == "QUIT") {
            reply(now, "221 OK, Goodbye");
            reply(now, "");
        } else {
            reply(now, "500 Command Not Implemented");
        }
    }

    void dataLine(const std::string& line, Millis now)
    {
        if (line == ".") {
            std::string text;
            for (const auto& each : *m_dataLines)
                text += (text.empty() ? "" : "\n") + each;
            m_dataLines.reset();
            m_message = text;
            reply(now, text.empty() ? "550 Error, Invalid Message" : "250 Message OK");
            if (text.empty())
                m_message.reset();
            return;
        }
        m_dataLines->push_back(line.starts_with('.') ? line.substr(1) : line);
    }

    bool loggedIn() const
    {
        const std::string& required = m_server.options().password;
        return required.empty() || m_password == required;
    }

    void send(Millis now)
    {
        if (m_pagers.empty() || !m_message) {
            reply(now, "503 Error, Pager ID or Message Incomplete");
            return;
        }
        const auto& script = m_server.options().blockScript;
        const ScriptedReply scripted
            = m_server.m_sends < script.size() ? script[m_server.m_sends] : ScriptedReply::Auto;
        ++m_server.m_sends;
        const Millis slow = m_server.options().replyDelay + m_server.options().blockReplyDelay;
        std::string answer = "250 Message Sent Successfully";
        switch (scripted) {
        case ScriptedReply::Rs:
            answer = "550 Failed, Message Refused";
            break;
        case ScriptedReply::Nak:
            answer = "554 Message Failed, Try Again Later";
            break;
        case ScriptedReply::Eot:
            say(now, slow, "421 Gateway Service Unavailable");
            say(now, slow, "");
            return;
        case ScriptedReply::None:
            return;
        case ScriptedReply::Drop:
            say(now, slow, "");
            return;
        default:
            break;
        }
        if (answer.starts_with("250")) {
            for (const auto& pin : m_pagers) {
                PageRecord page { "snpp", pin, *m_message, m_user + (m_password.empty() ? "" : ":" + m_password),
                    std::nullopt, "250", now };
                m_server.takePage(page);
            }
        }
        m_pagers.clear();
        m_message.reset();
        say(now, slow, answer);
    }

    SnppServer& m_server;
    std::string m_line;
    std::vector<std::string> m_pagers;
    std::optional<std::string> m_message;
    std::optional<std::vector<std::string>> m_dataLines;
    std::string m_user;
    std::string m_password;
    std::string m_output;
    std::multimap<Millis, std::string> m_scheduled;
    Millis m_last { 0 };
    bool m_finished = false;
};

SnppServer::SnppServer(SimulatorOptions options, SessionServer::Limits limits)
    : PageTakingServer(
        std::move(options), [this](Millis now) { return std::make_unique<Session>(*this, now); }, limits)
{
}

} // namespace tolvane::simulator
