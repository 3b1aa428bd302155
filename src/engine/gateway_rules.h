#pragma once

#include "engine/gateway_link.h"

#include <optional>
#include <string>
#include <string_view>

// What to send a paging gateway and how to read its answers: the rules, free of any connection.
namespace tolvane::engine {

// What an answer means for the page it answers.
enum class Verdict {
    Accepted, // done (delivered, logged in, reset...)
    GoOn, // SNPP 354: send the message text
    NotImplemented, // SNPP 500/502: try the other way (MESS or DATA)
    Refused, // refused for good: never send it again unchanged
    Temporary, // refused for now, or the gateway is going away: the call ends and the page may be tried later
    Unreadable, // not an answer the protocol has
};

// One SNPP reply; its lines joined by " / " when it spans several ("250-..." lines before "250 ...").
struct SnppReply {
    int code = 0; // 0: the line is not a reply at all
    std::string text; // the whole reply as received, without line ends
};

// Takes the first complete reply off the front of `received` (lines end in LF, CR LF or not), or nothing
// while it is incomplete. A line that does not begin with a three-digit code is an unreadable reply.
std::optional<SnppReply> takeSnppReply(std::string& received);
Verdict snppVerdict(int code);

// Text for a gateway: control characters and the codes Windows-1252 leaves undefined become blanks; the
// rest of Windows-1252 stays (a gateway is not a 7-bit line).
std::string gatewayText(std::string_view cp1252);
// The page's text as an SNPP gateway takes it: one line of Latin-1 (the few Windows-1252 characters that
// Latin-1 lacks become their nearest ASCII, quotes and dashes mostly).
std::string snppText(std::string_view cp1252);
// A DATA body: each line with a leading "." gets another, then the line holding only "."; CR LF line ends.
std::string dotStuffed(std::string_view text);

// A message ID that is the same for the same page on every try and differs for any other page: the page's
// own identity where its queue keeps one, so two pages alike in every column (the same message queued twice)
// are not taken by the gateway for one; else a hash of the columns that stay the same between tries
// (company, name, pager ID, time, date and message, not the status).
std::string wctpMessageId(std::string_view pageId, std::string_view entry);
Verdict wctpVerdict(const WctpAnswer& answer);
// A submit request shortened for the connection log, with the security code as ***.
std::string wctpRequestShown(const WctpRequest& request, std::string_view cp1252Message);

// Control characters of a gateway's answer never reach the connection log.
std::string printable(std::string_view text);

} // namespace tolvane::engine
