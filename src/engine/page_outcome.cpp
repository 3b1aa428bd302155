#include "engine/page_outcome.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tolvane::engine {
namespace {

using enum OutcomeClass;

struct CodeRow {
    std::string_view code;
    std::optional<OutcomeClass> kind;
    std::string_view meaning;
};

// The reply codes of TAP 1.8 by what to do next.
constexpr std::array<CodeRow, 27> kCodes { {
    { "110", std::nullopt, "TAP version supported" },
    { "111", RefusedForNow, "Still processing the previous input, please wait" },
    { "112", SessionEnded, "Maximum pages entered for the session" },
    { "113", SessionEnded, "Maximum time reached for the session" },
    { "114", std::nullopt, "Welcome" },
    { "115", std::nullopt, "Exit message" },
    { "211", Delivered, "Page(s) sent successfully" },
    { "212", DeliveredTruncated, "Long message truncated and sent" },
    { "213", DeliveredHeld, "Message held for deferred delivery" },
    { "214", DeliveredTruncated, "Message truncated to the maximum length and sent" },
    { "501", RefusedForNow, "Time-out waiting for input" },
    { "502", RefusedForNow, "Unexpected characters before a transaction" },
    { "503", RefusedForNow, "Excessive checksum errors" },
    { "504", RefusedForGood, "Message characters not allowed for this pager" },
    { "505", RefusedForGood, "Alphabetic characters not allowed for this pager" },
    { "506", SessionEnded, "Excessive invalid pages" },
    { "507", SetUpWrong, "Invalid log-on: badly formed" },
    { "508", SetUpWrong, "Invalid log-on: service type not supported" },
    { "509", SetUpWrong, "Invalid log-on: invalid password" },
    { "510", RefusedForGood, "Illegal pager ID" },
    { "511", RefusedForGood, "No subscriber for this pager ID" },
    { "512", RefusedForNow, "Temporarily cannot deliver" },
    { "513", RefusedForGood, "Long message rejected" },
    { "514", RefusedForNow, "Checksum error" },
    { "515", RefusedForGood, "Message format error" },
    { "516", RefusedForNow, "Message quota temporarily exceeded" },
    { "517", RefusedForGood, "Message too long, rejected" },
} };

struct FailureRow {
    CallFailure failure;
    OutcomeClass kind;
    std::string_view words;
};

constexpr std::array<FailureRow, 13> kFailures { {
    { CallFailure::PortNotAvailable, CallFailed, "the modem's port is not available" },
    { CallFailure::ModemNotReady, CallFailed, "the modem did not get ready" },
    { CallFailure::NoDialTone, CallFailed, "no dial tone" },
    { CallFailure::Busy, CallFailed, "the line was busy after every redial" },
    { CallFailure::Unanswered, CallFailed, "nobody answered at the paging company" },
    { CallFailure::NoCarrier, CallFailed, "no carrier" },
    { CallFailure::CompanyMissing, CallFailed, "the paging company is missing from the directory" },
    { CallFailure::NoIdPrompt, CallFailed, "the terminal never asked for the log-on (no ID=)" },
    { CallFailure::LogOnRefused, CallFailed, "the terminal refused the log-on" },
    { CallFailure::NoGoAhead, CallFailed, "the terminal never gave leave to send" },
    { CallFailure::CarrierLost, CallFailed, "the carrier was lost before the terminal answered" },
    { CallFailure::NoAnswer, RefusedForNow, "the terminal never answered the page" },
    { CallFailure::Cancelled, CallFailed, "the call was cancelled" },
} };

const CodeRow* codeRow(std::string_view code)
{
    const auto found = std::find_if(kCodes.begin(), kCodes.end(), [&](const CodeRow& row) { return row.code == code; });
    return found == kCodes.end() ? nullptr : &*found;
}

bool isDeliveredClass(OutcomeClass kind)
{
    return kind == Delivered || kind == DeliveredTruncated || kind == DeliveredHeld;
}

PageOutcome fromLine(OutcomeClass kind, const ReplyLine& line)
{
    return { kind, line.code, line.text.empty() ? std::string(replyCodeMeaning(line.code)) : line.text };
}

// The last message sequence whose code puts the page in a class that `wanted` accepts.
template <class Wanted> const ReplyLine* lastWith(const std::vector<ReplyLine>& lines, Wanted wanted)
{
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const auto kind = replyCodeClass(line->code);
        if (kind && wanted(*line, *kind))
            return &*line;
    }
    return nullptr;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || static_cast<unsigned char>(c) < 0x20;
}

} // namespace

bool PageOutcome::delivered() const
{
    return isDeliveredClass(kind);
}

std::string PageOutcome::said() const
{
    return code.empty() || reason.empty() ? code + reason : code + ' ' + reason;
}

std::string PageOutcome::words() const
{
    const std::string detail = said();
    const std::string_view kindWords = outcomeClassWords(kind);
    return detail.empty() ? std::string(kindWords) : std::string(kindWords) + ": " + detail;
}

std::string_view outcomeClassWords(OutcomeClass kind)
{
    switch (kind) {
    case Delivered:
        return "Delivered";
    case DeliveredTruncated:
        return "Delivered, truncated by the terminal";
    case DeliveredHeld:
        return "Delivered, held by the terminal for later delivery";
    case RefusedForGood:
        return "Refused for good";
    case RefusedForNow:
        return "Refused for now";
    case SetUpWrong:
        return "Not sent, the paging company's set-up is wrong";
    case CallFailed:
        return "Call failed";
    case SessionEnded:
        return "The terminal ended the session";
    }
    return {};
}

std::optional<OutcomeClass> replyCodeClass(std::string_view code)
{
    const CodeRow* row = codeRow(code);
    return row ? row->kind : std::nullopt;
}

std::string_view replyCodeMeaning(std::string_view code)
{
    const CodeRow* row = codeRow(code);
    return row ? row->meaning : std::string_view();
}

PageOutcome callFailureOutcome(CallFailure failure)
{
    for (const FailureRow& row : kFailures)
        if (row.failure == failure)
            return { row.kind, {}, std::string(row.words) };
    return { CallFailed, {}, {} };
}

std::vector<ReplyLine> messageSequences(std::string_view received)
{
    std::vector<ReplyLine> lines;
    while (!received.empty()) {
        const std::size_t end = received.find_first_of("\r\n");
        std::string_view line = received.substr(0, end);
        received.remove_prefix(end == std::string_view::npos ? received.size() : end + 1);
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        const auto digit
            = [&](std::size_t i) { return i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); };
        if (!digit(0) || !digit(1) || !digit(2) || digit(3))
            continue;
        std::string_view text = line.substr(3);
        while (!text.empty() && isBlank(text.front()))
            text.remove_prefix(1);
        lines.push_back({ std::string(line.substr(0, 3)), std::string(text) });
    }
    return lines;
}

PageOutcome blockOutcome(std::string_view received, BlockReply reply)
{
    const std::vector<ReplyLine> lines = messageSequences(received);
    // A failure code takes the page back even beside an ACK; an informational or session code does not.
    const auto failure = [](const ReplyLine& line, OutcomeClass) { return line.code.front() == '5'; };
    if (const ReplyLine* refusing = lastWith(lines, failure))
        return fromLine(*replyCodeClass(refusing->code), *refusing);
    if (reply == BlockReply::Ack) {
        if (const ReplyLine* done
            = lastWith(lines, [](const ReplyLine&, OutcomeClass kind) { return isDeliveredClass(kind); }))
            return fromLine(*replyCodeClass(done->code), *done);
        return {};
    }
    if (const ReplyLine* notice
        = lastWith(lines, [](const ReplyLine&, OutcomeClass kind) { return !isDeliveredClass(kind); }))
        return fromLine(*replyCodeClass(notice->code), *notice);
    switch (reply) {
    case BlockReply::Nak:
        return { RefusedForNow, {}, "checksum or transmission error" };
    case BlockReply::Rs:
        return { RefusedForGood, {}, "invalid pager or transaction violates system rules" };
    case BlockReply::EscEot:
    case BlockReply::Ack:
        break;
    }
    return { SessionEnded, {}, "the terminal hung up" };
}

PageOutcome logOnOutcome(std::string_view received)
{
    const std::vector<ReplyLine> lines = messageSequences(received);
    if (const ReplyLine* setUp
        = lastWith(lines, [](const ReplyLine&, OutcomeClass kind) { return kind == SetUpWrong; }))
        return fromLine(SetUpWrong, *setUp);
    return callFailureOutcome(CallFailure::LogOnRefused);
}

} // namespace tolvane::engine
