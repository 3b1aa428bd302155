#include "engine/gateway_session.h"

#include "engine/call_context.h"
#include "engine/queue_entry.h"
#include "engine/tap_block.h"
#include "store/codepage.h"
#include "store/text.h"

#include <cctype>

namespace tolvane::engine {
namespace {

// A gateway's answer as a page's outcome: "550 Invalid pager ID" keeps its code apart, as a TAP reply does.
PageOutcome gatewayOutcome(OutcomeClass kind, const std::string& reason)
{
    const bool coded = reason.size() > 4 && std::isdigit(static_cast<unsigned char>(reason[0]))
        && std::isdigit(static_cast<unsigned char>(reason[1])) && std::isdigit(static_cast<unsigned char>(reason[2]))
        && reason[3] == ' ';
    if (!coded)
        return { kind, {}, reason };
    return { kind, reason.substr(0, 3), reason.substr(4) };
}

std::string seconds(long long ms)
{
    return std::to_string(ms / 1000) + " s";
}

} // namespace

GatewaySession::Result GatewaySession::run()
{
    m_call.log("Paging gateway " + m_link.shownAddress);
    m_call.progress("Loging into Pager Company");
    const bool snpp = m_link.protocol == GatewayProtocol::Snpp;
    if (snpp && !openSnpp())
        return Result::Ended;

    m_call.progress("Sending Data...");
    for (int page = 0; page < m_plan.pageCount; ++page) {
        const int index = m_call.state.queueCursor;
        const std::string entry = m_call.queue.entry(index);
        const std::string pagerId = store::rtrim(gatewayText(pagerIdColumn(entry)));
        const std::string message = composePageText(m_plan, entry, m_call.state.messageLimit, gatewayText);
        m_call.log("Preparing Message...");
        m_call.log("Sending Pin# " + pagerId);
        m_call.log("Sending Message: " + message);
        m_call.progress("Waiting Acknowledgment..");
        m_call.queue.pageLeaving(index);
        m_call.state.runPageCounter = static_cast<std::int16_t>(m_call.state.runPageCounter + 1);
        const PageEnd end = snpp ? sendSnppPage(pagerId, message)
                                 : sendWctpPage(wctpMessageId(m_call.queue.pageId(index), entry), pagerId, message);
        if (!endPage(end))
            return Result::Ended;
    }
    m_everyPageAnswered = true;
    if (snpp)
        quitSnpp();
    m_call.status("Page Was Sent");
    return Result::HangUp;
}

bool GatewaySession::endPage(const PageEnd& end)
{
    const int index = m_call.state.queueCursor;
    switch (end.fate) {
    case Fate::Delivered:
    case Fate::Refused: {
        const bool delivered = end.fate == Fate::Delivered;
        if (delivered) {
            m_call.log("Message Sent...");
            m_call.state.sentCount = static_cast<std::int16_t>(m_call.state.sentCount + 1);
        } else {
            m_call.log("Refused for good: " + end.reason);
        }
        m_call.queue.pageAnswered(
            index, delivered ? PageOutcome {} : gatewayOutcome(OutcomeClass::RefusedForGood, end.reason));
        m_call.log("Updating Log File");
        const std::string entry = m_call.queue.entry(index);
        m_call.writePageLog(
            pageLogLine(delivered ? "PAGE SENT: " : "ERROR FOR: ", entry, m_call.state.messageLimit, LineBits::Eight));
        if (!delivered)
            m_call.state.refusedPages.push_back(store::rtrim(nameColumn(entry)) + " (" + end.reason + ")");
        m_call.state.queueCursor = static_cast<std::int16_t>(index + 1);
        return true;
    }
    case Fate::NotSent:
        m_call.queue.pageAnswered(index, gatewayOutcome(OutcomeClass::RefusedForNow, end.reason));
        fail(end.reason);
        return false;
    case Fate::Unknown:
        fail(end.reason + "; the page may have been sent, so it is not sent again by itself");
        return false;
    case Fate::Cancelled:
        if (!end.reason.empty())
            m_call.log(end.reason + "; the page may have been sent, so it is not sent again by itself");
        m_call.cancelCall();
        return false;
    }
    return false;
}

void GatewaySession::fail(const std::string& reason)
{
    m_call.log(reason);
    m_call.carrierLost();
    m_call.state.lastCallEnd = { OutcomeClass::CallFailed, {}, reason };
}

template <class Step> GatewaySession::Exchange::Kind GatewaySession::await(Step step, long long limitMs)
{
    const long long start = m_call.pacer.nowMs();
    for (;;) {
        m_call.pacer.yield();
        if (const auto done = step())
            return *done;
        if (m_call.state.cancelRequest)
            return Exchange::Kind::Cancelled;
        if (m_call.pacer.nowMs() - start >= limitMs)
            return Exchange::Kind::TimedOut;
        m_call.pacer.sleepMs(kPollMs);
    }
}

GatewaySession::PageEnd GatewaySession::notAnswered(const Exchange& exchange, bool afterSend) const
{
    if (exchange.kind == Exchange::Kind::Cancelled)
        return { Fate::Cancelled, afterSend ? "Cancelled before the gateway answered" : "" };
    return { afterSend ? Fate::Unknown : Fate::NotSent, exchange.reason };
}

// SNPP

bool GatewaySession::openSnpp()
{
    std::string why;
    const auto connected = await(
        [&]() -> std::optional<Exchange::Kind> {
            switch (m_link.snpp->poll()) {
            case SnppLink::State::Open:
                return Exchange::Kind::Reply;
            case SnppLink::State::Closed:
                why = m_link.snpp->closedReason();
                return Exchange::Kind::Lost;
            case SnppLink::State::Connecting:
                break;
            }
            return std::nullopt;
        },
        kConnectLimitMs);
    if (connected == Exchange::Kind::Cancelled) {
        m_call.cancelCall();
        return false;
    }
    if (connected != Exchange::Kind::Reply) {
        fail(connected == Exchange::Kind::TimedOut ? "No connection to the gateway within " + seconds(kConnectLimitMs)
                                                   : "No connection to the gateway: " + why);
        return false;
    }
    m_call.log("Connected, waiting for the gateway's greeting");
    Exchange greeting = awaitSnppReply();
    if (greeting.kind == Exchange::Kind::Reply && snppVerdict(greeting.reply.code) != Verdict::Accepted) {
        greeting.kind = Exchange::Kind::Lost;
        greeting.reason = "The gateway does not take pages now: " + greeting.reply.text;
    }
    if (greeting.kind == Exchange::Kind::Reply && !m_link.user.empty()) {
        const std::string logIn
            = "LOGI " + snppText(m_link.user) + (m_link.secret.empty() ? "" : " " + snppText(m_link.secret));
        greeting = snppExchange(logIn, "LOGI " + snppText(m_link.user) + (m_link.secret.empty() ? "" : " ***"));
        const Verdict verdict
            = greeting.kind == Exchange::Kind::Reply ? snppVerdict(greeting.reply.code) : Verdict::Accepted;
        if (verdict == Verdict::NotImplemented) {
            m_call.log("The gateway has no LOGI; going on without logging in");
        } else if (greeting.kind == Exchange::Kind::Reply && verdict != Verdict::Accepted) {
            greeting.kind = Exchange::Kind::Lost;
            greeting.reason = "The gateway refused the log-in as " + snppText(m_link.user) + ": " + greeting.reply.text;
        }
    }
    switch (greeting.kind) {
    case Exchange::Kind::Reply:
        return true;
    case Exchange::Kind::Cancelled:
        m_call.cancelCall();
        return false;
    default:
        fail(greeting.reason);
        return false;
    }
}

GatewaySession::Exchange GatewaySession::snppExchange(std::string_view line, std::string_view shown)
{
    m_call.log("> " + std::string(shown));
    m_link.snpp->send(std::string(line) + "\r\n");
    return awaitSnppReply();
}

GatewaySession::Exchange GatewaySession::awaitSnppReply()
{
    // A gateway that sends lines without end is cut off rather than read for ever.
    constexpr std::size_t kReplyLimit = 64 * 1024;
    Exchange exchange { Exchange::Kind::Reply, {}, {} };
    exchange.kind = await(
        [&]() -> std::optional<Exchange::Kind> {
            const SnppLink::State state = m_link.snpp->poll();
            m_received += m_link.snpp->receive();
            if (auto reply = takeSnppReply(m_received)) {
                exchange.reply = std::move(*reply);
                return Exchange::Kind::Reply;
            }
            if (m_received.size() > kReplyLimit) {
                exchange.reason = "The gateway sent " + std::to_string(m_received.size()) + " bytes that are no reply";
                return Exchange::Kind::Lost;
            }
            if (state == SnppLink::State::Closed) {
                exchange.reason = "The connection to the gateway was lost: " + m_link.snpp->closedReason();
                return Exchange::Kind::Lost;
            }
            return std::nullopt;
        },
        kAnswerLimitMs);
    if (exchange.kind == Exchange::Kind::TimedOut)
        exchange.reason = "No answer from the gateway within " + seconds(kAnswerLimitMs);
    if (exchange.kind == Exchange::Kind::Reply)
        m_call.log("< " + exchange.reply.text);
    return exchange;
}

GatewaySession::PageEnd GatewaySession::sendSnppPage(const std::string& pagerId, const std::string& message)
{
    const std::string pin = snppText(pagerId);
    // What the gateway refused is cleared with RESE, so the next page starts a transaction of its own.
    const auto refused = [this](const std::string& reply) {
        snppExchange("RESE", "RESE");
        return PageEnd { Fate::Refused, reply };
    };
    const Exchange paged = snppExchange("PAGE " + pin, "PAGE " + pin);
    if (paged.kind != Exchange::Kind::Reply)
        return notAnswered(paged, false);
    switch (snppVerdict(paged.reply.code)) {
    case Verdict::Accepted:
        break;
    case Verdict::Refused:
    case Verdict::NotImplemented:
        return refused(paged.reply.text);
    default:
        return { Fate::NotSent, "The gateway did not take the pager ID: " + paged.reply.text };
    }

    PageEnd text = snppMessage(snppText(message));
    if (text.fate == Fate::Refused)
        return refused(text.reason);
    if (text.fate != Fate::Delivered)
        return text;

    const Exchange sent = snppExchange("SEND", "SEND");
    if (sent.kind != Exchange::Kind::Reply)
        return notAnswered(sent, true);
    switch (snppVerdict(sent.reply.code)) {
    case Verdict::Accepted:
        return { Fate::Delivered, {} };
    case Verdict::Refused:
    case Verdict::NotImplemented:
        return refused(sent.reply.text);
    case Verdict::Temporary:
        return { Fate::NotSent, "The gateway cannot send the page now: " + sent.reply.text };
    default:
        return { Fate::Unknown, "The gateway's answer to SEND cannot be read: " + sent.reply.text };
    }
}

GatewaySession::PageEnd GatewaySession::snppMessage(const std::string& message)
{
    if (!m_useData) {
        const Exchange mess = snppExchange("MESS " + message, "MESS " + message);
        if (mess.kind != Exchange::Kind::Reply)
            return notAnswered(mess, false);
        const Verdict verdict = snppVerdict(mess.reply.code);
        if (verdict == Verdict::Accepted)
            return { Fate::Delivered, {} };
        if (verdict != Verdict::NotImplemented)
            return { verdict == Verdict::Refused ? Fate::Refused : Fate::NotSent, mess.reply.text };
        m_call.log("The gateway has no MESS; the message goes as DATA");
        m_useData = true;
    }
    const Exchange data = snppExchange("DATA", "DATA");
    if (data.kind != Exchange::Kind::Reply)
        return notAnswered(data, false);
    const Verdict verdict = snppVerdict(data.reply.code);
    if (verdict != Verdict::GoOn)
        return { verdict == Verdict::Temporary || verdict == Verdict::Unreadable ? Fate::NotSent : Fate::Refused,
            data.reply.text };
    m_call.log("> " + message);
    m_call.log("> .");
    m_link.snpp->send(dotStuffed(message));
    const Exchange taken = awaitSnppReply();
    if (taken.kind != Exchange::Kind::Reply)
        return notAnswered(taken, false);
    const Verdict takenVerdict = snppVerdict(taken.reply.code);
    if (takenVerdict == Verdict::Accepted)
        return { Fate::Delivered, {} };
    return { takenVerdict == Verdict::Temporary || takenVerdict == Verdict::Unreadable ? Fate::NotSent : Fate::Refused,
        taken.reply.text };
}

void GatewaySession::quitSnpp()
{
    // Every page has its answer: whatever the gateway says now, or its closing first, changes nothing.
    const Exchange quit = snppExchange("QUIT", "QUIT");
    if (quit.kind == Exchange::Kind::Cancelled)
        m_call.state.cancelRequest = false;
}

// WCTP

GatewaySession::PageEnd GatewaySession::sendWctpPage(
    const std::string& messageId, const std::string& pagerId, const std::string& message)
{
    WctpRequest request;
    request.senderId = m_link.user;
    request.securityCode = m_link.secret;
    request.messageId = messageId;
    request.recipientId = store::cp1252ToUtf8(pagerId);
    request.message = store::cp1252ToUtf8(message);
    m_call.log("> " + wctpRequestShown(request, message));
    m_link.wctp->post(request);

    std::optional<WctpAnswer> answer;
    const auto waited = await(
        [&]() -> std::optional<Exchange::Kind> {
            answer = m_link.wctp->poll();
            return answer ? std::optional(Exchange::Kind::Reply) : std::nullopt;
        },
        kWctpLimitMs);
    if (waited == Exchange::Kind::Cancelled)
        return { Fate::Cancelled, "Cancelled before the gateway answered" };
    if (waited == Exchange::Kind::TimedOut)
        return { Fate::Unknown, "No answer from the gateway within " + seconds(kWctpLimitMs) };

    if (!answer->transportFailure.empty()) {
        m_call.log("< " + printable(answer->transportFailure));
        const std::string reason = "No answer from the gateway: " + printable(answer->transportFailure);
        return { answer->requestSent ? Fate::Unknown : Fate::NotSent, reason };
    }
    m_call.log("< HTTP " + std::to_string(answer->httpStatus) + " " + printable(answer->shown));
    const std::string said = std::to_string(answer->code) + " " + printable(answer->text);
    switch (wctpVerdict(*answer)) {
    case Verdict::Accepted:
        return { Fate::Delivered, {} };
    case Verdict::Refused:
        return { Fate::Refused,
            answer->kind == WctpAnswer::Kind::Failure ? said : "HTTP " + std::to_string(answer->httpStatus) };
    case Verdict::Temporary:
        return { Fate::NotSent,
            "The gateway cannot take the page now: "
                + (answer->kind == WctpAnswer::Kind::Failure ? said : "HTTP " + std::to_string(answer->httpStatus)) };
    default:
        return { Fate::Unknown, "The gateway's answer cannot be read" };
    }
}

} // namespace tolvane::engine
