#pragma once

#include "engine/page_outcome.h"
#include "store/records.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::engine {

class CallContext;

// What the session needs to know about this call beyond the queue.
struct CallPlan {
    store::TerminalRecord terminal;
    std::string password; // right-trimmed; empty means none
    std::string messagePrefix; // right-trimmed settings texts
    std::string messageSuffix;
    // The company's limit (taken within 1..750) less the prefix and suffix: a longer message is cut to it.
    std::size_t messageRoom = 80;
    std::int16_t pageCount = 0;
};

// The page's text: its message column cut to the room the company leaves beside the prefix and suffix,
// between them, each part passed through `clean` and the column right-trimmed.
std::string composePageText(
    const CallPlan& plan, const std::string& entry, std::int16_t messageLimit, std::string (*clean)(std::string_view));

// The TAP dialogue with the paging company's terminal on a connected line: log-on, go-ahead, one
// exchange per page (several blocks for a long message), a LOG.DAT line per page, sign-off.
class TapSession {
public:
    enum class Result {
        HangUp, // hang up normally and show the final status (also when the terminal hung up first)
        Ended, // the call ended early; its message, status and lamp are shown
    };

    TapSession(CallContext& call, const CallPlan& plan)
        : m_call(call)
        , m_plan(plan)
    {
    }

    Result run();
    // Whether the page loop finished: every page of the call was answered and logged.
    bool everyPageAnswered() const { return m_everyPageAnswered; }

private:
    enum class Step { Go, HangUp, Ended };
    enum class Reply { Answered, Resend, Ended };

    // Per page: the negative replies, and the acknowledgments and further pieces that decide the sent
    // count. A page adds at most one to the sent count and never takes any away. Its outcome is the first
    // refusal of its pieces, else the most telling acknowledgment (truncated or held over plain).
    struct PageTally {
        std::int16_t sentAtStart = 0;
        int errors = 0;
        int acks = 0;
        int furtherPieces = 0;
        std::string name; // for the connection log
        std::optional<PageOutcome> outcome;
        void answered(const PageOutcome& reply);
    };

    Step logOn();
    Step goAhead();
    Step sendPages();
    Result signOff();
    Reply awaitReply(PageTally& tally);
    void settleSentCount(const PageTally& tally);
    void writeLogOn(bool withPassword);
    void carrierLost(std::string_view name = {});
    bool carrierGone() const;
    void terminalHungUp();
    std::string pageMessage(const std::string& entry) const;
    void logPage(const PageTally& tally);
    static PageOutcome pageOutcome(const PageTally& tally);

    CallContext& m_call;
    const CallPlan& m_plan;
    bool m_everyPageAnswered = false;
};

} // namespace tolvane::engine
