#include "engine/wait_rounds.h"

#include "engine/call_context.h"

namespace tolvane::engine {

WaitRounds::WaitRounds(CallContext& call, int standardRoundMs)
    : m_call(call)
    , m_roundMs(standardRoundMs)
    , m_startMs(call.pacing == Pacing::Prompt ? call.pacer.nowMs() : 0)
{
    m_call.beginWait();
}

void WaitRounds::pause()
{
    ++m_rounds;
    m_call.pacer.sleepMs(m_call.pacing == Pacing::Prompt ? kPromptPollMs : m_roundMs);
}

long long WaitRounds::elapsedMs() const
{
    if (m_call.pacing == Pacing::Prompt)
        return m_call.pacer.nowMs() - m_startMs;
    return m_rounds * m_roundMs;
}

void WaitRounds::pullAndLog()
{
    const bool arrived = m_call.pull();
    if (arrived || m_call.pacing == Pacing::Standard)
        m_call.logArrival();
}

} // namespace tolvane::engine
