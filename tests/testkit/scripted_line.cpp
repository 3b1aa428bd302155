#include "testkit/scripted_line.h"

#include <algorithm>
#include <utility>

namespace tolvane::testkit {

void ScriptedLine::failIfScripted(Op op)
{
    auto& numbers = m_failures[op];
    if (numbers.empty())
        return;
    const int number = numbers.front();
    numbers.erase(numbers.begin());
    throw engine::SerialError(number, "scripted failure " + std::to_string(number));
}

void ScriptedLine::needOpen(const char* what) const
{
    if (!m_open)
        throw engine::SerialError(
            engine::kPortNotOpen, std::string(what) + ": operation valid only when the port is open");
}

void ScriptedLine::moveDueToReadable()
{
    // Stable: bytes due at the same moment arrive in the order they were scheduled.
    std::stable_sort(
        m_pending.begin(), m_pending.end(), [](const Pending& a, const Pending& b) { return a.dueMs < b.dueMs; });
    auto it = m_pending.begin();
    for (; it != m_pending.end() && it->dueMs <= m_clock.now(); ++it)
        m_readable += it->bytes;
    m_pending.erase(m_pending.begin(), it);
}

void ScriptedLine::open()
{
    failIfScripted(Op::Open);
    if (m_open)
        throw engine::SerialError(engine::kPortAlreadyOpen, "Port already open");
    m_open = true;
    m_readable.clear();
    m_pending.clear();
    m_opens.push_back(Open { m_port, m_settings });
}

void ScriptedLine::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_readable.clear();
    m_pending.clear();
    m_closes.push_back(m_clock.now());
}

void ScriptedLine::write(std::string_view bytes)
{
    needOpen("Output");
    failIfScripted(Op::Write);
    m_writes.push_back(Write { m_clock.now(), std::string(bytes) });
    const auto rule = std::find_if(
        m_rules.begin(), m_rules.end(), [&](const Rule& r) { return r.timesLeft != 0 && r.match(bytes); });
    if (rule != m_rules.end()) {
        if (rule->timesLeft > 0)
            --rule->timesLeft;
        deliver(rule->reply, rule->delayMs);
    }
    if (m_writeHook)
        m_writeHook(bytes);
}

std::string ScriptedLine::readAll()
{
    needOpen("Input");
    moveDueToReadable();
    return std::exchange(m_readable, {});
}

int ScriptedLine::waitingCount()
{
    needOpen("InBufferCount");
    moveDueToReadable();
    return static_cast<int>(m_readable.size());
}

void ScriptedLine::discardInput()
{
    needOpen("InBufferCount");
    failIfScripted(Op::Discard);
    moveDueToReadable();
    m_readable.clear();
}

std::vector<std::string> ScriptedLine::writtenTexts() const
{
    std::vector<std::string> out;
    for (const Write& w : m_writes)
        out.push_back(w.bytes);
    return out;
}

int ScriptedLine::countWritesContaining(std::string_view needle) const
{
    return static_cast<int>(std::count_if(
        m_writes.begin(), m_writes.end(), [&](const Write& w) { return w.bytes.find(needle) != std::string::npos; }));
}

int ScriptedLine::countWritesEqualTo(std::string_view bytes) const
{
    return static_cast<int>(
        std::count_if(m_writes.begin(), m_writes.end(), [&](const Write& w) { return w.bytes == bytes; }));
}

} // namespace tolvane::testkit
