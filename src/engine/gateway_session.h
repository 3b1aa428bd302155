#pragma once

#include "engine/gateway_link.h"
#include "engine/gateway_rules.h"
#include "engine/tap_session.h"

#include <string>
#include <string_view>

namespace tolvane::engine {

class CallContext;

// A paging call's pages delivered through an internet gateway instead of a TAP terminal: SNPP (log-in,
// then PAGE, MESS or DATA, SEND per page, QUIT) or one WCTP submit request per page. Each page gets its
// answer, its LOG.DAT line and its counts as a TAP page does. A temporary refusal, a lost connection or no
// answer in time ends the call as a lost carrier does, the reason in the connection log; a page whose
// request had gone out before that is never counted as refused: it may have been sent.
class GatewaySession {
public:
    enum class Result {
        HangUp, // hang up normally and show the final status
        Ended, // the call ended early; its message and status are shown
    };

    static constexpr long long kConnectLimitMs = 30000;
    static constexpr long long kAnswerLimitMs = 60000;
    // A WCTP exchange connects (when it must) and answers within one request.
    static constexpr long long kWctpLimitMs = kConnectLimitMs + kAnswerLimitMs;
    static constexpr int kPollMs = 2;

    GatewaySession(CallContext& call, const CallPlan& plan, GatewayLink& link)
        : m_call(call)
        , m_plan(plan)
        , m_link(link)
    {
    }

    Result run();
    bool everyPageAnswered() const { return m_everyPageAnswered; }

private:
    enum class Fate {
        Delivered,
        Refused, // for good: logged "ERROR FOR: ", the call goes on
        NotSent, // for now, or the connection failed before the page was sent: the call ends
        Unknown, // the request was out and no answer came: it may have been sent; the call ends
        Cancelled, // the operator cancelled
    };
    struct PageEnd {
        Fate fate;
        std::string reason;
    };
    struct Exchange {
        enum class Kind { Reply, TimedOut, Lost, Cancelled } kind;
        SnppReply reply;
        std::string reason;
    };

    bool openSnpp();
    Exchange snppExchange(std::string_view line, std::string_view shown);
    Exchange awaitSnppReply();
    PageEnd sendSnppPage(const std::string& pagerId, const std::string& message);
    PageEnd snppMessage(const std::string& message);
    void quitSnpp();
    PageEnd sendWctpPage(const std::string& messageId, const std::string& pagerId, const std::string& message);

    // Polls `step` (true once it is done) until it is, the cancel request is set or `limitMs` have passed.
    template <class Step> Exchange::Kind await(Step step, long long limitMs);
    PageEnd notAnswered(const Exchange& exchange, bool afterSend) const;
    bool endPage(const PageEnd& end);
    void fail(const std::string& reason);

    CallContext& m_call;
    const CallPlan& m_plan;
    GatewayLink& m_link;
    std::string m_received;
    bool m_useData = false; // the gateway refused MESS: DATA for the rest of the call
    bool m_everyPageAnswered = false;
};

} // namespace tolvane::engine
