#pragma once

namespace tolvane::engine {

class CallContext;

// The polling rounds of one wait for a reply. Under standard pacing a round sleeps the wait's own fixed
// pause and the wait's time is what its rounds have slept, so each limit is the round count it has always
// been. Under prompt pacing a round is a short poll and the time comes from the pacer's clock: the wait
// sees its reply within a poll of its arrival and still gives up after as long as under standard pacing.
class WaitRounds {
public:
    static constexpr int kPromptPollMs = 10;

    WaitRounds(CallContext& call, int standardRoundMs);
    WaitRounds(const WaitRounds&) = delete;
    WaitRounds& operator=(const WaitRounds&) = delete;

    // Sleeps one round.
    void pause();
    // Milliseconds since the wait began.
    long long elapsedMs() const;
    bool reached(long long ms) const { return elapsedMs() >= ms; }
    // Reads what waits into the receive buffer and logs what arrived: every round under standard pacing,
    // only when something arrived under prompt pacing (a line every 10 ms would bury the traffic).
    void pullAndLog();

private:
    CallContext& m_call;
    const int m_roundMs;
    long long m_rounds = 0;
    const long long m_startMs;
};

} // namespace tolvane::engine
