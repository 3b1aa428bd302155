#pragma once

#include "engine/serial_line.h"
#include "testkit/virtual_pacer.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::testkit {

// An in-memory serial line that plays the modem and the paging terminal. It answers the engine's
// writes by a script of rules ("when a write contains X, make Y readable N virtual ms later") and
// records everything the engine did to it. Answers become readable as the virtual clock passes their
// time; a discard removes only what is readable at that moment, as a real line would.
//
// Like the real port, every operation but open needs an open port (SerialError 8018), and closing
// drops whatever was received or still on its way.
class ScriptedLine : public engine::SerialLine {
public:
    static constexpr int kForever = -1;

    struct Write {
        long long atMs;
        std::string bytes;
    };
    struct Open {
        int port;
        std::string settings;
    };
    enum class Op { SetSettings, Open, Write, Discard };

    explicit ScriptedLine(VirtualClock& clock)
        : m_clock(clock)
    {
    }

    // Rules are tried in the order they were added; the first that matches a write and has uses left
    // answers it (so "BUSY twice, then CONNECT" is two rules on the same trigger). Returns *this.
    ScriptedLine& whenWrite(
        std::function<bool(std::string_view)> match, std::string reply, int delayMs = 0, int times = kForever)
    {
        m_rules.push_back(Rule { std::move(match), std::move(reply), delayMs, times });
        return *this;
    }
    ScriptedLine& whenWriteContains(std::string needle, std::string reply, int delayMs = 0, int times = kForever)
    {
        return whenWrite([needle](std::string_view w) { return w.find(needle) != std::string_view::npos; },
            std::move(reply), delayMs, times);
    }
    ScriptedLine& whenWriteIs(std::string bytes, std::string reply, int delayMs = 0, int times = kForever)
    {
        return whenWrite([bytes](std::string_view w) { return w == bytes; }, std::move(reply), delayMs, times);
    }
    void forgetRules() { m_rules.clear(); }

    // Makes bytes readable `afterMs` from now, unasked (a terminal that talks on its own).
    void deliver(std::string bytes, long long afterMs = 0)
    {
        m_pending.push_back({ m_clock.now() + afterMs, std::move(bytes) });
    }
    // The next `times` calls of `op` throw SerialError(number).
    void failNext(Op op, int number, int times = 1) { m_failures[op].insert(m_failures[op].end(), times, number); }
    // Called after each write has been recorded and answered.
    void setWriteHook(std::function<void(std::string_view)> hook) { m_writeHook = std::move(hook); }

    // engine::SerialLine
    void setPortNumber(int port) override { m_port = port; }
    int portNumber() const override { return m_port; }
    void setSettings(const std::string& settings) override
    {
        failIfScripted(Op::SetSettings);
        m_settings = settings;
    }
    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setDtr(bool on) override
    {
        needOpen("DTREnable");
        m_dtr.push_back(on);
    }
    void write(std::string_view bytes) override;
    std::string readAll() override;
    int waitingCount() override;
    void discardInput() override;

    // What happened.
    const std::vector<Write>& writes() const { return m_writes; }
    std::vector<std::string> writtenTexts() const;
    int countWritesContaining(std::string_view needle) const;
    int countWritesEqualTo(std::string_view bytes) const;
    const std::vector<Open>& opens() const { return m_opens; }
    const std::vector<long long>& closes() const { return m_closes; }
    // DTR raised (true) or dropped, in order.
    const std::vector<bool>& dtrChanges() const { return m_dtr; }

private:
    struct Rule {
        std::function<bool(std::string_view)> match;
        std::string reply;
        int delayMs;
        int timesLeft;
    };
    struct Pending {
        long long dueMs;
        std::string bytes;
    };

    void failIfScripted(Op op);
    void needOpen(const char* what) const;
    void moveDueToReadable();

    VirtualClock& m_clock;
    std::vector<Rule> m_rules;
    std::vector<Pending> m_pending; // in the order they were scheduled
    std::string m_readable;
    std::map<Op, std::vector<int>> m_failures;
    std::function<void(std::string_view)> m_writeHook;

    int m_port = 1;
    std::string m_settings = "9600,N,8,1";
    bool m_open = false;
    std::vector<Write> m_writes;
    std::vector<Open> m_opens;
    std::vector<long long> m_closes;
    std::vector<bool> m_dtr;
};

} // namespace tolvane::testkit
