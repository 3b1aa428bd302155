#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What became of one page, sorted by what to do next, and said in words an operator can act on. A TAP
// terminal's reply code, a gateway's reply and a failed call all end up as one of these classes.
namespace tolvane::engine {

enum class OutcomeClass {
    Delivered,
    DeliveredTruncated, // the terminal cut the message (212, 214)
    DeliveredHeld, // the terminal holds it for later delivery (213)
    RefusedForGood, // sending the same page again cannot help
    RefusedForNow, // the same page may go through later
    SetUpWrong, // the paging company's settings need a look (507-509)
    CallFailed, // the call ended before the terminal answered for the page
    SessionEnded, // the terminal ended the session; the pages left need another call
};

// Why a call ended before a page had its answer.
enum class CallFailure {
    PortNotAvailable,
    ModemNotReady,
    NoDialTone,
    Busy, // after every redial
    Unanswered,
    NoCarrier,
    CompanyMissing,
    NoIdPrompt,
    LogOnRefused,
    NoGoAhead,
    CarrierLost,
    NoAnswer, // the terminal never answered the page's block
    Cancelled,
};

struct PageOutcome {
    OutcomeClass kind = OutcomeClass::Delivered;
    std::string code; // the reply code ("512"), empty when there was none
    std::string reason; // the terminal's own text after the code, or ours where it gave none

    bool delivered() const;
    // The code and the reason as the terminal gave them: "517 Message too long, rejected".
    std::string said() const;
    // "Refused for now: 512 Temporarily cannot deliver"; "Delivered" alone for a bare acknowledgment.
    std::string words() const;
    bool operator==(const PageOutcome&) const = default;
};

std::string_view outcomeClassWords(OutcomeClass kind);

// The class a TAP reply code puts a page in; nothing for the codes that only inform (110, 114, 115) and
// for codes the standard does not define.
std::optional<OutcomeClass> replyCodeClass(std::string_view code);
// The standard's meaning of a reply code in a few words, for a terminal that sends the code alone.
std::string_view replyCodeMeaning(std::string_view code);

PageOutcome callFailureOutcome(CallFailure failure);

// One message sequence of the terminal: a line "ddd text".
struct ReplyLine {
    std::string code;
    std::string text;
    bool operator==(const ReplyLine&) const = default;
};
// The message sequences in what the terminal sent, in order; lines that are not one are passed over.
std::vector<ReplyLine> messageSequences(std::string_view received);

enum class BlockReply { Ack, Nak, Rs, EscEot };

// The outcome of a transaction block from what arrived before its reply character. A page counts as
// delivered only on ACK with no refusing code; among refusals the code decides where there is one (vendors
// pair the same code with different characters), the character where there is none.
PageOutcome blockOutcome(std::string_view received, BlockReply reply);

// What a failed log-on says: the company's set-up when the terminal named a 507-509 code, else a refusal.
PageOutcome logOnOutcome(std::string_view received);

} // namespace tolvane::engine
