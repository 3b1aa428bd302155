#include "testkit/scripted_line.h"

#include <algorithm>

namespace tolvane::testkit {

ScriptedLine& ScriptedLine::whenWriteContains(std::string needle, std::string reply, int delayMs, int times)
{
    return whenWrite(
        [needle = std::move(needle)](std::string_view w) { return w.find(needle) != std::string_view::npos; },
        std::move(reply), delayMs, times);
}

ScriptedLine& ScriptedLine::whenWriteIs(std::string bytes, std::string reply, int delayMs, int times)
{
    return whenWrite(
        [bytes = std::move(bytes)](std::string_view w) { return w == bytes; }, std::move(reply), delayMs, times);
}

ScriptedLine& ScriptedLine::whenWrite(
    std::function<bool(std::string_view)> match, std::string reply, int delayMs, int times)
{
    m_rules.push_back(Rule { std::move(match), std::move(reply), delayMs, times });
    return *this;
}

void ScriptedLine::deliver(std::string bytes, long long afterMs)
{
    m_pending.push_back(Pending { m_clock.now() + afterMs, std::move(bytes) });
}

void ScriptedLine::failNext(Op op, int number, int times)
{
    auto& list = m_failures[op];
    list.insert(list.end(), static_cast<std::size_t>(times), number);
}

void ScriptedLine::failIfScripted(Op op)
{
    auto it = m_failures.find(op);
    if (it == m_failures.end() || it->second.empty())
        return;
    const int number = it->second.front();
    it->second.erase(it->second.begin());
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
    while (it != m_pending.end() && it->dueMs <= m_clock.now()) {
        m_readable += it->bytes;
        ++it;
    }
    m_pending.erase(m_pending.begin(), it);
}

void ScriptedLine::setPortNumber(int port)
{
    failIfScripted(Op::SetPortNumber);
    m_port = port;
}

void ScriptedLine::setSettings(const std::string& settings)
{
    failIfScripted(Op::SetSettings);
    m_settings = settings;
}

void ScriptedLine::open()
{
    failIfScripted(Op::Open);
    if (m_open)
        throw engine::SerialError(engine::kPortAlreadyOpen, "Port already open");
    m_open = true;
    m_readable.clear();
    m_pending.clear();
    m_opens.push_back(Open { m_clock.now(), m_port, m_settings });
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

void ScriptedLine::setDtr(bool on)
{
    needOpen("DTREnable");
    failIfScripted(Op::SetDtr);
    m_dtr.push_back(DtrChange { m_clock.now(), on });
}

void ScriptedLine::write(std::string_view bytes)
{
    needOpen("Output");
    failIfScripted(Op::Write);
    m_writes.push_back(Write { m_clock.now(), std::string(bytes) });
    for (Rule& rule : m_rules) {
        if (rule.timesLeft == 0 || !rule.match(bytes))
            continue;
        if (rule.timesLeft > 0)
            --rule.timesLeft;
        deliver(rule.reply, rule.delayMs);
        break;
    }
    if (m_writeHook)
        m_writeHook(bytes);
}

std::string ScriptedLine::readAll()
{
    needOpen("Input");
    failIfScripted(Op::Read);
    moveDueToReadable();
    std::string out;
    out.swap(m_readable);
    return out;
}

int ScriptedLine::waitingCount()
{
    needOpen("InBufferCount");
    failIfScripted(Op::WaitingCount);
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
    out.reserve(m_writes.size());
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
